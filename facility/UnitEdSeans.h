#pragma once

#include <QDialog>

class Database;
class QLabel;
class QPushButton;
class QTimeEdit;
class SqlQuery;
class UpDownEdit;

// Editor of one time slot of a hall: start time and duration in minutes. Only the hall editor opens
// it, as its owner; a new slot stays open after its first save.
class TfrmSeans : public QDialog {
    Q_OBJECT

  public:
    TfrmSeans(Database& db, QWidget* parent);

    // Loads the time slot with that ID, or a new one of the owner's hall when the ID is -1.
    void LoadEdSeans(int id);

    QLabel* Label1 = nullptr;
    QTimeEdit* dtpBegS = nullptr;
    UpDownEdit* leLongS = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnClose = nullptr;

  public slots:
    void btnSaveClick();

  private:
    void setupUi();
    int insertSeans(SqlQuery& command);
    void bindSeans(SqlQuery& command) const;
    int countSameTime();

    Database& m_db;
    int FIDSeans = -1;
    int FZalID = 0;
};
