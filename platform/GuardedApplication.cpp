#include "platform/GuardedApplication.h"

#include <QDebug>

#include "platform/AppError.h"
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

namespace {

const QString kDbFailed = QStringLiteral(
    "Не удалось выполнить действие с базой данных.\rПодробности для службы поддержки - по кнопке «Показать "
    "подробности».");
const QString kDbBusy = QStringLiteral(
    "База данных занята: на другом рабочем месте сейчас идёт запись.\rПовторите действие немного позже.");
const QString kDbFull = QStringLiteral(
    "Диск заполнен: не удается записать базу данных.\rИзменения не сохранены. Освободите место на диске с базой "
    "данных и повторите действие.");
const QString kInternalError = QStringLiteral(
    "Действие не выполнено из-за внутренней ошибки программы.\rПовторите его; если ошибка повторится, сообщите в "
    "службу поддержки, нажав «Показать подробности».");
constexpr int kDetailsLimit = 2000;

QString shortened(const QString& text) {
    return text.size() <= kDetailsLimit ? text : text.left(kDetailsLimit) + QStringLiteral(" …");
}

// A refused value already speaks Russian; the engine's text and statement go to the details.
void showDbError(const DbError& e) {
    if (e.statement().isEmpty()) {
        showMessage(nullptr, shortened(e.message()), MsgIcon::Error);
        return;
    }
    const QString details = shortened(e.message()) + QStringLiteral("\n\n") + shortened(e.statement());
    const QString text = e.busy() ? kDbBusy : e.full() ? kDbFull : kDbFailed;
    showDetailedMessage(nullptr, text, details, MsgIcon::Error);
}

void showAppError(const AppError& e) {
    if (e.details().isEmpty()) {
        showMessage(nullptr, e.text(), MsgIcon::Error);
        return;
    }
    showDetailedMessage(nullptr, e.text(), shortened(e.details()), MsgIcon::Error);
}

}  // namespace

void showCurrentException() {
    try {
        throw;
    } catch (const DbError& e) {
        qWarning().noquote() << e.where() << e.text();
        showDbError(e);
    } catch (const AppError& e) {
        qWarning().noquote() << e.text() << e.details();
        showAppError(e);
    } catch (const std::exception& e) {
        qWarning() << e.what();
        showDetailedMessage(nullptr, kInternalError, shortened(QString::fromUtf8(e.what())), MsgIcon::Error);
    } catch (...) {
        qWarning() << "unknown exception";
        showDetailedMessage(nullptr, kInternalError, QStringLiteral("исключение неизвестного вида"), MsgIcon::Error);
    }
}
