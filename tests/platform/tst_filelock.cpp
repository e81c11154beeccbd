#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <cstdio>

#include "platform/Database.h"
#include "platform/FileLock.h"
#include "tests/support/TestSupport.h"

namespace {

// Set in the environment of a re-launched copy of this executable: it then acts as another running
// copy of the program that holds the database open in the given mode until its stdin closes.
const char kHolderVariable[] = "VELORMA_LOCK_HOLDER";
constexpr int kChildWaitMs = 10000;

Database::Mode modeFromName(const QString& name) {
    return name == QLatin1String("exclusive") ? Database::Mode::Exclusive : Database::Mode::ReadWrite;
}

int runHolder(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        return 2;
    }
    Database db;
    const bool opened = db.open(args.at(1), modeFromName(qEnvironmentVariable(kHolderVariable)));
    std::fputs(opened ? "ready\n" : "failed\n", stdout);
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) {
    }
    return 0;
}

// Another running copy of the program, in its own process.
class HolderProcess {
  public:
    HolderProcess(const QString& database, const QString& mode) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kHolderVariable), mode);
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QCoreApplication::applicationFilePath(), {database});
    }
    ~HolderProcess() { stop(); }

    // "ready" when the copy opened the database, "failed" when it could not.
    QString answer() {
        if (!m_process.waitForStarted(kChildWaitMs)) {
            return QStringLiteral("not started");
        }
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(kChildWaitMs)) {
                return QStringLiteral("no answer");
            }
        }
        return QString::fromLatin1(m_process.readLine()).trimmed();
    }

    // Ends the copy the way a program ends: its handles close with it.
    bool stop() {
        if (m_process.state() == QProcess::NotRunning) {
            return true;
        }
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(kChildWaitMs)) {
            m_process.kill();
            m_process.waitForFinished(kChildWaitMs);
            return false;
        }
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

  private:
    QProcess m_process;
};

enum class BadFile { Empty, Random, Half, Foreign, ReadOnlyFile, ReadOnlyFolder, Whole };

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Makes the kind of file at path from a whole database; a foreign one is SQLite without our tables.
void makeFile(BadFile kind, const QString& path, const QByteArray& whole) {
    switch (kind) {
        case BadFile::Empty:
            return writeFile(path, QByteArray());
        case BadFile::Random:
            return writeFile(path, QByteArray(8192, '\x5a'));
        case BadFile::Half:
            return writeFile(path, whole.left(whole.size() / 2));
        case BadFile::Foreign: {
            Database db;
            writeFile(path, QByteArray());
            QVERIFY(db.open(path));
            exec(db, QStringLiteral("CREATE TABLE tOther (x);"));
            return;
        }
        case BadFile::ReadOnlyFile:
            writeFile(path, whole);
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
            return;
        case BadFile::ReadOnlyFolder:
            writeFile(path, whole);
            writeFile(path + QStringLiteral(".lock"), QByteArray());
            QVERIFY(QFile::setPermissions(QFileInfo(path).path(), QFile::ReadOwner | QFile::ExeOwner));
            return;
        case BadFile::Whole:
            return writeFile(path, whole);
    }
}

}  // namespace

Q_DECLARE_METATYPE(BadFile)

class TestFileLock : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        // Only the connections a case opens itself hold the file.
        m_db->db.close();
    }

    void secondOpenFollowsLockModes_data() {
        QTest::addColumn<QString>("where");  // who opens second: "ours", "process" or "connection"
        QTest::addColumn<QString>("firstMode");
        QTest::addColumn<QString>("secondMode");
        QTest::addColumn<bool>("opens");
        for (const char* where : {"ours", "process", "connection"}) {
            for (const char* first : {"readwrite", "exclusive"}) {
                for (const char* second : {"readwrite", "exclusive"}) {
                    const bool opens = qstrcmp(first, "readwrite") == 0 && qstrcmp(second, "readwrite") == 0;
                    QTest::addRow("%s: %s then %s", where, first, second)
                        << QString::fromLatin1(where) << QString::fromLatin1(first) << QString::fromLatin1(second)
                        << opens;
                }
            }
        }
    }
    void secondOpenFollowsLockModes() {
        QFETCH(QString, where);
        QFETCH(QString, firstMode);
        QFETCH(QString, secondMode);
        QFETCH(bool, opens);
        if (where == QLatin1String("ours")) {
            HolderProcess holder(m_db->path(), firstMode);
            QCOMPARE(holder.answer(), QStringLiteral("ready"));
            Database ours;
            QCOMPARE(ours.open(m_db->path(), modeFromName(secondMode)), opens);
            QCOMPARE(ours.isOpen(), opens);
            // The other copy's end frees the file whatever it held.
            QVERIFY(holder.stop());
            QVERIFY(ours.isOpen() || ours.open(m_db->path(), modeFromName(secondMode)));
            QCOMPARE(scalar(ours, QStringLiteral("SELECT name FROM tUserApl WHERE ID=1")).toString(), "Admin");
            return;
        }
        Database first;
        QVERIFY(first.open(m_db->path(), modeFromName(firstMode)));
        if (where == QLatin1String("process")) {
            HolderProcess other(m_db->path(), secondMode);
            QCOMPARE(other.answer(), opens ? QStringLiteral("ready") : QStringLiteral("failed"));
            QVERIFY(other.stop());
        } else {
            Database second;
            QCOMPARE(second.open(m_db->path(), modeFromName(secondMode)), opens);
        }
        // A refused open leaves the first connection working.
        QCOMPARE(scalar(first, QStringLiteral("SELECT count(*) FROM tUserApl")).toInt(), 1);
    }
    void closingOrFailingLeavesNoLock() {
        Database first;
        QVERIFY(first.open(m_db->path()));
        Database refused;
        QVERIFY(!refused.open(m_db->path(), Database::Mode::Exclusive));
        first.close();
        QVERIFY(!first.isOpen());
        // Had the close or the refused attempt kept anything, this would fail.
        Database exclusive;
        QVERIFY(exclusive.open(m_db->path(), Database::Mode::Exclusive));
        QVERIFY(!first.open(m_db->path()));
        Database missing;
        QVERIFY(!missing.open(m_db->folder() + QStringLiteral("nothing.mdb")));
        QVERIFY(!QFile::exists(m_db->folder() + QStringLiteral("nothing.mdb")));
    }

    void refusesUnusableFileAndLeavesItUnchanged_data() {
        QTest::addColumn<BadFile>("kind");
        QTest::newRow("zero bytes") << BadFile::Empty;
        QTest::newRow("random bytes") << BadFile::Random;
        QTest::newRow("half a database") << BadFile::Half;
        QTest::newRow("another program's database") << BadFile::Foreign;
        QTest::newRow("read-only file") << BadFile::ReadOnlyFile;
        QTest::newRow("read-only folder with its lock file") << BadFile::ReadOnlyFolder;
        QTest::newRow("whole copy opens") << BadFile::Whole;
    }
    void refusesUnusableFileAndLeavesItUnchanged() {
        QFETCH(BadFile, kind);
        const QString folder = m_db->folder() + QStringLiteral("copy");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/base.mdb");
        makeFile(kind, path, fileBytes(m_db->path()));
        const QByteArray before = fileBytes(path);
        Database db;
        const bool opened = db.open(path, Database::Mode::ReadWrite, {QStringLiteral("tUserApl")});
        QCOMPARE(opened, kind == BadFile::Whole);
        QCOMPARE(db.openError().isEmpty(), opened);
        QCOMPARE(db.isOpen(), opened);
        db.close();
        QCOMPARE(fileBytes(path), before);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void exclusiveThroughLinkHoldsTheRealFile() {
        const QString link = m_db->folder() + QStringLiteral("elsewhere/link.mdb");
        QVERIFY(QDir().mkpath(QFileInfo(link).path()));
        QVERIFY(QFile::link(m_db->path(), link));
        Database throughLink;
        QVERIFY(throughLink.open(link, Database::Mode::Exclusive));
        Database direct;
        QVERIFY(!direct.open(m_db->path(), Database::Mode::Exclusive));
    }
};

// "ours": another process holds first and we open; "process": we hold and another process opens;
// "connection": two connections of one process.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet(kHolderVariable)) {
        return runHolder(argc, argv);
    }
    QCoreApplication app(argc, argv);
    TestFileLock test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_filelock.moc"
