#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QPushButton>
#include <QTime>

#include "cards/UnitCard.h"
#include "cards/UnitWizDay.h"
#include "tests/support/TestSupport.h"

// The rows the card and facility forms need. Test rows are the test's own texts, so they are written into the
// statements.
namespace card_fixture {

// A statement with %1, %2, ... filled in order.
template <typename... Values>
QString sqlOf(const char* text, const Values&... values) {
    QString statement = QString::fromUtf8(text);
    ((statement = statement.arg(values)), ...);
    return statement;
}

// A time of day as the program stores it.
inline QString clock(const QTime& time) {
    return QString("'1899-12-30 %1'").arg(time.toString("HH:mm:ss"));
}

inline int addHall(Database& db, const QString& name, int places = 20) {
    return insert(db, sqlOf("INSERT INTO tZal (NameZal, CountMest) VALUES ('%1', %2)", name, places));
}

inline void addSlot(Database& db, int hall, const QTime& start) {
    exec(db, sqlOf("INSERT INTO tSeans (ID_Zal, TimeBeg) VALUES (%1, %2)", hall, clock(start)));
}

inline int addBand(Database& db, int hall, const QTime& begin, const QTime& end) {
    return insert(db, sqlOf("INSERT INTO tPeriodCena (ID_Zal, TimeBegin, TimeEnd) VALUES (%1, %2, %3)", hall,
                            clock(begin), clock(end)));
}

// A price type of a hall (0: common to all) or of a sports type; no visits make it a club-card type.
inline int addTypeCen(Database& db, const QString& name, int hall, int visits, double insuredSum = 0,
                      int vidSport = 0) {
    return insert(db, sqlOf("INSERT INTO tTypeCen (Name, Zal_ID, KolvoSeans, StrahSumma, VidSportaID) "
                            "VALUES ('%1', %2, %3, %4, %5)",
                            name, hall, visits, insuredSum, vidSport));
}

inline void addPrice(Database& db, int band, int typeCen, const QDate& from, double price, double fee = 0) {
    exec(db, sqlOf("INSERT INTO tCenaSeans (ID_Period, ID_TypeCen, DateSet, Cena, StrahVosn) VALUES (%1, %2, "
                   "'%3 00:00:00', %4, %5)",
                   band, typeCen, from.toString(Qt::ISODate), price, fee));
}

// A sports type's session in a hall's timetable, on a weekday from 1 (Monday).
inline void addTimetable(Database& db, int vidSport, int hall, int weekday, const QTime& time) {
    exec(db, sqlOf("INSERT INTO tSchedulEmpl (VidSportID, ZalID, DayNed, SeansTime) VALUES (%1, %2, %3, %4)", vidSport,
                   hall, weekday, clock(time)));
}

inline int addOrg(Database& db, const QString& name) {
    return insert(db, sqlOf("INSERT INTO tOrg (Name) VALUES ('%1')", name));
}

inline int addPerson(Database& db, const QString& family, const QString& name, bool noRGS = false) {
    return insert(db, sqlOf("INSERT INTO tClient (Family, Name, Otchestvo, NoRGS) VALUES ('%1', '%2', '', %3)", family,
                            name, noRGS ? 1 : 0));
}

inline int countOf(Database& db, const QString& table) {
    return scalar(db, "SELECT COUNT(*) FROM " + table).toInt();
}

// A card form on a saved card, or on a new one for an ID below 0.
struct CardForm : TfrmCard {
    CardForm(Database& db, int card, QWidget* parent = nullptr) : TfrmCard(db, parent) { LoadCard(card); }
};

// Picks a row of a combo box as a person does, so that its handler runs.
inline void pick(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}

// Has the next weekday wizard tick these weekdays (0: Monday), the first on the first slot, and plan.
inline void planWeekdays(FakeUi& ui, const QList<int>& weekdays) {
    ui.modalHandlers.push_back([weekdays](QDialog& shown) {
        auto& wizard = static_cast<TfrmWizDay&>(shown);
        for (const int day : weekdays) {
            wizard.day[day]->setChecked(true);
        }
        wizard.Seans[0]->setCurrentIndex(0);
        wizard.btnCalc->click();
        return wizard.result();
    });
}

}  // namespace card_fixture
