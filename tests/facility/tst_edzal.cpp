#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QToolButton>

#include "common/SprGrid.h"
#include "common/UnitDopInfoCard.h"
#include "facility/UnitEdSeans.h"
#include "facility/UnitEdZal.h"
#include "platform/FormWidgets.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kNotFilled = "Не заполнены обязательные поля!";
const QString kHallRow = "SELECT NameZal, CountMest, RezervMest, info, StrTXTCard FROM tZal WHERE ID=%1";
const QString kSlots = "SELECT ID_Zal, TimeBeg, CountTime FROM tSeans ORDER BY ID";

int saveSlot(QDialog& dialog, const QTime& begin, int minutes) {
    auto& slot = static_cast<TfrmSeans&>(dialog);
    slot.dtpBegS->setTime(begin);
    slot.leLongS->setValue(minutes);
    return pressButton(dialog, "btnSave");
}

// Deletes the whole text with the keyboard, as a person empties a field.
void erase(UpDownEdit* edit) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
}

}  // namespace

class TestEdZal : public DatabaseCase {
    Q_OBJECT

  private slots:
    void changedFlagAndCaption_data() {
        QTest::addColumn<bool>("isNew");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("saved");  // the hall's row after "Сохранить"
        const auto row = [](const char* name, bool isNew, const char* edit, const char* caption, const char* saved) {
            QTest::newRow(name) << isNew << QString(edit) << QString::fromUtf8(caption)
                                << QStringList(QString::fromUtf8(saved));
        };
        row("new", true, "", "Зал: НОВЫЙ", "|0|0||");
        row("existing, above the arrows' range", false, "", "Зал", "Бассейн|150|3|25 м|Шапочка");
        row("typed name", false, "name", "Зал *", "Бассейн 2|150|3|25 м|Шапочка");
        row("counter arrow", false, "arrow", "Зал *", "Бассейн|149|3|25 м|Шапочка");
        row("extra text", false, "text", "Зал *", "Бассейн|150|3|25 м|Без обуви");
    }
    void changedFlagAndCaption() {
        QFETCH(bool, isNew);
        QFETCH(QString, edit);
        const int stored = addHall("Бассейн", 150);
        TfrmZal hall(db(), nullptr);
        hall.LoadEdZal(isNew ? -1 : stored);
        QString offered;
        if (edit == "name") {
            hall.leNameZal->end(false);
            QTest::keyClicks(hall.leNameZal, " 2");
        } else if (edit == "arrow") {
            hall.leCountMest->stepDown();
        } else if (edit == "text") {
            m_ui->modalHandlers.push_back([&offered](QDialog& dialog) {
                auto& text = static_cast<TfrmDopInfo&>(dialog);
                offered = text.MemoTXT->toPlainText() + (text.cbPrintTXT->isHidden() ? "|hidden" : "|shown");
                text.MemoTXT->setPlainText("Без обуви");
                return pressButton(dialog, "btnCancel");
            });
            hall.btnTXT->click();
            QCOMPARE(offered, "Шапочка|hidden");
        }
        QTEST(hall.windowTitle(), "caption");
        QCOMPARE(pressButton(hall, "btnSave"), isNew ? 0 : int(QDialog::Accepted));
        QTEST(rows(db(), kHallRow.arg(isNew ? hall.ZalID : stored)), "saved");
        QCOMPARE(scalar(db(), "SELECT snachInt FROM tParApl WHERE ParKod=53").toInt(), 0);
    }
    void newHallGoesOnWithItsOwnRow() {
        const int older = addHall("Бассейн", 20);
        TfrmZal hall(db(), nullptr);
        hall.LoadEdZal(-1);
        hall.leNameZal->setText("бассейн");
        hall.leCountMest->setValue(20);
        QCOMPARE(pressButton(hall, "btnSave"), 0);  // stays open on the saved hall
        QVERIFY(hall.ZalID > older);
        QCOMPARE(hall.windowTitle(), "Зал");
        m_ui->modalHandlers.push_back([](QDialog& dialog) { return saveSlot(dialog, QTime(18, 30), 45); });
        hall.btnNewSeans->click();
        QCOMPARE(shownRows(*hall.DBGridSpr), QStringList("18:30|45"));
        // The same start time is told; the row is kept as a stored slot and the next save updates it, not the older.
        QStringList seen;
        m_ui->modalHandlers.push_back([&seen](QDialog& dialog) {
            seen << QString::number(saveSlot(dialog, QTime(18, 30), 60)) << dialog.windowTitle();
            return saveSlot(dialog, QTime(18, 30), 90);
        });
        hall.btnNewSeans->click();
        QCOMPARE(seen, QStringList({"0", "Сеанс"}));
        const QString at1830 = QString("%1|1899-12-30 18:30:00|").arg(hall.ZalID);
        QCOMPARE(rows(db(), kSlots), QStringList({at1830 + "45", at1830 + "90"}));
        QString pricesCaption;
        m_ui->modalHandlers.push_back([&](QDialog& dialog) {
            pricesCaption = dialog.windowTitle();
            return int(QDialog::Rejected);
        });
        hall.BitBtn1->click();
        QCOMPARE(pricesCaption, "Установка цен: бассейн");
        // Nothing changed since the first save: closes without writing.
        QCOMPARE(pressButton(hall, "btnSave"), int(QDialog::Accepted));
        QCOMPARE(scalar(db(), "SELECT group_concat(NameZal) FROM tZal").toString(), "Бассейн,бассейн");
        QCOMPARE(m_ui->messageTexts(),
                 QStringList({"Введено не уникальное наименование зала!", "Сеанс с таким временем уже есть!"}));
    }
    // Emptied counts, and a slot of no minutes, are refused; once another workstation deletes the hall, no update
    // and no slot under it: nothing is written.
    void refusesEmptyCountsAndGoneHall() {
        TfrmZal hall(db(), nullptr);
        hall.LoadEdZal(addHall("Бассейн", 20));
        erase(hall.leCountMest);
        QCOMPARE(pressButton(hall, "btnSave"), 0);
        hall.leCountMest->setValue(20);
        erase(hall.leRezPos);
        QCOMPARE(pressButton(hall, "btnSave"), 0);
        QStringList answers;
        m_ui->modalHandlers.push_back([&answers](QDialog& dialog) {
            answers << QString::number(pressButton(dialog, "btnSave"));  // a new slot starts at 0 minutes
            erase(static_cast<TfrmSeans&>(dialog).leLongS);
            answers << QString::number(pressButton(dialog, "btnSave"));
            return int(QDialog::Rejected);
        });
        hall.btnNewSeans->click();
        QCOMPARE(answers, QStringList({"0", "0"}));
        const QString notANumber = "Поле \"%1\" должно содержать целое число не меньше нуля!";
        QCOMPARE(m_ui->messageTexts(),
                 QStringList({notANumber.arg("Мест"), notANumber.arg("Резерв"), kNotFilled, kNotFilled}));
        QCOMPARE(rows(db(), kHallRow.arg(hall.ZalID)), QStringList("Бассейн|20|3|25 м|Шапочка"));
        execElsewhere(*m_db, "DELETE FROM tZal");
        hall.leRezPos->setValue(2);
        QVERIFY_THROWS_EXCEPTION(RecordGone, pressButton(hall, "btnSave"));
        QCOMPARE(hall.result(), 0);
        m_ui->modalHandlers.push_back([](QDialog& dialog) { return saveSlot(dialog, QTime(18, 30), 45); });
        QVERIFY_THROWS_EXCEPTION(RecordGone, hall.btnNewSeans->click());
        QCOMPARE(scalar(db(), "SELECT (SELECT COUNT(*) FROM tZal) + (SELECT COUNT(*) FROM tSeans)").toInt(), 0);
    }
    void editAndDeleteSlots() {
        const int id = addHall("Бассейн", 20);
        exec(db(), QString("INSERT INTO tSeans (ID_Zal, TimeBeg, CountTime) VALUES (%1, '1899-12-30 12:00:00', 45), "
                           "(%1, '1899-12-30 07:00:00', 45), (%1, '1899-12-30 10:00:00', 45)")
                       .arg(id));
        TfrmZal hall(db(), nullptr);
        hall.LoadEdZal(id);
        selectRow(*hall.DBGridSpr, 1);
        QStringList seen;
        const auto record = [&seen](QDialog& dialog) {
            seen << dialog.windowTitle() + " " + static_cast<TfrmSeans&>(dialog).dtpBegS->time().toString("HH:mm");
        };
        m_ui->modalHandlers.push_back([&](QDialog& dialog) {
            record(dialog);
            return saveSlot(dialog, QTime(13, 0), 50);
        });
        hall.btnEdSeans->click();
        QCOMPARE(shownRows(*hall.DBGridSpr), QStringList({"07:00|45", "12:00|45", "13:00|50"}));
        hall.btnDelSeans->click();  // the same row number stays selected, now another slot
        QCOMPARE(column(*hall.DBGridSpr, "TimeBeg"), QStringList({"07:00", "13:00"}));
        QVERIFY(m_ui->questions.isEmpty());
        exec(db(), "DELETE FROM tSeans");
        hall.DBGridSpr->requery(0);
        hall.btnDelSeans->click();
        m_ui->modalHandlers.push_back([&](QDialog& dialog) { return record(dialog), int(QDialog::Rejected); });
        hall.btnEdSeans->click();
        QCOMPARE(seen, QStringList({"Сеанс 10:00", "Сеанс: НОВЫЙ 09:00"}));
    }

  private:
    // Test rows are the test's own texts, so they are written into the statements.
    int addHall(const QString& name, int places) {
        return insert(db(), QString("INSERT INTO tZal (NameZal, CountMest, RezervMest, info, StrTXTCard) "
                                    "VALUES ('%1', %2, 3, '25 м', 'Шапочка')")
                                .arg(name)
                                .arg(places));
    }
};

QTEST_MAIN(TestEdZal)
#include "tst_edzal.moc"
