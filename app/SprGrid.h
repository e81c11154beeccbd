#pragma once

#include <QHash>
#include <QList>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QStringList>
#include <QTableView>
#include <QTimer>

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

// The rows of a list query, shown in their default form and titled by field name.
class SprModel : public QSqlQueryModel {
    Q_OBJECT

  public:
    using QSqlQueryModel::QSqlQueryModel;

    QVariant data(const QModelIndex& item, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Titles by field name (letter case ignored); fields without one show their column name.
    void setTitles(const QList<SprColumn>& columns);
    // The column of a field, letter case ignored; -1 when the query has none.
    int fieldColumn(const QString& field) const;

  private:
    QHash<QString, QString> m_titles;
};

// The entry of a kind in a window's table of kinds; nullptr when the kind has none.
template <class Entry>
const Entry* findKind(const QList<Entry>& entries, int kind) {
    for (const Entry& entry : entries) {
        if (entry.kind == kind) {
            return &entry;
        }
    }
    return nullptr;
}

// The read-only grid of a list window or selector: whole-row selection, bold titles, resizable
// columns, no editing. It re-runs its query on demand and keeps a row number across re-queries.
// A list shows at once with its first rows; the rest is read while the program is idle, so that the
// unfinished statement does not keep the file's read lock from other workstations for long.
class SprGrid : public QTableView {
    Q_OBJECT

  public:
    // Prepares the given statement (the list's own text, or the grid's wrapping of it) with the list's
    // parameters bound; called each time rows are read.
    using QueryBinder = std::function<QSqlQuery(const QString& sql)>;

    explicit SprGrid(QWidget* parent = nullptr);

    SprModel* sprModel() const { return m_model; }

    // Reads the list for the first time; the first row becomes current.
    void load(const QString& sql, QueryBinder binder, const QStringList& hidden, const QList<SprColumn>& columns);
    // No query: an empty grid without columns.
    void clearList();
    // Reads the list again and makes that row number current; a shorter list goes to its last row.
    void requery(int row);

    bool hasCurrentRow() const { return currentRowNumber() >= 0; }
    // -1 without a current row.
    int currentRowNumber() const;
    // A field of the current row; an invalid value without a current row.
    QVariant currentValue(const QString& field) const;
    // The number of rows of the list, and a field of one of them.
    int rowCount() const;
    QVariant valueAt(int row, const QString& field) const;

    // The double-click rule: a double-click acts only when a data cell was clicked since the last
    // double-click. takeDoubleClick answers whether this one acts and starts the count again.
    void noteCellClick() { m_cellClick = true; }
    bool takeDoubleClick();

  signals:
    void cellClick();
    void dblClick();
    void enterPressed();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void applyColumns();
    void goToRow(int row);
    void fetchWhileIdle();

    SprModel* m_model = nullptr;
    QTimer m_idleFetch;
    QString m_sql;
    QueryBinder m_binder;
    QStringList m_hidden;
    QList<SprColumn> m_columns;
    bool m_cellClick = false;
};
