#pragma once

#include <QDialog>

class QDateEdit;
class QPushButton;
class Database;

// The list of insured persons: cards issued in a period with both an insurance fee and an insured sum.
class TfrmRepRGS : public QDialog {
    Q_OBJECT

  public:
    TfrmRepRGS(Database& db, QWidget* parent);

    QDateEdit* dtBegin = nullptr;
    QDateEdit* dtEnd = nullptr;
    QPushButton* btnRepTXT = nullptr;

  public slots:
    void btnRepTXTClick();

  private:
    void setupUi();

    Database& m_db;
};
