#pragma once

#include <QString>

class Database;
class QLineEdit;

// A record that is a name and a line of extra text, edited in two line edits. The statements take the
// record's ID as %1; the writes bind :pName and :pInfo.
struct NameInfoRecord {
    QString selectSql;
    QString insertSql;
    QString updateSql;
    QString nameField;
};

// Fills the edits from the stored record with that ID; a new record (ID below 1) leaves them as they are.
void loadNameInfo(Database& db, const NameInfoRecord& record, int id, QLineEdit* name, QLineEdit* info);
// Inserts the edits' texts as a new record (ID below 1) or writes them over the one with that ID; throws
// RecordGone when that one was deleted meanwhile.
void saveNameInfo(Database& db, const NameInfoRecord& record, int id, const QLineEdit* name, const QLineEdit* info);
