#pragma once

#include <QDateTime>
#include <QDialog>
#include <QList>
#include <QMap>
#include <QTime>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// The visit date-times of a plan: from the start date on, at most one a day on the weekdays that
// have a time (1 = Monday .. 7 = Sunday), until there are as many as asked or 101 days are looked at.
// Nothing for a count outside 1..100 or no weekday.
QList<QDateTime> PlanWeekdayVisits(const QDate& start, int count, const QMap<int, QTime>& timeOfWeekday);

// Plans a subscription's visits by weekday; the card form prices and inserts them.
class TfrmWizDay : public QDialog {
    Q_OBJECT

  public:
    explicit TfrmWizDay(QWidget* parent);

    void SetDateBeg(const QDate& date);
    // Each time box gets the card form's slots, the form's current slot chosen.
    void LoadSeansList(const QComboBox& source);

    QDateTime FDateBeg;
    int FKolvoSeans = 0;
    QList<QDateTime> FDates;

    QLabel* StrDateBeg = nullptr;
    std::array<QCheckBox*, 7> day{};
    std::array<QComboBox*, 7> Seans{};
    QPushButton* btnCalc = nullptr;
    QPushButton* btnClose = nullptr;

  public slots:
    void btnCalcClick();

  private:
    void setupUi();
    QMap<int, QTime> tickedDays() const;
};
