#include <QProcess>
#include <QTest>

#include "common/UnitConst.h"
#include "platform/Database.h"
#include "tests/support/TestSupport.h"

namespace {

const QString INSERT_PRICE_SQL = QStringLiteral(
    "INSERT INTO tCenaSeans (ID_Period, ID_TypeCen, DateSet, Cena, StrahVosn) VALUES (%1, %2, :pDate, :pCena, "
    ":pFee);");
const QString INSERT_BAND_SQL =
    QStringLiteral("INSERT INTO tPeriodCena (ID_Zal, TimeBegin, TimeEnd) VALUES (%1, :pBegin, :pEnd);");
const QString INSERT_CARD_SQL = QStringLiteral("INSERT INTO tCard (Num, TypeCard) VALUES (%1, %2);");
const QString SELECT_PRICES_SQL =
    QStringLiteral("SELECT ID_Period, ID_TypeCen, DateSet, Cena, StrahVosn FROM tCenaSeans ORDER BY DateSet, ID;");
const QString SELECT_LOG_SQL =
    QStringLiteral("SELECT id_user, kod_action, ActionStr FROM tListActionUsers ORDER BY ID;");

constexpr int kBand = 3;
constexpr int kTypeCen = 4;
constexpr int kHall = 2;
constexpr double kCallerFee = 77.5;

// A dated price; a null fee leaves StrahVosn empty.
void addPrice(Database& db, int band, int typeCen, const QDate& day, double price, const QVariant& fee) {
    SqlQuery command(db);
    command.addParam(QStringLiteral("pDate"), FieldType::Date, day)
        .addParam(QStringLiteral("pCena"), FieldType::Float, price)
        .addParam(QStringLiteral("pFee"), FieldType::Float, fee);
    command.exec(INSERT_PRICE_SQL.arg(band).arg(typeCen));
}

int addBand(Database& db, int hall, const QTime& begin, const QTime& end) {
    SqlQuery command(db);
    command.addParam(QStringLiteral("pBegin"), FieldType::Time, begin)
        .addParam(QStringLiteral("pEnd"), FieldType::Time, end);
    command.exec(INSERT_BAND_SQL.arg(hall));
    return static_cast<int>(command.lastInsertId());
}

// The band and the two price types the stored prices hang on.
void addPriceOwners(Database& db) {
    exec(db, QStringLiteral("INSERT INTO tPeriodCena (ID, ID_Zal) VALUES (%1, %2)").arg(kBand).arg(kHall));
    exec(db, QStringLiteral("INSERT INTO tTypeCen (ID) VALUES (%1), (%2)").arg(kTypeCen).arg(kTypeCen + 1));
}

QDateTime at(const QDate& day, const QTime& time = QTime(0, 0)) {
    return QDateTime(day, time);
}

QDateTime timeOfDay(const QTime& time) {
    return QDateTime(kZeroDate, time);
}

const char* const kPriceWriterArg = "--write-prices";
constexpr int kRaceDays = 30;
constexpr int kRacers = 4;

// One workstation of the race: sets the price of the same days as the others, as fast as it can.
int writePrices(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Database db;
    if (!db.open(QString::fromLocal8Bit(argv[2]))) {
        return 1;
    }
    try {
        for (int day = 0; day < kRaceDays; ++day) {
            SetCenaSeans(db, kBand, kTypeCen, at(QDate(2024, 3, 1).addDays(day)), 100 + day, 0);
        }
    } catch (const DbError& e) {
        qWarning("%s", qPrintable(e.text()));
        return 1;
    }
    return 0;
}

struct Price {
    QDate day;
    double price;
    QVariant fee;
    int band = kBand;
    int typeCen = kTypeCen;
};

}  // namespace

Q_DECLARE_METATYPE(QList<Price>)

class TestUnitConst : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        gUserApl = TUserApl();
    }

    void findsPriceValidOnDate_data() {
        QTest::addColumn<QList<Price>>("prices");
        QTest::addColumn<QDateTime>("asked");
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("fee");
        const QDate d(2024, 3, 5);
        QTest::newRow("dated on the day, asked later that day")
            << QList<Price>{{d, 150, 10}} << at(d, QTime(18, 45)) << 150.0 << 10.0;
        QTest::newRow("latest of several")
            << QList<Price>{{d.addDays(-30), 100, 1}, {d.addDays(-2), 120, 2}, {d.addDays(-10), 110, 3}} << at(d)
            << 120.0 << 2.0;
        QTest::newRow("latest before a later one")
            << QList<Price>{{d.addDays(-5), 100, 1}, {d.addDays(3), 200, 2}} << at(d) << 100.0 << 1.0;
        QTest::newRow("none") << QList<Price>{} << at(d) << 0.0 << kCallerFee;
        QTest::newRow("empty fee reads 0") << QList<Price>{{d.addDays(-1), 90, QVariant()}} << at(d) << 90.0 << 0.0;
        QTest::newRow("zero price found") << QList<Price>{{d.addDays(-1), 0, 5}} << at(d) << 0.0 << 5.0;
        QTest::newRow("other bands and types apart")
            << QList<Price>{{d, 300, 30, kBand + 1}, {d, 400, 40, kBand, kTypeCen + 1}, {d, 500, 50, 0}} << at(d) << 0.0
            << kCallerFee;
    }
    void findsPriceValidOnDate() {
        QFETCH(QList<Price>, prices);
        QFETCH(QDateTime, asked);
        QFETCH(double, price);
        QFETCH(double, fee);
        for (const Price& p : prices) {
            addPrice(m_db->db, p.band, p.typeCen, p.day, p.price, p.fee);
        }
        double callerFee = kCallerFee;
        QCOMPARE(GetCenaSeans(m_db->db, kBand, kTypeCen, callerFee, asked), price);
        QCOMPARE(callerFee, fee);
    }
    void storesOnePricePerDayBandAndType() {
        const QDate d(2024, 3, 5);
        addPriceOwners(m_db->db);
        SetCenaSeans(m_db->db, kBand, kTypeCen, at(d, QTime(9, 15)), 150, 10);
        SetCenaSeans(m_db->db, kBand, kTypeCen, at(d, QTime(17, 40, 5)), 175.5, 12.5);
        SetCenaSeans(m_db->db, kBand, kTypeCen, at(d.addDays(1), QTime(9, 15)), 160, 11);
        SetCenaSeans(m_db->db, kBand, kTypeCen + 1, at(d), 170, 0);
        QCOMPARE(rows(m_db->db, SELECT_PRICES_SQL),
                 QStringList({"3|4|2024-03-05 00:00:00|175.5|12.5", "3|5|2024-03-05 00:00:00|170|0",
                              "3|4|2024-03-06 00:00:00|160|11"}));
        double fee = 0;
        QCOMPARE(GetCenaSeans(m_db->db, kBand, kTypeCen, fee, at(d)), 175.5);
        QCOMPARE(fee, 12.5);
    }
    void setsOnePricePerDayAcrossWorkstations() {
        addPriceOwners(m_db->db);
        std::vector<std::unique_ptr<QProcess>> racers;
        for (int i = 0; i < kRacers; ++i) {
            racers.push_back(std::make_unique<QProcess>());
            racers.back()->setProcessChannelMode(QProcess::ForwardedChannels);
            racers.back()->start(QCoreApplication::applicationFilePath(),
                                 {QString::fromLatin1(kPriceWriterArg), m_db->path()});
        }
        for (auto& racer : racers) {
            QVERIFY(racer->waitForFinished(60000));
            QCOMPARE(racer->exitCode(), 0);
        }
        QCOMPARE(scalar(m_db->db, QStringLiteral("SELECT count(*) FROM tCenaSeans")).toInt(), kRaceDays);
    }
    void findsBandOfTime_data() {
        QTest::addColumn<QList<QTime>>("bands");  // begin, end, begin, end, ...
        QTest::addColumn<QTime>("time");
        QTest::addColumn<int>("bandIndex");  // -1: none
        const QList<QTime> dayAndEvening = {QTime(7, 0), QTime(16, 0), QTime(16, 0), QTime(22, 0)};
        QTest::newRow("begin included") << dayAndEvening << QTime(7, 0) << 0;
        QTest::newRow("end excluded, next begins") << dayAndEvening << QTime(16, 0) << 1;
        QTest::newRow("end of the last excluded") << dayAndEvening << QTime(22, 0) << -1;
        QTest::newRow("before all") << dayAndEvening << QTime(6, 59) << -1;
        QTest::newRow("band ending at midnight never matches")
            << QList<QTime>{QTime(20, 0), QTime(0, 0)} << QTime(21, 0) << -1;
        QTest::newRow("overlap: earliest begin wins")
            << QList<QTime>{QTime(10, 0), QTime(20, 0), QTime(8, 0), QTime(12, 0)} << QTime(11, 0) << 1;
        QTest::newRow("overlap: later band where the earlier has ended")
            << QList<QTime>{QTime(10, 0), QTime(20, 0), QTime(8, 0), QTime(12, 0)} << QTime(12, 0) << 0;
    }
    void findsBandOfTime() {
        QFETCH(QList<QTime>, bands);
        QFETCH(QTime, time);
        QFETCH(int, bandIndex);
        // A band of another hall that would hold every time of the day.
        addBand(m_db->db, kHall + 1, QTime(0, 0), QTime(23, 59, 59));
        QList<int> ids;
        for (int i = 0; i + 1 < bands.size(); i += 2) {
            ids << addBand(m_db->db, kHall, bands[i], bands[i + 1]);
        }
        QCOMPARE(GetIDPeriodCena(m_db->db, kHall, timeOfDay(time)), bandIndex < 0 ? 0 : ids.at(bandIndex));
    }
    // Slot boxes write the time as the workstation does, and a chosen slot reads back.
    void writesTimesAsTheWorkstation_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("slot");
        QTest::newRow("morning") << QTime(9, 0) << "9:00";
        QTest::newRow("evening") << QTime(18, 30) << "18:30";
    }
    void writesTimesAsTheWorkstation() {
        QFETCH(QTime, time);
        QFETCH(QString, slot);
        QCOMPARE(SeansTimeText(time), slot);
        QCOMPARE(SeansTimeFromText(slot), time);
    }
    void numbersCardsPerType() {
        QCOMPARE(GetNextNumCard(m_db->db, ctAbonement), 1);
        for (const auto& [num, type] :
             {std::pair{1, ctAbonement}, {7, ctAbonement}, {40, ctClubCard}, {3, ctClubCard}}) {
            SqlQuery(m_db->db).exec(INSERT_CARD_SQL.arg(num).arg(int(type)));
        }
        QCOMPARE(GetNextNumCard(m_db->db, ctAbonement), 8);
        QCOMPARE(GetNextNumCard(m_db->db, ctClubCard), 41);
    }
    void writesEventOfSignedInUser() {
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        gUserApl.ID = 5;
        WriteActionLog(m_db->db, acCard, QStringLiteral("Создана карта №12"));
        gUserApl.ID = 8;
        WriteActionLog(m_db->db, acProgram, QStringLiteral("Завершение программы"));
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        QCOMPARE(rows(m_db->db, SELECT_LOG_SQL), QStringList({"5|1|Создана карта №12", "8|0|Завершение программы"}));
        const QDateTime stamp = dateTimeFromStorage(scalar(m_db->db, "SELECT min(dt_action) FROM tListActionUsers"));
        QVERIFY(stamp >= before && stamp <= after);
    }
    void cutsEventTextTo250OnCharacterBoundary() {
        const QString letters = QString(250, QChar(0x0436));
        const QString emoji = QString::fromUtf8("\U0001F600");
        const QString cut = letters.left(249);
        for (const auto& [text, stored] :
             {std::pair{letters, letters}, std::pair{letters + "я", letters}, std::pair{cut + emoji, cut}}) {
            exec(m_db->db, QStringLiteral("DELETE FROM tListActionUsers"));
            WriteActionLog(m_db->db, acCard, text);
            QCOMPARE(scalar(m_db->db, QStringLiteral("SELECT ActionStr FROM tListActionUsers")).toString(), stored);
        }
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], kPriceWriterArg) == 0) {
        return writePrices(argc, argv);
    }
    QCoreApplication app(argc, argv);
    TestUnitConst test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_unitconst.moc"
