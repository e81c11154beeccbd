#pragma once

#include <QDate>
#include <QTime>

#include "tests/support/TestSupport.h"

// The rows the card and facility forms need. Test rows are the test's own texts, so they are written into the
// statements.
namespace card_fixture {

// A time of day as the program stores it.
inline QString clock(const QTime& time) {
    return QStringLiteral("'1899-12-30 %1'").arg(time.toString(QStringLiteral("HH:mm:ss")));
}

inline int addHall(Database& db, const QString& name, int places = 20) {
    return insert(db, QStringLiteral("INSERT INTO tZal (NameZal, CountMest) VALUES ('%1', %2)").arg(name).arg(places));
}

inline void addSlot(Database& db, int hall, const QTime& start) {
    exec(db, QStringLiteral("INSERT INTO tSeans (ID_Zal, TimeBeg) VALUES (%1, %2)").arg(hall).arg(clock(start)));
}

inline int addBand(Database& db, int hall, const QTime& begin, const QTime& end) {
    return insert(db, QStringLiteral("INSERT INTO tPeriodCena (ID_Zal, TimeBegin, TimeEnd) VALUES (%1, %2, %3)")
                          .arg(hall)
                          .arg(clock(begin), clock(end)));
}

// A price type of a hall (0: common to all) or of a sports type; no visits make it a club-card type.
inline int addTypeCen(Database& db, const QString& name, int hall, int visits, double insuredSum = 0,
                      int vidSport = 0) {
    return insert(db, QStringLiteral("INSERT INTO tTypeCen (Name, Zal_ID, KolvoSeans, StrahSumma, VidSportaID) "
                                     "VALUES ('%1', %2, %3, %4, %5)")
                          .arg(name)
                          .arg(hall)
                          .arg(visits)
                          .arg(insuredSum)
                          .arg(vidSport));
}

inline void addPrice(Database& db, int band, int typeCen, const QDate& from, double price, double fee = 0) {
    exec(db, QStringLiteral("INSERT INTO tCenaSeans (ID_Period, ID_TypeCen, DateSet, Cena, StrahVosn) VALUES (%1, %2, "
                            "'%3 00:00:00', %4, %5)")
                 .arg(band)
                 .arg(typeCen)
                 .arg(from.toString(Qt::ISODate))
                 .arg(price)
                 .arg(fee));
}

inline int addOrg(Database& db, const QString& name) {
    return insert(db, QStringLiteral("INSERT INTO tOrg (Name) VALUES ('%1')").arg(name));
}

inline int addPerson(Database& db, const QString& family, const QString& name, bool noRGS = false) {
    return insert(db, QStringLiteral("INSERT INTO tClient (Family, Name, Otchestvo, NoRGS) VALUES ('%1', '%2', '', %3)")
                          .arg(family, name)
                          .arg(noRGS ? 1 : 0));
}

}  // namespace card_fixture
