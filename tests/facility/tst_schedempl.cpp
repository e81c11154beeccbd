#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>

#include "common/SprGrid.h"
#include "facility/UnitEdVS.h"
#include "facility/UnitSchedEmpl.h"
#include "tests/cards/CardFixture.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kTimetable = QStringLiteral("SELECT ZalID, VidSportID, DayNed, SeansTime FROM tSchedulEmpl ORDER BY ID");

// Each row of the timetable as the grid draws it: hall, weekday, time.
QStringList drawnRows(const SprGrid& grid) {
    QStringList result;
    for (int row = 0; row < grid.rowCount(); ++row) {
        QStringList cells;
        for (const char* field : {"NameZal", "DayNed", "SeansTime"}) {
            const QModelIndex cell = grid.model()->index(row, grid.sprModel()->fieldColumn(field));
            const auto* format = static_cast<QStyledItemDelegate*>(grid.itemDelegateForIndex(cell));
            cells << format->displayText(cell.data(), QLocale());
        }
        result << cells.join(QLatin1Char('|'));
    }
    return result;
}

}  // namespace

class TestSchedEmpl : public DatabaseCase {
    Q_OBJECT

  private slots:
    void sportsTypeEditor_data() {
        QTest::addColumn<bool>("isNew");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("saveEnabled");
        QTest::addColumn<QStringList>("stored");
        const auto row = [](const char* name, bool isNew, const char* typed, const char* caption, bool save,
                            const QStringList& stored) {
            QTest::newRow(name) << isNew << QString::fromUtf8(typed) << QString::fromUtf8(caption) << save << stored;
        };
        row("new, empty name", true, "", "Вид спорта: НОВЫЙ", true, {"Плавание|дети", "|"});
        row("new, typed", true, "Йога", "Вид спорта: НОВЫЙ", true, {"Плавание|дети", "Йога|"});
        row("existing", false, "", "Вид спорта", false, {"Плавание|дети"});
        row("existing, typed", false, "Йога", "Вид спорта *", true, {"Йога|дети"});
    }
    void sportsTypeEditor() {
        QFETCH(bool, isNew);
        QFETCH(QString, typed);
        QFETCH(bool, saveEnabled);
        const int id = insert(db(), "INSERT INTO tVidSport (NameVidSp, info) VALUES ('Плавание', 'дети')");
        TfrmEdVS editor(db(), nullptr);
        editor.LoadEdVS(isNew ? -1 : id);
        if (!typed.isEmpty()) {
            editor.leNameOrg->selectAll();
            editor.leNameOrg->insert(typed);
        }
        QTEST(editor.windowTitle(), "caption");
        QCOMPARE(editor.btnSave->isEnabled(), saveEnabled);
        if (saveEnabled) {
            QCOMPARE(pressButton(editor, "btnSave"), int(QDialog::Accepted));
        }
        QTEST(rows(db(), "SELECT NameVidSp, info FROM tVidSport ORDER BY ID"), "stored");
    }
    void addShowsWeekdayAndTimeInOrder() {
        const int pool = addHall(QStringLiteral("Бассейн"));
        addHall(QStringLiteral("Тренажерный зал"));
        const int sport = addSport(QStringLiteral("Аквааэробика"));
        // Stray weekdays show an empty day; a row of a hall that is gone is not listed.
        exec(db(), QStringLiteral("INSERT INTO tSchedulEmpl (ZalID, VidSportID, DayNed, SeansTime) VALUES "
                                  "(1, %1, 0, '1899-12-30 09:00:00'), (1, %1, 8, '1899-12-30 10:00:00'), "
                                  "(9, %1, 1, '1899-12-30 12:00:00')")
                       .arg(sport));
        auto timetable = open(sport);
        add(*timetable, 0, 2, QTime(18, 30));
        QCOMPARE(rows(db(), kTimetable).last(), QStringLiteral("%1|%2|3|1899-12-30 18:30:00").arg(pool).arg(sport));
        add(*timetable, 1, 0, QTime(19, 0));
        add(*timetable, 0, 0, QTime(8, 0));
        add(*timetable, 0, 0, QTime(8, 0));
        QCOMPARE(drawnRows(*timetable->DBGrid1),
                 QStringList({"Бассейн||09:00", "Бассейн|Понедельник|08:00", "Бассейн|Понедельник|08:00",
                              "Тренажерный зал|Понедельник|19:00", "Бассейн|Среда|18:30", "Бассейн||10:00"}));
    }
    void sportsTypeDeletedElsewhereTakesNoRow() {
        addHall(QStringLiteral("Бассейн"));
        auto timetable = open(addSport(QStringLiteral("Аквааэробика")));
        execElsewhere(*m_db, "DELETE FROM tVidSport");
        QVERIFY_THROWS_EXCEPTION(RecordGone, add(*timetable, 0, 0, QTime(8, 0)));
        QCOMPARE(rows(db(), kTimetable), QStringList());
    }
    void cellClickTakesRowIntoInputs() {
        addHall(QStringLiteral("Бассейн"));
        const int gym = addHall(QStringLiteral("Тренажерный зал"));
        const int sport = addSport(QStringLiteral("Йога"));
        exec(db(), QStringLiteral("INSERT INTO tSchedulEmpl (ZalID, VidSportID, DayNed, SeansTime) VALUES "
                                  "(%1, %2, 4, '1899-12-30 17:45:00')")
                       .arg(gym)
                       .arg(sport));
        const auto timetable = open(sport);
        timetable->DBGrid1CellClick();
        QCOMPARE(timetable->cbZal->currentText(), QStringLiteral("Тренажерный зал"));
        QCOMPARE(timetable->TimeSeans->time(), QTime(17, 45));
        QCOMPARE(timetable->cbDay->currentText(), QStringLiteral("Четверг"));
        // A hall stored after the box was filled, and a stray weekday, leave their boxes as they are.
        const int sauna = addHall(QStringLiteral("Сауна"));
        exec(db(), QStringLiteral("UPDATE tSchedulEmpl SET ZalID=%1, DayNed=0").arg(sauna));
        timetable->DBGrid1->requery(0);
        timetable->DBGrid1CellClick();
        QCOMPARE(timetable->cbZal->currentText(), QStringLiteral("Тренажерный зал"));
        QCOMPARE(timetable->cbDay->currentText(), QStringLiteral("Четверг"));
        timetable->btnAdd->click();
        QCOMPARE(rows(db(), kTimetable).last(), QStringLiteral("%1|%2|4|1899-12-30 17:45:00").arg(gym).arg(sport));
    }
    void deleteRefusedWhileSportHasPrices_data() {
        QTest::addColumn<bool>("prices");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("no prices") << false << "" << QStringList("18:00");
        QTest::newRow("one price") << true << "Имеются ссылки: 1" << QStringList({"10:00", "18:00"});
    }
    void deleteRefusedWhileSportHasPrices() {
        QFETCH(bool, prices);
        QFETCH(QString, message);
        addHall(QStringLiteral("Бассейн"));
        const int sport = addSport(QStringLiteral("Йога"));
        // A price of another sports type does not count.
        addPrice(addSport(QStringLiteral("Плавание")));
        if (prices) {
            addPrice(sport);
        }
        const auto timetable = open(sport);
        add(*timetable, 0, 0, QTime(18, 0));
        add(*timetable, 0, 0, QTime(10, 0));
        timetable->btnDel->click();
        QCOMPARE(m_ui->messageTexts(), message.isEmpty() ? QStringList() : QStringList(message));
        QTEST(column(*timetable->DBGrid1, "SeansTime"), "left");
        QVERIFY(m_ui->questions.isEmpty());
    }
    void nothingToAddToOrDeleteFrom_data() {
        QTest::addColumn<bool>("hall");
        QTest::addColumn<bool>("sport");
        QTest::newRow("no hall") << false << true;
        QTest::newRow("unknown sports type") << true << false;
    }
    void nothingToAddToOrDeleteFrom() {
        QFETCH(bool, hall);
        QFETCH(bool, sport);
        if (hall) {
            addHall(QStringLiteral("Бассейн"));
        }
        const int id = sport ? addSport(QStringLiteral("Йога")) : 42;
        const auto timetable = open(id);
        timetable->btnAddClick();
        timetable->btnDelClick();
        timetable->btnCostClick();
        QCOMPARE(rows(db(), kTimetable), QStringList());
        QVERIFY(m_ui->messages.isEmpty() && m_ui->modalClasses.isEmpty());
    }

  private:
    // Test rows are the test's own texts, so they are written into the statements.
    int addHall(const QString& name) { return card_fixture::addHall(db(), name); }
    int addSport(const QString& name) {
        return insert(db(), QStringLiteral("INSERT INTO tVidSport (NameVidSp) VALUES ('%1')").arg(name));
    }
    void addPrice(int sport) {
        const int type = card_fixture::addTypeCen(db(), QStringLiteral("Разовое"), 0, 0, 0, sport);
        card_fixture::addPrice(db(), 0, type, QDate(2024, 1, 1), 300);
    }
    std::unique_ptr<TfrmRaspSan> open(int sport) {
        auto timetable = std::make_unique<TfrmRaspSan>(db(), nullptr);
        timetable->LoadRasp(sport);
        return timetable;
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
