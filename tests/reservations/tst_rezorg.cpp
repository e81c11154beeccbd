#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "clients/UnitEdOrg.h"
#include "common/SprGrid.h"
#include "reservations/UnitRezOrg.h"
#include "tests/cards/CardFixture.h"
#include "tests/support/TestSupport.h"

using namespace card_fixture;

namespace {

const QString kNotFilled = QStringLiteral("Не заполнены обязательные поля!");
const QString kBadSumma = QStringLiteral("Сумма договора должна быть числом, например: 10500,25");
const QString kNoSlot = QStringLiteral("Не выбраны зал и сеанс: места резервировать некуда!");
const QString kContracts = QStringLiteral("SELECT Num, ID_Org, Summa FROM tRezOrg ORDER BY ID");
const QDate kDay(2026, 7, 4);

int addContract(Database& db, int num, int org) {
    return insert(
        db, QStringLiteral("INSERT INTO tRezOrg (Num, ID_Org, Summa) VALUES (%1, %2, 10500.25)").arg(num).arg(org));
}
// Places in a slot of kDay: a card's visits when idCard > 0, a contract's places when below.
void addPlaces(Database& db, int zal, const QString& start, int idCard, int count) {
    const QString sql =
        QStringLiteral("INSERT INTO tWorkGurnal (DateWork, ID_Zal, ID_Card) VALUES ('2026-07-04 %1', %2, %3)");
    for (int i = 0; i < count; ++i) {
        exec(db, sql.arg(start).arg(zal).arg(idCard));
    }
}

// A form showing kDay and the slot at that index.
void choose(TfrmRezOrg& form, int seans) {
    form.mcSelDates->setSelectedDate(kDay);
    form.cbSeans->setCurrentIndex(seans);
    form.cbSeansChange();
}

QString load(const TfrmRezOrg& form) {
    return QStringLiteral("%1/%2").arg(form.FLoadDay->CountCard()).arg(form.FLoadDay->CountOrg());
}

}  // namespace

class TestRezOrg : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        m_zal = addHall(db(), QStringLiteral("Бассейн"));
        addSlot(db(), m_zal, QTime(12, 0));
        addSlot(db(), m_zal, QTime(10, 0, 30));
        m_org = addOrg(db(), QStringLiteral("Альфа"));
    }
    void cleanup() { endCase(m_ui, m_db); }

    void savesOrRefuses_data() {
        QTest::addColumn<bool>("withOrg");
        for (const char* column : {"num", "summa", "message"}) {
            QTest::addColumn<QString>(column);  // message empty: saved
        }
        const auto row = [](const char* name, bool withOrg, const char* num, const char* summa,
                            const QString& message) {
            QTest::newRow(name) << withOrg << QString::fromUtf8(num) << QString::fromUtf8(summa) << message;
        };
        row("saved", true, " 12", "10500,25", QString());
        row("no organisation", false, "12", "1", kNotFilled);
        row("zero", true, "0", "1", kNotFilled);
        row("negative", true, "-3", "1", kNotFilled);
        row("statement", true, "1); DELETE FROM tOrg; --", "1", kNotFilled);
        row("sum with a point", true, "12", "10500.25", kBadSumma);
        row("sum of letters", true, "12", "много", kBadSumma);
        row("negative sum", true, "12", "-1", "Сумма договора не может быть меньше 0!");
    }
    void savesOrRefuses() {
        QFETCH(bool, withOrg);
        QFETCH(QString, num);
        QFETCH(QString, summa);
        QFETCH(QString, message);
        TfrmRezOrg form(db(), nullptr);
        form.LoadRezOrg(-1);
        form.FOrgID = withOrg ? m_org : -1;
        form.leDog->setText(num);
        form.leSumma->setText(summa);
        QCOMPARE(pressButton(form, "btnSave"), 0);
        QCOMPARE(m_ui->messageTexts(), message.isEmpty() ? QStringList() : QStringList(message));
        QCOMPARE(rows(db(), kContracts),
                 message.isEmpty() ? QStringList(QStringLiteral("12|%1|10500.25").arg(m_org)) : QStringList());
        if (message.isEmpty()) {
            QCOMPARE(form.FRezOrgID, scalar(db(), QStringLiteral("SELECT ID FROM tRezOrg")).toInt());
        }
    }

    void updatesAndCloses() {
        const int id = addContract(db(), 7, m_org);
        TfrmRezOrg lost(db(), nullptr);
        lost.LoadRezOrg(id + 1);
        lost.btnSelOrgClick();
        lost.btnSelectClick();
        QVERIFY(!lost.btnSave->isEnabled() && !lost.btnNewSeans->isEnabled());
        QCOMPARE(m_ui->messageTexts(), QStringList(QStringLiteral("Ошибка при передаче парарметра!")));
        m_ui->messages.clear();
        TfrmRezOrg form(db(), nullptr);
        form.LoadRezOrg(id);
        QCOMPARE(form.leOrg->text(), QStringLiteral("Альфа"));
        QCOMPARE(form.leSumma->text(), QStringLiteral("10500,25"));
        form.leDog->setText(QStringLiteral("7a"));
        QCOMPARE(pressButton(form, "btnSave"), 0);
        QCOMPARE(m_ui->messageTexts(), QStringList(kNotFilled));
        form.leDog->setText(QStringLiteral("8"));
        form.leSumma->setText(QStringLiteral("300,5"));
        QCOMPARE(pressButton(form, "btnSave"), int(QDialog::Accepted));
        QCOMPARE(rows(db(), kContracts), QStringList(QStringLiteral("8|%1|300.5").arg(m_org)));
    }

    // A number the organisation already has is told; the form closes with OK and keeps the new row.
    void duplicateContractIsToldAndKept() {
        addContract(db(), 12, m_org);
        TfrmRezOrg form(db(), nullptr);
        form.LoadRezOrg(-1);
        form.FOrgID = m_org;
        form.leDog->setText(QStringLiteral("12"));
        form.leSumma->setText(QStringLiteral("1"));
        QCOMPARE(pressButton(form, "btnSave"), int(QDialog::Accepted));
        QCOMPARE(m_ui->messageTexts(),
                 QStringList(QStringLiteral("Обнаружена карта с неунивальными занчениями двух полей!")));
        QCOMPARE(rows(db(), kContracts),
                 QStringList({QStringLiteral("12|%1|10500.25").arg(m_org), QStringLiteral("12|%1|1").arg(m_org)}));
    }
    // Another workstation deletes the contract while it is open: no place under it, no update.
    void contractDeletedElsewhereTakesNoWrite() {
        TfrmRezOrg form(db(), nullptr);
        form.LoadRezOrg(addContract(db(), 1, m_org));
        choose(form, 0);
        execElsewhere(*m_db, "DELETE FROM tRezOrg");
        form.edCountPos->setText(QStringLiteral("2"));
        QVERIFY_THROWS_EXCEPTION(RecordGone, form.btnNewSeansClick());
        QVERIFY_THROWS_EXCEPTION(RecordGone, pressButton(form, "btnSave"));
        QCOMPARE(form.result(), 0);
        QCOMPARE(scalar(db(), "SELECT (SELECT COUNT(*) FROM tRezOrg) + (SELECT COUNT(*) FROM tWorkGurnal)").toInt(), 0);
    }
    void addsAndDeletesPlaces() {
        const int id = addContract(db(), 1, m_org);
        const int other = addContract(db(), 2, m_org);
        addPlaces(db(), m_zal, QStringLiteral("10:00:00"), 5, 1);
        addPlaces(db(), m_zal, QStringLiteral("10:00:00"), -other, 2);
        TfrmRezOrg form(db(), nullptr);
        form.LoadRezOrg(id);
        choose(form, 0);
        for (const char* count : {"3", "2", "0"}) {
            form.edCountPos->setText(QString::fromLatin1(count));
            form.btnNewSeansClick();
        }
        QCOMPARE(load(form), QStringLiteral("1/7"));
        choose(form, 1);
        form.edCountPos->setText(QStringLiteral("2"));
        form.btnNewSeansClick();
        QCOMPARE(shownRows(*form.DBGridSpr), QStringList({QStringLiteral("Бассейн|04.07.2026|10:00|5"),
                                                          QStringLiteral("Бассейн|04.07.2026|12:00|2")}));
        QCOMPARE(scalar(db(), QStringLiteral("SELECT COUNT(*) FROM tWorkGurnal WHERE ID_Card=%1 AND Cena=0 AND "
                                             "DateWork='2026-07-04 10:00:00' AND ID_USER IS NULL")
                                  .arg(-id))
                     .toInt(),
                 5);
        selectRow(*form.DBGridSpr, 0);
        form.btnDelSeansClick();
        QCOMPARE(shownRows(*form.DBGridSpr), QStringList(QStringLiteral("Бассейн|04.07.2026|12:00|2")));
        QCOMPARE(
            rows(db(), QStringLiteral("SELECT ID_Card, COUNT(*) FROM tWorkGurnal GROUP BY ID_Card ORDER BY ID_Card")),
            QStringList({QStringLiteral("%1|2").arg(-other), QStringLiteral("%1|2").arg(-id), QStringLiteral("5|1")}));
        form.edCountPos->setText(QStringLiteral("два"));
        form.btnNewSeansClick();
        QCOMPARE(m_ui->messageTexts(), QStringList(QStringLiteral("Количество позиций должно быть целым числом!")));
    }

    void changesHall() {
        addSlot(db(), addHall(db(), QStringLiteral("Тренажерный зал"), 30), QTime(18, 0));
        TfrmRezOrg form(db(), nullptr);
        form.cbZal->setCurrentIndex(1);
        form.cbZalChange();
        QCOMPARE(m_ui->messageTexts(), QStringList(QStringLiteral("30")));
        QCOMPARE(form.FLoadDay->MaxCount, 30);
        QCOMPARE(form.cbSeans->currentText(), QStringLiteral("18:00"));
    }

    void refusesPlacesWithoutSlot_data() {
        QTest::addColumn<bool>("hall");
        QTest::newRow("no hall") << false;
        QTest::newRow("hall without slots") << true;
    }
    void refusesPlacesWithoutSlot() {
        QFETCH(bool, hall);
        exec(db(), QStringLiteral("DELETE FROM tSeans"));
        if (!hall) {
            exec(db(), QStringLiteral("DELETE FROM tZal"));
        }
        const int id = addContract(db(), 1, m_org);
        TfrmRezOrg form(db(), nullptr);
        form.LoadRezOrg(id);
        form.btnNewSeansClick();
        QCOMPARE(m_ui->messageTexts(), QStringList(kNoSlot));
        QCOMPARE(load(form), QStringLiteral("0/0"));
        QCOMPARE(scalar(db(), QStringLiteral("SELECT COUNT(*) FROM tWorkGurnal")).toInt(), 0);
    }

    void choosesOrganisation() {
        addOrg(db(), QStringLiteral("Бета"));
        addOrg(db(), QStringLiteral("альянс"));
        TfrmRezOrg form(db(), nullptr);
        form.LoadRezOrg(-1);
        form.btnSelOrgClick();
        QCOMPARE(column(*form.DBGridSpr, QStringLiteral("Name")), QStringList({"Альфа", "альянс", "Бета"}));
        form.leSearchStr->setText(QStringLiteral("АЛ"));
        QCOMPARE(form.DBGridSpr->rowCount(), 2);
        m_ui->modalHandlers.push_back([](QDialog& editor) {
            static_cast<TfrmEdOrg&>(editor).leNameOrg->setText(QStringLiteral("Аллея"));
            return pressButton(editor, "btnSave");
        });
        form.btnNewSelClick();
        QCOMPARE(column(*form.DBGridSpr, QStringLiteral("Name")), QStringList({"Аллея", "Альфа", "альянс"}));
        form.leSearchStr->setText(QStringLiteral("я"));
        form.btnSelectClick();
        QCOMPARE(form.FOrgID, -1);
        form.show();
        form.btnSelOrgClick();
        QTest::keyClick(form.DBGridSpr, Qt::Key_Escape);  // "Закрыть" is off while the list is shown
        QVERIFY(form.isVisible());
        form.leSearchStr->setText(QStringLiteral("б"));
        QTest::keyClick(form.DBGridSpr, Qt::Key_Return);
        QCOMPARE(form.leOrg->text(), QStringLiteral("Бета"));
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
    }

  private:
    Database& db() { return m_db->db; }

    std::unique_ptr<FakeUi> m_ui;
    std::unique_ptr<TestDatabase> m_db;
    int m_zal = 0;
    int m_org = 0;
};

QTEST_MAIN(TestRezOrg)
#include "tst_rezorg.moc"
