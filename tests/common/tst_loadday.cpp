#include <QImage>
#include <QRect>
#include <QTest>

#include <utility>

#include "common/UnitConst.h"

namespace {

// Edges as the panel fills them: left and top included, right and bottom excluded; an empty rect
// means the bar must not show at all.
QRect edges(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

QImage rendered(TLoadDay& panel) {
    QImage image(panel.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    panel.render(&image);
    return image;
}

// Where a colour shows: the rect around its pixels and how many there are; a bar drawn solid and
// cut at the panel's edges fills its whole rect.
std::pair<QRect, int> colorArea(const QImage& image, const QColor& color) {
    QRect box;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == color) {
                box |= QRect(x, y, 1, 1);
                ++count;
            }
        }
    }
    return {box, count};
}

std::pair<QRect, int> solid(const QRect& bar, const QSize& size) {
    const QRect shown = bar & QRect(QPoint(0, 0), size);
    return {shown, shown.width() * shown.height()};
}

}  // namespace

class TestLoadDay : public QObject {
    Q_OBJECT

  private slots:
    void drawsBarsToScale_data() {
        QTest::addColumn<int>("maxCount");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("cards");
        QTest::addColumn<int>("orgs");
        QTest::addColumn<QRect>("cardBar");
        QTest::addColumn<QRect>("orgBar");
        const QSize size(50, 100);
        QTest::newRow("no counts: the sunken panel alone") << 100 << size << 0 << 0 << QRect() << QRect();
        QTest::newRow("20 places, 5 cards, 3 reserved")
            << 20 << size << 5 << 3 << edges(2, 73, 48, 98) << edges(7, 2, 43, 17);
        QTest::newRow("3 places: the share is truncated") << 3 << size << 1 << 0 << edges(2, 65, 48, 98) << QRect();
        QTest::newRow("full: bars reach past the edges")
            << 10 << QSize(30, 60) << 10 << 10 << edges(2, -2, 28, 58) << edges(7, 2, 23, 62);
        QTest::newRow("over full is cut at the edge") << 4 << size << 9 << 0 << edges(2, -127, 48, 98) << QRect();
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
        QCOMPARE(colorArea(rendered(panel), panel.ColorCard), solid(cardBar, size));
        panel.SetCountOrg(orgs);
        const QImage image = rendered(panel);
        QCOMPARE(colorArea(image, panel.ColorOrg), solid(orgBar, size));
        // The narrower organisation bar lies over the card bar; the card bar still shows beside it.
        QCOMPARE(image.pixelColor(2, size.height() - 3) == panel.ColorCard, !cardBar.isEmpty());
        QCOMPARE(image.pixelColor(1, size.height() / 2), panel.palette().color(QPalette::Window));
    }
};

QTEST_MAIN(TestLoadDay)
#include "tst_loadday.moc"
