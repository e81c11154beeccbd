#pragma once

#include <QList>
#include <QMarginsF>
#include <QSizeF>
#include <QString>

// One cell of a table row: its text and right edge in millimetres from the left margin.
struct RtfCell {
    QString text;
    double rightMm = 0;
    bool bold = false;
    Qt::Alignment align = Qt::AlignLeft;
};

// Writes a plain RTF document of paragraphs and table rows in code page 1251; every non-ASCII character
// is written as a Unicode escape followed by its code-page byte, which readers without Unicode show.
class RtfWriter {
  public:
    RtfWriter(const QSizeF& pageMm, const QMarginsF& marginsMm, const QString& font);

    void addParagraph(const QString& text, double pointSize, bool bold, Qt::Alignment align);
    void addTableRow(const QList<RtfCell>& cells, double pointSize);
    QByteArray document() const;

    static QByteArray escaped(const QString& text);

  private:
    QByteArray m_body;
    QByteArray m_head;
};
