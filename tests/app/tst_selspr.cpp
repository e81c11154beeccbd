#include <QHeaderView>
#include <QPushButton>
#include <QTest>

#include "app/SprGrid.h"
#include "app/UnitConst.h"
#include "app/UnitSelSpr.h"
#include "tests/support/TestSupport.h"

namespace {

void exec(Database& db, const QString& sql) {
    SqlQuery(db).exec(sql);
}

int insert(Database& db, const QString& sql) {
    SqlQuery query(db);
    query.exec(sql);
    return int(query.lastInsertId());
}

QStringList visibleTitles(const SprGrid& grid) {
    QStringList titles;
    for (int column = 0; column < grid.sprModel()->columnCount(); ++column) {
        if (!grid.isColumnHidden(column)) {
            titles << grid.sprModel()->headerData(column, Qt::Horizontal).toString();
        }
    }
    return titles;
}

// Each row's shown columns joined by "|".
QStringList shownRows(const SprGrid& grid) {
    const SprModel* model = grid.sprModel();
    QStringList result;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column) {
            if (!grid.isColumnHidden(column)) {
                cells << model->data(model->index(row, column)).toString();
            }
        }
        result << cells.join(QLatin1Char('|'));
    }
    return result;
}

void selectRow(SprGrid& grid, int row) {
    grid.setCurrentIndex(grid.sprModel()->index(row, 1));
}

}  // namespace

class TestSelSpr : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { pinRussianLocale(); }
    void init();
    void cleanup();

    void buildsTheDialog();
    void listsClientsByFamilyThenName();
    void answersClientNameJoinedByBlanks();
    void clientWithoutPatronymicEndsInBlank();
    void emptyListAnswersZero_data();
    void emptyListAnswersZero();
    void doubleClickNeedsCellClick();
    void doubleClickOnTitlesDoesNothing();
    void listsAndAnswersOrganisations();
    void listsAndAnswersSportsTypes();
    void cancelLeavesAnswer();
    void otherKindLeavesListEmpty();

  private:
    Database& db() { return m_db->db; }

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<FakeUi> m_ui;
};

void TestSelSpr::init() {
    m_db = std::make_unique<TestDatabase>();
    m_ui = std::make_unique<FakeUi>();
}

void TestSelSpr::cleanup() {
    m_ui.reset();
    m_db.reset();
}

void TestSelSpr::buildsTheDialog() {
    TfrmSelectSpr dialog(db(), nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("frmSelectSpr"));
    QCOMPARE(dialog.btnSelect->text(), QStringLiteral("Выбрать"));
    QCOMPARE(dialog.btnCancel->text(), QStringLiteral("Отменить"));
    QCOMPARE(dialog.FSelect.ID, 0);
    QVERIFY(dialog.FSelect.Name.isEmpty());
    QCOMPARE(dialog.DBGridSpr->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(dialog.DBGridSpr->selectionBehavior(), QAbstractItemView::SelectRows);
}

void TestSelSpr::listsClientsByFamilyThenName() {
    exec(db(),
         "INSERT INTO tClient (Family, Name, Otchestvo) VALUES ('Петров', 'Иван', 'Ильич'), "
         "('Иванов', 'Сергей', 'Олегович'), ('иванов', 'Алексей', 'Петрович')");
    TfrmSelectSpr dialog(db(), nullptr);
    dialog.LoadSpr(lkClients);

    QCOMPARE(dialog.FTypeSpr, int(lkClients));
    QCOMPARE(visibleTitles(*dialog.DBGridSpr), QStringList({"Фамилия", "Имя", "Отчество"}));
    QVERIFY(dialog.DBGridSpr->isColumnHidden(dialog.DBGridSpr->sprModel()->fieldColumn("ID")));
    QCOMPARE(shownRows(*dialog.DBGridSpr),
             QStringList({"иванов|Алексей|Петрович", "Иванов|Сергей|Олегович", "Петров|Иван|Ильич"}));
    const int charWidth = dialog.DBGridSpr->fontMetrics().averageCharWidth();
    QCOMPARE(dialog.DBGridSpr->columnWidth(dialog.DBGridSpr->sprModel()->fieldColumn("Family")), 40 * charWidth);
    QCOMPARE(dialog.DBGridSpr->currentRowNumber(), 0);
}

void TestSelSpr::answersClientNameJoinedByBlanks() {
    exec(db(), "INSERT INTO tClient (Family, Name, Otchestvo) VALUES ('Петров', 'Иван', 'Ильич')");
    const int id = insert(db(), "INSERT INTO tClient (Family, Name, Otchestvo) VALUES ('Яковлев', 'Олег', 'Юрьевич')");
    TfrmSelectSpr dialog(db(), nullptr);
    dialog.LoadSpr(lkClients);
    selectRow(*dialog.DBGridSpr, 1);

    QCOMPARE(pressButton(dialog, "btnSelect"), int(QDialog::Accepted));
    QCOMPARE(dialog.FSelect.ID, id);
    QCOMPARE(dialog.FSelect.Name, QStringLiteral("Яковлев Олег Юрьевич"));
}

void TestSelSpr::clientWithoutPatronymicEndsInBlank() {
    exec(db(), "INSERT INTO tClient (Family, Name, Otchestvo) VALUES ('Смит', 'Джон', NULL)");
    TfrmSelectSpr dialog(db(), nullptr);
    dialog.LoadSpr(lkClients);

    QCOMPARE(pressButton(dialog, "btnSelect"), int(QDialog::Accepted));
    QCOMPARE(dialog.FSelect.Name, QStringLiteral("Смит Джон "));
}

void TestSelSpr::emptyListAnswersZero_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::newRow("clients") << int(lkClients) << "  ";
    QTest::newRow("organisations") << int(lkOrgs) << "";
    QTest::newRow("sports types") << int(lkVidSport) << "";
}

void TestSelSpr::emptyListAnswersZero() {
    QFETCH(int, kind);
    QFETCH(QString, name);
    TfrmSelectSpr dialog(db(), nullptr);
    dialog.LoadSpr(kind);
    dialog.FSelect = {5, QStringLiteral("прежний")};

    QCOMPARE(pressButton(dialog, "btnSelect"), int(QDialog::Accepted));
    QCOMPARE(dialog.FSelect.ID, 0);
    QCOMPARE(dialog.FSelect.Name, name);
}

void TestSelSpr::doubleClickNeedsCellClick() {
    const int id = insert(db(), "INSERT INTO tVidSport (NameVidSp) VALUES ('Плавание')");
    TfrmSelectSpr dialog(db(), nullptr);
    dialog.LoadSpr(lkVidSport);

    dialog.setResult(0);
    dialog.DBGridSprDblClick();
    QCOMPARE(dialog.result(), 0);
    QCOMPARE(dialog.FSelect.ID, 0);

    dialog.DBGridSprCellClick();
    dialog.DBGridSprDblClick();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.FSelect.ID, id);
    QCOMPARE(dialog.FSelect.Name, QStringLiteral("Плавание"));
}

void TestSelSpr::doubleClickOnTitlesDoesNothing() {
    const int id = insert(db(), "INSERT INTO tOrg (Name, info) VALUES ('ООО Ромашка', 'склад')");
    TfrmSelectSpr dialog(db(), nullptr);
    dialog.LoadSpr(lkOrgs);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    SprGrid& grid = *dialog.DBGridSpr;
    const QPoint firstRow = grid.visualRect(grid.sprModel()->index(0, 1)).center();
    QHeaderView* titles = grid.horizontalHeader();
    const QPoint title(titles->sectionViewportPosition(1) + titles->sectionSize(1) / 2, titles->height() / 2);

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, firstRow);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, title);
    QTest::mouseDClick(titles->viewport(), Qt::LeftButton, {}, title);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.FSelect.ID, 0);

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, firstRow);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, firstRow);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.FSelect.ID, id);
    QCOMPARE(dialog.FSelect.Name, QStringLiteral("ООО Ромашка"));
}

void TestSelSpr::listsAndAnswersOrganisations() {
    exec(db(), "INSERT INTO tOrg (Name, info) VALUES ('ЗАО Вектор', 'Москва')");
    const int id = insert(db(), "INSERT INTO tOrg (Name, info) VALUES ('АО Альфа', 'Тверь')");
    TfrmSelectSpr dialog(db(), nullptr);
    dialog.LoadSpr(lkOrgs);

    QCOMPARE(visibleTitles(*dialog.DBGridSpr), QStringList({"Наименование организации", "Доп.инфо"}));
    QCOMPARE(shownRows(*dialog.DBGridSpr), QStringList({"АО Альфа|Тверь", "ЗАО Вектор|Москва"}));
    QCOMPARE(pressButton(dialog, "btnSelect"), int(QDialog::Accepted));
    QCOMPARE(dialog.FSelect.ID, id);
    QCOMPARE(dialog.FSelect.Name, QStringLiteral("АО Альфа"));
}

void TestSelSpr::listsAndAnswersSportsTypes() {
    exec(db(), "INSERT INTO tVidSport (NameVidSp, info) VALUES ('Плавание', 'бассейн')");
    const int id = insert(db(), "INSERT INTO tVidSport (NameVidSp, info) VALUES ('Аквааэробика', 'группа')");
    TfrmSelectSpr dialog(db(), nullptr);
    dialog.LoadSpr(lkVidSport);

    QCOMPARE(visibleTitles(*dialog.DBGridSpr), QStringList({"Наименование вида спорта", "Доп.инфо"}));
    QCOMPARE(shownRows(*dialog.DBGridSpr), QStringList({"Аквааэробика|группа", "Плавание|бассейн"}));
    const int charWidth = dialog.DBGridSpr->fontMetrics().averageCharWidth();
    QCOMPARE(dialog.DBGridSpr->columnWidth(dialog.DBGridSpr->sprModel()->fieldColumn("NameVidSp")), 70 * charWidth);
    QCOMPARE(pressButton(dialog, "btnSelect"), int(QDialog::Accepted));
    QCOMPARE(dialog.FSelect.ID, id);
    QCOMPARE(dialog.FSelect.Name, QStringLiteral("Аквааэробика"));
}

void TestSelSpr::cancelLeavesAnswer() {
    exec(db(), "INSERT INTO tVidSport (NameVidSp) VALUES ('Плавание')");
    TfrmSelectSpr dialog(db(), nullptr);
    dialog.LoadSpr(lkVidSport);

    QCOMPARE(pressButton(dialog, "btnCancel"), int(QDialog::Rejected));
    QCOMPARE(dialog.FSelect.ID, 0);
    QVERIFY(dialog.FSelect.Name.isEmpty());
}

void TestSelSpr::otherKindLeavesListEmpty() {
    exec(db(), "INSERT INTO tZal (NameZal) VALUES ('Бассейн')");
    TfrmSelectSpr dialog(db(), nullptr);
    dialog.LoadSpr(lkZal);
    QCOMPARE(dialog.FTypeSpr, int(lkZal));
    QCOMPARE(dialog.DBGridSpr->sprModel()->rowCount(), 0);
    QCOMPARE(dialog.DBGridSpr->sprModel()->columnCount(), 0);
}

QTEST_MAIN(TestSelSpr)
#include "tst_selspr.moc"
