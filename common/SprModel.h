#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSqlQuery>
#include <QStringList>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

// A value in the default form of its field type: a stored date-time as the workstation shows dates
// and times, a number in the workstation's form without grouping, a text as it is, NULL as nothing.
QString defaultDisplayText(const QVariant& value);

// One titled column of a list: field name, title and display width in characters.
struct SprColumn {
    QString field;
    QString title;
    int widthChars = 0;
};

// A long list whose "ID" column is the ID of one table. Its IDs are read between events, in slices of
// that table's rows by ID: a row's ID never changes, so each row is read once, whatever moves meanwhile.
// Only the IDs the table held when the list was read are listed.
struct SprKey {
    // Empty: a short list, whose IDs are read with one statement.
    QString table;
    // The list is ordered by this column of stored date-times (NULLs first), then by ID; empty: by ID.
    QString orderColumn{};
    // The list's IDs lie from firstId up to lastId; unset, the table's first and last ID at the read.
    std::optional<qint64> firstId{};
    std::optional<qint64> lastId{};
};

// The rows of a list query, read-only, shown in their default form and titled by field name.
//
// A read takes the list's IDs in its order (the keyset): which rows the list shows, and in which
// order, is fixed until the next read. A row is read by its ID when the view asks for it, with the
// list's own statement narrowed to a few pages of IDs, so that an edited row shows its new values at
// its place; an ID no longer found (deleted, or out of the list's condition) leaves the list and the
// rows after it move up. Rows added elsewhere appear at the next read. Every statement runs to its end
// at once, so that no read keeps the file from another workstation's write, and nothing is read
// because the file changed. A list without an "ID" column is short and read whole.
class SprModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    // Prepares the given statement (a wrapping of the list's text) with the list's parameters bound.
    using QueryBinder = std::function<QSqlQuery(const QString& sql)>;

    static constexpr int kPageRows = 128;
    static constexpr int kCachedPages = 16;

    explicit SprModel(QObject* parent = nullptr);

    // A list's statement (a plain SELECT; a trailing ";" or comment is dropped); reads its IDs and first
    // page. Its ID column must give unique integers: any other ID refuses the list (DbError).
    void setQuery(const QString& sql, QueryBinder binder, const SprKey& key = {});
    // Another text and key of the same list (another plan for the same rows), read at the next refresh.
    void setStatement(const QString& sql, const SprKey& key);
    // Reads the list again, forgetting every row read before.
    void refresh();
    // No query: no rows and no columns.
    void clear();
    // Whether the IDs of the read are all read (the row count is then the list's length). A long list
    // has its first page meanwhile.
    bool counted() const { return !m_keysetTimer.isActive(); }
    // Reads the IDs left now, without waiting for events.
    void finishCount();
    // Reads the rows first..last that are not in memory; rows gone from the list are removed first.
    void prepareRows(int first, int last);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& item, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Titles by field name (letter case ignored); fields without one show their column name.
    void setTitles(const QList<SprColumn>& columns);
    // The column of a field, letter case ignored; -1 when the query has none.
    int fieldColumn(const QString& field) const;
    // A stored value of the record the row holds; an invalid value outside the list or for a record no
    // longer found.
    QVariant value(int row, int column) const;
    // Reads the row's record again by its ID, so that what is done with it takes the file's values;
    // answers whether the list still holds it (a list read whole holds every row it shows).
    bool readRecord(int row);
    // The number of rows held in memory now (a list read whole holds every row).
    int cachedRows() const { return int(m_whole.size() + m_rows.size()); }

  signals:
    // The IDs of a read (setQuery, refresh) are all read: the list's length is known.
    void countFinished();

  private:
    struct Row {
        QVariantList values;
        quint64 lastUse = 0;
    };
    // An ID read with its place in the list's order.
    struct OrderedId {
        qint64 order = 0;
        qint64 id = 0;
        bool operator<(const OrderedId& other) const {
            return order != other.order ? order < other.order : id < other.id;
        }
    };
    // The keyset of a long list being read: the IDs so far and where the next slice starts.
    struct KeysetRead {
        std::vector<OrderedId> ids;
        qint64 nextId = 0;
        qint64 sliceRows = 0;
    };
    struct Read {
        QStringList fields;
        QList<qint64> ids;
        QList<QVariantList> rows;
    };

    QSqlQuery run(const QString& sql) const;
    qint64 readNumber(const QString& sql) const;
    bool keyed() const { return !m_key.table.isEmpty(); }
    Read readList();
    Read readFirstPage();
    QStringList readFields(const QSqlQuery& query) const;
    static QList<QVariantList> readRows(QSqlQuery& query);
    QList<QVariantList> readRowsOf(const QList<qint64>& ids) const;

    void readKeysetSlice();
    qint64 sliceEnd(qint64 from, qint64 rows) const;
    void addSlice(std::vector<OrderedId>& slice);
    void endKeyset();
    void replaceIds(const QList<qint64>& ids);
    void moveRecords(const QList<qint64>& ids);

    // Reads the rows of these IDs into memory; answers the IDs no longer found.
    QList<qint64> fetch(const QList<qint64>& ids) const;
    QList<qint64> missingAround(int first, int last) const;
    void removeIds(int first, const QList<qint64>& gone);
    void dropOldRows(int room) const;

    QString m_sql;
    // The statement without its final ORDER BY: for reading IDs and rows the keyset puts in order.
    QString m_unorderedSql;
    QueryBinder m_binder;
    SprKey m_key;
    QStringList m_fields;
    QHash<QString, QString> m_titles;
    // The list's IDs in its order; a list without IDs holds its rows in m_whole instead.
    QList<qint64> m_ids;
    QList<QVariantList> m_whole;
    qint64 m_firstId = 0;
    qint64 m_lastId = 0;
    KeysetRead m_keyset;
    QTimer m_keysetTimer;
    // The rows in memory by ID, the least recently used dropped first.
    mutable QHash<qint64, Row> m_rows;
    mutable quint64 m_useClock = 0;
};
