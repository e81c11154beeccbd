#pragma once

#include <QVariant>

class Database;

// The complex's parameters in tParApl by code: below 51 a date-time, up to 100 a number, above that a
// text. A missing code reads as an empty text or the integer 0; found says whether the code is stored.
QVariant ReadParApl(Database& db, int code, bool* found = nullptr);
// Stores the value under its code, adding the code when the database lacks it.
void WriteParApl(Database& db, int code, const QVariant& value);
