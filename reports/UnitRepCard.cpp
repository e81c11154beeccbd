#include "reports/UnitRepCard.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include "common/ParAplStore.h"
#include "common/UnitConst.h"
#include "common/UnitSelSpr.h"
#include "platform/FormWidgets.h"
#include "platform/LocaleFormat.h"
#include "platform/UiSeam.h"
#include "reports/ListReport.h"

namespace {

const QString SELECT_ISSUED_CARDS_SQL = QStringLiteral(
    "SELECT IFNULL(tClient.Family,'') || ' ' || IFNULL(tClient.Name,'') || ' ' || IFNULL(tClient.Otchestvo,'') AS FIO, "
    "CASE WHEN tCard.TypeCard=0 THEN 'А' ELSE 'КК' END AS NameTC, tCard.DateOpen, tCard.DateClose, SumCard, "
    "date(tCard.DateRec) AS WorkDate, tCard.Num AS NumCard FROM tCard, tClient "
    "WHERE ((DateRec BETWEEN :pDateRecBeg AND :pDateRecEnd) AND %1%2(ID_Client=tClient.ID)) "
    "ORDER BY tCard.DateRec, tClient.Family, tClient.Name, tClient.Otchestvo;");

const QString kAllOwners = QStringLiteral("По всем");
enum OwnerType { otAny = 0, otPerson = 1, otOrg = 2 };

}  // namespace

TfrmRepCard::TfrmRepCard(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setupUi();
}

void TfrmRepCard::setupUi() {
    setObjectName(QStringLiteral("frmRepCard"));
    setWindowTitle(QStringLiteral("Отчет по выданным картам"));
    auto* grid = new QGridLayout(this);
    ListReport::addPeriodRows(*this, *grid, dtBegin, dtEnd);

    cbTypeCard = new QComboBox(this);
    cbTypeCard->setObjectName(QStringLiteral("cbTypeCard"));
    cbTypeCard->addItems({kAllOwners, QStringLiteral("Абонемент"), QStringLiteral("Клубная карта")});
    cbOwnerType = new QComboBox(this);
    cbOwnerType->setObjectName(QStringLiteral("cbOwnerType"));
    cbOwnerType->addItems({QStringLiteral("Любой"), QStringLiteral("Частное лицо"), QStringLiteral("Организация")});
    grid->addWidget(new QLabel(QStringLiteral("Тип карты:"), this), 2, 0);
    grid->addWidget(cbTypeCard, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Владелец:"), this), 3, 0);
    grid->addWidget(cbOwnerType, 3, 1);

    OwnerCard = new QLineEdit(kAllOwners, this);
    OwnerCard->setObjectName(QStringLiteral("OwnerCard"));
    OwnerCard->setReadOnly(true);
    btnSelSklad = new QToolButton(this);
    btnSelSklad->setObjectName(QStringLiteral("btnSelSklad"));
    btnSelSklad->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    btdDelSklad = new QToolButton(this);
    btdDelSklad->setObjectName(QStringLiteral("btdDelSklad"));
    btdDelSklad->setText(QStringLiteral("X"));
    auto* ownerRow = new QHBoxLayout;
    ownerRow->addWidget(OwnerCard);
    ownerRow->addWidget(btnSelSklad);
    ownerRow->addWidget(btdDelSklad);
    grid->addLayout(ownerRow, 4, 0, 1, 2);
    btnRepTXT = ListReport::addButtons(*this, *grid);
    cbOwnerTypeChange();
    setFixedSize(sizeHint().expandedTo(QSize(240, 202)));

    connect(cbOwnerType, &QComboBox::currentIndexChanged, this, &TfrmRepCard::cbOwnerTypeChange);
    connect(btnSelSklad, &QToolButton::clicked, this, &TfrmRepCard::btnSelSkladClick);
    connect(btdDelSklad, &QToolButton::clicked, this, &TfrmRepCard::btdDelSkladClick);
    connect(btnRepTXT, &QPushButton::clicked, this, &TfrmRepCard::btnRepTXTClick);
}

void TfrmRepCard::cbOwnerTypeChange() {
    btdDelSkladClick();
    const bool chooses = cbOwnerType->currentIndex() != otAny;
    OwnerCard->setVisible(chooses);
    btnSelSklad->setVisible(chooses);
    btdDelSklad->setVisible(chooses);
}

void TfrmRepCard::btnSelSkladClick() {
    TfrmSelectSpr selector(m_db, this);
    selector.LoadSpr(cbOwnerType->currentIndex() == otPerson ? lkClients : lkOrgs);
    if (execModal(selector) == QDialog::Accepted) {
        OwnerCardTag = selector.FSelect.ID;
        OwnerCard->setText(selector.FSelect.Name);
    }
}

void TfrmRepCard::btdDelSkladClick() {
    OwnerCardTag = 0;
    OwnerCard->setText(kAllOwners);
}

QString TfrmRepCard::typeFilter() const {
    const int item = cbTypeCard->currentIndex();
    return item == 0 ? QString() : QStringLiteral("(TypeCard=%1) AND ").arg(item - 1);
}

QString TfrmRepCard::ownerFilter() const {
    switch (cbOwnerType->currentIndex()) {
        case otPerson:
            return OwnerCardTag > 0 ? QStringLiteral("(ID_Client=%1) AND ").arg(OwnerCardTag)
                                    : QStringLiteral("(ID_Org=0) AND ");
        case otOrg:
            return OwnerCardTag > 0 ? QStringLiteral("(ID_Org=%1) AND ").arg(OwnerCardTag)
                                    : QStringLiteral("(ID_Org>0) AND ");
        default:
            return QString();
    }
}

QString TfrmRepCard::ownerFilterText() const {
    const int owner = cbOwnerType->currentIndex();
    if (owner == otAny) {
        return QString();
    }
    const QString kind = owner == otPerson ? QStringLiteral(" Физ.лицо") : QStringLiteral(" Организация");
    const QString chosen = OwnerCardTag > 0 ? QStringLiteral(", ") + OwnerCard->text() : QString();
    return QStringLiteral("Владелец: ") + kind + chosen;
}

void TfrmRepCard::btnRepTXTClick() {
    ListReport::Run run;
    run.sql = SELECT_ISSUED_CARDS_SQL.arg(typeFilter(), ownerFilter());
    run.begin = pickedDateTime(*dtBegin);
    run.end = pickedDateTime(*dtEnd);
    run.project = QStringLiteral("RepSaleCard.rav");
    run.report = QStringLiteral("RepSaleCards");
    run.dataName = QStringLiteral("RvDataSetCard");
    run.params = {{QStringLiteral("NameOrg"), ReadParApl(m_db, pcOrgName).toString()},
                  {QStringLiteral("NameUser"), gUserApl.Koment},
                  {QStringLiteral("DateReport"), shortDateText(QDate::currentDate())},
                  {QStringLiteral("PerReport"), ListReport::periodText(*dtBegin, *dtEnd)},
                  {QStringLiteral("TCardFiltr"), cbTypeCard->currentText()},
                  {QStringLiteral("OwnerCardFiltr"), ownerFilterText()},
                  {QStringLiteral("NameRep"), QStringLiteral("ВЫДАННЫЕ КАРТЫ")}};
    ListReport::execute(m_db, run, this);
}
