#include <QHeaderView>
#include <QPushButton>
#include <QTest>

#include "common/SprGrid.h"
#include "common/UnitConst.h"
#include "common/UnitSelSpr.h"
#include "tests/support/TestSupport.h"

class TestSelSpr : public DatabaseCase {
    Q_OBJECT

  private slots:
    void listsAndAnswersEachKind_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("values");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("answer");  // the name the last row answers
        QTest::newRow("clients by family then name")
            << int(lkClients)
            << "INSERT INTO tClient (Family, Name, Otchestvo) VALUES ('Петров', 'Иван', 'Ильич'), "
               "('Яковлев', 'Олег', 'Юрьевич'), ('иванов', 'Алексей', 'Петрович'), ('Иванов', 'Сергей', 'Олегович')"
            << QStringList{"иванов|Алексей|Петрович", "Иванов|Сергей|Олегович", "Петров|Иван|Ильич",
                           "Яковлев|Олег|Юрьевич"}
            << "Яковлев Олег Юрьевич";
        QTest::newRow("organisations")
            << int(lkOrgs) << "INSERT INTO tOrg (Name, info) VALUES ('ЗАО Вектор', 'Москва'), ('АО Альфа', 'Тверь')"
            << QStringList{"АО Альфа|Тверь", "ЗАО Вектор|Москва"} << "ЗАО Вектор";
        QTest::newRow("sports types")
            << int(lkVidSport)
            << "INSERT INTO tVidSport (NameVidSp, info) VALUES ('Плавание', 'бассейн'), ('Аквааэробика', 'группа')"
            << QStringList{"Аквааэробика|группа", "Плавание|бассейн"} << "Плавание";
    }
    void listsAndAnswersEachKind() {
        QFETCH(int, kind);
        QFETCH(QString, values);
        QFETCH(QStringList, shown);
        QFETCH(QString, answer);
        exec(db(), values);
        TfrmSelectSpr dialog(db(), nullptr);
        dialog.LoadSpr(kind);
        SprGrid& grid = *dialog.DBGridSpr;
        QCOMPARE(shownRows(grid), shown);
        selectRow(grid, int(shown.size()) - 1);
        const int id = grid.currentValue(QStringLiteral("ID")).toInt();
        QVERIFY(id > 0);
        QCOMPARE(pressButton(dialog, "btnSelect"), int(QDialog::Accepted));
        QCOMPARE(dialog.FSelect.ID, id);
        QCOMPARE(dialog.FSelect.Name, answer);
    }
    void clientWithoutPatronymicEndsInBlank() {
        exec(db(), "INSERT INTO tClient (Family, Name, Otchestvo) VALUES ('Смит', 'Джон', NULL)");
        TfrmSelectSpr dialog(db(), nullptr);
        dialog.LoadSpr(lkClients);
        QCOMPARE(pressButton(dialog, "btnSelect"), int(QDialog::Accepted));
        QCOMPARE(dialog.FSelect.Name, QStringLiteral("Смит Джон "));
    }
    void emptyListAnswersZero_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::newRow("clients") << int(lkClients) << "  ";
        QTest::newRow("organisations") << int(lkOrgs) << "";
    }
    void emptyListAnswersZero() {
        QFETCH(int, kind);
        QFETCH(QString, name);
        TfrmSelectSpr dialog(db(), nullptr);
        dialog.LoadSpr(kind);
        dialog.FSelect = {5, QStringLiteral("прежний")};
        QCOMPARE(pressButton(dialog, "btnSelect"), int(QDialog::Accepted));
        QCOMPARE(dialog.FSelect.ID, 0);
        QCOMPARE(dialog.FSelect.Name, name);
    }
    void doubleClickNeedsCellClick() {
        const int id = insert(db(), "INSERT INTO tOrg (Name, info) VALUES ('ООО Ромашка', 'склад')");
        TfrmSelectSpr dialog(db(), nullptr);
        dialog.LoadSpr(lkOrgs);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.DBGridSprDblClick();
        doubleClickTitleAfterCellClick(*dialog.DBGridSpr);
        dialog.DBGridSprDblClick();  // the title double-click used up the cell click
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.FSelect.ID, 0);
        doubleClickFirstRow(*dialog.DBGridSpr);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.FSelect.ID, id);
        QCOMPARE(dialog.FSelect.Name, QStringLiteral("ООО Ромашка"));
    }
    void otherKindLeavesListEmpty() {
        exec(db(), "INSERT INTO tZal (NameZal) VALUES ('Бассейн')");
        TfrmSelectSpr dialog(db(), nullptr);
        dialog.LoadSpr(lkZal);
        QCOMPARE(dialog.DBGridSpr->rowCount(), 0);
        QCOMPARE(visibleTitles(*dialog.DBGridSpr), QStringList());
    }
};

QTEST_MAIN(TestSelSpr)
#include "tst_selspr.moc"
