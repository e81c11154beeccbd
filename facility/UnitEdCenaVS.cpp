#include "facility/UnitEdCenaVS.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/SprGrid.h"
#include "facility/UnitEdTC.h"

namespace {

const QString SELECT_TYPES_SQL = QStringLiteral("SELECT * FROM tTypeCen WHERE VidSportaID=%1;");

}  // namespace

TfrmSetCenaVS::TfrmSetCenaVS(Database& db, QWidget* parent)
    : TPriceDialog(db, parent, QStringLiteral("Цена:"),
                   {QStringLiteral("  Дата цены"), 16, QStringLiteral("  Значение"), 13, 10}) {
    setupUi();
}

void TfrmSetCenaVS::setupUi() {
    setObjectName(QStringLiteral("frmSetCenaVS"));
    setWindowTitle(QStringLiteral("Установка цены вида спорта"));
    auto* foot = new QHBoxLayout;
    foot->addStretch();
    foot->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(typeRow());
    layout->addLayout(priceRow());
    layout->addWidget(DBGridSpr, 1);
    layout->addLayout(foot);
    setFixedSize(400, 300);
}

void TfrmSetCenaVS::SetVidSportID(int vidSport) {
    FVidSportID = vidSport;
    LoadTypeCena();
    LoadCenaSeansInTabl();
}

QString TfrmSetCenaVS::typesSql() const {
    return SELECT_TYPES_SQL.arg(FVidSportID);
}

bool TfrmSetCenaVS::bandForNewPrice(int& band) const {
    band = kNoBand;
    return true;
}

// A new type belongs to the sports type and to no hall.
void TfrmSetCenaVS::prepareNewType(TfrmEdTC& editor) {
    editor.SetVidSportID(FVidSportID);
}
