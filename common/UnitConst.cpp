#include "common/UnitConst.h"

#include <QColor>
#include <QComboBox>
#include <QImage>
#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "platform/Database.h"
#include "platform/LocaleFormat.h"
#include "platform/UiSeam.h"

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

// Only the newest price is used: the band's index finds it without reading the price history.
const QString SELECT_PRICE_SQL = QStringLiteral(
    "SELECT DateSet, Cena, StrahVosn FROM tCenaSeans WHERE ((DateSet<=:pDate) AND (ID_Period=%1) AND "
    "(ID_TypeCen=%2)) ORDER BY DateSet DESC LIMIT 1;");
const QString FIND_PRICE_SQL =
    QStringLiteral("SELECT ID FROM tCenaSeans WHERE ((DateSet=:pDate) AND (ID_Period=%1) AND (ID_TypeCen=%2));");
const QString UPDATE_PRICE_SQL = QStringLiteral("UPDATE tCenaSeans SET Cena=:pCena, StrahVosn=:pVznos WHERE ID=%1;");
const QString INSERT_PRICE_SQL = QStringLiteral(
    "INSERT INTO tCenaSeans (ID_TypeCen, ID_Period, DateSet, Cena, StrahVosn) VALUES (%1, %2, :pDate, :pCena, "
    ":pVznos);");
const QString BAND_HALL_SQL = QStringLiteral("SELECT ID_Zal FROM tPeriodCena WHERE ID=%1;");
// Stored times compare as text in their one fixed form; the earliest band that holds the time wins.
const QString SELECT_BAND_SQL = QStringLiteral(
    "SELECT ID FROM tPeriodCena WHERE ((ID_Zal=%1) AND (TimeBegin<=:pTime) AND (TimeEnd>:pTime)) "
    "ORDER BY TimeBegin LIMIT 1;");
const QString MAX_CARD_NUM_SQL = QStringLiteral("SELECT MAX(Num) FROM tCard WHERE TypeCard=%1;");
const QString INSERT_ACTION_SQL = QStringLiteral(
    "INSERT INTO tListActionUsers (dt_action, id_user, kod_action, ActionStr) VALUES (:pDTAction, :pID_user, "
    ":pKodAction, :pActionStr);");

// Places of cards (ID_Card > 0) and of reservations (ID_Card < 0) in one pass over the slot's rows.
const QString COUNT_LOAD_SQL = QStringLiteral(
    "SELECT COUNT(CASE WHEN ID_Card>0 THEN 1 END), COUNT(CASE WHEN ID_Card<0 THEN 1 END) FROM tWorkGurnal "
    "WHERE ((DateWork=:pDate) AND (ID_Zal=%1));");
// A visit keeps only the minute of its slot's start, so the slot is found by that minute.
const QString COUNT_SLOT_SQL =
    QStringLiteral("SELECT COUNT(*) FROM tSeans WHERE ((ID_Zal=%1) AND (strftime('%H:%M', TimeBeg)=:pStart));");

constexpr int kActionTextLimit = 250;
// The seconds and their separator at the end of a long time ("10:00:00").
constexpr int kSecondsChars = 3;

// Cut on a character boundary: half of a surrogate pair would store invalid UTF-8.
QString actionText(const QString& text) {
    if (text.size() <= kActionTextLimit) {
        return text;
    }
    const bool splitsPair = text.at(kActionTextLimit - 1).isHighSurrogate();
    return text.left(splitsPair ? kActionTextLimit - 1 : kActionTextLimit);
}

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
    // Look-up and write under the write lock, so that two workstations cannot both insert the day.
    Transaction transaction(db);
    // Band 0 is no row: it holds the prices of club cards and sports types.
    if (idPeriod != 0) {
        requireRecord(db, QStringLiteral("tPeriodCena"), idPeriod);
        requireRecord(db, QStringLiteral("tZal"), execScalar(db, BAND_HALL_SQL.arg(idPeriod)).toInt());
    }
    requireRecord(db, QStringLiteral("tTypeCen"), idTypeCen);
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
    transaction.commit();
}

int GetIDPeriodCena(Database& db, int idZal, const QDateTime& time) {
    SqlQuery query(db);
    query.addParam(QStringLiteral("pTime"), FieldType::DateTime, time);
    query.exec(SELECT_BAND_SQL.arg(idZal));
    return query.next() ? query.asInt(0) : 0;
}

// Counted in 64 bits, as the file holds them, so that no number turns negative after the form's largest.
qint64 GetNextNumCard(Database& db, int typeCard) {
    const qint64 largest = execScalar(db, MAX_CARD_NUM_SQL.arg(typeCard)).toLongLong();
    return largest < std::numeric_limits<qint64>::max() ? largest + 1 : largest;
}

void WriteActionLog(Database& db, int code, const QString& text) {
    SqlQuery command(db);
    command.addParam(QStringLiteral("pDTAction"), FieldType::DateTime, QDateTime::currentDateTime())
        .addParam(QStringLiteral("pID_user"), FieldType::Integer, gUserApl.ID)
        .addParam(QStringLiteral("pKodAction"), FieldType::Integer, code)
        .addParam(QStringLiteral("pActionStr"), FieldType::String, actionText(text));
    command.exec(INSERT_ACTION_SQL);
}

namespace {

constexpr int kPixelBytes = 3;
constexpr double kDegreeRadians = 0.017453292519943295;

// Nearest integer, halves to the even one (the default rounding mode).
int roundEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

void copyPixel(uchar* target, const uchar* source) {
    target[0] = source[0];
    target[1] = source[1];
    target[2] = source[2];
}

// Clockwise: target (x, y) is source column y of row H-1-x; counter-clockwise: column W-1-y of row x.
void quarterTurn(QImage& bitmap, const QImage& source, bool clockwise) {
    const int w = source.width();
    const int h = source.height();
    std::vector<const uchar*> rows(h);
    for (int x = 0; x < h; ++x) {
        rows[x] = source.constScanLine(clockwise ? h - 1 - x : x);
    }
    bitmap = QImage(h, w, QImage::Format_BGR888);
    for (int y = 0; y < w; ++y) {
        uchar* target = bitmap.scanLine(y);
        const int column = (clockwise ? y : w - 1 - y) * kPixelBytes;
        for (int x = 0; x < h; ++x) {
            copyPixel(target + x * kPixelBytes, rows[x] + column);
        }
    }
}

void halfTurn(QImage& bitmap, const QImage& source) {
    const int w = source.width();
    const int h = source.height();
    for (int y = 0; y < h; ++y) {
        const uchar* from = source.constScanLine(h - 1 - y);
        uchar* target = bitmap.scanLine(y);
        for (int x = 0; x < w; ++x) {
            copyPixel(target + x * kPixelBytes, from + (w - 1 - x) * kPixelBytes);
        }
    }
}

// The corners (0, 0), (W, 0), (W, H), (0, H) turned about (0, 0) give the target's bounds; each
// target pixel takes the source pixel that the reverse turn lands on.
void generalTurn(QImage& bitmap, const QImage& source, const QColor& background, double angle) {
    const int w = source.width();
    const int h = source.height();
    const double theta = angle * kDegreeRadians;
    const double cosT = std::cos(theta);
    const double sinT = std::sin(theta);
    int left = 0, top = 0, right = 0, bottom = 0;
    for (const auto& [cx, cy] : {std::pair{w, 0}, std::pair{w, h}, std::pair{0, h}}) {
        const int x = roundEven(cx * cosT - cy * sinT);
        const int y = roundEven(cx * sinT + cy * cosT);
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    bitmap = QImage(right - left, bottom - top, QImage::Format_BGR888);
    bitmap.fill(background);
    const double a = -angle * M_PI / 180;
    const double cosA = std::cos(a);
    const double sinA = std::sin(a);
    for (int y = 0; y < bitmap.height(); ++y) {
        uchar* target = bitmap.scanLine(y);
        const int sourceY = top + y;
        for (int x = 0; x < bitmap.width(); ++x) {
            const int sourceX = left + x;
            const int sx = roundEven(sourceX * cosA - sourceY * sinA);
            const int sy = roundEven(sourceX * sinA + sourceY * cosA);
            if (sx >= 0 && sx < w && sy >= 0 && sy < h) {
                copyPixel(target + x * kPixelBytes, source.constScanLine(sy) + sx * kPixelBytes);
            }
        }
    }
}

}  // namespace

void RotateBitmap(QImage& bitmap, const QColor& background, double angle) {
    bitmap.convertTo(QImage::Format_BGR888);
    const QImage source = bitmap.copy();
    if (angle != std::trunc(angle)) {
        generalTurn(bitmap, source, background, angle);
        return;
    }
    switch (static_cast<int>(angle)) {
        case -360:
        case 0:
        case 360:
        case 720:
            return;
        case 90:
        case 270:
            quarterTurn(bitmap, source, angle == 90);
            return;
        case 180:
            halfTurn(bitmap, source);
            return;
        default:
            generalTurn(bitmap, source, background, angle);
    }
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

namespace {

constexpr int kSeenDigits = 15;

// -1, 0 or 1 as the dropped digits lie below, on or above an exact half.
int compareWithHalf(const QString& dropped) {
    if (dropped.isEmpty()) {
        return -1;
    }
    if (dropped.at(0) != QLatin1Char('5')) {
        return dropped.at(0) < QLatin1Char('5') ? -1 : 1;
    }
    for (int i = 1; i < dropped.size(); ++i) {
        if (dropped.at(i) != QLatin1Char('0')) {
            return 1;
        }
    }
    return 0;
}

}  // namespace

bool refusedAsNegative(QWidget* parent, double amount, const QString& field) {
    if (amount >= 0) {
        return false;
    }
    showMessage(parent, QStringLiteral("%1 не может быть меньше 0!").arg(field));
    return true;
}

double RoundAmount(double value, int decimals) {
    // d.dddddddddddddde±x: the first 15 significant digits and the power of ten of the first.
    const QString seen = QString::number(std::abs(value), 'e', kSeenDigits - 1);
    const int exponentAt = seen.indexOf(QLatin1Char('e'));
    const QString digits = seen.left(1) + seen.mid(2, exponentAt - 2);
    const int kept = seen.mid(exponentAt + 1).toInt() + 1 + decimals;
    if (kept >= kSeenDigits) {
        return value;
    }
    if (kept < 0) {
        return 0;
    }
    qint64 whole = kept > 0 ? digits.left(kept).toLongLong() : 0;
    const int half = compareWithHalf(digits.mid(kept));
    if (half > 0 || (half == 0 && whole % 2 != 0)) {
        ++whole;
    }
    const double rounded = double(whole) / std::pow(10.0, decimals);
    return value < 0 ? -rounded : rounded;
}

QString weekdayName(int dayNed) {
    static const QStringList names = {QStringLiteral("Понедельник"), QStringLiteral("Вторник"),
                                      QStringLiteral("Среда"),       QStringLiteral("Четверг"),
                                      QStringLiteral("Пятница"),     QStringLiteral("Суббота"),
                                      QStringLiteral("Воскресенье")};
    return dayNed >= 1 && dayNed <= names.size() ? names[dayNed - 1] : QString();
}

QString SeansTimeText(const QTime& time) {
    return longTimeText(time).chopped(kSecondsChars);
}

QTime SeansTimeFromText(const QString& text) {
    return QLocale().toTime(text.trimmed(), longTimeFormat().chopped(kSecondsChars));
}

QDateTime SeansDateTime(const QDate& date, const QTime& start) {
    return QDateTime(date, QTime(start.hour(), start.minute()));
}

void requireSlot(Database& db, int idZal, const QTime& start) {
    SqlQuery query(db);
    query.addParam(QStringLiteral("pStart"), FieldType::String, start.toString(QStringLiteral("HH:mm")));
    query.exec(COUNT_SLOT_SQL.arg(idZal));
    if (!query.next() || query.asInt(0) == 0) {
        throw RecordGone();
    }
}

void ShowSlotLoad(Database& db, TLoadDay& panel, int idZal, const QDateTime& slot) {
    if (!slot.isValid()) {
        panel.SetCountCard(0);
        panel.SetCountOrg(0);
        return;
    }
    SqlQuery query(db);
    query.addParam(QStringLiteral("pDate"), FieldType::DateTime, slot);
    query.exec(COUNT_LOAD_SQL.arg(idZal));
    const bool counted = query.next();
    panel.SetCountCard(counted ? query.asInt(0) : 0);
    panel.SetCountOrg(counted ? query.asInt(1) : 0);
}

void LoadTypeCenBox(Database& db, const QString& sql, QComboBox& box, const TTypeCenLists& lists) {
    box.clear();
    lists.ids.clear();
    lists.visits.clear();
    lists.insuredSums.clear();
    SqlQuery query(db);
    query.exec(sql);
    while (query.next()) {
        lists.ids << query.asInt(0);
        box.addItem(query.asString(1));
        lists.visits << query.asInt(2);
        lists.insuredSums << query.asFloat(3);
    }
    if (box.count() > 0) {
        box.setCurrentIndex(0);
    }
}
