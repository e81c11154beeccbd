#include "app/UnitConst.h"

#include <QPainter>

#include "platform/Database.h"

QString gAppPath;
QString gPathBase;
QString gDBFName;
QString gPhotoDir;
QString gPathPhotoLoad;
TPeriod gPeriodCard;
QString gEndUserStr;
bool gQueryClose = true;
bool gMonopolno = false;
bool gLoginOK = false;
int gWinCount = 0;
TUserApl gUserApl;

namespace {

const QString SELECT_PRICE_SQL = QStringLiteral(
    "SELECT DateSet, Cena, StrahVosn FROM tCenaSeans WHERE ((DateSet<=:pDate) AND (ID_Period=%1) AND "
    "(ID_TypeCen=%2)) ORDER BY DateSet DESC;");
const QString FIND_PRICE_SQL =
    QStringLiteral("SELECT ID FROM tCenaSeans WHERE ((DateSet=:pDate) AND (ID_Period=%1) AND (ID_TypeCen=%2));");
const QString UPDATE_PRICE_SQL = QStringLiteral("UPDATE tCenaSeans SET Cena=:pCena, StrahVosn=:pVznos WHERE ID=%1;");
const QString INSERT_PRICE_SQL = QStringLiteral(
    "INSERT INTO tCenaSeans (ID_TypeCen, ID_Period, DateSet, Cena, StrahVosn) VALUES (%1, %2, :pDate, :pCena, "
    ":pVznos);");
const QString SELECT_BANDS_SQL =
    QStringLiteral("SELECT ID, TimeBegin, TimeEnd FROM tPeriodCena WHERE ID_Zal=%1 ORDER BY TimeBegin;");
const QString MAX_CARD_NUM_SQL = QStringLiteral("SELECT MAX(Num) FROM tCard WHERE TypeCard=%1;");
const QString INSERT_ACTION_SQL = QStringLiteral(
    "INSERT INTO tListActionUsers (dt_action, id_user, kod_action, ActionStr) VALUES (:pDTAction, :pID_user, "
    ":pKodAction, :pActionStr);");

constexpr int kActionTextLimit = 250;

}  // namespace

double GetCenaSeans(Database& db, int idPeriod, int idTypeCen, double& fee, const QDateTime& date) {
    SqlQuery query(db);
    query.addParam(QStringLiteral("pDate"), FieldType::DateTime, date);
    query.exec(SELECT_PRICE_SQL.arg(idPeriod).arg(idTypeCen));
    if (!query.next()) {
        return 0;
    }
    fee = query.asFloat(2);
    return query.asFloat(1);
}

void SetCenaSeans(Database& db, int idPeriod, int idTypeCen, const QDateTime& date, double price, double fee) {
    const QDateTime day(date.date(), QTime(0, 0));
    SqlQuery lookup(db);
    lookup.addParam(QStringLiteral("pDate"), FieldType::Date, day);
    lookup.exec(FIND_PRICE_SQL.arg(idPeriod).arg(idTypeCen));

    SqlQuery command(db);
    command.addParam(QStringLiteral("pCena"), FieldType::Float, price)
        .addParam(QStringLiteral("pVznos"), FieldType::Float, fee)
        .addParam(QStringLiteral("pDate"), FieldType::Date, day);
    if (lookup.next()) {
        command.exec(UPDATE_PRICE_SQL.arg(lookup.asInt(0)));
    } else {
        command.exec(INSERT_PRICE_SQL.arg(idTypeCen).arg(idPeriod));
    }
}

int GetIDPeriodCena(Database& db, int idZal, const QDateTime& time) {
    SqlQuery query(db);
    query.exec(SELECT_BANDS_SQL.arg(idZal));
    while (query.next()) {
        if (query.asDateTime(1) <= time && query.asDateTime(2) > time) {
            return query.asInt(0);
        }
    }
    return 0;
}

int GetNextNumCard(Database& db, int typeCard) {
    return execScalar(db, MAX_CARD_NUM_SQL.arg(typeCard)).toInt() + 1;
}

void WriteActionLog(Database& db, int code, const QString& text) {
    SqlQuery command(db);
    command.addParam(QStringLiteral("pDTAction"), FieldType::DateTime, QDateTime::currentDateTime())
        .addParam(QStringLiteral("pID_user"), FieldType::Integer, gUserApl.ID)
        .addParam(QStringLiteral("pKodAction"), FieldType::Integer, code)
        .addParam(QStringLiteral("pActionStr"), FieldType::String, text.left(kActionTextLimit));
    command.exec(INSERT_ACTION_SQL);
}

namespace {

// A bar from its left and top edges up to, not including, its right and bottom edges; a bar of no
// height (a count of 0) paints nothing.
void fillBar(QPainter& painter, int left, int top, int right, int bottom, const QColor& color) {
    const QRect bar(left, top, right - left, bottom - top);
    if (!bar.isEmpty()) {
        painter.fillRect(bar, color);
    }
}

}  // namespace

TLoadDay::TLoadDay(QWidget* owner) : QFrame(owner) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
}

void TLoadDay::SetCountCard(int count) {
    m_countCard = count;
    DrawLoad();
}

void TLoadDay::SetCountOrg(int count) {
    m_countOrg = count;
    DrawLoad();
}

void TLoadDay::DrawLoad() {
    if (MaxCount > 0) {
        update();
    }
}

int TLoadDay::barHeight(int count) const {
    return static_cast<int>(qint64(count) * height() / MaxCount);
}

// The organisation bar is filled second, 5 pixels further in, so it lies over the card bar.
void TLoadDay::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (MaxCount <= 0) {
        return;
    }
    const int w = width();
    const int h = height();
    QPainter painter(this);
    fillBar(painter, 2, h - barHeight(m_countCard) - 2, w - 2, h - 2, ColorCard);
    fillBar(painter, 7, 2, w - 7, barHeight(m_countOrg) + 2, ColorOrg);
}
