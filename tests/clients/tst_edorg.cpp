#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "clients/UnitEdOrg.h"
#include "tests/support/TestSupport.h"

class TestEdOrg : public DatabaseCase {
    Q_OBJECT

  private slots:
    // A new organisation counts as changed from the start and keeps its caption; one another workstation deleted
    // is not saved.
    void savesOnlyWhenChanged_data() {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QString>("typed");      // empty: nothing typed
        QTest::addColumn<QStringList>("saved");  // empty: the organisations are deleted elsewhere before the save
        QTest::newRow("existing, renamed") << true << "ООО Лютик" << QStringList{"1|ООО Лютик|опт", "2|ЗАО Вектор|"};
        QTest::newRow("existing, deleted elsewhere") << true << "ООО Лютик" << QStringList();
        QTest::newRow("new, empty") << false << "" << QStringList{"1|ООО Ромашка|опт", "2|ЗАО Вектор|", "3||"};
        QTest::newRow("new, named") << false << "ИП Сидоров"
                                    << QStringList{"1|ООО Ромашка|опт", "2|ЗАО Вектор|", "3|ИП Сидоров|"};
    }
    void savesOnlyWhenChanged() {
        QFETCH(bool, existing);
        QFETCH(QString, typed);
        QFETCH(QStringList, saved);
        exec(db(), "INSERT INTO tOrg (Name, info) VALUES ('ООО Ромашка', 'опт'), ('ЗАО Вектор', '')");
        TfrmEdOrg dialog(db(), nullptr);
        dialog.LoadEdOrg(existing ? 1 : -1);
        QCOMPARE(dialog.btnSave->isEnabled(), !existing);
        if (!typed.isEmpty()) {
            dialog.leNameOrg->selectAll();
            dialog.leNameOrg->insert(typed);  // as a paste does
            QCOMPARE(dialog.windowTitle(),
                     existing ? QStringLiteral("Юридическое лицо *") : QStringLiteral("Юридическое лицо: НОВЫЙ"));
        }
        if (saved.isEmpty()) {
            execElsewhere(*m_db, "DELETE FROM tOrg");
            QVERIFY_THROWS_EXCEPTION(RecordGone, pressButton(dialog, "btnSave"));
            QCOMPARE(dialog.result(), 0);
        } else {
            QCOMPARE(pressButton(dialog, "btnSave"), int(QDialog::Accepted));
        }
        QCOMPARE(rows(db(), QStringLiteral("SELECT ID, Name, info FROM tOrg ORDER BY ID")), saved);
    }
};

QTEST_MAIN(TestEdOrg)
#include "tst_edorg.moc"
