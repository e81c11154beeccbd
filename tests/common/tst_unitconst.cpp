#include <QProcess>
#include <QTest>

#include "common/UnitConst.h"
#include "tests/cards/CardFixture.h"

namespace {

constexpr int kBand = 3;
constexpr int kTypeCen = 4;
constexpr int kHall = 2;
constexpr double kCallerFee = 77.5;

struct Price {
    QDate day;
    double price;
    QVariant fee;  // null: StrahVosn left empty
    int band = kBand;
    int typeCen = kTypeCen;
};

void addPrice(Database& db, const Price& p) {
    const QByteArray fee = p.fee.isNull() ? "NULL" : QByteArray::number(p.fee.toDouble());
    exec(db, QString::asprintf("INSERT INTO tCenaSeans (ID_Period, ID_TypeCen, DateSet, Cena, StrahVosn) VALUES "
                               "(%d, %d, '%s 00:00:00', %g, %s)",
                               p.band, p.typeCen, qPrintable(p.day.toString(Qt::ISODate)), p.price, fee.data()));
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
            SetCenaSeans(db, kBand, kTypeCen, at("2024-03-01 00:00:00").addDays(day), 100 + day, 0);
        }
    } catch (const DbError& e) {
        qWarning("%s", qPrintable(e.text()));
        return 1;
    }
    return 0;
}

}  // namespace

Q_DECLARE_METATYPE(QList<Price>)

class TestUnitConst : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        gUserApl = TUserApl();
    }

    // Asked on 5 March, at its first moment or later that day.
    void findsPriceValidOnDate_data() {
        QTest::addColumn<QList<Price>>("prices");
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("fee");
        const QDate d(2024, 3, 5);
        QTest::newRow("latest of several")
            << QList<Price>{{d.addDays(-30), 100, 1}, {d.addDays(-2), 120, 2}, {d.addDays(-10), 110, 3}} << 120.0
            << 2.0;
        QTest::newRow("none") << QList<Price>{} << 0.0 << kCallerFee;
        QTest::newRow("empty fee reads 0") << QList<Price>{{d.addDays(-1), 90, QVariant()}} << 90.0 << 0.0;
        QTest::newRow("zero price found") << QList<Price>{{d.addDays(-1), 0, 5}} << 0.0 << 5.0;
        QTest::newRow("other bands and types apart")
            << QList<Price>{{d, 300, 30, kBand + 1}, {d, 400, 40, kBand, kTypeCen + 1}, {d, 500, 50, 0}} << 0.0
            << kCallerFee;
    }
    void findsPriceValidOnDate() {
        QFETCH(QList<Price>, prices);
        for (const Price& p : prices) {
            addPrice(db(), p);
        }
        for (const char* asked : {"2024-03-05 00:00:00", "2024-03-05 18:45:00"}) {
            double fee = kCallerFee;
            QTEST(GetCenaSeans(db(), kBand, kTypeCen, fee, at(asked)), "price");
            QTEST(fee, "fee");
        }
    }
    // Workstations racing on the same days leave one price per day, band and type, stored at the day's start.
    void setsOnePricePerDayAcrossWorkstations() {
        // The band and the two price types the stored prices hang on.
        exec(db(), QStringLiteral("INSERT INTO tPeriodCena (ID, ID_Zal) VALUES (%1, %2)").arg(kBand).arg(kHall));
        exec(db(), QStringLiteral("INSERT INTO tTypeCen (ID) VALUES (%1), (%2)").arg(kTypeCen).arg(kTypeCen + 1));
        SetCenaSeans(db(), kBand, kTypeCen, at("2024-03-01 17:40:05"), 175.5, 12.5);
        SetCenaSeans(db(), kBand, kTypeCen + 1, at("2024-03-01 00:00:00"), 170, 0);
        QProcess racers[kRacers];
        for (QProcess& racer : racers) {
            racer.setProcessChannelMode(QProcess::ForwardedChannels);
            racer.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kPriceWriterArg), m_db->path()});
        }
        for (QProcess& racer : racers) {
            QVERIFY(racer.waitForFinished(60000));
            QCOMPARE(racer.exitCode(), 0);
        }
        QCOMPARE(scalar(db(), "SELECT count(*) FROM tCenaSeans").toInt(), kRaceDays + 1);
        QCOMPARE(
            rows(db(), "SELECT ID_TypeCen, DateSet, Cena FROM tCenaSeans WHERE DateSet < '2024-03-02' ORDER BY ID"),
            QStringList({"4|2024-03-01 00:00:00|100", "5|2024-03-01 00:00:00|170"}));
    }
    void findsBandOfTime_data() {
        QTest::addColumn<QList<QTime>>("bands");  // begin, end, begin, end, ...
        QTest::addColumn<QTime>("time");
        QTest::addColumn<int>("bandIndex");  // -1: none
        const QList<QTime> dayAndEvening = {QTime(7, 0), QTime(16, 0), QTime(16, 0), QTime(22, 0)};
        const QList<QTime> overlapping = {QTime(10, 0), QTime(20, 0), QTime(8, 0), QTime(12, 0)};
        QTest::newRow("end excluded, next begins") << dayAndEvening << QTime(16, 0) << 1;
        QTest::newRow("before all") << dayAndEvening << QTime(6, 59) << -1;
        QTest::newRow("band ending at midnight never matches")
            << QList<QTime>{QTime(20, 0), QTime(0, 0)} << QTime(21, 0) << -1;
        QTest::newRow("overlap: earliest begin wins") << overlapping << QTime(11, 0) << 1;
        QTest::newRow("overlap: later band where the earlier has ended") << overlapping << QTime(12, 0) << 0;
    }
    void findsBandOfTime() {
        QFETCH(QList<QTime>, bands);
        QFETCH(QTime, time);
        QFETCH(int, bandIndex);
        // A band of another hall that would hold every time of the day.
        card_fixture::addBand(db(), kHall + 1, QTime(0, 0), QTime(23, 59, 59));
        QList<int> ids;
        for (int i = 0; i + 1 < bands.size(); i += 2) {
            ids << card_fixture::addBand(db(), kHall, bands[i], bands[i + 1]);
        }
        QCOMPARE(GetIDPeriodCena(db(), kHall, QDateTime(kZeroDate, time)), bandIndex < 0 ? 0 : ids.at(bandIndex));
    }
    // Each event is stamped with the signed-in user and the time, its text cut to 250 characters on a
    // character boundary.
    void writesEventOfSignedInUser() {
        const QString letters = QString(250, QChar(0x0436));
        const QString cut = letters.left(249);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        gUserApl.ID = 8;
        WriteActionLog(db(), acProgram, letters + "я");
        WriteActionLog(db(), acProgram, cut + QString::fromUtf8("\U0001F600"));
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        QCOMPARE(rows(db(), "SELECT id_user, kod_action, ActionStr FROM tListActionUsers ORDER BY ID"),
                 QStringList({"8|0|" + letters, "8|0|" + cut}));
        const QDateTime stamp = dateTimeFromStorage(scalar(db(), "SELECT min(dt_action) FROM tListActionUsers"));
        QVERIFY(stamp >= before && stamp <= after);
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
