#pragma once

#include <QDateTime>
#include <QDialog>
#include <QVector>

#include <memory>

#include "common/UnitConst.h"

class Database;
class QCalendarWidget;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class SprGrid;
class TLoadDay;

// A reservation contract of an organisation and the places it reserves in time slots of halls.
// A reserved place is one tWorkGurnal row priced 0 whose ID_Card is the contract's ID negated.
class TfrmRezOrg : public QDialog {
    Q_OBJECT

  public:
    TfrmRezOrg(Database& db, QWidget* parent);
    ~TfrmRezOrg() override;

    // Loads the contract with that ID, or a new contract when the ID is below 0.
    void LoadRezOrg(int id);

    void LoadSeans();
    void LoadGraphData();
    void LoadOrg();
    // Lists the reserved slots; their count sets the width of the last column.
    void LoadTablWork(int slotCount);
    void AddSeansInTablWork();
    // 0: the grid shows the contract's reserved slots; 1: the organisations to choose from.
    void SetGridMode(int mode);

    // Date plus the chosen slot's start, seconds 0; invalid without a hall or a slot.
    QDateTime selectedSlot() const;

    QVector<TZalInfo> FZals;
    int FRezOrgID = -1;
    int FOrgID = -1;
    int FGridMode = 0;
    TLoadDay* FLoadDay = nullptr;

    QLineEdit* leOrg = nullptr;
    QToolButton* btnSelOrg = nullptr;
    QLineEdit* leDog = nullptr;
    QLineEdit* leSumma = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* cbZal = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* cbSeans = nullptr;
    QCalendarWidget* mcSelDates = nullptr;
    QFrame* PanParentGraph = nullptr;
    QLabel* txtDateSelect = nullptr;
    QLineEdit* edCountPos = nullptr;
    QPushButton* btnNewSeans = nullptr;
    QPushButton* btnDelSeans = nullptr;
    SprGrid* DBGridSpr = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QPushButton* btnSelect = nullptr;
    QLabel* lblSearchStr = nullptr;
    QLineEdit* leSearchStr = nullptr;
    QToolButton* btnNewSel = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnClose = nullptr;

  public slots:
    void cbZalChange();
    void cbSeansChange();
    void mcSelDatesClick();
    void btnNewSeansClick();
    void btnDelSeansClick();
    void btnSaveClick();
    void btnSelOrgClick();
    void btnSelectClick();
    void btnNewSelClick();
    void leSearchStrChange();
    void DBGridSprCellClick();
    void DBGridSprDblClick();
    void DBGridSprKeyDown(int key);

  protected:
    // The organisation editor loaded for a new organisation; virtual so that a test can stand in for it.
    virtual std::unique_ptr<QDialog> newOrgEditor();
    bool eventFilter(QObject* watched, QEvent* event) override;

  public:
    // Esc leaves only as "Закрыть" does: not while the organisation list is shown.
    void reject() override;

  private:
    void setupUi();
    QWidget* newTopPanel();
    QWidget* newLeftPanel();
    QWidget* newGridPanel();
    QWidget* newBottomPanel();
    void FormCreate();
    void loadZals();
    void setSlotInputsEnabled(bool enabled);
    // "Выбрать" and the search show exactly while the grid lists the organisations.
    void showChoiceBar(bool shown);
    // False when the contract is not there.
    bool showContract(int id);
    bool readContract(int& num, double& summa);
    int insertContract(int num, double summa);
    void updateContract(int num, double summa);
    int reservedSlotCount();
    void refreshPlaces();
    void chooseCurrentOrg();
    int currentZalId() const;

    Database& m_db;
    // A contract that could not be read is neither saved over nor given places.
    bool m_loadFailed = false;
};
