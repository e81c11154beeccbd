#include "platform/Forms.h"

#include <QAction>
#include <QMenu>

QAction* addMenuItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setShortcut(shortcut);
    return item;
}
