#pragma once

#include "facility/UnitPriceList.h"

// The prices of one sports type: its own price types and their dated prices, which carry no band.
class TfrmSetCenaVS : public TPriceDialog {
    Q_OBJECT

  public:
    TfrmSetCenaVS(Database& db, QWidget* parent);

    // Shows the prices of that sports type.
    void SetVidSportID(int vidSport);

  protected:
    QString typesSql() const override;
    int listedBand() const override { return kNoBand; }
    bool bandForNewPrice(int& band) const override;
    void prepareNewType(TfrmEdTC& editor) override;

  private:
    void setupUi();

    int FVidSportID = 0;
};
