#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/UnitHeard.h"
#include "common/SprGrid.h"
#include "common/UnitConst.h"
#include "common/UnitDopInfoCard.h"
#include "tests/cards/CardFixture.h"

using namespace card_fixture;

namespace {

const QString SELECT_CARD_SQL =
    "SELECT Num, TypeCard, ID_Client, ID_Org, DateOpen, DateClose, VidSporta, StrahSumm, StrahVosn, StrTXTCard FROM "
    "tCard;";
const QString SELECT_LOG_SQL = "SELECT kod_action, ActionStr FROM tListActionUsers ORDER BY ID;";

void choose(TfrmCard& form, int mode, const QString& prefix) {
    form.SetModeSelect(mode);
    form.leSearchStr->setText(prefix);
    form.DBGridSprEnter();
}

}  // namespace

class TestCard : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        const int hall = addHall(db(), "Бассейн", 20);
        addSlot(db(), hall, QTime(9, 0));
        addTypeCen(db(), "Абонемент 8", hall, 8, 1250000);
        m_client = addPerson(db(), "Иванов", "Иван");
        addPerson(db(), "Петров", "Пётр", true);
        m_org = addOrg(db(), "Ромашка");
    }

    // The type's next number, in 64 bits, is proposed; a clash of number, client and type is told, the card stays.
    void numbersNewCardPerType() {
        addCard(db(), 41, ctAbonement, "2026-01-01 00:00:00", m_client);
        exec(db(), "INSERT INTO tCard (Num, TypeCard) VALUES (4294967296, 0), (9223372036854775807, 1)");
        CardForm form(db(), -1);
        QCOMPARE(form.windowTitle(), "Карта клиента (НЕ СОХРАНЯЛАСЬ: выбор сеансов запрещен!)");
        QCOMPARE(form.leNumCard->text(), "4294967297");
        form.leNumCard->setText("77");
        pick(form.cbTypeCard, ctClubCard);
        QCOMPARE(form.leNumCard->text(), "9223372036854775807");
        pick(form.cbTypeCard, ctAbonement);
        QCOMPARE(form.leNumCard->text(), "4294967297");
        choose(form, TfrmCard::msClients, "Иванов");
        form.leNumCard->setText("41");
        form.btnSaveClick();
        QCOMPARE(m_ui->messageTexts(), QStringList{"Обнаружена карта с неунивальными занчениями трех полей!"});
        QCOMPARE(form.FIDCard, scalar(db(), "SELECT MAX(ID) FROM tCard").toInt());
        QCOMPARE(rows(db(), SELECT_LOG_SQL), QStringList{"1|Создана карта №41"});
        // The wizard chosen here is preselected in the next form of the run.
        pick(form.modeWizardHelp, 1);
        QCOMPARE(TfrmCard(db(), nullptr).modeWizardHelp->currentIndex(), 1);
        gModeWizard = 0;
    }

    void refusesSaveWithoutClientOrNumber_data() {
        QTest::addColumn<bool>("withClient");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");
        const QString required = "Не заполнены обязательные поля!";
        QTest::newRow("no client") << false << "5" << required;
        QTest::newRow("zero") << true << "0" << required;
        QTest::newRow("empty") << true << QString() << required;
        QTest::newRow("statement") << true << "1);DELETE FROM tClient;--" << required;
        QTest::newRow("beyond the column") << true << "2147483648"
                                           << "Номер карты не может быть больше 2147483647!";
    }
    void refusesSaveWithoutClientOrNumber() {
        QFETCH(bool, withClient);
        QFETCH(QString, number);
        QFETCH(QString, message);
        CardForm form(db(), -1);
        if (withClient) {
            choose(form, TfrmCard::msClients, "Иванов");
        }
        form.leNumCard->setText(number);
        // A fee look-up leaves the insured sum's text alone.
        form.mcSelDatesClick();
        form.btnSaveClick();
        QCOMPARE(m_ui->messageTexts(), QStringList{message});
        QCOMPARE(form.stStrahovka->text(), "нет");
        QCOMPARE(rows(db(), "SELECT (SELECT COUNT(*) FROM tCard), (SELECT COUNT(*) FROM tClient)"), QStringList("0|2"));
    }

    // Owner through the search lists (case-insensitive Cyrillic prefix), first save stays open, the second updates
    // and closes; both are logged. The extra text waits for the save, but its complex-wide printing switch is
    // written at once (the print itself is the card-print test's).
    void savesNewCardThenUpdatesIt() {
        const auto main = m_db->connectedMain();
        main->SetParApl(pcUseCardText, 1);
        bool shownTicked = false;
        m_ui->modalHandlers.push_back([&shownTicked](QDialog& dialog) {
            auto& text = static_cast<TfrmDopInfo&>(dialog);
            shownTicked = text.cbPrintTXT->isChecked();
            text.MemoTXT->setPlainText("Вход с 8:45");
            text.cbPrintTXT->setChecked(false);
            return int(QDialog::Rejected);
        });
        CardForm form(db(), -1, main.get());
        form.btnTXTClick();
        QVERIFY(shownTicked && main->GetParApl(pcUseCardText).toInt() == 0);
        choose(form, TfrmCard::msClients, "ив");
        form.SetModeSelect(TfrmCard::msOrgs);
        form.leSearchStr->setText("РОМ");
        QCOMPARE(columnsCutOff(*form.DBGridSpr), QStringList());
        doubleClickFirstRow(*form.DBGridSpr);
        QCOMPARE(form.leClient->text(), "Иванов Иван ");
        form.leNumCard->setText("007");
        form.btnSaveClick();
        QCOMPARE(form.result(), int(QDialog::Rejected));
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        const QString open =
            QString("%1 00:00:00|%2 00:00:00").arg(today, QDate::currentDate().addDays(30).toString(Qt::ISODate));
        QCOMPARE(rows(db(), SELECT_CARD_SQL),
                 QStringList{QString("7|0|%1|%2|%3||1250000|0|Вход с 8:45").arg(m_client).arg(m_org).arg(open)});
        QCOMPARE(form.stStrahovka->text(), "1250000");

        form.btnFisLicoClick();
        form.btnSaveClick();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(scalar(db(), "SELECT ID_Org FROM tCard").toInt(), 0);
        QCOMPARE(rows(db(), SELECT_LOG_SQL), QStringList({"1|Создана карта №7", "1|Модификация карты №7"}));
        QVERIFY(m_ui->messageTexts().isEmpty());
        resetProgramGlobals();
    }

    // Only a listed row is chosen; a new organisation joins the list. Saving or adding a visit while a list is
    // open leaves the list for "Выбрать".
    void searchListsChooseOnlyExistingRows() {
        m_ui->modalHandlers.push_back([](QDialog& editor) {
            editor.findChild<QLineEdit*>("leNameOrg")->setText("Лютик");
            return pressButton(editor, "btnSave");
        });
        CardForm form(db(), -1);
        form.SetModeSelect(TfrmCard::msClients);
        form.leSearchStr->setText("пЕт");
        QCOMPARE(column(*form.DBGridSpr, "fio"), QStringList{"Петров Пётр "});
        QTest::keyClick(form.DBGridSpr, Qt::Key_End);
        QCOMPARE(QList<int>({form.FModeSelect, form.FIDClient}), QList<int>({TfrmCard::msVisits, -1}));
        form.SetModeSelect(TfrmCard::msClients);
        form.leSearchStr->setText("Я");
        form.btnSelectClick();
        QCOMPARE(form.FIDClient, -1);
        form.leSearchStr->clear();
        choose(form, TfrmCard::msOrgs, "Я");
        QCOMPARE(form.leOrg->text(), "Частное лицо");
        form.SetModeSelect(TfrmCard::msOrgs);
        form.leSearchStr->clear();
        form.btnNewSelClick();
        QCOMPARE(m_ui->modalClasses, QStringList{"TfrmEdOrg"});
        QCOMPARE(column(*form.DBGridSpr, "Name"), QStringList({"Лютик", "Ромашка"}));
        choose(form, TfrmCard::msClients, "Иванов");
        form.SetModeSelect(TfrmCard::msOrgs);
        form.leSearchStr->setText("Р");
        form.btnSaveClick();
        form.btnAddClick();
        QCOMPARE(countOf(db(), "tWorkGurnal"), 1);
        form.DBGridSprEnter();
        QCOMPARE(form.leOrg->text(), "Ромашка");
        QCOMPARE(column(*form.DBGridSpr, "NameZal"), QStringList{"Бассейн"});
    }

    // An uninsured client chosen for an insured card takes both insurance values to 0 at once and in the row; a
    // card sold before its client was marked loses them when loaded, and look-ups keep them at 0.
    void uninsuredClientStaysAtZero() {
        const QString insurance = "SELECT StrahSumm, StrahVosn FROM tCard";
        const int card = addCard(db(), 5, ctAbonement, "2026-01-01 00:00:00", m_client);
        exec(db(), "UPDATE tCard SET StrahSumm=1000, StrahVosn=50");
        CardForm form(db(), card);
        choose(form, TfrmCard::msClients, "Петров");
        QCOMPARE(form.stStrahovka->text(), "0");
        form.btnSaveClick();
        QCOMPARE(rows(db(), insurance), QStringList{"0|0"});

        exec(db(), "UPDATE tCard SET StrahSumm=1000, StrahVosn=50");
        CardForm stored(db(), card);
        stored.cbTypeCenChange();
        stored.cbZalChange();
        QVERIFY(stored.stStrahovka->text() == "0" && stored.FStrahVosn == 0.0);
    }

    // A card that could not be loaded takes no save.
    void unloadedCardTakesNoSave() {
        const int card = addCard(db(), 5, ctAbonement, "2026-01-01 00:00:00", m_client);
        exec(db(), sqlOf("DELETE FROM tClient WHERE ID=%1", m_client));
        CardForm unloaded(db(), card);
        QCOMPARE(m_ui->messageTexts(), QStringList{"Ошибка при передаче парарметра!"});
        unloaded.btnSaveClick();
        QCOMPARE(rows(db(), "SELECT Num, ID_Client FROM tCard"), QStringList{QString("5|%1").arg(m_client)});
    }

    // Another workstation deletes what a write points to as the write begins: nothing is stored or logged, and the
    // form stays.
    void writeRefusedWhenItsOwnerIsGone_data() {
        QTest::addColumn<QString>("gone");  // the rows deleted elsewhere
        QTest::addColumn<int>("type");      // of the saved card; -1: a new card
        QTest::addColumn<QString>("button");
        QTest::newRow("new card, its client") << "tClient" << -1 << "btnSave";
        QTest::newRow("new card, its organisation") << "tOrg" << -1 << "btnSave";
        QTest::newRow("card, its client") << "tClient" << int(ctAbonement) << "btnSave";
        QTest::newRow("card, its organisation") << "tOrg" << int(ctAbonement) << "btnSave";
        QTest::newRow("card") << "tCard" << int(ctAbonement) << "btnSave";
        QTest::newRow("visit, its card") << "tCard" << int(ctAbonement) << "btnAdd";
        QTest::newRow("visit, its hall") << "tZal" << int(ctAbonement) << "btnAdd";
        QTest::newRow("visit, its slot") << "tSeans WHERE ID_Zal=1" << int(ctAbonement) << "btnAdd";
        QTest::newRow("weekday plan, its slot") << "tSeans WHERE ID_Zal=1" << int(ctAbonement) << "btnWizardStart";
        QTest::newRow("club card's hall") << "tZal" << int(ctClubCard) << "btnAdd";
    }
    void writeRefusedWhenItsOwnerIsGone() {
        QFETCH(QString, gone);
        QFETCH(int, type);
        QFETCH(QString, button);
        const int owner = addPerson(db(), "Сидоров", "Сидор");
        addSlot(db(), addHall(db(), "Зал 2"), QTime(9, 0));  // another hall's slot at the visit's minute stays
        CardForm form(db(), type < 0 ? -1 : addCard(db(), 5, type, "2026-01-01 00:00:00", owner));
        choose(form, TfrmCard::msClients, "Иванов");
        choose(form, TfrmCard::msOrgs, "Ромашка");
        form.modeWizardHelp->setCurrentIndex(1);
        planWeekdays(*m_ui, {0});
        WriteAtNextBegin elsewhere(*m_db, "DELETE FROM " + gone);
        // Cards of the owners chosen here (none), visits and halls, events.
        pressRefusedAsGone(
            form, button, db(),
            sqlOf("SELECT (SELECT COUNT(*) FROM tCard WHERE ID_Client=%1 OR ID_Org=%2), (SELECT COUNT(*) "
                  "FROM tWorkGurnal) + (SELECT COUNT(*) FROM tWorkClubCard), (SELECT COUNT(*) FROM "
                  "tListActionUsers)",
                  m_client, m_org));
    }

  private:
    int m_client = 0;
    int m_org = 0;
};

QTEST_MAIN(TestCard)
#include "tst_card.moc"
