#include <QAction>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include "app/SprGrid.h"
#include "app/UnitConst.h"
#include "app/UnitEdUser.h"
#include "app/UnitSprTXT.h"
#include "cards/unitPeriod.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kAskDelete = QStringLiteral("Удалить запись?");
const QString kCardsCaption = QStringLiteral("Справочник: Карты клиентов [%1] - всего записей %2");
const QString kMarch = QStringLiteral("01.03.2024 - 31.03.2024");

int count(Database& db, const QString& table) {
    return scalar(db, QStringLiteral("SELECT count(*) FROM ") + table).toInt();
}

// Stands in for the editors and the timetable not built yet: each opens a plain dialog named after
// what was opened and the row ID.
class ProbeSprTxt : public TfrmSprTxt {
  public:
    using TfrmSprTxt::TfrmSprTxt;

  protected:
    std::unique_ptr<QDialog> createEditor(int id) override { return probe(QStringLiteral("editor"), id); }
    std::unique_ptr<QDialog> createTimetable(int id) override {
        return FTypeSpr == lkVidSport ? probe(QStringLiteral("timetable"), id) : nullptr;
    }

  private:
    std::unique_ptr<QDialog> probe(const QString& what, int id) {
        auto dialog = std::make_unique<QDialog>(this);
        dialog->setObjectName(QStringLiteral("%1 %2").arg(what).arg(id));
        return dialog;
    }
};

}  // namespace

class TestSprTxt : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void columnsAndCaptionPerKind_data();
    void columnsAndCaptionPerKind();
    void cardCaptionShowsPeriodAndCount_data();
    void cardCaptionShowsPeriodAndCount();
    void cardListTakesPeriodWithTimeOfDay();
    void periodIsCopiedAtCreation();
    void widthsInCharacters();
    void menuAndToolBar();
    void defaultDisplayText_data();
    void defaultDisplayText();
    void gridShowsDefaultForms();
    void deletesCardWithItsOwnDetailRows_data();
    void deletesCardWithItsOwnDetailRows();
    void cardDeleteIsAllOrNothing();
    void answerNoDeletesNothing_data();
    void answerNoDeletesNothing();
    void refusesClientWithCards();
    void deletesClientWithoutCards();
    void neverDeletesUserOne();
    void deletesOtherUserOnAnyOtherAnswer();
    void otherKindsAreNotImplemented_data();
    void otherKindsAreNotImplemented();
    void refreshKeepsRowNumber_data();
    void refreshKeepsRowNumber();
    void refreshReachesRowBeyondFirstFetch();
    void refreshRewritesOnlyCardCaption();
    void longListReleasesFileOnceRead();
    void doubleClickNeedsCellClick();
    void doubleClickOnTitlesDoesNothing();
    void sportsTypesEnterEditsDoubleClickOpensTimetable();
    void sportsTypesOpenNothingYet();
    void emptyListActionsDoNothing();
    void editorSaveRequeries_data();
    void editorSaveRequeries();
    void cancelledEditorLeavesList();
    void newCardKeepsCaptionCount();
    void periodButtonTakesChosenDays();
    void periodButtonCancelChangesNothing();

  private:
    Database& db() { return m_db->db; }
    std::unique_ptr<TfrmSprTxt> openList(int kind);
    void loadCards(int n);
    // A client with one subscription that has a visit, a hall, and user "Петров".
    void fillEveryKind();

    std::unique_ptr<FakeUi> m_ui;
    std::unique_ptr<TestDatabase> m_db;
};

void TestSprTxt::init() {
    startCase(m_ui, m_db);
    gPeriodCard = {at("2024-03-01 00:00:00"), at("2024-03-31 23:59:59")};
}

void TestSprTxt::cleanup() {
    endCase(m_ui, m_db);
}

std::unique_ptr<TfrmSprTxt> TestSprTxt::openList(int kind) {
    auto window = std::make_unique<TfrmSprTxt>(db());
    window->setWindowTitle(QStringLiteral("Справочник: Список"));
    window->LoadSpr(kind);
    return window;
}

void TestSprTxt::loadCards(int n) {
    const int client = addClient(db(), QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович"));
    Transaction transaction(db());
    for (int i = 1; i <= n; ++i) {
        addCard(db(), i, ctAbonement, QStringLiteral("2024-03-15 12:00:00"), client);
    }
    transaction.commit();
}

void TestSprTxt::fillEveryKind() {
    const int client = addClient(db(), QStringLiteral("Иванов"), QStringLiteral("Иван"));
    const int card = addCard(db(), 1, ctAbonement, QStringLiteral("2024-03-12 10:00:00"), client);
    exec(db(), QStringLiteral("INSERT INTO tWorkGurnal (ID_Card, ID_Zal) VALUES (%1, 1)").arg(card));
    exec(db(), QStringLiteral("INSERT INTO tZal (NameZal) VALUES ('Бассейн')"));
    addUser(db(), QStringLiteral("Петров"));
}

void TestSprTxt::columnsAndCaptionPerKind_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("caption");

    const QString given = QStringLiteral("Справочник: Список");
    QTest::newRow("halls") << int(lkZal) << QStringList{"NameZal", "CountMest", "RezervMest", "info", "StrTXTCard"}
                           << given;
    QTest::newRow("cards") << int(lkCards) << QStringList{"Номер", "Тип", "Клиент", "Дата открытия", "Дата закрытия"}
                           << kCardsCaption.arg(kMarch).arg(0);
    QTest::newRow("clients") << int(lkClients) << QStringList{"Family", "Name",  "Otchestvo",  "Sex",  "Birthday",
                                                              "Photo",  "Adres", "Profession", "Info", "NoRGS"}
                             << given;
    QTest::newRow("organisations") << int(lkOrgs) << QStringList{"Наименование", "Доп. инфо"} << given;
    QTest::newRow("reservations") << int(lkRezOrg) << QStringList{"Организация", "Договор", "Сумма", "Доп. инфо"}
                                  << given;
    QTest::newRow("users") << int(lkUsers) << QStringList{"Наименование", "Комментарий"} << given;
    QTest::newRow("sports types") << int(lkVidSport) << QStringList{"Наименование вида спорта", "Доп. инфо"} << given;
    QTest::newRow("event log") << int(lkActions) << QStringList{"Дата/Время", "Код события", "Действие", "name"}
                               << QStringLiteral("Журнал событий");
    QTest::newRow("unknown kind") << 9 << QStringList{} << given;
}

void TestSprTxt::columnsAndCaptionPerKind() {
    QFETCH(int, kind);
    QFETCH(QStringList, titles);
    QFETCH(QString, caption);
    const auto window = openList(kind);
    QCOMPARE(visibleTitles(*window->DBGridSpr), titles);
    QCOMPARE(window->windowTitle(), caption);
    QCOMPARE(window->FTypeSpr, kind);
}

void TestSprTxt::cardCaptionShowsPeriodAndCount_data() {
    QTest::addColumn<int>("cards");
    QTest::newRow("none") << 0;
    QTest::newRow("two") << 2;
    QTest::newRow("more than one fetch") << 300;
}

void TestSprTxt::cardCaptionShowsPeriodAndCount() {
    QFETCH(int, cards);
    loadCards(cards);
    const auto window = openList(lkCards);
    QCOMPARE(window->windowTitle(), kCardsCaption.arg(kMarch).arg(cards));
    QCOMPARE(window->DBGridSpr->currentRowNumber(), cards > 0 ? 0 : -1);
}

void TestSprTxt::cardListTakesPeriodWithTimeOfDay() {
    const int ivanov = addClient(db(), QStringLiteral("Иванов"), QStringLiteral("Иван"));
    const int petrova = addClient(db(), QStringLiteral("Петрова"), QStringLiteral("Анна"), QStringLiteral("Ильинична"));
    gPeriodCard = {at("2024-03-01 10:00:00"), at("2024-03-31 23:59:59")};
    addCard(db(), 1, ctAbonement, QStringLiteral("2024-03-01 09:59:59"), ivanov);
    addCard(db(), 2, ctAbonement, QStringLiteral("2024-03-01 10:00:00"), ivanov);
    addCard(db(), 3, ctClubCard, QStringLiteral("2024-03-31 23:59:59"), petrova);
    addCard(db(), 4, ctAbonement, QStringLiteral("2024-04-01 00:00:00"), petrova);
    addCard(db(), 5, ctAbonement, QStringLiteral("2024-03-15 12:00:00"), 999);

    const auto window = openList(lkCards);
    QCOMPARE(shownRows(*window->DBGridSpr),
             QStringList({"2|Абонемент|Иванов Иван |31.01.2024 10:00:00|01.03.2024 10:00:00",
                          "3|Клубная карта|Петрова Анна Ильинична|01.03.2024 23:59:59|31.03.2024 23:59:59"}));
    QCOMPARE(window->windowTitle(), kCardsCaption.arg(kMarch).arg(2));
}

void TestSprTxt::periodIsCopiedAtCreation() {
    loadCards(1);
    auto window = std::make_unique<TfrmSprTxt>(db());
    gPeriodCard = {at("2025-01-01 00:00:00"), at("2025-01-31 23:59:59")};
    window->LoadSpr(lkCards);
    QCOMPARE(window->FPeriod.Beg, at("2024-03-01 00:00:00"));
    QCOMPARE(window->windowTitle(), kCardsCaption.arg(kMarch).arg(1));
}

void TestSprTxt::widthsInCharacters() {
    const auto window = openList(lkRezOrg);
    const SprGrid& grid = *window->DBGridSpr;
    const int charWidth = grid.fontMetrics().averageCharWidth();
    QCOMPARE(grid.columnWidth(grid.sprModel()->fieldColumn("Name")), 35 * charWidth);
    QCOMPARE(grid.columnWidth(grid.sprModel()->fieldColumn("Num")), 10 * charWidth);
    QCOMPARE(grid.columnWidth(grid.sprModel()->fieldColumn("info")), 90 * charWidth);
    QVERIFY(grid.isColumnHidden(grid.sprModel()->fieldColumn("ID_Org")));
    QVERIFY(grid.horizontalHeader()->font().bold());
}

void TestSprTxt::menuAndToolBar() {
    const auto halls = openList(lkZal);
    QStringList captions;
    for (QAction* item : halls->MainMenu1->actions()) {
        captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    QCOMPARE(halls->MainMenu1->title(), QStringLiteral("Действие"));
    QCOMPARE(captions, QStringList({"Открыть", "-", "Новый", "Изменить", "Удалить", "-", "Панель"}));
    QVERIFY(halls->N_Open->isVisible() && halls->N_split->isVisible());
    QVERIFY(!halls->N_Open->isEnabled());
    halls->show();
    QVERIFY(!halls->btnPeriod->isVisible());
    // The panel item ticks itself and the tool bar follows.
    halls->N_ViewPanClick();
    QVERIFY(!halls->N_ViewPan->isChecked());
    QVERIFY(!halls->cbTopPan->isVisible());
    halls->N_ViewPan->trigger();
    QVERIFY(halls->cbTopPan->isVisible());

    const auto users = openList(lkUsers);
    QVERIFY(!users->N_Open->isVisible() && !users->N_split->isVisible());

    const auto cards = openList(lkCards);
    cards->show();
    QVERIFY(cards->btnPeriod->isVisible());
}

void TestSprTxt::defaultDisplayText_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("date and time") << QVariant("2024-03-05 14:07:09") << "05.03.2024 14:07:09";
    QTest::newRow("midnight date") << QVariant("2024-03-05 00:00:00") << "05.03.2024";
    QTest::newRow("time of day") << QVariant("1899-12-30 09:30:00") << "09:30:00";
    QTest::newRow("float") << QVariant(1500.5) << "1500,5";
    QTest::newRow("whole float") << QVariant(2000.0) << "2000";
    QTest::newRow("integer") << QVariant(qlonglong(1234567)) << "1234567";
    QTest::newRow("text") << QVariant("Бассейн 2024-03-05") << "Бассейн 2024-03-05";
    QTest::newRow("null") << QVariant() << "";
}

void TestSprTxt::defaultDisplayText() {
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QCOMPARE(::defaultDisplayText(value), text);
}

void TestSprTxt::gridShowsDefaultForms() {
    exec(db(),
         "INSERT INTO tListActionUsers (dt_action, id_user, kod_action, ActionStr) VALUES "
         "('2024-03-05 14:07:09', 1, 1, 'Создана карта №7'), ('2024-03-01 08:00:00', 1, 0, 'Запуск программы')");
    QCOMPARE(shownRows(*openList(lkActions)->DBGridSpr), QStringList({"01.03.2024 08:00:00|0|Запуск программы|Admin",
                                                                      "05.03.2024 14:07:09|1|Создана карта №7|Admin"}));

    exec(db(), "INSERT INTO tClient (Family, Birthday) VALUES ('Сидоров', '1980-07-01 00:00:00')");
    QCOMPARE(column(*openList(lkClients)->DBGridSpr, "Birthday"), QStringList{"01.07.1980"});

    exec(db(), "INSERT INTO tOrg (Name) VALUES ('ООО Ромашка')");
    exec(db(), "INSERT INTO tRezOrg (Num, ID_Org, Summa) VALUES (12, 1, 1500.5)");
    QCOMPARE(shownRows(*openList(lkRezOrg)->DBGridSpr), QStringList{"ООО Ромашка|12|1500,5|"});
}

void TestSprTxt::deletesCardWithItsOwnDetailRows_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("detail");  // the rows that go with a card of the type
    QTest::addColumn<QString>("other");   // the rows that stay
    QTest::newRow("subscription") << int(ctAbonement) << "tWorkGurnal"
                                  << "tWorkClubCard";
    QTest::newRow("club card") << int(ctClubCard) << "tWorkClubCard"
                               << "tWorkGurnal";
}

void TestSprTxt::deletesCardWithItsOwnDetailRows() {
    QFETCH(int, type);
    QFETCH(QString, detail);
    QFETCH(QString, other);
    const int client = addClient(db(), QStringLiteral("Иванов"), QStringLiteral("Иван"));
    const int kept = addCard(db(), 1, type, QStringLiteral("2024-03-10 10:00:00"), client);
    const int card = addCard(db(), 2, type, QStringLiteral("2024-03-12 10:00:00"), client);
    for (const QString& table : {detail, other}) {
        exec(db(), QStringLiteral("INSERT INTO %1 (ID_Card, ID_Zal) VALUES (%2, 1), (%3, 1), (%3, 2)")
                       .arg(table)
                       .arg(kept)
                       .arg(card));
    }
    const auto window = openList(lkCards);
    selectRow(*window->DBGridSpr, 1);

    window->N_DelClick();

    QCOMPARE(m_ui->questions, QStringList{kAskDelete});
    QVERIFY(m_ui->messages.isEmpty());
    QCOMPARE(rows(db(), "SELECT ID FROM tCard"), QStringList{QString::number(kept)});
    QCOMPARE(rows(db(), "SELECT ID_Card FROM " + detail), QStringList{QString::number(kept)});
    QCOMPARE(count(db(), other), 3);
    QCOMPARE(window->DBGridSpr->currentRowNumber(), 0);
    QCOMPARE(window->windowTitle(), kCardsCaption.arg(kMarch).arg(1));
}

void TestSprTxt::cardDeleteIsAllOrNothing() {
    fillEveryKind();
    exec(db(), "CREATE TRIGGER keepCards BEFORE DELETE ON tCard BEGIN SELECT RAISE(ABORT, 'locked'); END;");
    const auto window = openList(lkCards);

    QVERIFY_THROWS_EXCEPTION(DbError, window->N_DelClick());

    QCOMPARE(count(db(), "tCard"), 1);
    QCOMPARE(count(db(), "tWorkGurnal"), 1);
}

void TestSprTxt::answerNoDeletesNothing_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("cards") << int(lkCards);
    QTest::newRow("clients") << int(lkClients);
    QTest::newRow("users") << int(lkUsers);
    QTest::newRow("halls") << int(lkZal);
}

void TestSprTxt::answerNoDeletesNothing() {
    QFETCH(int, kind);
    fillEveryKind();
    const auto window = openList(kind);
    selectRow(*window->DBGridSpr, window->DBGridSpr->sprModel()->rowCount() - 1);
    const QString caption = window->windowTitle();
    m_ui->answers = {Answer::No};

    window->N_DelClick();

    QCOMPARE(m_ui->questions, QStringList{kAskDelete});
    QVERIFY(m_ui->messages.isEmpty());
    for (const char* table : {"tCard", "tWorkGurnal", "tClient", "tZal"}) {
        QCOMPARE(count(db(), QString::fromLatin1(table)), 1);
    }
    QCOMPARE(count(db(), "tUserApl"), 2);
    QCOMPARE(window->windowTitle(), caption);
}

void TestSprTxt::refusesClientWithCards() {
    addClient(db(), QStringLiteral("Алексеев"), QStringLiteral("Пётр"));
    const int client = addClient(db(), QStringLiteral("Борисов"), QStringLiteral("Иван"));
    addCard(db(), 1, ctAbonement, QStringLiteral("2024-03-12 10:00:00"), client);
    addCard(db(), 2, ctClubCard, QStringLiteral("2024-05-12 10:00:00"), client);
    const auto window = openList(lkClients);
    selectRow(*window->DBGridSpr, 1);

    window->N_DelClick();

    QCOMPARE(m_ui->questions, QStringList{kAskDelete});
    QCOMPARE(m_ui->messageTexts(),
             QStringList{"Нельзя удалить выбранного клиента,!\rна него выписаны карты в количестве: 2"});
    QCOMPARE(count(db(), "tClient"), 2);
    QCOMPARE(window->DBGridSpr->currentRowNumber(), 1);
}

void TestSprTxt::deletesClientWithoutCards() {
    addClient(db(), QStringLiteral("Алексеев"), QStringLiteral("Пётр"));
    addClient(db(), QStringLiteral("Борисов"), QStringLiteral("Иван"));
    const auto window = openList(lkClients);
    selectRow(*window->DBGridSpr, 1);

    window->N_DelClick();

    QVERIFY(m_ui->messages.isEmpty());
    QCOMPARE(rows(db(), "SELECT Family FROM tClient"), QStringList{"Алексеев"});
    QCOMPARE(column(*window->DBGridSpr, "Family"), QStringList{"Алексеев"});
    QCOMPARE(window->DBGridSpr->currentRowNumber(), 0);
}

void TestSprTxt::neverDeletesUserOne() {
    addUser(db(), QStringLiteral("Петров"));
    const auto window = openList(lkUsers);

    window->N_DelClick();

    QCOMPARE(m_ui->questions, QStringList{kAskDelete});
    QCOMPARE(m_ui->messageTexts(), QStringList{"Нельзя удалить выбранного пользователя!"});
    QCOMPARE(count(db(), "tUserApl"), 2);
}

void TestSprTxt::deletesOtherUserOnAnyOtherAnswer() {
    addUser(db(), QStringLiteral("Петров"));
    addUser(db(), QStringLiteral("Сидоров"));
    const auto window = openList(lkUsers);
    selectRow(*window->DBGridSpr, 2);
    m_ui->answers = {Answer::Closed};

    window->N_DelClick();

    QVERIFY(m_ui->messages.isEmpty());
    QCOMPARE(rows(db(), "SELECT name FROM tUserApl ORDER BY ID"), QStringList({"Admin", "Петров"}));
    QCOMPARE(column(*window->DBGridSpr, "name"), QStringList({"Admin", "Петров"}));
    QCOMPARE(window->DBGridSpr->currentRowNumber(), 0);
}

void TestSprTxt::otherKindsAreNotImplemented_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("halls") << int(lkZal);
    QTest::newRow("organisations") << int(lkOrgs);
    QTest::newRow("reservations") << int(lkRezOrg);
    QTest::newRow("sports types") << int(lkVidSport);
    QTest::newRow("event log") << int(lkActions);
}

void TestSprTxt::otherKindsAreNotImplemented() {
    QFETCH(int, kind);
    exec(db(), "INSERT INTO tZal (NameZal) VALUES ('Бассейн')");
    exec(db(), "INSERT INTO tOrg (Name) VALUES ('ООО Ромашка')");
    exec(db(), "INSERT INTO tRezOrg (Num, ID_Org, Summa) VALUES (1, 1, 0)");
    exec(db(), "INSERT INTO tVidSport (NameVidSp) VALUES ('Аквааэробика')");
    WriteActionLog(db(), acProgram, QStringLiteral("Запуск программы"));
    const auto window = openList(kind);

    window->N_DelClick();

    QCOMPARE(m_ui->questions, QStringList{kAskDelete});
    QCOMPARE(m_ui->messageTexts(), QStringList{"Пока не реализовано :("});
    for (const char* table : {"tZal", "tOrg", "tRezOrg", "tVidSport", "tListActionUsers"}) {
        QCOMPARE(count(db(), QString::fromLatin1(table)), 1);
    }
}

void TestSprTxt::refreshKeepsRowNumber_data() {
    QTest::addColumn<QString>("removed");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("name");
    QTest::newRow("same number") << "'Бойко'" << 3 << 3 << "Зуев";
    QTest::newRow("shorter list: its last row") << "'Жуков', 'Зуев'" << 4 << 2 << "Гусев";
}

void TestSprTxt::refreshKeepsRowNumber() {
    QFETCH(QString, removed);
    QFETCH(int, selected);
    QFETCH(int, row);
    QFETCH(QString, name);
    for (const char* user : {"Бойко", "Гусев", "Жуков", "Зуев"}) {
        addUser(db(), QString::fromUtf8(user));
    }
    const auto window = openList(lkUsers);
    selectRow(*window->DBGridSpr, selected);
    exec(db(), "DELETE FROM tUserApl WHERE name IN (" + removed + ")");

    window->btnRefreshClick();

    QCOMPARE(window->DBGridSpr->currentRowNumber(), row);
    QCOMPARE(window->DBGridSpr->currentValue("name").toString(), name);
}

void TestSprTxt::refreshReachesRowBeyondFirstFetch() {
    loadCards(2000);
    const auto window = openList(lkCards);
    SprGrid& grid = *window->DBGridSpr;
    while (grid.sprModel()->canFetchMore()) {
        grid.sprModel()->fetchMore();
    }
    selectRow(grid, 900);

    window->btnRefreshClick();

    QCOMPARE(grid.currentRowNumber(), 900);
    QCOMPARE(grid.currentValue("Num").toInt(), 901);

    exec(db(), "DELETE FROM tCard WHERE Num > 500");
    window->btnRefreshClick();
    QCOMPARE(grid.currentRowNumber(), 499);
    QCOMPARE(window->windowTitle(), kCardsCaption.arg(kMarch).arg(500));
}

void TestSprTxt::refreshRewritesOnlyCardCaption() {
    exec(db(), "INSERT INTO tZal (NameZal) VALUES ('Бассейн')");
    const auto halls = openList(lkZal);
    halls->setWindowTitle(QStringLiteral("Справочник: Залы"));
    exec(db(), "INSERT INTO tZal (NameZal) VALUES ('Тренажерный зал')");
    halls->btnRefreshClick();
    QCOMPARE(halls->windowTitle(), QStringLiteral("Справочник: Залы"));
    QCOMPARE(halls->DBGridSpr->sprModel()->rowCount(), 2);

    loadCards(1);
    const auto cards = openList(lkCards);
    addCard(db(), 2, ctClubCard, QStringLiteral("2024-03-20 10:00:00"), 1);
    cards->btnRefreshClick();
    QCOMPARE(cards->windowTitle(), kCardsCaption.arg(kMarch).arg(2));
}

void TestSprTxt::longListReleasesFileOnceRead() {
    loadCards(2000);
    const auto window = openList(lkCards);
    const SprModel& model = *window->DBGridSpr->sprModel();
    QVERIFY(model.rowCount() < 2000);

    QTRY_VERIFY(!model.canFetchMore());
    QCOMPARE(model.rowCount(), 2000);
    QCOMPARE(window->DBGridSpr->currentRowNumber(), 0);
    Database otherWorkstation;
    QVERIFY(otherWorkstation.open(m_db->path()));
    QElapsedTimer write;
    write.start();
    exec(otherWorkstation, "INSERT INTO tZal (NameZal) VALUES ('Бассейн')");
    QVERIFY(write.elapsed() < 2000);
    QCOMPARE(count(db(), "tZal"), 1);
}

void TestSprTxt::doubleClickNeedsCellClick() {
    addUser(db(), QStringLiteral("Петров"));
    const auto window = openList(lkUsers);

    window->DBGridSprDblClick();
    QVERIFY(m_ui->modalClasses.isEmpty());

    window->DBGridSprCellClick();
    window->DBGridSprDblClick();
    QCOMPARE(m_ui->modalClasses, QStringList{"TfrmEdUser"});

    window->DBGridSprDblClick();
    QCOMPARE(m_ui->modalClasses.size(), 1);
}

void TestSprTxt::doubleClickOnTitlesDoesNothing() {
    addUser(db(), QStringLiteral("Петров"));
    const auto window = openList(lkUsers);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    doubleClickTitleAfterCellClick(*window->DBGridSpr);
    QVERIFY(m_ui->modalClasses.isEmpty());

    doubleClickFirstRow(*window->DBGridSpr);
    QCOMPARE(m_ui->modalClasses, QStringList{"TfrmEdUser"});
}

void TestSprTxt::sportsTypesEnterEditsDoubleClickOpensTimetable() {
    exec(db(), "INSERT INTO tVidSport (NameVidSp) VALUES ('Аквааэробика')");
    const int id = insert(db(), "INSERT INTO tVidSport (NameVidSp) VALUES ('Плавание')");
    ProbeSprTxt window(db());
    window.LoadSpr(lkVidSport);
    selectRow(*window.DBGridSpr, 1);
    QStringList opened;
    const auto record = [&opened](QDialog& dialog) {
        opened << dialog.objectName();
        return int(QDialog::Rejected);
    };
    m_ui->modalHandlers = {record, record, record};

    QTest::keyClick(window.DBGridSpr, Qt::Key_Return);
    window.DBGridSprCellClick();
    window.DBGridSprDblClick();
    window.N_OpenClick();

    const QString row = QString::number(id);
    QCOMPARE(opened, QStringList({"editor " + row, "timetable " + row, "timetable " + row}));
}

void TestSprTxt::sportsTypesOpenNothingYet() {
    exec(db(), "INSERT INTO tVidSport (NameVidSp) VALUES ('Плавание')");
    const auto window = openList(lkVidSport);
    QTest::keyClick(window->DBGridSpr, Qt::Key_Return);
    window->DBGridSprCellClick();
    window->DBGridSprDblClick();
    window->N_OpenClick();
    window->N_NewClick();
    QVERIFY(m_ui->modalClasses.isEmpty());
}

void TestSprTxt::emptyListActionsDoNothing() {
    exec(db(), "DELETE FROM tUserApl");
    const auto window = openList(lkUsers);
    QCOMPARE(window->DBGridSpr->currentRowNumber(), -1);

    window->N_EditClick();
    QTest::keyClick(window->DBGridSpr, Qt::Key_Return);
    window->DBGridSprCellClick();
    window->DBGridSprDblClick();
    window->N_DelClick();
    window->btnRefreshClick();

    QVERIFY(m_ui->modalClasses.isEmpty());
    QVERIFY(m_ui->questions.isEmpty());
    QVERIFY(m_ui->messages.isEmpty());
    QCOMPARE(window->DBGridSpr->currentRowNumber(), -1);
}

void TestSprTxt::editorSaveRequeries_data() {
    QTest::addColumn<bool>("isNew");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("row");
    QTest::newRow("new user: first row") << true << QStringList{"Admin", "Петров", "Сидоров", "Новый"} << 0;
    QTest::newRow("edited user: same row") << false << QStringList{"Admin", "Новый", "Сидоров"} << 1;
}

void TestSprTxt::editorSaveRequeries() {
    QFETCH(bool, isNew);
    QFETCH(QStringList, names);
    QFETCH(int, row);
    addUser(db(), QStringLiteral("Петров"));
    addUser(db(), QStringLiteral("Сидоров"));
    const auto window = openList(lkUsers);
    selectRow(*window->DBGridSpr, 1);
    QString loaded;
    m_ui->modalHandlers.push_back([&loaded](QDialog& dialog) {
        auto& editor = static_cast<TfrmEdUser&>(dialog);
        loaded = editor.leUserName->text();
        editor.leUserName->setText(QStringLiteral("Новый"));
        return pressButton(dialog, "btnSave");
    });

    isNew ? window->btnNew->click() : window->btnEdit->click();

    QCOMPARE(loaded, isNew ? QString() : QStringLiteral("Петров"));
    QCOMPARE(column(*window->DBGridSpr, "name"), names);
    QCOMPARE(window->DBGridSpr->currentRowNumber(), row);
}

void TestSprTxt::cancelledEditorLeavesList() {
    const auto window = openList(lkUsers);
    addUser(db(), QStringLiteral("Петров"));
    m_ui->modalHandlers.push_back([](QDialog& dialog) { return pressButton(dialog, "btnCancel"); });

    window->N_EditClick();

    QCOMPARE(m_ui->modalClasses, QStringList{"TfrmEdUser"});
    QCOMPARE(window->DBGridSpr->sprModel()->rowCount(), 1);
}

void TestSprTxt::newCardKeepsCaptionCount() {
    loadCards(1);
    ProbeSprTxt window(db());
    window.LoadSpr(lkCards);
    m_ui->modalHandlers.push_back([this](QDialog&) {
        addCard(db(), 2, ctAbonement, QStringLiteral("2024-03-20 10:00:00"), 1);
        return int(QDialog::Accepted);
    });

    window.N_NewClick();

    QCOMPARE(window.DBGridSpr->sprModel()->rowCount(), 2);
    QCOMPARE(window.windowTitle(), kCardsCaption.arg(kMarch).arg(1));
}

void TestSprTxt::periodButtonTakesChosenDays() {
    const int client = addClient(db(), QStringLiteral("Иванов"), QStringLiteral("Иван"));
    addCard(db(), 1, ctAbonement, QStringLiteral("2024-03-15 12:00:00"), client);
    addCard(db(), 2, ctAbonement, QStringLiteral("2024-04-01 00:00:00"), client);
    addCard(db(), 3, ctAbonement, QStringLiteral("2024-04-10 23:59:59"), client);
    const auto window = openList(lkCards);
    TPeriod offered;
    m_ui->modalHandlers.push_back([&offered](QDialog& dialog) {
        auto& period = static_cast<TfrmPeriod&>(dialog);
        offered = period.FPeriod;
        period.dtpFirst->setDate(QDate(2024, 4, 1));
        period.dtpEnd->setDate(QDate(2024, 4, 10));
        return pressButton(dialog, "btnOk");
    });

    window->btnPeriod->click();

    QCOMPARE(m_ui->modalClasses, QStringList{"TfrmPeriod"});
    QCOMPARE(offered.Beg, at("2024-03-01 00:00:00"));
    QCOMPARE(window->FPeriod.Beg, at("2024-04-01 00:00:00"));
    QCOMPARE(window->FPeriod.End, at("2024-04-10 23:59:59"));
    QCOMPARE(gPeriodCard.Beg, window->FPeriod.Beg);
    QCOMPARE(gPeriodCard.End, window->FPeriod.End);
    QCOMPARE(column(*window->DBGridSpr, "Num"), QStringList({"2", "3"}));
    QCOMPARE(window->windowTitle(), kCardsCaption.arg(QStringLiteral("01.04.2024 - 10.04.2024")).arg(2));
}

void TestSprTxt::periodButtonCancelChangesNothing() {
    loadCards(1);
    const auto window = openList(lkCards);
    m_ui->modalHandlers.push_back([](QDialog& dialog) {
        static_cast<TfrmPeriod&>(dialog).dtpFirst->setDate(QDate(2024, 4, 1));
        return pressButton(dialog, "btnCancel");
    });

    window->btnPeriodClick();

    QCOMPARE(window->FPeriod.Beg, at("2024-03-01 00:00:00"));
    QCOMPARE(gPeriodCard.Beg, at("2024-03-01 00:00:00"));
    QCOMPARE(window->windowTitle(), kCardsCaption.arg(kMarch).arg(1));
}

QTEST_MAIN(TestSprTxt)
#include "tst_sprtxt.moc"
