#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>

#include "app/UnitEdUser.h"
#include "app/UnitSprTXT.h"
#include "common/SprGrid.h"
#include "common/UnitConst.h"
#include "common/UnitSelSpr.h"
#include "common/unitPeriod.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kAskDelete = "Удалить запись?";
const QString kCardsCaption = "Справочник: Карты клиентов [%1] - всего записей %2";
const QString kMarch = "01.03.2024 - 31.03.2024";
const QString kNotFound = "Запись не найдена: возможно, её удалили на другом рабочем месте.";

}  // namespace

Q_DECLARE_METATYPE(Answer)

class TestSprTxt : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        gPeriodCard = {at("2024-03-01 00:00:00"), at("2024-03-31 23:59:59")};
    }

    // Long lists with orphan rows (cards without a client, entries of a deleted user), read from their
    // last row back to the first: rows found from count slices, anchors and the end as a plain query,
    // after rows deleted elsewhere while the IDs were read.
    void longListsReadAsPlainQueries_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("period");
        QTest::addColumn<bool>("deleted");  // three cards in four
        QTest::newRow("cards, a month") << int(lkCards) << "01.01.2021 - 31.01.2021" << false;
        QTest::newRow("cards, a year") << int(lkCards) << "01.01.2021 - 31.12.2021" << false;
        QTest::newRow("cards, a year, most deleted during the ID read")
            << int(lkCards) << "01.01.2021 - 31.12.2021" << true;
        QTest::newRow("cards, every date") << int(lkCards) << "01.01.2000 - 31.12.2100" << false;
        QTest::newRow("event log") << int(lkActions) << "01.01.2000 - 31.12.2100" << false;
    }
    void longListsReadAsPlainQueries() {
        QFETCH(int, kind);
        QFETCH(QString, period);
        QFETCH(bool, deleted);
        fillLongLists();
        const QDate first = QDate::fromString(period.left(10), "dd.MM.yyyy");
        const QDate last = QDate::fromString(period.right(10), "dd.MM.yyyy");
        gPeriodCard = {first.startOfDay(), QDateTime(last, QTime(23, 59, 59))};
        const auto window = openList(kind);
        if (deleted) {
            execElsewhere(*m_db, "DELETE FROM tCard WHERE Num % 4 <> 0");
        }
        const QStringList expected =
            rows(db(), kind == lkActions
                           ? "SELECT LA.ID FROM tListActionUsers LA JOIN tUserApl U "
                             "ON LA.id_user=U.ID ORDER BY LA.dt_action, LA.ID"
                           : QString("SELECT tCard.ID FROM tCard JOIN tClient ON tCard.ID_Client=tClient.ID "
                                     "WHERE DateClose BETWEEN '%1 00:00:00' AND '%2 23:59:59' ORDER BY tCard.ID")
                                 .arg(first.toString(Qt::ISODate), last.toString(Qt::ISODate)));
        QStringList shown(window->DBGridSpr->rowCount());
        for (qsizetype row = shown.size() - 1; row >= 0; --row) {
            shown[row] = window->DBGridSpr->valueAt(int(row), "ID").toString();
        }
        QCOMPARE(shown, expected);
        QCOMPARE(window->windowTitle(),
                 kind == lkCards ? kCardsCaption.arg(period).arg(expected.size()) : QString("Журнал событий"));
    }
    // The window keeps the period it was made with, its time of day included, and offers it for a change;
    // a cancelled change keeps it, a chosen one is taken in whole days and by every later list.
    void cardListKeepsItsPeriodUntilChanged() {
        const int ivanov = addClient(db(), "Иванов", "Иван");
        const int petrova = addClient(db(), "Петрова", "Анна", "Ильинична");
        addCard(db(), 1, ctAbonement, "2024-03-01 09:59:59", ivanov);
        addCard(db(), 1234567890, ctAbonement, "2024-03-01 10:00:00", ivanov);
        addCard(db(), 3, ctClubCard, "2024-03-31 23:59:59", petrova);
        addCard(db(), 4, ctAbonement, "2024-04-01 00:00:00", petrova);
        addCard(db(), 5, ctAbonement, "2024-04-10 23:59:59", petrova);
        gPeriodCard = {at("2024-03-01 10:00:00"), at("2024-03-31 23:59:59")};
        auto window = std::make_unique<TfrmSprTxt>(db());
        gPeriodCard = {at("2025-01-01 00:00:00"), at("2025-01-31 23:59:59")};
        window->LoadSpr(lkCards);
        TPeriod offered;
        for (const char* button : {"btnCancel", "btnOk"}) {
            m_ui->modalHandlers.push_back([&offered, button](QDialog& dialog) {
                auto& period = static_cast<TfrmPeriod&>(dialog);
                offered = period.FPeriod;
                period.dtpFirst->setDate(QDate(2024, 4, 1));
                period.dtpEnd->setDate(QDate(2024, 4, 10));
                return pressButton(dialog, button);
            });
        }
        window->btnPeriod->click();
        QCOMPARE(offered.Beg, at("2024-03-01 10:00:00"));
        QCOMPARE(gPeriodCard.Beg, at("2025-01-01 00:00:00"));
        QCOMPARE(shownRows(*window->DBGridSpr),
                 QStringList({"1234567890|Абонемент|Иванов Иван |31.01.2024 10:00:00|01.03.2024 10:00:00",
                              "3|Клубная карта|Петрова Анна Ильинична|01.03.2024 23:59:59|31.03.2024 23:59:59"}));
        QCOMPARE(window->windowTitle(), kCardsCaption.arg(kMarch).arg(2));
        QCOMPARE(columnsCutOff(*window->DBGridSpr).filter(QRegularExpression("^(Номер|Тип)$")), QStringList());
        window->btnPeriod->click();
        QVERIFY(gPeriodCard.Beg == at("2024-04-01 00:00:00") && gPeriodCard.End == at("2024-04-10 23:59:59"));
        QCOMPARE(column(*window->DBGridSpr, "Num"), QStringList({"4", "5"}));
        const QString april = kCardsCaption.arg("01.04.2024 - 10.04.2024");
        QCOMPARE(window->windowTitle(), april.arg(2));
        // "Новый" and "Изменить" read the list again but leave the caption's count until a refresh.
        m_ui->modalHandlers.assign(2, [this, petrova](QDialog&) {
            addCard(db(), 6, ctAbonement, "2024-04-05 12:00:00", petrova);
            return int(QDialog::Accepted);
        });
        window->btnNew->click();
        window->btnEdit->click();
        QCOMPARE(column(*window->DBGridSpr, "Num"), QStringList({"4", "5", "6", "6"}));
        QCOMPARE(window->windowTitle(), april.arg(2));
        window->btnRefreshClick();
        QCOMPARE(window->windowTitle(), april.arg(4));
    }
    void defaultDisplayText() {
        QCOMPARE(::defaultDisplayText(QVariant("1899-12-30 09:30:00")), "9:30:00");
        QCOMPARE(::defaultDisplayText(QVariant("Бассейн 2024-03-05")), "Бассейн 2024-03-05");
    }
    void deleteRules_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("row");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("remaining");  // the tables that change, as snapshot() shows them
        const auto row = [](const char* name, int kind, int row, Answer answer, const QStringList& messages,
                            const QStringList& remaining) {
            QTest::newRow(name) << kind << row << answer << messages << remaining;
        };
        row("subscription with its own visits", lkCards, 0, Answer::Yes, {}, {"tCard=2", "tWorkGurnal=2,2"});
        row("club card with its own visits", lkCards, 1, Answer::Yes, {}, {"tCard=1", "tWorkClubCard=1"});
        row("card, No", lkCards, 1, Answer::No, {}, {});
        row("client with cards", lkClients, 1, Answer::Yes,
            {"Нельзя удалить выбранного клиента,!\rна него выписаны карты в количестве: 2"}, {});
        row("client without cards", lkClients, 0, Answer::Yes, {}, {"tClient=Борисов"});
        row("user one", lkUsers, 0, Answer::Yes, {"Нельзя удалить выбранного пользователя!"}, {});
        row("user signed in here", lkUsers, 1, Answer::Yes, {"Нельзя удалить выбранного пользователя!"}, {});
        row("user signed in elsewhere", lkUsers, 3, Answer::Yes,
            {"Нельзя удалить выбранного пользователя: он сейчас работает в программе!"}, {});
        row("other user, question closed", lkUsers, 2, Answer::Closed, {}, {"tUserApl=Admin,Петров,Кузнецов"});
        row("hall", lkZal, 0, Answer::Yes, {"Пока не реализовано :("}, {});
    }
    void deleteRules() {
        QFETCH(int, kind);
        QFETCH(int, row);
        QFETCH(Answer, answer);
        QFETCH(QStringList, remaining);
        fillEveryKind();
        gUserApl.ID = scalar(db(), "SELECT ID FROM tUserApl WHERE name='Петров'").toInt();
        QStringList expected = snapshot();
        for (const QString& table : remaining) {
            expected.replaceInStrings(QRegularExpression("^" + table.section(QLatin1Char('='), 0, 0) + "=.*"), table);
        }
        const auto window = openList(kind);
        selectRow(*window->DBGridSpr, row);
        const QString caption = window->windowTitle();
        const int rowsBefore = window->DBGridSpr->rowCount();
        m_ui->answers = {answer};
        window->N_DelClick();
        QCOMPARE(m_ui->questions, QStringList{kAskDelete});
        QTEST(m_ui->messageTexts(), "messages");
        QCOMPARE(snapshot(), expected);
        // The list is read again after a delete and starts at its first row.
        QCOMPARE(window->DBGridSpr->currentRowNumber(), remaining.isEmpty() ? row : 0);
        QCOMPARE(window->DBGridSpr->rowCount() < rowsBefore, !remaining.isEmpty());
        QCOMPARE(window->windowTitle(),
                 kind == lkCards ? kCardsCaption.arg(kMarch).arg(scalar(db(), "SELECT count(*) FROM tCard").toInt())
                                 : caption);
    }
    // An action on a record deleted elsewhere, its page out of memory or its row still shown, acts on no other record:
    // the person is told, and the list is read again with no current row, on which the action does nothing.
    void actionsOnARecordGoneElsewhere_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("rowShown");
        for (const char* action : {"Удалить", "Изменить", "Выбрать"}) {
            QTest::addRow("%s, its page out of memory", action) << QString::fromUtf8(action) << false;
            QTest::addRow("%s, its row still shown", action) << QString::fromUtf8(action) << true;
        }
    }
    void actionsOnARecordGoneElsewhere() {
        QFETCH(QString, action);
        QFETCH(bool, rowShown);
        exec(db(),
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2200) "
             "INSERT INTO tClient (Family) SELECT printf('Клиент %04d', i) FROM n");
        const auto window = openList(lkClients);
        TfrmSelectSpr selector(db(), nullptr);
        selector.LoadSpr(lkClients);
        SprGrid& grid = action == "Выбрать" ? *selector.DBGridSpr : *window->DBGridSpr;
        selectRow(grid, 1000);
        if (rowShown) {
            grid.sprModel()->prepareRows(1000, 1000);
        }
        execElsewhere(*m_db, "DELETE FROM tClient WHERE Family = 'Клиент 1001'");
        QAbstractButton* button = action == "Выбрать" ? static_cast<QAbstractButton*>(selector.btnSelect)
                                                      : (action == "Удалить" ? window->btnDel : window->btnEdit);
        button->click();
        button->click();  // with no current row: nothing
        QCOMPARE(m_ui->messageTexts(), QStringList(kNotFound));
        QVERIFY(m_ui->modalClasses.isEmpty() && selector.result() == QDialog::Rejected);
        const int clients = scalar(db(), "SELECT count(*) FROM tClient").toInt();
        QCOMPARE(QList<int>({clients, grid.rowCount(), grid.currentRowNumber()}), QList<int>({2199, 2199, -1}));
    }
    void cardDeleteIsAllOrNothing() {
        fillEveryKind();
        exec(db(), "CREATE TRIGGER keepCards BEFORE DELETE ON tCard BEGIN SELECT RAISE(ABORT, 'locked'); END;");
        const auto window = openList(lkCards);
        const QStringList before = snapshot();
        QVERIFY_THROWS_EXCEPTION(DbError, window->N_DelClick());
        QCOMPARE(snapshot(), before);
    }
    void eachKindOpensItsEditors() {
        exec(db(), "INSERT INTO tZal (NameZal) VALUES ('Бассейн')");
        exec(db(), "INSERT INTO tVidSport (NameVidSp) VALUES ('Аквааэробика'), ('Плавание')");
        QTest::keyClick(openList(lkZal)->DBGridSpr, Qt::Key_Return);
        const auto sports = openList(lkVidSport);
        selectRow(*sports->DBGridSpr, 1);
        QStringList opened;
        m_ui->modalHandlers.assign(4, [&opened](QDialog& dialog) {
            opened << dialog.windowTitle();
            return int(QDialog::Rejected);
        });
        QTest::keyClick(sports->DBGridSpr, Qt::Key_Return);  // Enter edits, a double-click opens the timetable
        sports->DBGridSprCellClick();
        sports->DBGridSprDblClick();
        sports->N_OpenClick();
        sports->btnNew->click();
        for (int kind : {lkZal, lkClients, lkOrgs, lkRezOrg}) {
            openList(kind)->btnNew->click();
        }
        QCOMPARE(m_ui->modalClasses, QStringList({"TfrmZal", "TfrmEdVS", "TfrmRaspSan", "TfrmRaspSan", "TfrmEdVS",
                                                  "TfrmZal", "TfrmClient", "TfrmEdOrg", "TfrmRezOrg"}));
        QCOMPARE(opened.mid(1, 2), QStringList(2, "Расписание занятий: Плавание"));
    }
    // An empty list does nothing. Once filled, a refresh keeps the row number or takes the last row; a saved new
    // user is read again from the first row, a saved edit keeps its row, a cancelled editor reads nothing again.
    void usersListActionsAndTheRowTheyLeave() {
        exec(db(), "DELETE FROM tUserApl");
        const auto window = openList(lkUsers);
        QTest::keyClick(window->DBGridSpr, Qt::Key_Return);
        window->btnRefreshClick();
        QVERIFY(m_ui->modalClasses.isEmpty() && m_ui->questions.isEmpty() && m_ui->messages.isEmpty());
        QCOMPARE(window->DBGridSpr->currentRowNumber(), -1);
        exec(db(), "INSERT INTO tUserApl (name, uroven) VALUES ('Бойко', 2), ('Гусев', 2), ('Жуков', 2), ('Зуев', 2)");
        window->btnRefreshClick();
        selectRow(*window->DBGridSpr, 3);
        exec(db(), "DELETE FROM tUserApl WHERE name IN ('Жуков', 'Зуев')");
        window->btnRefreshClick();
        QCOMPARE(window->DBGridSpr->currentValue("name").toString(), "Гусев");
        QStringList loaded;
        for (const QString& typed : QStringList{"Новый", "Ершов", ""}) {
            m_ui->modalHandlers.push_back([&, typed](QDialog& dialog) {
                loaded << static_cast<TfrmEdUser&>(dialog).leUserName->text();
                if (typed.isEmpty()) {
                    addUser(db(), "Другой");  // by another workstation
                    return pressButton(dialog, "btnCancel");
                }
                static_cast<TfrmEdUser&>(dialog).leUserName->setText(typed);
                return pressButton(dialog, "btnSave");
            });
        }
        window->btnNew->click();
        QCOMPARE(column(*window->DBGridSpr, "name"), QStringList({"Бойко", "Гусев", "Новый"}));
        QCOMPARE(window->DBGridSpr->currentRowNumber(), 0);
        selectRow(*window->DBGridSpr, 1);
        window->btnEdit->click();
        QCOMPARE(column(*window->DBGridSpr, "name"), QStringList({"Бойко", "Ершов", "Новый"}));
        QCOMPARE(window->DBGridSpr->currentRowNumber(), 1);
        window->btnEdit->click();
        QCOMPARE(column(*window->DBGridSpr, "name"), QStringList({"Бойко", "Ершов", "Новый"}));
        QCOMPARE(window->DBGridSpr->currentRowNumber(), 1);
        QCOMPARE(loaded, QStringList({"", "Гусев", "Ершов"}));
    }

  private:
    // 2000 cards, every tenth without a client, their IDs five apart and their dates rising with them;
    // 20000 log entries in an order of their own, four a minute in seconds against their IDs, every
    // fiftieth of a deleted user. The last card and entry are listed.
    void fillLongLists() {
        exec(db(), "INSERT INTO tClient (Family) VALUES ('Иванов'), ('Петров'), ('Сидоров')");
        exec(db(),
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
             "INSERT INTO tCard (ID, Num, TypeCard, DateClose, ID_Client) SELECT i * 5, i, i % 2, "
             "datetime('2020-01-01', '+' || (i + (i % 7) * 20) || ' days'), "
             "CASE WHEN i % 10 = 5 THEN 999 ELSE i % 3 + 1 END FROM n");
        exec(db(),
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
             "INSERT INTO tListActionUsers (dt_action, id_user, kod_action, ActionStr) SELECT datetime('2024-01-01', "
             "'+' || (i * 7919 % 5000) || ' minutes', '+' || ((20000 - i) / 5000) || ' seconds'), "
             "CASE WHEN i % 50 = 25 THEN 77 ELSE 1 END, 1, 'Вход' FROM n");
    }
    std::unique_ptr<TfrmSprTxt> openList(int kind) {
        auto window = std::make_unique<TfrmSprTxt>(db());
        window->setWindowTitle("Справочник: Список");
        window->LoadSpr(kind);
        return window;
    }
    // Two clients, the second with a subscription and a club card that both have visits, a hall, and users
    // "Петров" and "Сидоров".
    void fillEveryKind() {
        addClient(db(), "Алексеев", "Пётр");
        const int client = addClient(db(), "Борисов", "Иван");
        addCard(db(), 1, ctAbonement, "2024-03-10 10:00:00", client);
        addCard(db(), 2, ctClubCard, "2024-03-12 10:00:00", client);
        for (const char* table : {"tWorkGurnal", "tWorkClubCard"}) {
            exec(db(), QString("INSERT INTO %1 (ID_Card, ID_Zal) VALUES (1, 1), (2, 1), (2, 2)").arg(table));
        }
        exec(db(), "INSERT INTO tZal (NameZal) VALUES ('Бассейн')");
        exec(db(), "INSERT INTO tUserApl (name, uroven) VALUES ('Петров', 2), ('Сидоров', 2)");
        exec(db(), QString("INSERT INTO tWorkUser (id_user) VALUES (%1)").arg(addUser(db(), "Кузнецов")));
    }
    // Every table a delete may touch, as "table=values of one column".
    QStringList snapshot() {
        QStringList tables;
        for (const char* table : {"tCard:Num", "tWorkGurnal:ID_Card", "tWorkClubCard:ID_Card", "tClient:Family",
                                  "tUserApl:name", "tZal:NameZal"}) {
            const QStringList parts = QString::fromUtf8(table).split(QLatin1Char(':'));
            tables << parts[0] + "=" +
                          rows(db(), "SELECT " + parts[1] + " FROM " + parts[0] + " ORDER BY ID").join(',');
        }
        return tables;
    }
};

QTEST_MAIN(TestSprTxt)
#include "tst_sprtxt.moc"
