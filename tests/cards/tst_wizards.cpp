#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "cards/UnitSelSeans.h"
#include "cards/UnitWizDay.h"
#include "cards/UnitWizard.h"
#include "common/UnitConst.h"
#include "common/UnitSelSpr.h"
#include "tests/cards/CardFixture.h"

using namespace card_fixture;

namespace {

const QDate kWednesday(2026, 7, 1);
const QString kVisitsSql = "SELECT DateWork, Cena FROM tWorkGurnal ORDER BY DateWork";

}  // namespace

class TestWizards : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        m_hall = addHall(db(), "Бассейн", 20);
        addSlot(db(), m_hall, QTime(9, 0));
        addSlot(db(), m_hall, QTime(18, 0));
        m_band = addBand(db(), m_hall, QTime(9, 0), QTime(22, 0));
        m_card = addCard(db(), 1, ctAbonement, "2026-01-01 00:00:00", addPerson(db(), "Иванов", "Иван"));
        m_swim = addVidSport("Плавание", 3, 2000);
        addPrice(db(), 0, m_swimType, QDate(2026, 1, 1), 1000, 50);
        addPrice(db(), 0, m_swimType, QDate(2026, 7, 14), 2000, 70);
        addTimetable(db(), m_swim, m_hall, 2, QTime(18, 0));
    }

    void plansWeekdayVisits_data() {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("weekdays");  // each at 7 + its number o'clock
        QTest::addColumn<QStringList>("dates");
        QTest::newRow("on the ticked start day")
            << QDate(2026, 7, 6) << 1 << QList<int>{1} << QStringList{"2026-07-06 08:00"};
        QTest::newRow("over a month's end") << QDate(2026, 1, 28) << 3 << QList<int>{2, 5}
                                            << QStringList{"2026-01-30 12:00", "2026-02-03 09:00", "2026-02-06 12:00"};
        QTest::newRow("101 visits") << kWednesday << 101 << QList<int>{7} << QStringList();
        QTest::newRow("no day ticked") << kWednesday << 5 << QList<int>() << QStringList();
    }
    void plansWeekdayVisits() {
        QFETCH(QList<int>, weekdays);
        QMap<int, QTime> times;
        for (const int day : weekdays) {
            times.insert(day, QTime(7 + day, 0));
        }
        QFETCH(QDate, start);
        QFETCH(int, count);
        QStringList dates;
        for (const QDateTime& date : PlanWeekdayVisits(start, count, times)) {
            dates << date.toString("yyyy-MM-dd HH:mm");
        }
        QTEST(dates, "dates");
    }

    // Each visit takes the price valid on its date.
    void weekdayWizardPricesAndInsertsThePlan() {
        const int type = addTypeCen(db(), "8 посещений", m_hall, 8, 1500);
        addPrice(db(), m_band, type, QDate(2026, 1, 1), 800, 40);
        addPrice(db(), m_band, type, QDate(2026, 7, 10), 1600, 60);
        CardForm form(db(), m_card);
        form.mcSelDates->setSelectedDate(kWednesday);
        form.cbSeans->setCurrentIndex(1);
        form.modeWizardHelp->setCurrentIndex(1);
        planWeekdays(*m_ui, {0, 3});
        form.btnWizardStartClick();
        const QStringList visits = rows(db(), kVisitsSql);
        QCOMPARE(QStringList({visits.first(), visits.last()}),
                 QStringList({"2026-07-02 18:00:00|100", "2026-07-27 09:00:00|200"}));
        QCOMPARE(column(*form.DBGridSpr, "Cena") << form.stSum->text(),
                 QStringList({"100", "100", "100", "200", "200", "200", "200", "200", "1300,0"}));
        QCOMPARE(form.FStrahVosn, 60.0);
    }

    // No price type or no slot: the wizard does not open or plans nothing. A plan short of the type's visits is
    // added only when agreed.
    void weekdayWizardNeedsTypeAndSlotsAndAsksBeforeAShortPlan() {
        CardForm untyped(db(), m_card);
        untyped.modeWizardHelp->setCurrentIndex(1);
        untyped.btnWizardStartClick();
        QVERIFY(m_ui->modalClasses.isEmpty());
        TfrmWizDay slotless(nullptr);
        slotless.FKolvoSeans = 4;
        slotless.LoadSeansList(QComboBox());
        slotless.day[0]->setChecked(true);
        slotless.btnCalcClick();
        QVERIFY(slotless.FDates.isEmpty());
        addTypeCen(db(), "20 посещений", m_hall, 20);
        CardForm form(db(), m_card);
        form.mcSelDates->setSelectedDate(kWednesday);
        form.modeWizardHelp->setCurrentIndex(1);
        m_ui->answers = {Answer::No, Answer::Yes};
        for (const int inserted : {0, 14}) {
            planWeekdays(*m_ui, {6});
            form.btnWizardStartClick();
            QCOMPARE(countOf(db(), "tWorkGurnal"), inserted);
        }
        const QString question =
            "За 101 день от начальной даты выбранные дни недели дают только 14 посещ. из 20.\rДобавить их?";
        QCOMPARE(m_ui->questions, QStringList(2, question));
        QCOMPARE(m_ui->messageTexts(), QStringList("У зала нет сеансов: посещения не добавлены!"));
    }

    // Unrounded prices per visit of the price valid on each date, and a sum rounded to 0.1. Each run sees, copies
    // and drops only its own proposals: not another copy's under the same user on the same card, nor rows left by
    // a run that crashed.
    void sportWizardProposesFromTheTimetable() {
        exec(db(), sqlOf("INSERT INTO tWizardTMP (DateWork, ID_Zal, ID_Card, Cena, ID_USER) VALUES "
                         "('2026-07-08 18:00:00', %1, %2, 10, %3)",
                         m_hall, m_card, gUserApl.ID));
        TfrmWiz wizard(db(), m_card, nullptr);
        propose(wizard, m_swim, 3);
        QCOMPARE(QList<double>({wizard.StrahSumma, wizard.StrahVosn}), QList<double>({2000.0, 70.0}));
        QCOMPARE(shownRows(*wizard.DBGridSelect) + columnsCutOff(*wizard.DBGridSelect),
                 QStringList({"Бассейн|07.07.2026|18:00", "Бассейн|14.07.2026|18:00", "Бассейн|21.07.2026|18:00"}));
        QCOMPARE(scalar(db(), "SELECT Cena FROM tWizardTMP WHERE Cena<>10 ORDER BY ID").toDouble(), 1000.0 / 3);
        selectRow(*wizard.DBGridSelect, 0);
        wizard.btnDelClick();
        QCOMPARE(QStringList({wizard.stSum->text(), wizard.edKolvo->text()}), QStringList({"1333,3", "2"}));
        TfrmWiz(db(), m_card, nullptr).reject();
        wizard.btnSaveClick();
        QCOMPARE(rows(db(), "SELECT DateWork, ID_Card FROM tWorkGurnal"),
                 QStringList(
                     {QString("2026-07-14 18:00:00|%1").arg(m_card), QString("2026-07-21 18:00:00|%1").arg(m_card)}));
        QCOMPARE(countOf(db(), "tWizardTMP"), 1);
        QVERIFY(m_ui->messageTexts().isEmpty());
    }

    // The same weekday and time in two halls: the visit takes the hall the chooser showed.
    void chooserAsksOncePerWeekdayWhenRemembered_data() {
        QTest::addColumn<bool>("remember");
        QTest::addColumn<int>("asked");
        QTest::newRow("remembered") << true << 1;
        QTest::newRow("not remembered") << false << 2;
    }
    void chooserAsksOncePerWeekdayWhenRemembered() {
        QFETCH(bool, remember);
        const int gym = addHall(db(), "Тренажерный зал номер один", 15);
        const int run = addVidSport("Бег", 2, 0);
        addTimetable(db(), run, m_hall, 1, QTime(18, 0));
        addTimetable(db(), run, gym, 1, QTime(18, 0));
        addTimetable(db(), run, m_hall, 1, QTime(10, 0));
        m_ui->modalHandlers.assign(2, [remember](QDialog& dialog) {
            auto& chooser = static_cast<TfrmSelSeans&>(dialog);
            chooser.cbSeans->setCurrentIndex(2);
            chooser.cbSeansChange();
            chooser.cbSaveSel->setChecked(remember);
            return int(QDialog::Accepted);
        });
        TfrmWiz wizard(db(), m_card, nullptr);
        propose(wizard, run, 2);
        QTEST(int(m_ui->modalClasses.count("TfrmSelSeans")), "asked");
        QCOMPARE(column(*wizard.DBGridSelect, "NameZal"), QStringList(2, "Тренажерный зал номер один"));
    }

    void cardTakesTheSportWizardOnlyAfterItsChoice_data() {
        QTest::addColumn<bool>("choose");
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("vidSporta");
        QTest::addColumn<int>("visits");
        QTest::newRow("Готово") << true << true << "Плавание" << 2;
        QTest::newRow("Отменить") << true << false << "" << 0;
        QTest::newRow("Готово without a sports type") << false << true << "" << 0;
    }
    void cardTakesTheSportWizardOnlyAfterItsChoice() {
        QFETCH(bool, choose);
        QFETCH(bool, save);
        QFETCH(int, visits);
        CardForm form(db(), m_card);
        form.FStrahVosn = 25;
        m_ui->modalHandlers.push_back([this, choose, save](QDialog& shown) {
            auto& wizard = static_cast<TfrmWiz&>(shown);
            if (choose) {
                propose(wizard, m_swim, 2);
            }
            (save ? wizard.btnSave : wizard.btnClose)->click();
            return wizard.result();
        });
        form.btnWizardStartClick();
        QTEST(form.leVidSporta->text(), "vidSporta");
        QCOMPARE(countOf(db(), "tWizardTMP"), 0);
        QCOMPARE(form.btnAdd->isEnabled(), visits == 0);
        QCOMPARE(form.FStrahVosn, visits ? 70.0 : 25.0);
        QCOMPARE(rows(db(), kVisitsSql).size(), visits);
        if (visits) {
            QCOMPARE(rows(db(),
                          "SELECT DateWork, ID_USER, SumCard, DateClose FROM tWorkGurnal, "
                          "tCard WHERE tCard.ID=ID_Card ORDER BY DateWork DESC LIMIT 1"),
                     QStringList{"2026-07-14 18:00:00|1|1000|2026-07-14 00:00:00"});
            QCOMPARE(form.stSum->text(), "1000,0");
        }
    }

    // A "Готово" that would copy none or fewer of the proposals shown, that fails, or that copies to a hall or a
    // card deleted meanwhile, changes nothing and keeps the proposals.
    void finishCopiesAllItShowsOrNothing() {
        TfrmWiz wizard(db(), m_card, nullptr);
        chooseVidSport(wizard, m_swim);
        wizard.btnSaveClick();
        wizard.DTPSeans->setDate(kWednesday);
        wizard.btnAddClick();
        wizard.btnAddClick();
        execElsewhere(*m_db, "DELETE FROM tWizardTMP WHERE ID=(SELECT MIN(ID) FROM tWizardTMP)");
        wizard.btnSaveClick();
        exec(db(), "CREATE TRIGGER tFail BEFORE INSERT ON tWorkGurnal BEGIN SELECT RAISE(ABORT, 'refused'); END");
        QVERIFY_THROWS_EXCEPTION(DbError, wizard.btnSaveClick());
        QCOMPARE(countOf(db(), "tWizardTMP"), 1);
        exec(db(), "DROP TRIGGER tFail");
        execElsewhere(*m_db, "DELETE FROM tZal");
        QVERIFY_THROWS_EXCEPTION(RecordGone, wizard.btnSaveClick());
        exec(db(), sqlOf("INSERT INTO tZal (ID, NameZal) VALUES (%1, 'Бассейн')", m_hall));
        execElsewhere(*m_db, "DELETE FROM tCard");
        QVERIFY_THROWS_EXCEPTION(RecordGone, wizard.btnSaveClick());
        QCOMPARE(QList<int>({wizard.result(), countOf(db(), "tWorkGurnal")}), QList<int>({0, 0}));
        QCOMPARE(m_ui->messageTexts(),
                 QStringList({"Нет предложенных сеансов: в карту нечего добавить!",
                              "Часть предложенных сеансов удалена на другом рабочем месте!\rКарта не "
                              "изменена: проверьте список сеансов."}));
    }

    // Proposals rolled back are not the run's: another workstation's rows that take their IDs are neither shown,
    // copied nor dropped by it.
    void rolledBackProposalsStayOthers() {
        exec(db(),
             "CREATE TRIGGER tFull BEFORE INSERT ON tWizardTMP WHEN (SELECT COUNT(*) FROM tWizardTMP) > 0 "
             "BEGIN SELECT RAISE(ABORT, 'full'); END");
        TfrmWiz wizard(db(), m_card, nullptr);
        QVERIFY_THROWS_EXCEPTION(DbError, propose(wizard, m_swim, 2));
        exec(db(), "DROP TRIGGER tFull");
        execElsewhere(*m_db, sqlOf("INSERT INTO tWizardTMP (DateWork, ID_Zal, ID_Card, Cena, ID_USER) VALUES "
                                   "('2026-07-08 18:00:00', %1, %2, 10, %3)",
                                   m_hall, m_card + 1, gUserApl.ID));
        wizard.btnAddClick();
        QCOMPARE(shownRows(*wizard.DBGridSelect), QStringList{"Бассейн|21.07.2026|18:00"});
        wizard.btnSave->click();
        QCOMPARE(rows(db(), "SELECT ID_Card FROM tWorkGurnal"), QStringList{QString::number(m_card)});
        QCOMPARE(rows(db(), "SELECT ID_Card FROM tWizardTMP"), QStringList{QString::number(m_card + 1)});
    }

    void sportWizardRefusesWhatItCannotPrice_data() {
        QTest::addColumn<QString>("vidSport");  // empty: none chosen
        QTest::addColumn<QString>("kolvo");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const char* vidSport, const char* kolvo, const char* message) {
            QTest::newRow(name) << QString(vidSport) << QString(kolvo) << QString(message);
        };
        row("no sports type", "", "3", "Нет записей по выбранному виду спорта!");
        row("no price type", "Без цен", "3", "У вида спорта нет типов цены: сеанс не добавлен!");
        row("a type of 0 visits", "Пустой тип", "3", "В типе цены не указано кол-во посещений: сеанс не добавлен!");
        row("no timetable", "Без расписания", "3", "Нет записей по выбранному виду спорта!");
        row("a count not whole", "Плавание", "2,5", "Кол-во должно быть целым числом от 1 до 366!");
        row("a count below one", "Плавание", "0", "Кол-во должно быть целым числом от 1 до 366!");
        row("a count above a year", "Плавание", "367", "Кол-во должно быть целым числом от 1 до 366!");
        row("a count of a year", "Плавание", "366", "");
    }
    void sportWizardRefusesWhatItCannotPrice() {
        QFETCH(QString, vidSport);
        QFETCH(QString, message);
        const int bare = insert(db(), "INSERT INTO tVidSport (NameVidSp) VALUES ('Без цен')");
        addTimetable(db(), bare, m_hall, 2, QTime(18, 0));
        addTimetable(db(), addVidSport("Пустой тип", 0, 0), m_hall, 2, QTime(18, 0));
        addVidSport("Без расписания", 4, 0);
        TfrmWiz wizard(db(), m_card, nullptr);
        if (!vidSport.isEmpty()) {
            chooseVidSport(wizard,
                           scalar(db(), sqlOf("SELECT ID FROM tVidSport WHERE NameVidSp='%1'", vidSport)).toInt());
        }
        QFETCH(QString, kolvo);
        wizard.edKolvo->setText(kolvo);
        wizard.btnCalcAllClick();
        QCOMPARE(m_ui->messageTexts().join('\n'), message);
        QCOMPARE(countOf(db(), "tWizardTMP"), message.isEmpty() ? kolvo.toInt() : 0);
    }

  private:
    // A sports type with one price type of that many visits, common to all halls.
    int addVidSport(const QString& name, int visits, double insuredSum) {
        const int id = insert(db(), sqlOf("INSERT INTO tVidSport (NameVidSp) VALUES ('%1')", name));
        m_swimType = addTypeCen(db(), name, 0, visits, insuredSum, id);
        return id;
    }

    void chooseVidSport(TfrmWiz& wizard, int id) {
        m_ui->modalHandlers.push_front([id](QDialog& shown) {
            static_cast<TfrmSelectSpr&>(shown).FSelect = {id, "Плавание"};
            return int(QDialog::Accepted);
        });
        wizard.btnSelClientClick();
    }

    void propose(TfrmWiz& wizard, int sport, int count) {
        chooseVidSport(wizard, sport);
        wizard.DTPSeans->setDate(kWednesday);
        wizard.edKolvo->setText(QString::number(count));
        wizard.btnCalcAllClick();
    }

    int m_hall = 0;
    int m_band = 0;
    int m_card = 0;
    int m_swim = 0;
    int m_swimType = 0;
};

QTEST_MAIN(TestWizards)
#include "tst_wizards.moc"
