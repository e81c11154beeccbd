#pragma once

#include <QDialog>

class Database;
class QLineEdit;
class QPushButton;
class QToolButton;
class SprGrid;
class SqlQuery;
class UpDownEdit;

// Editor of one hall: name, places, reserve, note and extra text line, with the list of its time
// slots. A new hall stays open after its first save, so that its time slots can be entered.
class TfrmZal : public QDialog {
    Q_OBJECT

  public:
    TfrmZal(Database& db, QWidget* parent);

    // Loads the hall with that ID, or a new hall when the ID is -1.
    void LoadEdZal(int id);
    void LoadSeansInTabl();

    // The hall edited; -1 until a new hall is saved. Its time-slot editor reads it.
    int ZalID = -1;

    QLineEdit* leNameZal = nullptr;
    UpDownEdit* leCountMest = nullptr;
    UpDownEdit* leRezPos = nullptr;
    QLineEdit* leInfo = nullptr;
    QToolButton* btnNewSeans = nullptr;
    QToolButton* btnEdSeans = nullptr;
    QToolButton* btnDelSeans = nullptr;
    SprGrid* DBGridSpr = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QToolButton* btnTXT = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnClose = nullptr;

  public slots:
    void btnSaveClick();
    void btnNewSeansClick();
    void btnEdSeansClick();
    void btnDelSeansClick();
    void BitBtn1Click();
    void btnTXTClick();
    // Any change of the hall's fields, typed, pasted, dropped or counted.
    void leNameZalChange();

  private:
    void setupUi();
    void SetModified(bool value);
    // Time slots and prices belong to a stored hall.
    void enableHallParts();
    bool countsAreNumbers();
    void insertHall();
    void updateHall();
    void bindHall(SqlQuery& command) const;
    int countNamesakes();

    Database& m_db;
    bool FModified = false;
    QString FStrTXTCard;
};
