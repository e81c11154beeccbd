#include "reports/UnitRepRGS.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QPushButton>

#include "common/ParAplStore.h"
#include "common/UnitConst.h"
#include "platform/FormWidgets.h"
#include "reports/ListReport.h"

namespace {

const QString SELECT_INSURED_SQL = QStringLiteral(
    "SELECT tCard.*, IFNULL(tClient.Family,'') || ' ' || IFNULL(tClient.Name,'') || ' ' || "
    "IFNULL(tClient.Otchestvo,'') AS FIO, tClient.Adres, tClient.Birthday, tClient.Profession FROM tCard, tClient "
    "WHERE ((DateRec BETWEEN :pDateRecBeg AND :pDateRecEnd) AND (StrahVosn>0) AND (StrahSumm>0) AND "
    "(ID_Client=tClient.ID)) ORDER BY tClient.Family, tClient.Name, tClient.Otchestvo;");

}  // namespace

TfrmRepRGS::TfrmRepRGS(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setupUi();
}

void TfrmRepRGS::setupUi() {
    setObjectName(QStringLiteral("frmRepRGS"));
    setWindowTitle(QStringLiteral("Список застрахованных лиц"));
    auto* grid = new QGridLayout(this);
    ListReport::addPeriodRows(*this, *grid, dtBegin, dtEnd);
    btnRepTXT = ListReport::addButtons(*this, *grid);
    setFixedSize(sizeHint().expandedTo(QSize(240, 111)));
    connect(btnRepTXT, &QPushButton::clicked, this, &TfrmRepRGS::btnRepTXTClick);
}

// The period goes into the heading as well, so that a filed list says what it covers.
void TfrmRepRGS::btnRepTXTClick() {
    ListReport::Run run;
    run.sql = SELECT_INSURED_SQL;
    run.begin = pickedDateTime(*dtBegin);
    run.end = pickedDateTime(*dtEnd);
    run.project = QStringLiteral("RGS.rav");
    run.report = QStringLiteral("RepListClient");
    run.dataName = QStringLiteral("RvDataSetRGS");
    run.params = {{QStringLiteral("NameOrg"), ReadParApl(m_db, pcOrgName).toString()},
                  {QStringLiteral("PerReport"), ListReport::periodText(*dtBegin, *dtEnd)}};
    ListReport::execute(m_db, run, this);
}
