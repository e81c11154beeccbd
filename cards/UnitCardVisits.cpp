#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>

#include "cards/UnitCard.h"
#include "common/SprGrid.h"
#include "common/UnitConst.h"
#include "platform/Database.h"
#include "platform/UiSeam.h"

namespace {

const QString INSERT_VISIT_SQL =
    QStringLiteral("INSERT INTO tWorkGurnal (DateWork, ID_Zal, ID_Card, Cena) VALUES (:pDatWork, %1, %2, :pCena);");
const QString INSERT_CLUB_ZAL_SQL =
    QStringLiteral("INSERT INTO tWorkClubCard (ID_Card, ID_Zal, Cena) VALUES (%1, %2, :pCena);");
const QString COUNT_CLUB_ZAL_SQL =
    QStringLiteral("SELECT COUNT(*) FROM tWorkClubCard WHERE ((ID_Card=%1) AND (ID_Zal=%2));");
const QString DELETE_VISIT_SQL = QStringLiteral("DELETE FROM tWorkGurnal WHERE ID=%1;");
const QString DELETE_CLUB_ZAL_SQL = QStringLiteral("DELETE FROM tWorkClubCard WHERE ID=%1;");
const QString SELECT_PERIOD_SQL =
    QStringLiteral("SELECT MIN(DateWork), MAX(DateWork), COUNT(*) FROM tWorkGurnal WHERE ID_Card=%1;");
const QString UPDATE_PERIOD_SQL = QStringLiteral("UPDATE tCard SET DateOpen=:pDatBeg, DateClose=:pDatEnd WHERE ID=%1;");

const QString kNoTypeCenItem = QStringLiteral("НЕТ ТИПА ЦЕНЫ");
const QString kNoZal = QStringLiteral("Не выбран зал!");
const QString kNoSeans = QStringLiteral("У зала нет сеансов: посещение не добавлено!");
const QString kNoTypeCen = QStringLiteral("Не выбран тип цены зала: посещение не добавлено!");

constexpr int kPriceDecimals = 2;

}  // namespace

int TfrmCard::zalIndex() const {
    const int index = cbZal->currentIndex();
    return index >= 0 && index < int(FZals.size()) ? index : -1;
}

int TfrmCard::typeCenIndex() const {
    const int index = cbTypeCen->currentIndex();
    return index >= 0 && index < FListIDTypeCen.size() ? index : -1;
}

bool TfrmCard::hasSlot() const {
    return cbSeans->currentIndex() >= 0;
}

QTime TfrmCard::slotTime() const {
    return cbSeans->currentData().toTime();
}

QDate TfrmCard::calendarDate() const {
    return mcSelDates->selectedDate();
}

// The calendar date plus the slot's start, seconds 0: the one value the load counts compare with "=".
QDateTime TfrmCard::visitDateTime() const {
    return SeansDateTime(calendarDate(), slotTime());
}

void TfrmCard::cbZalChange() {
    const int zal = zalIndex();
    if (zal < 0) {
        return;
    }
    FIDZal = FZals[zal].ID;
    FLoadDay->MaxCount = FZals[zal].CountMest;
    FDopTXT = FZals[zal].StrTXTCard;
    LoadSeans();
    LoadTypeCen();
    if (cbTypeCen->count() == 0) {
        cbTypeCen->addItem(kNoTypeCenItem);
        cbTypeCen->setCurrentIndex(0);
        LoadGraphData();
        return;
    }
    setInsurance(FListStrahSumma.at(typeCenIndex()), FStrahVosn);
    lookUpFee();
    LoadGraphData();
}

void TfrmCard::cbTypeCenChange() {
    const int typeCen = typeCenIndex();
    if (typeCen < 0) {
        return;
    }
    setInsurance(FListStrahSumma.at(typeCen), FStrahVosn);
    lookUpFee();
}

void TfrmCard::cbSeansChange() {
    LoadGraphData();
}

void TfrmCard::mcSelDatesClick() {
    LoadGraphData();
    lookUpFee();
}

// A club card's fee lives with its price in band 0; a subscription's in the band of its slot. The fee
// keeps its value when no price row is valid on the calendar date.
void TfrmCard::lookUpFee() {
    const int typeCen = typeCenIndex();
    if (typeCen < 0 || (!clubCard() && !hasSlot())) {
        return;
    }
    const int band = clubCard() ? 0 : GetIDPeriodCena(m_db, FIDZal, QDateTime(kZeroDate, slotTime()));
    double fee = FStrahVosn;
    GetCenaSeans(m_db, band, FListIDTypeCen.at(typeCen), fee, QDateTime(calendarDate(), QTime(0, 0)));
    setFee(fee);
}

// A hall stands on a club card once. It is looked for under the write lock, so that a hall another workstation
// has just put on the card is shown rather than added again.
void TfrmCard::btnAddClick() {
    if (FIDCard < 0) {
        return;
    }
    Transaction transaction(m_db);
    const bool onCard = clubCard() && execScalar(m_db, COUNT_CLUB_ZAL_SQL.arg(FIDCard).arg(FIDZal)).toInt() > 0;
    if (!onCard && !AddSeansInTablWork()) {
        return;
    }
    finishVisitChange(transaction);
}

void TfrmCard::btnDelClick() {
    if (FModeSelect != msVisits || !DBGridSpr->currentRecordFound()) {
        return;
    }
    const int id = DBGridSpr->currentValue(QStringLiteral("ID")).toInt();
    Transaction transaction(m_db);
    SqlQuery(m_db).exec((clubCard() ? DELETE_CLUB_ZAL_SQL : DELETE_VISIT_SQL).arg(id));
    finishVisitChange(transaction);
}

// The card's period and sum follow its visits in the same transaction; then the lists show them. Rows
// written for a card deleted on another workstation are rolled back.
void TfrmCard::finishVisitChange(Transaction& transaction) {
    requireRecord(m_db, QStringLiteral("tCard"), FIDCard);
    if (!clubCard()) {
        ReliseDates();
    }
    CalcSumCard();
    transaction.commit();
    LoadTabl();
    LoadGraphData();
}

// Prices and inserts one visit or hall; false, with a message, when there is nothing to price it by.
bool TfrmCard::AddSeansInTablWork() {
    if (zalIndex() < 0) {
        showMessage(this, kNoZal);
        return false;
    }
    if (!clubCard() && !hasSlot()) {
        showMessage(this, kNoSeans);
        return false;
    }
    double price = 0;
    double fee = 0;
    if (!orgCard()) {
        const int typeCen = typeCenIndex();
        if (typeCen < 0) {
            showMessage(this, kNoTypeCen);
            return false;
        }
        price = priceOfRow(typeCen, visitDateTime(), &fee);
    }
    insertRow(price, visitDateTime());
    setFee(fee);
    return true;
}

// A subscription visit costs the band's price for the whole price type divided by its visits, brought
// to 0.01; a club card's hall costs the whole band-0 price.
double TfrmCard::priceOfRow(int typeCen, const QDateTime& visit, double* fee) {
    const QDateTime day(visit.date(), QTime(0, 0));
    if (clubCard()) {
        return GetCenaSeans(m_db, 0, FListIDTypeCen.at(typeCen), *fee, day);
    }
    const int visits = FListKolvoSeans.at(typeCen);
    const int band = GetIDPeriodCena(m_db, FIDZal, QDateTime(kZeroDate, visit.time()));
    if (band == 0 || visits <= 0) {
        return 0;
    }
    return RoundAmount(GetCenaSeans(m_db, band, FListIDTypeCen.at(typeCen), *fee, day) / visits, kPriceDecimals);
}

// The hall or the slot chosen here may have been deleted on another workstation since the lists were read.
void TfrmCard::insertRow(double price, const QDateTime& visit) {
    requireRecord(m_db, QStringLiteral("tZal"), FIDZal);
    SqlQuery command(m_db);
    command.addParam(QStringLiteral("pCena"), FieldType::Float, price);
    if (clubCard()) {
        command.exec(INSERT_CLUB_ZAL_SQL.arg(FIDCard).arg(FIDZal));
        return;
    }
    requireSlot(m_db, FIDZal, visit.time());
    command.addParam(QStringLiteral("pDatWork"), FieldType::DateTime, visit);
    command.exec(INSERT_VISIT_SQL.arg(FIDZal).arg(FIDCard));
}

// The period of a subscription runs from its first to its last visit; without visits it stays.
void TfrmCard::ReliseDates() {
    SqlQuery query(m_db);
    query.exec(SELECT_PERIOD_SQL.arg(FIDCard));
    if (!query.next() || query.asInt(2) == 0) {
        return;
    }
    dtBeg->setDate(query.asDateTime(0).date());
    dtEnd->setDate(query.asDateTime(1).date());
    SqlQuery command(m_db);
    command.addParam(QStringLiteral("pDatBeg"), FieldType::Date, dtBeg->date())
        .addParam(QStringLiteral("pDatEnd"), FieldType::Date, dtEnd->date());
    command.exec(UPDATE_PERIOD_SQL.arg(FIDCard));
}
