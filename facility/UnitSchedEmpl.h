#pragma once

#include <QDialog>
#include <QList>

class Database;
class QComboBox;
class QLabel;
class QTimeEdit;
class QToolButton;
class SprGrid;

// The weekly timetable of one sports type: lessons at a start time on a weekday in a hall. Every
// addition and deletion is written at once.
class TfrmRaspSan : public QDialog {
    Q_OBJECT

  public:
    TfrmRaspSan(Database& db, QWidget* parent);

    // Shows the timetable of that sports type; an unknown one leaves it empty.
    void LoadRasp(int vidSportId);

    QLabel* Label11 = nullptr;
    QComboBox* cbZal = nullptr;
    QLabel* Label1 = nullptr;
    QTimeEdit* TimeSeans = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cbDay = nullptr;
    QToolButton* btnAdd = nullptr;
    QToolButton* btnDel = nullptr;
    QToolButton* btnCost = nullptr;
    QToolButton* btnClose = nullptr;
    SprGrid* DBGrid1 = nullptr;

  public slots:
    void btnAddClick();
    void btnDelClick();
    void btnCostClick();
    void DBGrid1CellClick();

  private:
    void setupUi();
    void FormCreate();
    // A row needs a hall and a sports type that exist.
    bool canAdd() const;

    Database& m_db;
    int FVidSportID = 0;
    bool m_sportFound = false;
    // tZal.ID of every hall, parallel to the items of cbZal.
    QList<int> FZalIDs;
};
