#include <QHeaderView>
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
        QCOMPARE(grid.sprModel()->cachedPages(), SprModel::kCachedPages);
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
        loadOrgs(grid, QString(), keyed ? SprKey{QStringLiteral("tOrg"), true} : SprKey{});
        QCOMPARE(grid.rowCount(), kRows);
        selectRow(grid, 300);
        execElsewhere(*m_db, change);
        grid.requery(grid.currentRowNumber());
        QCOMPARE(grid.rowCount(), count);
        QCOMPARE(grid.currentRowNumber(), 300);
        QCOMPARE(grid.currentValue(QStringLiteral("Name")).toString(), orgName(org));
    }
    // A keyed list counts in slices between events: another workstation that does not wait at all
    // commits between two slices, and the finished count holds its change.
    void anotherWorkstationWritesBetweenSlicesOfTheCount() {
        exec(db(), QStringLiteral("UPDATE tOrg SET ID = -ID"));
        exec(db(), QStringLiteral("UPDATE tOrg SET ID = -ID * 10"));
        SprGrid grid;
        grid.resize(400, 300);
        loadOrgs(grid, QString(), {QStringLiteral("tOrg"), true});
        grid.show();
        QCoreApplication::processEvents();
        QVERIFY(!grid.sprModel()->counted());
        Database otherWorkstation;
        QVERIFY(otherWorkstation.open(m_db->path()));
        exec(otherWorkstation, QStringLiteral("PRAGMA busy_timeout = 0"));  // a held read lock fails at once
        exec(otherWorkstation, QStringLiteral("DELETE FROM tOrg WHERE ID = %1").arg(kRows * 10));
        QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(grid.rowCount(), kRows - 1);
        QCOMPARE(grid.currentRowNumber(), kRows - 2);
        QCOMPARE(grid.currentValue(QStringLiteral("Name")).toString(), orgName(kRows - 1));
    }
    // Another workstation writes while a long keyed list is open: between the slices of its count or
    // between two page reads. The list shows one state, whole: the one it read (rows added later stay
    // out) or, after a delete, the new one. IDs of 0 and below and one far beyond the rest are listed.
    void keyedListStaysWholeWhileAnotherWorkstationWrites_data() {
        QTest::addColumn<bool>("byDate");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("read");
        const QString added = QStringLiteral(
            "INSERT INTO tListActionUsers (dt_action) VALUES ('2024-01-05 00:00:00'), (NULL), ('2023-01-01 00:00:00')");
        const QString deleted = QStringLiteral("DELETE FROM tListActionUsers WHERE ID IN (3, 5000, 19000)");
        // The entries at the first two anchors of the list by date: the first is undated.
        const QString anchors = QStringLiteral(
            "DELETE FROM tListActionUsers WHERE ID IN (SELECT ID FROM tListActionUsers ORDER BY dt_action, ID "
            "LIMIT 1 OFFSET 8192) OR ID IN (SELECT ID FROM tListActionUsers ORDER BY dt_action, ID LIMIT 1 OFFSET "
            "16384)");
        const QString deletedFar = QStringLiteral("DELETE FROM tListActionUsers WHERE ID = 19000");
        QTest::newRow("by ID, added between pages") << false << added << "backward";
        QTest::newRow("by date, added between pages") << true << added << "backward";
        QTest::newRow("by ID, deleted between slices") << false << deleted << "while counting";
        QTest::newRow("by date, deleted between slices") << true << deleted << "while counting";
        QTest::newRow("by ID, deleted between pages") << false << deleted << "backward";
        QTest::newRow("by ID, deleted far ahead of the pages read") << false << deletedFar << "forward";
        QTest::newRow("by date, anchor rows deleted between pages") << true << anchors << "backward";
    }
    void keyedListStaysWholeWhileAnotherWorkstationWrites() {
        QFETCH(bool, byDate);
        QFETCH(QString, change);
        QFETCH(QString, read);
        // 20 000 entries, the first 9 000 undated, the rest dated out of ID order.
        exec(db(), QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                                  "INSERT INTO tListActionUsers (ID, dt_action) SELECT i, CASE WHEN i > 9000 THEN "
                                  "datetime('2024-01-01', '+' || (i * 7919 % 20000) || ' minutes') END FROM n"));
        exec(db(), QStringLiteral("INSERT INTO tListActionUsers (ID, dt_action) VALUES (-5, '2024-01-02 00:00:00'), "
                                  "(0, NULL), (%1, '2020-01-01 00:00:00')")
                       .arg(Q_INT64_C(1) << 40));
        const QString order = byDate ? QStringLiteral("dt_action, ID") : QStringLiteral("ID");
        const QString list = QStringLiteral("SELECT ID, dt_action FROM tListActionUsers ORDER BY %1").arg(order);
        const QString lastRead = scalar(db(), QStringLiteral("SELECT MAX(ID) FROM tListActionUsers")).toString();
        SprGrid grid;
        grid.load(
            list, [this](const QString& sql) { return SqlQuery(db()).prepared(sql); }, {}, {},
            byDate ? SprKey{QStringLiteral("tListActionUsers"), false, QStringLiteral("dt_action")}
                   : SprKey{QStringLiteral("tListActionUsers"), true});
        if (read == QLatin1String("while counting")) {
            QCoreApplication::processEvents();
            QVERIFY(!grid.sprModel()->counted());
        } else {
            QCOMPARE(grid.rowCount(), 20003);
            // Far pages first: from the end, from anchors, from slices.
            for (int row : {20002, 18000, 17000, 9000, 500}) {
                QVERIFY(grid.valueAt(row, QStringLiteral("ID")).isValid());
            }
        }
        execElsewhere(*m_db, change);
        QStringList shown;
        // Forward, as a person scrolls: the change is found only when the rows reach it.
        for (int row = 0; read == QLatin1String("forward") && row < grid.sprModel()->rowCount(); ++row) {
            shown << grid.valueAt(row, QStringLiteral("ID")).toString();
        }
        // Backward from the last row: when the list is read again on the way, the view shows it anew
        // from its new end.
        for (int row = grid.rowCount() - 1; read != QLatin1String("forward") && row >= 0; --row) {
            const int rows = grid.sprModel()->rowCount();
            const QString id = grid.valueAt(row, QStringLiteral("ID")).toString();
            if (grid.sprModel()->rowCount() != rows) {
                shown.clear();
                row = grid.sprModel()->rowCount();
                continue;
            }
            shown.prepend(id);
        }
        QCOMPARE(
            shown,
            rows(db(),
                 QStringLiteral("SELECT ID FROM tListActionUsers WHERE ID <= %1 ORDER BY %2").arg(lastRead, order)));
    }
    void measuresAFileWithoutStatistics() {
        const QString statistics = QStringLiteral("SELECT count(*) FROM sqlite_stat1 WHERE tbl='tOrg'");
        db().measureWhenUnmeasured();
        QVERIFY(scalar(db(), statistics).toInt() > 0);
        exec(db(), QStringLiteral("DELETE FROM sqlite_stat1"));
        db().measureWhenUnmeasured();
        QVERIFY(scalar(db(), statistics).toInt() > 0);
    }

    // A column of N characters shows N digits or N letters whole, and never cuts its bold title.
    void columnHoldsItsCharactersAndTitle_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("chars");
        QTest::addColumn<QString>("text");  // repeated up to the N characters of the cell
        QTest::newRow("card number") << "Номер" << 10 << "0123456789";
        QTest::newRow("card type") << "Тип" << 15 << "Клубная карта ";
        QTest::newRow("capitals") << "Тип" << 15 << "КЛУБНАЯ КАРТА ";
        QTest::newRow("long title") << "Наименование организации" << 3 << "123";
    }
    void columnHoldsItsCharactersAndTitle() {
        QFETCH(QString, title);
        QFETCH(int, chars);
        QFETCH(QString, text);
        const QString cell = text.repeated(chars).left(chars);
        SprGrid grid;
        grid.load(QStringLiteral("SELECT 1 AS ID, :pCell AS Cell"),
                  [this, cell](const QString& sql) {
                      SqlQuery query(db());
                      query.addParam(QStringLiteral("pCell"), FieldType::String, cell);
                      return query.prepared(sql);
                  },
                  {QStringLiteral("ID")}, {{QStringLiteral("Cell"), title, chars}});
        QCOMPARE(grid.valueAt(0, QStringLiteral("Cell")).toString(), cell);
        // The view's own width for the cell's whole text, margins and grid line included.
        QVERIFY(grid.columnWidth(1) >= static_cast<const QAbstractItemView&>(grid).sizeHintForColumn(1));
        QVERIFY(grid.columnWidth(1) >= grid.horizontalHeader()->sectionSizeHint(1));
    }

  private:
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
