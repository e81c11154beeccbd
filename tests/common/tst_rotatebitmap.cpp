#include <QColor>
#include <QImage>
#include <QTest>

#include "common/UnitConst.h"

namespace {

const QString kLetters = QStringLiteral("abcdefghijkl");
constexpr int kGreen = 100;
constexpr int kRed = 200;

// A 4 x 3 picture whose pixel (x, y) has blue 1 + 4y + x, shown by the letters a to l.
QImage letterPicture(bool eightBit) {
    QImage picture(4, 3, eightBit ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const int code = 1 + 4 * y + x;
            picture.setPixelColor(x, y, eightBit ? QColor(code, code, code) : QColor(kRed, kGreen, code));
        }
    }
    return picture;
}

// Rows of letters read from the bytes; "." is the white background.
QString letters(const QImage& picture, bool eightBit) {
    QStringList rows;
    for (int y = 0; y < picture.height(); ++y) {
        const uchar* pixel = picture.constScanLine(y);
        QString row;
        for (int x = 0; x < picture.width(); ++x, pixel += 3) {
            const bool background = pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255;
            const bool ownColour =
                eightBit ? pixel[1] == pixel[0] && pixel[2] == pixel[0] : pixel[1] == kGreen && pixel[2] == kRed;
            row += background ? QChar('.') : ownColour ? kLetters.at(pixel[0] - 1) : QChar('?');
        }
        rows << row;
    }
    return rows.join(QLatin1Char('|'));
}

}  // namespace

class TestRotateBitmap : public QObject {
    Q_OBJECT

  private slots:
    void turnsFourByThree_data() {
        QTest::addColumn<double>("angle");
        QTest::addColumn<bool>("eightBit");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0 on 8 bits") << 0.0 << true << "abcd|efgh|ijkl";
        QTest::newRow("90") << 90.0 << false << "iea|jfb|kgc|lhd";
        QTest::newRow("270") << 270.0 << false << "dhl|cgk|bfj|aei";
        QTest::newRow("180") << 180.0 << false << "lkji|hgfe|dcba";
        QTest::newRow("-90 loses column a") << -90.0 << false << "...|dhl|cgk|bfj";
        QTest::newRow("-180") << -180.0 << false << "....|.lkj|.hgf";
        QTest::newRow("450") << 450.0 << false << ".ie|.jf|.kg|.lh";
        QTest::newRow("45") << 45.0 << false << "..a..|.efb.|.jfgd|..kh.|.....";
        QTest::newRow("0.5 keeps the size") << 0.5 << false << "abcd|efgh|ijkl";
    }
    void turnsFourByThree() {
        QFETCH(double, angle);
        QFETCH(bool, eightBit);
        QFETCH(QString, expected);
        QImage picture = letterPicture(eightBit);
        RotateBitmap(picture, Qt::white, angle);
        QCOMPARE(picture.format(), QImage::Format_BGR888);
        QCOMPARE(letters(picture, eightBit), expected);
    }
};

QTEST_MAIN(TestRotateBitmap)
#include "tst_rotatebitmap.moc"
