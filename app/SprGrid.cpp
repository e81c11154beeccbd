#include "app/SprGrid.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>

#include "platform/Database.h"
#include "platform/LocaleFormat.h"

namespace {

// Floats show with up to 15 significant digits, as the workstation's default float form does.
constexpr int kFloatDigits = 15;
// How long one idle turn may read rows before the event loop runs again.
constexpr int kIdleFetchMs = 15;

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

// Date-times are stored as text in one fixed form; only that exact form is shown as a date-time.
QDateTime storedDateTime(const QString& text) {
    static const QRegularExpression stored(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
    if (!stored.match(text).hasMatch()) {
        return QDateTime();
    }
    const QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(text.mid(11), QStringLiteral("HH:mm:ss"));
    // UTC: a stored wall-clock time must not shift or vanish across a daylight-saving change.
    return date.isValid() && time.isValid() ? QDateTime(date, time, Qt::UTC) : QDateTime();
}

QLocale numberLocale() {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale;
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

QVariant SprModel::data(const QModelIndex& item, int role) const {
    if (role == Qt::DisplayRole) {
        return defaultDisplayText(QSqlQueryModel::data(item, Qt::DisplayRole));
    }
    if (role == Qt::TextAlignmentRole) {
        const QVariant value = QSqlQueryModel::data(item, Qt::DisplayRole);
        if (isInteger(value) || isFloat(value)) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return QSqlQueryModel::data(item, role);
}

QVariant SprModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        const QString field = record().fieldName(section);
        const auto title = m_titles.constFind(field.toLower());
        if (title != m_titles.constEnd()) {
            return *title;
        }
    }
    return QSqlQueryModel::headerData(section, orientation, role);
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
    return record().indexOf(field);
}

SprGrid::SprGrid(QWidget* parent) : QTableView(parent), m_model(new SprModel(this)) {
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);

    QHeaderView* titles = horizontalHeader();
    QFont bold = titles->font();
    bold.setBold(true);
    titles->setFont(bold);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setHighlightSections(false);
    titles->setSectionsClickable(false);
    titles->setStretchLastSection(false);

    // The row indicator: a narrow column that marks the current row.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setHighlightSections(true);

    connect(this, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            emit cellClick();
        }
    });
    connect(this, &QTableView::doubleClicked, this, &SprGrid::dblClick);
    // A double-click on the titles acts on nothing, but it is a double-click: the count starts again.
    connect(titles, &QHeaderView::sectionDoubleClicked, this, [this] { takeDoubleClick(); });

    m_idleFetch.setInterval(0);
    connect(&m_idleFetch, &QTimer::timeout, this, &SprGrid::fetchWhileIdle);
}

void SprGrid::load(const QString& sql, QueryBinder binder, const QStringList& hidden, const QList<SprColumn>& columns) {
    m_sql = sql;
    m_binder = std::move(binder);
    m_hidden = hidden;
    m_columns = columns;
    m_model->setTitles(columns);
    requery(0);
}

void SprGrid::clearList() {
    m_idleFetch.stop();
    m_sql.clear();
    m_binder = nullptr;
    m_hidden.clear();
    m_columns.clear();
    m_model->setTitles({});
    m_model->clear();
}

void SprGrid::requery(int row) {
    if (!m_binder) {
        return;
    }
    QSqlQuery query = m_binder(m_sql);
    if (!query.exec()) {
        throw DbError(query.lastError().text().trimmed(), query.lastQuery(), Q_FUNC_INFO);
    }
    m_model->setQuery(std::move(query));
    if (m_model->lastError().isValid()) {
        throw DbError(m_model->lastError().text().trimmed(), m_model->query().lastQuery(), Q_FUNC_INFO);
    }
    applyColumns();
    goToRow(row);
    if (m_model->canFetchMore()) {
        m_idleFetch.start();
    } else {
        m_idleFetch.stop();
    }
}

void SprGrid::applyColumns() {
    const int charWidth = fontMetrics().averageCharWidth();
    for (int column = 0; column < m_model->columnCount(); ++column) {
        setColumnHidden(column, false);
    }
    for (const QString& field : m_hidden) {
        const int column = m_model->fieldColumn(field);
        if (column >= 0) {
            setColumnHidden(column, true);
        }
    }
    for (const SprColumn& titled : m_columns) {
        const int column = m_model->fieldColumn(titled.field);
        if (column >= 0 && titled.widthChars > 0) {
            setColumnWidth(column, titled.widthChars * charWidth);
        }
    }
}

// The model fetches in chunks; only as many rows as the row number needs are read.
void SprGrid::goToRow(int row) {
    while (row >= m_model->rowCount() && m_model->canFetchMore()) {
        m_model->fetchMore();
    }
    const int count = m_model->rowCount();
    if (count == 0) {
        setCurrentIndex(QModelIndex());
        return;
    }
    int column = 0;
    while (column < m_model->columnCount() - 1 && isColumnHidden(column)) {
        ++column;
    }
    const QModelIndex target = m_model->index(qBound(0, row, count - 1), column);
    setCurrentIndex(target);
    scrollTo(target);
}

void SprGrid::fetchWhileIdle() {
    QElapsedTimer turn;
    turn.start();
    while (m_model->canFetchMore() && turn.elapsed() < kIdleFetchMs) {
        m_model->fetchMore();
    }
    if (!m_model->canFetchMore()) {
        m_idleFetch.stop();
    }
}

int SprGrid::currentRowNumber() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

QVariant SprGrid::currentValue(const QString& field) const {
    return valueAt(currentRowNumber(), field);
}

int SprGrid::rowCount() const {
    while (m_model->canFetchMore()) {
        m_model->fetchMore();
    }
    return m_model->rowCount();
}

QVariant SprGrid::valueAt(int row, const QString& field) const {
    return row >= 0 && row < m_model->rowCount() ? m_model->record(row).value(field) : QVariant();
}

bool SprGrid::takeDoubleClick() {
    const bool acts = m_cellClick;
    m_cellClick = false;
    return acts;
}

void SprGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit enterPressed();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
