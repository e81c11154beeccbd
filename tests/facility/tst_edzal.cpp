#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>

#include "common/SprGrid.h"
#include "common/UnitDopInfoCard.h"
#include "facility/UnitEdSeans.h"
#include "facility/UnitEdZal.h"
#include "platform/FormWidgets.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kNotFilled = QStringLiteral("Не заполнены обязательные поля!");
const QString kHallRow =
    QStringLiteral("SELECT NameZal, CountMest, RezervMest, info, StrTXTCard FROM tZal WHERE ID=%1");
const QString kSlots = QStringLiteral("SELECT ID_Zal, TimeBeg, CountTime FROM tSeans ORDER BY ID");
const QString kAddSlot =
    QStringLiteral("INSERT INTO tSeans (ID_Zal, TimeBeg, CountTime) VALUES (%1, '1899-12-30 %2', 45)");

// Fills the time-slot editor and presses "Сохранить" the given number of times; answers the last result.
int saveSlot(QDialog& dialog, const QTime& begin, int minutes, int presses = 1) {
    auto& slot = static_cast<TfrmSeans&>(dialog);
    slot.dtpBegS->setTime(begin);
    slot.leLongS->setValue(minutes);
    int answer = 0;
    for (int i = 0; i < presses; ++i) {
        answer = pressButton(dialog, "btnSave");
    }
    return answer;
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
        QTest::addColumn<QString>("saved");  // the hall's row after "Сохранить"
        const auto row = [](const char* name, bool isNew, const char* edit, const char* caption, const char* saved) {
            QTest::newRow(name) << isNew << QString(edit) << QString::fromUtf8(caption) << QString::fromUtf8(saved);
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
        QFETCH(QString, caption);
        QFETCH(QString, saved);
        const int stored = addHall(QStringLiteral("Бассейн"), 150);
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
                text.MemoTXT->setPlainText(QStringLiteral("Без обуви"));
                return pressButton(dialog, "btnCancel");
            });
            hall.btnTXT->click();
            QCOMPARE(offered, QStringLiteral("Шапочка|hidden"));
        }
        QCOMPARE(hall.windowTitle(), caption);
        QCOMPARE(pressButton(hall, "btnSave"), isNew ? 0 : int(QDialog::Accepted));
        QCOMPARE(rows(db(), kHallRow.arg(isNew ? hall.ZalID : stored)), QStringList(saved));
        QCOMPARE(scalar(db(), "SELECT snachInt FROM tParApl WHERE ParKod=53").toInt(), 0);
    }
    void newHallGoesOnWithItsOwnRow() {
        const int older = addHall(QStringLiteral("Бассейн"), 20);
        TfrmZal hall(db(), nullptr);
        hall.LoadEdZal(-1);
        hall.leNameZal->setText(QStringLiteral("бассейн"));
        hall.leCountMest->setValue(20);
        QCOMPARE(pressButton(hall, "btnSave"), 0);  // stays open on the saved hall
        QCOMPARE(m_ui->messageTexts(), QStringList("Введено не уникальное наименование зала!"));
        QVERIFY(hall.ZalID > older);
        QCOMPARE(hall.windowTitle(), QStringLiteral("Зал"));
        m_ui->modalHandlers.push_back([](QDialog& dialog) { return saveSlot(dialog, QTime(18, 30), 45, 2); });
        hall.btnNewSeans->click();
        QCOMPARE(rows(db(), kSlots), QStringList(QStringLiteral("%1|1899-12-30 18:30:00|45").arg(hall.ZalID)));
        QCOMPARE(shownRows(*hall.DBGridSpr), QStringList("18:30|45"));
        QString pricesCaption;
        m_ui->modalHandlers.push_back([&](QDialog& dialog) {
            pricesCaption = dialog.windowTitle();
            return int(QDialog::Rejected);
        });
        hall.BitBtn1->click();
        QCOMPARE(pricesCaption, QStringLiteral("Установка цен: бассейн"));
        // Nothing changed since the first save: closes without writing.
        QCOMPARE(pressButton(hall, "btnSave"), int(QDialog::Accepted));
        QCOMPARE(scalar(db(), "SELECT group_concat(NameZal) FROM tZal").toString(), QStringLiteral("Бассейн,бассейн"));
    }
    void refusesEmptyCounts_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("message");
        const QString notANumber = QStringLiteral("Поле \"%1\" должно содержать целое число не меньше нуля!");
        QTest::newRow("places") << "leCountMest" << notANumber.arg("Мест");
        QTest::newRow("reserve") << "leRezPos" << notANumber.arg("Резерв");
        QTest::newRow("duration empty") << "leLongS" << kNotFilled;
        QTest::newRow("duration 0") << "" << kNotFilled;
    }
    void refusesEmptyCounts() {
        QFETCH(QString, field);
        QFETCH(QString, message);
        TfrmZal hall(db(), nullptr);
        hall.LoadEdZal(addHall(QStringLiteral("Бассейн"), 20));
        int answer = -1;
        if (field.startsWith("le") && field != "leLongS") {
            erase(hall.findChild<UpDownEdit*>(field));
            answer = pressButton(hall, "btnSave");
        } else {
            m_ui->modalHandlers.push_back([&](QDialog& dialog) {
                if (!field.isEmpty()) {
                    erase(dialog.findChild<UpDownEdit*>(field));
                }
                return answer = pressButton(dialog, "btnSave");
            });
            hall.btnNewSeans->click();
        }
        QCOMPARE(answer, 0);
        QCOMPARE(m_ui->messageTexts(), QStringList(message));
        QCOMPARE(rows(db(), kHallRow.arg(hall.ZalID)), QStringList("Бассейн|20|3|25 м|Шапочка"));
        QCOMPARE(rows(db(), kSlots), QStringList());
    }
    void sameStartTimeIsToldAndNewSlotKept() {
        const int id = addHall(QStringLiteral("Бассейн"), 20);
        exec(db(), kAddSlot.arg(id).arg("18:30:00"));
        TfrmZal hall(db(), nullptr);
        hall.LoadEdZal(id);
        QStringList seen;
        m_ui->modalHandlers.push_back([&seen](QDialog& dialog) {
            seen << QString::number(saveSlot(dialog, QTime(18, 30), 60)) << dialog.windowTitle();
            return saveSlot(dialog, QTime(18, 30), 90);
        });
        hall.btnNewSeans->click();
        QCOMPARE(seen, QStringList({"0", "Сеанс: НОВЫЙ"}));
        QCOMPARE(m_ui->messageTexts(), QStringList("Сеанс с таким временем уже есть!"));
        // The second save updated the row just inserted, not the older slot.
        const QString at1830 = QStringLiteral("%1|1899-12-30 18:30:00|").arg(id);
        QCOMPARE(rows(db(), kSlots), QStringList({at1830 + "45", at1830 + "90"}));
    }
    void editAndDeleteSlots() {
        const int id = addHall(QStringLiteral("Бассейн"), 20);
        for (const char* time : {"12:00:00", "07:00:00", "10:00:00"}) {
            exec(db(), kAddSlot.arg(id).arg(time));
        }
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
        QCOMPARE(hall.DBGridSpr->currentRowNumber(), 1);  // the same row number, now another slot
        hall.btnDelSeans->click();
        QCOMPARE(column(*hall.DBGridSpr, "TimeBeg"), QStringList({"07:00", "13:00"}));
        QVERIFY(m_ui->questions.isEmpty());
        exec(db(), "DELETE FROM tSeans");
        hall.DBGridSpr->requery(0);
        hall.btnDelSeans->click();
        m_ui->modalHandlers.push_back([&](QDialog& dialog) { return record(dialog), int(QDialog::Rejected); });
        hall.btnEdSeans->click();
        QCOMPARE(seen, QStringList({"Сеанс 10:00", "Сеанс: НОВЫЙ 09:00"}));
    }
    // Another workstation deletes the hall while it is open: no update, no slot under it.
    void hallDeletedElsewhereTakesNoWrite() {
        TfrmZal hall(db(), nullptr);
        hall.LoadEdZal(addHall(QStringLiteral("Бассейн"), 20));
        execElsewhere(*m_db, "DELETE FROM tZal");
        hall.leNameZal->setText(QStringLiteral("Бассейн 2"));
        QVERIFY_THROWS_EXCEPTION(RecordGone, pressButton(hall, "btnSave"));
        QCOMPARE(hall.result(), 0);
        m_ui->modalHandlers.push_back([](QDialog& dialog) { return saveSlot(dialog, QTime(18, 30), 45); });
        QVERIFY_THROWS_EXCEPTION(RecordGone, hall.btnNewSeans->click());
        QCOMPARE(scalar(db(), "SELECT (SELECT COUNT(*) FROM tZal) + (SELECT COUNT(*) FROM tSeans)").toInt(), 0);
    }

  private:
    // Test rows are the test's own texts, so they are written into the statements.
    int addHall(const QString& name, int places) {
        return insert(db(), QStringLiteral("INSERT INTO tZal (NameZal, CountMest, RezervMest, info, StrTXTCard) "
                                           "VALUES ('%1', %2, 3, '25 м', 'Шапочка')")
                                .arg(name)
                                .arg(places));
    }
};

QTEST_MAIN(TestEdZal)
#include "tst_edzal.moc"
