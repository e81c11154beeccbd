#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDir>
#include <QTest>

#include "platform/LocaleFormat.h"

class TestWorkstationFormats : public QObject {
    Q_OBJECT

  private slots:
    // Qt's file dialogs name a folder's type in Russian and write dates and sizes as the workstation does.
    void qtDialogsSpeakAsTheWorkstation() {
        QCOMPARE(QAbstractFileIconProvider().type(QFileInfo(QDir::tempPath())), QStringLiteral("Папка"));
        const auto written = [](const QLocale& locale) {
            return locale.toString(QDateTime(QDate(2026, 11, 1), QTime(9, 5)), QLocale::ShortFormat) + " " +
                   locale.formattedDataSize(6170);
        };
        QCOMPARE(written(QLocale::system()), written(QLocale()));
    }
};

// As the program starts: the workstation's locale before the application object, Qt's translations after it.
int main(int argc, char** argv) {
    setupWorkstationLocale();
    QApplication app(argc, argv);
    loadQtTranslations();
    TestWorkstationFormats test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_workstationformats.moc"
