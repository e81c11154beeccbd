#include "platform/Forms.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

QAction* addMenuItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setShortcut(shortcut);
    return item;
}

QLineEdit* addLabelledEdit(QVBoxLayout& layout, QWidget* parent, const QString& caption, const char* name) {
    auto* label = new QLabel(caption, parent);
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    label->setBuddy(edit);
    layout.addWidget(label);
    layout.addWidget(edit);
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
