#include <QImage>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <vector>

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

// One pixel of the blocks as the source gives it. CMYK is given as Adobe writes it, with inverted ink,
// which for these colours is R, G, B and no black.
QByteArray sourcePixel(const QColor& colour, J_COLOR_SPACE given) {
    if (given == JCS_GRAYSCALE) {
        return QByteArray(1, char(qGray(colour.rgb())));
    }
    const QByteArray pixel = QByteArray(1, char(colour.red())) + char(colour.green()) + char(colour.blue());
    return given == JCS_CMYK ? pixel + char(255) : pixel;
}

// A greyscale progressive script of that many scans: the DC, then each AC coefficient alone, a bit at a
// time from the tenth down, as far as the count goes.
std::vector<jpeg_scan_info> scanScript(int count) {
    std::vector<jpeg_scan_info> script{{1, {0}, 0, 0, 0, 0}};
    for (int k = 1; k < DCTSIZE2; ++k) {
        for (int bit = 10; bit >= 0; --bit) {
            script.push_back({1, {0}, k, k, bit == 10 ? 0 : bit + 1, bit});
        }
    }
    script.resize(count);
    return script;
}

// The blocks as a source picture is written: in a colour space as given to libjpeg and as stored, in the
// library's simple progression when progressive, or in that many greyscale scans.
QByteArray encodeSource(J_COLOR_SPACE given, J_COLOR_SPACE stored, bool progressive, int scans = 0) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    const QImage picture = blocks();
    info.image_width = JDIMENSION(picture.width());
    info.image_height = JDIMENSION(picture.height());
    info.input_components = int(sourcePixel(Qt::white, given).size());
    info.in_color_space = given;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, stored);
    const std::vector<jpeg_scan_info> script = scanScript(scans);
    if (progressive) {
        jpeg_simple_progression(&info);
    }
    if (scans > 0) {
        info.scan_info = script.data();
        info.num_scans = scans;
    }
    jpeg_start_compress(&info, TRUE);
    for (int y = 0; y < picture.height(); ++y) {
        QByteArray row;
        for (int x = 0; x < picture.width(); ++x) {
            row += sourcePixel(picture.pixelColor(x, y), given);
        }
        auto* line = reinterpret_cast<JSAMPROW>(row.data());
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray jpeg(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return jpeg;
}

}  // namespace

class TestJpegCodec : public QObject {
    Q_OBJECT

  private slots:
    // Whatever colour space a photograph comes in, it is stored as baseline 24-bit colour at quality 90.
    void storesEveryColourSpaceAsBaselineRgb_data() {
        QTest::addColumn<int>("given");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("progressive");
        QTest::newRow("progressive colour") << int(JCS_RGB) << int(JCS_YCbCr) << true;
        QTest::newRow("greyscale") << int(JCS_GRAYSCALE) << int(JCS_GRAYSCALE) << false;
        QTest::newRow("CMYK") << int(JCS_CMYK) << int(JCS_CMYK) << false;
        QTest::newRow("YCCK") << int(JCS_CMYK) << int(JCS_YCCK) << false;
    }
    void storesEveryColourSpaceAsBaselineRgb() {
        QFETCH(int, given);
        QFETCH(int, stored);
        QFETCH(bool, progressive);
        const QByteArray source = encodeSource(J_COLOR_SPACE(given), J_COLOR_SPACE(stored), progressive);
        const QByteArray jpeg = encodeJpeg(decodeJpeg(source), kPhotoQuality);
        // Three components in the baseline start of frame, the file's only one.
        QCOMPARE(afterMarker(jpeg, '\xC0').mid(7, 1), QByteArray("\x03"));
        // Quality 90 scales the first luminance quantizer, 16, to 3.
        QCOMPARE(afterMarker(jpeg, '\xDB').mid(3, 1), QByteArray("\x03"));
        const QImage decoded = decodeJpeg(jpeg);
        QCOMPARE(decoded.size(), QSize(32, 16));
        for (int block = 0; block < 4; ++block) {
            const QColor shown = decoded.pixelColor(block * 8 + 4, 8);
            const int grey = qGray(kQuarters[block].rgb());
            const QColor expected = given == JCS_GRAYSCALE ? QColor(grey, grey, grey) : kQuarters[block];
            QVERIFY2(qAbs(shown.red() - expected.red()) <= 8 && qAbs(shown.green() - expected.green()) <= 8 &&
                         qAbs(shown.blue() - expected.blue()) <= 8,
                     qPrintable(shown.name() + " " + expected.name()));
        }
    }
    // Damage is refused rather than shown as grey or sized from the header; stray bytes are not damage.
    void refusesDamagedData_data() {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<QString>("reason");  // in the details of the refusal; empty: read
        const QByteArray whole = encodeJpeg(blocks(), kPhotoQuality);
        const qsizetype scan = whole.indexOf("\xFF\xDA");
        const QByteArray half = whole.left((scan + whole.size()) / 2);  // in the middle of the picture's data
        QTest::newRow("huge declared size")
            << QByteArray(whole).replace(whole.indexOf("\xFF\xC0") + 5, 4, "\xFD\xE8\xFD\xE8")
            << "Рисунок 65000 × 65000 точек больше любой фотографии";
        QTest::newRow("file cut in the middle") << half << "Premature end of JPEG file";
        QTest::newRow("data cut before the end marker") << half + "\xFF\xD9"
                                                        << "premature end of data segment";
        QTest::newRow("as many scans as a camera writes")
            << encodeSource(JCS_GRAYSCALE, JCS_GRAYSCALE, false, kMaxJpegScans) << "";
        QTest::newRow("more scans than a camera writes")
            << encodeSource(JCS_GRAYSCALE, JCS_GRAYSCALE, false, kMaxJpegScans + 1)
            << QString("В рисунке больше %1 проходов").arg(kMaxJpegScans);
        QTest::newRow("stray bytes before the end marker")
            << QByteArray(whole).insert(whole.size() - 2, QByteArray(40, 0)) << "";
    }
    void refusesDamagedData() {
        QFETCH(QByteArray, jpeg);
        QFETCH(QString, reason);
        try {
            QCOMPARE(decodeJpeg(jpeg).size(), blocks().size());
            QVERIFY(reason.isEmpty());
        } catch (const AppError& e) {
            QVERIFY2(!reason.isEmpty() && e.details().contains(reason), qPrintable(e.details()));
        }
    }
};

QTEST_MAIN(TestJpegCodec)
#include "tst_jpegcodec.moc"
