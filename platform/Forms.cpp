#include "platform/Forms.h"

#include <QAction>
#include <QHeaderView>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include "platform/FormWidgets.h"

namespace {

// The row indicator, the visible columns, room for a vertical scroll bar and the frame.
int widthOfColumns(const QTableView& grid) {
    const QHeaderView* indicator = grid.verticalHeader();
    const int scrollBar =
        grid.verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff ? 0 : grid.verticalScrollBar()->sizeHint().width();
    return (indicator->isHidden() ? 0 : indicator->sizeHint().width()) + grid.horizontalHeader()->length() + scrollBar +
           2 * grid.frameWidth();
}

// A value longer than its column's characters (a price in thousands) widens the column, so that nothing
// shown is cut. Only the rows in view are measured, or at most a thousand of a grid not yet shown.
void widenToCells(QTableView& grid) {
    const QAbstractItemView& view = grid;
    for (int column = 0; column < grid.model()->columnCount(); ++column) {
        if (!grid.isColumnHidden(column)) {
            grid.setColumnWidth(column, qMax(grid.columnWidth(column), view.sizeHintForColumn(column)));
        }
    }
}

// Forgets what a layout and the layouts within it knew of their items' sizes.
void invalidateWithin(QLayout& layout) {
    layout.invalidate();
    for (int item = 0; item < layout.count(); ++item) {
        if (QLayout* inner = layout.itemAt(item)->layout()) {
            invalidateWithin(*inner);
        }
    }
}

// The least width of the widget's window with the widget's new least width; layouts otherwise learn of
// it only from the event loop. The window's own layout is only asked, as laying it out would already
// widen a resizable window to it.
int leastWindowWidth(QWidget& widget) {
    QWidget* window = widget.window();
    for (QWidget* holder = widget.parentWidget(); holder && holder != window; holder = holder->parentWidget()) {
        if (QLayout* layout = holder->layout()) {
            layout->invalidate();
            layout->activate();
        }
    }
    QLayout* layout = window->layout();
    if (!layout) {
        return widget.minimumWidth();
    }
    invalidateWithin(*layout);
    return layout->totalMinimumSize().width();
}

}  // namespace

QAction* addMenuItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut) {
    QAction* item = named(menu->addAction(caption), name);
    item->setShortcut(shortcut);
    return item;
}

QLineEdit* addLabelledEdit(QVBoxLayout& layout, QWidget* parent, const QString& caption, const char* name) {
    auto* edit = named(new QLineEdit(parent), name);
    addLabelled(layout, caption, edit);
    return edit;
}

bool showRecordState(QWidget* form, const QString& title, bool changed, bool isNew) {
    form->setWindowTitle(changed ? title + QStringLiteral(" *") : isNew ? title + QStringLiteral(": НОВЫЙ") : title);
    return changed || isNew;
}

void setPasswordEcho(QLineEdit* edit) {
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}

void growToShowColumns(QTableView& grid) {
    widenToCells(grid);
    QWidget* window = grid.window();
    const QRect screen = window->screen()->availableGeometry();
    grid.setMinimumWidth(widthOfColumns(grid));
    // Wider than the screen, the grid gives up the overshoot and scrolls instead.
    const int overshoot = leastWindowWidth(grid) - screen.width();
    if (overshoot > 0) {
        grid.setMinimumWidth(qMax(0, grid.minimumWidth() - overshoot));
    }
    const int width = leastWindowWidth(grid);
    if (width <= window->width()) {
        return;
    }
    if (window->minimumWidth() == window->maximumWidth()) {
        window->setFixedWidth(width);
    } else {
        window->resize(width, window->height());
    }
    if (window->isVisible() && window->frameGeometry().right() > screen.right()) {
        window->move(qMax(screen.left(), screen.right() + 1 - window->frameGeometry().width()), window->y());
    }
}
