#include "platform/ReportText.h"

#include <QFontMetricsF>
#include <QImage>
#include <QTextLayout>

namespace {

// Texts are measured at the resolution the PDF output paints at, so they break as they print.
constexpr int kDotsPerInch = 1200;
constexpr double kMmPerDot = 25.4 / kDotsPerInch;
constexpr double kShrinkStep = 0.5;
constexpr double kTolerance = 0.01;
const QString kEllipsis = QStringLiteral("…");

const QPaintDevice* measuringDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_Mono);
        const int dotsPerMetre = qRound(kDotsPerInch / 0.0254);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        return image;
    }();
    return &device;
}

bool fits(const TextLines& text, const QSizeF& box) {
    return text.width <= box.width() + kTolerance &&
           (text.lines.size() == 1 || text.height() <= box.height() + kTolerance);
}

QString withoutTrailingSpaces(QString text) {
    while (text.endsWith(QLatin1Char(' '))) {
        text.chop(1);
    }
    return text;
}

// Cuts one value to its longest start that lets the text fit, ended with "…" ("…" alone when none does).
template <typename Measure>
TextLines cutToFit(QList<TextPiece>& pieces, int index, const Measure& measure, const QSizeF& box) {
    const QString value = pieces[index].text;
    const auto cutTo = [&](qsizetype length) {
        pieces[index].text = withoutTrailingSpaces(value.left(length)) + kEllipsis;
    };
    qsizetype low = 0;
    qsizetype high = value.size() - 1;
    qsizetype best = 0;
    while (low <= high) {
        const qsizetype middle = (low + high) / 2;
        cutTo(middle);
        if (fits(measure(pieces), box)) {
            best = middle;
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    cutTo(best);
    return measure(pieces);
}

}  // namespace

QString joined(const QList<TextPiece>& pieces) {
    QString text;
    for (const TextPiece& piece : pieces) {
        text += piece.text;
    }
    return text;
}

QFont reportFont(const QString& family, double pointSize, bool bold, bool italic) {
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

TextLines breakText(const QString& text, const QFont& font, double widthMm, bool wrap) {
    const QFontMetricsF metrics(font, measuringDevice());
    TextLines result{{}, font.pointSizeF(), metrics.height() * kMmPerDot, metrics.horizontalAdvance(text) * kMmPerDot};
    if (!wrap || result.width <= widthMm) {
        result.lines << text;
        return result;
    }
    QTextLayout layout(text, font, measuringDevice());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    result.width = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(widthMm / kMmPerDot);
        result.lines << text.mid(line.textStart(), line.textLength());
        result.width = qMax(result.width, line.naturalTextWidth() * kMmPerDot);
    }
    layout.endLayout();
    return result;
}

TextLines fitText(QList<TextPiece> pieces, QFont font, double minSize, const QSizeF& boxMm, bool wrap) {
    const auto measure = [&font, &boxMm, wrap](const QList<TextPiece>& text) {
        return breakText(joined(text), font, boxMm.width(), wrap);
    };
    TextLines result = measure(pieces);
    while (!fits(result, boxMm) && font.pointSizeF() > minSize + kTolerance) {
        font.setPointSizeF(qMax(minSize, font.pointSizeF() - kShrinkStep));
        result = measure(pieces);
    }
    const QString whole = joined(pieces);
    for (int i = int(pieces.size()) - 1; i >= 0 && !fits(result, boxMm); --i) {
        if (pieces[i].value && !pieces[i].text.isEmpty()) {
            result = cutToFit(pieces, i, measure, boxMm);
        }
    }
    if (!fits(result, boxMm)) {
        QList<TextPiece> all{{whole, true}};
        result = cutToFit(all, 0, measure, boxMm);
    }
    return result;
}
