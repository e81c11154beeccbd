// Times what a person waits for on an empty and on a ten-year database: each list's first screen,
// its true count and its last row, the memory a list leaves behind, the shared routines, and for every
// list the longest wait of another process's write while the list is opened, counted and read to its end.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QScrollBar>
#include <QTextStream>
#include <QTimer>

#include <poll.h>
#include <time.h>

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
const QString NO_FLUSH_SQL = QStringLiteral("PRAGMA synchronous=OFF");
const QString CLEAN_WRITES_SQL = QStringLiteral("DELETE FROM tWizardTMP WHERE ID_USER=99");
const QString REZORG_PLAN_SQL = QStringLiteral(
    "EXPLAIN QUERY PLAN SELECT * FROM (SELECT tOrg.Name, tRezOrg.*, tOrg.info FROM tRezOrg, tOrg "
    "WHERE tRezOrg.ID_Org=tOrg.ID ORDER BY Name, Num) LIMIT 128 OFFSET 0");
const QString DROP_STATISTICS_SQL = QStringLiteral("DELETE FROM sqlite_stat1");
const QString HAS_STATISTICS_SQL = QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name='sqlite_stat1'");
const QString kStop = QStringLiteral("--writer");
const QByteArray kReport = "report\n";

// The busy writer finds the longest wait a list makes it wait; the desk-paced one, a write every quarter
// second, is what an open list meets on a working day.
constexpr int kBusyWritePauseMs = 10;
constexpr int kDeskWritePauseMs = 250;
constexpr int kReactionMs = 300;
constexpr int kIdleMs = 2000;
constexpr int kPageDowns = 20;
constexpr int kRoutineCalls = 500;
constexpr int kWriteCalls = 50;

struct ListCase {
    const char* name;
    int kind;
    bool selector;
    // The card list's period: every date, or a month in the middle of the ten years.
    bool month = false;
};

const ListCase kListCases[] = {
    {"halls", lkZal, false},
    {"cards, every date", lkCards, false},
    {"cards, a month", lkCards, false, true},
    {"clients", lkClients, false},
    {"organisations", lkOrgs, false},
    {"reservations", lkRezOrg, false},
    {"users", lkUsers, false},
    {"sports", lkVidSport, false},
    {"event log", lkActions, false},
    {"selector: clients", lkClients, true},
    {"selector: orgs", lkOrgs, true},
    {"selector: sports", lkVidSport, true},
};

TPeriod periodOf(const ListCase& list) {
    if (list.month) {
        return {QDateTime(QDate(2020, 1, 1), QTime(0, 0)), QDateTime(QDate(2020, 1, 31), QTime(23, 59, 59))};
    }
    return {QDateTime(QDate(2000, 1, 1), QTime(0, 0)), QDateTime(QDate(2100, 12, 31), QTime(23, 59, 59))};
}

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

double cpuMs() {
    timespec spent{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &spent);
    return spent.tv_sec * 1e3 + spent.tv_nsec / 1e6;
}

void keyClick(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&widget, &press);
}

// The other workstation: writes one row every pause; on each line of its input prints its longest
// wait and the number of its writes since the last line, and stops at the end of its input.
int runWriter(const QString& file, int pauseMs) {
    Database db;
    if (!db.open(file)) {
        return 1;
    }
    // Its own flushes to disk are left out, so that its wait is the wait for the lists' read locks.
    SqlQuery(db).exec(NO_FLUSH_SQL);
    double longest = 0;
    int writes = 0;
    QFile input;
    input.open(stdin, QIODevice::ReadOnly);
    pollfd ready{0, POLLIN, 0};
    while (true) {
        if (poll(&ready, 1, pauseMs) > 0) {
            if (input.readLine().isEmpty()) {
                break;
            }
            out() << longest << ' ' << writes << Qt::endl;
            longest = 0;
            writes = 0;
        }
        QElapsedTimer write;
        write.start();
        SqlQuery(db).exec(WRITE_SQL);
        longest = qMax(longest, msSince(write));
        ++writes;
    }
    SqlQuery(db).exec(CLEAN_WRITES_SQL);
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
        const QList<ListTimes> times = lists(nullptr);
        const QList<ListTimes> busy = listsWhileWriting(kBusyWritePauseMs);
        printLists(times, busy, listsWhileWriting(kDeskWritePauseMs));
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

    struct ListTimes {
        int rows = 0;
        double pageDown = 0;
        double cpuPerWrite = 0;
        double first = 0;
        double counted = 0;
        double middle = 0;
        double last = 0;
        double changed = 0;
        double open = 0;
        double closed = 0;
        double wait = 0;
    };

    QList<ListTimes> listsWhileWriting(int pauseMs) {
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(), {kStop, m_file, QString::number(pauseMs)});
        writer.waitForStarted();
        const QList<ListTimes> times = lists(&writer);
        writer.closeWriteChannel();
        writer.waitForFinished();
        return times;
    }

    // Opens every list, lets its IDs be read as the event loop would, jumps to its last row and closes
    // it. With a writer running, each list's entry holds the writer's longest wait meanwhile, the CPU
    // the open list spends per write while nobody touches it, and the longest Page Down over pages not
    // yet read.
    QList<ListTimes> lists(QProcess* writer) {
        QList<ListTimes> all;
        for (const ListCase& list : kListCases) {
            gPeriodCard = periodOf(list);
            ListTimes times;
            if (writer) {
                reportOf(*writer);
            }
            const double baseline = residentMiB();
            QElapsedTimer timer;
            timer.start();
            SprGrid& grid = open(list);
            times.first = msSince(timer);
            while (!grid.sprModel()->counted()) {
                QApplication::processEvents();
            }
            // The view lays out the rows the count added.
            QApplication::processEvents();
            times.counted = msSince(timer);
            times.middle = scrollAfterAMoment(grid, 2);
            timer.restart();
            keyClick(grid, Qt::Key_End, Qt::ControlModifier);
            paint(grid);
            times.last = msSince(timer);
            // A write changes the file, and a person drags the scroll bar a moment later: the list reads the
            // rows it shows then, as for any scroll.
            SqlQuery(m_db).exec(WRITE_SQL);
            times.changed = scrollAfterAMoment(grid, 3);
            SqlQuery(m_db).exec(CLEAN_WRITES_SQL);
            if (writer) {
                times.cpuPerWrite = idleCpuPerWrite(*writer);
                times.pageDown = longestPageDown(grid);
            }
            times.rows = grid.rowCount();
            times.open = residentMiB() - baseline;
            m_window.reset();
            QApplication::processEvents();
            times.closed = residentMiB() - baseline;
            if (writer) {
                times.wait = reportOf(*writer).first;
            }
            all << times;
        }
        return all;
    }

    // A person drags the scroll bar to a part of the list a moment later, the event loop running meanwhile.
    static double scrollAfterAMoment(SprGrid& grid, int part) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < kReactionMs) {
            QApplication::processEvents();
        }
        timer.restart();
        grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum() / part);
        paint(grid);
        return msSince(timer);
    }

    // The writer's longest wait and its number of writes since it was last asked.
    static std::pair<double, int> reportOf(QProcess& writer) {
        writer.write(kReport);
        writer.waitForReadyRead();
        const QList<QByteArray> report = writer.readLine().trimmed().split(' ');
        return {report.first().toDouble(), report.last().toInt()};
    }

    // The list stays open and nobody touches it while the other process writes.
    static double idleCpuPerWrite(QProcess& writer) {
        // The repaint the scrolls before left pending is not the list's work for a write.
        QApplication::processEvents();
        reportOf(writer);
        const double start = cpuMs();
        QEventLoop idle;
        QTimer::singleShot(kIdleMs, &idle, &QEventLoop::quit);
        idle.exec();
        const double spent = cpuMs() - start;
        return spent / qMax(1, reportOf(writer).second);
    }

    // Page Down from the middle, each key painted, over pages not read before.
    static double longestPageDown(SprGrid& grid) {
        grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum() * 2 / 3);
        paint(grid);
        double longest = 0;
        for (int i = 0; i < kPageDowns; ++i) {
            QElapsedTimer timer;
            timer.start();
            keyClick(grid, Qt::Key_PageDown);
            paint(grid);
            longest = qMax(longest, msSince(timer));
            QApplication::processEvents();
        }
        return longest;
    }

    void printLists(const QList<ListTimes>& times, const QList<ListTimes>& busy, const QList<ListTimes>& desk) {
        out() << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11 %12")
                     .arg(QStringLiteral("list"), -22)
                     .arg(QStringLiteral("rows"), 9)
                     .arg(QStringLiteral("first ms"), 9)
                     .arg(QStringLiteral("count ms"), 9)
                     .arg(QStringLiteral("middle ms"), 9)
                     .arg(QStringLiteral("last ms"), 9)
                     .arg(QStringLiteral("changed ms"), 10)
                     .arg(QStringLiteral("open MiB"), 9)
                     .arg(QStringLiteral("closed MiB"), 11)
                     .arg(QStringLiteral("write wait ms"), 14)
                     .arg(QStringLiteral("cpu/write ms"), 13)
                     .arg(QStringLiteral("page down ms"), 13)
              << Qt::endl;
        for (int i = 0; i < times.size(); ++i) {
            const ListTimes& t = times.at(i);
            out() << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11 %12")
                         .arg(QString::fromUtf8(kListCases[i].name), -22)
                         .arg(t.rows, 9)
                         .arg(t.first, 9, 'f', 1)
                         .arg(t.counted, 9, 'f', 1)
                         .arg(t.middle, 9, 'f', 1)
                         .arg(t.last, 9, 'f', 1)
                         .arg(t.changed, 10, 'f', 1)
                         .arg(t.open, 9, 'f', 1)
                         .arg(t.closed, 11, 'f', 1)
                         .arg(busy.at(i).wait, 14, 'f', 1)
                         .arg(desk.at(i).cpuPerWrite, 13, 'f', 2)
                         .arg(desk.at(i).pageDown, 13, 'f', 1)
                  << Qt::endl;
        }
        out() << "count ms: until the caption's count is true (the list's IDs read); middle ms: the scroll bar "
                 "dragged to the middle 0.3 s after that; last ms: Ctrl+End; changed ms: the scroll bar dragged to "
                 "a third 0.3 s after a write to the file; write wait: the longest wait of another process's write "
                 "(one every 10 ms) while the list was opened, read and scrolled; cpu/write: the CPU the open list "
                 "spends per write of another process (one every 250 ms) while nobody touches it; page down: the "
                 "longest of 20 Page Downs over pages not yet read meanwhile"
              << Qt::endl;
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
        // A price is stored only under a band and a price type that exist, which an empty file lacks.
        const int bands = execScalar(m_db, QStringLiteral("SELECT COUNT(*) FROM tPeriodCena")).toInt();
        const int types = execScalar(m_db, QStringLiteral("SELECT COUNT(*) FROM tTypeCen")).toInt();
        if (bands > 0 && types > 0) {
            time("SetCenaSeans", kWriteCalls, [&](int) {
                SetCenaSeans(m_db, between(1, bands), between(1, types), someDay(), between(100, 500), 30);
            });
        }
        time("WriteActionLog", kWriteCalls, [&](int i) { WriteActionLog(m_db, acProgram, QString::number(i)); });
    }

    QString m_file;
    Database m_db;
    std::unique_ptr<QWidget> m_window;
};

}  // namespace

int main(int argc, char** argv) {
    setupWorkstationLocale();
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args.first() == kStop) {
        return runWriter(args.at(1), args.at(2).toInt());
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
