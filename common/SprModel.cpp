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
const QString COUNT_SLICE_SQL = QStringLiteral("SELECT COUNT(*) FROM (%1) WHERE ID > %2 AND ID <= %3");
const QString LAST_ID_SQL = QStringLiteral("SELECT MAX(ID) FROM %1");
const QString PAGE_ROWS_SQL = QStringLiteral("SELECT * FROM (%1) LIMIT %2 OFFSET %3");
const QString PAGE_AFTER_ID_SQL = QStringLiteral("SELECT * FROM (%1) WHERE ID > %2 LIMIT %3 OFFSET %4");
const QString PAGE_FROM_ROW_SQL = QStringLiteral("SELECT * FROM (%1) WHERE %2 LIMIT %3 OFFSET %4");
const QString ROW_ID_SQL = QStringLiteral("SELECT ID FROM (%1) LIMIT 1 OFFSET %2");
const QString ROW_ID_FROM_ROW_SQL = QStringLiteral("SELECT ID FROM (%1) WHERE %2 LIMIT 1 OFFSET %3");

// A slice of the count takes a few milliseconds, far below what another workstation's write may
// wait: its width in IDs grows while slices are quick and shrinks when one is slow.
constexpr qint64 kFirstSliceIds = 1024;
constexpr qint64 kFewestSliceIds = 256;
constexpr qint64 kMostSliceIds = 1 << 20;
constexpr qint64 kQuickSliceNs = 2'000'000;
constexpr qint64 kSlowSliceNs = 8'000'000;
// Rows between two anchors of a list not ordered by ID: walking them takes a few milliseconds.
constexpr int kAnchorRows = 8192;

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
    // The slices and anchors of the last read no longer tell where a page starts.
    m_slices.clear();
    m_anchors.clear();
    // Read before the reset: a failing statement leaves the rows shown as they were.
    QStringList fields;
    Page first;
    int rows = 0;
    if (m_binder) {
        first = readPage(0, &fields);
        const bool whole = first.rows.size() < kPageRows;
        rows = whole || !m_key.table.isEmpty() ? int(first.rows.size())
                                               : int(readNumber(COUNT_ROWS_SQL.arg(withoutFinalOrderBy(m_sql))));
    }
    beginResetModel();
    m_pages.clear();
    m_rows = rows;
    m_fields = fields;
    if (m_binder) {
        m_pages.insert(0, first);
    }
    endResetModel();
    if (m_binder && !m_key.table.isEmpty() && rows == kPageRows) {
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

void SprModel::startCount() {
    m_slices.clear();
    m_countedRows = 0;
    m_countedId = m_key.afterId;
    m_sliceIds = kFirstSliceIds;
    m_lastId = m_key.lastId >= 0 ? m_key.lastId : readNumber(LAST_ID_SQL.arg(m_key.table));
    m_countTimer.start();
}

// A failing slice ends the count, so that its error is shown once; the list keeps the rows it has
// until it is read again.
void SprModel::countSlice() {
    m_countTimer.stop();
    QElapsedTimer timer;
    timer.start();
    const qint64 upTo = qMin(m_lastId, m_countedId + m_sliceIds);
    const int rows = int(readNumber(COUNT_SLICE_SQL.arg(withoutFinalOrderBy(m_sql)).arg(m_countedId).arg(upTo)));
    if (rows > 0) {
        m_slices << Slice{m_countedId, m_countedRows};
    }
    m_countedRows += rows;
    m_countedId = upTo;
    const qint64 took = timer.nsecsElapsed();
    if (took < kQuickSliceNs) {
        m_sliceIds = qMin(m_sliceIds * 2, kMostSliceIds);
    } else if (took > kSlowSliceNs) {
        m_sliceIds = qMax(m_sliceIds / 2, kFewestSliceIds);
    }
    if (m_countedId >= m_lastId) {
        endCount();
    } else {
        m_countTimer.start();
    }
}

void SprModel::endCount() {
    // The first page was read before the count: another workstation may have changed the list since.
    if (m_countedRows > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, m_countedRows - 1);
        m_rows = m_countedRows;
        endInsertRows();
    } else if (m_countedRows < m_rows) {
        beginRemoveRows(QModelIndex(), m_countedRows, m_rows - 1);
        m_rows = m_countedRows;
        endRemoveRows();
    }
    if (!m_key.fromRow.isEmpty()) {
        m_anchorTimer.start();
    }
    emit countFinished();
}

void SprModel::finishCount() {
    while (!counted()) {
        countSlice();
    }
}

// A page of a list ordered by ID starts from the slice that holds it; a far page of another keyed
// list is read from the end in the opposite order; every other page is read by its offset.
QString SprModel::pageSql(int first, int rows, bool* reversed) const {
    if (m_key.table.isEmpty()) {
        return PAGE_ROWS_SQL.arg(m_sql).arg(rows).arg(first);
    }
    if (m_key.orderedById) {
        Slice from{m_key.afterId, 0};
        if (counted() && !m_slices.isEmpty()) {
            const auto after = std::upper_bound(m_slices.cbegin(), m_slices.cend(), first,
                                                [](int row, const Slice& slice) { return row < slice.firstRow; });
            from = after == m_slices.cbegin() ? *after : *(after - 1);
        }
        return PAGE_AFTER_ID_SQL.arg(m_sql).arg(from.afterId).arg(rows).arg(qMax(0, first - from.firstRow));
    }
    const int tail = qMin(rows, m_rows - first);
    const int fromEnd = m_rows - first - tail;
    if (!counted() || first < kAnchorRows || (fromEnd >= first && m_key.fromRow.isEmpty())) {
        return PAGE_ROWS_SQL.arg(m_sql).arg(rows).arg(first);
    }
    if (fromEnd < kAnchorRows || m_key.fromRow.isEmpty()) {
        *reversed = true;
        return PAGE_ROWS_SQL.arg(reversedOrder(m_sql)).arg(tail).arg(fromEnd);
    }
    return fromAnchorSql(first, rows);
}

// A page from the anchor before it; anchors not yet found up to it are found first.
QString SprModel::fromAnchorSql(int first, int rows) const {
    const int wanted = first / kAnchorRows;
    while (m_anchors.size() < wanted) {
        addAnchor();
    }
    const Anchor& anchor = m_anchors.at(wanted - 1);
    return PAGE_FROM_ROW_SQL.arg(m_sql, m_key.fromRow.arg(anchor.id)).arg(rows).arg(first - anchor.row);
}

// The next anchor, by walking the list from the last one.
void SprModel::addAnchor() const {
    const QString sql = m_anchors.isEmpty()
                            ? ROW_ID_SQL.arg(m_sql).arg(kAnchorRows)
                            : ROW_ID_FROM_ROW_SQL.arg(m_sql, m_key.fromRow.arg(m_anchors.last().id)).arg(kAnchorRows);
    const int row = (int(m_anchors.size()) + 1) * kAnchorRows;
    m_anchors << Anchor{row, readNumber(sql)};
}

// Once counted, a list with anchors finds them between events, so that the scroll bar dragged far
// into it later finds its page at once.
void SprModel::anchorSlice() {
    m_anchorTimer.stop();
    if ((m_anchors.size() + 1) * kAnchorRows < m_rows) {
        addAnchor();
        m_anchorTimer.start();
    }
}

SprModel::Page SprModel::readPage(int number, QStringList* fields) const {
    bool reversed = false;
    QSqlQuery query = run(pageSql(number * kPageRows, kPageRows, &reversed));
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
