#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/file.h>

#include "platform/FileReplace.h"
#include "tests/support/TestSupport.h"

class TestFileReplace : public QObject {
    Q_OBJECT

  private slots:
    // AplConf.ini as a link to a shared file: the file it leads to is written, keeping its mode and its other keys and
    // sections, and the link stays; what a write cut off left goes, while a write under way keeps its file.
    void writesSettingsThroughLink() {
        const QTemporaryDir run;
        const QString shared = run.filePath("shared/AplConf.ini");
        const QString place = run.filePath("AplConf.ini");
        QVERIFY(QDir().mkpath(run.filePath("shared")));
        replaceFile(shared, "[ParamApl]\nPathBase=/a/\nPhotoDir=/p/\n[Other]\nKey=1\n");
        QVERIFY(QFile::setPermissions(shared, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::link("shared/AplConf.ini", place));
        replaceFile(shared + ".0123abcd~", "cut off");
        QFile underWay(shared + ".89abcdef~");
        QVERIFY(underWay.open(QIODevice::WriteOnly) && ::flock(underWay.handle(), LOCK_EX) == 0);
        writeIniValues(place, {{"ParamApl/PathBase", "/b/"}});
        QVERIFY(QFileInfo(place).isSymLink());
        QCOMPARE(QString::fromUtf8(fileBytes(shared)).split('\n', Qt::SkipEmptyParts),
                 (QStringList{"[Other]", "Key=1", "[ParamApl]", "PathBase=/b/", "PhotoDir=/p/"}));
        QCOMPARE(QFile::permissions(shared), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(QDir(run.filePath("shared")).entryList(QDir::Files),
                 (QStringList{"AplConf.ini", "AplConf.ini.89abcdef~"}));
    }
};

QTEST_GUILESS_MAIN(TestFileReplace)
#include "tst_filereplace.moc"
