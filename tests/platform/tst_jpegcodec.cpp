#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>

#include <jerror.h>
#include <jpeglib.h>

#include "platform/AppError.h"
#include "platform/JpegCodec.h"
#include "tests/support/TestSupport.h"

namespace {

const QList<QColor> kQuarters = {Qt::red, Qt::green, Qt::blue, Qt::white};

// 32 x 16: four blocks of 8 x 16, one colour each.
QImage blocks() {
    QImage picture(32, 16, QImage::Format_RGB32);
    for (int x = 0; x < picture.width(); ++x) {
        for (int y = 0; y < picture.height(); ++y) {
            picture.setPixelColor(x, y, kQuarters[x / 8]);
        }
    }
    return picture;
}

// The bytes that follow the first marker of that kind.
QByteArray afterMarker(const QByteArray& jpeg, char kind) {
    const int at = jpeg.indexOf(QByteArray("\xFF") + kind);
    return at < 0 ? QByteArray() : jpeg.mid(at + 2);
}

// What decoding the data, or writing the picture to the path, throws; empty when nothing.
QString failure(const std::function<void()>& work) {
    try {
        work();
    } catch (const AppError& e) {
        return e.text();
    }
    return QString();
}

}  // namespace

class TestJpegCodec : public QObject {
    Q_OBJECT

  private slots:
    void roundTripKeepsSizeAndColours() {
        const QByteArray jpeg = encodeJpeg(blocks(), kPhotoQuality);
        const QByteArray frame = afterMarker(jpeg, '\xC0');  // baseline start of frame
        QVERIFY(!frame.isEmpty());
        QVERIFY(afterMarker(jpeg, '\xC2').isEmpty());  // no progressive frame
        QCOMPARE(int(frame[7]), 3);                    // components
        // Quality 90 scales the first luminance quantizer, 16, to 3.
        QCOMPARE(int(afterMarker(jpeg, '\xDB')[3]), 3);
        const QImage decoded = decodeJpeg(jpeg);
        QCOMPARE(decoded.size(), QSize(32, 16));
        for (int block = 0; block < 4; ++block) {
            const QColor shown = decoded.pixelColor(block * 8 + 4, 8);
            const QColor expected = kQuarters[block];
            QVERIFY2(qAbs(shown.red() - expected.red()) <= 8 && qAbs(shown.green() - expected.green()) <= 8 &&
                         qAbs(shown.blue() - expected.blue()) <= 8,
                     qPrintable(shown.name()));
        }
    }
    void libraryFailuresThrowTheirNumber_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("code");
        QTest::newRow("no start of image") << QByteArray("not a picture at all") << int(JERR_NO_SOI);
        QTest::newRow("empty") << QByteArray() << int(JERR_INPUT_EMPTY);
    }
    void libraryFailuresThrowTheirNumber() {
        QFETCH(QByteArray, data);
        QFETCH(int, code);
        QCOMPARE(failure([&] { decodeJpeg(data); }), QStringLiteral("JPEG error #%1").arg(code));
    }
    void failedWriteKeepsTheFormerFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("00000001.jpg"));
        writeJpegFile(blocks(), path, kPhotoQuality);
        const QByteArray former = fileBytes(path);
        QCOMPARE(failure([&] { writeJpegFile(QImage(), path, kPhotoQuality); }),
                 QStringLiteral("JPEG error #%1").arg(JERR_EMPTY_IMAGE));
        QCOMPARE(fileBytes(path), former);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"00000001.jpg"});
    }
};

QTEST_MAIN(TestJpegCodec)
#include "tst_jpegcodec.moc"
