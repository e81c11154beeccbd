#include "common/RecordEditors.h"

#include <QDialog>
#include <QHash>

namespace {

QHash<NewRecordKind, NewRecordEditor>& registry() {
    static QHash<NewRecordKind, NewRecordEditor> editors;
    return editors;
}

}  // namespace

void RegisterNewRecordEditor(NewRecordKind kind, NewRecordEditor make) {
    registry().insert(kind, std::move(make));
}

std::unique_ptr<QDialog> NewRecordEditorFor(NewRecordKind kind, Database& db, QWidget* parent) {
    const NewRecordEditor make = registry().value(kind);
    return make ? make(db, parent) : nullptr;
}
