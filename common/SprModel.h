#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSqlQuery>
#include <QStringList>
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

// The rows of a list query, read-only, shown in their default form and titled by field name.
// It counts the rows with one statement and reads them a page at a time as the view asks for them;
// every statement runs to its end at once, so that no read keeps the file from another workstation's
// write, and only a few pages stay in memory however long the list is.
class SprModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    // Prepares the given statement (a wrapping of the list's text) with the list's parameters bound.
    using QueryBinder = std::function<QSqlQuery(const QString& sql)>;

    static constexpr int kPageRows = 128;
    static constexpr int kCachedPages = 16;

    using QAbstractTableModel::QAbstractTableModel;

    // A list's statement (a plain SELECT; a trailing ";" is dropped); reads its count and first page.
    void setQuery(const QString& sql, QueryBinder binder);
    // Counts and reads the list again, forgetting every page read before.
    void refresh();
    // No query: no rows and no columns.
    void clear();

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

  private:
    struct Page {
        QList<QVariantList> rows;
        quint64 lastUse = 0;
    };

    QSqlQuery run(const QString& sql) const;
    int readCount() const;
    // Reads one page; names the columns into fields when given.
    Page readPage(int number, QStringList* fields) const;
    const Page& page(int number) const;
    void dropOldestPage() const;

    QString m_sql;
    QueryBinder m_binder;
    int m_rows = 0;
    QStringList m_fields;
    QHash<QString, QString> m_titles;
    mutable QHash<int, Page> m_pages;
    mutable quint64 m_useClock = 0;
};
