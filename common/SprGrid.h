#pragma once

#include <QList>
#include <QStringList>
#include <QTableView>

#include "common/SprModel.h"

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
// Its model reads only the rows on screen, a page at a time, and holds no statement open. While the
// model still reads a long list's IDs, what a person does within the first page acts at once, and what
// may reach past it first finishes that read, so that nothing acts on a length that is not yet true.
class SprGrid : public QTableView {
    Q_OBJECT

  public:
    // Prepares the given statement (the grid's wrapping of the list's text) with the list's parameters
    // bound; called each time IDs or rows are read.
    using QueryBinder = SprModel::QueryBinder;

    explicit SprGrid(QWidget* parent = nullptr);

    SprModel* sprModel() const { return m_model; }

    // Reads the list for the first time; the first row becomes current.
    void load(const QString& sql, QueryBinder binder, const QStringList& hidden, const QList<SprColumn>& columns,
              const SprKey& key = {});
    // Another text and key of the same list, read at the next requery.
    void setStatement(const QString& sql, const SprKey& key) { m_model->setStatement(sql, key); }
    // No query: an empty grid without columns.
    void clearList();
    // Reads the list again and makes that row number current; a shorter list goes to its last row, -1
    // leaves no current row.
    void requery(int row);

    // The current row holds the record the person chose: it follows its record when rows move, and
    // there is none once that record left the list, until the person chooses another.
    bool hasCurrentRow() const { return currentRowNumber() >= 0; }
    // -1 without a current row.
    int currentRowNumber() const;
    // A field of the current row's record, taken by its ID; an invalid value without a current row or
    // when the record is no longer found.
    QVariant currentValue(const QString& field) const;
    // Reads the current row's record again by its ID; false without a current row or when it is gone.
    bool readCurrentRecord();
    // As readCurrentRecord; a record gone (deleted elsewhere, or out of the list's condition) is also
    // said to the person, and the list is read again with no current row.
    bool currentRecordFound();
    // The number of rows of the list (its IDs all read), and a field of one of them.
    int rowCount() const;
    QVariant valueAt(int row, const QString& field) const;

    // The double-click rule: a double-click acts only when a data cell was clicked since the last
    // double-click. takeDoubleClick answers whether this one acts and starts the count again.
    void noteCellClick() { m_cellClick = true; }
    bool takeDoubleClick();

    // The width of a column of that many characters of the grid's font, its cell's margins included.
    int charsWidth(int chars) const;

  signals:
    void cellClick();
    void dblClick();
    void enterPressed();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    // The grids have no search by typing: Qt's reads row after row of a long list until one matches.
    void keyboardSearch(const QString&) override {}
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void applyColumns();
    int charWidth() const;
    int cellPadding() const;
    int titleWidth(const QString& title) const;
    int firstShownColumn() const;
    void goToRow(int row);
    void finishCountBefore(const QEvent* event, bool onScrollBar);
    bool reachesPastRowsHeld(const QEvent* event, bool onScrollBar) const;
    void prepareShownRows();

    SprModel* m_model = nullptr;
    QStringList m_hidden;
    QList<SprColumn> m_columns;
    bool m_cellClick = false;
};
