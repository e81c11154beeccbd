#include "common/ParAplStore.h"

#include "platform/Database.h"

namespace {

const QString SELECT_PAR_SQL = QStringLiteral("SELECT * FROM tParApl WHERE (ParKod=%1);");
const QString UPDATE_PAR_SQL = QStringLiteral("UPDATE tParApl SET %1 WHERE ParKod=%2;");
const QString INSERT_PAR_SQL = QStringLiteral("INSERT INTO tParApl (ParKod, %1) VALUES (%2, %3);");

// A code's value column and parameter, chosen by its range.
struct ParColumn {
    QString column;
    QString param;
    FieldType type;
};

ParColumn parColumn(int code) {
    if (code < 51) {
        return {QStringLiteral("snachDT"), QStringLiteral("pDateTimeDoc"), FieldType::DateTime};
    }
    if (code <= 100) {
        return {QStringLiteral("snachInt"), QStringLiteral("pInt"), FieldType::Float};
    }
    return {QStringLiteral("snachStr"), QStringLiteral("pStr"), FieldType::String};
}

}  // namespace

QVariant ReadParApl(Database& db, int code, bool* found) {
    SqlQuery query(db);
    query.exec(SELECT_PAR_SQL.arg(code));
    const bool stored = query.next();
    if (found) {
        *found = stored;
    }
    const ParColumn par = parColumn(code);
    if (!stored) {
        // A missing text would otherwise show, print and be saved back as "0".
        return par.type == FieldType::String ? QVariant(QString()) : QVariant(0);
    }
    if (par.type == FieldType::DateTime) {
        return query.asDateTime(par.column);
    }
    if (par.type == FieldType::Float) {
        return query.asFloat(par.column);
    }
    return query.asString(par.column);
}

void WriteParApl(Database& db, int code, const QVariant& value) {
    const ParColumn par = parColumn(code);
    SqlQuery command(db);
    command.addParam(par.param, par.type, value);
    Transaction transaction(db);  // another workstation may add the code between look-up and write
    bool found = false;
    ReadParApl(db, code, &found);
    const QString placeholder = QLatin1Char(':') + par.param;
    if (found) {
        command.exec(UPDATE_PAR_SQL.arg(par.column + QLatin1Char('=') + placeholder).arg(code));
    } else {
        command.exec(INSERT_PAR_SQL.arg(par.column).arg(code).arg(placeholder));
    }
    transaction.commit();
}
