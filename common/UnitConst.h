#pragma once

#include <QColor>
#include <QDateTime>
#include <QFrame>
#include <QList>
#include <QString>
#include <QStringList>

class QComboBox;
class QImage;

class Database;

inline const QString kAppTitle = QStringLiteral("Велорма");
inline const QString kAppVersion = QStringLiteral("v.1.2.5");
inline const QString kDbAccessErrorText =
    QStringLiteral("Ошибка при доступе к базе данных!\rВозможно она уже запущена в монопольном режиме!");
// The tables a file must have to be taken as this program's database.
inline const QStringList kProgramTables = {
    QStringLiteral("tUserApl"),      QStringLiteral("tWorkUser"),  QStringLiteral("tListActionUsers"),
    QStringLiteral("tParApl"),       QStringLiteral("tClient"),    QStringLiteral("tProf"),
    QStringLiteral("tOrg"),          QStringLiteral("tCard"),      QStringLiteral("tWorkGurnal"),
    QStringLiteral("tWorkClubCard"), QStringLiteral("tWizardTMP"), QStringLiteral("tZal"),
    QStringLiteral("tSeans"),        QStringLiteral("tVidSport"),  QStringLiteral("tTypeCen"),
    QStringLiteral("tPeriodCena"),   QStringLiteral("tCenaSeans"), QStringLiteral("tSchedulEmpl"),
    QStringLiteral("tRezOrg")};

enum UserLevel { ulAdmin = 0, ulExpert = 1, ulUser = 2 };
enum CardType { ctAbonement = 0, ctClubCard = 1 };
enum ActionCode { acProgram = 0, acCard = 1 };
enum ParAplCode {
    pcUseInsurance = 51,
    pcDBVersion = 52,
    pcUseCardText = 53,
    pcOrgName = 101,
    pcDirector = 102,
    pcAbonLine1 = 103,
    pcAbonLine2 = 104,
    pcClubCardLine = 105,
    pcAbonLine = 106
};
enum ListKind {
    lkZal = 1,
    lkCards = 2,
    lkClients = 3,
    lkOrgs = 4,
    lkRezOrg = 5,
    lkUsers = 6,
    lkVidSport = 7,
    lkActions = 8
};

struct TUserApl {
    int ID = 1;
    QString Name = QStringLiteral("Admin");
    int Uroven = ulAdmin;
    QString Koment = QStringLiteral("system admin");
};

struct TIDName {
    int ID = 0;
    QString Name;
};

struct TPeriod {
    QDateTime Beg;
    QDateTime End;
};

// Settings of the workstation (from "AplConf.ini") and of this run.
extern QString gAppPath;
extern QString gPathBase;
extern QString gDBFName;
extern QString gPhotoDir;
extern QString gPathPhotoLoad;
extern TPeriod gPeriodCard;
extern QString gEndUserStr;
extern bool gQueryClose;
extern bool gMonopolno;
extern bool gLoginOK;
extern int gWinCount;
extern TUserApl gUserApl;

// The price of a band and price type valid on a date; the fee receives the row's insurance fee and
// keeps the caller's value when no price is found (then the answer is 0).
double GetCenaSeans(Database& db, int idPeriod, int idTypeCen, double& fee, const QDateTime& date);
// Stores price and fee of a band and price type from the date on: one row per day. Throws RecordGone when
// the band, its hall or the type was deleted meanwhile.
void SetCenaSeans(Database& db, int idPeriod, int idTypeCen, const QDateTime& date, double price, double fee);
// The hall's time-of-day band that holds the time (TimeBegin <= time < TimeEnd); 0 when none.
int GetIDPeriodCena(Database& db, int idZal, const QDateTime& time);
// The number to propose for a new card of the type: the largest so far plus 1.
qint64 GetNextNumCard(Database& db, int typeCard);
// Appends one event of the signed-in user; the text is cut to 250 characters.
void WriteActionLog(Database& db, int code, const QString& text);

// How full one time slot of a hall is: places taken by cards rise from the bottom, places reserved
// by organisations hang from the top, both scaled to the hall's places. It never reads the database.
class TLoadDay : public QFrame {
    Q_OBJECT

  public:
    explicit TLoadDay(QWidget* owner = nullptr);

    // The hall's places; setting it draws nothing until the next count or repaint.
    int MaxCount = 100;
    QColor ColorCard = QColor(0, 128, 0);
    QColor ColorOrg = QColor(0, 0, 128);

    int CountCard() const { return m_countCard; }
    int CountOrg() const { return m_countOrg; }
    void SetCountCard(int count);
    void SetCountOrg(int count);
    void DrawLoad();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // The share of the control's height that a count takes; the scale is the full height.
    int barHeight(int count) const;

    int m_countCard = 0;
    int m_countOrg = 0;
};

// An amount brought to that many decimals, an exact half going to the even neighbour. The rounding
// works on the decimal the user sees (15 significant digits), not on the nearest binary double, so
// 250.125 gives 250.12 and 1000.25 to one decimal gives 1000.2.
double RoundAmount(double value, int decimals);
// Money is never below 0: true, after a message that names the field, when the amount is.
bool refusedAsNegative(QWidget* parent, double amount, const QString& field);
// Turns a picture in place by an angle in degrees, clockwise as shown when positive, leaving it in
// 24-bit blue-green-red form. 90, 180 and 270 are exact turns; other angles are a nearest-pixel
// rotation whose uncovered parts take the background colour.
void RotateBitmap(QImage& bitmap, const QColor& background, double angle);

// The name of a weekday, 1 = Monday .. 7 = Sunday; empty for any other number.
QString weekdayName(int dayNed);

// One hall as the card form and the reservation form hold it, parallel to their hall boxes.
struct TZalInfo {
    int ID = 0;
    int CountMest = 0;
    int RezervMest = 0;
    QString StrTXTCard;  // at most 200 characters
};

// A slot's start as the slot boxes show it: the long time with its seconds cut off.
QString SeansTimeText(const QTime& time);
// A slot box's text read back as a time of day; invalid when the text is no time.
QTime SeansTimeFromText(const QString& text);
// The one form of a visit's or reserved place's DateWork: the date plus the slot's start, seconds 0.
QDateTime SeansDateTime(const QDate& date, const QTime& start);
// Throws RecordGone unless the hall still has a slot starting at that minute: another workstation may have
// deleted or moved it since the slot box was filled. Called inside the transaction of the write it guards.
void requireSlot(Database& db, int idZal, const QTime& start);
// Gives the panel the places of the hall's slot taken by cards and reserved by organisations; an
// invalid slot (no hall or no slot chosen) shows an empty load.
void ShowSlotLoad(Database& db, TLoadDay& panel, int idZal, const QDateTime& slot);

// The price types a box offers, in the box's order, with the visits and insured sum of each.
struct TTypeCenLists {
    QList<int>& ids;
    QList<int>& visits;
    QList<double>& insuredSums;
};
// Fills the box and the lists from a query of ID, name, visits and insured sum; the first type
// becomes current.
void LoadTypeCenBox(Database& db, const QString& sql, QComboBox& box, const TTypeCenLists& lists);
