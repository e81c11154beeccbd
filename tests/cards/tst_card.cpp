#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/UnitHeard.h"
#include "cards/UnitCard.h"
#include "common/SprGrid.h"
#include "common/UnitConst.h"
#include "common/UnitDopInfoCard.h"
#include "tests/cards/CardFixture.h"
#include "tests/support/TestSupport.h"

using namespace card_fixture;

namespace {

const QString kRequired = QStringLiteral("Не заполнены обязательные поля!");
const QString SELECT_CARD_SQL = QStringLiteral(
    "SELECT Num, TypeCard, ID_Client, ID_Org, DateOpen, DateClose, VidSporta, StrahSumm, StrahVosn FROM tCard;");
const QString SELECT_LOG_SQL = QStringLiteral("SELECT kod_action, ActionStr FROM tListActionUsers ORDER BY ID;");

// Chooses the first row of a search list narrowed by a prefix.
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
        m_hall = addHall(m_db->db, QStringLiteral("Бассейн"), 20);
        addSlot(m_db->db, m_hall, QTime(9, 0));
        addTypeCen(m_db->db, QStringLiteral("Абонемент 8"), m_hall, 8, 1250000);
        m_client = addPerson(m_db->db, QStringLiteral("Иванов"), QStringLiteral("Иван"));
        addPerson(m_db->db, QStringLiteral("Петров"), QStringLiteral("Пётр"), true);
        m_org = addOrg(m_db->db, QStringLiteral("Ромашка"));
    }

    void numbersNewCardPerType() {
        addCard(m_db->db, 41, ctAbonement, QStringLiteral("2026-01-01 00:00:00"), m_client);
        TfrmCard form(m_db->db, nullptr);
        form.LoadCard(-1);
        QCOMPARE(form.windowTitle(), QStringLiteral("Карта клиента (НЕ СОХРАНЯЛАСЬ: выбор сеансов запрещен!)"));
        QCOMPARE(form.leNumCard->text(), QStringLiteral("42"));
        QCOMPARE(form.dtEnd->date(), QDate::currentDate().addDays(30));
        form.leNumCard->setText(QStringLiteral("77"));
        form.cbTypeCard->setCurrentIndex(ctClubCard);
        form.cbTypeCardChange();
        QCOMPARE(form.leNumCard->text(), QStringLiteral("1"));
        form.cbTypeCard->setCurrentIndex(ctAbonement);
        form.cbTypeCardChange();
        QCOMPARE(form.leNumCard->text(), QStringLiteral("42"));
        // The wizard chosen here is preselected in the next form of the run.
        form.modeWizardHelp->setCurrentIndex(1);
        form.modeWizardHelpChange();
        QCOMPARE(TfrmCard(m_db->db, nullptr).modeWizardHelp->currentIndex(), 1);
        gModeWizard = 0;
    }

    void refusesSaveWithoutClientOrNumber_data() {
        QTest::addColumn<bool>("withClient");
        QTest::addColumn<QString>("number");
        QTest::newRow("no client") << false << QStringLiteral("5");
        QTest::newRow("zero") << true << QStringLiteral("0");
        QTest::newRow("empty") << true << QString();
        QTest::newRow("negative") << true << QStringLiteral("-3");
        QTest::newRow("statement") << true << QStringLiteral("1);DELETE FROM tClient;--");
    }
    void refusesSaveWithoutClientOrNumber() {
        QFETCH(bool, withClient);
        QFETCH(QString, number);
        TfrmCard form(m_db->db, nullptr);
        form.LoadCard(-1);
        if (withClient) {
            choose(form, TfrmCard::msClients, QStringLiteral("Иванов"));
        }
        form.leNumCard->setText(number);
        // A fee look-up leaves the insured sum's text alone.
        form.mcSelDatesClick();
        form.btnSaveClick();
        QCOMPARE(m_ui->messageTexts(), QStringList{kRequired});
        QCOMPARE(form.stStrahovka->text(), QStringLiteral("нет"));
        QCOMPARE(scalar(m_db->db, QStringLiteral("SELECT COUNT(*) FROM tCard")).toInt(), 0);
        QCOMPARE(scalar(m_db->db, QStringLiteral("SELECT COUNT(*) FROM tClient")).toInt(), 2);
    }

    // Owner through the search lists (case-insensitive Cyrillic prefix), first save stays open,
    // the second updates and closes; both are logged.
    void savesNewCardThenUpdatesIt() {
        TfrmCard form(m_db->db, nullptr);
        form.LoadCard(-1);
        choose(form, TfrmCard::msClients, QStringLiteral("ив"));
        form.SetModeSelect(TfrmCard::msOrgs);
        form.leSearchStr->setText(QStringLiteral("РОМ"));
        doubleClickFirstRow(*form.DBGridSpr);
        QCOMPARE(form.leClient->text(), QStringLiteral("Иванов Иван "));
        QCOMPARE(form.leOrg->text(), QStringLiteral("Ромашка"));
        form.leNumCard->setText(QStringLiteral("007"));
        form.btnSaveClick();
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QCOMPARE(form.FIDCard, scalar(m_db->db, QStringLiteral("SELECT MAX(ID) FROM tCard")).toInt());
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        const QString open = QStringLiteral("%1 00:00:00|%2 00:00:00")
                                 .arg(today, QDate::currentDate().addDays(30).toString(Qt::ISODate));
        QCOMPARE(rows(m_db->db, SELECT_CARD_SQL),
                 QStringList{QStringLiteral("7|0|%1|%2|%3||1250000|0").arg(m_client).arg(m_org).arg(open)});
        QCOMPARE(form.stStrahovka->text(), QStringLiteral("1250000"));

        form.btnFisLicoClick();
        form.btnSaveClick();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(scalar(m_db->db, QStringLiteral("SELECT ID_Org FROM tCard")).toInt(), 0);
        QCOMPARE(rows(m_db->db, SELECT_LOG_SQL),
                 QStringList({QStringLiteral("1|Создана карта №7"), QStringLiteral("1|Модификация карты №7")}));
        QVERIFY(m_ui->messageTexts().isEmpty());
    }

    void clashOfNumberClientAndTypeKeepsTheNewCard() {
        addCard(m_db->db, 3, ctAbonement, QStringLiteral("2026-01-01 00:00:00"), m_client);
        TfrmCard form(m_db->db, nullptr);
        form.LoadCard(-1);
        choose(form, TfrmCard::msClients, QStringLiteral("Иванов"));
        form.leNumCard->setText(QStringLiteral("3"));
        form.btnSaveClick();
        QCOMPARE(m_ui->messageTexts(),
                 QStringList{QStringLiteral("Обнаружена карта с неунивальными занчениями трех полей!")});
        QCOMPARE(form.FIDCard, scalar(m_db->db, QStringLiteral("SELECT MAX(ID) FROM tCard")).toInt());
        QCOMPARE(rows(m_db->db, SELECT_LOG_SQL), QStringList{QStringLiteral("1|Создана карта №3")});
    }

    void searchListsChooseOnlyExistingRows() {
        TfrmCard form(m_db->db, nullptr);
        form.LoadCard(-1);
        form.SetModeSelect(TfrmCard::msClients);
        form.leSearchStr->setText(QStringLiteral("пЕт"));
        QCOMPARE(column(*form.DBGridSpr, QStringLiteral("fio")), QStringList{QStringLiteral("Петров Пётр ")});
        QTest::keyClick(form.DBGridSpr, Qt::Key_End);
        QCOMPARE(form.FModeSelect, int(TfrmCard::msVisits));
        QCOMPARE(form.FIDClient, -1);
        form.SetModeSelect(TfrmCard::msClients);
        form.leSearchStr->setText(QStringLiteral("Я"));
        form.btnSelectClick();
        QCOMPARE(form.FIDClient, -1);
        form.SetModeSelect(TfrmCard::msOrgs);
        form.leSearchStr->clear();
        form.leSearchStr->setText(QStringLiteral("Я"));
        form.DBGridSprEnter();
        QCOMPARE(form.leOrgTag, 0);
        QCOMPARE(form.leOrg->text(), QStringLiteral("Частное лицо"));
    }

    // Saving or adding a visit while a search list is open leaves the list for "Выбрать".
    void searchListOutlastsSaveAndVisit() {
        TfrmCard form(m_db->db, nullptr);
        form.LoadCard(-1);
        choose(form, TfrmCard::msClients, QStringLiteral("Иванов"));
        form.SetModeSelect(TfrmCard::msOrgs);
        form.btnSaveClick();
        form.btnAddClick();
        QCOMPARE(scalar(m_db->db, QStringLiteral("SELECT COUNT(*) FROM tWorkGurnal")).toInt(), 1);
        form.DBGridSprEnter();
        QCOMPARE(form.leOrg->text(), QStringLiteral("Ромашка"));
        QCOMPARE(column(*form.DBGridSpr, QStringLiteral("NameZal")), QStringList{QStringLiteral("Бассейн")});
    }

    void newOrganisationJoinsTheList() {
        m_ui->modalHandlers.push_back([](QDialog& editor) {
            editor.findChild<QLineEdit*>(QStringLiteral("leNameOrg"))->setText(QStringLiteral("Лютик"));
            return pressButton(editor, "btnSave");
        });
        TfrmCard form(m_db->db, nullptr);
        form.LoadCard(-1);
        form.SetModeSelect(TfrmCard::msOrgs);
        form.btnNewSelClick();
        QCOMPARE(m_ui->modalClasses, QStringList{QStringLiteral("TfrmEdOrg")});
        QCOMPARE(column(*form.DBGridSpr, QStringLiteral("Name")),
                 QStringList({QStringLiteral("Лютик"), QStringLiteral("Ромашка")}));
    }

    // The extra text and the complex-wide printing switch (the print itself is the card-print test's).
    void extraTextGoesThroughTheMainWindow() {
        const auto main = m_db->connectedMain();
        main->SetParApl(pcUseCardText, 1);
        bool shownTicked = false;
        m_ui->modalHandlers.push_back([&shownTicked](QDialog& dialog) {
            auto& text = static_cast<TfrmDopInfo&>(dialog);
            shownTicked = text.cbPrintTXT->isChecked();
            text.MemoTXT->setPlainText(QStringLiteral("Вход с 8:45"));
            text.cbPrintTXT->setChecked(false);
            return int(QDialog::Rejected);
        });
        TfrmCard form(m_db->db, main.get());
        form.LoadCard(-1);
        form.btnTXTClick();
        QVERIFY(shownTicked);
        QCOMPARE(main->GetParApl(pcUseCardText).toInt(), 0);
        choose(form, TfrmCard::msClients, QStringLiteral("Иванов"));
        form.btnSaveClick();
        QCOMPARE(scalar(m_db->db, QStringLiteral("SELECT StrTXTCard FROM tCard")).toString(),
                 QStringLiteral("Вход с 8:45"));
        resetProgramGlobals();
    }

    // An uninsured client keeps both insurance values at 0 through look-ups and saves, and a card sold
    // before he was marked loses them when it is loaded.
    void uninsuredClientStaysAtZero() {
        TfrmCard form(m_db->db, nullptr);
        form.LoadCard(-1);
        choose(form, TfrmCard::msClients, QStringLiteral("Петров"));
        form.btnSaveClick();
        form.cbTypeCenChange();
        form.cbZalChange();
        QCOMPARE(form.stStrahovka->text(), QStringLiteral("0"));
        form.btnSaveClick();
        QCOMPARE(rows(m_db->db, QStringLiteral("SELECT StrahSumm, StrahVosn FROM tCard")), QStringList{"0|0"});

        exec(m_db->db, QStringLiteral("UPDATE tCard SET StrahSumm=1000, StrahVosn=50"));
        TfrmCard stored(m_db->db, nullptr);
        stored.LoadCard(form.FIDCard);
        QCOMPARE(stored.stStrahovka->text(), QStringLiteral("0"));
        stored.btnSaveClick();
        QCOMPARE(rows(m_db->db, QStringLiteral("SELECT StrahSumm, StrahVosn FROM tCard")), QStringList{"0|0"});
    }

    // Another workstation deletes the card while it is open here: nothing is written or logged, the form stays.
    void cardDeletedElsewhereTakesNoWrite() {
        const int card = addCard(m_db->db, 5, ctAbonement, QStringLiteral("2026-01-01 00:00:00"), m_client);
        TfrmCard form(m_db->db, nullptr);
        form.LoadCard(card);
        execElsewhere(*m_db, QStringLiteral("DELETE FROM tCard WHERE ID=%1").arg(card));
        QVERIFY_THROWS_EXCEPTION(RecordGone, form.btnAddClick());
        QVERIFY_THROWS_EXCEPTION(RecordGone, pressButton(form, "btnSave"));
        QCOMPARE(form.result(), 0);
        QCOMPARE(scalar(m_db->db, QStringLiteral("SELECT COUNT(*) FROM tWorkGurnal")).toInt(), 0);
        QCOMPARE(scalar(m_db->db, QStringLiteral("SELECT COUNT(*) FROM tListActionUsers")).toInt(), 0);
    }

    void failedLoadWritesNothing() {
        const int card = addCard(m_db->db, 5, ctAbonement, QStringLiteral("2026-01-01 00:00:00"), m_client);
        exec(m_db->db, QStringLiteral("DELETE FROM tClient WHERE ID=%1").arg(m_client));
        TfrmCard form(m_db->db, nullptr);
        form.LoadCard(card);
        QCOMPARE(m_ui->messageTexts(), QStringList{QStringLiteral("Ошибка при передаче парарметра!")});
        form.btnSaveClick();
        QCOMPARE(rows(m_db->db, QStringLiteral("SELECT Num, ID_Client FROM tCard")),
                 QStringList{QStringLiteral("5|%1").arg(m_client)});
    }

  private:
    int m_hall = 0;
    int m_client = 0;
    int m_org = 0;
};

QTEST_MAIN(TestCard)
#include "tst_card.moc"
