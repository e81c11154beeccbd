#pragma once

#include <QColor>
#include <QList>
#include <QMap>
#include <QMarginsF>
#include <QRectF>
#include <QStringList>

#include "platform/AppError.h"
#include "platform/ReportText.h"

// A failure of the report engine: a missing project, report, field or picture.
class ReportError : public AppError {
  public:
    using AppError::AppError;
};

// A data connection as the engine reads it: a table of texts.
class ReportData {
  public:
    virtual ~ReportData() = default;
    virtual int rowCount() = 0;
    virtual QStringList columns() = 0;
    virtual QString value(int row, int column) = 0;
};

enum class ItemKind { Text, Line, Frame, Picture };
enum class BandKind { Title, Header, Detail, Summary, Footer };

// One item of a band as the project describes it; sizes in millimetres, fonts in points.
struct ReportItem {
    ItemKind kind = ItemKind::Text;
    QRectF rect;
    QString source;  // the text, or the picture's file name, with {Param} and [Field] references
    QString when;    // printed only when this expands to a text other than "" and "0"
    QString unless;  // printed only when this expands to "" or "0"
    QString format;  // how field values show: date, time, money
    double fontSize = 9;
    double minSize = 9;  // a text that does not fit its box shrinks down to this size
    bool bold = false;
    bool italic = false;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    bool wrap = false;
    double pen = 0.2;
    QColor color = Qt::black;
    QColor fill;  // a frame's filling; invalid: none
};

struct ReportBand {
    BandKind kind = BandKind::Detail;
    double height = 0;
    bool grow = false;  // grows to the lines of its wrapping texts
    QString data;       // the connection whose fields the band reads
    QList<ReportItem> items;
};

struct ReportDefinition {
    QString file;  // the project file, named when the layout is refused
    QString name;
    QString title;
    QString font;
    QSizeF pageSize;
    QMarginsF margins;
    QList<ReportBand> bands;
};

// An item placed on a page, every reference expanded.
struct PlacedItem {
    ItemKind kind = ItemKind::Text;
    QRectF rect;
    QString text;
    const ReportItem* style = nullptr;
    TextLines lines;          // how a text prints
    QList<TextPiece> pieces;  // a text's parts, kept until its page numbers are known
};

struct PlacedBand {
    BandKind kind = BandKind::Detail;
    double height = 0;
    QList<PlacedItem> items;
    // The rest of a row taller than a page; the row's first part holds its texts whole.
    bool continued = false;
};

struct ReportPage {
    QSizeF size;
    QList<PlacedBand> bands;
};

// Reads a project file; throws ReportError when it is missing or malformed.
QList<ReportDefinition> readReportProject(const QString& file);

// Lays a report out into pages. Detail bands repeat per row of their connection and break onto new
// pages (a row taller than a page goes on over the next ones), the header band repeats on top of each
// page's rows (an empty list still shows it), the footer closes every page. Texts are broken into lines and fitted to
// their boxes; page numbers are filled in once every page is laid out. A report whose page cannot hold its
// header, its footer and a row (or a row's first part) between them throws ReportError as a damaged project.
QList<ReportPage> layoutReport(const ReportDefinition& report, const QMap<QString, QString>& params,
                               const QMap<QString, ReportData*>& data);
