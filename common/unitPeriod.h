#pragma once

#include <QDialog>

#include "common/UnitConst.h"

class QDateEdit;
class QLabel;
class QPushButton;

// Chooses the period of the card list: whole days from the begin date to the end date.
class TfrmPeriod : public QDialog {
    Q_OBJECT

  public:
    explicit TfrmPeriod(QWidget* parent);

    void SetPeriod(const TPeriod& period);

    // The answer, valid when the dialog ends with OK.
    TPeriod FPeriod;

    QLabel* Label1 = nullptr;
    QDateEdit* dtpFirst = nullptr;
    QLabel* Label2 = nullptr;
    QDateEdit* dtpEnd = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

  public slots:
    void btnOkClick();

  private:
    void setupUi();
};
