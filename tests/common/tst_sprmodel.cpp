#include <QScrollBar>
#include <QTest>

#include "common/SprGrid.h"
#include "tests/support/TestSupport.h"

namespace {

// A row named "сбой" makes a read of the list fail at it, after the rows before it.
const QString kOrgList = QStringLiteral(
    "SELECT ID, Name FROM tOrg WHERE Name >= :pFrom AND abs(iif(Name = 'сбой', -9223372036854775807 - 1, 0)) >= 0 "
    "ORDER BY ID;");
constexpr int kRows = SprModel::kPageRows * (SprModel::kCachedPages + 4) + 5;

}  // namespace

class TestSprModel : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        exec(db(), QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                  "INSERT INTO tOrg (Name) SELECT printf('Орг %05d', i) FROM n")
                       .arg(kRows));
    }

    // The pages read last stay in memory: reading them again runs no statement. A column is never narrower
    // than its bold title.
    void countsAndReadsPagesAtTheirEdgesKeepingTheLastRead() {
        SprGrid grid;
        grid.resize(400, 300);
        load(grid, kOrgList, {}, QStringLiteral("Орг 00003"),
             {{QStringLiteral("Name"), QStringLiteral("Наименование организации"), 3}});
        const int rows = kRows - 2;
        QCOMPARE(grid.rowCount(), rows);
        const int page = SprModel::kPageRows;
        for (int row : {0, page - 1, page, 2 * page - 1, 2 * page, rows - 1}) {
            QCOMPARE(grid.valueAt(row, QStringLiteral("Name")).toString(), orgName(row + 3));
        }
        for (int row = 0; row < rows; row += page) {
            grid.valueAt(row, QStringLiteral("ID"));
        }
        QCOMPARE(grid.sprModel()->cachedRows(), SprModel::kCachedPages * page);
        const int read = m_statements;
        for (int row = (rows / page - SprModel::kCachedPages + 1) * page; row < rows; row += page) {
            grid.valueAt(row, QStringLiteral("ID"));
        }
        QCOMPARE(m_statements, read);
        QCOMPARE(columnsCutOff(grid), QStringList());
    }
    // Another workstation writes while a row is current; then the list is read again, or read where its
    // pages are painted or its IDs all read. The current row follows its record, and there is none once
    // its record left, never the next one. A read that fails keeps the rows shown.
    void currentRowAfterAnotherWorkstationWrote_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("read");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("current");  // its ID; empty: no current row
        const QString deleteBefore = QStringLiteral("DELETE FROM tOrg WHERE ID <= 10");
        const QString leaveAbove = QStringLiteral("DELETE FROM tOrg WHERE ID BETWEEN 151 AND 160");
        QTest::newRow("rows added after") << "orgs" << 300 << "INSERT INTO tOrg (Name) VALUES ('Яблоко'), ('Ягода')"
                                          << "requery" << kRows + 2 << "301";
        QTest::newRow("rows deleted before") << "orgs" << 300 << deleteBefore << "requery" << kRows - 10 << "311";
        QTest::newRow("keyed list, rows deleted before")
            << "keyed orgs" << 300 << deleteBefore << "requery" << kRows - 10 << "311";
        QTest::newRow("a read failing after some rows") << "orgs" << 300 << "INSERT INTO tOrg (Name) VALUES ('сбой')"
                                                        << "fails" << kRows << "301";
        QTest::newRow("rows above it leave") << "orgs" << 300 << leaveAbove << "pages" << kRows - 10 << "301";
        QTest::newRow("it leaves with rows above") << "orgs" << 300 << leaveAbove + " OR ID = 301"
                                                   << "pages" << kRows - 11 << "";
        QTest::newRow("the keyset moves a row above it back")
            << "event log" << 6 << "UPDATE tListActionUsers SET dt_action = '2099-01-01 00:00:00' WHERE ID = 1679"
            << "pages" << 2703 << "2395";
        QTest::newRow("the keyset lacks it") << "event log" << 6 << "DELETE FROM tListActionUsers WHERE ID = 2395"
                                             << "pages" << 2702 << "";
    }
    void currentRowAfterAnotherWorkstationWrote() {
        QFETCH(QString, list);
        QFETCH(int, row);
        QFETCH(QString, change);
        QFETCH(QString, read);
        SprGrid grid;
        if (list == QLatin1String("event log")) {
            fillEventLog();  // its row 2 is entry 1679, its row 6 entry 2395
            load(grid, eventListSql(QStringLiteral("by date")), eventListKey(QStringLiteral("by date")));
        } else {
            load(grid, kOrgList, list == QLatin1String("keyed orgs") ? SprKey{QStringLiteral("tOrg")} : SprKey{});
            grid.sprModel()->finishCount();
        }
        selectRow(grid, row);
        execElsewhere(*m_db, change);
        if (read == QLatin1String("fails")) {
            QVERIFY_THROWS_EXCEPTION(DbError, grid.requery(grid.currentRowNumber()));
        } else if (read == QLatin1String("requery")) {
            grid.requery(grid.currentRowNumber());
        } else {
            grid.sprModel()->prepareRows(0, row);
        }
        QTEST(grid.rowCount(), "count");
        QTEST(grid.hasCurrentRow() ? grid.currentValue(QStringLiteral("ID")).toString() : QString(), "current");
        QVERIFY(!grid.sprModel()->value(grid.sprModel()->rowCount(), 0).isValid());
    }
    // Comments, quotes and subqueries are read where the grid wraps a list's statement; IDs that are not
    // unique integers refuse the list rather than show wrong rows.
    void statementsOfEveryShape_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("keyed");
        QTest::addColumn<QString>("ids");
        const QString few = QStringLiteral("SELECT ID, Name FROM tOrg WHERE ID <= 3 ");
        QTest::newRow("a trailing comment") << few + "ORDER BY Name DESC; -- the last first" << false << "3,2,1";
        QTest::newRow("ORDER BY in a subquery after a comment")
            << "SELECT ID, Name FROM tOrg -- Орг's ) here\nWHERE ID IN (SELECT ID FROM tOrg ORDER BY ID DESC LIMIT 2) "
               "ORDER BY Name DESC"
            << false << "2565,2564";
        QTest::newRow("ORDER BY as quoted names") << "SELECT ID, Name AS [ORDER BY], 'ORDER BY' AS `ORDER BY x` "
                                                     "FROM tOrg WHERE ID <= 3"
                                                  << false << "1,2,3";
        QTest::newRow("two rows per ID") << "SELECT o.ID, x.Name FROM tOrg o, tOrg x WHERE o.ID <= 2 AND x.ID <= 2"
                                         << false << "refused";
        QTest::newRow("two rows per ID past the first page")
            << "SELECT o.ID, o.Name FROM tOrg o JOIN (SELECT 1 AS k UNION ALL SELECT 2) ON o.ID > 200 OR k = 1" << true
            << "refused";
        QTest::newRow("text or NULL IDs")
            << "SELECT iif(ID = 1, NULL, 'Орг' || ID) AS ID FROM tOrg" << false << "refused";
    }
    void statementsOfEveryShape() {
        QFETCH(QString, sql);
        QFETCH(bool, keyed);
        SprGrid grid;
        QString ids = QStringLiteral("refused");
        try {
            load(grid, sql, keyed ? SprKey{QStringLiteral("tOrg")} : SprKey{});
            grid.sprModel()->finishCount();
            ids = column(grid, QStringLiteral("ID")).join(QLatin1Char(','));
        } catch (const DbError&) {
        }
        QTEST(ids, "ids");
    }
    // Another workstation writes while a list is open: after its IDs are read, or between
    // two slices of a long list's IDs. The list keeps the rows and the order of its read: a row edited
    // shows at its place, a row gone leaves it unless its page was already in memory, a row added or
    // coming to meet the condition stays out after the read, and no row is shown twice or skipped.
    void listKeepsOneStateWhileWritten_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("rowsChanged");
        QTest::addColumn<bool>("betweenSlices");
        const QString toFront = QStringLiteral("UPDATE tListActionUsers SET dt_action = '2000-01-01 00:00:00'");
        const QString toBack = QStringLiteral("UPDATE tListActionUsers SET dt_action = '2099-01-01 00:00:00'");
        const QString swapKind = QStringLiteral("UPDATE tListActionUsers SET kod_action = 1 - kod_action");
        const QString toMeet = QStringLiteral("UPDATE tListActionUsers SET kod_action = 1");
        const QString remove = QStringLiteral("DELETE FROM tListActionUsers");
        for (const char* list : {"short", "by ID", "by date"}) {
            const QByteArray name(list);
            QTest::newRow(name + ", a row moved to the front") << list << toFront << "ID = 2900" << false;
            QTest::newRow(name + ", a row moved to the back") << list << toBack << "ID = 7" << false;
            QTest::newRow(name + ", one in and one out") << list << swapKind << "ID IN (10, 11)" << false;
            QTest::newRow(name + ", rows come to meet the condition") << list << toMeet << "ID % 10 = 0" << false;
            QTest::newRow(name + ", deleted in a page read and one not")
                << list << remove << "ID IN (-5, 0, 2500)" << false;
        }
        for (const char* list : {"by ID", "by date"}) {
            const QByteArray name(list);
            QTest::newRow(name + ", one in and one out within a slice") << list << swapKind << "ID IN (20, 31)" << true;
            QTest::newRow(name + ", one in and one out across slices")
                << list << swapKind << "ID IN (20, 2601)" << true;
            QTest::newRow(name + ", a row moved across slices") << list << toFront << "ID = 2900" << true;
            QTest::newRow(name + ", rows come to meet between slices") << list << toMeet << "ID % 10 = 0" << true;
            QTest::newRow(name + ", deleted between slices") << list << remove << "ID IN (3, 2500)" << true;
        }
    }
    void listKeepsOneStateWhileWritten() {
        QFETCH(QString, list);
        QFETCH(QString, change);
        QFETCH(QString, rowsChanged);
        QFETCH(bool, betweenSlices);
        fillEventLog();
        const QString sql = eventListSql(list);
        const QString ids = QStringLiteral("SELECT ID FROM (%1)").arg(sql);
        const QStringList before = rows(db(), ids);
        const QStringList changed =
            rows(db(), QStringLiteral("SELECT ID FROM tListActionUsers WHERE %1").arg(rowsChanged));
        SprGrid grid;
        load(grid, sql, eventListKey(list));
        if (betweenSlices) {
            QCoreApplication::processEvents();
            QVERIFY(!grid.sprModel()->counted());
        } else {
            QCOMPARE(grid.rowCount(), before.size());
            grid.valueAt(0, QStringLiteral("ID"));
        }
        execElsewhere(*m_db, change + QStringLiteral(" WHERE ") + rowsChanged);
        const QStringList after = rows(db(), ids);
        QStringList shown;
        for (int row = 0; row < grid.rowCount(); ++row) {
            shown << grid.valueAt(row, QStringLiteral("ID")).toString();
        }
        QCOMPARE(QSet<QString>(shown.cbegin(), shown.cend()).size(), shown.size());
        // The rows the change left alone are all shown, in their order.
        QCOMPARE(without(shown, changed), without(before, changed));
        // A changed row is shown at most once, and only when it is in the list: as read, as the file has
        // it now, or as the first page read.
        for (const QString& id : changed) {
            const bool inFirstPage = before.indexOf(id) >= 0 && before.indexOf(id) < SprModel::kPageRows;
            const bool inList = after.contains(id) && (betweenSlices || before.contains(id));
            QVERIFY2(!shown.contains(id) || inList || inFirstPage, qPrintable(id));
            QVERIFY2(shown.contains(id) || !after.contains(id) || !before.contains(id), qPrintable(id));
        }
    }
    // While a long list's IDs are read, what stays within its first page acts at once and runs no
    // statement; what may reach past it first finishes the read. A letter runs none: the grids have no
    // search by typing. Ctrl+End keeps the column in view. Nothing is read because another workstation
    // wrote; rows it deleted leave as their pages paint, more than one read takes, never as blank rows.
    void eventsReadOnlyWhatTheyReach_data() {
        QTest::addColumn<QString>("act");
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("readFirst");
        QTest::addColumn<bool>("reaches");
        QTest::newRow("Page Down at the top") << "PgDown" << 0 << false << false;
        QTest::newRow("Page Down near row 128") << "PgDown" << 120 << false << true;
        QTest::newRow("the wheel near row 128") << "wheel" << 120 << false << true;
        QTest::newRow("the scroll bar") << "scroll bar" << 0 << false << true;
        QTest::newRow("a letter while the IDs are read") << "z" << 0 << false << false;
        QTest::newRow("a letter after") << "z" << 0 << true << false;
        QTest::newRow("Ctrl+End") << "Ctrl+End" << 0 << false << true;
        QTest::newRow("a write elsewhere") << "write" << 0 << true << false;
        QTest::newRow("painting rows deleted elsewhere") << "paint" << 1351 << true << true;  // entry 1500
    }
    void eventsReadOnlyWhatTheyReach() {
        QFETCH(QString, act);
        QFETCH(int, from);
        QFETCH(bool, readFirst);
        QFETCH(bool, reaches);
        fillEventLog(100000);
        SprGrid grid;
        grid.resize(400, 300);
        load(grid, eventListSql(QStringLiteral("by ID")), eventListKey(QStringLiteral("by ID")));
        grid.setColumnWidth(1, 2000);
        grid.show();
        if (readFirst) {
            grid.sprModel()->finishCount();
            grid.viewport()->grab();
        }
        grid.setCurrentIndex(grid.model()->index(from, 0));
        const int read = m_statements;
        if (act == QLatin1String("write") || act == QLatin1String("paint")) {
            execElsewhere(*m_db, QStringLiteral("DELETE FROM tListActionUsers WHERE ID BETWEEN 1501 AND 2300"));
            QCoreApplication::processEvents();
        }
        grid.scrollTo(grid.currentIndex(), act == QLatin1String("paint") ? QAbstractItemView::PositionAtTop
                                                                         : QAbstractItemView::PositionAtBottom);
        if (act == QLatin1String("wheel")) {
            QWheelEvent wheel(QPointF(10, 10), grid.viewport()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(grid.viewport(), &wheel);
        } else if (act == QLatin1String("scroll bar")) {
            QTest::mouseClick(grid.verticalScrollBar(), Qt::LeftButton);
        } else if (act == QLatin1String("paint")) {
            grid.viewport()->grab();
        } else if (act != QLatin1String("write")) {
            QTest::keySequence(&grid, QKeySequence(act));
        }
        QCOMPARE(grid.sprModel()->counted(), reaches || readFirst);
        QCOMPARE(m_statements == read, !reaches);
        QCOMPARE(grid.currentIndex().column(), 0);
        QCOMPARE(grid.currentRowNumber() == grid.rowCount() - 1, act == QLatin1String("Ctrl+End"));
        for (int row = grid.rowAt(0); row <= grid.rowAt(grid.viewport()->height() - 1); ++row) {
            QVERIFY(grid.sprModel()->value(row, 0).isValid());
        }
    }
    void measuresAFileWithoutStatistics() {
        for (int run = 0; run < 2; ++run) {  // on a new file, then with the statistics deleted
            db().measureWhenUnmeasured();
            QVERIFY(scalar(db(), QStringLiteral("SELECT count(*) FROM sqlite_stat1 WHERE tbl='tOrg'")).toInt() > 0);
            exec(db(), QStringLiteral("DELETE FROM sqlite_stat1"));
        }
    }

  private:
    // Entries dated out of ID order, every tenth of another kind, and IDs of 0 and below and one far beyond the rest.
    void fillEventLog(int entries = 3000) {
        exec(db(), QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                  "INSERT INTO tListActionUsers (ID, dt_action, kod_action) SELECT i, "
                                  "datetime('2024-01-01', '+' || (i * 7919 % 3000) || ' minutes'), i % 10 <> 0 FROM n")
                       .arg(entries));
        exec(db(), QStringLiteral("INSERT INTO tListActionUsers (ID, dt_action, kod_action) VALUES "
                                  "(-5, '2024-01-02 00:00:00', 1), (0, NULL, 1), (1 << 40, '2020-01-01 00:00:00', 1)"));
    }
    static QString eventListSql(const QString& list) {
        return QStringLiteral("SELECT ID, dt_action FROM tListActionUsers WHERE kod_action = 1 ORDER BY %1")
            .arg(list == QLatin1String("by ID") ? QStringLiteral("ID") : QStringLiteral("dt_action, ID"));
    }
    static SprKey eventListKey(const QString& list) {
        if (list == QLatin1String("short")) {
            return {};
        }
        return {QStringLiteral("tListActionUsers"),
                list == QLatin1String("by ID") ? QString() : QStringLiteral("dt_action")};
    }
    static QStringList without(QStringList ids, const QStringList& left) {
        ids.removeIf([&left](const QString& id) { return left.contains(id); });
        return ids;
    }
    static QString orgName(int number) { return QStringLiteral("Орг %1").arg(number, 5, 10, QLatin1Char('0')); }
    // A list whose statements are counted in m_statements, from bound to ":pFrom".
    void load(SprGrid& grid, const QString& sql, const SprKey& key, const QString& from = QString(),
              const QList<SprColumn>& columns = {}) {
        grid.load(
            sql,
            [this, from](const QString& text) {
                ++m_statements;
                SqlQuery query(db());
                query.addParam(QStringLiteral("pFrom"), FieldType::String, from);
                return query.prepared(text);
            },
            {}, columns, key);
    }

    int m_statements = 0;
};

QTEST_MAIN(TestSprModel)
#include "tst_sprmodel.moc"
