#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <sys/stat.h>

#include "clients/ClientPhoto.h"
#include "clients/UnitEdClient.h"
#include "common/UnitConst.h"
#include "platform/AppError.h"
#include "platform/FileReplace.h"
#include "platform/GuardedApplication.h"
#include "platform/JpegCodec.h"
#include "platform/PictureFile.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kRequiredEmpty = QStringLiteral("Не заполнены обязательные поля!");
const QString kSaveBeforePhoto = QStringLiteral("Сохраните запись перед добавлением фото!");
const QString kLeaveUnsaved = QStringLiteral("Выйти не сохраняя?");
const QString kDiskFull =
    QStringLiteral("Диск заполнен: не удается записать файл «%1».\rОсвободите место на диске и повторите действие.");
const QString kClients = QStringLiteral("SELECT * FROM tClient ORDER BY ID");
const QString kProfessions = QStringLiteral("SELECT NameProf FROM tProf ORDER BY ID");
const QString kTwinRow = QStringLiteral("Иванов|Пётр|Ильич|1|1990-05-17 00:00:00||г. Саранск, ул. Мира|тренер|");

// 16 x 8: red on the left half, blue on the right.
QImage halves() {
    QImage picture(16, 8, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QPainter(&picture).fillRect(0, 0, 8, 8, Qt::red);
    return picture;
}

// Client 7 with every required field filled and that photo file.
void addClient7(Database& db, const QString& photo = QString()) {
    exec(db, QStringLiteral("INSERT INTO tClient (ID, Family, Name, Otchestvo, Adres, Profession, Photo) VALUES "
                            "(7, 'А', 'Б', 'В', 'Г', 'Д', '%1')")
                 .arg(photo));
}

void fillClient(TfrmClient& dialog) {
    dialog.leFamily->setText(QStringLiteral("Иванов"));
    dialog.leName->setText(QStringLiteral("Пётр"));
    dialog.leOtch->setText(QStringLiteral("Ильич"));
    dialog.leAddress->setText(QStringLiteral("г. Саранск, ул. Мира"));
    dialog.cbProf->setEditText(QStringLiteral("тренер"));
    dialog.dtpBrichDay->setDate(QDate(1990, 5, 17));
}

}  // namespace

class TestEdClient : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        gPhotoDir = m_db->folder() + "photos/";  // the pictures to choose lie in the folder above
        QVERIFY(QDir().mkdir(gPhotoDir));
        m_new = m_db->folder() + "new.jpg";
        QVERIFY(halves().save(m_new));
    }
    void cleanup() {
        resetProgramGlobals();
        endCase(m_ui, m_db);
    }

    void savesNewClient_data() {
        QTest::addColumn<QString>("blank");  // the required field left empty
        QTest::addColumn<QString>("profession");
        QTest::addColumn<QStringList>("professions");  // tProf after the save
        for (const char* field : {"leFamily", "leName", "leAddress", "cbProf", "leOtch"}) {
            QTest::newRow(field) << field << "тренер" << QStringList();
        }
        QTest::newRow("new profession") << QString() << "тренер" << QStringList{"тренер"};
        QTest::newRow("profession of blanks") << QString() << "  " << QStringList();
    }
    void savesNewClient() {
        QFETCH(QString, blank);
        QFETCH(QString, profession);
        exec(db(),
             QStringLiteral("INSERT INTO tClient (Family, Name, Otchestvo, Sex, Birthday, Adres, Profession) VALUES "
                            "('Иванов', 'Пётр', 'Ильич', 1, '1990-05-17 00:00:00', 'г. Саранск, ул. Мира', 'тренер')"));
        const QStringList before = rows(db(), kClients);  // a client sharing name and birthday
        const auto dialog = opened(-1);
        fillClient(*dialog);
        dialog->cbProf->setEditText(blank == QLatin1String("cbProf") ? QString() : profession);
        if (!blank.isEmpty() && blank != QLatin1String("cbProf")) {
            dialog->findChild<QLineEdit*>(blank)->clear();
        }
        QCOMPARE(pressButton(*dialog, "btnSave"), 0);  // stays open either way
        if (!blank.isEmpty()) {
            QCOMPARE(m_ui->messageTexts(), QStringList{kRequiredEmpty});
            QCOMPARE(rows(db(), kClients), before);
            return;
        }
        QVERIFY(m_ui->messages.isEmpty());
        // The dialog goes on with its own row, not with the twin that shares name and birthday.
        dialog->leInfo->setText(QStringLiteral("второй"));
        QCOMPARE(pressButton(*dialog, "btnSave"), int(QDialog::Accepted));
        QCOMPARE(rows(db(), kClients),
                 before + QStringList{"2|" + QString(kTwinRow).replace("тренер|", profession + "|") + "второй|0"});
        QTEST(rows(db(), kProfessions), "professions");
    }
    // A save that fails stores nothing. A first one keeps the client new: the ID it rolled back is another
    // workstation's next client.
    void failedSaveStoresNothing() {
        addClient7(db());
        const auto stored = opened(7);
        fillClient(*stored);
        execElsewhere(*m_db, "DELETE FROM tClient");
        QVERIFY_THROWS_EXCEPTION(RecordGone, pressButton(*stored, "btnSave"));
        QCOMPARE(stored->result(), 0);
        exec(db(), "CREATE TRIGGER refuseProf BEFORE INSERT ON tProf BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        const auto dialog = opened(-1);
        fillClient(*dialog);
        QVERIFY_THROWS_EXCEPTION(DbError, pressButton(*dialog, "btnSave"));
        exec(db(), "DROP TRIGGER refuseProf");
        execElsewhere(*m_db, "INSERT INTO tClient (Family) VALUES ('Сидоров')");
        QCOMPARE(pressButton(*dialog, "btnSave"), 0);
        QCOMPARE(rows(db(), "SELECT ID, Family FROM tClient ORDER BY ID"), QStringList({"8|Сидоров", "9|Иванов"}));
    }
    // A chosen JPEG or bitmap, or the stored photo turned, becomes the client's own JPEG, written to the row on the
    // save; any other picture is refused by name.
    void takesPhoto_data() {
        QTest::addColumn<QString>("file");  // chosen in the folder above, or the stored photo to turn
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QString>("action");  // "choose", "right" or "left"
        QTest::addColumn<QSize>("size");      // of the client's JPEG; invalid: refused
        QTest::addColumn<QColor>("top");      // the colour of its top
        const auto row = [](const char* name, const char* file, const char* format, const char* action, QSize size,
                            Qt::GlobalColor top) {
            QTest::newRow(name) << file << QByteArray(format) << action << size << QColor(top);
        };
        row("JPEG", "face.JPEG", "JPEG", "choose", {16, 8}, Qt::red);
        row("Bmp", "face.Bmp", "BMP", "choose", {16, 8}, Qt::red);
        row("png refused", "face.png", "PNG", "choose", {}, Qt::red);
        row("png under jpg refused", "face.jpg", "PNG", "choose", {}, Qt::red);
        row("right is clockwise", "00000007.jpg", "JPEG", "right", {8, 16}, Qt::red);
        row("left is counter-clockwise", "00000007.jpg", "JPEG", "left", {8, 16}, Qt::blue);
        row("bitmap moves to jpg", "old.bmp", "BMP", "right", {8, 16}, Qt::red);
    }
    void takesPhoto() {
        QFETCH(QString, file);
        QFETCH(QByteArray, format);
        QFETCH(QString, action);
        QFETCH(QSize, size);
        QFETCH(QColor, top);
        const bool chosen = action == QLatin1String("choose");
        addClient7(db(), chosen ? QString() : file);
        const QString picture = (chosen ? m_db->folder() : gPhotoDir) + file;
        QVERIFY(halves().save(picture, format));
        const QByteArray former = fileBytes(picture);
        const auto dialog = opened(7);
        m_ui->fileAnswers = {picture};
        try {
            chosen ? dialog->ImPhotoClick()
                   : (action == "right" ? dialog->btnRotateRight : dialog->btnRotateLeft)->click();
        } catch (...) {
            showCurrentException();  // as the click's event would end
        }
        QCOMPARE(gPathPhotoLoad, chosen ? m_db->folder() : QString());
        QCOMPARE(dialog->windowTitle(), size.isValid() ? QStringLiteral("Клиент *") : QStringLiteral("Клиент"));
        if (!size.isValid()) {
            QCOMPARE(m_ui->messages.size(), 1);
            QVERIFY(m_ui->messages.first().text.contains(file));
            QVERIFY(QDir(gPhotoDir).isEmpty());
            return;
        }
        const QImage taken = readPictureFile(gPhotoDir + photoFileName(7), PictureFormat::Jpeg);
        QCOMPARE(taken.size(), size);
        const QColor shown = taken.pixelColor(4, 2);
        QVERIFY2(qAbs(shown.red() - top.red()) < 16 && qAbs(shown.blue() - top.blue()) < 16, qPrintable(shown.name()));
        if (file != photoFileName(7)) {
            QCOMPARE(fileBytes(picture), former);
        }
        QCOMPARE(scalar(db(), "SELECT Photo FROM tClient").toString(), chosen ? QString() : file);
        QCOMPARE(pressButton(*dialog, "btnSave"), int(QDialog::Accepted));
        QCOMPARE(scalar(db(), "SELECT Photo FROM tClient").toString(), photoFileName(7));
    }
    // Putting back tries every photo: one the disk has no room for is named and stays whole as written, the next
    // is put back, and a written file already gone is no matter.
    void putsBackEveryPhotoItCan() {
        const QString big = gPhotoDir + "a.jpg";
        const QString small = gPhotoDir + "b.jpg";
        const QString gone = gPhotoDir + "c.jpg";
        replaceFile(big, QByteArray(4096, 'a'));
        replaceFile(small, "b");
        PhotoUndo undo;
        for (const QString& path : {big, small, gone}) {
            undo.write(halves(), path);
        }
        const QByteArray written = fileBytes(big);
        QVERIFY(QFile::remove(gone));
        const QStringList shown = messagesOnFullDisk([&undo] { undo.restore(); }, 1024);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().section('\r', 0, 0),
                 "Не удается вернуть прежнее содержимое файла фотографии «a.jpg»: в нем осталась фотография, "
                 "выбранная без сохранения.");
        QCOMPARE(fileBytes(big), written);
        QCOMPARE(fileBytes(small), QByteArray("b"));
        QCOMPARE(QDir(gPhotoDir).entryList(QDir::Files), (QStringList{"a.jpg", "b.jpg"}));
    }
    // "Закрыть" and Esc ask, and once answered Yes put the former photo back; the close box puts it back
    // without asking. One that cannot be put back is named, and the editor still closes. On a full disk the
    // chosen and the turned photo are told of as not written, and the photo file stays whole. A photo that is a
    // link stays one: the file it leads to is written and put back.
    void leavingWithoutSavingPutsPhotoBack_data() {
        QTest::addColumn<bool>("hadPhoto");
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("blocked");  // the photo file can no longer be rewritten or removed
        QTest::addColumn<bool>("linked");   // the photo is a link to a file in another folder
        QTest::newRow("former photo") << true << "btnClose" << false << false;
        QTest::newRow("none before") << false << "Esc" << false << false;
        QTest::newRow("former photo blocked") << true << "Esc" << true << false;
        QTest::newRow("none before blocked") << false << "btnClose" << true << false;
        QTest::newRow("former photo, close box") << true << "close box" << false << false;
        QTest::newRow("linked photo") << true << "btnClose" << false << true;
    }
    void leavingWithoutSavingPutsPhotoBack() {
        QFETCH(bool, hadPhoto);
        QFETCH(QString, way);
        QFETCH(bool, blocked);
        QFETCH(bool, linked);
        const QString stored = gPhotoDir + photoFileName(7);
        const QString shared = linked ? m_db->folder() + "shared.jpg" : stored;
        addClient7(db(), hadPhoto ? photoFileName(7) : QString());
        if (hadPhoto) {
            writeJpegFile(QImage(4, 4, QImage::Format_RGB32), shared, kPhotoQuality);
        }
        QVERIFY(!linked || QFile::link(shared, stored));
        const QByteArray former = fileBytes(stored);
        const auto dialog = opened(7);
        dialog->show();  // the close box acts only on a shown window
        m_ui->fileAnswers = {m_new, m_new};
        dialog->ImPhotoClick();
        dialog->btnRotateRight->click();
        const QByteArray written = fileBytes(shared);
        QVERIFY(written != former && QFileInfo(stored).isSymLink() == linked);
        const QStringList unwritten{kDiskFull.arg(photoFileName(7))};
        QCOMPARE(messagesOnFullDisk([&dialog] { dialog->ImPhotoClick(); }), unwritten);
        QCOMPARE(messagesOnFullDisk([&dialog] { dialog->btnRotateRightClick(); }), unwritten);
        QCOMPARE(fileBytes(stored), written);
        QCOMPARE(QDir(gPhotoDir).entryList(QDir::Files), QStringList{photoFileName(7)});
        if (blocked) {
            // As in a folder turned read-only, which does not bind root, who may run the tests.
            QVERIFY(QFile::remove(stored) && QDir().mkpath(stored + "/busy"));
            // A photo that cannot be written leaves the one shown.
            const QImage shown = dialog->ImPhoto->pixmap().toImage();
            QVERIFY_THROWS_EXCEPTION(AppError, dialog->ImPhotoClick());
            QVERIFY_THROWS_EXCEPTION(AppError, dialog->btnRotateRightClick());
            QCOMPARE(dialog->ImPhoto->pixmap().toImage(), shown);
        }
        QSignalSpy closed(dialog.get(), &QDialog::rejected);
        m_ui->answers = {Answer::No, Answer::Closed, Answer::Yes};
        const bool asks = way != QLatin1String("close box");
        for (int attempt = 0; attempt < (asks ? 3 : 1); ++attempt) {
            QCOMPARE(closed.size(), 0);
            if (way == QLatin1String("Esc")) {
                QTest::keyClick(dialog.get(), Qt::Key_Escape);
            } else if (way == QLatin1String("btnClose")) {
                dialog->btnClose->click();
            } else {
                dialog->close();  // the title bar's close box
            }
        }
        QCOMPARE(closed.size(), 1);
        QCOMPARE(m_ui->questions, QStringList(asks ? 3 : 0, kLeaveUnsaved));
        if (blocked) {
            QCOMPARE(m_ui->messages.size(), 1);
            QVERIFY(m_ui->messages.first().text.contains(QStringLiteral("«%1»").arg(photoFileName(7))));
            return;
        }
        QVERIFY(m_ui->messages.isEmpty());
        QCOMPARE(QFile::exists(stored), hadPhoto);
        QCOMPARE(fileBytes(shared), former);
        QCOMPARE(QFileInfo(stored).isSymLink(), linked);
    }
    // A stored client saves and closes unchanged. A photo file gone opens as the placeholder; one damaged or no
    // ordinary file (a FIFO, a sparse file of 4 GB, a link to an endless device) as the placeholder with a note
    // whose tip says why. None turns, and no message stops the person.
    void storedClientAndPhotoUnchanged() {
        exec(db(),
             "INSERT INTO tClient (ID, Family, Name, Otchestvo, Sex, NoRGS, Birthday, Adres, Profession, Photo) VALUES "
             "(7, 'Петрова', 'Анна', 'Ивановна', 0, 1, '1975-02-03 00:00:00', 'ул. Ленина', '  ', '00000007.jpg')");
        const QMap<int, QString> reasons = {
            {7, ""}, {8, "libjpeg"}, {9, "не обычный файл"}, {10, "больше предела"}, {11, "не обычный файл"}};
        exec(db(),
             "INSERT INTO tClient (ID, Family, Photo) VALUES (8, 'Г', '00000008.jpg'), (9, 'Г', '00000009.jpg'), "
             "(10, 'Г', '00000010.jpg'), (11, 'Г', '00000011.jpg')");
        replaceFile(gPhotoDir + photoFileName(8), "no picture");
        QVERIFY(::mkfifo(QFile::encodeName(gPhotoDir + photoFileName(9)).constData(), 0600) == 0);
        QFile huge(gPhotoDir + photoFileName(10));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(4) << 30));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), gPhotoDir + photoFileName(11)));
        const QStringList files = QDir(gPhotoDir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        const QStringList before = rows(db(), kClients);
        for (const int client : reasons.keys()) {
            const auto saved = opened(client);
            QCOMPARE(saved->lblPhotoNote->text().isEmpty(), client == 7);
            QVERIFY2(saved->lblPhotoNote->toolTip().contains(reasons[client]),
                     qPrintable(saved->lblPhotoNote->toolTip()));
            saved->btnRotateLeft->click();
            saved->btnRotateRight->click();
            QCOMPARE(saved->windowTitle(), QStringLiteral("Клиент"));
        }
        const auto dialog = opened(7);
        QCOMPARE(dialog->cbPol->currentText(), QStringLiteral("Жен."));
        // Loading adds every non-empty profession, blanks included.
        QCOMPARE(rows(db(), kProfessions), QStringList{"  "});
        QCOMPARE(pressButton(*dialog, "btnSave"), int(QDialog::Accepted));
        QCOMPARE(rows(db(), kClients), before);
        QSignalSpy closed(dialog.get(), &QDialog::rejected);
        dialog->btnClose->click();  // unchanged: closes without a question
        QCOMPARE(closed.size(), 1);
        QVERIFY(m_ui->questions.isEmpty());
        opened(-1)->ImPhotoClick();
        QCOMPARE(m_ui->messageTexts(), QStringList{kSaveBeforePhoto});
        QVERIFY(m_ui->fileDialogTitles.isEmpty());
        QCOMPARE(QDir(gPhotoDir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), files);
        QCOMPARE(fileBytes(gPhotoDir + photoFileName(8)), QByteArray("no picture"));
        // A photo chosen in place of the FIFO is written without waiting for it.
        m_ui->fileAnswers = {m_new};
        opened(9)->ImPhotoClick();
        QCOMPARE(readPictureFile(gPhotoDir + photoFileName(9), PictureFormat::Jpeg).size(), halves().size());
    }

  private:
    std::unique_ptr<TfrmClient> opened(int id) {
        auto dialog = std::make_unique<TfrmClient>(db(), nullptr);
        dialog->LoadEdClient(id);
        return dialog;
    }

    QString m_new;  // a picture to choose
};

QTEST_MAIN(TestEdClient)
#include "tst_edclient.moc"
