#include "common/SprModel.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>

#include <algorithm>

#include "platform/Database.h"
#include "platform/LocaleFormat.h"

namespace {

const QString COUNT_ROWS_SQL = QStringLiteral("SELECT COUNT(*) FROM (%1)");
const QString COUNT_SLICE_SQL = QStringLiteral("SELECT COUNT(*) FROM (%1) WHERE ID >= %2 AND ID <= %3");
const QString FIRST_ID_SQL = QStringLiteral("SELECT MIN(ID) FROM %1");
const QString LAST_ID_SQL = QStringLiteral("SELECT MAX(ID) FROM %1");
// The last ID of a slice that starts at ID %2 and holds %4 of the table's rows.
const QString SLICE_END_SQL =
    QStringLiteral("SELECT ID FROM %1 WHERE ID >= %2 AND ID <= %3 ORDER BY ID LIMIT 1 OFFSET %4");
const QString VERSION_SQL = QStringLiteral("SELECT data_version, total_changes() FROM pragma_data_version");
const QString PAGE_ROWS_SQL = QStringLiteral("SELECT * FROM (%1) LIMIT %2 OFFSET %3");
// The bounds on IDs are kept out of the plan ("+ID"): the list's own order chooses its index.
const QString PAGE_KEYED_SQL = QStringLiteral("SELECT * FROM (%1) WHERE +ID BETWEEN %2 AND %3%4 LIMIT %5 OFFSET %6");
const QString ANCHOR_SQL = QStringLiteral("SELECT %1, ID FROM (%2) WHERE +ID BETWEEN %3 AND %4%5 LIMIT 1 OFFSET %6");
// The row of ID %2 and every row after it in the order of column %1, NULLs first; the first term of
// the second form keeps the column's index.
const QString FROM_UNDATED_ROW_SQL = QStringLiteral(" AND (%1 IS NOT NULL OR ID >= %2)");
const QString FROM_ROW_SQL = QStringLiteral(" AND %1 >= :pOrder AND (%1 > :pOrder OR ID >= %2)");
const QString kOrderParam = QStringLiteral(":pOrder");

// A slice of the count takes a few milliseconds, far below what another workstation's write may
// wait: its width in the table's rows grows while slices are quick and shrinks when one is slow.
constexpr qint64 kFirstSliceRows = 1024;
constexpr qint64 kFewestSliceRows = 256;
constexpr qint64 kMostSliceRows = 1 << 18;
constexpr qint64 kQuickSliceNs = 2'000'000;
constexpr qint64 kSlowSliceNs = 8'000'000;
// Rows between two anchors of a list not ordered by ID: walking them takes a few milliseconds.
constexpr int kAnchorRows = 8192;
// How often an open list looks whether the file changed: a look is one short statement.
constexpr int kWatchMs = 250;
// A count that the file changed under is taken when it is quiet or agrees with the one before; a
// file that changes under every count is shown as counted last.
constexpr int kMostCounts = 4;

// Floats show with up to 15 significant digits, as the workstation's default float form does.
constexpr int kFloatDigits = 15;
// "yyyy-MM-dd HH:mm:ss"
constexpr int kStoredLength = 19;

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

QString withoutTrailingSemicolon(const QString& sql) {
    QString text = sql.trimmed();
    while (text.endsWith(QLatin1Char(';'))) {
        text.chop(1);
        text = text.trimmed();
    }
    return text;
}

bool isOrderByAt(const QString& sql, int at) {
    static const QRegularExpression orderBy(QStringLiteral("\\bORDER\\s+BY\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    return sql.at(at).toUpper() == QLatin1Char('O') &&
           orderBy.match(sql, at, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption)
               .hasMatch();
}

// Where the statement's final ORDER BY starts; -1 without one.
int finalOrderByAt(const QString& sql) {
    int depth = 0;
    QChar quote;
    int orderAt = -1;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            quote = c == quote ? QChar() : quote;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            --depth;
        } else if (depth == 0 && isOrderByAt(sql, i)) {
            orderAt = i;
        }
    }
    return orderAt;
}

// The statement without its final ORDER BY, for counting: the order does not change the count, and
// SQLite would otherwise sort every row of the list only to count them.
QString withoutFinalOrderBy(const QString& sql) {
    const int orderAt = finalOrderByAt(sql);
    return orderAt < 0 ? sql : sql.left(orderAt);
}

// The same rows in the opposite order: every term of the final ORDER BY turned round.
QString reversedOrder(const QString& sql) {
    static const QRegularExpression orderBy(QStringLiteral("^ORDER\\s+BY\\s+"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression direction(QStringLiteral("\\s+(ASC|DESC)$"),
                                              QRegularExpression::CaseInsensitiveOption);
    const int orderAt = finalOrderByAt(sql);
    QString terms = sql.mid(orderAt);
    terms.remove(orderBy);
    QStringList reversed;
    for (QString term : terms.split(QLatin1Char(','))) {
        term = term.trimmed();
        const QRegularExpressionMatch given = direction.match(term);
        const bool descending =
            given.hasMatch() && given.captured(1).compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
        term.remove(direction);
        reversed << (descending ? term : term + QStringLiteral(" DESC"));
    }
    return sql.left(orderAt) + QStringLiteral("ORDER BY ") + reversed.join(QStringLiteral(", "));
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
    // Each slice of a count runs from the event loop, so that the window answers between slices.
    m_countTimer.setInterval(0);
    connect(&m_countTimer, &QTimer::timeout, this, &SprModel::countSlice);
    m_anchorTimer.setInterval(0);
    connect(&m_anchorTimer, &QTimer::timeout, this, &SprModel::anchorSlice);
    m_watchTimer.setInterval(kWatchMs);
    connect(&m_watchTimer, &QTimer::timeout, this, &SprModel::watchFile);
}

void SprModel::setQuery(const QString& sql, QueryBinder binder, const SprKey& key) {
    m_binder = std::move(binder);
    setStatement(sql, key);
    refresh();
}

void SprModel::setStatement(const QString& sql, const SprKey& key) {
    m_sql = withoutTrailingSemicolon(sql);
    m_key = key;
}

void SprModel::refresh() {
    m_countTimer.stop();
    m_anchorTimer.stop();
    m_watchTimer.stop();
    m_firstCount = false;
    // The slices and anchors of the last read no longer tell where a page starts.
    m_slices.clear();
    m_anchors.clear();
    m_anchorsWhole = false;
    // Read before the reset: a failing statement leaves the rows shown as they were.
    QStringList fields;
    Page first;
    int rows = 0;
    Version read;
    if (m_binder) {
        read = version();
        readBounds();
        first = readPage(0, &fields);
        const bool whole = first.rows.size() < kPageRows;
        rows =
            whole || keyed() ? int(first.rows.size()) : int(readNumber(COUNT_ROWS_SQL.arg(withoutFinalOrderBy(m_sql))));
    }
    beginResetModel();
    m_pages.clear();
    m_rows = rows;
    m_fields = fields;
    m_version = read;
    if (m_binder) {
        m_pages.insert(0, first);
    }
    endResetModel();
    if (m_binder) {
        m_watchTimer.start();
    }
    if (m_binder && keyed() && rows == kPageRows) {
        m_firstCount = true;
        expectCount(-1);
        startCount();
    } else {
        emit countFinished();
    }
}

void SprModel::clear() {
    m_sql.clear();
    m_binder = nullptr;
    m_key = {};
    refresh();
}

// Runs a wrapping of the list's statement, binding the order value of an anchor when it names one;
// the caller reads it to its end.
QSqlQuery SprModel::run(const QString& sql, const QVariant& order) const {
    QSqlQuery query = m_binder(sql);
    query.setForwardOnly(true);
    if (sql.contains(kOrderParam)) {
        // A value read from the file goes back in the form it was read.
        query.bindValue(kOrderParam, order);
    }
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

SprModel::Version SprModel::version() const {
    QSqlQuery query = run(VERSION_SQL);
    query.next();
    const Version read{query.value(0).toLongLong(), query.value(1).toLongLong()};
    query.finish();
    return read;
}

// A keyed list holds the IDs its table held at the read: rows added later stay out of it until it is
// read again, so that they never shift the rows read.
void SprModel::readBounds() {
    if (keyed()) {
        m_firstId = m_key.firstId ? *m_key.firstId : readNumber(FIRST_ID_SQL.arg(m_key.table));
        m_lastId = m_key.lastId ? *m_key.lastId : readNumber(LAST_ID_SQL.arg(m_key.table));
    }
}

// Rows of a keyed list's text within its IDs, with an extra condition.
QString SprModel::rowsSql(const QString& list, const QString& condition, int rows, int offset) const {
    return PAGE_KEYED_SQL.arg(list, QString::number(m_firstId), QString::number(m_lastId), condition,
                              QString::number(rows), QString::number(offset));
}

void SprModel::startCount() {
    m_count = {};
    m_count.countedId = m_firstId;
    m_count.sliceRows = kFirstSliceRows;
    m_count.start = version();
    m_countTimer.start();
}

// Each slice holds a number of the table's rows, whatever their IDs. A failing slice ends the count,
// so that its error is shown once; the list keeps the rows it has until it is read again.
void SprModel::countSlice() {
    m_countTimer.stop();
    if (m_count.checkedSlices >= 0) {
        checkSlice();
        return;
    }
    QElapsedTimer timer;
    timer.start();
    const qint64 from = m_count.countedId;
    const qint64 upTo = sliceEnd(from, m_count.sliceRows);
    const int rows = rowsBetween(from, upTo);
    if (rows > 0) {
        m_count.slices << Slice{from, m_count.rows};
    }
    m_count.rows += rows;
    const qint64 took = timer.nsecsElapsed();
    if (took < kQuickSliceNs) {
        m_count.sliceRows = qMin(m_count.sliceRows * 2, kMostSliceRows);
    } else if (took > kSlowSliceNs) {
        m_count.sliceRows = qMax(m_count.sliceRows / 2, kFewestSliceRows);
    }
    if (upTo >= m_lastId) {
        endCount();
    } else {
        m_count.countedId = upTo + 1;
        m_countTimer.start();
    }
}

// A check counts the state's own slices again; the first that differs ends it, and the list is counted
// afresh.
void SprModel::checkSlice() {
    const int slice = m_count.checkedSlices;
    const bool last = slice + 1 == m_slices.size();
    const qint64 from = slice == 0 ? m_firstId : m_slices.at(slice).fromId;
    const qint64 upTo = last ? m_lastId : m_slices.at(slice + 1).fromId - 1;
    const int rows = (last ? m_rows : m_slices.at(slice + 1).firstRow) - m_slices.at(slice).firstRow;
    if (rowsBetween(from, upTo) != rows) {
        startCount();
    } else if (last) {
        m_count.rows = m_rows;
        m_count.slices = m_slices;
        endCount();
    } else {
        m_count.checkedSlices = slice + 1;
        m_countTimer.start();
    }
}

int SprModel::rowsBetween(qint64 from, qint64 upTo) const {
    return int(
        readNumber(COUNT_SLICE_SQL.arg(withoutFinalOrderBy(m_sql), QString::number(from), QString::number(upTo))));
}

qint64 SprModel::sliceEnd(qint64 from, qint64 rows) const {
    QSqlQuery query = run(
        SLICE_END_SQL.arg(m_key.table, QString::number(from), QString::number(m_lastId), QString::number(rows - 1)));
    const qint64 upTo = query.next() ? query.value(0).toLongLong() : m_lastId;
    query.finish();
    return upTo;
}

// The count a new count agrees with: the state shown, or none.
void SprModel::expectCount(int rows) {
    m_agreedRows = rows;
    m_countsLeft = kMostCounts;
}

// A count the file changed under may hold rows of two states: it is counted again until a count is
// quiet or agrees with the one before.
bool SprModel::settled(Version start, int rows) {
    if (version() == start || rows == m_agreedRows || --m_countsLeft <= 0) {
        return true;
    }
    m_agreedRows = rows;
    return false;
}

void SprModel::endCount() {
    if (!settled(m_count.start, m_count.rows)) {
        startCount();
        return;
    }
    // The first page was read before the first count; a page of another state is read again.
    const bool keepPages = m_firstCount ? m_count.start == m_version : m_count.rows == m_rows;
    takeCount(m_count.rows, m_count.slices, m_count.start, keepPages);
    if (m_firstCount) {
        m_firstCount = false;
        emit countFinished();
    }
}

void SprModel::finishCount() {
    while (!counted()) {
        countSlice();
    }
}

// The file changed since the state shown: the list is counted again, at once, up to the row asked for
// or whole. Rows added elsewhere lie beyond a keyed list's IDs, so the same count tells that the list is
// as it was.
void SprModel::checkState(int lastRow) {
    if (!m_binder || !counted() || inMemory(0, m_rows - 1)) {
        return;
    }
    if (!m_countTimer.isActive()) {
        startCheck();
    }
    while (m_countTimer.isActive() && !checkedUpTo(lastRow)) {
        countSlice();
    }
}

// Whether a check under way found a list ordered by ID as it was up to a row: the rows up to it lie in
// the slices counted so far, whatever the rest holds.
bool SprModel::checkedUpTo(int row) const {
    const int checked = m_count.checkedSlices;
    if (row < 0 || !m_key.orderedById || checked <= 0) {
        return false;
    }
    return row < (checked < m_slices.size() ? m_slices.at(checked).firstRow : m_rows);
}

// A list not wholly in memory is counted again between events soon after the file changed, so that
// the rows a person scrolls to next rarely wait for the count.
void SprModel::watchFile() {
    if (m_binder && !m_countTimer.isActive() && !inMemory(0, m_rows - 1)) {
        startCheck();
    }
}

void SprModel::startCheck() {
    if (version() == m_version) {
        return;
    }
    expectCount(m_rows);
    if (keyed()) {
        startCount();
        m_count.checkedSlices = m_slices.isEmpty() ? -1 : 0;
    } else {
        recountShort();
    }
}

void SprModel::recountShort() {
    const QString count = COUNT_ROWS_SQL.arg(withoutFinalOrderBy(m_sql));
    Version start;
    int rows = 0;
    do {
        start = version();
        rows = int(readNumber(count));
    } while (!settled(start, rows));
    takeCount(rows, {}, start, rows == m_rows);
}

// The count becomes the state shown. Another count drops the rows in memory: they may be of the
// state before; the row numbers stay, and the view reads its rows again.
void SprModel::takeCount(int rows, const QList<Slice>& slices, Version start, bool keepPages) {
    m_slices = slices;
    m_version = start;
    if (!keepPages) {
        m_pages.clear();
        m_anchors.clear();
        m_anchorsWhole = false;
    }
    setRows(rows);
    if (!keepPages && m_rows > 0 && columnCount() > 0) {
        emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
    }
    if (!m_key.orderColumn.isEmpty() && m_anchors.isEmpty()) {
        m_anchorTimer.start();
    }
}

void SprModel::setRows(int rows) {
    if (rows > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows(QModelIndex(), rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
}

void SprModel::prepareRows(int first, int last) {
    if (!inMemory(first, last)) {
        checkState(qMin(m_rows - 1, (last / kPageRows + 1) * kPageRows - 1));
    }
}

// Whether the pages of rows first..last are all in memory; a list wholly in memory stays as it was read.
bool SprModel::inMemory(int first, int last) const {
    first = qMax(first, 0);
    last = qMin(last, m_rows - 1);
    for (int number = first / kPageRows; first <= last && number <= last / kPageRows; ++number) {
        if (!m_pages.contains(number)) {
            return false;
        }
    }
    return true;
}

// A page of a list ordered by ID starts from the slice that holds it; a far page of another keyed
// list is read from the end in the opposite order, or from the anchor before it; every other page is
// read by its offset.
QString SprModel::pageSql(int first, int rows, bool* reversed, QVariant* order) const {
    if (!keyed()) {
        return PAGE_ROWS_SQL.arg(m_sql, QString::number(rows), QString::number(first));
    }
    if (m_key.orderedById) {
        Slice from{m_firstId, 0};
        if (counted() && !m_slices.isEmpty()) {
            const auto after = std::upper_bound(m_slices.cbegin(), m_slices.cend(), first,
                                                [](int row, const Slice& slice) { return row < slice.firstRow; });
            from = after == m_slices.cbegin() ? *after : *(after - 1);
        }
        return rowsSql(m_sql, QStringLiteral(" AND ID >= %1").arg(from.fromId), rows, qMax(0, first - from.firstRow));
    }
    const int tail = qMin(rows, m_rows - first);
    const int fromEnd = m_rows - first - tail;
    if (!counted() || first < kAnchorRows) {
        return rowsSql(m_sql, QString(), rows, first);
    }
    if (fromEnd < kAnchorRows) {
        *reversed = true;
        return rowsSql(reversedOrder(m_sql), QString(), tail, fromEnd);
    }
    const Anchor* anchor = anchorBefore(first);
    const Condition from = anchor ? fromRow(*anchor) : Condition{};
    *order = from.order;
    return rowsSql(m_sql, from.text, rows, first - (anchor ? anchor->row : 0));
}

// The rows from an anchor on, named by its values, so that the condition holds whether or not the row
// itself is still there.
SprModel::Condition SprModel::fromRow(const Anchor& anchor) const {
    const QString id = QString::number(anchor.id);
    if (anchor.order.isNull()) {
        return {FROM_UNDATED_ROW_SQL.arg(m_key.orderColumn, id), QVariant()};
    }
    return {FROM_ROW_SQL.arg(m_key.orderColumn, id), anchor.order};
}

// The last anchor at or before a row, finding those not yet found up to it; none before the first.
const SprModel::Anchor* SprModel::anchorBefore(int row) const {
    const int wanted = row / kAnchorRows;
    while (m_anchors.size() < wanted && addAnchor()) {
    }
    const int found = qMin(wanted, int(m_anchors.size()));
    return found > 0 ? &m_anchors.at(found - 1) : nullptr;
}

// The next anchor, by walking the list from the last one; false when the list ends before it.
bool SprModel::addAnchor() const {
    if (m_anchorsWhole) {
        return false;
    }
    const Condition from = m_anchors.isEmpty() ? Condition{} : fromRow(m_anchors.last());
    QSqlQuery query = run(ANCHOR_SQL.arg(m_key.orderColumn, m_sql, QString::number(m_firstId),
                                         QString::number(m_lastId), from.text, QString::number(kAnchorRows)),
                          from.order);
    m_anchorsWhole = !query.next();
    if (!m_anchorsWhole) {
        m_anchors << Anchor{int(m_anchors.size() + 1) * kAnchorRows, query.value(0), query.value(1).toLongLong()};
    }
    query.finish();
    return !m_anchorsWhole;
}

// Once counted, a list with anchors finds them between events, so that the scroll bar dragged far
// into it later finds its page at once.
void SprModel::anchorSlice() {
    m_anchorTimer.stop();
    if ((m_anchors.size() + 1) * kAnchorRows < m_rows && addAnchor()) {
        m_anchorTimer.start();
    }
}

SprModel::Page SprModel::readPage(int number, QStringList* fields) const {
    bool reversed = false;
    QVariant order;
    const QString sql = pageSql(number * kPageRows, kPageRows, &reversed, &order);
    QSqlQuery query = run(sql, order);
    const QSqlRecord record = query.record();
    for (int column = 0; fields && column < record.count(); ++column) {
        *fields << record.fieldName(column);
    }
    Page rows;
    while (query.next()) {
        QVariantList values;
        values.reserve(record.count());
        for (int column = 0; column < record.count(); ++column) {
            values << query.value(column);
        }
        rows.rows << values;
    }
    query.finish();
    if (reversed) {
        std::reverse(rows.rows.begin(), rows.rows.end());
    }
    return rows;
}

const SprModel::Page& SprModel::page(int number) const {
    auto found = m_pages.find(number);
    if (found == m_pages.end()) {
        if (m_pages.size() >= kCachedPages) {
            dropOldestPage();
        }
        found = m_pages.insert(number, readPage(number, nullptr));
    }
    found->lastUse = ++m_useClock;
    return *found;
}

void SprModel::dropOldestPage() const {
    auto oldest = m_pages.begin();
    for (auto it = m_pages.begin(); it != m_pages.end(); ++it) {
        if (it->lastUse < oldest->lastUse) {
            oldest = it;
        }
    }
    m_pages.erase(oldest);
}

int SprModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int SprModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant SprModel::value(int row, int column) const {
    if (row < 0 || row >= m_rows || column < 0 || column >= m_fields.size()) {
        return QVariant();
    }
    const Page& rows = page(row / kPageRows);
    const int offset = row % kPageRows;
    // Rows deleted by another workstation since the count leave the page short.
    return offset < rows.rows.size() ? rows.rows.at(offset).at(column) : QVariant();
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
    for (int column = 0; column < m_fields.size(); ++column) {
        if (m_fields.at(column).compare(field, Qt::CaseInsensitive) == 0) {
            return column;
        }
    }
    return -1;
}
