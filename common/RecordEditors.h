#pragma once

#include <functional>
#include <memory>

class Database;
class QDialog;
class QWidget;

// The records a form may add through an editor of another subsystem.
enum class NewRecordKind { Client, Org };

// Makes the editor of a new record, loaded and ready to show. The shell registers one per kind at
// start-up, so that the card and reservation forms open these editors without depending on them.
using NewRecordEditor = std::function<std::unique_ptr<QDialog>(Database& db, QWidget* parent)>;

void RegisterNewRecordEditor(NewRecordKind kind, NewRecordEditor make);
// The editor of a new record of that kind; none when the shell registered none.
std::unique_ptr<QDialog> NewRecordEditorFor(NewRecordKind kind, Database& db, QWidget* parent);
