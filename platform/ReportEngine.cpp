#include "platform/ReportEngine.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QSqlError>
#include <QSqlRecord>

#include <algorithm>

#include "platform/Database.h"
#include "platform/FileReplace.h"
#include "platform/LocaleFormat.h"
#include "platform/PictureFile.h"
#include "platform/RtfWriter.h"
#include "platform/UiSeam.h"

const QString ReportEngine::kOutputTitle = QStringLiteral("Параметры вывода");

namespace {

const QString kPrinterTitle = QStringLiteral("Настройка принтера");
const QString kReportNotInProject =
    QStringLiteral("В файле отчета «%1» нет отчета «%2».\rОбратитесь к администратору, чтобы исправить файл отчета.");
const QString kPrinterFailed =
    QStringLiteral("Не удается начать печать на принтере «%1».\rПроверьте принтер и повторите печать.");

const QString kReplaceFile = QStringLiteral("Файл «%1» уже существует.\rЗаменить его?");
constexpr int kResolution = 1200;  // as QPrinter::HighResolution gives a PDF

// Files go where the person put the last one in this run; the first into the home folder.
QString& lastOutputFolder() {
    static QString folder = QDir::homePath();
    return folder;
}

// A preview, or a file under the report's name and today's date in the first format offered.
ReportOutput proposedOutput(const QString& title, const QStringList& formats) {
    static const QRegularExpression kUnfit(QStringLiteral("[\\\\/:*?\"<>|]"));
    const QString name = QString(title).replace(kUnfit, QStringLiteral("_")) + QLatin1Char(' ') +
                         shortDateText(QDate::currentDate()) + QLatin1Char('.') + formats.value(0).toLower();
    return {ReportOutput::Kind::Preview, formats.value(0), QDir(lastOutputFolder()).filePath(name)};
}

// A file that exists is replaced only when the person agrees; otherwise the choice is asked again, as it
// was made.
ReportOutput chooseOutput(QWidget* parent, const QStringList& formats, ReportOutput proposal) {
    for (;;) {
        const ReportOutput output = Ui().chooseReportOutput(parent, ReportEngine::kOutputTitle, formats, proposal);
        if (output.kind != ReportOutput::Kind::File) {
            return output;
        }
        const QFileInfo file(output.path);
        if (!file.exists() || askYesNo(parent, kReplaceFile.arg(file.fileName())) == Answer::Yes) {
            return output;
        }
        proposal = output;
    }
}

// The preview opens over most of the screen, showing a whole card or the width of a list's page.
void fitPreview(QPrintPreviewDialog& preview, const QSizeF& pageSize) {
    if (const QScreen* screen = preview.screen()) {
        preview.resize(screen->availableGeometry().size() * 0.85);
    }
    const QString fit =
        pageSize.width() > pageSize.height() ? QStringLiteral("fitPageAction") : QStringLiteral("fitWidthAction");
    if (auto* action = preview.findChild<QAction*>(fit)) {
        action->trigger();
    }
}

}  // namespace

int CustomReportData::rowCount() {
    if (!m_rowCount) {
        m_rowCount = onOpen ? onOpen() : 0;
    }
    return *m_rowCount;
}

QStringList CustomReportData::columns() {
    if (!m_columns) {
        m_columns = QStringList();
        for (const ReportField& field : onGetCols ? onGetCols() : QList<ReportField>()) {
            m_columns->append(field.name);
        }
    }
    return *m_columns;
}

QString CustomReportData::value(int row, int column) {
    if (row != m_row) {
        m_values = onGetRow ? onGetRow(row) : QStringList();
        m_row = row;
    }
    return m_values.value(column);
}

void QueryReportData::read() {
    if (m_read) {
        return;
    }
    if (!m_query.isActive() && !m_query.exec()) {
        throw DbError(m_query.lastError().text().trimmed(), m_query.lastQuery(), Q_FUNC_INFO);
    }
    const QSqlRecord record = m_query.record();
    for (int i = 0; i < record.count(); ++i) {
        m_columns << record.fieldName(i);
    }
    while (m_query.next()) {
        QStringList row;
        for (int i = 0; i < record.count(); ++i) {
            row << m_query.value(i).toString();
        }
        m_rows << row;
    }
    m_query.finish();
    m_read = true;
}

int QueryReportData::rowCount() {
    read();
    return m_rows.size();
}

QStringList QueryReportData::columns() {
    read();
    return m_columns;
}

QString QueryReportData::value(int row, int column) {
    read();
    return m_rows.value(row).value(column);
}

void ReportEngine::setProjectFile(const QString& file) {
    m_projectFile = file;
    m_reports.clear();
}

bool ReportEngine::selectReport(const QString& name) {
    if (m_reports.isEmpty()) {
        m_reports = readReportProject(m_projectFile);
    }
    m_selected = name;
    return std::any_of(m_reports.cbegin(), m_reports.cend(),
                       [&name](const ReportDefinition& report) { return report.name == name; });
}

const ReportDefinition& ReportEngine::selected() const {
    for (const ReportDefinition& report : m_reports) {
        if (report.name == m_selected) {
            return report;
        }
    }
    throw ReportError(kReportNotInProject.arg(QFileInfo(m_projectFile).fileName(), m_selected),
                      QStringLiteral("Отчета «%1» нет в файле %2").arg(m_selected, m_projectFile));
}

QList<ReportPage> ReportEngine::layout() const {
    return layoutReport(selected(), m_params, m_data);
}

bool ReportEngine::execute(QWidget* parent) {
    const QList<ReportPage> pages = layout();
    const QString title = selected().title.isEmpty() ? m_previewTitle : selected().title;
    const ReportOutput output = chooseOutput(parent, m_formats, proposedOutput(title, m_formats));
    switch (output.kind) {
        case ReportOutput::Kind::Cancel:
            return false;
        case ReportOutput::Kind::File:
            if (output.format == QLatin1String("RTF")) {
                writeRtf(output.path, pages);
            } else {
                writePdf(output.path, pages);
            }
            // Only a folder that took the file is proposed again.
            lastOutputFolder() = QFileInfo(output.path).absolutePath();
            return true;
        case ReportOutput::Kind::Preview: {
            QPrinter printer(QPrinter::HighResolution);
            preparePrinter(printer);
            QPrintPreviewDialog preview(&printer, parent);
            preview.setWindowTitle(m_previewTitle);
            fitPreview(preview, selected().pageSize);
            QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                             [this, &pages](QPrinter* target) { paint(*target, target->resolution(), pages); });
            execModal(preview);
            return true;
        }
        case ReportOutput::Kind::Printer: {
            QPrinter printer(QPrinter::HighResolution);
            preparePrinter(printer);
            QPrintDialog dialog(&printer, parent);
            dialog.setWindowTitle(kPrinterTitle);
            if (execModal(dialog) != QDialog::Accepted) {
                return false;
            }
            if (!paint(printer, printer.resolution(), pages)) {
                throw ReportError(kPrinterFailed.arg(printer.printerName()), printer.printerName());
            }
            return true;
        }
    }
    return false;
}

// Every output paints the page exactly, without the printer's own margins.
void ReportEngine::preparePrinter(QPrinter& printer) const {
    printer.setDocName(selected().title);
    printer.setFullPage(true);
    printer.setPageLayout(pageLayout());
}

QPageLayout ReportEngine::pageLayout() const {
    const ReportDefinition& report = selected();
    const QSizeF size = report.pageSize;
    const bool landscape = size.width() > size.height();
    return QPageLayout(
        QPageSize(landscape ? size.transposed() : size, QPageSize::Millimeter, report.title, QPageSize::ExactMatch),
        landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter);
}

namespace {

// Draws the lines the layout broke the text into, centred as a block in the item's box.
void paintText(QPainter& painter, const PlacedItem& item, const QRectF& rect, const QString& family, double scale) {
    const ReportItem& style = *item.style;
    painter.setFont(reportFont(family, item.lines.pointSize, style.bold, style.italic));
    painter.setPen(style.color);
    const double lineHeight = item.lines.lineHeight * scale;
    QRectF line(rect.left(), rect.center().y() - lineHeight * item.lines.lines.size() / 2, rect.width(), lineHeight);
    const int flags = int(style.align & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextDontClip;
    for (const QString& text : item.lines.lines) {
        painter.drawText(line, flags, text.trimmed());
        line.translate(0, lineHeight);
    }
}

void paintItem(QPainter& painter, const PlacedItem& item, const QString& family, double scale) {
    const ReportItem& style = *item.style;
    const QRectF rect(item.rect.x() * scale, item.rect.y() * scale, item.rect.width() * scale,
                      item.rect.height() * scale);
    QPen pen(style.color, style.pen * scale);
    painter.setPen(style.pen > 0 ? pen : QPen(Qt::NoPen));
    painter.setBrush(style.fill.isValid() ? QBrush(style.fill) : QBrush(Qt::NoBrush));
    switch (item.kind) {
        case ItemKind::Line:
            painter.drawLine(rect.topLeft(), rect.bottomRight());
            break;
        case ItemKind::Frame:
            painter.drawRect(rect);
            break;
        case ItemKind::Picture: {
            const QImage image = readPictureOrNull(item.text);
            if (image.isNull()) {
                break;
            }
            QRectF target = rect;
            if (style.format != QLatin1String("stretch")) {
                const QSizeF fitted = QSizeF(image.size()).scaled(rect.size(), Qt::KeepAspectRatio);
                target = QRectF(QPointF(), fitted);
                target.moveCenter(rect.center());
            }
            painter.drawImage(target, image);
            break;
        }
        case ItemKind::Text:
            paintText(painter, item, rect, family, scale);
            break;
    }
}

}  // namespace

bool ReportEngine::paint(QPagedPaintDevice& device, int resolution, const QList<ReportPage>& pages) const {
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const double scale = resolution / 25.4;
    const QString family = selected().font;
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0) {
            device.newPage();
        }
        for (const PlacedBand& band : pages[i].bands) {
            for (const PlacedItem& item : band.items) {
                paintItem(painter, item, family, scale);
            }
        }
    }
    return true;
}

// The PDF is made in memory, so that it reaches the disk through the one writer of files, every write checked.
void ReportEngine::writePdf(const QString& path, const QList<ReportPage>& pages) const {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setTitle(selected().title);
        writer.setResolution(kResolution);
        writer.setPageLayout(pageLayout());
        if (!paint(writer, kResolution, pages)) {
            failFileWrite(path, QStringLiteral("документ PDF не удается начать"));
        }
    }
    replaceFile(path, pdf.data(), ShutFolder::WriteInPlace);
}

namespace {

QList<PlacedItem> textsInOrder(const PlacedBand& band) {
    QList<PlacedItem> texts;
    std::copy_if(band.items.cbegin(), band.items.cend(), std::back_inserter(texts),
                 [](const PlacedItem& item) { return item.kind == ItemKind::Text; });
    std::stable_sort(texts.begin(), texts.end(), [](const PlacedItem& a, const PlacedItem& b) {
        return qFuzzyCompare(a.rect.y(), b.rect.y()) ? a.rect.x() < b.rect.x() : a.rect.y() < b.rect.y();
    });
    return texts;
}

}  // namespace

// Header and detail bands become table rows (one cell per text), the other bands paragraphs; page
// footers, the repeated headers and the rests of rows split over pages are left out, as the text flows
// without pages.
void ReportEngine::writeRtf(const QString& path, const QList<ReportPage>& pages) const {
    const ReportDefinition& report = selected();
    RtfWriter rtf(report.pageSize, report.margins, report.font);
    bool headerWritten = false;
    for (const ReportPage& page : pages) {
        for (const PlacedBand& band : page.bands) {
            const QList<PlacedItem> texts = textsInOrder(band);
            const bool isRow = band.kind == BandKind::Detail || band.kind == BandKind::Header;
            if (band.kind == BandKind::Footer || (band.kind == BandKind::Header && headerWritten) || band.continued ||
                texts.isEmpty()) {
                continue;
            }
            headerWritten = headerWritten || band.kind == BandKind::Header;
            QList<RtfCell> cells;
            for (const PlacedItem& item : texts) {
                if (isRow) {
                    cells << RtfCell{item.text, item.rect.right() - report.margins.left(), item.style->bold,
                                     item.style->align};
                } else if (!item.text.trimmed().isEmpty()) {
                    rtf.addParagraph(item.text, item.style->fontSize, item.style->bold, item.style->align);
                }
            }
            if (isRow) {
                rtf.addTableRow(cells, texts.first().style->fontSize);
            }
        }
    }
    replaceFile(path, rtf.document(), ShutFolder::WriteInPlace);
}
