#pragma once

#include "facility/UnitPriceList.h"

class QButtonGroup;
class QGroupBox;
class QTimeEdit;

// The prices of one hall: its price types by card kind, its time-of-day bands and the dated prices of
// the selected type in the selected band (band 0 for club cards).
class TfrmSetCena : public TPriceDialog {
    Q_OBJECT

  public:
    TfrmSetCena(Database& db, QWidget* parent);

    // Shows the prices of that hall.
    void SetZalID(int hall);
    // Lists the hall's bands; the first one fills the time pickers.
    void LoadPeriodCen();

    int ZalID = 0;

    QTimeEdit* TimeBegin = nullptr;
    QTimeEdit* TimeEnd = nullptr;
    QToolButton* btnSetPeriod = nullptr;
    QToolButton* btnDelPeriod = nullptr;
    SprGrid* DBGridPeriod = nullptr;
    QGroupBox* rgVidCard = nullptr;
    QButtonGroup* rgVidCardItems = nullptr;

  public slots:
    void rgVidCardClick();
    void DBGridPeriodCellClick();
    void btnSetPeriodClick();
    void btnDelPeriodClick();

  protected:
    QString typesSql() const override;
    int listedBand() const override;
    bool bandForNewPrice(int& band) const override;

  private:
    void setupUi();
    void showBands(int row);
    void showBandTimes();
    int currentBandId() const;

    int FVidCard = 0;
    int FIDPeriod = 0;
};
