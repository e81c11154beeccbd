#include "common/SprModel.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>

#include "platform/Database.h"
#include "platform/LocaleFormat.h"

namespace {

const QString COUNT_ROWS_SQL = QStringLiteral("SELECT COUNT(*) FROM (%1)");
const QString PAGE_ROWS_SQL = QStringLiteral("SELECT * FROM (%1) LIMIT %2 OFFSET %3");

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

// The statement without its final ORDER BY, for counting: the order does not change the count, and
// SQLite would otherwise sort every row of the list only to count them.
QString withoutFinalOrderBy(const QString& sql) {
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
    return orderAt < 0 ? sql : sql.left(orderAt);
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

void SprModel::setQuery(const QString& sql, QueryBinder binder) {
    m_sql = withoutTrailingSemicolon(sql);
    m_binder = std::move(binder);
    refresh();
}

void SprModel::refresh() {
    // Read before the reset: a failing statement leaves the rows shown as they were.
    int rows = 0;
    QStringList fields;
    Page first;
    if (m_binder) {
        rows = readCount();
        first = readPage(0, &fields);
    }
    beginResetModel();
    m_pages.clear();
    m_rows = rows;
    m_fields = fields;
    if (m_binder) {
        m_pages.insert(0, first);
    }
    endResetModel();
}

void SprModel::clear() {
    m_sql.clear();
    m_binder = nullptr;
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

int SprModel::readCount() const {
    QSqlQuery query = run(COUNT_ROWS_SQL.arg(withoutFinalOrderBy(m_sql)));
    const int count = query.next() ? query.value(0).toInt() : 0;
    query.finish();
    return count;
}

SprModel::Page SprModel::readPage(int number, QStringList* fields) const {
    QSqlQuery query = run(PAGE_ROWS_SQL.arg(m_sql).arg(kPageRows).arg(qint64(number) * kPageRows));
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
