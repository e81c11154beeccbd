#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QLineEdit;
class QMenu;

// Adds a menu item named as the form names it, so that tests and the frame can find it.
QAction* addMenuItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {});
// A password field that shows "*" for each character, whatever the style's own mask.
void setPasswordEcho(QLineEdit* edit);
