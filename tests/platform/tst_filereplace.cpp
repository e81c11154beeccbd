#include <QDir>
#include <QTest>

#include <cerrno>

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AppError.h"
#include "platform/FileReplace.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kWriteError =
    QStringLiteral("Не удается записать файл «%1».\rПроверьте, что папка доступна для записи и на диске есть место.");
const QString kDiskFull =
    QStringLiteral("Диск заполнен: не удается записать файл «%1».\rОсвободите место на диске и повторите действие.");

int modeOf(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

}  // namespace

class TestFileReplace : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        ::umask(022);
    }
    void cleanup() {
        gSyncFile = ::fsync;
        endCase(m_ui, m_db);
    }

    // The file a link leads to is written and keeps its mode, the link stays; what an earlier write left when cut
    // off goes, a write under way keeps its file. The settings keep their other keys and sections.
    void writesThroughLinkKeepingMode_data() {
        QTest::addColumn<bool>("linked");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("ini");
        QTest::newRow("file 0600") << false << 0600 << false;
        QTest::newRow("link to a file 0666") << true << 0666 << false;
        QTest::newRow("AplConf.ini linked to a shared one") << true << 0600 << true;
    }
    void writesThroughLinkKeepingMode() {
        QFETCH(bool, linked);
        QFETCH(int, mode);
        QFETCH(bool, ini);
        const QString shared = m_db->folder() + "shared/AplConf.ini";
        const QString place = linked ? m_db->folder() + "AplConf.ini" : shared;
        QVERIFY(QDir().mkpath(m_db->folder() + "shared"));
        replaceFile(shared, "[ParamApl]\nPathBase=/a/\nPhotoDir=/p/\n[Other]\nKey=1\n");
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), mode) == 0);
        QVERIFY(!linked || QFile::link("shared/AplConf.ini", place));
        replaceFile(shared + ".0123abcd~", "cut off");
        QFile underWay(shared + ".89abcdef~");
        QVERIFY(underWay.open(QIODevice::WriteOnly) && ::flock(underWay.handle(), LOCK_EX) == 0);
        ini ? writeIniValues(place, {{"ParamApl/PathBase", "/b/"}}) : replaceFile(place, "new");
        QCOMPARE(QFileInfo(place).isSymLink(), linked);
        const QStringList written =
            ini ? QStringList{"[Other]", "Key=1", "[ParamApl]", "PathBase=/b/", "PhotoDir=/p/"} : QStringList{"new"};
        QCOMPARE(QString::fromUtf8(fileBytes(shared)).split('\n', Qt::SkipEmptyParts), written);
        QCOMPARE(modeOf(shared), mode);
        QCOMPARE(QDir(m_db->folder() + "shared").entryList(QDir::Files),
                 (QStringList{"AplConf.ini", "AplConf.ini.89abcdef~"}));
    }

    // A sync that fails, or a file that reaches the disk a byte short, is told of by the name the person knows;
    // the former file stays, and the new one goes.
    void failedWriteKeepsFormerFile_data() {
        QTest::addColumn<qint64>("limit");  // on the size of files; 0: none, the sync fails
        QTest::addColumn<QString>("text");
        QTest::newRow("sync fails") << qint64(0) << kWriteError;
        QTest::newRow("one byte short") << qint64(3) << kDiskFull;
    }
    void failedWriteKeepsFormerFile() {
        QFETCH(qint64, limit);
        QFETCH(QString, text);
        const QString path = m_db->folder() + "photo.jpg";
        replaceFile(path, "former");
        const auto write = [&path] { replaceFile(path, "1234"); };
        if (limit == 0) {
            gSyncFile = [](int) {
                errno = EIO;
                return -1;
            };
            try {
                write();
                QFAIL("the write did not fail");
            } catch (const AppError& e) {
                QCOMPARE(e.text(), text.arg("photo.jpg"));
                QCOMPARE(e.details(), path + '\n' + qt_error_string(EIO));
            }
        } else {
            QCOMPARE(messagesOnFullDisk(write, limit), QStringList{text.arg("photo.jpg")});
        }
        QCOMPARE(fileBytes(path), QByteArray("former"));
        QCOMPARE(QDir(m_db->folder()).entryList({"photo*"}, QDir::Files), QStringList{"photo.jpg"});
    }
};

QTEST_MAIN(TestFileReplace)
#include "tst_filereplace.moc"
