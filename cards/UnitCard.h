#pragma once

#include <QDateTime>
#include <QDialog>
#include <QList>
#include <QString>

#include <vector>

#include "common/UnitConst.h"

class Database;
class Transaction;
class GridCellFormat;
class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class SprGrid;
class TLoadDay;

// The visit wizard last chosen in any card form during this run.
extern int gModeWizard;

// Asks for a sports type from its list; false when nothing was chosen.
bool SelectVidSport(Database& db, QWidget* parent, TIDName* chosen);

// Where a card is sold: a subscription (dated visits to time slots of a hall) or a club card (halls
// over a period). Visits, halls, the sum and the period are written at once; the card's head waits
// for "Сохранить". The first save inserts the card and keeps the form open, a later one updates it.
class TfrmCard : public QDialog {
    Q_OBJECT

  public:
    enum SelectMode { msVisits = 0, msClients = 1, msOrgs = 2 };

    TfrmCard(Database& db, QWidget* parent);
    ~TfrmCard() override;

    // Loads a saved card by its ID, or a new card for an ID below 0.
    void LoadCard(int id);
    // Blocks the manual choice of visits (hall, slot, price type, "Добавить", the calendar).
    void BlockManualSeans(bool block);
    // What the grid shows: the card's visits, the client list or the organisation list.
    void SetModeSelect(int mode);

    // Lists and sum.
    void LoadTypeCen();
    void LoadSeans();
    void LoadTabl();
    void LoadGraphData();
    void CalcSumCard();

    // Visits and pricing.
    bool AddSeansInTablWork();
    void ReliseDates();

    // The sum as the form shows it: fixed with one decimal and at most six significant digits.
    static QString SumText(double sum);

    std::vector<TZalInfo> FZals;
    int FTypeCard = 0;
    int FIDZal = 0;
    int FIDCard = -1;
    int FIDClient = -1;
    TLoadDay* FLoadDay = nullptr;
    int FModeSelect = msVisits;
    QList<int> FListIDTypeCen;
    QList<int> FListKolvoSeans;
    QList<double> FListStrahSumma;
    QString FPhoto;
    double FStrahVosn = 0;
    double FStrahSumm = 0;
    int FEnPrintRGS = 0;
    QString FDopTXT;
    // The client is not insured: the insurance stays 0 whatever is looked up.
    bool FNoRGS = false;
    // The card could not be loaded: nothing may be saved over it.
    bool FLoadFailed = false;

    QFrame* Panel1 = nullptr;
    QLineEdit* leNumCard = nullptr;
    QComboBox* cbTypeCard = nullptr;
    QDateEdit* dtBeg = nullptr;
    QDateEdit* dtEnd = nullptr;
    QLabel* stStrahovka = nullptr;
    QLineEdit* leClient = nullptr;
    QToolButton* btnSelClient = nullptr;
    QLineEdit* leOrg = nullptr;
    int leOrgTag = 0;  // the card's organisation; 0 = "Частное лицо"
    QToolButton* btnFisLico = nullptr;
    QToolButton* btnSelOrg = nullptr;
    QLabel* Label11 = nullptr;
    QComboBox* cbZal = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* cbSeans = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* cbTypeCen = nullptr;
    QLabel* stSum = nullptr;
    QCalendarWidget* mcSelDates = nullptr;
    QFrame* PanParentGraph = nullptr;
    QLabel* txtDateSelect = nullptr;
    QComboBox* modeWizardHelp = nullptr;
    QToolButton* btnWizardStart = nullptr;
    QFrame* PanText = nullptr;
    SprGrid* DBGridSpr = nullptr;
    QFrame* PanSelect = nullptr;
    QPushButton* btnSelect = nullptr;
    QLineEdit* leSearchStr = nullptr;
    QToolButton* btnNewSel = nullptr;
    QFrame* PanVidSporta = nullptr;
    QLineEdit* leVidSporta = nullptr;
    QToolButton* btnSelVS = nullptr;
    QToolButton* btnDelTC = nullptr;
    QPushButton* btnDel = nullptr;
    QPushButton* btnAdd = nullptr;
    QCheckBox* cbChangeNamePRN = nullptr;
    QPushButton* btnTXT = nullptr;
    QPushButton* btnPrintCard = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnCancel = nullptr;

  public slots:
    void cbTypeCardChange();
    void btnSelClientClick();
    void btnSelOrgClick();
    void btnFisLicoClick();
    void btnSelectClick();
    void btnNewSelClick();
    void leSearchStrChange();
    void DBGridSprCellClick();
    void DBGridSprDblClick();
    void DBGridSprEnter();
    void btnSelVSClick();
    void btnDelTCClick();
    void modeWizardHelpChange();
    void btnTXTClick();
    void btnWizardStartClick();
    void btnPrintCardClick();
    void btnSaveClick();

    void cbZalChange();
    void cbTypeCenChange();
    void cbSeansChange();
    void mcSelDatesClick();
    void btnAddClick();
    void btnDelClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Building the form.
    void setupUi();
    QFrame* buildHead();
    QFrame* buildCalendarColumn();
    QFrame* buildGridArea();
    QFrame* buildButtonBar();
    void connectSignals();
    void FormCreate();

    // Loading.
    void LoadZal();
    void LoadClient();
    void LoadOrg();
    void loadNewCard();
    bool loadSavedCard(int id);
    void showSavedState();
    void refuseSaving();

    void finishVisitChange(Transaction& transaction);

    // Owner and saving.
    QString numberRefusal(int* number) const;
    void requireOwners();
    void insertCard(int number);
    void updateCard();
    void setInsurance(double summ, double vosn);
    void setFee(double vosn);
    void applyTypeInsurance();

    // The chosen hall, price type and slot; -1 or an invalid time when there is none.
    int zalIndex() const;
    int typeCenIndex() const;
    bool hasSlot() const;
    QTime slotTime() const;
    QDateTime visitDateTime() const;
    QDate calendarDate() const;
    bool clubCard() const { return FTypeCard == 1; }
    bool orgCard() const { return leOrgTag != 0; }

    // Pricing.
    void lookUpFee();
    double priceOfRow(int typeCen, const QDateTime& visit, double* fee);
    void insertRow(double price, const QDateTime& visit);

    // Wizard start.
    void startSportWizard();
    void startDayWizard();
    void insertPlannedVisits(const QList<QDateTime>& visits, int typeCen);
    int cardRowCount();
    void centreColumns(const QList<int>& columns);

    Database& m_db;
    GridCellFormat* m_centred = nullptr;
    QString m_clientSearch;
    QString m_orgSearch;
    QMetaObject::Connection m_calendarClick;
};
