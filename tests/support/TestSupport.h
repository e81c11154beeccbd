#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <deque>
#include <functional>
#include <memory>

#include "platform/Database.h"
#include "platform/UiSeam.h"

// Pins the workstation formats to Russian, as the program shows them on a Russian system.
void pinRussianLocale();

// A fresh database built from the schema in a temporary folder, open on db.
class TestDatabase {
    // The folder outlives the connection.
    QTemporaryDir m_dir;
    QString m_path;

  public:
    TestDatabase();
    QString path() const { return m_path; }
    QString folder() const { return m_dir.path() + QLatin1Char('/'); }
    Database db;
};

// Builds an empty database file from the schema; the connection is left closed.
void createDatabaseFile(const QString& path);

QVariant scalar(Database& db, const QString& sql);
// All rows of a query, each row's columns joined by "|".
QStringList rows(Database& db, const QString& sql);

struct RecordedMessage {
    QString text;
    MsgIcon icon;
};

// Stands in for the person: records messages, answers questions and drives modal dialogs.
class FakeUi : public UiSeam {
  public:
    FakeUi();
    ~FakeUi() override;

    void message(QWidget* parent, const QString& text, MsgIcon icon, bool withCancel) override;
    Answer ask(QWidget* parent, const QString& text) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& dir, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& dir, const QString& filter) override;
    int execModal(QDialog& dialog) override;

    QList<RecordedMessage> messages;
    QStringList questions;
    QStringList fileDialogTitles;
    std::deque<Answer> answers;       // empty: Yes
    std::deque<QString> fileAnswers;  // empty: cancel
    // Each modal showing takes the next handler; it works the dialog and answers its result.
    std::deque<std::function<int(QDialog&)>> modalHandlers;
    QStringList modalClasses;

    QStringList messageTexts() const;
};

// Presses a dialog's button found by object name and answers the dialog's result.
int pressButton(QDialog& dialog, const char* name);
