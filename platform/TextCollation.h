#pragma once

#include <QString>

struct sqlite3;

// Name of the collation the schema gives to every text column.
inline constexpr char kTextCollation[] = "RUNOCASE";

// Compares texts without regard to letter case, Cyrillic as Latin, in alphabetical order with Ё
// right after Е. Answers <0, 0 or >0.
int compareText(const QString& a, const QString& b);

// LIKE with % and _ that ignores letter case the same way.
bool likeText(const QString& pattern, const QString& text, QChar escape = QChar());

// Registers the collation and the matching like() on one SQLite connection.
bool registerTextFunctions(sqlite3* handle);
