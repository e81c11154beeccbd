#include "tests/support/TestSupport.h"

#include <QAbstractButton>
#include <QFile>
#include <QLocale>
#include <QTest>

void pinRussianLocale() {
    QLocale locale(QLocale::Russian, QLocale::Russia);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(locale);
}

void createDatabaseFile(const QString& path) {
    QFile schema(QStringLiteral(VELORMA_SCHEMA_FILE));
    if (!schema.open(QIODevice::ReadOnly)) {
        qFatal("schema file missing");
    }
    QFile(path).open(QIODevice::WriteOnly);
    Database db;
    if (!db.open(path)) {
        qFatal("cannot open a new database");
    }
    db.runScript(QString::fromUtf8(schema.readAll()));
}

TestDatabase::TestDatabase() : m_path(m_dir.path() + QStringLiteral("/dbVelorma.mdb")) {
    createDatabaseFile(m_path);
    if (!db.open(m_path)) {
        qFatal("cannot open the test database");
    }
}

QVariant scalar(Database& db, const QString& sql) {
    return execScalar(db, sql);
}

QStringList rows(Database& db, const QString& sql) {
    SqlQuery query(db);
    query.exec(sql);
    QStringList result;
    while (query.next()) {
        QStringList columns;
        for (int i = 0; i < query.columnCount(); ++i) {
            columns << query.value(i).toString();
        }
        result << columns.join(QLatin1Char('|'));
    }
    return result;
}

FakeUi::FakeUi() {
    installUi(this);
}

FakeUi::~FakeUi() {
    // A newer fake may already stand in; leave it in place.
    if (&Ui() == this) {
        installUi(nullptr);
    }
}

void FakeUi::message(QWidget*, const QString& text, MsgIcon icon, bool) {
    messages.append({text, icon});
}

Answer FakeUi::ask(QWidget*, const QString& text) {
    questions << text;
    if (answers.empty()) {
        return Answer::Yes;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

QString FakeUi::openFileName(QWidget*, const QString& title, const QString&, const QString&) {
    fileDialogTitles << title;
    if (fileAnswers.empty()) {
        return QString();
    }
    const QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

QString FakeUi::saveFileName(QWidget* parent, const QString& title, const QString& dir, const QString& filter) {
    return openFileName(parent, title, dir, filter);
}

int FakeUi::execModal(QDialog& dialog) {
    modalClasses << QString::fromLatin1(dialog.metaObject()->className());
    if (modalHandlers.empty()) {
        return QDialog::Rejected;
    }
    auto handler = std::move(modalHandlers.front());
    modalHandlers.pop_front();
    return handler(dialog);
}

QStringList FakeUi::messageTexts() const {
    QStringList texts;
    for (const RecordedMessage& m : messages) {
        texts << m.text;
    }
    return texts;
}

int pressButton(QDialog& dialog, const char* name) {
    auto* button = dialog.findChild<QAbstractButton*>(QString::fromLatin1(name));
    if (!button) {
        qFatal("no button %s", name);
    }
    dialog.setResult(0);
    button->click();
    return dialog.result();
}
