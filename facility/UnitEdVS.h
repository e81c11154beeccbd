#pragma once

#include <QDialog>

class Database;
class QLineEdit;
class QPushButton;

// Editor of one sports type: its name and extra text.
class TfrmEdVS : public QDialog {
    Q_OBJECT

  public:
    TfrmEdVS(Database& db, QWidget* parent);

    // Loads the sports type with that ID, or a new one when the ID is -1.
    void LoadEdVS(int id);

    QLineEdit* leNameOrg = nullptr;
    QLineEdit* leInfo = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnClose = nullptr;

  public slots:
    void btnSaveClick();
    // Any change of either text, typed, pasted or dropped.
    void leNameOrgChange();

  private:
    void setupUi();
    void SetModified(bool value);

    Database& m_db;
    int FIDVS = -1;
    bool FModified = false;
};
