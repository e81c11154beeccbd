#include "platform/RtfWriter.h"

#include <QStringEncoder>

namespace {

const char* const kCodePage = "windows-1251";

// The character in the document's code page, for readers without Unicode; "?" when the page lacks it.
QByteArray fallback(QStringEncoder& codePage, QChar c) {
    const QByteArray encoded = codePage.encode(QStringView(&c, 1));
    const bool lacking = codePage.hasError() || encoded.size() != 1;
    codePage.resetState();
    return lacking ? QByteArray("?") : "\\'" + encoded.toHex();
}

int twips(double mm) {
    return qRound(mm * 1440 / 25.4);
}

QByteArray alignment(Qt::Alignment align) {
    if (align & Qt::AlignHCenter) {
        return "\\qc";
    }
    return align & Qt::AlignRight ? "\\qr" : "\\ql";
}

QByteArray fontSize(double pointSize) {
    return "\\fs" + QByteArray::number(qRound(pointSize * 2));
}

}  // namespace

RtfWriter::RtfWriter(const QSizeF& pageMm, const QMarginsF& marginsMm, const QString& font) {
    m_head = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset204 " + escaped(font) +
             ";}}\n\\paperw" + QByteArray::number(twips(pageMm.width())) + "\\paperh" +
             QByteArray::number(twips(pageMm.height())) + "\\margl" + QByteArray::number(twips(marginsMm.left())) +
             "\\margr" + QByteArray::number(twips(marginsMm.right())) + "\\margt" +
             QByteArray::number(twips(marginsMm.top())) + "\\margb" + QByteArray::number(twips(marginsMm.bottom())) +
             "\n";
}

QByteArray RtfWriter::escaped(const QString& text) {
    QStringEncoder codePage(kCodePage);
    QByteArray out;
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code == u'\\' || code == u'{' || code == u'}') {
            out += '\\';
            out += char(code);
        } else if (code == u'\n' || code == u'\r') {
            out += "\\line ";
        } else if (code >= 0x20 && code < 0x80) {
            out += char(code);
        } else {
            out += "\\u" + QByteArray::number(qint16(code)) + fallback(codePage, c);
        }
    }
    return out;
}

void RtfWriter::addParagraph(const QString& text, double pointSize, bool bold, Qt::Alignment align) {
    m_body +=
        "\\pard\\plain" + alignment(align) + fontSize(pointSize) + (bold ? "\\b " : " ") + escaped(text) + "\\par\n";
}

void RtfWriter::addTableRow(const QList<RtfCell>& cells, double pointSize) {
    QByteArray row = "\\trowd\\trgaph60";
    for (const RtfCell& cell : cells) {
        row +=
            "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10"
            "\\cellx" +
            QByteArray::number(twips(cell.rightMm));
    }
    row += "\n";
    // \plain goes before \intbl: some readers let it clear \intbl and take every cell for a table of its own.
    for (const RtfCell& cell : cells) {
        row += "\\pard\\plain\\intbl" + alignment(cell.align) + fontSize(pointSize) + (cell.bold ? "\\b " : " ") +
               escaped(cell.text) + "\\cell\n";
    }
    m_body += row + "\\row\n";
}

QByteArray RtfWriter::document() const {
    return m_head + m_body + "}\n";
}
