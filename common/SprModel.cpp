#include "common/SprModel.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>

#include <algorithm>
#include <limits>

#include "platform/Database.h"
#include "platform/LocaleFormat.h"

namespace {

const QString FIELDS_SQL = QStringLiteral("SELECT * FROM (%1) LIMIT 0");
const QString IDS_SQL = QStringLiteral("SELECT ID FROM (%1)");
const QString WHOLE_SQL = QStringLiteral("SELECT * FROM (%1)");
const QString FIRST_ID_SQL = QStringLiteral("SELECT MIN(ID) FROM %1");
const QString LAST_ID_SQL = QStringLiteral("SELECT MAX(ID) FROM %1");
// The bounds on IDs are kept out of the plan ("+ID"): the list's own order chooses its index.
const QString FIRST_PAGE_SQL = QStringLiteral("SELECT * FROM (%1) WHERE +ID BETWEEN %2 AND %3 LIMIT %4");
// The last ID of a slice that starts at ID %2 and holds %4 of the table's rows.
const QString SLICE_END_SQL =
    QStringLiteral("SELECT ID FROM %1 WHERE ID >= %2 AND ID <= %3 ORDER BY ID LIMIT 1 OFFSET %4");
// The list's IDs (and their order values) in a slice of the table's IDs, in no order.
const QString SLICE_IDS_SQL = QStringLiteral("SELECT ID%1 FROM (%2) WHERE ID BETWEEN %3 AND %4");
// The list's rows of some IDs, in no order: the keyset gives it.
const QString ROWS_OF_IDS_SQL = QStringLiteral("SELECT * FROM (%1) WHERE ID IN (%2)");

// A slice of the keyset takes a few milliseconds, far below what another workstation's write may
// wait: its width in the table's rows grows while slices are quick and shrinks when one is slow.
constexpr qint64 kFirstSliceRows = 1024;
constexpr qint64 kFewestSliceRows = 256;
constexpr qint64 kMostSliceRows = 1 << 18;
constexpr qint64 kQuickSliceNs = 2'000'000;
constexpr qint64 kSlowSliceNs = 8'000'000;
// IDs read by one statement when rows are read by their IDs.
constexpr int kMostFetchedIds = 4 * 128;

// Rows are found by their IDs: an ID that is not an integer, or one the statement gives twice (a join giving
// two rows per ID), would show wrong rows. Said to the programmer who wrote the list.
const QString kIdNotInteger = QStringLiteral("Столбец ID списка дал значение, не целое число.");
const QString kIdTwice =
    QStringLiteral("Столбец ID списка дал ID %1 дважды: у каждой строки списка должен быть свой ID.");

// Floats show with up to 15 significant digits, as the workstation's default float form does.
constexpr int kFloatDigits = 15;
// "yyyy-MM-dd HH:mm:ss"
constexpr int kStoredLength = 19;
constexpr QByteArrayView kStoredForm("0000-00-00 00:00:00");

bool isInteger(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return true;
        default:
            return false;
    }
}

bool isFloat(const QVariant& value) {
    return value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
}

// The number written in text[from, from + length), or -1 when a character there is not a digit.
int digitsAt(const QString& text, int from, int length) {
    int number = 0;
    for (int i = from; i < from + length; ++i) {
        const QChar c = text.at(i);
        if (!c.isDigit() || c.unicode() > '9') {
            return -1;
        }
        number = number * 10 + (c.unicode() - '0');
    }
    return number;
}

// Date-times are stored as text in one fixed form; only that exact form is shown as a date-time.
// Decoded by hand: a list shows thousands of them, and Qt's general parser is slow.
QDateTime storedDateTime(const QString& text) {
    if (text.size() != kStoredLength || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-') ||
        text.at(10) != QLatin1Char(' ') || text.at(13) != QLatin1Char(':') || text.at(16) != QLatin1Char(':')) {
        return QDateTime();
    }
    const QDate date(digitsAt(text, 0, 4), digitsAt(text, 5, 2), digitsAt(text, 8, 2));
    const QTime time(digitsAt(text, 11, 2), digitsAt(text, 14, 2), digitsAt(text, 17, 2));
    // UTC: a stored wall-clock time must not shift or vanish across a daylight-saving change.
    return date.isValid() && time.isValid() ? QDateTime(date, time, Qt::UTC) : QDateTime();
}

QLocale numberLocale() {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale;
}

bool isCommentAt(const QString& sql, int at) {
    const QStringView two = QStringView(sql).mid(at, 2);
    return two == u"--" || two == u"/*";
}

// Where a quoted text or name, or a comment, that starts at sql[at] ends (just past it); at itself when
// none starts there. One left open runs to the end of the text.
int pastQuoteOrComment(const QString& sql, int at) {
    const auto pastNext = [&sql](int from, QStringView end) {
        const int found = int(sql.indexOf(end, from));
        return found < 0 ? int(sql.size()) : found + int(end.size());
    };
    const QChar c = sql.at(at);
    if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
        return pastNext(at + 1, QStringView(&sql.constData()[at], 1));
    }
    if (c == QLatin1Char('[')) {
        return pastNext(at + 1, u"]");
    }
    if (!isCommentAt(sql, at)) {
        return at;
    }
    return sql.at(at + 1) == QLatin1Char('-') ? pastNext(at + 2, u"\n") : pastNext(at + 2, u"*/");
}

// Calls visit(at, past, depth) for each character of the statement and each quoted text or name as a
// whole (sql[at, past)), with the depth of parentheses it stands at; comments are passed over.
template <class Visit>
void visitCode(const QString& sql, Visit visit) {
    int depth = 0;
    for (int at = 0; at < sql.size();) {
        const int past = qMax(pastQuoteOrComment(sql, at), at + 1);
        const QChar c = sql.at(at);
        depth += c == QLatin1Char('(') ? 1 : c == QLatin1Char(')') ? -1 : 0;
        if (!isCommentAt(sql, at)) {
            visit(at, past, depth);
        }
        at = past;
    }
}

// The statement without the semicolons, blanks and comments that end it, so that a wrapping of it
// goes on after its last word.
QString statementOnly(const QString& sql) {
    int end = 0;
    visitCode(sql, [&sql, &end](int at, int past, int) {
        if (!sql.at(at).isSpace() && sql.at(at) != QLatin1Char(';')) {
            end = past;
        }
    });
    return sql.left(end);
}

bool isOrderByAt(const QString& sql, int at) {
    static const QRegularExpression orderBy(QStringLiteral("\\bORDER\\s+BY\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    return sql.at(at).toUpper() == QLatin1Char('O') &&
           orderBy.match(sql, at, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption)
               .hasMatch();
}

// Where the statement's final ORDER BY starts; -1 without one. One in a subquery, a quoted text or a
// comment is not the statement's.
int finalOrderByAt(const QString& sql) {
    int orderAt = -1;
    visitCode(sql, [&sql, &orderAt](int at, int, int depth) {
        if (depth == 0 && isOrderByAt(sql, at)) {
            orderAt = at;
        }
    });
    return orderAt;
}

// The statement without its final ORDER BY, for reading rows whose order the keyset gives: SQLite
// would otherwise sort them, or choose the order's index over the IDs'.
QString withoutFinalOrderBy(const QString& sql) {
    const int orderAt = finalOrderByAt(sql);
    return orderAt < 0 ? sql : sql.left(orderAt);
}

// A stored date-time "yyyy-MM-dd HH:mm:ss" as the number yyyyMMddHHmmss, which orders as the text
// does; NULL first, any other value last.
qint64 orderKey(const RawRow& row, int column) {
    if (row.isNull(column)) {
        return std::numeric_limits<qint64>::min();
    }
    const QByteArrayView text = row.text(column);
    if (text.size() != kStoredForm.size()) {
        return std::numeric_limits<qint64>::max();
    }
    qint64 key = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        const bool digit = c >= '0' && c <= '9';
        if (digit != (kStoredForm.at(i) == '0')) {
            return std::numeric_limits<qint64>::max();
        }
        key = digit ? key * 10 + (c - '0') : key;
    }
    return key;
}

int pageStart(int row) {
    return row / SprModel::kPageRows * SprModel::kPageRows;
}

int columnOf(const QStringList& fields, const QString& field) {
    for (int column = 0; column < fields.size(); ++column) {
        if (fields.at(column).compare(field, Qt::CaseInsensitive) == 0) {
            return column;
        }
    }
    return -1;
}

int idColumn(const QStringList& fields) {
    return columnOf(fields, QStringLiteral("ID"));
}

[[noreturn]] void refuseIds(const QString& why, const QString& sql) {
    throw DbError(why, sql, Q_FUNC_INFO);
}

template <class Ids>
void requireUniqueIds(const Ids& ids, const QString& sql) {
    std::vector<qint64> sorted(ids.begin(), ids.end());
    std::sort(sorted.begin(), sorted.end());
    const auto twice = std::adjacent_find(sorted.cbegin(), sorted.cend());
    if (twice != sorted.cend()) {
        refuseIds(kIdTwice.arg(*twice), sql);
    }
}

qint64 rawId(const RawRow& row, int column, const QString& sql) {
    if (!row.isInteger(column)) {
        refuseIds(kIdNotInteger, sql);
    }
    return row.integer(column);
}

QString idList(const QList<qint64>& ids) {
    QStringList texts;
    texts.reserve(ids.size());
    for (const qint64 id : ids) {
        texts << QString::number(id);
    }
    return texts.join(QLatin1Char(','));
}

}  // namespace

QString defaultDisplayText(const QVariant& value) {
    if (value.isNull()) {
        return QString();
    }
    if (isInteger(value)) {
        return numberLocale().toString(value.toLongLong());
    }
    if (isFloat(value)) {
        return numberLocale().toString(value.toDouble(), 'g', kFloatDigits);
    }
    const QString text = value.toString();
    const QDateTime dateTime = storedDateTime(text);
    return dateTime.isValid() ? dateTimeDisplayText(dateTime) : text;
}

SprModel::SprModel(QObject* parent) : QAbstractTableModel(parent) {
    // Each slice of a keyset runs from the event loop, so that the window answers between slices.
    m_keysetTimer.setInterval(0);
    connect(&m_keysetTimer, &QTimer::timeout, this, &SprModel::readKeysetSlice);
}

void SprModel::setQuery(const QString& sql, QueryBinder binder, const SprKey& key) {
    m_binder = std::move(binder);
    setStatement(sql, key);
    refresh();
}

void SprModel::setStatement(const QString& sql, const SprKey& key) {
    m_sql = statementOnly(sql);
    m_unorderedSql = statementOnly(withoutFinalOrderBy(m_sql));
    m_key = key;
}

void SprModel::refresh() {
    m_keysetTimer.stop();
    m_keyset = {};
    // Read before the reset: a failing statement leaves the rows shown as they were.
    Read read;
    if (m_binder) {
        read = keyed() ? readFirstPage() : readList();
    }
    const int id = idColumn(read.fields);
    beginResetModel();
    m_fields = read.fields;
    m_ids = read.ids;
    m_rows.clear();
    m_whole = id < 0 ? read.rows : QList<QVariantList>();
    for (int i = 0; id >= 0 && i < read.rows.size(); ++i) {
        m_rows.insert(read.rows.at(i).at(id).toLongLong(), Row{read.rows.at(i), 0});
    }
    endResetModel();
    if (keyed() && m_ids.size() == kPageRows) {
        m_keyset.nextId = m_firstId;
        m_keyset.sliceRows = kFirstSliceRows;
        m_keysetTimer.start();
    } else {
        emit countFinished();
    }
}

void SprModel::clear() {
    m_sql.clear();
    m_unorderedSql.clear();
    m_binder = nullptr;
    m_key = {};
    refresh();
}

// Runs a wrapping of the list's statement; the caller reads it to its end.
QSqlQuery SprModel::run(const QString& sql) const {
    QSqlQuery query = m_binder(sql);
    query.setForwardOnly(true);
    if (!query.exec()) {
        throw DbError(query.lastError().text().trimmed(), query.lastQuery(), Q_FUNC_INFO);
    }
    return query;
}

qint64 SprModel::readNumber(const QString& sql) const {
    QSqlQuery query = run(sql);
    const qint64 number = query.next() ? query.value(0).toLongLong() : 0;
    query.finish();
    return number;
}

QStringList SprModel::readFields(const QSqlQuery& query) const {
    QStringList fields;
    const QSqlRecord record = query.record();
    for (int column = 0; column < record.count(); ++column) {
        fields << record.fieldName(column);
    }
    return fields;
}

QList<QVariantList> SprModel::readRows(QSqlQuery& query) {
    const int columns = query.record().count();
    QList<QVariantList> rows;
    while (query.next()) {
        QVariantList values;
        values.reserve(columns);
        for (int column = 0; column < columns; ++column) {
            values << query.value(column);
        }
        rows << values;
    }
    // A statement that fails at a row ends next() as its end does: the rows before it are not the list.
    if (query.lastError().isValid()) {
        throw DbError(query.lastError().text().trimmed(), query.lastQuery(), Q_FUNC_INFO);
    }
    query.finish();
    return rows;
}

// A short list: its IDs by one statement, then its first page by them; one without IDs whole.
SprModel::Read SprModel::readList() {
    Read read;
    QSqlQuery fields = run(FIELDS_SQL.arg(m_sql));
    read.fields = readFields(fields);
    fields.finish();
    if (idColumn(read.fields) < 0) {
        QSqlQuery whole = run(WHOLE_SQL.arg(m_sql));
        read.rows = readRows(whole);
        return read;
    }
    // Without an order of its own, the list's order is its plan's: the IDs are read by the same plan.
    const bool ordered = finalOrderByAt(m_sql) >= 0;
    const int id = ordered ? 0 : idColumn(read.fields);
    const QSqlQuery ids = m_binder((ordered ? IDS_SQL : WHOLE_SQL).arg(m_sql));
    readRawRows(ids, [&read, id, &ids](const RawRow& row) { read.ids << rawId(row, id, ids.lastQuery()); });
    requireUniqueIds(read.ids, ids.lastQuery());
    read.rows = readRowsOf(read.ids.mid(0, kPageRows));
    return read;
}

// A long list shows its first page at once; its IDs are read between events.
SprModel::Read SprModel::readFirstPage() {
    m_firstId = m_key.firstId ? *m_key.firstId : readNumber(FIRST_ID_SQL.arg(m_key.table));
    m_lastId = m_key.lastId ? *m_key.lastId : readNumber(LAST_ID_SQL.arg(m_key.table));
    Read read;
    QSqlQuery query = run(
        FIRST_PAGE_SQL.arg(m_sql, QString::number(m_firstId), QString::number(m_lastId), QString::number(kPageRows)));
    read.fields = readFields(query);
    read.rows = readRows(query);
    const int id = idColumn(read.fields);
    for (const QVariantList& row : read.rows) {
        if (row.at(id).isNull() || !isInteger(row.at(id))) {
            refuseIds(kIdNotInteger, query.lastQuery());
        }
        read.ids << row.at(id).toLongLong();
    }
    requireUniqueIds(read.ids, query.lastQuery());
    return read;
}

// The list's rows of some IDs, in no order; those no longer in the list are missing.
QList<QVariantList> SprModel::readRowsOf(const QList<qint64>& ids) const {
    QSqlQuery query = run(ROWS_OF_IDS_SQL.arg(m_unorderedSql, idList(ids)));
    return readRows(query);
}

// Each slice holds a number of the table's rows, whatever their IDs. A failing slice ends the read, so
// that its error is shown once; the list keeps the rows it has until it is read again.
void SprModel::readKeysetSlice() {
    m_keysetTimer.stop();
    QElapsedTimer timer;
    timer.start();
    const qint64 from = m_keyset.nextId;
    const qint64 upTo = sliceEnd(from, m_keyset.sliceRows);
    const bool ordered = !m_key.orderColumn.isEmpty();
    std::vector<OrderedId> slice;
    std::vector<qint64> ids;
    const QSqlQuery query = m_binder(SLICE_IDS_SQL.arg(ordered ? QStringLiteral(", ") + m_key.orderColumn : QString(),
                                                       m_unorderedSql, QString::number(from), QString::number(upTo)));
    readRawRows(query, [&slice, &ids, ordered, &query](const RawRow& row) {
        const qint64 id = rawId(row, 0, query.lastQuery());
        slice.push_back({ordered ? orderKey(row, 1) : id, id});
        ids.push_back(id);
    });
    requireUniqueIds(ids, query.lastQuery());
    addSlice(slice);
    const qint64 took = timer.nsecsElapsed();
    if (took < kQuickSliceNs) {
        m_keyset.sliceRows = qMin(m_keyset.sliceRows * 2, kMostSliceRows);
    } else if (took > kSlowSliceNs) {
        m_keyset.sliceRows = qMax(m_keyset.sliceRows / 2, kFewestSliceRows);
    }
    if (upTo >= m_lastId) {
        endKeyset();
    } else {
        m_keyset.nextId = upTo + 1;
        m_keysetTimer.start();
    }
}

qint64 SprModel::sliceEnd(qint64 from, qint64 rows) const {
    QSqlQuery query = run(
        SLICE_END_SQL.arg(m_key.table, QString::number(from), QString::number(m_lastId), QString::number(rows - 1)));
    const qint64 upTo = query.next() ? query.value(0).toLongLong() : m_lastId;
    query.finish();
    return upTo;
}

// A slice joins the IDs read in the list's order. IDs mostly grow with the order, so only the tail of
// the IDs read is merged with it.
void SprModel::addSlice(std::vector<OrderedId>& slice) {
    if (slice.empty()) {
        return;
    }
    std::sort(slice.begin(), slice.end());
    std::vector<OrderedId>& ids = m_keyset.ids;
    const auto tail = std::upper_bound(ids.begin(), ids.end(), slice.front());
    const auto tailAt = tail - ids.begin();
    const auto joinAt = ids.size();
    ids.insert(ids.end(), slice.begin(), slice.end());
    std::inplace_merge(ids.begin() + tailAt, ids.begin() + joinAt, ids.end());
}

void SprModel::endKeyset() {
    QList<qint64> ids;
    ids.reserve(qsizetype(m_keyset.ids.size()));
    for (const OrderedId& read : m_keyset.ids) {
        ids << read.id;
    }
    m_keyset = {};
    replaceIds(ids);
    emit countFinished();
}

// The keyset replaces the first page's IDs. Rows added or dropped at the end hold no record a view points
// at; the rest changes as a layout in which each persistent index (the current row, the selection)
// follows its record, or is left invalid when the keyset lacks it.
void SprModel::replaceIds(const QList<qint64>& ids) {
    if (ids.size() > m_ids.size()) {
        beginInsertRows(QModelIndex(), int(m_ids.size()), int(ids.size()) - 1);
        m_ids += ids.mid(m_ids.size());
        endInsertRows();
    }
    // m_ids is now at least as long as ids.
    if (!std::equal(ids.cbegin(), ids.cend(), m_ids.cbegin())) {
        moveRecords(ids);
    }
    if (ids.size() < m_ids.size()) {
        beginRemoveRows(QModelIndex(), int(ids.size()), int(m_ids.size()) - 1);
        m_ids = ids;
        endRemoveRows();
    }
}

// The first rows take these IDs (no more than the list's rows); each persistent index goes with its ID.
void SprModel::moveRecords(const QList<qint64>& ids) {
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& held : before) {
        const qsizetype row = ids.indexOf(m_ids.at(held.row()));
        after << (row < 0 ? QModelIndex() : index(int(row), held.column()));
    }
    std::copy(ids.cbegin(), ids.cend(), m_ids.begin());
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

bool SprModel::readRecord(int row) {
    if (row < 0 || row >= rowCount()) {
        return false;
    }
    if (!m_whole.isEmpty()) {
        return true;
    }
    const qint64 id = m_ids.at(row);
    m_rows.remove(id);
    return fetch({id}).isEmpty();
}

void SprModel::finishCount() {
    while (!counted()) {
        readKeysetSlice();
    }
}

// Rows that are gone are removed before the view paints, so that it never shows a blank row; the rows
// moving up into the range are read in turn.
void SprModel::prepareRows(int first, int last) {
    QList<qint64> missing = missingAround(first, last);
    while (!missing.isEmpty()) {
        const QList<qint64> gone = fetch(missing);
        if (gone.isEmpty()) {
            return;
        }
        removeIds(pageStart(first), gone);
        missing = missingAround(first, last);
    }
}

// The IDs not in memory among the pages of rows first..last, at most a few pages of them.
QList<qint64> SprModel::missingAround(int first, int last) const {
    QList<qint64> missing;
    if (!m_whole.isEmpty() || first < 0) {
        return missing;
    }
    const int from = pageStart(first);
    const int to = int(qMin(m_ids.size(), qsizetype(last / kPageRows + 1) * kPageRows));
    for (int row = from; row < to && missing.size() < kMostFetchedIds; ++row) {
        if (!m_rows.contains(m_ids.at(row))) {
            missing << m_ids.at(row);
        }
    }
    return missing;
}

QList<qint64> SprModel::fetch(const QList<qint64>& ids) const {
    dropOldRows(int(ids.size()));
    const int id = idColumn(m_fields);
    const quint64 use = ++m_useClock;
    for (QVariantList& values : readRowsOf(ids)) {
        const qint64 key = values.at(id).toLongLong();
        m_rows.insert(key, Row{std::move(values), use});
    }
    QList<qint64> gone;
    for (const qint64 wanted : ids) {
        if (!m_rows.contains(wanted)) {
            gone << wanted;
        }
    }
    return gone;
}

// The rows of IDs no longer in the list leave it, the rows after them moving up. They lie from row
// first on.
void SprModel::removeIds(int first, const QList<qint64>& gone) {
    for (const qint64 id : gone) {
        const auto found = std::find(m_ids.cbegin() + first, m_ids.cend(), id);
        if (found != m_ids.cend()) {
            const int row = int(found - m_ids.cbegin());
            beginRemoveRows(QModelIndex(), row, row);
            m_ids.removeAt(row);
            endRemoveRows();
        }
    }
}

// Keeps at most kCachedPages pages of rows, with room for the rows about to be read.
void SprModel::dropOldRows(int room) const {
    const int keep = qMax(kCachedPages * kPageRows - room, 0);
    if (m_rows.size() <= keep) {
        return;
    }
    std::vector<quint64> uses;
    uses.reserve(m_rows.size());
    for (const Row& row : std::as_const(m_rows)) {
        uses.push_back(row.lastUse);
    }
    const auto cut = uses.begin() + (qsizetype(uses.size()) - keep - 1);
    std::nth_element(uses.begin(), cut, uses.end());
    const quint64 newestDropped = *cut;
    // Rows read together share a use: those of the last use dropped go only as far as needed.
    for (auto it = m_rows.begin(); it != m_rows.end() && m_rows.size() > keep;) {
        it = it->lastUse <= newestDropped ? m_rows.erase(it) : std::next(it);
    }
}

int SprModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_whole.isEmpty() ? m_ids.size() : m_whole.size());
}

int SprModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant SprModel::value(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_fields.size()) {
        return QVariant();
    }
    if (!m_whole.isEmpty()) {
        return m_whole.at(row).at(column);
    }
    const qint64 id = m_ids.at(row);
    auto found = m_rows.find(id);
    if (found == m_rows.end()) {
        // Outside a view's painting: a row no longer found is left to the next prepareRows.
        fetch(missingAround(row, row));
        found = m_rows.find(id);
    }
    if (found == m_rows.end()) {
        return QVariant();
    }
    found->lastUse = ++m_useClock;
    return found->values.at(column);
}

QVariant SprModel::data(const QModelIndex& item, int role) const {
    if (!item.isValid()) {
        return QVariant();
    }
    if (role == Qt::DisplayRole) {
        return defaultDisplayText(value(item.row(), item.column()));
    }
    if (role == Qt::TextAlignmentRole) {
        const QVariant stored = value(item.row(), item.column());
        const Qt::Alignment side = isInteger(stored) || isFloat(stored) ? Qt::AlignRight : Qt::AlignLeft;
        return QVariant::fromValue(side | Qt::AlignVCenter);
    }
    return QVariant();
}

QVariant SprModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_fields.size()) {
        const QString& field = m_fields.at(section);
        return m_titles.value(field.toLower(), field);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

void SprModel::setTitles(const QList<SprColumn>& columns) {
    m_titles.clear();
    for (const SprColumn& column : columns) {
        m_titles.insert(column.field.toLower(), column.title);
    }
    if (columnCount() > 0) {
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    }
}

int SprModel::fieldColumn(const QString& field) const {
    return columnOf(m_fields, field);
}
