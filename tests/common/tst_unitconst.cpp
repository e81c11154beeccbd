#include <QBitmap>
#include <QTest>

#include "common/UnitConst.h"
#include "tests/cards/CardFixture.h"

using namespace card_fixture;

namespace {

constexpr int kBand = 3;
constexpr int kTypeCen = 4;
constexpr double kCallerFee = 77.5;

const QString kLetters = QStringLiteral("abcdefghijkl");
constexpr int kGreen = 100;
constexpr int kRed = 200;

// A picture drawn by rows of letters joined by "|": "." is white, and a to l each have a colour of their
// own, a grey on 8 bits or else a blue beside fixed red and green.
QImage letterPicture(const QString& letters, bool eightBit, QImage::Format format) {
    const QStringList rows = letters.split(QLatin1Char('|'));
    QImage picture(int(rows[0].size()), int(rows.size()), format);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const int code = kLetters.indexOf(rows[y][x]) + 1;
            picture.setPixelColor(x, y,
                                  code == 0  ? QColor(Qt::white)
                                  : eightBit ? QColor(code, code, code)
                                             : QColor(kRed, kGreen, code));
        }
    }
    return picture;
}

// The pixels of the bar not in its colour and of its colour outside the bar: none when the bar is drawn
// solid where it belongs.
QRegion misplaced(const QImage& image, const QColor& color, const QRegion& bar) {
    return QRegion(QBitmap::fromImage(image.createMaskFromColor(color.rgb(), Qt::MaskOutColor))) ^ bar;
}

}  // namespace

class TestUnitConst : public DatabaseCase {
    Q_OBJECT

  private slots:
    // Asked on 5 March, at its first moment or later that day, for band 3 and price type 4; a price not
    // found leaves the caller's fee.
    void findsPriceValidOnDate_data() {
        QTest::addColumn<QString>("prices");  // band, price type, day set, price, fee
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("fee");
        QTest::newRow("latest set before")
            << "(3, 4, '2024-02-04 00:00:00', 100, 1), (3, 4, '2024-03-03 00:00:00', 120, 2), "
               "(3, 4, '2024-02-24 00:00:00', 130, 3), (3, 4, '2024-03-06 00:00:00', 110, 4)"
            << 120.0 << 2.0;
        QTest::newRow("zero price found, empty fee reads 0") << "(3, 4, '2024-03-04 00:00:00', 0, NULL)" << 0.0 << 0.0;
        QTest::newRow("none of other bands and types")
            << "(4, 4, '2024-03-05 00:00:00', 300, 30), (3, 5, '2024-03-05 00:00:00', 400, 40), "
               "(0, 4, '2024-03-05 00:00:00', 500, 50)"
            << 0.0 << kCallerFee;
    }
    void findsPriceValidOnDate() {
        QFETCH(QString, prices);
        exec(db(), "INSERT INTO tCenaSeans (ID_Period, ID_TypeCen, DateSet, Cena, StrahVosn) VALUES " + prices);
        for (const char* asked : {"2024-03-05 00:00:00", "2024-03-05 18:45:00"}) {
            double fee = kCallerFee;
            QTEST(GetCenaSeans(db(), kBand, kTypeCen, fee, at(asked)), "price");
            QTEST(fee, "fee");
        }
    }
    // A price is stored at its day's start, one per day, band and type: the day's price another workstation
    // writes while ours begins is changed, not stored twice.
    void setsOnePricePerDay() {
        exec(db(), sqlOf("INSERT INTO tPeriodCena (ID, ID_Zal) VALUES (%1, %2)", kBand, addHall(db(), "Бассейн")));
        exec(db(), sqlOf("INSERT INTO tTypeCen (ID) VALUES (%1), (%2)", kTypeCen, kTypeCen + 1));
        {
            WriteAtNextBegin elsewhere(*m_db, sqlOf("INSERT INTO tCenaSeans (ID_Period, ID_TypeCen, DateSet, Cena) "
                                                    "VALUES (%1, %2, '2024-03-01 00:00:00', 100)",
                                                    kBand, kTypeCen));
            SetCenaSeans(db(), kBand, kTypeCen, at("2024-03-01 17:40:05"), 175.5, 12.5);
        }
        SetCenaSeans(db(), kBand, kTypeCen + 1, at("2024-03-01 00:00:00"), 170, 0);
        QCOMPARE(rows(db(), "SELECT ID_TypeCen, DateSet, Cena, StrahVosn FROM tCenaSeans ORDER BY ID"),
                 QStringList({"4|2024-03-01 00:00:00|175.5|12.5", "5|2024-03-01 00:00:00|170|0"}));
    }
    // The earliest band of the hall that holds the time, up to but not including its end.
    void findsBandOfTime() {
        addBand(db(), 1, QTime(7, 0), QTime(16, 0));
        const int evening = addBand(db(), 1, QTime(16, 0), QTime(22, 0));
        addBand(db(), 2, QTime(20, 0), QTime(0, 0));
        const int wide = addBand(db(), 3, QTime(10, 0), QTime(20, 0));
        const int early = addBand(db(), 3, QTime(8, 0), QTime(12, 0));
        const auto bandAt = [this](int hall, const QTime& time) {
            return GetIDPeriodCena(db(), hall, QDateTime(kZeroDate, time));
        };
        QCOMPARE(bandAt(1, QTime(16, 0)), evening);
        QCOMPARE(bandAt(1, QTime(6, 59)), 0);
        QCOMPARE(bandAt(2, QTime(21, 0)), 0);  // a band ending at midnight never matches
        QCOMPARE(bandAt(3, QTime(11, 0)), early);
        QCOMPARE(bandAt(3, QTime(12, 0)), wide);
    }
    // Each event is stamped with the signed-in user and the time, its text cut to 250 characters on a
    // character boundary.
    void writesEventOfSignedInUser() {
        const QString letters = QString(250, QChar(0x0436));
        const QString cut = letters.left(249);
        const QString before = dateTimeToStorage(QDateTime::currentDateTime().addSecs(-1));
        gUserApl.ID = 8;
        WriteActionLog(db(), acProgram, letters + "я");
        WriteActionLog(db(), acProgram, cut + QString::fromUtf8("\U0001F600"));
        const QString after = dateTimeToStorage(QDateTime::currentDateTime().addSecs(1));
        QCOMPARE(rows(db(), QStringLiteral("SELECT id_user, kod_action, ActionStr, dt_action BETWEEN '%1' AND '%2' "
                                           "FROM tListActionUsers ORDER BY ID")
                                .arg(before, after)),
                 QStringList({"8|0|" + letters + "|1", "8|0|" + cut + "|1"}));
    }
    // Each turn of a colour picture and of a greyscale one.
    void turnsFourByThree_data() {
        QTest::addColumn<double>("angle");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0") << 0.0 << "abcd|efgh|ijkl";
        QTest::newRow("90") << 90.0 << "iea|jfb|kgc|lhd";
        QTest::newRow("270") << 270.0 << "dhl|cgk|bfj|aei";
        QTest::newRow("180") << 180.0 << "lkji|hgfe|dcba";
        QTest::newRow("-90 loses column a") << -90.0 << "...|dhl|cgk|bfj";
        QTest::newRow("-180") << -180.0 << "....|.lkj|.hgf";
        QTest::newRow("450") << 450.0 << ".ie|.jf|.kg|.lh";
        QTest::newRow("45") << 45.0 << "..a..|.efb.|.jfgd|..kh.|.....";
        QTest::newRow("0.5 keeps the size") << 0.5 << "abcd|efgh|ijkl";
    }
    void turnsFourByThree() {
        QFETCH(double, angle);
        QFETCH(QString, expected);
        for (const bool eightBit : {false, true}) {
            QImage picture =
                letterPicture("abcd|efgh|ijkl", eightBit, eightBit ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
            RotateBitmap(picture, Qt::white, angle);
            QCOMPARE(picture, letterPicture(expected, eightBit, QImage::Format_BGR888));
        }
    }
    void drawsBarsToScale_data() {
        QTest::addColumn<int>("maxCount");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("cards");
        QTest::addColumn<int>("orgs");
        QTest::addColumn<QRect>("cardBar");  // empty: the bar does not show at all
        QTest::addColumn<QRect>("orgBar");
        const QSize size(50, 100);
        QTest::newRow("no counts: the sunken panel alone") << 100 << size << 0 << 0 << QRect() << QRect();
        QTest::newRow("20 places, 5 cards, 3 reserved")
            << 20 << size << 5 << 3 << QRect(2, 73, 46, 25) << QRect(7, 2, 36, 15);
        QTest::newRow("3 places: the share is truncated") << 3 << size << 2 << 0 << QRect(2, 32, 46, 66) << QRect();
        QTest::newRow("full: bars reach past the edges")
            << 10 << QSize(30, 60) << 10 << 10 << QRect(2, -2, 26, 60) << QRect(7, 2, 16, 60);
        QTest::newRow("over full is cut at the edge") << 4 << size << 9 << 0 << QRect(2, -127, 46, 225) << QRect();
        QTest::newRow("no places: no bars whatever the counts") << 0 << size << 5 << 3 << QRect() << QRect();
    }
    void drawsBarsToScale() {
        QFETCH(int, maxCount);
        QFETCH(QSize, size);
        QFETCH(int, cards);
        QFETCH(int, orgs);
        QFETCH(QRect, cardBar);
        QFETCH(QRect, orgBar);
        TLoadDay panel;
        panel.resize(size);
        panel.MaxCount = maxCount;
        panel.SetCountCard(cards);
        panel.SetCountOrg(orgs);
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        panel.render(&image);
        // Bars are cut at the panel's edges; the narrower organisation bar lies over the card bar.
        QCOMPARE(misplaced(image, panel.ColorOrg, orgBar & image.rect()), QRegion());
        QCOMPARE(misplaced(image, panel.ColorCard, QRegion(cardBar & image.rect()) - orgBar), QRegion());
        QCOMPARE(image.pixelColor(1, size.height() / 2), panel.palette().color(QPalette::Window));
    }
};

QTEST_MAIN(TestUnitConst)
#include "tst_unitconst.moc"
