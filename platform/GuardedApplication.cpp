#include "platform/GuardedApplication.h"

#include <QDebug>

#include "platform/Database.h"
#include "platform/UiSeam.h"

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showCurrentException();
    }
    return false;
}

void showCurrentException() {
    try {
        throw;
    } catch (const DbError& e) {
        qWarning().noquote() << e.where() << e.text();
        showMessage(nullptr, e.text(), MsgIcon::Error);
    } catch (const std::exception& e) {
        showMessage(nullptr, QString::fromUtf8(e.what()), MsgIcon::Error);
    } catch (...) {
        showMessage(nullptr, QStringLiteral("Неизвестная ошибка"), MsgIcon::Error);
    }
}
