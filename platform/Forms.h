#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QMenu;

// Adds a menu item named as the form names it, so that tests and the frame can find it.
QAction* addMenuItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {});
