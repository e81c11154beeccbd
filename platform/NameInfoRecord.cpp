#include "platform/NameInfoRecord.h"

#include <QLineEdit>

#include "platform/Database.h"

void loadNameInfo(Database& db, const NameInfoRecord& record, int id, QLineEdit* name, QLineEdit* info) {
    if (id < 1) {
        return;
    }
    SqlQuery query(db);
    query.exec(record.selectSql.arg(id));
    if (query.next()) {
        name->setText(query.asString(record.nameField));
        info->setText(query.asString(QStringLiteral("info")));
    }
}

void saveNameInfo(Database& db, const NameInfoRecord& record, int id, const QLineEdit* name, const QLineEdit* info) {
    SqlQuery command(db);
    command.addParam(QStringLiteral("pName"), FieldType::String, name->text())
        .addParam(QStringLiteral("pInfo"), FieldType::String, info->text());
    if (id < 1) {
        command.exec(record.insertSql);
        return;
    }
    command.exec(record.updateSql.arg(id));
    requireChanged(command);
}
