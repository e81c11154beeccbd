#include "platform/ReportLayout.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <cmath>

#include "platform/LocaleFormat.h"

namespace {

// The engine's own words for a missing project, which administrators know, lead its message.
const QString kMissingProject = QStringLiteral("The following reporting project does not exist:");
const QString kNoProjectFile = QStringLiteral(
    "Не найден файл отчета «%1».\rОбратитесь к администратору: файл отчета должен лежать в папке программы.");
const QString kProjectUnreadable = QStringLiteral(
    "Не удается открыть файл отчета «%1».\rПроверьте, что файл доступен для чтения, или обратитесь к "
    "администратору.");
const QString kProjectDamaged =
    QStringLiteral("Файл отчета «%1» поврежден.\rОбратитесь к администратору, чтобы восстановить его.");
const QString kUnknownConnection = QStringLiteral(
    "Отчет «%1» обращается к данным «%2», которых программа ему не передает.\rОбратитесь к администратору, чтобы "
    "исправить файл отчета.");
const QString kUnknownField = QStringLiteral(
    "В отчете «%1» указано поле [%2], которого нет в его данных.\rОбратитесь к администратору, чтобы исправить "
    "файл отчета.");
const QString kMissingPicture = QStringLiteral(
    "Не найден рисунок «%1» для отчета «%2».\rОбратитесь к администратору: рисунок должен лежать в папке "
    "программы.");
const QString kNoRoom =
    QStringLiteral("%1: в отчете «%2» %3 не помещаются на странице высотой %4 мм между полями %5 и %6 мм");
const QString kRowsNeed =
    QStringLiteral("заголовок страницы (%1 мм), нижний колонтитул (%2 мм) и строка (не меньше %3 мм)");
const QString kBandNeeds = QStringLiteral("%1 (%2 мм) и нижний колонтитул (%3 мм)");
const QMap<BandKind, QString> kOnceBandNames = {{BandKind::Title, QStringLiteral("заголовок отчета")},
                                                {BandKind::Summary, QStringLiteral("итоги отчета")}};
const QString kDefaultFont = QStringLiteral("DejaVu Sans");

const QMap<QString, BandKind> kBandKinds = {{QStringLiteral("title"), BandKind::Title},
                                            {QStringLiteral("header"), BandKind::Header},
                                            {QStringLiteral("detail"), BandKind::Detail},
                                            {QStringLiteral("summary"), BandKind::Summary},
                                            {QStringLiteral("footer"), BandKind::Footer}};
const QMap<QString, ItemKind> kItemKinds = {{QStringLiteral("text"), ItemKind::Text},
                                            {QStringLiteral("line"), ItemKind::Line},
                                            {QStringLiteral("frame"), ItemKind::Frame},
                                            {QStringLiteral("picture"), ItemKind::Picture}};
const QMap<QString, Qt::Alignment> kAlignments = {{QStringLiteral("left"), Qt::AlignLeft},
                                                  {QStringLiteral("center"), Qt::AlignHCenter},
                                                  {QStringLiteral("right"), Qt::AlignRight}};

// "nan" and "inf" read as numbers: taken as not given, as any other text that is no number.
double finiteOr(const QString& text, double fallback) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? value : fallback;
}

double number(const QXmlStreamAttributes& attributes, const char* name, double fallback = 0) {
    return finiteOr(attributes.value(QLatin1String(name)).toString(), fallback);
}

QString mm(double value) {
    return QLocale().toString(value, 'f', QLocale::FloatingPointShortest);
}

QString text(const QXmlStreamAttributes& attributes, const char* name) {
    return attributes.value(QLatin1String(name)).toString();
}

QMarginsF margins(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto at = [&parts](int i) { return finiteOr(parts.value(i), 0); };
    return QMarginsF(at(0), at(1), at(2), at(3));
}

ReportItem readItem(QXmlStreamReader& xml, ItemKind kind) {
    const QXmlStreamAttributes a = xml.attributes();
    ReportItem item;
    item.kind = kind;
    item.rect = QRectF(number(a, "x"), number(a, "y"), number(a, "w"), number(a, "h"));
    item.when = text(a, "when");
    item.unless = text(a, "unless");
    item.format = text(a, "format");
    item.fontSize = number(a, "size", item.fontSize);
    item.minSize = qMin(item.fontSize, qMax(1.0, number(a, "minsize", item.fontSize)));
    item.bold = text(a, "bold") == QLatin1String("1");
    item.italic = text(a, "italic") == QLatin1String("1");
    item.wrap = text(a, "wrap") == QLatin1String("1");
    item.align = kAlignments.value(text(a, "align"), Qt::AlignLeft) | Qt::AlignVCenter;
    item.pen = number(a, "pen", item.pen);
    if (a.hasAttribute(QLatin1String("color"))) {
        item.color = QColor(text(a, "color"));
    }
    if (a.hasAttribute(QLatin1String("fill"))) {
        item.fill = QColor(text(a, "fill"));
    }
    item.source = kind == ItemKind::Picture ? text(a, "file") : xml.readElementText();
    return item;
}

ReportBand readBand(QXmlStreamReader& xml) {
    ReportBand band;
    band.kind = kBandKinds.value(text(xml.attributes(), "kind"), BandKind::Detail);
    band.height = number(xml.attributes(), "height");
    band.grow = text(xml.attributes(), "grow") == QLatin1String("1");
    band.data = text(xml.attributes(), "data");
    while (xml.readNextStartElement()) {
        if (kItemKinds.contains(xml.name().toString())) {
            band.items << readItem(xml, kItemKinds.value(xml.name().toString()));
            if (xml.isStartElement()) {
                xml.skipCurrentElement();
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    return band;
}

ReportDefinition readReport(QXmlStreamReader& xml) {
    const QXmlStreamAttributes a = xml.attributes();
    ReportDefinition report;
    report.name = text(a, "name");
    report.title = text(a, "title");
    report.font = a.hasAttribute(QLatin1String("font")) ? text(a, "font") : kDefaultFont;
    report.pageSize = QSizeF(number(a, "width", 210), number(a, "height", 297));
    report.margins = margins(text(a, "margins"));
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("band")) {
            report.bands << readBand(xml);
        } else {
            xml.skipCurrentElement();
        }
    }
    return report;
}

QString formatted(const QString& value, const QString& format) {
    if (format == QLatin1String("date") || format == QLatin1String("time")) {
        const QDateTime stamp = QDateTime::fromString(value.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        const QDate date = stamp.isValid() ? stamp.date() : QDate::fromString(value.left(10), Qt::ISODate);
        if (format == QLatin1String("time")) {
            return stamp.isValid() ? stamp.time().toString(QStringLiteral("HH:mm")) : value;
        }
        return date.isValid() ? shortDateText(date) : value;
    }
    if (format == QLatin1String("money") && !value.isEmpty()) {
        return QLocale().toString(value.toDouble(), 'f', 2);
    }
    return value;
}

// Page numbers are known only once every page is laid out: until then texts hold these marks.
const QChar kPageMark(0xE000);
const QChar kPagesMark(0xE001);
// Room above and below the lines of a text that grows its band.
constexpr double kGrowPadding = 2.0;
constexpr double kTolerance = 1e-6;

QFont fontOf(const QString& family, const ReportItem& style) {
    return reportFont(family, style.fontSize, style.bold, style.italic);
}

bool hasPageMarks(const QString& text) {
    return text.contains(kPageMark) || text.contains(kPagesMark);
}

// A growing band takes the height of its tallest wrapped text; what stands on its bottom edge stretches
// with it and what stands below that edge moves down, so row lines never cross the text.
void grow(PlacedBand& band, const QString& family) {
    QList<double> growths;
    double bandGrowth = 0;
    for (PlacedItem& item : band.items) {
        double growth = 0;
        if (item.kind == ItemKind::Text && item.style->wrap) {
            item.lines = breakText(item.text, fontOf(family, *item.style), item.rect.width(), true);
            growth = qMax(0.0, item.lines.height() + kGrowPadding - item.rect.height());
        }
        growths << growth;
        bandGrowth = qMax(bandGrowth, growth);
    }
    for (int i = 0; i < band.items.size(); ++i) {
        QRectF& rect = band.items[i].rect;
        if (rect.top() >= band.height - kTolerance) {
            rect.translate(0, bandGrowth);
        } else {
            rect.setHeight(rect.height() + (rect.bottom() >= band.height - kTolerance ? bandGrowth : growths[i]));
        }
    }
    band.height += bandGrowth;
}

struct BandParts {
    PlacedBand first;
    PlacedBand rest;
};

// The least room a row's first part takes: the row's height as the layout gives it, for the cells it holds
// whole, and a line of each text that goes on; the rest of a row needs only the line.
double firstPartNeed(const PlacedBand& band, double rowHeight) {
    double need = band.continued ? 0 : rowHeight;
    for (const PlacedItem& item : band.items) {
        if (item.kind == ItemKind::Text && item.lines.lines.size() > 1) {
            need = qMax(need, item.rect.top() + item.lines.lineHeight + kGrowPadding);
        }
    }
    return need;
}

bool overflows(const PlacedItem& item, double room) {
    return item.kind == ItemKind::Text && item.lines.lines.size() > 1 &&
           item.rect.top() + item.lines.height() + kGrowPadding > room + kTolerance;
}

// Splits a band at the room left on its page: wrapped texts keep the lines that fit and go on in the rest,
// other texts stay whole in the first part, frames and lines reaching the bottom edge stretch over both,
// and what stands on or below that edge closes the rest.
BandParts split(const PlacedBand& band, double room) {
    BandParts parts{{band.kind, room, {}, band.continued}, {band.kind, 0, {}, true}};
    QList<PlacedItem> closing;
    QList<PlacedItem> spanning;
    for (const PlacedItem& item : band.items) {
        if (item.rect.top() >= band.height - kTolerance) {
            closing << item;
            continue;
        }
        PlacedItem head = item;
        head.rect.setBottom(qMin(item.rect.bottom(), room));
        if (overflows(item, room)) {
            const int kept = qBound(1, int((room - item.rect.top() - kGrowPadding) / item.lines.lineHeight),
                                    int(item.lines.lines.size()) - 1);
            head.lines.lines = item.lines.lines.mid(0, kept);
            PlacedItem tail = item;
            tail.lines.lines = item.lines.lines.mid(kept);
            tail.text = tail.lines.lines.join(QString());
            tail.rect = QRectF(item.rect.left(), 0, item.rect.width(), tail.lines.height() + kGrowPadding);
            parts.rest.height = qMax(parts.rest.height, tail.rect.bottom());
            parts.rest.items << tail;
        } else if (item.kind != ItemKind::Text && item.rect.bottom() >= band.height - kTolerance) {
            spanning << item;
        }
        parts.first.items << head;
    }
    for (PlacedItem item : spanning) {
        item.rect.setTop(0);
        item.rect.setBottom(parts.rest.height);
        parts.rest.items << item;
    }
    for (PlacedItem item : closing) {
        item.rect.translate(0, parts.rest.height - band.height);
        parts.rest.items << item;
    }
    return parts;
}

void fit(PlacedItem& item, const QString& family) {
    const ReportItem& style = *item.style;
    if (item.lines.lines.isEmpty()) {
        item.lines = fitText(item.pieces, fontOf(family, style), style.minSize, item.rect.size(), style.wrap);
    }
    item.pieces.clear();
}

void translate(PlacedBand& band, double dx, double dy) {
    for (PlacedItem& item : band.items) {
        item.rect.translate(dx, dy);
    }
}

// A band's place in its data: the connection and the row it reads.
struct DataRow {
    ReportData* data = nullptr;
    int row = 0;
};

class Layouter {
  public:
    Layouter(const ReportDefinition& report, const QMap<QString, QString>& params,
             const QMap<QString, ReportData*>& data)
        : m_report(report), m_params(params), m_data(data) {}

    QList<ReportPage> run();

  private:
    const ReportBand* firstBand(BandKind kind) const;
    ReportData* connection(const QString& name) const;
    int columnOf(ReportData* data, const QString& field);
    QString aggregate(const QString& name);
    QList<TextPiece> expand(const QString& source, const QString& format, const DataRow& at);
    bool shown(const ReportItem& item, const DataRow& at);
    double footerHeight() const;
    [[noreturn]] void refuseNoRoom(const QString& need) const;
    [[noreturn]] void refuseNoRoomForRows(double headerHeight, double rowNeed) const;
    void newPage();
    bool atPageTop() const { return m_y <= m_report.margins.top() + kTolerance; }
    PlacedBand place(const ReportBand& band, const DataRow& at);
    void put(PlacedBand band);
    void add(const ReportBand& band, const DataRow& at);
    void placeDetails(const ReportBand& detail);
    void placeFooters();
    void numberPages();

    const ReportDefinition& m_report;
    const QMap<QString, QString>& m_params;
    const QMap<QString, ReportData*>& m_data;
    QMap<ReportData*, QStringList> m_columns;
    QList<ReportPage> m_pages;
    double m_y = 0;
    double m_bottom = 0;
};

const ReportBand* Layouter::firstBand(BandKind kind) const {
    for (const ReportBand& band : m_report.bands) {
        if (band.kind == kind) {
            return &band;
        }
    }
    return nullptr;
}

ReportData* Layouter::connection(const QString& name) const {
    if (name.isEmpty()) {
        return nullptr;
    }
    if (!m_data.contains(name)) {
        throw ReportError(kUnknownConnection.arg(m_report.title, name),
                          QStringLiteral("Программа не передает отчету «%1» данных «%2»").arg(m_report.name, name));
    }
    return m_data.value(name);
}

int Layouter::columnOf(ReportData* data, const QString& field) {
    if (!m_columns.contains(data)) {
        m_columns.insert(data, data->columns());
    }
    const int column = m_columns.value(data).indexOf(field);
    if (column < 0) {
        throw ReportError(kUnknownField.arg(m_report.title, field),
                          QStringLiteral("Поля [%1] нет среди полей отчета «%2»: %3")
                              .arg(field, m_report.name, m_columns.value(data).join(QStringLiteral(", "))));
    }
    return column;
}

// {#Count} and {#Sum:Field} read the rows of the detail band.
QString Layouter::aggregate(const QString& name) {
    const ReportBand* detail = firstBand(BandKind::Detail);
    ReportData* data = detail ? connection(detail->data) : nullptr;
    const int rows = data ? data->rowCount() : 0;
    if (name == QLatin1String("#Count")) {
        return QString::number(rows);
    }
    double sum = 0;
    const int column = data ? columnOf(data, name.mid(5)) : 0;
    for (int row = 0; row < rows; ++row) {
        sum += data->value(row, column).toDouble();
    }
    return QLocale().toString(sum, 'f', 2);
}

QList<TextPiece> Layouter::expand(const QString& source, const QString& format, const DataRow& at) {
    static const QRegularExpression reference(QStringLiteral("\\{([^}]+)\\}|\\[([^\\]]+)\\]"));
    QList<TextPiece> pieces;
    qsizetype done = 0;
    for (auto it = reference.globalMatch(source); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        pieces << TextPiece{source.mid(done, match.capturedStart() - done), false};
        done = match.capturedEnd();
        const QString param = match.captured(1);
        QString value;
        if (param == QLatin1String("#Page")) {
            value = kPageMark;
        } else if (param == QLatin1String("#Pages")) {
            value = kPagesMark;
        } else if (param.startsWith(QLatin1Char('#'))) {
            value = aggregate(param);
        } else if (!param.isEmpty()) {
            value = m_params.value(param);
        } else if (at.data && at.row < at.data->rowCount()) {
            value = formatted(at.data->value(at.row, columnOf(at.data, match.captured(2))), format);
        }
        pieces << TextPiece{value, true};
    }
    pieces << TextPiece{source.mid(done), false};
    return pieces;
}

bool Layouter::shown(const ReportItem& item, const DataRow& at) {
    const auto isSet = [this, &at](const QString& condition) {
        const QString value = joined(expand(condition, QString(), at)).trimmed();
        return !value.isEmpty() && value != QLatin1String("0");
    };
    return (item.when.isEmpty() || isSet(item.when)) && (item.unless.isEmpty() || !isSet(item.unless));
}

double Layouter::footerHeight() const {
    const ReportBand* footer = firstBand(BandKind::Footer);
    return footer ? footer->height : 0;
}

// The details name the bands that do not fit with their heights.
void Layouter::refuseNoRoom(const QString& need) const {
    const QMarginsF& margins = m_report.margins;
    throw ReportError(kProjectDamaged.arg(QFileInfo(m_report.file).fileName()),
                      kNoRoom.arg(m_report.file, m_report.name, need, mm(m_report.pageSize.height()), mm(margins.top()),
                                  mm(margins.bottom())));
}

void Layouter::refuseNoRoomForRows(double headerHeight, double rowNeed) const {
    refuseNoRoom(kRowsNeed.arg(mm(headerHeight), mm(footerHeight()), mm(rowNeed)));
}

void Layouter::newPage() {
    m_pages.append(ReportPage{m_report.pageSize, {}});
    m_y = m_report.margins.top();
}

// The band with its items placed from its own top left and its texts fitted.
PlacedBand Layouter::place(const ReportBand& band, const DataRow& at) {
    PlacedBand placed{band.kind, band.height, {}};
    for (const ReportItem& item : band.items) {
        if (!shown(item, at)) {
            continue;
        }
        const QList<TextPiece> pieces = expand(item.source, item.format, at);
        const QString text = joined(pieces);
        if (item.kind == ItemKind::Picture && text.isEmpty()) {
            continue;
        }
        if (item.kind == ItemKind::Picture && !QFileInfo::exists(text)) {
            throw ReportError(kMissingPicture.arg(QFileInfo(text).fileName(), m_report.title), text);
        }
        placed.items << PlacedItem{item.kind, item.rect, text, &item, {}, pieces};
    }
    if (band.grow) {
        grow(placed, m_report.font);
    }
    for (PlacedItem& item : placed.items) {
        if (item.kind == ItemKind::Text && !hasPageMarks(item.text)) {
            fit(item, m_report.font);
        }
    }
    return placed;
}

void Layouter::put(PlacedBand band) {
    translate(band, m_report.margins.left(), m_y);
    m_y += band.height;
    m_pages.last().bands << std::move(band);
}

// A title or summary goes whole on one page: one taller than a page's room is refused.
void Layouter::add(const ReportBand& band, const DataRow& at) {
    PlacedBand placed = place(band, at);
    if (placed.height > m_bottom - m_report.margins.top() + kTolerance) {
        refuseNoRoom(kBandNeeds.arg(kOnceBandNames.value(band.kind), mm(placed.height), mm(footerHeight())));
    }
    if (m_y + placed.height > m_bottom + kTolerance && !atPageTop()) {
        newPage();
    }
    put(std::move(placed));
}

// A row that does not fit moves whole to the next page, under the header repeated there; one taller than
// a page is split and goes on over the next pages, starting where its first part fits. An empty list still
// shows its header. Every pass places the row, or a part of it holding a line of each text that goes on, or
// leaves a page that holds something else; a page holding nothing else that takes neither is refused.
void Layouter::placeDetails(const ReportBand& detail) {
    const ReportBand* header = firstBand(BandKind::Header);
    const PlacedBand headerBand = header ? place(*header, {connection(header->data), 0}) : PlacedBand{};
    qsizetype headedPage = 0;
    const double pageRoom = m_bottom - m_report.margins.top() - headerBand.height;
    const auto needsHeader = [&] { return header && headedPage != m_pages.size(); };
    const auto putUnderHeader = [&](PlacedBand band) {
        for (;;) {
            const double room = m_bottom - m_y - (needsHeader() ? headerBand.height : 0);
            const bool whole = band.height <= room + kTolerance;
            const double need = firstPartNeed(band, detail.height);
            if (!whole && !(band.height > pageRoom + kTolerance && need <= room + kTolerance)) {
                if (atPageTop()) {
                    refuseNoRoomForRows(headerBand.height, need);
                }
                newPage();
                continue;
            }
            if (needsHeader()) {
                put(headerBand);
                headedPage = m_pages.size();
            }
            if (whole) {
                put(std::move(band));
                return;
            }
            BandParts parts = split(band, room);
            put(std::move(parts.first));
            band = std::move(parts.rest);
            newPage();
        }
    };
    ReportData* data = connection(detail.data);
    const int rows = data ? data->rowCount() : 0;
    for (int row = 0; row < rows; ++row) {
        putUnderHeader(place(detail, {data, row}));
    }
    if (rows == 0) {
        putUnderHeader(PlacedBand{});
    }
}

void Layouter::placeFooters() {
    const ReportBand* footer = firstBand(BandKind::Footer);
    if (!footer) {
        return;
    }
    PlacedBand placed = place(*footer, {connection(footer->data), 0});
    translate(placed, m_report.margins.left(), m_report.pageSize.height() - m_report.margins.bottom() - placed.height);
    for (ReportPage& page : m_pages) {
        page.bands << placed;
    }
}

void Layouter::numberPages() {
    const QString pages = QString::number(m_pages.size());
    for (int i = 0; i < m_pages.size(); ++i) {
        const QString page = QString::number(i + 1);
        for (PlacedBand& band : m_pages[i].bands) {
            for (PlacedItem& item : band.items) {
                if (!hasPageMarks(item.text)) {
                    continue;
                }
                for (TextPiece& piece : item.pieces) {
                    piece.text.replace(kPageMark, page).replace(kPagesMark, pages);
                }
                item.text = joined(item.pieces);
                item.lines = {};
                fit(item, m_report.font);
            }
        }
    }
}

QList<ReportPage> Layouter::run() {
    m_bottom = m_report.pageSize.height() - m_report.margins.bottom() - footerHeight();
    newPage();
    for (const ReportBand& band : m_report.bands) {
        if (band.kind == BandKind::Title) {
            add(band, {connection(band.data), 0});
        }
    }
    if (const ReportBand* detail = firstBand(BandKind::Detail)) {
        placeDetails(*detail);
    }
    for (const ReportBand& band : m_report.bands) {
        if (band.kind == BandKind::Summary) {
            add(band, {connection(band.data), 0});
        }
    }
    placeFooters();
    numberPages();
    return m_pages;
}

}  // namespace

QList<ReportDefinition> readReportProject(const QString& file) {
    QFile source(file);
    const QString name = QFileInfo(file).fileName();
    if (!source.exists()) {
        throw ReportError(kMissingProject + QLatin1Char('\r') + file + QLatin1Char('\r') + kNoProjectFile.arg(name),
                          file);
    }
    if (!source.open(QIODevice::ReadOnly)) {
        throw ReportError(kProjectUnreadable.arg(name), file + QLatin1Char('\n') + source.errorString());
    }
    QXmlStreamReader xml(&source);
    QList<ReportDefinition> reports;
    if (xml.readNextStartElement() && xml.name() == QLatin1String("project")) {
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("report")) {
                reports << readReport(xml);
                reports.last().file = file;
            } else {
                xml.skipCurrentElement();
            }
        }
    }
    if (xml.hasError() || reports.isEmpty()) {
        const QString reason =
            xml.hasError() ? xml.errorString() : QStringLiteral("в <project> нет ни одного <report>");
        throw ReportError(kProjectDamaged.arg(name), QStringLiteral("%1, строка %2, столбец %3: %4")
                                                         .arg(file)
                                                         .arg(xml.lineNumber())
                                                         .arg(xml.columnNumber())
                                                         .arg(reason));
    }
    return reports;
}

QList<ReportPage> layoutReport(const ReportDefinition& report, const QMap<QString, QString>& params,
                               const QMap<QString, ReportData*>& data) {
    return Layouter(report, params, data).run();
}
