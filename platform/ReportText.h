#pragma once

#include <QFont>
#include <QList>
#include <QSizeF>
#include <QStringList>

// A piece of a printed text: written in the layout (a label) or brought by a reference (a value).
struct TextPiece {
    QString text;
    bool value = false;
};

QString joined(const QList<TextPiece>& pieces);

// A text broken into the lines it prints as, at the size it prints with; lengths in millimetres.
struct TextLines {
    QStringList lines;  // joined, they give the printed text back
    double pointSize = 0;
    double lineHeight = 0;
    double width = 0;  // of the widest line
    double height() const { return lines.size() * lineHeight; }
};

QFont reportFont(const QString& family, double pointSize, bool bold, bool italic);

// The lines of a text; a wrapping text breaks into as many lines as the width needs.
TextLines breakText(const QString& text, const QFont& font, double widthMm, bool wrap);

// Fits a text into a box that cannot grow: the font shrinks step by step down to minSize, then the
// values are cut, the last first, and end with "…", so labels stay whole while anything can.
TextLines fitText(QList<TextPiece> pieces, QFont font, double minSize, const QSizeF& boxMm, bool wrap);
