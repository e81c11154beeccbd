#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>

#include "common/UnitConst.h"
#include "tests/cards/CardFixture.h"

using namespace card_fixture;

namespace {

const QDate kPriceFrom(2026, 1, 1);
const QDate kVisitDay(2026, 7, 4);

}  // namespace

class TestCardVisits : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        m_hall = addHall(db(), "Бассейн", 20);
        addSlot(db(), m_hall, QTime(9, 0));
        addSlot(db(), m_hall, QTime(22, 0));
        m_band = addBand(db(), m_hall, QTime(9, 0), QTime(22, 0));
        m_client = addPerson(db(), "Иванов", "Иван");
    }

    void roundsTheDecimalTheUserSees_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("rounded");
        QTest::addColumn<QString>("sumText");  // of the rounded value
        QTest::newRow("2.675 is a half") << 2.675 << 2 << 2.68 << "2,7";
        QTest::newRow("half to even, up") << 250.75 << 1 << 250.8 << "250,8";
        QTest::newRow("six digits") << 12345.67 << 1 << 12345.7 << "12345,7";
        QTest::newRow("six before the point") << 123456.7 << 1 << 123456.7 << "123457,0";
        QTest::newRow("seven before the point") << 1234567.0 << 1 << 1234567.0 << "1,23457E+06";
    }
    void roundsTheDecimalTheUserSees() {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QTEST(RoundAmount(value, decimals), "rounded");
        QTEST(TfrmCard::SumText(RoundAmount(value, decimals)), "sumText");
    }

    void pricesVisitsByBandAndType_data() {
        QTest::addColumn<double>("price");
        QTest::addColumn<int>("visits");
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("org");
        QTest::addColumn<int>("added");
        QTest::addColumn<double>("cena");
        QTest::addColumn<QString>("sum");
        QTest::addColumn<double>("stored");
        QTest::newRow("4 of 1000 at the band's begin") << 1000.0 << 4 << 0 << false << 4 << 250.0 << "1000,0" << 1000.0;
        QTest::newRow("3 of 1000") << 1000.0 << 3 << 0 << false << 3 << 333.33 << "1000,0" << 1000.0;
        QTest::newRow("a fifth visit is taken") << 1000.0 << 4 << 0 << false << 5 << 250.0 << "1250,0" << 1250.0;
        QTest::newRow("1000.5 of 4") << 1000.5 << 4 << 0 << false << 1 << 250.12 << "250,1" << 250.1;
        QTest::newRow("at the band's end: no band") << 1000.0 << 4 << 1 << false << 1 << 0.0 << "0,0" << 0.0;
        QTest::newRow("an organisation's card") << 1000.0 << 4 << 0 << true << 2 << 0.0 << "0,0" << 0.0;
    }
    void pricesVisitsByBandAndType() {
        QFETCH(double, price);
        QFETCH(int, visits);
        QFETCH(int, slot);
        QFETCH(bool, org);
        QFETCH(int, added);
        QFETCH(double, cena);
        addPrice(db(), m_band, addTypeCen(db(), "Абонемент", m_hall, visits, 1500), kPriceFrom, price, 40);
        CardForm form(db(), newCard(ctAbonement, org));
        form.cbSeans->setCurrentIndex(slot);
        for (int i = 0; i < added; ++i) {
            form.mcSelDates->setSelectedDate(kVisitDay.addDays(i));
            form.btnAddClick();
        }
        QCOMPARE(scalar(db(), sqlOf("SELECT COUNT(*) FROM tWorkGurnal WHERE Cena=%1", cena)).toInt(), added);
        QTEST(form.stSum->text(), "sum");
        QTEST(scalar(db(), "SELECT SumCard FROM tCard").toDouble(), "stored");
        QCOMPARE(form.FStrahVosn, cena > 0 ? 40.0 : 0.0);
    }

    // A visit is stored as date + slot start, seconds 0, and the panel counts it with a reserved place. The period
    // follows the first and last visit; deleting the last one leaves the period and stores 0.
    void sumPeriodAndLoadFollowTheVisits() {
        addPrice(db(), m_band, addTypeCen(db(), "Абонемент", m_hall, 4), kPriceFrom, 53332.8);
        CardForm form(db(), newCard(ctAbonement));
        for (const int day : {5, 2}) {
            form.mcSelDates->setSelectedDate(kVisitDay.addDays(day));
            form.btnAddClick();
        }
        exec(db(), sqlOf("INSERT INTO tWorkGurnal (DateWork, ID_Zal, ID_Card, Cena) "
                         "VALUES ('2026-07-06 09:00:00', %1, -1, 0)",
                         m_hall));
        form.cbSeansChange();
        QCOMPARE(QList<int>({form.FLoadDay->CountCard(), form.FLoadDay->CountOrg(), form.FLoadDay->MaxCount}),
                 QList<int>({1, 1, 20}));
        const QString period = "SELECT DateOpen, DateClose, SumCard FROM tCard";
        QCOMPARE(rows(db(), period), QStringList{"2026-07-06 00:00:00|2026-07-09 00:00:00|26666.4"});
        QCOMPARE(columnsCutOff(*form.DBGridSpr), QStringList());
        for (int i = 0; i < 2; ++i) {
            selectRow(*form.DBGridSpr, 0);
            form.btnDelClick();
        }
        QCOMPARE(form.stSum->text(), "0");
        QCOMPARE(rows(db(), period), QStringList{"2026-07-09 00:00:00|2026-07-09 00:00:00|0"});
    }

    void clubCardTakesEachHallOnceAtTheBandZeroPrice() {
        const int gym = addHall(db(), "Тренажерный зал", 15);
        const int type = addTypeCen(db(), "Клубная", 0, 0, 1500);
        addPrice(db(), 0, type, kPriceFrom, 3500, 70);
        addPrice(db(), m_band, type, kPriceFrom, 9999, 99);
        const int card = newCard(ctClubCard);
        CardForm form(db(), card);
        form.btnAddClick();
        form.btnAddClick();
        pick(form.cbZal, 1);
        QCOMPARE(form.FStrahVosn, 70.0);
        // Another workstation puts the same hall on the card as this add begins: it is shown, not added again.
        WriteAtNextBegin elsewhere(
            *m_db, sqlOf("INSERT INTO tWorkClubCard (ID_Card, ID_Zal, Cena) VALUES (%1, %2, 3500)", card, gym));
        form.btnAddClick();
        QCOMPARE(rows(db(), "SELECT ID_Zal, Cena FROM tWorkClubCard ORDER BY ID"),
                 QStringList({QString("%1|3500").arg(m_hall), QString("%1|3500").arg(gym)}));
        QCOMPARE(form.stSum->text(), "7000,0");
        QVERIFY(m_ui->messageTexts().isEmpty());
    }

    void refusesVisitsWithoutHallSlotOrPriceType_data() {
        QTest::addColumn<QString>("hall");  // the one picked: none at all, one without slots, or one with a slot
        QTest::addColumn<bool>("org");
        QTest::addColumn<QString>("typeCen");
        QTest::addColumn<QString>("message");
        QTest::newRow("no hall") << "none" << false << ""
                                 << "Не выбран зал!";
        QTest::newRow("no slot") << "bare" << false << "НЕТ ТИПА ЦЕНЫ"
                                 << "У зала нет сеансов: посещение не добавлено!";
        QTest::newRow("no price type") << "slot" << false << "НЕТ ТИПА ЦЕНЫ"
                                       << "Не выбран тип цены зала: посещение не добавлено!";
        QTest::newRow("organisation, no price type") << "slot" << true << "НЕТ ТИПА ЦЕНЫ" << QString();
    }
    void refusesVisitsWithoutHallSlotOrPriceType() {
        QFETCH(QString, hall);
        QFETCH(bool, org);
        QFETCH(QString, message);
        if (hall == "none") {
            exec(db(), "DELETE FROM tZal");
        } else if (const int bare = addHall(db(), "Пустой", 10); hall == "slot") {
            addSlot(db(), bare, QTime(9, 0));
        }
        CardForm form(db(), newCard(ctAbonement, org));
        pick(form.cbZal, 1);
        QTEST(form.cbTypeCen->currentText(), "typeCen");
        form.btnAddClick();
        QCOMPARE(m_ui->messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(countOf(db(), "tWorkGurnal"), message.isEmpty() ? 1 : 0);
    }

  private:
    int newCard(int type, bool org = false) {
        const int card = addCard(db(), 1, type, "2026-01-01 00:00:00", m_client);
        exec(db(), sqlOf("UPDATE tCard SET ID_Org=%1", org ? addOrg(db(), "Ромашка") : 0));
        return card;
    }

    int m_hall = 0;
    int m_band = 0;
    int m_client = 0;
};

QTEST_MAIN(TestCardVisits)
#include "tst_cardvisits.moc"
