#pragma once

#include <QDialog>

class Database;
class QCheckBox;
class QLineEdit;
class QPushButton;
class SqlQuery;

// Editor of one price type. Its owner decides the hall of a new type: a hall price dialog gives
// its hall, a sports-type price dialog none.
class TfrmEdTC : public QDialog {
    Q_OBJECT

  public:
    TfrmEdTC(Database& db, QWidget* owner);

    // Loads the type with that ID, or a new type when the ID is 0 or less.
    void LoadEdTC(int id);
    // The sports type of a new type; called before LoadEdTC(-1).
    void SetVidSportID(int id) { FVidSportID = id; }

    QLineEdit* leName = nullptr;
    QLineEdit* leInfo = nullptr;
    QLineEdit* leCountSeans = nullptr;
    QLineEdit* leStrahSumma = nullptr;
    QCheckBox* cbAllTC = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnClose = nullptr;

  public slots:
    void btnSaveClick();

  private:
    void setupUi();
    void SetModified(bool value);
    void markModified();
    void loadStored();
    void showHallBox();
    void writeType(int kolvoSeans, double strahSumma);
    void insertType(SqlQuery& command, int hall);

    Database& m_db;
    int FIDTC = -1;
    int FZalID = 0;
    int FVidSportID = 0;
    bool FModified = false;
};
