#pragma once

#include <QDate>
#include <QTime>

#include "platform/Database.h"

// The rows a card form needs, written as the facility forms write them.
namespace card_fixture {

inline int addRow(Database& db, const QString& sql, const QList<std::tuple<QString, FieldType, QVariant>>& params) {
    SqlQuery command(db);
    for (const auto& [name, type, value] : params) {
        command.addParam(name, type, value);
    }
    command.exec(sql);
    return int(command.lastInsertId());
}

inline int addHall(Database& db, const QString& name, int places) {
    return addRow(db, QStringLiteral("INSERT INTO tZal (NameZal, CountMest) VALUES (:pName, %1);").arg(places),
                  {{QStringLiteral("pName"), FieldType::String, name}});
}

inline void addSlot(Database& db, int hall, const QTime& start) {
    addRow(db, QStringLiteral("INSERT INTO tSeans (ID_Zal, TimeBeg) VALUES (%1, :pTime);").arg(hall),
           {{QStringLiteral("pTime"), FieldType::Time, start}});
}

inline int addBand(Database& db, int hall, const QTime& begin, const QTime& end) {
    return addRow(
        db, QStringLiteral("INSERT INTO tPeriodCena (ID_Zal, TimeBegin, TimeEnd) VALUES (%1, :pB, :pE);").arg(hall),
        {{QStringLiteral("pB"), FieldType::Time, begin}, {QStringLiteral("pE"), FieldType::Time, end}});
}

// A price type of a hall (0: common to all); no visits make it a club-card type.
inline int addTypeCen(Database& db, const QString& name, int hall, int visits, double insuredSum = 0) {
    return addRow(
        db,
        QStringLiteral("INSERT INTO tTypeCen (Name, Zal_ID, KolvoSeans, StrahSumma) VALUES (:pName, %1, %2, %3);")
            .arg(hall)
            .arg(visits)
            .arg(insuredSum),
        {{QStringLiteral("pName"), FieldType::String, name}});
}

inline void addPrice(Database& db, int band, int typeCen, const QDate& from, double price, double fee = 0) {
    addRow(db,
           QStringLiteral("INSERT INTO tCenaSeans (ID_Period, ID_TypeCen, DateSet, Cena, StrahVosn) VALUES (%1, %2, "
                          ":pDate, %3, %4);")
               .arg(band)
               .arg(typeCen)
               .arg(price)
               .arg(fee),
           {{QStringLiteral("pDate"), FieldType::Date, from}});
}

inline int addOrg(Database& db, const QString& name) {
    return addRow(db, QStringLiteral("INSERT INTO tOrg (Name) VALUES (:pName);"),
                  {{QStringLiteral("pName"), FieldType::String, name}});
}

inline int addPerson(Database& db, const QString& family, const QString& name, bool noRGS = false) {
    return addRow(db,
                  QStringLiteral("INSERT INTO tClient (Family, Name, Otchestvo, NoRGS) VALUES (:pF, :pN, '', %1);")
                      .arg(noRGS ? 1 : 0),
                  {{QStringLiteral("pF"), FieldType::String, family}, {QStringLiteral("pN"), FieldType::String, name}});
}

}  // namespace card_fixture
