#pragma once

#include <QDialog>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QToolButton;
class Database;

// The report of cards issued in a period, by card type and owner; stays open for further reports.
class TfrmRepCard : public QDialog {
    Q_OBJECT

  public:
    TfrmRepCard(Database& db, QWidget* parent);

    QDateEdit* dtBegin = nullptr;
    QDateEdit* dtEnd = nullptr;
    QComboBox* cbTypeCard = nullptr;
    QComboBox* cbOwnerType = nullptr;
    QLineEdit* OwnerCard = nullptr;
    int OwnerCardTag = 0;  // the chosen client's or organisation's ID, 0 for none
    QToolButton* btnSelSklad = nullptr;
    QToolButton* btdDelSklad = nullptr;
    QPushButton* btnRepTXT = nullptr;

    // The query's filters as the report runs them.
    QString typeFilter() const;
    QString ownerFilter() const;
    QString ownerFilterText() const;

  public slots:
    void cbOwnerTypeChange();
    void btnSelSkladClick();
    void btdDelSkladClick();
    void btnRepTXTClick();

  private:
    void setupUi();

    Database& m_db;
};
