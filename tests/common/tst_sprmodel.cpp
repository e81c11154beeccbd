#include <QTest>

#include "common/SprGrid.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kOrgList = QStringLiteral("SELECT ID, Name FROM tOrg WHERE Name >= :pFrom ORDER BY ID;");
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

    void countsAndReadsPagesAtTheirEdgesKeepingOnlyAFew() {
        SprGrid grid;
        loadOrgs(grid, QStringLiteral("Орг 00003"));
        const int rows = kRows - 2;
        QCOMPARE(grid.rowCount(), rows);
        const int page = SprModel::kPageRows;
        for (int row : {0, page - 1, page, 2 * page - 1, 2 * page, rows - 1}) {
            QCOMPARE(grid.valueAt(row, QStringLiteral("Name")).toString(), orgName(row + 3));
        }
        QVERIFY(!grid.valueAt(rows, QStringLiteral("Name")).isValid());
        for (int row = 0; row < rows; row += page) {
            grid.valueAt(row, QStringLiteral("ID"));
        }
        QCOMPARE(grid.sprModel()->cachedRows(), SprModel::kCachedPages * SprModel::kPageRows);
        QCOMPARE(grid.valueAt(0, QStringLiteral("Name")).toString(), orgName(3));
    }
    // Row 300 was current; the named organisation is current after the refresh.
    void refreshAfterAnotherWorkstationWrote_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("org");
        QTest::addColumn<bool>("keyed");
        const QString deleteBefore = QStringLiteral("DELETE FROM tOrg WHERE ID <= 10");
        QTest::newRow("rows added after")
            << "INSERT INTO tOrg (Name) VALUES ('Яблоко'), ('Ягода')" << kRows + 2 << 301 << false;
        QTest::newRow("rows deleted before") << deleteBefore << kRows - 10 << 311 << false;
        QTest::newRow("keyed list, rows deleted before") << deleteBefore << kRows - 10 << 311 << true;
    }
    void refreshAfterAnotherWorkstationWrote() {
        QFETCH(QString, change);
        QFETCH(int, count);
        QFETCH(int, org);
        QFETCH(bool, keyed);
        SprGrid grid;
        loadOrgs(grid, QString(), keyed ? SprKey{QStringLiteral("tOrg")} : SprKey{});
        QCOMPARE(grid.rowCount(), kRows);
        selectRow(grid, 300);
        execElsewhere(*m_db, change);
        grid.requery(grid.currentRowNumber());
        QCOMPARE(grid.rowCount(), count);
        QCOMPARE(grid.currentRowNumber(), 300);
        QCOMPARE(grid.currentValue(QStringLiteral("Name")).toString(), orgName(org));
    }
    // Another workstation (or this one) writes while a list is open: after its IDs are read, or between
    // two slices of a long list's IDs. The list keeps the rows and the order of its read: a row edited
    // shows at its place, a row gone leaves it unless its page was already in memory, a row added or
    // coming to meet the condition stays out after the read, and no row is shown twice or skipped.
    void listKeepsOneStateWhileWritten_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("rowsChanged");
        QTest::addColumn<bool>("betweenSlices");
        QTest::addColumn<bool>("elsewhere");
        const QString moveTo = QStringLiteral("UPDATE tListActionUsers SET dt_action = '%1'");
        const QString toFront = moveTo.arg(QStringLiteral("2000-01-01 00:00:00"));
        const QString toBack = moveTo.arg(QStringLiteral("2099-01-01 00:00:00"));
        const QString swapKind = QStringLiteral("UPDATE tListActionUsers SET kod_action = 1 - kod_action");
        const QString toMeet = QStringLiteral("UPDATE tListActionUsers SET kod_action = 1");
        const QString remove = QStringLiteral("DELETE FROM tListActionUsers");
        const QString deletedInPages = QStringLiteral("ID IN (-5, 0, 2500)");
        for (const char* list : {"short", "by ID", "by date"}) {
            const QByteArray name(list);
            QTest::newRow(name + ", a row moved to the front") << list << toFront << "ID = 2900" << false << true;
            QTest::newRow(name + ", a row moved to the back") << list << toBack << "ID = 7" << false << true;
            QTest::newRow(name + ", one in and one out") << list << swapKind << "ID IN (10, 11)" << false << true;
            QTest::newRow(name + ", rows come to meet the condition")
                << list << toMeet << "ID % 10 = 0" << false << true;
            QTest::newRow(name + ", deleted in a page read and one not")
                << list << remove << deletedInPages << false << true;
            QTest::newRow(name + ", deleted on the list's own connection")
                << list << remove << deletedInPages << false << false;
        }
        for (const char* list : {"by ID", "by date"}) {
            const QByteArray name(list);
            QTest::newRow(name + ", one in and one out within a slice")
                << list << swapKind << "ID IN (20, 31)" << true << true;
            QTest::newRow(name + ", one in and one out across slices")
                << list << swapKind << "ID IN (20, 2601)" << true << true;
            QTest::newRow(name + ", a row moved across slices") << list << toFront << "ID = 2900" << true << true;
            QTest::newRow(name + ", rows come to meet between slices")
                << list << toMeet << "ID % 10 = 0" << true << true;
            QTest::newRow(name + ", deleted between slices") << list << remove << "ID IN (3, 2500)" << true << true;
        }
    }
    void listKeepsOneStateWhileWritten() {
        QFETCH(QString, list);
        QFETCH(QString, change);
        QFETCH(QString, rowsChanged);
        QFETCH(bool, betweenSlices);
        QFETCH(bool, elsewhere);
        fillEventLog();
        const QString sql = eventListSql(list);
        const QString ids = QStringLiteral("SELECT ID FROM (%1)").arg(sql);
        const QStringList before = rows(db(), ids);
        const QStringList changed =
            rows(db(), QStringLiteral("SELECT ID FROM tListActionUsers WHERE %1").arg(rowsChanged));
        SprGrid grid;
        grid.load(
            sql, [this](const QString& text) { return SqlQuery(db()).prepared(text); }, {}, {}, eventListKey(list));
        if (betweenSlices) {
            QCoreApplication::processEvents();
            QVERIFY(!grid.sprModel()->counted());
        } else {
            QCOMPARE(grid.rowCount(), before.size());
            grid.valueAt(0, QStringLiteral("ID"));
        }
        const QString statement = change + QStringLiteral(" WHERE ") + rowsChanged;
        if (elsewhere) {
            execElsewhere(*m_db, statement);
        } else {
            exec(db(), statement);
        }
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
    // Nothing is read because another workstation wrote; the rows painted next are read then, and a row
    // gone from a page not yet in memory never shows as a blank row.
    void anOpenListReadsNothingUntilScrolled() {
        fillEventLog();
        int statements = 0;
        SprGrid grid;
        grid.resize(400, 300);
        grid.load(
            eventListSql(QStringLiteral("by ID")),
            [this, &statements](const QString& text) {
                ++statements;
                return SqlQuery(db()).prepared(text);
            },
            {}, {}, eventListKey(QStringLiteral("by ID")));
        grid.show();
        grid.sprModel()->finishCount();
        grid.viewport()->grab();
        const int read = statements;
        execElsewhere(*m_db, QStringLiteral("DELETE FROM tListActionUsers WHERE ID BETWEEN 1501 AND 1530"));
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents();
        }
        QCOMPARE(statements, read);
        const int rowsBefore = grid.rowCount();
        // Row 1352 is entry 1501.
        grid.scrollTo(grid.model()->index(1352, 0), QAbstractItemView::PositionAtTop);
        grid.viewport()->grab();
        QVERIFY(statements > read);
        QVERIFY(grid.rowCount() < rowsBefore);
        for (int row = grid.rowAt(0); row <= grid.rowAt(grid.viewport()->height() - 1); ++row) {
            QVERIFY(grid.sprModel()->value(row, 0).isValid());
        }
    }
    // While a long list's IDs are read, a key within its first page acts at once; one that reaches past
    // it first finishes the read.
    void keysWithinTheFirstPageDoNotWaitForTheIds() {
        fillEventLog();
        const QString sql = eventListSql(QStringLiteral("by date"));
        SprGrid grid;
        grid.resize(400, 300);
        grid.load(
            sql, [this](const QString& text) { return SqlQuery(db()).prepared(text); }, {}, {},
            eventListKey(QStringLiteral("by date")));
        QTest::keyClick(&grid, Qt::Key_PageDown);
        QVERIFY(!grid.sprModel()->counted());
        QVERIFY(grid.currentRowNumber() > 0);
        QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
        QVERIFY(grid.sprModel()->counted());
        QCOMPARE(grid.currentRowNumber(), rows(db(), QStringLiteral("SELECT ID FROM (%1)").arg(sql)).size() - 1);
    }
    void measuresAFileWithoutStatistics() {
        const QString statistics = QStringLiteral("SELECT count(*) FROM sqlite_stat1 WHERE tbl='tOrg'");
        db().measureWhenUnmeasured();
        QVERIFY(scalar(db(), statistics).toInt() > 0);
        exec(db(), QStringLiteral("DELETE FROM sqlite_stat1"));
        db().measureWhenUnmeasured();
        QVERIFY(scalar(db(), statistics).toInt() > 0);
    }

    // A column is never narrower than its bold title.
    void columnHoldsItsTitle() {
        SprGrid grid;
        grid.load(QStringLiteral("SELECT 1 AS ID, 2 AS Cell"),
                  [this](const QString& sql) { return SqlQuery(db()).prepared(sql); }, {QStringLiteral("ID")},
                  {{QStringLiteral("Cell"), QStringLiteral("Наименование организации"), 3}});
        QCOMPARE(columnsCutOff(grid), QStringList());
    }

  private:
    // 3 000 entries dated out of ID order, every tenth of another kind, and IDs of 0 and below and one
    // far beyond the rest.
    void fillEventLog() {
        exec(db(), QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                  "INSERT INTO tListActionUsers (ID, dt_action, kod_action) SELECT i, "
                                  "datetime('2024-01-01', '+' || (i * 7919 % 3000) || ' minutes'), "
                                  "i % 10 <> 0 FROM n"));
        exec(db(), QStringLiteral("INSERT INTO tListActionUsers (ID, dt_action, kod_action) VALUES "
                                  "(-5, '2024-01-02 00:00:00', 1), (0, NULL, 1), (%1, '2020-01-01 00:00:00', 1)")
                       .arg(Q_INT64_C(1) << 40));
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
    static QStringList without(const QStringList& ids, const QStringList& left) {
        QStringList kept;
        for (const QString& id : ids) {
            if (!left.contains(id)) {
                kept << id;
            }
        }
        return kept;
    }
    static QString orgName(int number) { return QStringLiteral("Орг %1").arg(number, 5, 10, QLatin1Char('0')); }
    void loadOrgs(SprGrid& grid, const QString& from, const SprKey& key = {}) {
        grid.load(
            kOrgList,
            [this, from](const QString& sql) {
                SqlQuery query(db());
                query.addParam(QStringLiteral("pFrom"), FieldType::String, from);
                return query.prepared(sql);
            },
            {QStringLiteral("ID")}, {{QStringLiteral("name"), QStringLiteral("Наименование"), 20}}, key);
    }
};

QTEST_MAIN(TestSprModel)
#include "tst_sprmodel.moc"
