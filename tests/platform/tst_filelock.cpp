#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <cstdio>

#include "platform/Database.h"
#include "platform/FileReplace.h"
#include "tests/support/TestSupport.h"

namespace {

// Set in the environment of a re-launched copy of this executable: it then acts as another running
// copy of the program that holds the database open in the given mode until its stdin closes.
const char kHolderVariable[] = "VELORMA_LOCK_HOLDER";
constexpr int kChildWaitMs = 10000;
const QString kOpenElsewhere =
    "База открыта на другом рабочем месте, а монопольно открыть её можно, только когда она не открыта больше нигде.";
const QString kOpenExclusiveElsewhere = "База открыта монопольно на другом рабочем месте.";

Database::Mode modeFromName(const QString& name) {
    return name == QLatin1String("exclusive") ? Database::Mode::Exclusive : Database::Mode::ReadWrite;
}

int runHolder(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Database db;
    const bool opened =
        db.open(QCoreApplication::arguments().value(1), modeFromName(qEnvironmentVariable(kHolderVariable)));
    std::fputs(opened ? "ready\n" : "failed\n", stdout);
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) {
    }
    return 0;
}

}  // namespace

class TestFileLock : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        // Only the connections a case opens itself hold the file.
        m_db->db.close();
    }

    // The first holder is another running copy of the program, or a connection of ours that reaches the file
    // through a link: the lock is on the real file whatever path reached it.
    void secondOpenFollowsLockModes_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("firstMode");
        QTest::addColumn<QString>("secondMode");
        QTest::addColumn<QString>("refusal");  // empty: the second opens
        for (const char* holder : {"other copy", "link"}) {
            for (const char* first : {"readwrite", "exclusive"}) {
                for (const char* second : {"readwrite", "exclusive"}) {
                    const bool shared = qstrcmp(first, "readwrite") == 0;
                    QTest::addRow("%s: %s then %s", holder, first, second)
                        << QString::fromLatin1(holder) << QString::fromLatin1(first) << QString::fromLatin1(second)
                        << (!shared                             ? kOpenExclusiveElsewhere
                            : qstrcmp(second, "exclusive") == 0 ? kOpenElsewhere
                                                                : QString());
                }
            }
        }
    }
    void secondOpenFollowsLockModes() {
        QFETCH(QString, first);
        QFETCH(QString, firstMode);
        QFETCH(QString, secondMode);
        QFETCH(QString, refusal);
        QProcess otherCopy;
        Database ours;
        if (first == QLatin1String("other copy")) {  // it answers whether it opened the file
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QString::fromLatin1(kHolderVariable), firstMode);
            otherCopy.setProcessEnvironment(env);
            otherCopy.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            otherCopy.start(QCoreApplication::applicationFilePath(), {m_db->path()});
            while (!otherCopy.canReadLine() && otherCopy.waitForReadyRead(kChildWaitMs)) {
            }
            QCOMPARE(otherCopy.readLine().trimmed(), QByteArray("ready"));
        } else {
            const QString link = m_db->folder() + QStringLiteral("elsewhere/link.mdb");
            QVERIFY(QDir().mkpath(QFileInfo(link).path()));
            QVERIFY(QFile::link(m_db->path(), link));
            QVERIFY(ours.open(link, modeFromName(firstMode)));
        }
        Database second;
        QCOMPARE(second.open(m_db->path(), modeFromName(secondMode)), refusal.isEmpty());
        QCOMPARE(second.openError(), refusal);
        // A refused open leaves the first connection working.
        QVERIFY(!ours.isOpen() || scalar(ours, QStringLiteral("SELECT count(*) FROM tUserApl")).toInt() == 1);
        // Neither the refused attempt nor the first holder, once closed or ended as a program ends, keeps a lock.
        ours.close();
        otherCopy.closeWriteChannel();
        otherCopy.waitForFinished(kChildWaitMs);
        QVERIFY(second.isOpen() || second.open(m_db->path(), modeFromName(secondMode)));
        QCOMPARE(scalar(second, QStringLiteral("SELECT name FROM tUserApl WHERE ID=1")).toString(), "Admin");
    }

    // A share of the whole database's bytes, then a twist: no file at all, random bytes instead, another
    // program's table in an empty file, or no right to write the file or its folder.
    void refusesUnusableFileAndLeavesItUnchanged_data() {
        QTest::addColumn<double>("share");
        QTest::addColumn<QString>("twist");
        QTest::newRow("no file is made") << 0.0 << "missing";
        QTest::newRow("zero bytes") << 0.0 << "";
        QTest::newRow("random bytes") << 0.0 << "random";
        QTest::newRow("half a database") << 0.5 << "";
        QTest::newRow("another program's database") << 0.0 << "foreign";
        QTest::newRow("read-only file") << 1.0 << "read-only file";
        QTest::newRow("read-only folder with its lock file") << 1.0 << "read-only folder";
        QTest::newRow("whole copy opens") << 1.0 << "";
    }
    void refusesUnusableFileAndLeavesItUnchanged() {
        QFETCH(double, share);
        QFETCH(QString, twist);
        const QString folder = m_db->folder() + QStringLiteral("copy");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/base.mdb");
        const QByteArray whole = fileBytes(m_db->path());
        if (twist != "missing") {
            replaceFile(path, twist == "random" ? QByteArray(8192, '\x5a') : whole.left(int(whole.size() * share)));
        }
        if (twist == "foreign") {
            Database other;
            QVERIFY(other.open(path));
            exec(other, QStringLiteral("CREATE TABLE tOther (x);"));
        } else if (twist == "read-only file") {
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        } else if (twist == "read-only folder") {
            replaceFile(path + QStringLiteral(".lock"), QByteArray());
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        }
        const QByteArray before = fileBytes(path);
        Database db;
        const bool opened = db.open(path, Database::Mode::ReadWrite, {QStringLiteral("tUserApl")});
        QCOMPARE(opened, share == 1.0 && twist.isEmpty());
        QCOMPARE(db.openError().isEmpty(), opened);
        QCOMPARE(db.isOpen(), opened);
        db.close();
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(QFile::exists(path), twist != "missing");
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet(kHolderVariable)) {
        return runHolder(argc, argv);
    }
    QCoreApplication app(argc, argv);
    TestFileLock test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_filelock.moc"
