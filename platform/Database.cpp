#include "platform/Database.h"

#include <QAtomicInt>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

#include <cmath>
#include <limits>

#include "platform/FileLock.h"
#include "platform/TextCollation.h"

namespace {

constexpr int kBusyTimeoutMs = 8000;
// Rows sampled per index when measuring: enough for the planner, quick on a big file.
constexpr int kAnalysisRows = 2000;
const QString HAS_STATISTICS_TABLE_SQL = QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name='sqlite_stat1'");
const QString HAS_STATISTICS_SQL = QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM sqlite_stat1 LIMIT 1)");
const QString ANALYSIS_LIMIT_SQL = QStringLiteral("PRAGMA analysis_limit=%1");
const QString ANALYZE_SQL = QStringLiteral("ANALYZE");
const QString OPTIMIZE_SQL = QStringLiteral("PRAGMA optimize");
const QString RECORD_EXISTS_SQL = QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1 WHERE ID=%2)");
const QString kStorageFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString nextConnectionName() {
    static QAtomicInt counter;
    return QStringLiteral("velorma_%1").arg(counter.fetchAndAddRelaxed(1));
}

constexpr int kQuotedValueLimit = 40;
constexpr int kFirstYear = 1;
constexpr int kLastYear = 9999;

// The value as quoted in a message: long texts are cut, so that the message stays readable.
QString quoted(const QVariant& value) {
    const QString text = value.toString();
    return text.size() <= kQuotedValueLimit ? text : text.left(kQuotedValueLimit) + QStringLiteral("…");
}

[[noreturn]] void failConversion(const QVariant& value, const char* typeName) {
    throw DbError(
        QStringLiteral("Значение \"%1\" не подходит: нужно %2.").arg(quoted(value), QString::fromUtf8(typeName)));
}

bool isNumeric(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Bool:
            return true;
        default:
            return false;
    }
}

// Text typed by a person: the workstation's form first, then the C form.
bool parseNumber(const QString& text, double* out) {
    bool ok = false;
    const QString trimmed = text.trimmed();
    *out = QLocale().toDouble(trimmed, &ok);
    if (!ok) {
        *out = QLocale::c().toDouble(trimmed, &ok);
    }
    return ok;
}

QDateTime parseDateTimeText(const QString& text) {
    const QString t = text.trimmed();
    for (const QString& format : {kStorageFormat, QStringLiteral("yyyy-MM-dd")}) {
        const QDateTime dt = QDateTime::fromString(t, format);
        if (dt.isValid()) {
            return dt;
        }
    }
    const QLocale locale;
    const QDateTime full = locale.toDateTime(t, locale.dateFormat(QLocale::ShortFormat) + QStringLiteral(" HH:mm:ss"));
    if (full.isValid()) {
        return full;
    }
    const QDate date = locale.toDate(t, QLocale::ShortFormat);
    if (date.isValid()) {
        return QDateTime(date, QTime(0, 0));
    }
    const QTime time = QTime::fromString(t, QStringLiteral("H:mm:ss"));
    if (time.isValid()) {
        return QDateTime(kZeroDate, time);
    }
    return QDateTime();
}

QDateTime anyDateTime(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::QDateTime:
            return value.toDateTime();
        case QMetaType::QDate:
            return QDateTime(value.toDate(), QTime(0, 0));
        case QMetaType::QTime:
            return value.toTime().isValid() ? QDateTime(kZeroDate, value.toTime()) : QDateTime();
        default:
            return parseDateTimeText(value.toString());
    }
}

// Only years the storage form can hold and sort: 1 to 9999.
QDateTime toDateTimeValue(const QVariant& value, const char* typeName) {
    const QDateTime result = anyDateTime(value);
    if (!result.isValid() || result.date().year() < kFirstYear || result.date().year() > kLastYear) {
        failConversion(value, typeName);
    }
    return result;
}

// Integers are 32-bit, as the old engine's: a card number, a count, an ID.
QVariant toInteger(const QVariant& value) {
    double number = 0;
    bool ok = false;
    if (isNumeric(value)) {
        number = std::round(value.toDouble());
        ok = true;
    } else {
        number = double(value.toString().trimmed().toLongLong(&ok));
    }
    if (!ok || !(number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max())) {
        failConversion(value, "целое число от -2147483648 до 2147483647");
    }
    return int(number);
}

double finiteNumber(const QVariant& value, const char* typeName) {
    double number = 0;
    if (isNumeric(value)) {
        number = value.toDouble();
    } else if (!parseNumber(value.toString(), &number)) {
        failConversion(value, typeName);
    }
    if (!std::isfinite(number)) {
        failConversion(value, typeName);
    }
    return number;
}

QVariant toFloat(const QVariant& value) {
    return finiteNumber(value, "число");
}

QVariant toBoolean(const QVariant& value) {
    const QString text = value.toString().trimmed().toLower();
    if (!isNumeric(value) && text == QLatin1String("true")) {
        return 1;
    }
    if (!isNumeric(value) && text == QLatin1String("false")) {
        return 0;
    }
    return finiteNumber(value, "1 или 0") != 0 ? 1 : 0;
}

// The driver binds a null QString as SQL NULL; a text parameter always stores text, even empty.
QVariant nonNullText(const QString& text) {
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

sqlite3* sqliteHandle(const QSqlDriver* driver) {
    const QVariant v = driver ? driver->handle() : QVariant();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0) {
        return *static_cast<sqlite3* const*>(v.constData());
    }
    return nullptr;
}

QString describe(const QSqlQuery& query) {
    return query.lastError().text().trimmed();
}

// Runs a one-number statement to its end.
bool isAnswerNonZero(QSqlQuery& query, const QString& sql) {
    const bool nonZero = query.exec(sql) && query.next() && query.value(0).toInt() != 0;
    query.finish();
    return nonZero;
}

const QByteArray kSqliteMagic("SQLite format 3\0", 16);
constexpr int kHeaderSize = 100;
const QString kReadOnlyFile = QStringLiteral("Файл базы данных доступен только для чтения.");
const QString kOpenElsewhere = QStringLiteral(
    "База открыта на другом рабочем месте, а монопольно открыть её можно, только когда она не открыта больше нигде.");
const QString kOpenExclusiveElsewhere = QStringLiteral("База открыта монопольно на другом рабочем месте.");

quint32 headerNumber(const QByteArray& header, int offset, int size) {
    quint32 n = 0;
    for (int i = 0; i < size; ++i) {
        n = (n << 8) | quint8(header[offset + i]);
    }
    return n;
}

// An empty file passes: it is a database without tables. A file shorter than its header promises
// is a half copy.
QString headerProblem(const QString& file, qint64 size) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        return QStringLiteral("Файл базы данных не читается.");
    }
    const QByteArray header = f.read(kHeaderSize);
    if (header.isEmpty()) {
        return QString();
    }
    if (header.size() < kHeaderSize || !header.startsWith(kSqliteMagic)) {
        return QStringLiteral("Файл не является базой данных SQLite.");
    }
    const quint32 rawPageSize = headerNumber(header, 16, 2);
    const qint64 pageSize = rawPageSize == 1 ? 65536 : rawPageSize;
    const bool pageCountValid = headerNumber(header, 24, 4) == headerNumber(header, 92, 4);
    if (pageCountValid && pageSize * headerNumber(header, 28, 4) > size) {
        return QStringLiteral("Файл базы данных неполон (обрезан).");
    }
    return QString();
}

// The permission bits count too: a superuser may write anything, but the other workstations may not.
bool writable(const QFileInfo& info) {
    return info.isWritable() && (info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
}

// The folder must be writable too: the engine keeps its journal beside the file.
QString fileProblem(const QString& file) {
    const QFileInfo info(file);
    if (!info.isFile()) {
        return QStringLiteral("Файл базы данных не найден.");
    }
    const QString header = headerProblem(file, info.size());
    if (!header.isEmpty()) {
        return header;
    }
    if (!writable(info)) {
        return kReadOnlyFile;
    }
    if (!writable(QFileInfo(info.canonicalPath()))) {
        return QStringLiteral("Папка базы данных доступна только для чтения.");
    }
    return QString();
}

QString missingTables(const QSqlDatabase& db, const QStringList& required) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'"))) {
        return QStringLiteral("Файл не является базой данных SQLite или повреждён: ") + describe(query);
    }
    QStringList missing = required;
    while (query.next()) {
        missing.removeAll(query.value(0).toString());
    }
    return missing.isEmpty()
               ? QString()
               : QStringLiteral("В базе данных нет таблиц программы: ") + missing.join(QStringLiteral(", "));
}

}  // namespace

DbError::DbError(const QString& message, const QString& statement, const char* where)
    : std::runtime_error(message.toStdString()),
      m_message(message),
      m_statement(statement),
      m_where(QString::fromUtf8(where)) {}

QString DbError::text() const {
    return m_statement.isEmpty() ? m_message : m_message + QStringLiteral("\n\n") + m_statement;
}

// The engine's own words for SQLITE_BUSY and SQLITE_LOCKED, with which the driver's text begins.
bool DbError::busy() const {
    return !m_statement.isEmpty() && (m_message.startsWith(QLatin1String("database is locked")) ||
                                      m_message.startsWith(QLatin1String("database table is locked")));
}

// The engine's own words for SQLITE_FULL.
bool DbError::full() const {
    return !m_statement.isEmpty() && m_message.startsWith(QLatin1String("database or disk is full"));
}

Database::Database() : m_connectionName(nextConnectionName()) {}

Database::~Database() {
    close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool Database::open(const QString& file, Mode mode, const QStringList& requiredTables) {
    close();
    m_openError = fileProblem(file);
    if (m_openError.isEmpty()) {
        m_openError = connectChecked(QFileInfo(file).canonicalFilePath(), mode, requiredTables);
    }
    if (!m_openError.isEmpty()) {
        qWarning().noquote() << file << m_openError;
        close();
        return false;
    }
    return true;
}

// The lock is taken on the real path, so that a link elsewhere cannot open an exclusive base twice.
QString Database::connectChecked(const QString& file, Mode mode, const QStringList& requiredTables) {
    auto lock = std::make_unique<FileLock>();
    const QString lockFile = file + QStringLiteral(".lock");
    switch (lock->tryLock(lockFile, mode == Mode::Exclusive ? FileLock::Kind::Exclusive : FileLock::Kind::Shared)) {
        case FileLock::Outcome::Locked:
            break;
        case FileLock::Outcome::Unavailable:
            return QStringLiteral("Файл блокировки %1 недоступен.").arg(QDir::toNativeSeparators(lockFile));
        case FileLock::Outcome::HeldShared:
            return kOpenElsewhere;
        case FileLock::Outcome::HeldExclusive:
            return kOpenExclusiveElsewhere;
    }
    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
                          ? QSqlDatabase::database(m_connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db.open()) {
        return db.lastError().text();
    }
    sqlite3* handle = sqliteHandle(db.driver());
    if (!handle || !registerTextFunctions(handle)) {
        return QStringLiteral("Не удалось подключить функции сравнения текста.");
    }
    if (sqlite3_db_readonly(handle, "main") != 0) {
        return kReadOnlyFile;
    }
    const QString missing = missingTables(db, requiredTables);
    if (!missing.isEmpty()) {
        return missing;
    }
    m_lock = std::move(lock);
    return QString();
}

void Database::close() {
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase::database(m_connectionName, false).close();
    }
    m_lock.reset();
}

bool Database::isOpen() const {
    return QSqlDatabase::contains(m_connectionName) && QSqlDatabase::database(m_connectionName, false).isOpen();
}

QSqlDatabase Database::connection() const {
    return QSqlDatabase::database(m_connectionName, false);
}

void Database::runScript(const QString& script) {
    QString statement;
    for (const QString& line : script.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1String("--"))) {
            continue;
        }
        statement += line + QLatin1Char('\n');
        if (line.trimmed().endsWith(QLatin1Char(';'))) {
            SqlQuery(*this).exec(statement);
            statement.clear();
        }
    }
}

void Database::measureWhenUnmeasured() {
    QSqlQuery query(connection());
    if (isAnswerNonZero(query, HAS_STATISTICS_TABLE_SQL) && isAnswerNonZero(query, HAS_STATISTICS_SQL)) {
        return;
    }
    query.exec(ANALYSIS_LIMIT_SQL.arg(kAnalysisRows));
    query.exec(ANALYZE_SQL);
}

void Database::optimize() {
    QSqlQuery query(connection());
    query.exec(ANALYSIS_LIMIT_SQL.arg(kAnalysisRows));
    query.exec(OPTIMIZE_SQL);
}

QVariant toStorage(FieldType type, const QVariant& value) {
    if (value.isNull() && type != FieldType::String) {
        return QVariant();
    }
    switch (type) {
        case FieldType::String:
            return nonNullText(value.toString());
        case FieldType::Integer:
            return toInteger(value);
        case FieldType::Boolean:
            return toBoolean(value);
        case FieldType::Float:
            return toFloat(value);
        case FieldType::Date:
        case FieldType::DateTime:
            return dateTimeToStorage(toDateTimeValue(
                value, type == FieldType::Date ? "дата с годом от 1 до 9999" : "дата и время с годом от 1 до 9999"));
        case FieldType::Time:
            return dateTimeToStorage(QDateTime(kZeroDate, toDateTimeValue(value, "время суток").time()));
    }
    return QVariant();
}

QString dateTimeToStorage(const QDateTime& value) {
    return value.toString(kStorageFormat);
}

QDateTime dateTimeFromStorage(const QVariant& stored) {
    if (stored.isNull()) {
        return QDateTime(kZeroDate, QTime(0, 0));
    }
    if (stored.typeId() == QMetaType::QDateTime) {
        return stored.toDateTime();
    }
    const QDateTime parsed = parseDateTimeText(stored.toString());
    return parsed.isValid() ? parsed : QDateTime(kZeroDate, QTime(0, 0));
}

SqlQuery::SqlQuery(Database& db) : m_db(db), m_query(db.connection()) {}

SqlQuery& SqlQuery::addParam(const QString& name, FieldType type, const QVariant& value) {
    m_params.push_back({name, type, toStorage(type, value)});
    return *this;
}

void SqlQuery::setParamValue(const QString& name, const QVariant& value) {
    for (Param& p : m_params) {
        if (p.name == name) {
            p.stored = toStorage(p.type, value);
            return;
        }
    }
    throw DbError(QStringLiteral("Параметр %1 не объявлен").arg(name));
}

void SqlQuery::prepareAndBind(QSqlQuery& query, const QString& sql) {
    query.setForwardOnly(false);
    if (!query.prepare(sql)) {
        throw DbError(describe(query), sql, Q_FUNC_INFO);
    }
    for (const Param& p : m_params) {
        const QRegularExpression named(QStringLiteral(":%1\\b").arg(QRegularExpression::escape(p.name)));
        if (sql.contains(named)) {
            query.bindValue(QLatin1Char(':') + p.name, p.stored);
        }
    }
}

void SqlQuery::exec(const QString& sql) {
    m_query = QSqlQuery(m_db.connection());
    prepareAndBind(m_query, sql);
    if (!m_query.exec()) {
        throw DbError(describe(m_query), sql, Q_FUNC_INFO);
    }
    if (m_query.isSelect()) {
        // Read the whole answer now: an unfinished statement keeps the file's read lock, and a write
        // on this connection would then fail at once instead of waiting for another copy's write.
        m_query.last();
        m_query.seek(QSql::BeforeFirstRow);
    }
}

QSqlQuery SqlQuery::prepared(const QString& sql) {
    QSqlQuery query(m_db.connection());
    prepareAndBind(query, sql);
    return query;
}

QVariant SqlQuery::value(int column) const {
    return m_query.value(column);
}
QVariant SqlQuery::value(const QString& field) const {
    return m_query.value(field);
}
int SqlQuery::asInt(int column) const {
    return value(column).toInt();
}
int SqlQuery::asInt(const QString& field) const {
    return value(field).toInt();
}
double SqlQuery::asFloat(int column) const {
    return value(column).toDouble();
}
double SqlQuery::asFloat(const QString& field) const {
    return value(field).toDouble();
}
QString SqlQuery::asString(int column) const {
    return value(column).toString();
}
QString SqlQuery::asString(const QString& field) const {
    return value(field).toString();
}
QDateTime SqlQuery::asDateTime(int column) const {
    return dateTimeFromStorage(value(column));
}
QDateTime SqlQuery::asDateTime(const QString& field) const {
    return dateTimeFromStorage(value(field));
}
bool SqlQuery::asBool(const QString& field) const {
    return value(field).toInt() != 0;
}
int SqlQuery::columnCount() const {
    return m_query.record().count();
}
qint64 SqlQuery::lastInsertId() const {
    return m_query.lastInsertId().toLongLong();
}
int SqlQuery::numRowsAffected() const {
    return m_query.numRowsAffected();
}

QVariant execScalar(Database& db, const QString& sql) {
    SqlQuery query(db);
    query.exec(sql);
    return query.next() ? query.value(0) : QVariant();
}

namespace {

void bindRaw(sqlite3_stmt* statement, int index, const QVariant& value) {
    switch (value.isNull() ? QMetaType::UnknownType : value.typeId()) {
        case QMetaType::UnknownType:
            sqlite3_bind_null(statement, index);
            break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
            sqlite3_bind_int64(statement, index, value.toLongLong());
            break;
        case QMetaType::Double:
            sqlite3_bind_double(statement, index, value.toDouble());
            break;
        default: {
            const QString text = value.toString();
            sqlite3_bind_text16(statement, index, text.utf16(), int(text.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
        }
    }
}

}  // namespace

qint64 RawRow::integer(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

bool RawRow::isInteger(int column) const {
    return sqlite3_column_type(m_statement, column) == SQLITE_INTEGER;
}

bool RawRow::isNull(int column) const {
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

QByteArrayView RawRow::text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return QByteArrayView(text, sqlite3_column_bytes(m_statement, column));
}

void readRawRows(const QSqlQuery& bound, const std::function<void(const RawRow&)>& reader) {
    const QString sql = bound.lastQuery();
    sqlite3* handle = sqliteHandle(bound.driver());
    sqlite3_stmt* prepared = nullptr;
    if (!handle || sqlite3_prepare16_v2(handle, sql.utf16(), int(sql.size() * sizeof(char16_t)), &prepared, nullptr) !=
                       SQLITE_OK) {
        throw DbError(handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QString(), sql, Q_FUNC_INFO);
    }
    // The statement is finalized on every way out: an unfinished one would hold the file's read lock.
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(prepared, sqlite3_finalize);
    for (int index = 1; index <= sqlite3_bind_parameter_count(prepared); ++index) {
        bindRaw(prepared, index, bound.boundValue(QString::fromUtf8(sqlite3_bind_parameter_name(prepared, index))));
    }
    const RawRow row(prepared);
    int status = SQLITE_ROW;
    while ((status = sqlite3_step(prepared)) == SQLITE_ROW) {
        reader(row);
    }
    if (status != SQLITE_DONE) {
        throw DbError(QString::fromUtf8(sqlite3_errmsg(handle)), sql, Q_FUNC_INFO);
    }
}

void requireRecord(Database& db, const QString& table, int id) {
    if (execScalar(db, RECORD_EXISTS_SQL.arg(table).arg(id)).toInt() == 0) {
        throw RecordGone();
    }
}

void requireChanged(const SqlQuery& command) {
    if (command.numRowsAffected() <= 0) {
        throw RecordGone();
    }
}

int deleteUnlessKept(Database& db, const QStringList& countSqls, const QString& deleteSql) {
    Transaction transaction(db);
    for (const QString& countSql : countSqls) {
        const int count = execScalar(db, countSql).toInt();
        if (count > 0) {
            return count;
        }
    }
    SqlQuery(db).exec(deleteSql);
    transaction.commit();
    return 0;
}

Transaction::Transaction(Database& db) : m_db(db) {
    sqlite3* handle = sqliteHandle(m_db.connection().driver());
    if (handle && sqlite3_get_autocommit(handle)) {
        // The outermost level takes the write lock at once, through the busy timeout: a deferred
        // transaction that has read could not wait for another copy's write and would fail at once.
        SqlQuery(m_db).exec(QStringLiteral("BEGIN IMMEDIATE"));
        return;
    }
    static QAtomicInt counter;
    m_name = QStringLiteral("tx%1").arg(counter.fetchAndAddRelaxed(1));
    SqlQuery(m_db).exec(QStringLiteral("SAVEPOINT ") + m_name);
}

Transaction::~Transaction() {
    if (m_done) {
        return;
    }
    QSqlQuery q(m_db.connection());
    if (m_name.isEmpty()) {
        q.exec(QStringLiteral("ROLLBACK"));
    } else {
        q.exec(QStringLiteral("ROLLBACK TO ") + m_name);
        q.exec(QStringLiteral("RELEASE ") + m_name);
    }
}

void Transaction::commit() {
    SqlQuery(m_db).exec(m_name.isEmpty() ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE ") + m_name);
    m_done = true;
}
