#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QLineEdit;
class QMenu;
class QTableView;
class QVBoxLayout;
class QWidget;

// Adds a menu item named as the form names it, so that tests and the frame can find it.
QAction* addMenuItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {});
// Adds a caption above a new edit named as the form names it.
QLineEdit* addLabelledEdit(QVBoxLayout& layout, QWidget* parent, const QString& caption, const char* name);
// Shows in an editor's title whether its record is changed or new; a new record always counts as
// changed. Returns whether the record now counts as changed.
bool showRecordState(QWidget* form, const QString& title, bool changed, bool isNew);
// A password field that shows "*" for each character, whatever the style's own mask.
void setPasswordEcho(QLineEdit* edit);
// Grows the grid's window, within its screen's available area, until every visible column of the grid
// shows whole beside a vertical scroll bar; the window never shrinks. Called once the grid holds its
// columns, and again whenever they change.
void growToShowColumns(QTableView& grid);
