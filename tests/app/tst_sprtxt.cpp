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
const QString kNotImplemented = QStringLiteral("Пока не реализовано :(");
const QString kClientHasCards =
    QStringLiteral("Нельзя удалить выбранного клиента,!\rна него выписаны карты в количестве: ");
const QString kUserUndeletable = QStringLiteral("Нельзя удалить выбранного пользователя!");
const QString kCardsName = QStringLiteral("Справочник: Карты клиентов");

QDateTime at(const QString& text) {
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void exec(Database& db, const QString& sql) {
    SqlQuery(db).exec(sql);
}

int insert(Database& db, const QString& sql) {
    SqlQuery query(db);
    query.exec(sql);
    return int(query.lastInsertId());
}

int addClient(Database& db, const QString& family, const QString& name, const QString& otchestvo = QString()) {
    SqlQuery query(db);
    query.addParam(QStringLiteral("pF"), FieldType::String, family)
        .addParam(QStringLiteral("pN"), FieldType::String, name)
        .addParam(QStringLiteral("pO"), FieldType::String, otchestvo);
    query.exec(otchestvo.isNull()
                   ? QStringLiteral("INSERT INTO tClient (Family, Name, Otchestvo) VALUES (:pF, :pN, NULL)")
                   : QStringLiteral("INSERT INTO tClient (Family, Name, Otchestvo) VALUES (:pF, :pN, :pO)"));
    return int(query.lastInsertId());
}

int addCard(Database& db, int num, int type, const QString& dateClose, int clientId) {
    SqlQuery query(db);
    query.addParam(QStringLiteral("pOpen"), FieldType::DateTime, at(dateClose).addDays(-30))
        .addParam(QStringLiteral("pClose"), FieldType::DateTime, at(dateClose));
    query.exec(QStringLiteral("INSERT INTO tCard (Num, TypeCard, DateOpen, DateClose, ID_Client) "
                              "VALUES (%1, %2, :pOpen, :pClose, %3)")
                   .arg(num)
                   .arg(type)
                   .arg(clientId));
    return int(query.lastInsertId());
}

int addUser(Database& db, const QString& name) {
    SqlQuery query(db);
    query.addParam(QStringLiteral("pName"), FieldType::String, name);
    query.exec(QStringLiteral("INSERT INTO tUserApl (name, passw, koment, uroven) VALUES (:pName, '', '', 2)"));
    return int(query.lastInsertId());
}

int count(Database& db, const QString& sql) {
    return scalar(db, sql).toInt();
}

// The titles of the shown columns, in order.
QStringList visibleTitles(const SprGrid& grid) {
    QStringList titles;
    for (int column = 0; column < grid.sprModel()->columnCount(); ++column) {
        if (!grid.isColumnHidden(column)) {
            titles << grid.sprModel()->headerData(column, Qt::Horizontal).toString();
        }
    }
    return titles;
}

QStringList hiddenFields(const SprGrid& grid) {
    QStringList fields;
    for (int column = 0; column < grid.sprModel()->columnCount(); ++column) {
        if (grid.isColumnHidden(column)) {
            fields << grid.sprModel()->record().fieldName(column);
        }
    }
    return fields;
}

QString cell(const SprGrid& grid, int row, const QString& field) {
    const SprModel* model = grid.sprModel();
    return model->data(model->index(row, model->fieldColumn(field))).toString();
}

QStringList column(const SprGrid& grid, const QString& field) {
    QStringList values;
    for (int row = 0; row < grid.sprModel()->rowCount(); ++row) {
        values << cell(grid, row, field);
    }
    return values;
}

void selectRow(SprGrid& grid, int row) {
    grid.setCurrentIndex(grid.sprModel()->index(row, 1));
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
    void initTestCase() { pinRussianLocale(); }
    void init();
    void cleanup();

    void keepsCaptionGivenByOpener_data();
    void keepsCaptionGivenByOpener();
    void cardCaptionShowsPeriodAndCount_data();
    void cardCaptionShowsPeriodAndCount();
    void cardListTakesPeriodWithTimeOfDay();
    void periodIsCopiedAtCreation();
    void columnsPerKind_data();
    void columnsPerKind();
    void widthsInCharacters();
    void menuAndToolBar();
    void toolBarFollowsPanelItem();
    void defaultDisplayText_data();
    void defaultDisplayText();
    void gridShowsDefaultForms();
    void deletesSubscriptionWithItsVisitsOnly();
    void deletesClubCardWithItsHallsOnly();
    void cardDeleteIsAllOrNothing();
    void answerNoDeletesNothing_data();
    void answerNoDeletesNothing();
    void refusesClientWithCards();
    void deletesClientWithoutCards();
    void neverDeletesUserOne();
    void deletesOtherUserOnAnyOtherAnswer();
    void otherKindsAreNotImplemented_data();
    void otherKindsAreNotImplemented();
    void refreshKeepsRowNumber();
    void refreshGoesToLastRowOfShorterList();
    void refreshReachesRowBeyondFirstFetch();
    void refreshRewritesOnlyCardCaption();
    void longListReleasesFileOnceRead();
    void doubleClickNeedsCellClick();
    void doubleClickOnTitlesDoesNothing();
    void sportsTypesEnterEditsDoubleClickOpensTimetable();
    void sportsTypesOpenNothingYet();
    void emptyListActionsDoNothing();
    void newUserThroughEditorRequeriesToFirstRow();
    void editUserRequeriesToSameRow();
    void cancelledEditorLeavesList();
    void newCardKeepsCaptionCount();
    void periodButtonTakesChosenDays();
    void periodButtonCancelChangesNothing();

  private:
    Database& db() { return m_db->db; }
    std::unique_ptr<TfrmSprTxt> openList(int kind, const QString& name = QStringLiteral("Список"));
    void loadCards(int n);

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<FakeUi> m_ui;
};

void TestSprTxt::init() {
    m_db = std::make_unique<TestDatabase>();
    m_ui = std::make_unique<FakeUi>();
    gPeriodCard = {at("2024-03-01 00:00:00"), at("2024-03-31 23:59:59")};
}

void TestSprTxt::cleanup() {
    m_ui.reset();
    m_db.reset();
}

std::unique_ptr<TfrmSprTxt> TestSprTxt::openList(int kind, const QString& name) {
    auto window = std::make_unique<TfrmSprTxt>(db());
    window->setWindowTitle(QStringLiteral("Справочник: ") + name);
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

void TestSprTxt::keepsCaptionGivenByOpener_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("halls") << int(lkZal) << "Залы"
                           << "Справочник: Залы";
    QTest::newRow("clients") << int(lkClients) << "Клиенты"
                             << "Справочник: Клиенты";
    QTest::newRow("organisations") << int(lkOrgs) << "Организации"
                                   << "Справочник: Организации";
    QTest::newRow("reservations") << int(lkRezOrg) << "Резервы организаций"
                                  << "Справочник: Резервы организаций";
    QTest::newRow("users") << int(lkUsers) << "ПОЛЬЗОВАТЕЛИ"
                           << "Справочник: ПОЛЬЗОВАТЕЛИ";
    QTest::newRow("sports types") << int(lkVidSport) << "ВИДЫ СПОРТА"
                                  << "Справочник: ВИДЫ СПОРТА";
    QTest::newRow("event log") << int(lkActions) << "Журнал событий"
                               << "Журнал событий";
    QTest::newRow("unknown kind") << 9 << "Прочее"
                                  << "Справочник: Прочее";
}

void TestSprTxt::keepsCaptionGivenByOpener() {
    QFETCH(int, kind);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    const auto window = openList(kind, name);
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
    const auto window = openList(lkCards, QStringLiteral("Карты клиентов"));
    QCOMPARE(window->windowTitle(),
             kCardsName + QStringLiteral(" [01.03.2024 - 31.03.2024] - всего записей ") + QString::number(cards));
    QVERIFY(window->DBGridSpr->sprModel()->rowCount() <= cards);
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
    const SprGrid& grid = *window->DBGridSpr;
    QCOMPARE(column(grid, "Num"), QStringList({"2", "3"}));
    QCOMPARE(column(grid, "NameType"), QStringList({"Абонемент", "Клубная карта"}));
    QCOMPARE(column(grid, "fio"), QStringList({"Иванов Иван ", "Петрова Анна Ильинична"}));
    QCOMPARE(column(grid, "DateClose"), QStringList({"01.03.2024 10:00:00", "31.03.2024 23:59:59"}));
    QVERIFY(window->windowTitle().endsWith(QStringLiteral("] - всего записей 2")));
}

void TestSprTxt::periodIsCopiedAtCreation() {
    loadCards(1);
    auto window = std::make_unique<TfrmSprTxt>(db());
    gPeriodCard = {at("2025-01-01 00:00:00"), at("2025-01-31 23:59:59")};
    window->LoadSpr(lkCards);
    QCOMPARE(window->FPeriod.Beg, at("2024-03-01 00:00:00"));
    QCOMPARE(window->windowTitle(), kCardsName + QStringLiteral(" [01.03.2024 - 31.03.2024] - всего записей 1"));
}

void TestSprTxt::columnsPerKind_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("hidden");
    QTest::newRow("halls") << int(lkZal) << QStringList{"NameZal", "CountMest", "RezervMest", "info", "StrTXTCard"}
                           << QStringList{"ID"};
    QTest::newRow("cards") << int(lkCards) << QStringList{"Номер", "Тип", "Клиент", "Дата открытия", "Дата закрытия"}
                           << QStringList{"ID", "TypeCard"};
    QTest::newRow("clients") << int(lkClients) << QStringList{"Family", "Name",  "Otchestvo",  "Sex",  "Birthday",
                                                              "Photo",  "Adres", "Profession", "Info", "NoRGS"}
                             << QStringList{"ID"};
    QTest::newRow("organisations") << int(lkOrgs) << QStringList{"Наименование", "Доп. инфо"} << QStringList{"ID"};
    QTest::newRow("reservations") << int(lkRezOrg) << QStringList{"Организация", "Договор", "Сумма", "Доп. инфо"}
                                  << QStringList{"ID", "ID_Org"};
    QTest::newRow("users") << int(lkUsers) << QStringList{"Наименование", "Комментарий"}
                           << QStringList{"ID", "passw", "uroven"};
    QTest::newRow("sports types") << int(lkVidSport) << QStringList{"Наименование вида спорта", "Доп. инфо"}
                                  << QStringList{"ID"};
    QTest::newRow("event log") << int(lkActions) << QStringList{"Дата/Время", "Код события", "Действие", "name"}
                               << QStringList{"ID"};
}

void TestSprTxt::columnsPerKind() {
    QFETCH(int, kind);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, hidden);
    const auto window = openList(kind);
    QCOMPARE(visibleTitles(*window->DBGridSpr), titles);
    QCOMPARE(hiddenFields(*window->DBGridSpr), hidden);
}

void TestSprTxt::widthsInCharacters() {
    const auto window = openList(lkRezOrg);
    const SprGrid& grid = *window->DBGridSpr;
    const int charWidth = grid.fontMetrics().averageCharWidth();
    QCOMPARE(grid.columnWidth(grid.sprModel()->fieldColumn("Name")), 35 * charWidth);
    QCOMPARE(grid.columnWidth(grid.sprModel()->fieldColumn("Num")), 10 * charWidth);
    QCOMPARE(grid.columnWidth(grid.sprModel()->fieldColumn("info")), 90 * charWidth);
    QVERIFY(grid.horizontalHeader()->font().bold());
    QCOMPARE(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(grid.selectionBehavior(), QAbstractItemView::SelectRows);
}

void TestSprTxt::menuAndToolBar() {
    const auto halls = openList(lkZal);
    QCOMPARE(halls->MainMenu1->title(), QStringLiteral("Действие"));
    QStringList captions;
    for (QAction* item : halls->MainMenu1->actions()) {
        captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    QCOMPARE(captions, QStringList({"Открыть", "-", "Новый", "Изменить", "Удалить", "-", "Панель"}));
    QCOMPARE(halls->N_Open->shortcut(), QKeySequence(Qt::ALT | Qt::Key_O));
    QCOMPARE(halls->N_Del->shortcut(), QKeySequence(Qt::ALT | Qt::Key_D));
    QVERIFY(halls->N_Open->isVisible());
    QVERIFY(halls->N_split->isVisible());
    QVERIFY(!halls->N_Open->isEnabled());
    QVERIFY(halls->N_ViewPan->isChecked());
    halls->show();
    QVERIFY(!halls->btnPeriod->isVisible());

    const auto users = openList(lkUsers);
    QVERIFY(!users->N_Open->isVisible());
    QVERIFY(!users->N_split->isVisible());
    QVERIFY(users->N_SplPan->isVisible());

    const auto cards = openList(lkCards);
    cards->show();
    QVERIFY(cards->btnPeriod->isVisible());
    QCOMPARE(cards->btnPeriod->toolTip(), QStringLiteral("Сменить период"));
}

void TestSprTxt::toolBarFollowsPanelItem() {
    const auto window = openList(lkZal);
    QVERIFY(window->cbTopPan->isVisibleTo(window.get()));
    window->N_ViewPanClick();
    QVERIFY(!window->N_ViewPan->isChecked());
    QVERIFY(!window->cbTopPan->isVisibleTo(window.get()));
    window->N_ViewPan->trigger();
    QVERIFY(window->N_ViewPan->isChecked());
    QVERIFY(window->cbTopPan->isVisibleTo(window.get()));
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
         "INSERT INTO tListActionUsers (dt_action, id_user, kod_action, ActionStr) "
         "VALUES ('2024-03-05 14:07:09', 1, 1, 'Создана карта №7')");
    exec(db(),
         "INSERT INTO tListActionUsers (dt_action, id_user, kod_action, ActionStr) "
         "VALUES ('2024-03-01 08:00:00', 1, 0, 'Запуск программы')");
    const auto log = openList(lkActions);
    QCOMPARE(column(*log->DBGridSpr, "dt_action"), QStringList({"01.03.2024 08:00:00", "05.03.2024 14:07:09"}));
    QCOMPARE(column(*log->DBGridSpr, "name"), QStringList({"Admin", "Admin"}));

    exec(db(), "INSERT INTO tClient (Family, Birthday) VALUES ('Сидоров', '1980-07-01 00:00:00')");
    const auto clients = openList(lkClients);
    QCOMPARE(cell(*clients->DBGridSpr, 0, "Birthday"), QStringLiteral("01.07.1980"));

    exec(db(), "INSERT INTO tOrg (Name) VALUES ('ООО Ромашка')");
    exec(db(), "INSERT INTO tRezOrg (Num, ID_Org, Summa) VALUES (12, 1, 1500.5)");
    const auto reservations = openList(lkRezOrg);
    QCOMPARE(cell(*reservations->DBGridSpr, 0, "Summa"), QStringLiteral("1500,5"));
    QCOMPARE(cell(*reservations->DBGridSpr, 0, "Name"), QStringLiteral("ООО Ромашка"));
}

void TestSprTxt::deletesSubscriptionWithItsVisitsOnly() {
    const int client = addClient(db(), QStringLiteral("Иванов"), QStringLiteral("Иван"));
    const int other = addCard(db(), 1, ctAbonement, QStringLiteral("2024-03-10 10:00:00"), client);
    const int card = addCard(db(), 2, ctAbonement, QStringLiteral("2024-03-12 10:00:00"), client);
    for (int id : {other, card, card}) {
        exec(db(), QStringLiteral("INSERT INTO tWorkGurnal (ID_Card, ID_Zal) VALUES (%1, 1)").arg(id));
    }
    exec(db(), QStringLiteral("INSERT INTO tWorkClubCard (ID_Card, ID_Zal) VALUES (%1, 1)").arg(card));
    const auto window = openList(lkCards);
    selectRow(*window->DBGridSpr, 1);

    window->N_DelClick();

    QCOMPARE(m_ui->questions, QStringList{kAskDelete});
    QVERIFY(m_ui->messages.isEmpty());
    QCOMPARE(rows(db(), "SELECT ID FROM tCard"), QStringList{QString::number(other)});
    QCOMPARE(rows(db(), "SELECT ID_Card FROM tWorkGurnal"), QStringList{QString::number(other)});
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM tWorkClubCard WHERE ID_Card=%1").arg(card)), 1);
    QCOMPARE(window->DBGridSpr->currentRowNumber(), 0);
    QVERIFY(window->windowTitle().endsWith(QStringLiteral("] - всего записей 1")));
}

void TestSprTxt::deletesClubCardWithItsHallsOnly() {
    const int client = addClient(db(), QStringLiteral("Иванов"), QStringLiteral("Иван"));
    const int card = addCard(db(), 1, ctClubCard, QStringLiteral("2024-03-12 10:00:00"), client);
    exec(db(), QStringLiteral("INSERT INTO tWorkClubCard (ID_Card, ID_Zal) VALUES (%1, 1), (%1, 2)").arg(card));
    exec(db(), QStringLiteral("INSERT INTO tWorkGurnal (ID_Card, ID_Zal) VALUES (%1, 1)").arg(card));
    const auto window = openList(lkCards);

    window->N_DelClick();

    QCOMPARE(count(db(), "SELECT count(*) FROM tCard"), 0);
    QCOMPARE(count(db(), "SELECT count(*) FROM tWorkClubCard"), 0);
    QCOMPARE(count(db(), "SELECT count(*) FROM tWorkGurnal"), 1);
    QCOMPARE(window->DBGridSpr->currentRowNumber(), -1);
    QVERIFY(window->windowTitle().endsWith(QStringLiteral("] - всего записей 0")));
}

void TestSprTxt::cardDeleteIsAllOrNothing() {
    const int client = addClient(db(), QStringLiteral("Иванов"), QStringLiteral("Иван"));
    const int card = addCard(db(), 1, ctAbonement, QStringLiteral("2024-03-12 10:00:00"), client);
    exec(db(), QStringLiteral("INSERT INTO tWorkGurnal (ID_Card, ID_Zal) VALUES (%1, 1)").arg(card));
    exec(db(), "CREATE TRIGGER keepCards BEFORE DELETE ON tCard BEGIN SELECT RAISE(ABORT, 'locked'); END;");
    const auto window = openList(lkCards);

    QVERIFY_THROWS_EXCEPTION(DbError, window->N_DelClick());

    QCOMPARE(count(db(), "SELECT count(*) FROM tCard"), 1);
    QCOMPARE(count(db(), "SELECT count(*) FROM tWorkGurnal"), 1);
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
    const int client = addClient(db(), QStringLiteral("Иванов"), QStringLiteral("Иван"));
    const int card = addCard(db(), 1, ctAbonement, QStringLiteral("2024-03-12 10:00:00"), client);
    exec(db(), QStringLiteral("INSERT INTO tWorkGurnal (ID_Card, ID_Zal) VALUES (%1, 1)").arg(card));
    exec(db(), "INSERT INTO tZal (NameZal) VALUES ('Бассейн')");
    addUser(db(), QStringLiteral("Петров"));
    const auto window = openList(kind);
    selectRow(*window->DBGridSpr, window->DBGridSpr->sprModel()->rowCount() - 1);
    const QString caption = window->windowTitle();
    m_ui->answers = {Answer::No};

    window->N_DelClick();

    QCOMPARE(m_ui->questions, QStringList{kAskDelete});
    QVERIFY(m_ui->messages.isEmpty());
    QCOMPARE(count(db(), "SELECT count(*) FROM tCard") + count(db(), "SELECT count(*) FROM tWorkGurnal") +
                 count(db(), "SELECT count(*) FROM tClient") + count(db(), "SELECT count(*) FROM tUserApl") +
                 count(db(), "SELECT count(*) FROM tZal"),
             6);
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
    QCOMPARE(m_ui->messageTexts(), QStringList{kClientHasCards + QStringLiteral("2")});
    QCOMPARE(count(db(), "SELECT count(*) FROM tClient"), 2);
    QCOMPARE(window->DBGridSpr->currentRowNumber(), 1);
}

void TestSprTxt::deletesClientWithoutCards() {
    addClient(db(), QStringLiteral("Алексеев"), QStringLiteral("Пётр"));
    const int client = addClient(db(), QStringLiteral("Борисов"), QStringLiteral("Иван"));
    const auto window = openList(lkClients);
    selectRow(*window->DBGridSpr, 1);

    window->N_DelClick();

    QVERIFY(m_ui->messages.isEmpty());
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM tClient WHERE ID=%1").arg(client)), 0);
    QCOMPARE(column(*window->DBGridSpr, "Family"), QStringList{"Алексеев"});
    QCOMPARE(window->DBGridSpr->currentRowNumber(), 0);
}

void TestSprTxt::neverDeletesUserOne() {
    addUser(db(), QStringLiteral("Петров"));
    const auto window = openList(lkUsers);

    window->N_DelClick();

    QCOMPARE(m_ui->questions, QStringList{kAskDelete});
    QCOMPARE(m_ui->messageTexts(), QStringList{kUserUndeletable});
    QCOMPARE(count(db(), "SELECT count(*) FROM tUserApl"), 2);
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
    QCOMPARE(window->DBGridSpr->sprModel()->rowCount(), 2);
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
    exec(db(),
         "INSERT INTO tListActionUsers (dt_action, id_user, kod_action, ActionStr) "
         "VALUES ('2024-03-05 14:07:09', 1, 0, 'Запуск программы')");
    const auto window = openList(kind);

    window->N_DelClick();

    QCOMPARE(m_ui->questions, QStringList{kAskDelete});
    QCOMPARE(m_ui->messageTexts(), QStringList{kNotImplemented});
    QCOMPARE(count(db(),
                   "SELECT (SELECT count(*) FROM tZal) + (SELECT count(*) FROM tOrg) + "
                   "(SELECT count(*) FROM tRezOrg) + (SELECT count(*) FROM tVidSport) + "
                   "(SELECT count(*) FROM tListActionUsers)"),
             5);
}

void TestSprTxt::refreshKeepsRowNumber() {
    for (const char* name : {"Бойко", "Гусев", "Жуков", "Зуев"}) {
        addUser(db(), QString::fromUtf8(name));
    }
    const auto window = openList(lkUsers);
    selectRow(*window->DBGridSpr, 3);
    exec(db(), "DELETE FROM tUserApl WHERE name='Бойко'");

    window->btnRefreshClick();

    QCOMPARE(window->DBGridSpr->currentRowNumber(), 3);
    QCOMPARE(window->DBGridSpr->currentValue("name").toString(), QStringLiteral("Зуев"));
}

void TestSprTxt::refreshGoesToLastRowOfShorterList() {
    for (const char* name : {"Бойко", "Гусев", "Жуков", "Зуев"}) {
        addUser(db(), QString::fromUtf8(name));
    }
    const auto window = openList(lkUsers);
    selectRow(*window->DBGridSpr, 4);
    exec(db(), "DELETE FROM tUserApl WHERE name IN ('Жуков', 'Зуев')");

    window->btnRefreshClick();

    QCOMPARE(window->DBGridSpr->sprModel()->rowCount(), 3);
    QCOMPARE(window->DBGridSpr->currentRowNumber(), 2);
    QCOMPARE(window->DBGridSpr->currentValue("name").toString(), QStringLiteral("Гусев"));
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
    QVERIFY(grid.sprModel()->rowCount() < 2000);

    exec(db(), "DELETE FROM tCard WHERE Num > 500");
    window->btnRefreshClick();
    QCOMPARE(grid.currentRowNumber(), 499);
    QVERIFY(window->windowTitle().endsWith(QStringLiteral("] - всего записей 500")));
}

void TestSprTxt::refreshRewritesOnlyCardCaption() {
    exec(db(), "INSERT INTO tZal (NameZal) VALUES ('Бассейн')");
    const auto halls = openList(lkZal, QStringLiteral("Залы"));
    exec(db(), "INSERT INTO tZal (NameZal) VALUES ('Тренажерный зал')");
    halls->btnRefreshClick();
    QCOMPARE(halls->windowTitle(), QStringLiteral("Справочник: Залы"));
    QCOMPARE(halls->DBGridSpr->sprModel()->rowCount(), 2);

    loadCards(1);
    const auto cards = openList(lkCards);
    addCard(db(), 2, ctClubCard, QStringLiteral("2024-03-20 10:00:00"), 1);
    cards->btnRefreshClick();
    QCOMPARE(cards->windowTitle(), kCardsName + QStringLiteral(" [01.03.2024 - 31.03.2024] - всего записей 2"));
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
    QCOMPARE(count(db(), "SELECT count(*) FROM tZal"), 1);
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
    SprGrid& grid = *window->DBGridSpr;
    const QRect firstRow = grid.visualRect(grid.sprModel()->index(0, 1));

    // A widget double-click is a click followed by the double-click event.
    const auto doubleClick = [](QWidget* target, const QPoint& at) {
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
        QTest::mouseDClick(target, Qt::LeftButton, {}, at);
    };
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, firstRow.center());
    QHeaderView* titles = grid.horizontalHeader();
    const int x = titles->sectionViewportPosition(1) + titles->sectionSize(1) / 2;
    doubleClick(titles->viewport(), QPoint(x, titles->height() / 2));
    QVERIFY(m_ui->modalClasses.isEmpty());

    doubleClick(grid.viewport(), firstRow.center());
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

void TestSprTxt::newUserThroughEditorRequeriesToFirstRow() {
    addUser(db(), QStringLiteral("Петров"));
    const auto window = openList(lkUsers);
    selectRow(*window->DBGridSpr, 1);
    m_ui->modalHandlers.push_back([](QDialog& dialog) {
        auto& editor = static_cast<TfrmEdUser&>(dialog);
        editor.leUserName->setText(QStringLiteral("Сидоров"));
        return pressButton(dialog, "btnSave");
    });

    window->btnNew->click();

    QCOMPARE(m_ui->modalClasses, QStringList{"TfrmEdUser"});
    QCOMPARE(column(*window->DBGridSpr, "name"), QStringList({"Admin", "Петров", "Сидоров"}));
    QCOMPARE(window->DBGridSpr->currentRowNumber(), 0);
}

void TestSprTxt::editUserRequeriesToSameRow() {
    addUser(db(), QStringLiteral("Петров"));
    addUser(db(), QStringLiteral("Сидоров"));
    const auto window = openList(lkUsers);
    selectRow(*window->DBGridSpr, 1);
    QString loaded;
    m_ui->modalHandlers.push_back([&loaded](QDialog& dialog) {
        auto& editor = static_cast<TfrmEdUser&>(dialog);
        loaded = editor.leUserName->text();
        editor.leInfo->setText(QStringLiteral("кассир"));
        return pressButton(dialog, "btnSave");
    });

    window->N_EditClick();

    QCOMPARE(loaded, QStringLiteral("Петров"));
    QCOMPARE(window->DBGridSpr->currentRowNumber(), 1);
    QCOMPARE(cell(*window->DBGridSpr, 1, "koment"), QStringLiteral("кассир"));
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
    const QString caption = window.windowTitle();
    m_ui->modalHandlers.push_back([this](QDialog&) {
        addCard(db(), 2, ctAbonement, QStringLiteral("2024-03-20 10:00:00"), 1);
        return int(QDialog::Accepted);
    });

    window.N_NewClick();

    QCOMPARE(window.DBGridSpr->sprModel()->rowCount(), 2);
    QCOMPARE(window.windowTitle(), caption);
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
    QCOMPARE(window->windowTitle(), kCardsName + QStringLiteral(" [01.04.2024 - 10.04.2024] - всего записей 2"));
}

void TestSprTxt::periodButtonCancelChangesNothing() {
    loadCards(1);
    const auto window = openList(lkCards);
    const QString caption = window->windowTitle();
    m_ui->modalHandlers.push_back([](QDialog& dialog) {
        static_cast<TfrmPeriod&>(dialog).dtpFirst->setDate(QDate(2024, 4, 1));
        return pressButton(dialog, "btnCancel");
    });

    window->btnPeriodClick();

    QCOMPARE(window->FPeriod.Beg, at("2024-03-01 00:00:00"));
    QCOMPARE(gPeriodCard.Beg, at("2024-03-01 00:00:00"));
    QCOMPARE(window->windowTitle(), caption);
}

QTEST_MAIN(TestSprTxt)
#include "tst_sprtxt.moc"
