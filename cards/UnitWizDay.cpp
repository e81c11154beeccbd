#include "cards/UnitWizDay.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "common/UnitConst.h"
#include "platform/FormWidgets.h"
#include "platform/LocaleFormat.h"
#include "platform/UiSeam.h"

namespace {

const QString kCaption = QStringLiteral("Помощник (День недели)");
const QString kDateBeg = QStringLiteral("Начальная дата:");
const QString kNoSeans = QStringLiteral("У зала нет сеансов: посещения не добавлены!");
const QString kFewerDates =
    QStringLiteral("За 101 день от начальной даты выбранные дни недели дают только %1 посещ. из %2.\rДобавить их?");

constexpr int kMaxVisits = 100;
constexpr int kDaysLookedAt = 101;

}  // namespace

QList<QDateTime> PlanWeekdayVisits(const QDate& start, int count, const QMap<int, QTime>& timeOfWeekday) {
    QList<QDateTime> dates;
    if (timeOfWeekday.isEmpty() || count < 1 || count > kMaxVisits) {
        return dates;
    }
    for (int offset = 0; offset < kDaysLookedAt && dates.size() < count; ++offset) {
        const QDate day = start.addDays(offset);
        if (timeOfWeekday.contains(day.dayOfWeek())) {
            dates << QDateTime(day, timeOfWeekday.value(day.dayOfWeek()));
        }
    }
    return dates;
}

TfrmWizDay::TfrmWizDay(QWidget* parent) : QDialog(parent) {
    setupUi();
}

void TfrmWizDay::setupUi() {
    setObjectName(QStringLiteral("frmWizDay"));
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    StrDateBeg = named(new QLabel(kDateBeg, this), "StrDateBeg");
    StrDateBeg->setStyleSheet(QStringLiteral("color: navy; font-weight: bold;"));
    auto* days = new QGridLayout;
    for (int i = 0; i < 7; ++i) {
        day[i] = new QCheckBox(weekdayName(i + 1), this);
        day[i]->setObjectName(QStringLiteral("day_%1").arg(i + 1));
        Seans[i] = new QComboBox(this);
        Seans[i]->setObjectName(QStringLiteral("Seans_%1").arg(i + 1));
        Seans[i]->setMinimumContentsLength(6);
        days->addWidget(day[i], i, 0);
        days->addWidget(Seans[i], i, 1);
    }
    days->setColumnStretch(0, 1);
    btnCalc = newButton(this, "btnCalc", QStringLiteral("Выполнить"), QStyle::SP_DialogApplyButton);
    btnCalc->setDefault(true);
    btnClose = newButton(this, "btnClose", QStringLiteral("Отменить"), QStyle::SP_DialogCancelButton);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCalc);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(StrDateBeg);
    layout->addLayout(days);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(btnCalc, &QPushButton::clicked, this, &TfrmWizDay::btnCalcClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmWizDay::SetDateBeg(const QDate& date) {
    FDateBeg = QDateTime(date, QTime(0, 0));
    StrDateBeg->setText(kDateBeg + QLatin1Char(' ') + shortDateText(date));
}

void TfrmWizDay::LoadSeansList(const QComboBox& source) {
    if (source.count() == 0) {
        return;
    }
    for (QComboBox* box : Seans) {
        for (int i = 0; i < source.count(); ++i) {
            box->addItem(source.itemText(i), source.itemData(i));
        }
        box->setCurrentIndex(source.currentIndex());
    }
}

// Each box holds its slot's start as a time, so nothing is parsed back from the text; a ticked day
// without a slot has an invalid time.
QMap<int, QTime> TfrmWizDay::tickedDays() const {
    QMap<int, QTime> times;
    for (int i = 0; i < 7; ++i) {
        const QTime start = Seans[i]->currentData().toTime();
        if (day[i]->isChecked()) {
            times.insert(i + 1, start.isValid() ? QTime(start.hour(), start.minute()) : QTime());
        }
    }
    return times;
}

// Fewer visits than the price type holds are only planned when the user agrees; otherwise the dialog
// stays open to tick more days.
void TfrmWizDay::btnCalcClick() {
    const QMap<int, QTime> days = tickedDays();
    if (std::any_of(days.cbegin(), days.cend(), [](const QTime& start) { return !start.isValid(); })) {
        FDates.clear();
        showMessage(this, kNoSeans);
        accept();
        return;
    }
    FDates = PlanWeekdayVisits(FDateBeg.date(), FKolvoSeans, days);
    if (!FDates.isEmpty() && FDates.size() < FKolvoSeans &&
        askYesNo(this, kFewerDates.arg(FDates.size()).arg(FKolvoSeans)) != Answer::Yes) {
        FDates.clear();
        return;
    }
    accept();
}
