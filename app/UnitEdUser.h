#pragma once

#include <QDialog>

class Database;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Editor of one user of the program: login name, password, comment and access level.
class TfrmEdUser : public QDialog {
    Q_OBJECT

  public:
    TfrmEdUser(Database& db, QWidget* parent);

    // Loads the user with that ID, or a new user when the ID is 0 or less.
    void LoadUser(int id);

    QLineEdit* leUserName = nullptr;
    QLineEdit* lePasw = nullptr;
    QLineEdit* leInfo = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cbUroven = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnCancel = nullptr;

  public slots:
    void btnSaveClick();

  private:
    void setupUi();
    bool nameTaken();
    bool writeUser();

    Database& m_db;
    int FIDUser = 0;
};
