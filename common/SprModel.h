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
#include <utility>

// A value in the default form of its field type: a stored date-time as the workstation shows dates
// and times, a number in the workstation's form without grouping, a text as it is, NULL as nothing.
QString defaultDisplayText(const QVariant& value);

// One titled column of a list: field name, title and display width in characters.
struct SprColumn {
    QString field;
    QString title;
    int widthChars = 0;
};

// A long list whose "ID" column is the ID of one table and whose order is total (it ends with a
// unique key). Its count goes in short slices of that table's rows, and its far pages are found from
// the slices or read from the other end, so that no statement walks the whole list. Only the IDs the
// table held when the list was read are listed until it is read again, so that rows added elsewhere
// never push a row of the read out of view.
struct SprKey {
    // Empty: a short list, counted with one statement and paged by OFFSET.
    QString table;
    // The list is ordered by its ID: a page starts from the slice that holds it.
    bool orderedById = false;
    // Otherwise the list is ordered by this column (NULLs first), then by ID: a far page starts from a
    // row some thousands of rows before it, named by its values in these two columns.
    QString orderColumn{};
    // The list's IDs lie from firstId up to lastId; unset, the table's first and last ID at the read.
    std::optional<qint64> firstId{};
    std::optional<qint64> lastId{};
};

// The rows of a list query, read-only, shown in their default form and titled by field name.
// It reads the rows a page at a time as the view asks for them; every statement runs to its end at
// once, so that no read keeps the file from another workstation's write, and only a few pages stay in
// memory however long the list is. A keyed list shows its first page at once and counts the rest
// between events; until the count is finished it has the rows of that page.
//
// The rows in memory, the count and the places where pages start are one state of the file. Before a
// row not in memory is read, a change of the file since that state (by another workstation or this one)
// is looked for; when there was one, the list is counted again: the same count keeps the state, another
// count replaces it, keeping the row numbers, so that the list never shows two states at once.
class SprModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    // Prepares the given statement (a wrapping of the list's text) with the list's parameters bound.
    using QueryBinder = std::function<QSqlQuery(const QString& sql)>;

    static constexpr int kPageRows = 128;
    static constexpr int kCachedPages = 16;

    explicit SprModel(QObject* parent = nullptr);

    // A list's statement (a plain SELECT; a trailing ";" is dropped); reads its first page and counts it.
    void setQuery(const QString& sql, QueryBinder binder, const SprKey& key = {});
    // Another text and key of the same list (another plan for the same rows), read at the next refresh.
    void setStatement(const QString& sql, const SprKey& key);
    // Counts and reads the list again, forgetting every page read before.
    void refresh();
    // No query: no rows and no columns.
    void clear();
    // Whether the first count of the read is finished (the row count is then the list's length).
    bool counted() const { return !(m_firstCount && m_countTimer.isActive()); }
    // Counts the slices left of the first count now, without waiting for events.
    void finishCount();
    // Makes the rows first..last ready to be read, checking the state first when one of them is not in
    // memory. Rows may be added or removed at the end meanwhile.
    void prepareRows(int first, int last);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& item, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Titles by field name (letter case ignored); fields without one show their column name.
    void setTitles(const QList<SprColumn>& columns);
    // The column of a field, letter case ignored; -1 when the query has none.
    int fieldColumn(const QString& field) const;
    // A stored value; an invalid value outside the list.
    QVariant value(int row, int column) const;
    // The number of pages held in memory now.
    int cachedPages() const { return int(m_pages.size()); }

  signals:
    // The count of a read (setQuery, refresh) is finished: the list's length is known.
    void countFinished();

  private:
    // What tells that the file changed: its data version (moved by another connection's commit) and
    // the rows this connection changed.
    using Version = std::pair<qint64, qint64>;
    // A run of the list's rows by ID: those with IDs from fromId on, the first being row firstRow.
    struct Slice {
        qint64 fromId = 0;
        int firstRow = 0;
    };
    // A row of the list found by walking it: its number, its value in the order column and its ID.
    struct Anchor {
        int row = 0;
        QVariant order;
        qint64 id = 0;
    };
    struct Page {
        QList<QVariantList> rows;
        quint64 lastUse = 0;
    };
    // A count of the list: its slices, the rows counted, the ID the next slice starts from and the
    // version it started at.
    struct Count {
        QList<Slice> slices;
        int rows = 0;
        qint64 countedId = 0;
        qint64 sliceRows = 0;
        Version start;
        // A check of the state shown: the number of its slices found as they were; -1 for a count of
        // slices of its own.
        int checkedSlices = -1;
    };
    // An extra condition of a statement and the order value it binds.
    struct Condition {
        QString text;
        QVariant order;
    };

    QSqlQuery run(const QString& sql, const QVariant& order = QVariant()) const;
    qint64 readNumber(const QString& sql) const;
    Version version() const;
    bool keyed() const { return !m_key.table.isEmpty(); }
    void readBounds();
    QString rowsSql(const QString& list, const QString& condition, int rows, int offset) const;

    void startCount();
    void countSlice();
    void checkSlice();
    bool checkedUpTo(int row) const;
    int rowsBetween(qint64 from, qint64 upTo) const;
    qint64 sliceEnd(qint64 after, qint64 rows) const;
    void expectCount(int rows);
    bool settled(Version start, int rows);
    void endCount();
    // Counts the list again now when the file changed since the state shown, or goes on with such a
    // count under way, until the state is known up to lastRow.
    void checkState(int lastRow);
    void watchFile();
    void startCheck();
    void recountShort();
    void takeCount(int rows, const QList<Slice>& slices, Version start, bool keepPages);
    void setRows(int rows);
    bool inMemory(int first, int last) const;

    // Reads one page; names the columns into fields when given.
    Page readPage(int number, QStringList* fields) const;
    QString pageSql(int first, int rows, bool* reversed, QVariant* order) const;
    Condition fromRow(const Anchor& anchor) const;
    const Anchor* anchorBefore(int row) const;
    bool addAnchor() const;
    void anchorSlice();
    const Page& page(int number) const;
    void dropOldestPage() const;

    QString m_sql;
    QueryBinder m_binder;
    SprKey m_key;
    int m_rows = 0;
    // The IDs a keyed list holds: those of its table at the read.
    qint64 m_firstId = 0;
    qint64 m_lastId = 0;
    // The state shown: the version it was taken at, its slices and the pages' and anchors' rows.
    Version m_version;
    QList<Slice> m_slices;
    mutable QList<Anchor> m_anchors;
    mutable bool m_anchorsWhole = false;
    // A count under way: the first of a read (m_firstCount), or a check of the state after the file
    // changed.
    Count m_count;
    bool m_firstCount = false;
    int m_countsLeft = 0;
    int m_agreedRows = -1;
    QTimer m_countTimer;
    QTimer m_anchorTimer;
    QTimer m_watchTimer;
    QStringList m_fields;
    QHash<QString, QString> m_titles;
    mutable QHash<int, Page> m_pages;
    mutable quint64 m_useClock = 0;
};
