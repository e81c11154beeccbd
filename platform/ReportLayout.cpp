#include "platform/ReportLayout.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include "platform/LocaleFormat.h"

namespace {

// The engine's own words for a missing project stay in the details.
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

double number(const QXmlStreamAttributes& attributes, const char* name, double fallback = 0) {
    const QString text = attributes.value(QLatin1String(name)).toString();
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : fallback;
}

QString text(const QXmlStreamAttributes& attributes, const char* name) {
    return attributes.value(QLatin1String(name)).toString();
}

QMarginsF margins(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto at = [&parts](int i) { return parts.value(i).toDouble(); };
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
    QString expand(const QString& source, const QString& format, const DataRow& at);
    bool shown(const ReportItem& item, const DataRow& at);
    void newPage();
    bool fits(const ReportBand& band) const { return m_y + band.height <= m_bottom + 1e-6; }
    PlacedBand place(const ReportBand& band, const DataRow& at, double top);
    void add(const ReportBand& band, const DataRow& at);
    void placeDetails(const ReportBand& detail);
    void placeFooters();

    const ReportDefinition& m_report;
    const QMap<QString, QString>& m_params;
    const QMap<QString, ReportData*>& m_data;
    QMap<ReportData*, QStringList> m_columns;
    QList<ReportPage> m_pages;
    double m_y = 0;
    double m_bottom = 0;
    int m_page = 0;
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
        throw ReportError(
            kUnknownConnection.arg(m_report.title, name),
            QStringLiteral("data connection \"%1\" of report \"%2\" is not given").arg(name, m_report.name));
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
                          QStringLiteral("field [%1] is not among the fields of report \"%2\": %3")
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

QString Layouter::expand(const QString& source, const QString& format, const DataRow& at) {
    static const QRegularExpression reference(QStringLiteral("\\{([^}]+)\\}|\\[([^\\]]+)\\]"));
    QString result;
    qsizetype done = 0;
    for (auto it = reference.globalMatch(source); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        result += source.mid(done, match.capturedStart() - done);
        done = match.capturedEnd();
        const QString param = match.captured(1);
        if (param == QLatin1String("#Page")) {
            result += QString::number(m_page);
        } else if (param == QLatin1String("#Pages")) {
            result += QString::number(m_pages.size());
        } else if (param.startsWith(QLatin1Char('#'))) {
            result += aggregate(param);
        } else if (!param.isEmpty()) {
            result += m_params.value(param);
        } else if (at.data && at.row < at.data->rowCount()) {
            result += formatted(at.data->value(at.row, columnOf(at.data, match.captured(2))), format);
        }
    }
    return result + source.mid(done);
}

bool Layouter::shown(const ReportItem& item, const DataRow& at) {
    const auto isSet = [this, &at](const QString& condition) {
        const QString value = expand(condition, QString(), at).trimmed();
        return !value.isEmpty() && value != QLatin1String("0");
    };
    return (item.when.isEmpty() || isSet(item.when)) && (item.unless.isEmpty() || !isSet(item.unless));
}

void Layouter::newPage() {
    m_pages.append(ReportPage{m_report.pageSize, {}});
    m_page = m_pages.size();
    m_y = m_report.margins.top();
}

PlacedBand Layouter::place(const ReportBand& band, const DataRow& at, double top) {
    PlacedBand placed{band.kind, {}};
    for (const ReportItem& item : band.items) {
        if (!shown(item, at)) {
            continue;
        }
        const QString text = expand(item.source, item.format, at);
        if (item.kind == ItemKind::Picture && text.isEmpty()) {
            continue;
        }
        if (item.kind == ItemKind::Picture && !QFileInfo::exists(text)) {
            throw ReportError(kMissingPicture.arg(QFileInfo(text).fileName(), m_report.title), text);
        }
        placed.items << PlacedItem{item.kind, item.rect.translated(m_report.margins.left(), top), text, &item};
    }
    return placed;
}

void Layouter::add(const ReportBand& band, const DataRow& at) {
    if (!fits(band)) {
        newPage();
    }
    m_pages.last().bands << place(band, at, m_y);
    m_y += band.height;
}

void Layouter::placeDetails(const ReportBand& detail) {
    const ReportBand* header = firstBand(BandKind::Header);
    ReportData* data = connection(detail.data);
    const int rows = data ? data->rowCount() : 0;
    int headerPage = 0;
    for (int row = 0; row < rows; ++row) {
        const double headerHeight = header && headerPage != m_page ? header->height : 0;
        if (m_y + headerHeight + detail.height > m_bottom + 1e-6) {
            newPage();
        }
        if (header && headerPage != m_page) {
            add(*header, {connection(header->data), 0});
            headerPage = m_page;
        }
        add(detail, {data, row});
    }
}

void Layouter::placeFooters() {
    const ReportBand* footer = firstBand(BandKind::Footer);
    for (int i = 0; footer && i < m_pages.size(); ++i) {
        m_page = i + 1;
        const double top = m_report.pageSize.height() - m_report.margins.bottom() - footer->height;
        m_pages[i].bands << place(*footer, {connection(footer->data), 0}, top);
    }
}

QList<ReportPage> Layouter::run() {
    const ReportBand* footer = firstBand(BandKind::Footer);
    m_bottom = m_report.pageSize.height() - m_report.margins.bottom() - (footer ? footer->height : 0);
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
    return m_pages;
}

}  // namespace

QList<ReportDefinition> readReportProject(const QString& file) {
    QFile source(file);
    const QString name = QFileInfo(file).fileName();
    if (!source.exists()) {
        throw ReportError(kNoProjectFile.arg(name), kMissingProject + QLatin1Char('\n') + file);
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
            } else {
                xml.skipCurrentElement();
            }
        }
    }
    if (xml.hasError() || reports.isEmpty()) {
        const QString reason = xml.hasError() ? xml.errorString() : QStringLiteral("no <report> in <project>");
        throw ReportError(kProjectDamaged.arg(name), QStringLiteral("%1, line %2, column %3: %4")
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
