#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "clients/UnitEdOrg.h"
#include "common/SprGrid.h"
#include "reservations/UnitRezOrg.h"
#include "tests/cards/CardFixture.h"

using namespace card_fixture;

namespace {

const QString kNotFilled = "Не заполнены обязательные поля!";
const QString kNoSlot = "Не выбраны зал и сеанс: места резервировать некуда!";
const QString kContracts = "SELECT Num, ID_Org, Summa FROM tRezOrg ORDER BY ID";
const QDate kDay(2026, 7, 4);

int addContract(Database& db, int num, int org) {
    return insert(db, QString("INSERT INTO tRezOrg (Num, ID_Org, Summa) VALUES (%1, %2, 10500.25)").arg(num).arg(org));
}
void fillNew(TfrmRezOrg& form, int org, const QString& num, const QString& summa) {
    form.LoadRezOrg(-1);
    form.FOrgID = org;
    form.leDog->setText(num);
    form.leSumma->setText(summa);
}

void choose(TfrmRezOrg& form, int seans) {
    form.mcSelDates->setSelectedDate(kDay);
    form.cbSeans->setCurrentIndex(seans);
    form.cbSeansChange();
}

}  // namespace

class TestRezOrg : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        m_zal = addHall(db(), "Бассейн");
        addSlot(db(), m_zal, QTime(12, 0));
        addSlot(db(), m_zal, QTime(9, 30, 30));
        m_org = addOrg(db(), "Альфа");
    }

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
        row("sum with a point", true, "12", "10500.25", "Сумма договора должна быть числом, например: 10500,25");
        row("negative sum", true, "12", "-1", "Сумма договора не может быть меньше 0!");
    }
    void savesOrRefuses() {
        QFETCH(bool, withOrg);
        QFETCH(QString, num);
        QFETCH(QString, summa);
        QFETCH(QString, message);
        TfrmRezOrg form(db(), nullptr);
        fillNew(form, withOrg ? m_org : -1, num, summa);
        QCOMPARE(pressButton(form, "btnSave"), 0);
        const bool saved = message.isEmpty();
        QCOMPARE(m_ui->messageTexts(), saved ? QStringList() : QStringList(message));
        QCOMPARE(rows(db(), kContracts), saved ? QStringList(QString("12|%1|10500.25").arg(m_org)) : QStringList());
        QCOMPARE(form.FRezOrgID, saved ? 1 : -1);  // the form goes on with the new contract
        QVERIFY(form.btnSelect->isHidden());       // until an organisation is chosen
    }

    // A contract that is not there is told and locks the form; a number the organisation already has is told, and
    // the form closes with OK keeping the new row.
    void updatesOrAddsDuplicate() {
        const int id = addContract(db(), 7, m_org);
        TfrmRezOrg lost(db(), nullptr);
        lost.LoadRezOrg(id + 1);
        lost.btnSelOrgClick();
        lost.btnSelectClick();
        QVERIFY(!lost.btnSave->isEnabled() && !lost.btnNewSeans->isEnabled());
        TfrmRezOrg form(db(), nullptr);
        form.LoadRezOrg(id);
        QCOMPARE(QStringList({form.leOrg->text(), form.leSumma->text()}), QStringList({"Альфа", "10500,25"}));
        form.leDog->setText("7a");
        QCOMPARE(pressButton(form, "btnSave"), 0);
        form.leDog->setText("8");
        form.leSumma->setText("300,5");
        QCOMPARE(pressButton(form, "btnSave"), int(QDialog::Accepted));
        TfrmRezOrg duplicate(db(), nullptr);
        fillNew(duplicate, m_org, "8", "1");
        QCOMPARE(pressButton(duplicate, "btnSave"), int(QDialog::Accepted));
        QCOMPARE(m_ui->messageTexts(), QStringList({"Ошибка при передаче парарметра!", kNotFilled,
                                                    "Обнаружена карта с неунивальными занчениями двух полей!"}));
        QCOMPARE(rows(db(), kContracts), QStringList({QString("8|%1|300.5").arg(m_org), QString("8|%1|1").arg(m_org)}));
    }
    void addsAndDeletesPlaces() {
        const int id = addContract(db(), 1, m_org);
        const int other = addContract(db(), 2, m_org);
        // A card's visit and the other contract's places in the same slot.
        exec(db(), QString("INSERT INTO tWorkGurnal (DateWork, ID_Zal, ID_Card) VALUES ('2026-07-04 09:30:00', %1, 5), "
                           "('2026-07-04 09:30:00', %1, %2), ('2026-07-04 09:30:00', %1, %2)")
                       .arg(m_zal)
                       .arg(-other));
        TfrmRezOrg form(db(), nullptr);
        form.LoadRezOrg(id);
        choose(form, 0);
        for (const char* count : {"3", "2", "0"}) {
            form.edCountPos->setText(count);
            form.btnNewSeansClick();
        }
        QCOMPARE(QList<int>({form.FLoadDay->CountCard(), form.FLoadDay->CountOrg()}), QList<int>({1, 7}));
        choose(form, 1);
        form.edCountPos->setText("2");
        form.btnNewSeansClick();
        QCOMPARE(shownRows(*form.DBGridSpr), QStringList({"Бассейн|04.07.2026|09:30|5", "Бассейн|04.07.2026|12:00|2"}));
        QCOMPARE(columnsCutOff(*form.DBGridSpr), QStringList());
        QCOMPARE(
            rows(db(), QString("SELECT DateWork, Cena, ID_USER IS NULL, COUNT(*) FROM tWorkGurnal WHERE ID_Card=%1 "
                               "GROUP BY DateWork")
                           .arg(-id)),
            QStringList({"2026-07-04 09:30:00|0|1|5", "2026-07-04 12:00:00|0|1|2"}));
        selectRow(*form.DBGridSpr, 0);
        form.btnDelSeansClick();
        QCOMPARE(shownRows(*form.DBGridSpr), QStringList("Бассейн|04.07.2026|12:00|2"));
        QCOMPARE(rows(db(), "SELECT ID_Card, COUNT(*) FROM tWorkGurnal GROUP BY ID_Card ORDER BY ID_Card"),
                 QStringList({QString("%1|2").arg(-other), QString("%1|2").arg(-id), "5|1"}));
        form.edCountPos->setText("два");
        form.btnNewSeansClick();
        QCOMPARE(m_ui->messageTexts(), QStringList("Количество позиций должно быть целым числом!"));
    }

    // Another workstation deletes what a write points to while the form is open: nothing is stored.
    void writeRefusedWhenItsOwnerIsGone_data() {
        QTest::addColumn<QString>("gone");  // the table emptied elsewhere
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("button");
        QTest::newRow("new contract, its organisation") << "tOrg" << false << "btnSave";
        QTest::newRow("contract, its organisation") << "tOrg" << true << "btnSave";
        QTest::newRow("contract") << "tRezOrg" << true << "btnSave";
        QTest::newRow("place, its contract") << "tRezOrg" << true << "btnNewSeans";
        QTest::newRow("place, its hall") << "tZal" << true << "btnNewSeans";
        QTest::newRow("place, its slot") << "tSeans" << true << "btnNewSeans";
    }
    void writeRefusedWhenItsOwnerIsGone() {
        QFETCH(QString, gone);
        QFETCH(bool, saved);
        QFETCH(QString, button);
        TfrmRezOrg form(db(), nullptr);
        fillNew(form, m_org, "2", "5");
        if (saved) {
            form.LoadRezOrg(addContract(db(), 1, m_org));
            form.leDog->setText("3");
        }
        choose(form, 0);
        execElsewhere(*m_db, "DELETE FROM " + gone);
        pressRefusedAsGone(form, button, db(),
                           "SELECT (SELECT group_concat(Num) FROM tRezOrg), (SELECT COUNT(*) FROM tWorkGurnal)");
    }

    // A hall change tells its places and lists its slots; without a slot or a hall, places are refused.
    void changesHallOrRefusesPlacesWithoutSlot() {
        addHall(db(), "Тренажерный зал", 30);
        TfrmRezOrg form(db(), nullptr);
        form.LoadRezOrg(addContract(db(), 1, m_org));
        form.cbZal->setCurrentIndex(1);
        form.cbZalChange();
        QCOMPARE(form.FLoadDay->MaxCount, 30);
        form.btnNewSeansClick();
        form.cbZal->setCurrentIndex(0);
        form.cbZalChange();
        QCOMPARE(form.cbSeans->currentText(), "9:30");  // as the workstation writes a time
        exec(db(), "DELETE FROM tZal");
        TfrmRezOrg noHall(db(), nullptr);
        noHall.LoadRezOrg(1);
        noHall.btnNewSeansClick();
        QCOMPARE(m_ui->messageTexts(), QStringList({"30", kNoSlot, "20", kNoSlot}));
        QCOMPARE(scalar(db(), "SELECT COUNT(*) FROM tWorkGurnal").toInt(), 0);
    }

    void choosesOrganisation() {
        exec(db(), "INSERT INTO tOrg (Name) VALUES ('Бета'), ('альянс')");
        TfrmRezOrg form(db(), nullptr);
        form.LoadRezOrg(-1);
        form.btnSelOrgClick();
        QCOMPARE(column(*form.DBGridSpr, "Name"), QStringList({"Альфа", "альянс", "Бета"}));
        // The test screen is too narrow for the 80 characters: the form takes its whole width.
        QCOMPARE(form.frameGeometry().width(), form.screen()->availableGeometry().width());
        form.leSearchStr->setText("АЛ");
        m_ui->modalHandlers.push_back([](QDialog& editor) {
            static_cast<TfrmEdOrg&>(editor).leNameOrg->setText("Аллея");
            return pressButton(editor, "btnSave");
        });
        form.btnNewSelClick();
        QCOMPARE(column(*form.DBGridSpr, "Name"), QStringList({"Аллея", "Альфа", "альянс"}));
        form.leSearchStr->setText("я");
        form.btnSelectClick();
        QCOMPARE(form.FOrgID, -1);
        form.show();
        form.btnSelOrgClick();
        QTest::keyClick(form.DBGridSpr, Qt::Key_Escape);  // "Закрыть" is off while the list is shown
        QVERIFY(form.isVisible());
        form.leSearchStr->setText("б");
        QTest::keyClick(form.DBGridSpr, Qt::Key_Return);
        QCOMPARE(form.leOrg->text(), "Бета");
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
    }

  private:
    int m_zal = 0;
    int m_org = 0;
};

QTEST_MAIN(TestRezOrg)
#include "tst_rezorg.moc"
