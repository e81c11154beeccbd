#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include "cards/UnitCard.h"
#include "cards/UnitWizDay.h"
#include "cards/UnitWizard.h"
#include "common/SprGrid.h"
#include "platform/Database.h"
#include "platform/UiSeam.h"

namespace {

enum WizardKind { wkVidSport = 0, wkWeekday = 1 };

}  // namespace

void TfrmCard::btnWizardStartClick() {
    if (FIDCard < 0) {
        return;
    }
    switch (modeWizardHelp->currentIndex()) {
        case wkVidSport:
            startSportWizard();
            break;
        case wkWeekday:
            startDayWizard();
            break;
        default:
            break;
    }
}

// The wizard writes the visits itself; the card takes its insurance and sports type, and the manual
// choice stays blocked until the sports type is cleared. The wizard starts from the card's fee, so a
// sports type without a price row leaves it as it was.
void TfrmCard::startSportWizard() {
    TfrmWiz wizard(m_db, FIDCard, this);
    wizard.StrahVosn = FStrahVosn;
    if (execModal(wizard) != QDialog::Accepted) {
        return;
    }
    setInsurance(wizard.StrahSumma, wizard.StrahVosn);
    Transaction transaction(m_db);
    finishVisitChange(transaction);
    leVidSporta->setText(wizard.leVidSporta->text());
    BlockManualSeans(true);
}

void TfrmCard::startDayWizard() {
    const int typeCen = typeCenIndex();
    if (typeCen < 0) {
        return;
    }
    TfrmWizDay wizard(this);
    wizard.SetDateBeg(calendarDate());
    wizard.FKolvoSeans = FListKolvoSeans.at(typeCen);
    wizard.LoadSeansList(*cbSeans);
    if (execModal(wizard) != QDialog::Accepted || wizard.FDates.isEmpty()) {
        return;
    }
    insertPlannedVisits(wizard.FDates, typeCen);
}

// Each planned visit is priced and stored as one added by hand on its date and slot; all or none.
void TfrmCard::insertPlannedVisits(const QList<QDateTime>& visits, int typeCen) {
    double fee = 0;
    Transaction transaction(m_db);
    for (const QDateTime& visit : visits) {
        insertRow(orgCard() ? 0 : priceOfRow(typeCen, visit, &fee), visit);
    }
    finishVisitChange(transaction);
    setFee(fee);
    BlockManualSeans(false);
}
