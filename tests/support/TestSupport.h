#pragma once

#include <QDateTime>
#include <QDialog>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>

#include <deque>
#include <functional>
#include <memory>

#include "platform/Database.h"
#include "platform/UiSeam.h"

class SprGrid;
class TfrmAPL;

// Puts the program's settings and sign-in globals back to their start-of-run values.
void resetProgramGlobals();

// A fresh database built from the schema in a temporary folder, open on db.
class TestDatabase {
    QTemporaryDir m_dir;  // outlives the connection
    QString m_path;

  public:
    TestDatabase();
    QString path() const { return m_path; }
    QString folder() const { return m_dir.path() + QLatin1Char('/'); }
    Database db;
    // A main window with its connection open on this database, as the stores use it.
    std::unique_ptr<TfrmAPL> connectedMain() const;
};

inline QVariant scalar(Database& db, const QString& sql) {
    return execScalar(db, sql);
}
// All rows of a query, each row's columns joined by "|".
QStringList rows(Database& db, const QString& sql);
void exec(Database& db, const QString& sql);
// Runs an insert and answers the new row's ID.
int insert(Database& db, const QString& sql);
// Runs a statement on a connection of its own, as another workstation writes while a form is open here.
void execElsewhere(const TestDatabase& db, const QString& sql);
// While it lives, another workstation runs the statement at the moment the next transaction of the database's own
// connection begins, before that transaction takes the write lock: a look made before it misses the write, a look
// made inside it sees it.
class WriteAtNextBegin {
  public:
    WriteAtNextBegin(const TestDatabase& db, const QString& sql);
    ~WriteAtNextBegin();
    WriteAtNextBegin(const WriteAtNextBegin&) = delete;
    WriteAtNextBegin& operator=(const WriteAtNextBegin&) = delete;

  private:
    static int onStatement(unsigned type, void* self, void* statement, void* text);

    const TestDatabase& m_db;
    QString m_sql;  // empty once run
};
// A stored date-time from "yyyy-MM-dd HH:mm:ss".
QDateTime at(const QString& text);
int addUser(Database& db, const QString& name, const QString& password = QString(), int level = 2,
            const QString& koment = QString());
// A null patronymic is stored as NULL.
int addClient(Database& db, const QString& family, const QString& name, const QString& otchestvo = QString());
// A card closing at dateClose, opened thirty days before.
int addCard(Database& db, int num, int type, const QString& dateClose, int clientId);

// The program's folder is the database's, with the shipped reports and pictures copied in; a cashier is signed in.
void useShippedReports(const TestDatabase& db);
// A file's bytes; empty when it cannot be read.
QByteArray fileBytes(const QString& path);
// A PDF file's text as pdftotext gives it, pages ended by form feeds.
QString pdfText(const QString& path);
// How an RTF reader takes a \uN escape: as its Unicode character, or ignored for the code-page byte after it.
enum class RtfReader { Unicode, CodePage };
// An RTF file's text: one line per paragraph or table row, the cells of a row joined by "|".
QStringList rtfLines(const QString& path, RtfReader reader = RtfReader::Unicode);

// Each row's shown columns joined by "|".
QStringList shownRows(const SprGrid& grid);
// One field of every row, as shown.
QStringList column(const SprGrid& grid, const QString& field);
void selectRow(SprGrid& grid, int row);
// Shows the grid's window: the titles of visible columns narrower than their title or text, or past the view.
QStringList columnsCutOff(SprGrid& grid);
// Mouse double-clicks, each after a click as a real one comes: on the first row's cell, or on the
// title of the second column after a cell click.
void doubleClickTitleAfterCellClick(SprGrid& grid);
void doubleClickFirstRow(SprGrid& grid);

struct RecordedMessage {
    QString text;
    QString details;
};

// Stands in for the person: records messages, answers questions and drives modal dialogs.
class FakeUi : public UiSeam {
  public:
    FakeUi() { installUi(this); }
    ~FakeUi() override;

    void message(QWidget* parent, const QString& text, MsgIcon icon, bool withCancel) override;
    void detailedMessage(QWidget* parent, const QString& text, const QString& details, MsgIcon icon) override;
    Answer ask(QWidget* parent, const QString& text) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& dir, const QString& filter) override;
    int execModal(QDialog& dialog) override;
    ReportOutput chooseReportOutput(QWidget* parent, const QString& title, const QStringList& formats,
                                    const ReportOutput& proposal) override;
    QStringList messageTexts() const;

    QList<RecordedMessage> messages;
    QStringList questions;
    QStringList fileDialogTitles;
    std::deque<Answer> answers;       // empty: Yes
    std::deque<QString> fileAnswers;  // empty: cancel
    // Each modal showing takes the next handler; it works the dialog and answers its result.
    std::deque<std::function<int(QDialog&)>> modalHandlers;
    QStringList modalClasses;
    std::deque<ReportOutput> reportOutputs;  // empty: cancel
    QStringList reportOutputTitles;
    QList<QStringList> reportOutputFormats;
    QList<ReportOutput> reportOutputProposals;
};

// A case's fresh start: the locale pinned to Russian, then a new FakeUi and database; endCase frees them.
void startCase(std::unique_ptr<FakeUi>& ui, std::unique_ptr<TestDatabase>& db);
void endCase(std::unique_ptr<FakeUi>& ui, std::unique_ptr<TestDatabase>& db);

// A test class whose cases each start on a fresh database and FakeUi. A class with an init() of its own
// calls startCase there itself.
class DatabaseCase : public QObject {
    Q_OBJECT

  protected:
    Database& db() { return m_db->db; }

    std::unique_ptr<FakeUi> m_ui;
    std::unique_ptr<TestDatabase> m_db;

  private slots:
    void init() { startCase(m_ui, m_db); }
    void cleanup() { endCase(m_ui, m_db); }
};

// A test class whose cases also have a main window connected to the database, as the stores use it.
// A class with an init() of its own calls startWithMain there.
class MainWindowCase : public DatabaseCase {
    Q_OBJECT

  public:
    MainWindowCase();
    ~MainWindowCase() override;

  protected:
    void startWithMain();

    std::unique_ptr<TfrmAPL> m_main;

  private slots:
    void init() { startWithMain(); }
    void cleanup();
};

// Runs the action in a child process whose files cannot grow past `limit` bytes, so that a write beyond fails as
// on a full disk; what it writes before stays on disk. Answers the texts of the messages the action showed, an
// exception it throws shown as the program shows it.
QStringList messagesOnFullDisk(const std::function<void()>& action, qint64 limit = 0);

// Presses a dialog's button found by object name and answers the dialog's result.
int pressButton(QDialog& dialog, const char* name);
// Presses a button whose write finds its record deleted elsewhere: RecordGone, the dialog stays open, and the rows the
// query reads stay as they were.
void pressRefusedAsGone(QDialog& dialog, const QString& button, Database& db, const QString& query);
