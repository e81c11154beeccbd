#include "tests/support/TestSupport.h"

#include <QAbstractButton>
#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QStringDecoder>

#include <sqlite3.h>

#include <csignal>
#include <cstdio>
#include <utility>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/UnitHeard.h"
#include "common/SprGrid.h"
#include "common/UnitConst.h"
#include "platform/GuardedApplication.h"

void resetProgramGlobals() {
    gAppPath.clear();
    gPathBase.clear();
    gDBFName.clear();
    gPhotoDir.clear();
    gPathPhotoLoad.clear();
    gPeriodCard = TPeriod();
    gEndUserStr.clear();
    gQueryClose = true;
    gMonopolno = false;
    gLoginOK = false;
    gWinCount = 0;
    gUserApl = TUserApl();
}

TestDatabase::TestDatabase() : m_path(m_dir.path() + QStringLiteral("/dbVelorma.mdb")) {
    QFile schema(QStringLiteral(VELORMA_SCHEMA_FILE));
    QFile(m_path).open(QIODevice::WriteOnly);
    if (!schema.open(QIODevice::ReadOnly) || !db.open(m_path)) {
        qFatal("cannot build the test database");
    }
    // A test's file outlives no crash: its writes need not wait for the disk.
    SqlQuery(db).exec(QStringLiteral("PRAGMA synchronous = OFF"));
    db.runScript(QString::fromUtf8(schema.readAll()));
}

MainWindowCase::MainWindowCase() = default;
MainWindowCase::~MainWindowCase() = default;

void MainWindowCase::startWithMain() {
    startCase(m_ui, m_db);
    m_main = m_db->connectedMain();
}

void MainWindowCase::cleanup() {
    m_main.reset();
    endCase(m_ui, m_db);
    resetProgramGlobals();
}

std::unique_ptr<TfrmAPL> TestDatabase::connectedMain() const {
    auto main = std::make_unique<TfrmAPL>();
    if (!main->ADOConnect.open(m_path)) {
        qFatal("cannot open the main connection");
    }
    return main;
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

void exec(Database& db, const QString& sql) {
    SqlQuery(db).exec(sql);
}

int insert(Database& db, const QString& sql) {
    SqlQuery query(db);
    query.exec(sql);
    return int(query.lastInsertId());
}

void execElsewhere(const TestDatabase& db, const QString& sql) {
    Database other;
    if (!other.open(db.path())) {
        qFatal("second connection refused: %s", qPrintable(other.openError()));
    }
    exec(other, sql);
}

namespace {

sqlite3* handleOf(const Database& db) {
    return *static_cast<sqlite3* const*>(db.connection().driver()->handle().constData());
}

}  // namespace

WriteAtNextBegin::WriteAtNextBegin(const TestDatabase& db, const QString& sql) : m_db(db), m_sql(sql) {
    sqlite3_trace_v2(handleOf(m_db.db), SQLITE_TRACE_STMT, &WriteAtNextBegin::onStatement, this);
}

// A write that never ran would let the case pass for the wrong reason.
WriteAtNextBegin::~WriteAtNextBegin() {
    sqlite3_trace_v2(handleOf(m_db.db), 0, nullptr, nullptr);
    if (!m_sql.isEmpty()) {
        QTest::qFail("no transaction began: the write elsewhere never ran", __FILE__, __LINE__);
    }
}

// Runs as a statement starts, before it takes any lock; an exception may not cross the engine's frames.
int WriteAtNextBegin::onStatement(unsigned, void* self, void*, void* text) {
    auto* hook = static_cast<WriteAtNextBegin*>(self);
    if (hook->m_sql.isEmpty() || qstrncmp(static_cast<const char*>(text), "BEGIN", 5) != 0) {
        return 0;
    }
    try {
        execElsewhere(hook->m_db, std::exchange(hook->m_sql, QString()));
    } catch (const DbError& error) {
        qFatal("the write elsewhere failed: %s", qPrintable(error.text()));
    }
    return 0;
}

QDateTime at(const QString& text) {
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

int addUser(Database& db, const QString& name, const QString& password, int level, const QString& koment) {
    SqlQuery command(db);
    command.addParam(QStringLiteral("pName"), FieldType::String, name)
        .addParam(QStringLiteral("pPassw"), FieldType::String, password)
        .addParam(QStringLiteral("pKoment"), FieldType::String, koment)
        .addParam(QStringLiteral("pLevel"), FieldType::Integer, level);
    command.exec(QStringLiteral(
        "INSERT INTO tUserApl (name, passw, koment, uroven) VALUES (:pName, :pPassw, :pKoment, :pLevel)"));
    return int(command.lastInsertId());
}

int addClient(Database& db, const QString& family, const QString& name, const QString& otchestvo) {
    SqlQuery command(db);
    command.addParam(QStringLiteral("pF"), FieldType::String, family)
        .addParam(QStringLiteral("pN"), FieldType::String, name)
        .addParam(QStringLiteral("pO"), FieldType::String, otchestvo);
    command.exec(QStringLiteral("INSERT INTO tClient (Family, Name, Otchestvo) VALUES (:pF, :pN, %1)")
                     .arg(otchestvo.isNull() ? QStringLiteral("NULL") : QStringLiteral(":pO")));
    return int(command.lastInsertId());
}

int addCard(Database& db, int num, int type, const QString& dateClose, int clientId) {
    SqlQuery command(db);
    command.addParam(QStringLiteral("pOpen"), FieldType::DateTime, at(dateClose).addDays(-30))
        .addParam(QStringLiteral("pClose"), FieldType::DateTime, at(dateClose));
    command.exec(QStringLiteral("INSERT INTO tCard (Num, TypeCard, DateOpen, DateClose, ID_Client) "
                                "VALUES (%1, %2, :pOpen, :pClose, %3)")
                     .arg(QString::number(num), QString::number(type), QString::number(clientId)));
    return int(command.lastInsertId());
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void useShippedReports(const TestDatabase& db) {
    gAppPath = db.folder();
    gUserApl.Koment = QStringLiteral("Кассир Петрова");
    const QDir shipped(QStringLiteral(VELORMA_REPORTS_DIR));
    for (QDirIterator it(shipped.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString source = it.next();
        const QString target = QDir(gAppPath).filePath(shipped.relativeFilePath(source));
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::copy(source, target);
    }
}

QString pdfText(const QString& path) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    pdftotext.waitForFinished();
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

QStringList rtfLines(const QString& path, RtfReader reader) {
    QString text = QString::fromLatin1(fileBytes(path));
    text.remove(QRegularExpression(QStringLiteral("\\{\\\\fonttbl[^}]*\\}\\}")));
    // A control word, a code-page byte, an escaped character or a plain one; braces and line ends say nothing.
    static const QRegularExpression token(
        QStringLiteral("\\\\([a-z]+)(-?\\d+)? ?|\\\\'([0-9a-fA-F]{2})|\\\\(.)|([^{}\\r\\n])"));
    QStringDecoder codePage("windows-1251");
    QStringList lines;
    QString line;
    bool fallbackNext = false;  // \uc1: one character stands for the \uN before it
    for (const QRegularExpressionMatch& match : token.globalMatch(text)) {
        const QString word = match.captured(1);
        if (std::exchange(fallbackNext, false) && word.isEmpty()) {
            continue;
        }
        if (word == QLatin1String("u") && reader == RtfReader::Unicode) {
            line += QChar(char16_t(match.captured(2).toInt()));
            fallbackNext = true;
        } else if (word == QLatin1String("cell")) {
            line += QLatin1Char('|');
        } else if (word == QLatin1String("par") || word == QLatin1String("row")) {
            lines << line.chopped(line.endsWith(QLatin1Char('|')) ? 1 : 0).trimmed();
            line.clear();
        } else if (match.hasCaptured(3)) {
            line += codePage.decode(QByteArray::fromHex(match.captured(3).toLatin1()));
        } else if (word.isEmpty()) {
            line += match.captured(4) + match.captured(5);
        }
    }
    lines.removeAll(QString());
    return lines;
}

namespace {

QStringList gridRows(const SprGrid& grid, const std::function<bool(int)>& shows) {
    const SprModel* model = grid.sprModel();
    QStringList result;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int col = 0; col < model->columnCount(); ++col) {
            if (shows(col)) {
                cells << model->data(model->index(row, col)).toString();
            }
        }
        result << cells.join(QLatin1Char('|'));
    }
    return result;
}

}  // namespace

QStringList shownRows(const SprGrid& grid) {
    return gridRows(grid, [&grid](int col) { return !grid.isColumnHidden(col); });
}

QStringList column(const SprGrid& grid, const QString& field) {
    const int wanted = grid.sprModel()->fieldColumn(field);
    return gridRows(grid, [wanted](int col) { return col == wanted; });
}

void selectRow(SprGrid& grid, int row) {
    grid.setCurrentIndex(grid.sprModel()->index(row, 1));
}

QStringList columnsCutOff(SprGrid& grid) {
    QWidget* window = grid.window();
    window->show();
    const QAbstractItemView& view = grid;  // the view's own widths, margins and grid line included
    // A grid wider than its window is cut by the window's edge.
    const int shownWidth =
        qMin(grid.viewport()->width(), window->width() - grid.viewport()->mapTo(window, QPoint()).x());
    QStringList cut;
    for (int col = 0; col < grid.sprModel()->columnCount(); ++col) {
        const int width = grid.columnWidth(col);
        if (!grid.isColumnHidden(col) &&
            (width < qMax(view.sizeHintForColumn(col), grid.horizontalHeader()->sectionSizeHint(col)) ||
             grid.columnViewportPosition(col) + width > shownWidth)) {
            cut << grid.sprModel()->headerData(col, Qt::Horizontal).toString();
        }
    }
    return cut;
}

void doubleClickFirstRow(SprGrid& grid) {
    const QPoint cell = grid.visualRect(grid.sprModel()->index(0, 1)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell);
}

void doubleClickTitleAfterCellClick(SprGrid& grid) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.sprModel()->index(0, 1)).center());
    QHeaderView* titles = grid.horizontalHeader();
    const QPoint title(titles->sectionViewportPosition(1) + titles->sectionSize(1) / 2, titles->height() / 2);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, title);
    QTest::mouseDClick(titles->viewport(), Qt::LeftButton, {}, title);
}

FakeUi::~FakeUi() {
    if (&Ui() == this) {  // a newer fake may already stand in
        installUi(nullptr);
    }
}

void FakeUi::message(QWidget*, const QString& text, MsgIcon, bool) {
    messages.append({text, QString()});
}

void FakeUi::detailedMessage(QWidget*, const QString& text, const QString& details, MsgIcon) {
    messages.append({text, details});
}

namespace {
template <typename T>
T takeFront(std::deque<T>& queue, T fallback) {
    if (queue.empty()) {
        return fallback;
    }
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
}
}  // namespace

Answer FakeUi::ask(QWidget*, const QString& text) {
    questions << text;
    return takeFront(answers, Answer::Yes);
}

QString FakeUi::openFileName(QWidget*, const QString& title, const QString&, const QString&) {
    fileDialogTitles << title;
    return takeFront(fileAnswers, QString());
}

int FakeUi::execModal(QDialog& dialog) {
    modalClasses << QString::fromLatin1(dialog.metaObject()->className());
    const auto handler = takeFront(modalHandlers, {});
    return handler ? handler(dialog) : int(QDialog::Rejected);
}

ReportOutput FakeUi::chooseReportOutput(QWidget*, const QString& title, const QStringList& formats,
                                        const ReportOutput& proposal) {
    reportOutputTitles << title;
    reportOutputFormats << formats;
    reportOutputProposals << proposal;
    return takeFront(reportOutputs, ReportOutput());
}

QStringList FakeUi::messageTexts() const {
    QStringList texts;
    for (const RecordedMessage& m : messages) {
        texts << m.text;
    }
    return texts;
}

void startCase(std::unique_ptr<FakeUi>& ui, std::unique_ptr<TestDatabase>& db) {
    QLocale locale(QLocale::Russian, QLocale::Russia);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(locale);
    RegisterRecordEditors();
    ui = std::make_unique<FakeUi>();
    db = std::make_unique<TestDatabase>();
}

void endCase(std::unique_ptr<FakeUi>& ui, std::unique_ptr<TestDatabase>& db) {
    db.reset();
    ui.reset();
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

void pressRefusedAsGone(QDialog& dialog, const QString& button, Database& db, const QString& query) {
    const QStringList before = rows(db, query);
    QVERIFY_THROWS_EXCEPTION(RecordGone, pressButton(dialog, qPrintable(button)));
    QCOMPARE(dialog.result(), 0);
    QCOMPARE(rows(db, query), before);
}

namespace {

// In the child: the action under the limit, its messages sent down the channel.
[[noreturn]] void runUnderFileLimit(const std::function<void()>& action, qint64 limit, int channel) {
    std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of the process ending
    rlimit size{};
    getrlimit(RLIMIT_FSIZE, &size);
    size.rlim_cur = rlim_t(limit);
    setrlimit(RLIMIT_FSIZE, &size);
    auto& ui = static_cast<FakeUi&>(Ui());
    ui.messages.clear();
    try {
        action();
    } catch (...) {
        showCurrentException();
    }
    QFile out;
    out.open(channel, QIODevice::WriteOnly | QIODevice::Unbuffered);
    QDataStream stream(&out);
    stream << ui.messageTexts();
    _exit(out.error() == QFileDevice::NoError ? 0 : 1);  // the parent's objects are the parent's to destroy
}

}  // namespace

QStringList messagesOnFullDisk(const std::function<void()>& action, qint64 limit) {
    int channel[2];
    if (pipe(channel) != 0) {
        qFatal("no pipe for the child process");
    }
    std::fflush(nullptr);  // else the child would print again what waits in the buffers
    const pid_t child = fork();
    if (child == 0) {
        runUnderFileLimit(action, limit, channel[1]);
    }
    close(channel[1]);
    QByteArray report;
    char part[4096];
    for (ssize_t got; (got = read(channel[0], part, sizeof part)) > 0;) {
        report.append(part, got);
    }
    close(channel[0]);
    QDataStream stream(report);
    QStringList texts;
    stream >> texts;
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || status != 0) {
        return {QStringLiteral("the child process failed: %1").arg(status)};
    }
    return texts;
}
