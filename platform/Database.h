#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/AppError.h"

class FileLock;

// The date the old engine counts from: a time of day is stored on it.
inline const QDate kZeroDate{1899, 12, 30};

enum class FieldType { String, Integer, Boolean, Float, Date, Time, DateTime };

// A database failure with its context. A refused value carries a Russian message and no statement;
// the engine's failure carries its own text and the statement.
class DbError : public std::runtime_error {
  public:
    DbError(const QString& message, const QString& statement = QString(), const char* where = "");
    QString text() const;  // the message, then the statement
    QString message() const { return m_message; }
    QString statement() const { return m_statement; }
    QString where() const { return m_where; }
    // Another connection held the write lock longer than the busy timeout.
    bool busy() const;
    // The disk of the database file, or the file's own limit, has no room for the write.
    bool full() const;

  private:
    QString m_message;
    QString m_statement;
    QString m_where;
};

// One connection to the database file. Besides the SQLite handle it holds an advisory lock on
// "<file>.lock": shared for read/write mode, exclusive for exclusive mode, both non-blocking.
class Database {
  public:
    enum class Mode { ReadWrite, Exclusive };

    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // False when the file is missing, locked out, not a whole SQLite database, lacks one of the
    // required tables, or cannot be written; openError() then says why. The file is never changed.
    bool open(const QString& file, Mode mode = Mode::ReadWrite, const QStringList& requiredTables = {});
    QString openError() const { return m_openError; }
    void close();
    bool isOpen() const;
    QSqlDatabase connection() const;

    // Runs a whole script of statements separated by ";" (schema files).
    void runScript(const QString& script);

    // The planner needs statistics to choose join orders that do not sort a whole table. A file
    // without any (new, or from before statistics were kept) is measured now; later changes are
    // caught up by optimize(). Both read a sample of each index, so they stay quick on a big file,
    // and both are best effort: without statistics every query still works, only slower.
    void measureWhenUnmeasured();
    // Refreshes the statistics of the tables that changed much since they were measured.
    void optimize();

  private:
    QString connectChecked(const QString& file, Mode mode, const QStringList& requiredTables);

    QString m_connectionName;
    QString m_openError;
    std::unique_ptr<FileLock> m_lock;
};

// Converts a typed value to the form it is stored in; throws DbError when it does not convert.
QVariant toStorage(FieldType type, const QVariant& value);
// Decoders of stored values; NULL reads as 0, 0.0, "" or the zero date.
QDateTime dateTimeFromStorage(const QVariant& stored);
QString dateTimeToStorage(const QDateTime& value);

// A query or command with named, typed parameters. Parameters may be declared before the SQL text
// is given; only those the text names are bound.
class SqlQuery {
  public:
    explicit SqlQuery(Database& db);

    SqlQuery& addParam(const QString& name, FieldType type, const QVariant& value);
    void setParamValue(const QString& name, const QVariant& value);

    // Runs the statement; a SELECT is positioned before its first row.
    void exec(const QString& sql);
    bool next() { return m_query.next(); }

    QVariant value(int column) const;
    QVariant value(const QString& field) const;
    int asInt(int column) const;
    int asInt(const QString& field) const;
    double asFloat(int column) const;
    double asFloat(const QString& field) const;
    QString asString(int column) const;
    QString asString(const QString& field) const;
    QDateTime asDateTime(int column) const;
    QDateTime asDateTime(const QString& field) const;
    bool asBool(const QString& field) const;
    int columnCount() const;

    qint64 lastInsertId() const;
    int numRowsAffected() const;
    // The statement prepared and bound, for models that show a query.
    QSqlQuery prepared(const QString& sql);

  private:
    struct Param {
        QString name;
        FieldType type;
        QVariant stored;
    };
    void prepareAndBind(QSqlQuery& query, const QString& sql);

    Database& m_db;
    QSqlQuery m_query;
    std::vector<Param> m_params;
};

// Runs one statement without parameters; returns the first column of the first row when there is one.
QVariant execScalar(Database& db, const QString& sql);

struct sqlite3_stmt;

// A row read straight from SQLite; valid only while the reader is called with it.
class RawRow {
  public:
    explicit RawRow(sqlite3_stmt* statement) : m_statement(statement) {}
    qint64 integer(int column) const;
    bool isInteger(int column) const;
    bool isNull(int column) const;
    // The column's text in UTF-8.
    QByteArrayView text(int column) const;

  private:
    sqlite3_stmt* m_statement;
};

// Runs the statement of a query that Qt prepared and bound, with the same bound values, handing each
// row to the reader until its end. For hundreds of thousands of rows of a few columns, where reading
// them through Qt costs several times more than SQLite's own work.
void readRawRows(const QSqlQuery& bound, const std::function<void(const RawRow&)>& reader);

// Writes that belong together: commits in commit(), rolls back when left without it. The outermost level
// takes the write lock when it begins; inner levels are savepoints.
class Transaction {
  public:
    explicit Transaction(Database& db);
    ~Transaction();
    void commit();

  private:
    Database& m_db;
    QString m_name;  // the savepoint of an inner level; empty for the outermost
    bool m_done = false;
};

inline const QString kRecordNotFound =
    QStringLiteral("Запись не найдена: возможно, её удалили на другом рабочем месте.");
inline const QString kRecordGone = kRecordNotFound + QStringLiteral("\rИзменения не сохранены.");

// A record open here that another workstation deleted meanwhile. Thrown inside the write's transaction,
// so that nothing of the write stays; a save handler left by it keeps its dialog open, and the general
// handler shows the text.
class RecordGone : public AppError {
  public:
    RecordGone() : AppError(kRecordGone) {}
};
// Throws RecordGone unless the table still holds the row. A dependent row written after it in the same
// transaction is safe: the transaction holds the write lock, so the row cannot go in between.
void requireRecord(Database& db, const QString& table, int id);
// Throws RecordGone when the update just run changed no row.
void requireChanged(const SqlQuery& command);
// Runs the delete unless one of the counts, each run first under the same write lock, finds rows that keep the
// record, so that none can come to keep it in between; answers that count, or 0 when the record was deleted.
int deleteUnlessKept(Database& db, const QStringList& countSqls, const QString& deleteSql);
