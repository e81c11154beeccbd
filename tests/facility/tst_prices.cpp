#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTimeEdit>

#include "common/SprGrid.h"
#include "facility/UnitEdCena.h"
#include "facility/UnitEdCenaVS.h"
#include "facility/UnitEdTC.h"
#include "tests/cards/CardFixture.h"

using namespace card_fixture;

namespace {

const QString kBadCount = "Число сеансов должно быть целым числом не меньше 0!";
const QString kBands =
    "SELECT substr(TimeBegin, 12, 5) || '-' || substr(TimeEnd, 12, 5) FROM tPeriodCena WHERE ID_Zal=%1 ORDER BY ID";

QStringList typeNames(const TPriceDialog& dialog) {
    QStringList names;
    for (int i = 0; i < dialog.cbTypeCen->count(); ++i) {
        names << dialog.cbTypeCen->itemText(i);
    }
    return names;
}

void setPrice(TPriceDialog& dialog, const QString& price, const QString& fee, const QDate& day) {
    dialog.leCena->setText(price);
    dialog.edVznos->setText(fee);
    dialog.dtpDateCena->setDate(day);
    pressButton(dialog, "btnSetCena");
}

struct HallPrices : TfrmSetCena {
    HallPrices(Database& db, int hall) : TfrmSetCena(db, nullptr) { SetZalID(hall); }
};

}  // namespace

class TestPrices : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        m_hall = addHall(db(), "Бассейн");
        exec(db(), "INSERT INTO tVidSport (ID, NameVidSp) VALUES (7, 'Плавание')");
    }

    void setsOrChangesBand_data() {
        QTest::addColumn<QString>("band");  // as typed
        QTest::addColumn<QStringList>("bands");
        QTest::newRow("same begin") << "09:00-12:00" << QStringList{"09:00-12:00", "16:00-22:00"};
        QTest::newRow("same end") << "12:00-22:00" << QStringList{"09:00-16:00", "12:00-22:00"};
        QTest::newRow("begin of one, end of another: the first")
            << "09:00-22:00" << QStringList{"09:00-22:00", "16:00-22:00"};
        QTest::newRow("new pair") << "07:00-08:00" << QStringList{"09:00-16:00", "16:00-22:00", "07:00-08:00"};
    }
    void setsOrChangesBand() {
        QFETCH(QString, band);
        QFETCH(QStringList, bands);
        addBand(db(), m_hall, QTime(9, 0), QTime(16, 0));
        addBand(db(), m_hall, QTime(16, 0), QTime(22, 0));
        const int other = addHall(db(), "Тренажёрный");
        addBand(db(), other, QTime(9, 0), QTime(16, 0));
        HallPrices dialog(db(), m_hall);
        dialog.TimeBegin->setTime(QTime::fromString(band.left(5), "HH:mm"));
        dialog.TimeEnd->setTime(QTime::fromString(band.right(5), "HH:mm"));
        pressButton(dialog, "btnSetPeriod");
        QCOMPARE(rows(db(), kBands.arg(m_hall)), bands);
        QCOMPARE(rows(db(), kBands.arg(other)), QStringList("09:00-16:00"));
        QCOMPARE(rows(db(), "SELECT TimeBegin FROM tPeriodCena WHERE ID=1"),
                 QStringList("1899-12-30 " + bands[0].left(5) + ":00"));
        QCOMPARE(dialog.DBGridPeriod->rowCount(), bands.size());
    }
    // The list follows the band and type shown; a type or band that prices or cards use stays.
    void priceListFollowsBandAndType() {
        const int morning = addBand(db(), m_hall, QTime(9, 0), QTime(16, 0));
        const int evening = addBand(db(), m_hall, QTime(16, 0), QTime(22, 0));
        const int eight = addTypeCen(db(), "Абонемент 8", m_hall, 8);
        const int twelve = addTypeCen(db(), "Абонемент 12", m_hall, 12);
        addPrice(db(), morning, eight, QDate(2026, 3, 1), 100, 5);
        addPrice(db(), evening, eight, QDate(2026, 3, 1), 200, 5);
        addPrice(db(), evening, twelve, QDate(2026, 3, 1), 300, 5);
        HallPrices dialog(db(), m_hall);
        QCOMPARE(shownRows(*dialog.DBGridSpr), QStringList());  // twelve, listed first, has no morning price
        QTest::keyClick(dialog.DBGridPeriod, Qt::Key_Down);
        QCOMPARE(dialog.TimeBegin->time(), QTime(16, 0));
        QCOMPARE(shownRows(*dialog.DBGridSpr) << dialog.leCena->text(), QStringList({"01.03.2026|300|5", "300"}));
        QCOMPARE(columnsCutOff(*dialog.DBGridPeriod) + columnsCutOff(*dialog.DBGridSpr), QStringList());
        dialog.cbTypeCen->setCurrentIndex(1);
        emit dialog.cbTypeCen->activated(1);
        QCOMPARE(shownRows(*dialog.DBGridSpr), QStringList("01.03.2026|200|5"));
        exec(db(), sqlOf("INSERT INTO tCard (ID, Num, ID_TypeCen) VALUES (8, 8, %1), (9, 9, %1), (10, 10, %1)", eight));
        pressButton(dialog, "btnDelTC");
        exec(db(), QString("DELETE FROM tCenaSeans WHERE ID_TypeCen=%1").arg(eight));
        pressButton(dialog, "btnDelTC");
        exec(db(), "DELETE FROM tCard");
        pressButton(dialog, "btnDelTC");
        // The type list shrinks: the first type's prices in the band shown.
        QCOMPARE(rows(db(), "SELECT Name FROM tTypeCen") + typeNames(dialog), QStringList(2, "Абонемент 12"));
        QCOMPARE(shownRows(*dialog.DBGridSpr), QStringList("01.03.2026|300|5"));
        // The morning band lost its only price above, but another workstation prices it as the first delete begins.
        QTest::keyClick(dialog.DBGridPeriod, Qt::Key_Up);
        WriteAtNextBegin elsewhere(
            *m_db, sqlOf("INSERT INTO tCenaSeans (ID_Period, ID_TypeCen) VALUES (%1, %2)", morning, twelve));
        pressButton(dialog, "btnDelPeriod");
        QCOMPARE(rows(db(), kBands.arg(m_hall)), QStringList({"09:00-16:00", "16:00-22:00"}));
        exec(db(), sqlOf("DELETE FROM tCenaSeans WHERE ID_Period=%1", morning));
        pressButton(dialog, "btnDelPeriod");
        QCOMPARE(m_ui->messageTexts(), QStringList({"Имеются ссылки: 2", "Имеются ссылки: 3",
                                                    "Нельзя удалить запись!\rИмеются записи цен!"}));
        QCOMPARE(shownRows(*dialog.DBGridPeriod), QStringList("16:00|22:00"));
    }
    void setsPrice_data() {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("fee");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("prices");
        const auto row = [](const char* name, const char* price, const char* fee, int month,
                            const QStringList& messages, const QStringList& prices) {
            QTest::newRow(name) << QString(price) << QString(fee) << QDate(2026, month, 1) << messages << prices;
        };
        const QString old = "1|100|5|2026-03-01 00:00:00";
        row("same date replaces", "150", "7,5", 3, {}, {"1|150|7.5|2026-03-01 00:00:00"});
        row("other date adds, empty fee", "150,5", "", 4, {}, {old, "1|150.5|0|2026-04-01 00:00:00"});
        row("point as separator", "99.9", "1", 4, {}, {old, "1|99.9|1|2026-04-01 00:00:00"});
        row("zero silently", "0", "1", 4, {}, {old});
        row("negative silently", "-5", "1", 4, {}, {old});
        row("empty price", "", "1", 4, {"Цена должна быть числом!"}, {old});
        row("fee not a number", "150", "5%", 4, {"Страховой взнос должен быть числом!"}, {old});
        row("negative fee", "150", "-1", 4, {"Страховой взнос не может быть меньше 0!"}, {old});
    }
    void setsPrice() {
        QFETCH(QString, price);
        QFETCH(QString, fee);
        QFETCH(QDate, day);
        QFETCH(QStringList, prices);
        const int band = addBand(db(), m_hall, QTime(9, 0), QTime(16, 0));
        addPrice(db(), band, addTypeCen(db(), "Абонемент 8", m_hall, 8), QDate(2026, 3, 1), 100, 5);
        HallPrices dialog(db(), m_hall);
        setPrice(dialog, price, fee, day);
        QCOMPARE(rows(db(), "SELECT ID_Period, Cena, StrahVosn, DateSet FROM tCenaSeans ORDER BY ID"), prices);
        QTEST(m_ui->messageTexts(), "messages");
        QCOMPARE(dialog.DBGridSpr->rowCount(), prices.size());
    }
    void listsTypesByCardKind_data() {
        QTest::addColumn<int>("hall");  // 0: the first hall, 1: the second
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("stored");  // the band and type of the price set
        QTest::newRow("subscriptions of the first hall")
            << 0 << 1 << QStringList{"Абонемент 8"} << QStringList{"1|Абонемент 8"};
        QTest::newRow("club cards of the first hall")
            << 0 << 2 << QStringList{"Общий", "Плавание", "Разовый"} << QStringList{"0|Общий"};
        QTest::newRow("subscriptions of a hall without bands")
            << 1 << 1 << QStringList{"Абонемент зал 2"} << QStringList{};
    }
    void listsTypesByCardKind() {
        QFETCH(int, hall);
        QFETCH(int, kind);
        const int second = addHall(db(), "Зал 2");
        addTypeCen(db(), "Абонемент 8", m_hall, 8);
        addTypeCen(db(), "Разовый", m_hall, 0);
        addTypeCen(db(), "Общий", 0, 0);
        addTypeCen(db(), "Разовый зал 2", second, 0);
        addTypeCen(db(), "Абонемент зал 2", second, 4);
        addTypeCen(db(), "Плавание", 0, 0, 0, 3);
        addBand(db(), m_hall, QTime(9, 0), QTime(16, 0));
        HallPrices dialog(db(), hall == 0 ? m_hall : second);
        dialog.findChild<QButtonGroup*>()->button(kind - 1)->click();
        QTEST(typeNames(dialog), "names");
        setPrice(dialog, "250", "3", QDate(2026, 5, 1));
        QTEST(rows(db(), "SELECT ID_Period, Name FROM tCenaSeans JOIN tTypeCen ON tTypeCen.ID=ID_TypeCen"), "stored");
    }
    void newTypeFromOwner_data() {
        QTest::addColumn<bool>("sportsOwner");
        QTest::addColumn<bool>("common");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("strahSumma");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("stored");  // Zal_ID|VidSportaID|KolvoSeans; %1 the hall
        QTest::addColumn<QStringList>("listed");
        const auto row = [](const char* name, bool sports, bool common, const char* count, const char* strahSumma,
                            const QStringList& messages, const QStringList& stored, const QStringList& listed) {
            QTest::newRow(name) << sports << common << QString(count) << QString(strahSumma) << messages << stored
                                << listed;
        };
        row("hall price dialog", false, false, "8", "0", {}, {"%1|0|8"}, {"Новый"});
        row("common to all halls", false, true, "0", "0", {}, {"0|0|0"}, {});
        row("sports-type price dialog", true, false, "4", "0", {}, {"0|7|4"}, {"Новый"});
        row("negative visits", false, false, "-1", "0", {kBadCount}, {}, {});
        row("empty visits", false, false, "", "0", {kBadCount}, {}, {});
        row("fractional visits", false, false, "2,5", "0", {kBadCount}, {}, {});
        row("insurance not a number", false, false, "4", "много", {"Страховка должна быть числом!"}, {}, {});
        row("negative insurance", false, false, "4", "-0,5", {"Страховка не может быть меньше 0!"}, {}, {});
    }
    void newTypeFromOwner() {
        QFETCH(bool, sportsOwner);
        QFETCH(bool, common);
        QFETCH(QString, count);
        QFETCH(QString, strahSumma);
        QFETCH(QStringList, stored);
        HallPrices hallDialog(db(), m_hall);
        TfrmSetCenaVS sportsDialog(db(), nullptr);
        sportsDialog.SetVidSportID(7);
        TPriceDialog& owner = sportsOwner ? static_cast<TPriceDialog&>(sportsDialog) : hallDialog;
        int answer = -1;
        m_ui->modalHandlers.push_back([&](QDialog& dialog) {
            auto& editor = static_cast<TfrmEdTC&>(dialog);
            editor.leName->setText("Новый");
            editor.leCountSeans->setText(count);
            editor.leStrahSumma->setText(strahSumma);
            editor.cbAllTC->setChecked(common);
            return answer = pressButton(editor, "btnSave");
        });
        pressButton(owner, "btnNewTC");
        QCOMPARE(answer, stored.isEmpty() ? 0 : int(QDialog::Accepted));
        QTEST(m_ui->messageTexts(), "messages");
        QCOMPARE(rows(db(), "SELECT Zal_ID, VidSportaID, KolvoSeans FROM tTypeCen"),
                 stored.replaceInStrings("%1", QString::number(m_hall)));
        QTEST(typeNames(owner), "listed");
    }
    // The editor keeps a type's own hall.
    void editorKeepsTypesHall() {
        const int common = addTypeCen(db(), "Общий", 0, 0);
        const int otherHall = addHall(db(), "Другой");
        const int other = addTypeCen(db(), "Разовый", otherHall, 0);
        const int sports = addTypeCen(db(), "Плавание", 0, 4, 0, 7);
        HallPrices owner(db(), m_hall);
        TfrmEdTC editor(db(), &owner);
        editor.LoadEdTC(common);
        QVERIFY(editor.cbAllTC->isChecked() && !editor.cbAllTC->isEnabled());
        editor.LoadEdTC(sports);
        QVERIFY(editor.cbAllTC->isHidden());
        editor.LoadEdTC(other);
        QVERIFY(!editor.cbAllTC->isChecked() && !editor.cbAllTC->isEnabled() && !editor.cbAllTC->isHidden());
        QTest::keyClicks(editor.leCountSeans, "1");
        QCOMPARE(editor.windowTitle(), "Тип цены *");
        QCOMPARE(pressButton(editor, "btnSave"), int(QDialog::Accepted));
        QCOMPARE(rows(db(), QString("SELECT Zal_ID, KolvoSeans FROM tTypeCen WHERE ID=%1").arg(other)),
                 QStringList(QString("%1|1").arg(otherHall)));
    }
    // Another workstation deletes what a write points to while the dialogs are open: nothing is stored.
    void writeRefusedWhenItsOwnerIsGone_data() {
        QTest::addColumn<QString>("gone");    // the table emptied elsewhere
        QTest::addColumn<QString>("editor");  // empty: the hall's price dialog writes
        QTest::addColumn<QString>("button");
        const auto row = [](const char* name, const char* gone, const char* editor, const char* button) {
            QTest::newRow(name) << QString(gone) << QString(editor) << QString(button);
        };
        row("price, its band", "tPeriodCena", "", "btnSetCena");
        row("price, its band's hall", "tZal", "", "btnSetCena");
        row("price, its type", "tTypeCen", "", "btnSetCena");
        row("band, its hall", "tZal", "", "btnSetPeriod");
        row("stored type", "tTypeCen", "stored", "btnSave");
        row("new type, its hall", "tZal", "hall", "btnSave");
        row("new type, its sports type", "tVidSport", "sports", "btnSave");
    }
    void writeRefusedWhenItsOwnerIsGone() {
        QFETCH(QString, editor);
        QFETCH(QString, button);
        const int type = addTypeCen(db(), "Абонемент", m_hall, 1);
        addBand(db(), m_hall, QTime(9, 0), QTime(16, 0));
        HallPrices owner(db(), m_hall);
        owner.leCena->setText("100");
        owner.TimeBegin->setTime(QTime(7, 0));
        TfrmEdTC typeEditor(db(), editor == "sports" ? nullptr : &owner);
        typeEditor.SetVidSportID(editor == "sports" ? 7 : 0);
        typeEditor.LoadEdTC(editor == "stored" ? type : -1);
        QTest::keyClicks(typeEditor.leCountSeans, "2");
        QFETCH(QString, gone);
        execElsewhere(*m_db, "DELETE FROM " + gone);
        pressRefusedAsGone(editor.isEmpty() ? static_cast<QDialog&>(owner) : typeEditor, button, db(),
                           "SELECT (SELECT group_concat(TimeBegin) FROM tPeriodCena), (SELECT COUNT(*) FROM "
                           "tCenaSeans), (SELECT group_concat(KolvoSeans) FROM tTypeCen)");
    }
    void sportsTypePricesUseBandZero() {
        const int swim = addTypeCen(db(), "Плавание 8", 0, 8, 0, 7);
        addTypeCen(db(), "Йога", 0, 8, 0, 9);
        addPrice(db(), 0, swim, QDate(2026, 3, 1), 100, 5);
        TfrmSetCenaVS dialog(db(), nullptr);
        dialog.SetVidSportID(7);
        QCOMPARE(typeNames(dialog), QStringList("Плавание 8"));
        setPrice(dialog, "120", "2", QDate(2026, 2, 1));
        QCOMPARE(shownRows(*dialog.DBGridSpr), QStringList({"01.02.2026|120|2", "01.03.2026|100|5"}));
        QCOMPARE(columnsCutOff(*dialog.DBGridSpr), QStringList());
        dialog.edVznos->setText("9");
        dialog.DBGridSpr->selectRow(1);
        emit dialog.DBGridSpr->cellClick();
        QCOMPARE(QStringList({dialog.leCena->text(), dialog.edVznos->text()}), QStringList({"100", "9"}));
        QCOMPARE(dialog.dtpDateCena->date(), QDate(2026, 3, 1));
    }

  private:
    int m_hall = 0;
};

QTEST_MAIN(TestPrices)
#include "tst_prices.moc"
