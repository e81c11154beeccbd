#include "common/unitPeriod.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/FormWidgets.h"

namespace {

// The card list compares with the time of day, so the period spans whole days.
const QTime kDayBegin(0, 0, 0);
const QTime kDayEnd(23, 59, 59);

}  // namespace

TfrmPeriod::TfrmPeriod(QWidget* parent) : QDialog(parent) {
    setupUi();
}

void TfrmPeriod::setupUi() {
    setObjectName(QStringLiteral("frmPeriod"));
    setWindowTitle(QStringLiteral("Выбор периода отбора"));

    Label1 = new QLabel(QStringLiteral("Дата начала:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    dtpFirst = newDatePicker(this, "dtpFirst", kDayBegin);
    Label1->setBuddy(dtpFirst);
    Label2 = new QLabel(QStringLiteral("Дата конца:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    dtpEnd = newDatePicker(this, "dtpEnd", kDayEnd);
    Label2->setBuddy(dtpEnd);

    btnOk = new QPushButton(QStringLiteral("Выполнить"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отменить"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* dates = new QGridLayout;
    dates->addWidget(Label1, 0, 0);
    dates->addWidget(dtpFirst, 0, 1);
    dates->addWidget(Label2, 1, 0);
    dates->addWidget(dtpEnd, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(dates);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(244, 102)));

    connect(btnOk, &QPushButton::clicked, this, &TfrmPeriod::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmPeriod::SetPeriod(const TPeriod& period) {
    FPeriod = period;
    dtpFirst->setDate(period.Beg.date());
    dtpEnd->setDate(period.End.date());
}

void TfrmPeriod::btnOkClick() {
    FPeriod.Beg = pickedDateTime(*dtpFirst);
    FPeriod.End = pickedDateTime(*dtpEnd);
    accept();
}
