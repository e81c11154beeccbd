#pragma once

#include <QDialog>

class Database;
class QLineEdit;
class QPushButton;

// Editor of one organisation: its name and a line of extra information.
class TfrmEdOrg : public QDialog {
    Q_OBJECT

  public:
    TfrmEdOrg(Database& db, QWidget* parent);

    // Loads the organisation with that ID, or a new one when the ID is -1.
    void LoadEdOrg(int id);
    void SetModified(bool value);

    QLineEdit* leNameOrg = nullptr;
    QLineEdit* leInfo = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnClose = nullptr;

  public slots:
    void leNameOrgKeyDown();
    void leInfoKeyDown();
    void btnSaveClick();

  private:
    void setupUi();
    void markChanged();

    Database& m_db;
    int FIDOrg = -1;
    bool FModified = false;
};
