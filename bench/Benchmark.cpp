// Times what a person waits for on an empty and on a ten-year database: each list's first screen
// and its last row, the memory a list leaves behind, the shared routines, and the longest wait of
// another process's write while the lists are read.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QTextStream>

#include <poll.h>

#include <functional>
#include <memory>
#include <random>

#include "app/UnitSprTXT.h"
#include "common/SprGrid.h"
#include "common/UnitConst.h"
#include "common/UnitSelSpr.h"
#include "platform/Database.h"
#include "platform/LocaleFormat.h"

namespace {

const QString WRITE_SQL = QStringLiteral(
    "INSERT INTO tWizardTMP (DateWork, ID_Zal, ID_Card, Cena, ID_USER) "
    "VALUES ('2026-01-01 10:00:00', 1, 1, 100, 99)");
const QString CLEAN_WRITES_SQL = QStringLiteral("DELETE FROM tWizardTMP WHERE ID_USER=99");
const QString REZORG_PLAN_SQL = QStringLiteral(
    "EXPLAIN QUERY PLAN SELECT * FROM (SELECT tOrg.Name, tRezOrg.*, tOrg.info FROM tRezOrg, tOrg "
    "WHERE tRezOrg.ID_Org=tOrg.ID ORDER BY Name, Num) LIMIT 128 OFFSET 0");
const QString DROP_STATISTICS_SQL = QStringLiteral("DELETE FROM sqlite_stat1");
const QString HAS_STATISTICS_SQL = QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name='sqlite_stat1'");
const QString kStop = QStringLiteral("--writer");

constexpr int kWritePauseMs = 10;
constexpr int kRoutineCalls = 500;
constexpr int kWriteCalls = 50;

struct ListCase {
    const char* name;
    int kind;
    bool selector;
};

const ListCase kListCases[] = {
    {"halls", lkZal, false},          {"cards, every date", lkCards, false},  {"clients", lkClients, false},
    {"organisations", lkOrgs, false}, {"reservations", lkRezOrg, false},      {"users", lkUsers, false},
    {"sports", lkVidSport, false},    {"event log", lkActions, false},        {"selector: clients", lkClients, true},
    {"selector: orgs", lkOrgs, true}, {"selector: sports", lkVidSport, true},
};

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

double residentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return 0;
}

double msSince(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

// The other workstation: writes one row every few milliseconds until told to stop on its input,
// then prints its longest wait and the number of writes.
int runWriter(const QString& file) {
    Database db;
    if (!db.open(file)) {
        return 1;
    }
    double longest = 0;
    int writes = 0;
    pollfd input{0, POLLIN, 0};
    while (poll(&input, 1, kWritePauseMs) == 0) {
        ++writes;
        QElapsedTimer write;
        write.start();
        SqlQuery(db).exec(WRITE_SQL);
        longest = qMax(longest, msSince(write));
    }
    SqlQuery(db).exec(CLEAN_WRITES_SQL);
    out() << longest << " ms over " << writes << " writes" << Qt::endl;
    return 0;
}

// Paints the grid as the screen would: the view asks its model for the rows it shows.
void paint(SprGrid& grid) {
    grid.viewport()->grab();
}

class Bench {
  public:
    explicit Bench(const QString& file) : m_file(file) {}

    void run() {
        out() << "\n== " << m_file << Qt::endl;
        if (!m_db.open(m_file)) {
            out() << "cannot open" << Qt::endl;
            return;
        }
        statistics();
        lists(true);
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(), {kStop, m_file});
        writer.waitForStarted();
        lists(false);
        writer.write("stop\n");
        writer.waitForFinished();
        out() << "longest wait of another process's write while the lists were read again: "
              << writer.readAllStandardOutput().trimmed() << Qt::endl;
        routines();
        QElapsedTimer timer;
        timer.start();
        m_db.optimize();
        out() << "optimizing statistics at close: " << msSince(timer) << " ms" << Qt::endl;
    }

  private:
    void statistics() {
        if (execScalar(m_db, HAS_STATISTICS_SQL).toInt() > 0) {
            SqlQuery(m_db).exec(DROP_STATISTICS_SQL);
            m_db.close();
            m_db.open(m_file);
        }
        out() << "reservations plan without statistics: " << plan() << Qt::endl;
        out() << "reservations first screen without statistics: " << firstScreen({"", lkRezOrg, false}) << " ms"
              << Qt::endl;
        QElapsedTimer timer;
        timer.start();
        m_db.measureWhenUnmeasured();
        out() << "measuring statistics at start: " << msSince(timer) << " ms" << Qt::endl;
        out() << "reservations plan with statistics: " << plan() << Qt::endl;
    }

    QString plan() {
        SqlQuery query(m_db);
        query.exec(REZORG_PLAN_SQL);
        QStringList steps;
        while (query.next()) {
            steps << query.asString(3);
        }
        return steps.join(QStringLiteral("; "));
    }

    // Opens a list and answers its grid; the window lives until the next one opens.
    SprGrid& open(const ListCase& list) {
        m_window.reset();
        SprGrid* grid = nullptr;
        if (list.selector) {
            auto selector = std::make_unique<TfrmSelectSpr>(m_db, nullptr);
            selector->LoadSpr(list.kind);
            grid = selector->DBGridSpr;
            m_window = std::move(selector);
        } else {
            auto window = std::make_unique<TfrmSprTxt>(m_db);
            window->LoadSpr(list.kind);
            grid = window->DBGridSpr;
            m_window = std::move(window);
        }
        m_window->resize(1000, 700);
        m_window->show();
        paint(*grid);
        return *grid;
    }

    double firstScreen(const ListCase& list) {
        QElapsedTimer timer;
        timer.start();
        open(list);
        const double ms = msSince(timer);
        m_window.reset();
        return ms;
    }

    // Opens every list, jumps to its last row and closes it; prints the times when told to.
    void lists(bool print) {
        gPeriodCard = {QDateTime(QDate(2000, 1, 1), QTime(0, 0)), QDateTime(QDate(2100, 12, 31), QTime(23, 59, 59))};
        if (print) {
            out() << QStringLiteral("%1 %2 %3 %4 %5 %6")
                         .arg(QStringLiteral("list"), -22)
                         .arg(QStringLiteral("rows"), 9)
                         .arg(QStringLiteral("first ms"), 9)
                         .arg(QStringLiteral("last ms"), 9)
                         .arg(QStringLiteral("open MiB"), 9)
                         .arg(QStringLiteral("closed MiB"), 11)
                  << Qt::endl;
        }
        for (const ListCase& list : kListCases) {
            const double baseline = residentMiB();
            QElapsedTimer timer;
            timer.start();
            SprGrid& grid = open(list);
            const double first = msSince(timer);
            timer.restart();
            QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
            QApplication::sendEvent(&grid, &end);
            paint(grid);
            const double last = msSince(timer);
            const int rows = grid.rowCount();
            const double open = residentMiB() - baseline;
            m_window.reset();
            QApplication::processEvents();
            if (!print) {
                continue;
            }
            out() << QStringLiteral("%1 %2 %3 %4 %5 %6")
                         .arg(QString::fromUtf8(list.name), -22)
                         .arg(rows, 9)
                         .arg(first, 9, 'f', 1)
                         .arg(last, 9, 'f', 1)
                         .arg(open, 9, 'f', 1)
                         .arg(residentMiB() - baseline, 11, 'f', 1)
                  << Qt::endl;
        }
    }

    void time(const char* name, int calls, const std::function<void(int)>& call) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < calls; ++i) {
            call(i);
        }
        out() << QStringLiteral("%1 %2 ms per call")
                     .arg(QString::fromUtf8(name), -18)
                     .arg(msSince(timer) / calls, 8, 'f', 4)
              << Qt::endl;
    }

    void routines() {
        std::mt19937 random(7);
        auto between = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
        auto someDay = [&between] { return QDateTime(QDate(2016, 1, 1).addDays(between(0, 3650)), QTime(12, 0)); };
        time("GetCenaSeans", kRoutineCalls, [&](int) {
            double fee = 0;
            GetCenaSeans(m_db, between(1, 24), between(1, 20), fee, someDay());
        });
        time("GetIDPeriodCena", kRoutineCalls,
             [&](int) { GetIDPeriodCena(m_db, between(1, 8), QDateTime(kZeroDate, QTime(between(7, 22), 30))); });
        time("GetNextNumCard", kRoutineCalls, [&](int i) { GetNextNumCard(m_db, i % 2); });
        time("SetCenaSeans", kWriteCalls,
             [&](int) { SetCenaSeans(m_db, between(1, 24), between(1, 20), someDay(), between(100, 500), 30); });
        time("WriteActionLog", kWriteCalls, [&](int i) { WriteActionLog(m_db, acProgram, QString::number(i)); });
    }

    QString m_file;
    Database m_db;
    std::unique_ptr<QWidget> m_window;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    setupWorkstationLocale();
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args.first() == kStop) {
        return runWriter(args.last());
    }
    if (args.isEmpty()) {
        QTextStream(stderr) << "usage: velorma_bench DATABASE...  (each file is changed: statistics, a few rows)\n";
        return 2;
    }
    try {
        for (const QString& file : args) {
            Bench(file).run();
        }
    } catch (const DbError& e) {
        QTextStream(stderr) << e.text() << "\n";
        return 1;
    }
    return 0;
}
