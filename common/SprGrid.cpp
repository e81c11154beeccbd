#include "common/SprGrid.h"

#include <QFontMetricsF>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <QtMath>

#include "platform/Database.h"
#include "platform/UiSeam.h"

SprGrid::SprGrid(QWidget* parent) : QTableView(parent), m_model(new SprModel(this)) {
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);

    QHeaderView* titles = horizontalHeader();
    QFont bold = titles->font();
    bold.setBold(true);
    titles->setFont(bold);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setHighlightSections(false);
    titles->setSectionsClickable(false);
    titles->setStretchLastSection(false);

    // The row indicator: a narrow column that marks the current row.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setHighlightSections(true);

    connect(this, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            emit cellClick();
        }
    });
    connect(this, &QTableView::doubleClicked, this, &SprGrid::dblClick);
    // A double-click on the titles acts on nothing, but it is a double-click: the count starts again.
    connect(titles, &QHeaderView::sectionDoubleClicked, this, [this] { takeDoubleClick(); });
    verticalScrollBar()->installEventFilter(this);
}

void SprGrid::load(const QString& sql, QueryBinder binder, const QStringList& hidden, const QList<SprColumn>& columns,
                   const SprKey& key) {
    m_hidden = hidden;
    m_columns = columns;
    m_model->setTitles(columns);
    m_model->setQuery(sql, std::move(binder), key);
    applyColumns();
    goToRow(0);
}

void SprGrid::clearList() {
    m_hidden.clear();
    m_columns.clear();
    m_model->setTitles({});
    m_model->clear();
}

void SprGrid::requery(int row) {
    m_model->refresh();
    if (row >= m_model->rowCount()) {
        m_model->finishCount();
    }
    applyColumns();
    goToRow(row);
}

void SprGrid::applyColumns() {
    for (int column = 0; column < m_model->columnCount(); ++column) {
        setColumnHidden(column, false);
    }
    for (const QString& field : m_hidden) {
        const int column = m_model->fieldColumn(field);
        if (column >= 0) {
            setColumnHidden(column, true);
        }
    }
    for (const SprColumn& titled : m_columns) {
        const int column = m_model->fieldColumn(titled.field);
        if (column >= 0 && titled.widthChars > 0) {
            setColumnWidth(column, qMax(charsWidth(titled.widthChars), titleWidth(titled.title)));
        }
    }
}

int SprGrid::charsWidth(int chars) const {
    return chars * charWidth() + cellPadding();
}

// The widest digit: a column of N characters holds N digits, and about as many letters of ordinary text.
// Counting capitals or the widest letters instead would leave every column of numbers, dates and times
// far wider than what it shows.
int SprGrid::charWidth() const {
    const QFontMetricsF metrics(font());
    qreal width = 0;
    for (char digit = '0'; digit <= '9'; ++digit) {
        width = qMax(width, metrics.horizontalAdvance(QLatin1Char(digit)));
    }
    return qCeil(width);
}

// Beside its text a cell holds the style's text margins and its grid line.
int SprGrid::cellPadding() const {
    const int textMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return 2 * textMargin + 1;
}

// Titles are bold, so a width counted in characters of the cells can cut them; a column is never
// narrower than its title.
int SprGrid::titleWidth(const QString& title) const {
    return horizontalHeader()->fontMetrics().horizontalAdvance(title) + 2 * fontMetrics().averageCharWidth();
}

int SprGrid::firstShownColumn() const {
    int column = 0;
    while (column < m_model->columnCount() - 1 && isColumnHidden(column)) {
        ++column;
    }
    return column;
}

void SprGrid::goToRow(int row) {
    const int count = m_model->rowCount();
    if (count == 0 || row < 0) {
        setCurrentIndex(QModelIndex());
        return;
    }
    const QModelIndex target = m_model->index(qMin(row, count - 1), firstShownColumn());
    setCurrentIndex(target);
    scrollTo(target);
}

int SprGrid::currentRowNumber() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

// Nothing is read at the current row's number first: a row found gone then would leave, and the row
// after it would answer.
QVariant SprGrid::currentValue(const QString& field) const {
    return m_model->value(currentRowNumber(), m_model->fieldColumn(field));
}

bool SprGrid::readCurrentRecord() {
    return m_model->readRecord(currentRowNumber());
}

bool SprGrid::currentRecordFound() {
    if (!hasCurrentRow()) {
        return false;
    }
    if (readCurrentRecord()) {
        return true;
    }
    showMessage(this, kRecordNotFound);
    requery(-1);
    return false;
}

// The list's true length: IDs still to be read are read first.
int SprGrid::rowCount() const {
    m_model->finishCount();
    return m_model->rowCount();
}

QVariant SprGrid::valueAt(int row, const QString& field) const {
    m_model->prepareRows(row, row);
    return m_model->value(row, m_model->fieldColumn(field));
}

bool SprGrid::takeDoubleClick() {
    const bool acts = m_cellClick;
    m_cellClick = false;
    return acts;
}

// The rows about to be painted are made ready before the painting: a row found gone then leaves the
// list, which must not happen while the view paints.
void SprGrid::prepareShownRows() {
    const int first = rowAt(0);
    const int last = rowAt(viewport()->height() - 1);
    if (first >= 0) {
        m_model->prepareRows(first, last >= 0 ? last : m_model->rowCount() - 1);
    }
}

// While a long list's IDs are still read, the grid holds its first page. What stays within those rows
// acts at once; what may reach past them (End, the scroll bar, a key or wheel near their end) first
// finishes the read, so that nothing acts on a length that is not yet true.
void SprGrid::finishCountBefore(const QEvent* event, bool onScrollBar) {
    if (!m_model->counted() && reachesPastRowsHeld(event, onScrollBar)) {
        m_model->finishCount();
    }
}

bool SprGrid::reachesPastRowsHeld(const QEvent* event, bool onScrollBar) const {
    const int shownRows = qMax(1, viewport()->height() / qMax(1, verticalHeader()->defaultSectionSize()));
    const int pageBeforeEnd = m_model->rowCount() - 1 - shownRows;
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* press = static_cast<const QKeyEvent*>(event);
            if (press->key() == Qt::Key_Down || press->key() == Qt::Key_PageDown) {
                return currentRowNumber() >= pageBeforeEnd;
            }
            return press->key() == Qt::Key_End;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return onScrollBar;
        case QEvent::Wheel:
            return rowAt(viewport()->height() - 1) < 0 || rowAt(viewport()->height() - 1) >= pageBeforeEnd;
        default:
            return false;
    }
}

bool SprGrid::viewportEvent(QEvent* event) {
    finishCountBefore(event, false);
    if (event->type() == QEvent::Paint) {
        prepareShownRows();
    }
    return QTableView::viewportEvent(event);
}

bool SprGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == verticalScrollBar()) {
        finishCountBefore(event, true);
    }
    return QTableView::eventFilter(watched, event);
}

void SprGrid::keyPressEvent(QKeyEvent* event) {
    finishCountBefore(event, false);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit enterPressed();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

// Ctrl+Home and Ctrl+End move to the first and last row in the current column, so that the columns in
// view (a name, a number) stay there; Qt's also go to the first or last column.
QModelIndex SprGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex moved = QTableView::moveCursor(action, modifiers);
    if ((action != MoveHome && action != MoveEnd) || !modifiers.testFlag(Qt::ControlModifier) || !moved.isValid()) {
        return moved;
    }
    return m_model->index(moved.row(), hasCurrentRow() ? currentIndex().column() : firstShownColumn());
}

// The current row leaving takes the current row with it, where Qt would make the next record current.
void SprGrid::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    const int current = currentRowNumber();
    if (current >= start && current <= end) {
        selectionModel()->clear();
    }
    QTableView::rowsAboutToBeRemoved(parent, start, end);
}
