#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include "cards/UnitCard.h"
#include "common/SprGrid.h"
#include "common/UnitConst.h"
#include "platform/Database.h"
#include "platform/FormWidgets.h"
#include "platform/Forms.h"
#include "platform/LocaleFormat.h"

namespace {

const QString SELECT_TYPECEN_ABON_SQL = QStringLiteral(
    "SELECT ID, Name, KolvoSeans, StrahSumma FROM tTypeCen WHERE ((Zal_ID=%1) AND (KolvoSeans>0) AND "
    "(VidSportaID=0)) ORDER BY ID;");
const QString SELECT_TYPECEN_CLUB_SQL = QStringLiteral(
    "SELECT ID, Name, KolvoSeans, StrahSumma FROM tTypeCen WHERE (((Zal_ID=%1) OR (Zal_ID=0)) AND (KolvoSeans=0) "
    "AND (VidSportaID=0)) ORDER BY ID;");
const QString SELECT_SEANS_SQL = QStringLiteral("SELECT TimeBeg FROM tSeans WHERE ID_Zal=%1 ORDER BY TimeBeg;");
// The date and the time of a visit as the grid shows them: a stored date at midnight, and "HH:mm".
const QString SELECT_VISITS_SQL = QStringLiteral(
    "SELECT tWorkGurnal.ID, tZal.NameZal, substr(DateWork,1,10)||' 00:00:00' as DateSeans, "
    "substr(DateWork,12,5) as TimeSeans, tWorkGurnal.Cena FROM tWorkGurnal, tZal WHERE ((ID_Card=%1) AND "
    "(tWorkGurnal.ID_Zal=tZal.ID)) ORDER BY DateWork, NameZal;");
const QString SELECT_CLUB_ZALS_SQL = QStringLiteral(
    "SELECT tWorkClubCard.ID, tZal.NameZal, tWorkClubCard.Cena, tWorkClubCard.ID_Zal FROM tWorkClubCard, tZal "
    "WHERE ((ID_Card=%1) AND (tWorkClubCard.ID_Zal=tZal.ID)) ORDER BY NameZal;");
const QString SUM_VISITS_SQL = QStringLiteral("SELECT COUNT(*), SUM(Cena) FROM tWorkGurnal WHERE ID_Card=%1;");
const QString SUM_CLUB_ZALS_SQL = QStringLiteral("SELECT COUNT(*), SUM(Cena) FROM tWorkClubCard WHERE ID_Card=%1;");
const QString UPDATE_SUM_SQL = QStringLiteral("UPDATE tCard SET SumCard=:pSumCard WHERE ID=%1;");

// Columns of the visit and hall lists, in the order their statements select them.
constexpr int kGridColumns = 5;
const QList<int> kCentredVisitColumns = {2, 3, 4};  // DateSeans, TimeSeans, Cena
const QList<int> kCentredHallColumns = {2};         // Cena

constexpr int kSumDigits = 6;
constexpr int kWideCena = 17;
constexpr int kNarrowCena = 14;

int digitsBeforePoint(double value) {
    return QString::number(qint64(std::abs(value))).size();
}

}  // namespace

void TfrmCard::LoadTypeCen() {
    LoadTypeCenBox(m_db, (clubCard() ? SELECT_TYPECEN_CLUB_SQL : SELECT_TYPECEN_ABON_SQL).arg(FIDZal), *cbTypeCen,
                   {FListIDTypeCen, FListKolvoSeans, FListStrahSumma});
}

// Each slot shows its start in the long time format without the seconds ("9:00" under H:mm:ss) and
// holds the time itself, so nothing is read back from the text.
void TfrmCard::LoadSeans() {
    cbSeans->clear();
    SqlQuery query(m_db);
    query.exec(SELECT_SEANS_SQL.arg(FIDZal));
    while (query.next()) {
        const QTime start = query.asDateTime(0).time();
        cbSeans->addItem(SeansTimeText(start), start);
    }
    if (cbSeans->count() > 0) {
        cbSeans->setCurrentIndex(0);
    }
}

// While a search list is shown the grid keeps it: "Выбрать" must read a client or organisation row.
// Leaving the list shows the card's rows again.
void TfrmCard::LoadTabl() {
    if (FModeSelect != msVisits) {
        return;
    }
    if (FIDCard < 0) {
        DBGridSpr->clearList();
        return;
    }
    const auto plain = [this](const QString& sql) { return SqlQuery(m_db).prepared(sql); };
    // A club card with more than one hall narrows its price column.
    if (clubCard()) {
        const int cenaWidth = cardRowCount() > 1 ? kNarrowCena : kWideCena;
        DBGridSpr->load(SELECT_CLUB_ZALS_SQL.arg(FIDCard), plain, {QStringLiteral("ID"), QStringLiteral("ID_Zal")},
                        {{QStringLiteral("NameZal"), QStringLiteral("Зал"), 30},
                         {QStringLiteral("Cena"), QStringLiteral("Цена"), cenaWidth}});
        centreColumns(kCentredHallColumns);
    } else {
        DBGridSpr->load(SELECT_VISITS_SQL.arg(FIDCard), plain, {QStringLiteral("ID")},
                        {{QStringLiteral("NameZal"), QStringLiteral("Зал"), 20},
                         {QStringLiteral("DateSeans"), QStringLiteral("Дата"), 10},
                         {QStringLiteral("TimeSeans"), QStringLiteral("Время"), 6},
                         {QStringLiteral("Cena"), QStringLiteral("Цена"), 6}});
        centreColumns(kCentredVisitColumns);
    }
    growToShowColumns(*DBGridSpr);
}

// The client and organisation lists keep the grid's own alignment.
void TfrmCard::centreColumns(const QList<int>& columns) {
    for (int column = 0; column < kGridColumns; ++column) {
        DBGridSpr->setItemDelegateForColumn(column, columns.contains(column) ? m_centred : nullptr);
    }
}

void TfrmCard::LoadGraphData() {
    const QString day = shortDateText(calendarDate());
    txtDateSelect->setText(day.left(day.size() - 5));
    const int zal = zalIndex();
    const bool chosen = zal >= 0 && hasSlot();
    ShowSlotLoad(m_db, *FLoadDay, chosen ? FZals[zal].ID : -1, chosen ? visitDateTime() : QDateTime());
}

int TfrmCard::cardRowCount() {
    return FIDCard < 0 ? 0 : execScalar(m_db, (clubCard() ? SUM_CLUB_ZALS_SQL : SUM_VISITS_SQL).arg(FIDCard)).toInt();
}

// A card whose last row is deleted stores a sum of 0, so the list never shows an old sum.
void TfrmCard::CalcSumCard() {
    int rows = 0;
    double sum = 0;
    if (FIDCard >= 0) {
        SqlQuery query(m_db);
        query.exec((clubCard() ? SUM_CLUB_ZALS_SQL : SUM_VISITS_SQL).arg(FIDCard));
        if (query.next()) {
            rows = query.asInt(0);
            sum = RoundAmount(query.asFloat(1), 1);
        }
    }
    btnDel->setEnabled(rows > 0);
    stSum->setText(rows > 0 ? SumText(sum) : QStringLiteral("0"));
    if (FIDCard > 0) {
        SqlQuery command(m_db);
        command.addParam(QStringLiteral("pSumCard"), FieldType::Float, sum);
        command.exec(UPDATE_SUM_SQL.arg(FIDCard));
    }
}

// Up to six digits before the separator the sum shows fixed, brought to six significant digits;
// a longer one falls back to exponent notation.
QString TfrmCard::SumText(double sum) {
    const int before = digitsBeforePoint(sum);
    if (before > kSumDigits) {
        return QLocale().toString(sum, 'E', kSumDigits - 1);
    }
    return QLocale().toString(RoundAmount(sum, qMin(1, kSumDigits - before)), 'f', 1);
}
