#include <QTest>

#include "common/SprGrid.h"
#include "common/UnitConst.h"
#include "common/UnitSelSpr.h"
#include "common/unitPeriod.h"
#include "tests/support/TestSupport.h"

class TestSelSpr : public DatabaseCase {
    Q_OBJECT

  private slots:
    // The last row is chosen; an empty list answers ID 0 with the blanks between empty names.
    void listsAndAnswersEachKind_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("values");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("answer");
        QTest::newRow("clients by family then name; no patronymic ends in a blank")
            << int(lkClients)
            << "INSERT INTO tClient (Family, Name, Otchestvo) VALUES ('Петров', 'Иван', 'Ильич'), "
               "('Яковлев', 'Олег', NULL), ('иванов', 'Алексей', 'Петрович'), ('Иванов', 'Сергей', 'Олегович')"
            << QStringList{"иванов|Алексей|Петрович", "Иванов|Сергей|Олегович", "Петров|Иван|Ильич", "Яковлев|Олег|"}
            << "Яковлев Олег ";
        QTest::newRow("organisations")
            << int(lkOrgs) << "INSERT INTO tOrg (Name, info) VALUES ('ЗАО Вектор', 'Москва'), ('АО Альфа', 'Тверь')"
            << QStringList{"АО Альфа|Тверь", "ЗАО Вектор|Москва"} << "ЗАО Вектор";
        QTest::newRow("sports types")
            << int(lkVidSport)
            << "INSERT INTO tVidSport (NameVidSp, info) VALUES ('Плавание', 'бассейн'), ('Аквааэробика', 'группа')"
            << QStringList{"Аквааэробика|группа", "Плавание|бассейн"} << "Плавание";
        QTest::newRow("no clients, only an organisation")
            << int(lkClients) << "INSERT INTO tOrg (Name) VALUES ('ЗАО Вектор')" << QStringList() << "  ";
        QTest::newRow("no organisations, only a client")
            << int(lkOrgs) << "INSERT INTO tClient (Family) VALUES ('Петров')" << QStringList() << "";
    }
    void listsAndAnswersEachKind() {
        QFETCH(int, kind);
        QFETCH(QString, values);
        QFETCH(QStringList, shown);
        exec(db(), values);
        TfrmSelectSpr dialog(db(), nullptr);
        dialog.LoadSpr(kind);
        dialog.FSelect = {5, QStringLiteral("прежний")};
        SprGrid& grid = *dialog.DBGridSpr;
        QCOMPARE(shownRows(grid), shown);
        selectRow(grid, int(shown.size()) - 1);
        const int id = grid.currentValue(QStringLiteral("ID")).toInt();
        QCOMPARE(id > 0, !shown.isEmpty());
        QCOMPARE(pressButton(dialog, "btnSelect"), int(QDialog::Accepted));
        QCOMPARE(dialog.FSelect.ID, id);
        QTEST(dialog.FSelect.Name, "answer");
    }
    // A title double-click uses up the cell click before it; only a row's double-click chooses.
    void doubleClickNeedsCellClick() {
        const int id = insert(db(), "INSERT INTO tOrg (Name, info) VALUES ('ООО Ромашка', 'склад')");
        TfrmSelectSpr dialog(db(), nullptr);
        dialog.LoadSpr(lkOrgs);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.DBGridSprDblClick();
        doubleClickTitleAfterCellClick(*dialog.DBGridSpr);
        dialog.DBGridSprDblClick();
        QVERIFY(dialog.isVisible());
        doubleClickFirstRow(*dialog.DBGridSpr);
        QCOMPARE(QList<int>({dialog.result(), dialog.FSelect.ID}), QList<int>({QDialog::Accepted, id}));
    }

    // The period dialog answers whole days, whatever the times of day, even for an end before the begin.
    void periodDialogAnswersWholeDays() {
        TfrmPeriod dialog(nullptr);
        dialog.SetPeriod({at("2024-05-10 08:30:00"), at("2024-05-01 10:15:00")});
        QCOMPARE(pressButton(dialog, "btnOk"), int(QDialog::Accepted));
        QCOMPARE(dialog.FPeriod.Beg, at("2024-05-10 00:00:00"));
        QCOMPARE(dialog.FPeriod.End, at("2024-05-01 23:59:59"));
    }
};

QTEST_MAIN(TestSelSpr)
#include "tst_selspr.moc"
