#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSqlQuery>
#include <QStringList>
#include <QTimer>
#include <QVariant>

#include <functional>

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
// unique key). Its count goes in short slices of that table's IDs, and its far pages are found from
// the slices or read from the other end, so that no statement walks the whole list.
struct SprKey {
    // Empty: a short list, counted with one statement and paged by OFFSET.
    QString table;
    // The list is ordered by its ID: a page starts from the slice that holds it.
    bool orderedById = false;
    // Otherwise, a condition on the list's columns that holds for the row of ID %1 and every row after
    // it in the list's order: a far page starts from a row some thousands of rows before it.
    QString fromRow{};
    // The list's IDs lie above afterId and up to lastId; a negative lastId is the table's last ID.
    qint64 afterId = 0;
    qint64 lastId = -1;
};

// The rows of a list query, read-only, shown in their default form and titled by field name.
// It reads the rows a page at a time as the view asks for them; every statement runs to its end at
// once, so that no read keeps the file from another workstation's write, and only a few pages stay in
// memory however long the list is. A keyed list shows its first page at once and counts the rest
// between events; until the count is finished it has the rows of that page.
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
    // Whether the row count is the list's true length.
    bool counted() const { return !m_countTimer.isActive(); }
    // Counts the slices left now, without waiting for events.
    void finishCount();

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
    // The list's length is known: after every read whose count is finished.
    void countFinished();

  private:
    // A run of the list's rows by ID: those with IDs above afterId, the first being row firstRow.
    struct Slice {
        qint64 afterId = 0;
        int firstRow = 0;
    };
    // A row of the list found by walking it: its number and ID.
    struct Anchor {
        int row = 0;
        qint64 id = 0;
    };
    struct Page {
        QList<QVariantList> rows;
        quint64 lastUse = 0;
    };

    QSqlQuery run(const QString& sql) const;
    qint64 readNumber(const QString& sql) const;
    void startCount();
    void countSlice();
    void endCount();
    // Reads one page; names the columns into fields when given.
    Page readPage(int number, QStringList* fields) const;
    QString pageSql(int first, int rows, bool* reversed) const;
    QString fromAnchorSql(int first, int rows) const;
    void addAnchor() const;
    void anchorSlice();
    const Page& page(int number) const;
    void dropOldestPage() const;

    QString m_sql;
    QueryBinder m_binder;
    SprKey m_key;
    int m_rows = 0;
    // The count under way or finished: slices with rows, the ID counted up to and the last ID.
    QList<Slice> m_slices;
    mutable QList<Anchor> m_anchors;
    int m_countedRows = 0;
    qint64 m_countedId = 0;
    qint64 m_lastId = 0;
    qint64 m_sliceIds = 0;
    QTimer m_countTimer;
    QTimer m_anchorTimer;
    QStringList m_fields;
    QHash<QString, QString> m_titles;
    mutable QHash<int, Page> m_pages;
    mutable quint64 m_useClock = 0;
};
