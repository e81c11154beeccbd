#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTimeEdit>
#include <QToolButton>

#include "common/SprGrid.h"
#include "facility/UnitEdVS.h"
#include "facility/UnitSchedEmpl.h"
#include "tests/cards/CardFixture.h"

using namespace card_fixture;

namespace {

struct Timetable : TfrmRaspSan {
    Timetable(Database& db, int sport) : TfrmRaspSan(db, nullptr) { LoadRasp(sport); }
};

const QString kTimetable = "SELECT ZalID, VidSportID, DayNed, SeansTime FROM tSchedulEmpl ORDER BY ID";

}  // namespace

class TestSchedEmpl : public DatabaseCase {
    Q_OBJECT

  private slots:
    // Only a typed change marks an existing sports type; a new one is saved as it stands, even nameless.
    void sportsTypeEditor() {
        TfrmEdVS existing(db(), nullptr);
        existing.LoadEdVS(insert(db(), "INSERT INTO tVidSport (NameVidSp, info) VALUES ('Плавание', 'дети')"));
        QCOMPARE(existing.windowTitle(), "Вид спорта");
        QVERIFY(!existing.btnSave->isEnabled());
        existing.leNameOrg->selectAll();
        existing.leNameOrg->insert("Йога");
        QCOMPARE(existing.windowTitle(), "Вид спорта *");
        QCOMPARE(pressButton(existing, "btnSave"), int(QDialog::Accepted));
        for (const char* typed : {"", "Бокс"}) {
            TfrmEdVS editor(db(), nullptr);
            editor.LoadEdVS(-1);
            editor.leNameOrg->insert(typed);
            QCOMPARE(editor.windowTitle(), "Вид спорта: НОВЫЙ");
            QCOMPARE(pressButton(editor, "btnSave"), int(QDialog::Accepted));
        }
        QCOMPARE(rows(db(), "SELECT NameVidSp, info FROM tVidSport ORDER BY ID"),
                 QStringList({"Йога|дети", "|", "Бокс|"}));
    }
    void addsShowsAndDeletesRows() {
        addHall(db(), "Бассейн");
        addHall(db(), "Тренажерный зал");
        const int sport = addSport("Аквааэробика");
        addPrice(db(), 0, addTypeCen(db(), "Разовое", 0, 0, 0, addSport("Плавание")), QDate(2024, 1, 1), 300);
        // Stray weekdays show an empty day; a row of a hall that is gone is not listed.
        addTimetable(db(), sport, 1, 0, QTime(9, 0));
        addTimetable(db(), sport, 1, 8, QTime(10, 0));
        addTimetable(db(), sport, 9, 1, QTime(12, 0));
        Timetable timetable(db(), sport);
        add(timetable, 0, 2, QTime(18, 30));
        add(timetable, 1, 0, QTime(19, 0));
        add(timetable, 0, 0, QTime(8, 0));
        add(timetable, 0, 0, QTime(8, 0));
        const SprGrid& grid = *timetable.DBGrid1;
        QStringList drawn;  // hall, weekday and time as the grid draws them
        for (int row = 0; row < grid.rowCount(); ++row) {
            QStringList cells;
            for (const char* field : {"NameZal", "DayNed", "SeansTime"}) {
                const QModelIndex cell = grid.model()->index(row, grid.sprModel()->fieldColumn(field));
                const auto* format = static_cast<QStyledItemDelegate*>(grid.itemDelegateForIndex(cell));
                cells << format->displayText(cell.data(), QLocale());
            }
            drawn << cells.join(QLatin1Char('|'));
        }
        QCOMPARE(drawn, QStringList({"Бассейн||09:00", "Бассейн|Понедельник|08:00", "Бассейн|Понедельник|08:00",
                                     "Тренажерный зал|Понедельник|19:00", "Бассейн|Среда|18:30", "Бассейн||10:00"}));
        // Only a price of the timetable's own sports type keeps its rows, one that another workstation stores as the
        // delete begins too; nothing is asked.
        timetable.btnDel->click();
        const int type = addTypeCen(db(), "Разовое", 0, 0, 0, sport);
        WriteAtNextBegin elsewhere(*m_db, sqlOf("INSERT INTO tCenaSeans (ID_Period, ID_TypeCen, "
                                                "DateSet, Cena) VALUES (0, %1, '2024-01-01 00:00:00', 300)",
                                                type));
        timetable.btnDel->click();
        QCOMPARE(m_ui->messageTexts(), QStringList("Имеются ссылки: 1"));
        QVERIFY(m_ui->questions.isEmpty());
        QCOMPARE(column(*timetable.DBGrid1, "SeansTime"), QStringList({"08:00", "08:00", "19:00", "18:30", "10:00"}));
        // Another workstation deletes the sports type while its timetable is open: no row under it.
        execElsewhere(*m_db, "DELETE FROM tVidSport");
        QVERIFY_THROWS_EXCEPTION(RecordGone, add(timetable, 0, 0, QTime(8, 0)));
        QCOMPARE(rows(db(), kTimetable).size(), 6);
    }
    // Without a hall, or for an unknown sports type, the buttons do nothing. A cell click takes its row into the
    // inputs; a hall stored after the box was filled, and a stray weekday, leave their boxes as they are, so the add
    // stores the first row's hall, weekday and time.
    void buttonsAndCellClick() {
        const auto pressAll = [this](int sport) {
            Timetable timetable(db(), sport);
            timetable.btnAddClick();
            timetable.btnDelClick();
            timetable.btnCostClick();
        };
        const int sport = addSport("Йога");
        pressAll(sport);
        addHall(db(), "Бассейн");
        const int gym = addHall(db(), "Тренажерный зал");
        addTimetable(db(), sport, gym, 4, QTime(17, 45));
        pressAll(42);
        Timetable timetable(db(), sport);
        timetable.DBGrid1CellClick();
        const int sauna = addHall(db(), "Сауна");
        exec(db(), QString("UPDATE tSchedulEmpl SET ZalID=%1, DayNed=0").arg(sauna));
        timetable.DBGrid1->requery(0);
        timetable.DBGrid1CellClick();
        timetable.btnAdd->click();
        const QString row = "%1|%2|%3|1899-12-30 17:45:00";
        QCOMPARE(rows(db(), kTimetable),
                 QStringList({row.arg(sauna).arg(sport).arg(0), row.arg(gym).arg(sport).arg(4)}));
        QVERIFY(m_ui->messages.isEmpty() && m_ui->modalClasses.isEmpty());
    }

  private:
    // Test rows are the test's own texts, so they are written into the statements.
    int addSport(const QString& name) {
        return insert(db(), QString("INSERT INTO tVidSport (NameVidSp) VALUES ('%1')").arg(name));
    }
    void add(TfrmRaspSan& timetable, int hall, int day, const QTime& time) {
        timetable.cbZal->setCurrentIndex(hall);
        timetable.cbDay->setCurrentIndex(day);
        timetable.TimeSeans->setTime(time);
        timetable.btnAdd->click();
    }
};

QTEST_MAIN(TestSchedEmpl)
#include "tst_schedempl.moc"
