#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>

#include "app/SprGrid.h"
#include "cards/UnitDopInfoCard.h"
#include "facility/UnitEdSeans.h"
#include "facility/UnitEdZal.h"
#include "platform/FormWidgets.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kNotUnique = QStringLiteral("Введено не уникальное наименование зала!");
const QString kNotFilled = QStringLiteral("Не заполнены обязательные поля!");
const QString kSameTime = QStringLiteral("Сеанс с таким временем уже есть!");
const QString kHallRow =
    QStringLiteral("SELECT NameZal, CountMest, RezervMest, info, StrTXTCard FROM tZal WHERE ID=%1");
const QString kSlots = QStringLiteral("SELECT ID_Zal, TimeBeg, CountTime FROM tSeans ORDER BY ID");

bool slotPartsEnabled(TfrmZal& hall) {
    return hall.btnNewSeans->isEnabled() && hall.btnEdSeans->isEnabled() && hall.btnDelSeans->isEnabled() &&
           hall.BitBtn1->isEnabled();
}

// A modal handler that fills the time-slot editor and presses "Сохранить" the given number of times.
std::function<int(QDialog&)> saveSlot(const QTime& begin, int minutes, int presses = 1) {
    return [=](QDialog& dialog) {
        auto& slot = static_cast<TfrmSeans&>(dialog);
        slot.dtpBegS->setTime(begin);
        slot.leLongS->setValue(minutes);
        int answer = 0;
        for (int i = 0; i < presses; ++i) {
            answer = pressButton(dialog, "btnSave");
        }
        return answer;
    };
}

// Deletes the whole text with the keyboard, as a person empties a field.
void erase(UpDownEdit* edit) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
}

}  // namespace

class TestEdZal : public QObject {
    Q_OBJECT

  private slots:
    void init() { startCase(m_ui, m_db); }
    void cleanup() { endCase(m_ui, m_db); }

    void changedFlagAndCaption_data() {
        QTest::addColumn<bool>("isNew");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("saved");  // the hall's row after "Сохранить"
        QTest::newRow("new") << true << ""
                             << "Зал: НОВЫЙ"
                             << "|0|0||";
        QTest::newRow("new, typed") << true << "name"
                                    << "Зал: НОВЫЙ"
                                    << " 2|0|0||";
        QTest::newRow("existing, above the arrows' range") << false << ""
                                                           << "Зал"
                                                           << "Бассейн|150|3|25 м|";
        QTest::newRow("typed name") << false << "name"
                                    << "Зал *"
                                    << "Бассейн 2|150|3|25 м|";
        QTest::newRow("pasted note") << false << "paste"
                                     << "Зал *"
                                     << "Бассейн|150|3|душ|";
        QTest::newRow("counter arrow") << false << "arrow"
                                       << "Зал *"
                                       << "Бассейн|149|3|25 м|";
        QTest::newRow("extra text") << false << "text"
                                    << "Зал *"
                                    << "Бассейн|150|3|25 м|Без обуви";
    }
    void changedFlagAndCaption() {
        QFETCH(bool, isNew);
        QFETCH(QString, edit);
        QFETCH(QString, caption);
        QFETCH(QString, saved);
        const int stored = addHall(QStringLiteral("Бассейн"), 150);
        TfrmZal hall(db(), nullptr);
        hall.LoadEdZal(isNew ? -1 : stored);
        QCOMPARE(hall.leCountMest->text(), isNew ? QStringLiteral("0") : QStringLiteral("150"));
        if (edit == "name") {
            hall.leNameZal->setFocus();
            hall.leNameZal->end(false);
            QTest::keyClicks(hall.leNameZal, " 2");
        } else if (edit == "paste") {
            hall.leInfo->selectAll();
            hall.leInfo->insert(QStringLiteral("душ"));
        } else if (edit == "arrow") {
            hall.leCountMest->stepDown();
        } else if (edit == "text") {
            m_ui->modalHandlers.push_back([](QDialog& dialog) {
                auto& text = static_cast<TfrmDopInfo&>(dialog);
                text.MemoTXT->setPlainText(QStringLiteral("Без обуви"));
                return pressButton(dialog, "btnCancel");
            });
            hall.btnTXT->click();
        }
        QCOMPARE(hall.windowTitle(), caption);
        QCOMPARE(pressButton(hall, "btnSave"), isNew ? 0 : int(QDialog::Accepted));
        QCOMPARE(rows(db(), kHallRow.arg(isNew ? hall.ZalID : stored)), QStringList(saved));
    }
    void newHallGoesOnWithItsOwnRow() {
        const int older = addHall(QStringLiteral("Бассейн"), 20);
        TfrmZal hall(db(), nullptr);
        hall.LoadEdZal(-1);
        QVERIFY(!hall.btnNewSeans->isEnabled() && !hall.btnEdSeans->isEnabled() && !hall.btnDelSeans->isEnabled());
        QVERIFY(!hall.BitBtn1->isEnabled());
        QVERIFY(hall.btnTXT->isEnabled());
        QCOMPARE(hall.DBGridSpr->rowCount(), 0);
        hall.leNameZal->setText(QStringLiteral("бассейн"));
        hall.leCountMest->setValue(20);
        QCOMPARE(pressButton(hall, "btnSave"), 0);  // stays open on the saved hall
        QCOMPARE(m_ui->messageTexts(), QStringList(kNotUnique));
        QVERIFY(hall.ZalID > older);
        QCOMPARE(hall.windowTitle(), QStringLiteral("Зал"));
        QVERIFY(slotPartsEnabled(hall));
        m_ui->modalHandlers.push_back(saveSlot(QTime(18, 30), 45, 2));
        hall.btnNewSeans->click();
        QCOMPARE(rows(db(), kSlots), QStringList(QStringLiteral("%1|1899-12-30 18:30:00|45").arg(hall.ZalID)));
        QCOMPARE(shownRows(*hall.DBGridSpr), QStringList("18:30|45"));
        // Nothing changed since the first save: closes without writing.
        QCOMPARE(pressButton(hall, "btnSave"), int(QDialog::Accepted));
        QCOMPARE(rows(db(), "SELECT ID, NameZal FROM tZal ORDER BY ID"),
                 QStringList({QStringLiteral("%1|Бассейн").arg(older), QStringLiteral("%1|бассейн").arg(hall.ZalID)}));
    }
    void refusesEmptyCounts_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("message");
        QTest::newRow("places") << "leCountMest"
                                << "Поле \"Мест\" должно содержать целое число не меньше нуля!";
        QTest::newRow("reserve") << "leRezPos"
                                 << "Поле \"Резерв\" должно содержать целое число не меньше нуля!";
        QTest::newRow("duration empty") << "leLongS" << kNotFilled;
        QTest::newRow("duration 0") << "0" << kNotFilled;
    }
    void refusesEmptyCounts() {
        QFETCH(QString, field);
        QFETCH(QString, message);
        TfrmZal hall(db(), nullptr);
        hall.LoadEdZal(addHall(QStringLiteral("Бассейн"), 20));
        const QStringList before = rows(db(), "SELECT * FROM tZal");
        int answer = -1;
        if (field.startsWith("leLongS") || field == "0") {
            m_ui->modalHandlers.push_back([&](QDialog& dialog) {
                if (field != "0") {
                    erase(dialog.findChild<UpDownEdit*>(field));
                }
                answer = pressButton(dialog, "btnSave");
                return answer;
            });
            hall.btnNewSeans->click();
        } else {
            erase(hall.findChild<UpDownEdit*>(field));
            answer = pressButton(hall, "btnSave");
        }
        QCOMPARE(answer, 0);
        QCOMPARE(m_ui->messageTexts(), QStringList(message));
        QCOMPARE(rows(db(), "SELECT * FROM tZal"), before);
        QCOMPARE(rows(db(), kSlots), QStringList());
    }
    void sameStartTimeIsToldAndNewSlotKept() {
        const int id = addHall(QStringLiteral("Бассейн"), 20);
        exec(db(),
             QStringLiteral("INSERT INTO tSeans (ID_Zal, TimeBeg, CountTime) VALUES (%1, '1899-12-30 18:30:00', 45)")
                 .arg(id));
        TfrmZal hall(db(), nullptr);
        hall.LoadEdZal(id);
        int firstAnswer = -1;
        QString caption;
        m_ui->modalHandlers.push_back([&](QDialog& dialog) {
            firstAnswer = saveSlot(QTime(18, 30), 60)(dialog);
            caption = dialog.windowTitle();
            static_cast<TfrmSeans&>(dialog).leLongS->setValue(90);
            return pressButton(dialog, "btnSave");
        });
        hall.btnNewSeans->click();
        QCOMPARE(firstAnswer, 0);
        QCOMPARE(caption, QStringLiteral("Сеанс: НОВЫЙ"));
        QCOMPARE(m_ui->messageTexts(), QStringList(kSameTime));
        // The second save updated the row just inserted, not the older slot.
        const QString at1830 = QStringLiteral("%1|1899-12-30 18:30:00|").arg(id);
        QCOMPARE(rows(db(), kSlots), QStringList({at1830 + "45", at1830 + "90"}));
    }
    void editAndDeleteSlots() {
        const int id = addHall(QStringLiteral("Бассейн"), 20);
        for (const char* time : {"12:00", "07:00", "10:00"}) {
            exec(db(),
                 QStringLiteral("INSERT INTO tSeans (ID_Zal, TimeBeg, CountTime) VALUES (%1, '1899-12-30 %2:00', 45)")
                     .arg(id)
                     .arg(QString::fromLatin1(time)));
        }
        TfrmZal hall(db(), nullptr);
        hall.LoadEdZal(id);
        QCOMPARE(visibleTitles(*hall.DBGridSpr), QStringList({"Начало", "Длит-сть, мин"}));
        QCOMPARE(column(*hall.DBGridSpr, "TimeBeg"), QStringList({"07:00", "10:00", "12:00"}));
        selectRow(*hall.DBGridSpr, 1);
        QTime loaded;
        QStringList captions;
        m_ui->modalHandlers.push_back([&](QDialog& dialog) {
            loaded = static_cast<TfrmSeans&>(dialog).dtpBegS->time();
            captions << dialog.windowTitle();
            return saveSlot(QTime(13, 0), 50)(dialog);
        });
        hall.btnEdSeans->click();
        QCOMPARE(loaded, QTime(10, 0));
        QCOMPARE(shownRows(*hall.DBGridSpr), QStringList({"07:00|45", "12:00|45", "13:00|50"}));
        QCOMPARE(hall.DBGridSpr->currentRowNumber(), 1);  // the same row number, now another slot
        hall.btnDelSeans->click();
        QCOMPARE(column(*hall.DBGridSpr, "TimeBeg"), QStringList({"07:00", "13:00"}));
        QVERIFY(m_ui->questions.isEmpty());
        exec(db(), "DELETE FROM tSeans");
        hall.DBGridSpr->requery(0);
        hall.btnDelSeans->click();
        m_ui->modalHandlers.push_back([&](QDialog& dialog) {
            captions << dialog.windowTitle();
            return int(QDialog::Rejected);
        });
        hall.btnEdSeans->click();
        QCOMPARE(captions, QStringList({"Сеанс", "Сеанс: НОВЫЙ"}));
    }
    void extraTextDialogForHall() {
        exec(db(), "INSERT INTO tZal (NameZal, StrTXTCard) VALUES ('Бассейн', 'Шапочка')");
        TfrmZal hall(db(), nullptr);
        hall.LoadEdZal(1);
        bool boxHidden = false;
        QString offered;
        int answer = -1;
        m_ui->modalHandlers.push_back([&](QDialog& dialog) {
            auto& text = static_cast<TfrmDopInfo&>(dialog);
            boxHidden = text.cbPrintTXT->isHidden();
            offered = text.MemoTXT->toPlainText();
            text.MemoTXT->setPlainText(QString(250, QLatin1Char('x')));
            answer = pressButton(dialog, "btnCancel");
            return answer;
        });
        hall.btnTXT->click();
        QVERIFY(boxHidden);
        QCOMPARE(answer, int(QDialog::Rejected));
        QCOMPARE(offered, QStringLiteral("Шапочка"));
        QCOMPARE(pressButton(hall, "btnClose"), int(QDialog::Rejected));
        QCOMPARE(rows(db(), "SELECT StrTXTCard FROM tZal"), QStringList("Шапочка"));
        QCOMPARE(pressButton(hall, "btnSave"), int(QDialog::Accepted));
        QCOMPARE(scalar(db(), "SELECT length(StrTXTCard) FROM tZal").toInt(), 250);
        QCOMPARE(scalar(db(), "SELECT count(*) FROM tParApl").toInt(), 0);
    }

  private:
    Database& db() { return m_db->db; }
    int addHall(const QString& name, int places) {
        SqlQuery command(db());
        command.addParam(QStringLiteral("pName"), FieldType::String, name);
        command.exec(QStringLiteral("INSERT INTO tZal (NameZal, CountMest, RezervMest, info) VALUES (:pName, %1, 3, "
                                    "'25 м')")
                         .arg(places));
        return int(command.lastInsertId());
    }

    std::unique_ptr<FakeUi> m_ui;
    std::unique_ptr<TestDatabase> m_db;
};

QTEST_MAIN(TestEdZal)
#include "tst_edzal.moc"
