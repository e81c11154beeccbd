#include "platform/Forms.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

#include "platform/FormWidgets.h"

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
