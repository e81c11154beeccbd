#pragma once

#include <QDate>
#include <QTime>

#include "platform/Database.h"

// The rows a card form needs, written as the facility forms write them.
namespace card_fixture {

inline int addRow(Database& db, const QString& sql, const QList<std::pair<QString, QVariant>>& texts = {}) {
    SqlQuery command(db);
    for (const auto& [name, value] : texts) {
        command.addParam(name, FieldType::String, value);
    }
    command.exec(sql);
    return int(command.lastInsertId());
}

inline int addHall(Database& db, const QString& name, int places, const QString& cardText = QString()) {
    return addRow(
        db,
        QStringLiteral("INSERT INTO tZal (NameZal, CountMest, StrTXTCard) VALUES (:pName, %1, :pText);").arg(places),
        {{QStringLiteral("pName"), name}, {QStringLiteral("pText"), cardText}});
}

inline void addSlot(Database& db, int hall, const QTime& start) {
    SqlQuery command(db);
    command.addParam(QStringLiteral("pTime"), FieldType::Time, start);
    command.exec(QStringLiteral("INSERT INTO tSeans (ID_Zal, TimeBeg, CountTime) VALUES (%1, :pTime, 60);").arg(hall));
}

inline int addBand(Database& db, int hall, const QTime& begin, const QTime& end) {
    SqlQuery command(db);
    command.addParam(QStringLiteral("pBegin"), FieldType::Time, begin)
        .addParam(QStringLiteral("pEnd"), FieldType::Time, end);
    command.exec(
        QStringLiteral("INSERT INTO tPeriodCena (ID_Zal, TimeBegin, TimeEnd) VALUES (%1, :pBegin, :pEnd);").arg(hall));
    return int(command.lastInsertId());
}

// A price type of a hall (0: common); visits 0 make it a club-card type.
inline int addTypeCen(Database& db, const QString& name, int hall, int visits, double insuredSum = 0) {
    return addRow(db,
                  QStringLiteral("INSERT INTO tTypeCen (Name, Zal_ID, KolvoSeans, StrahSumma, VidSportaID) VALUES "
                                 "(:pName, %1, %2, %3, 0);")
                      .arg(hall)
                      .arg(visits)
                      .arg(insuredSum),
                  {{QStringLiteral("pName"), name}});
}

inline void addPrice(Database& db, int band, int typeCen, const QDate& from, double price, double fee = 0) {
    SqlQuery command(db);
    command.addParam(QStringLiteral("pDate"), FieldType::Date, from)
        .addParam(QStringLiteral("pCena"), FieldType::Float, price)
        .addParam(QStringLiteral("pFee"), FieldType::Float, fee);
    command.exec(QStringLiteral("INSERT INTO tCenaSeans (ID_Period, ID_TypeCen, DateSet, Cena, StrahVosn) VALUES "
                                "(%1, %2, :pDate, :pCena, :pFee);")
                     .arg(band)
                     .arg(typeCen));
}

inline int addOrg(Database& db, const QString& name) {
    return addRow(db, QStringLiteral("INSERT INTO tOrg (Name) VALUES (:pName);"), {{QStringLiteral("pName"), name}});
}

inline int addPerson(Database& db, const QString& family, const QString& name, bool noRGS = false) {
    return addRow(db,
                  QStringLiteral("INSERT INTO tClient (Family, Name, Otchestvo, NoRGS) VALUES (:pFamily, :pName, "
                                 "'', %1);")
                      .arg(noRGS ? 1 : 0),
                  {{QStringLiteral("pFamily"), family}, {QStringLiteral("pName"), name}});
}

}  // namespace card_fixture
