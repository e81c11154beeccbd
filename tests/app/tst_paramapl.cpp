#include <QTableWidget>
#include <QTest>

#include "app/UnitHeard.h"
#include "app/UnitParamApl.h"
#include "common/UnitConst.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kStartPath = QStringLiteral("/srv/velorma/Base/");
const QString kStoredRows = QStringLiteral("SELECT ParKod, snachInt, snachStr FROM tParApl ORDER BY ParKod");

QString valueAt(TfrmParAlp& dialog, int row) {
    return dialog.VLE_ParApl->item(row - 1, 1)->text();
}

void setValueAt(TfrmParAlp& dialog, int row, const QString& text) {
    dialog.VLE_ParApl->item(row - 1, 1)->setText(text);
}

}  // namespace

class TestParamApl : public MainWindowCase {
    Q_OBJECT

  private slots:
    void init() {
        startWithMain();
        exec(db(), QStringLiteral("DELETE FROM tParApl"));  // a database from before they were shipped
        gPathBase = kStartPath;
        gQueryClose = true;
    }
    // Codes never stored show empty or 0 and are all stored by a save; then numbers show in their shortest form
    // and a text keeps its equals signs.
    void savesNeverStoredCodesThenShowsWhatIsStored() {
        {
            TfrmParAlp dialog(*m_main, nullptr);
            QCOMPARE(QStringList({valueAt(dialog, 1), valueAt(dialog, 4)}), QStringList({"", "0"}));
            QCOMPARE(pressButton(dialog, "btnSave"), int(QDialog::Accepted));
        }
        QCOMPARE(rows(m_db->db, kStoredRows),
                 QStringList({"51|0|", "53|0|", "101||", "102||", "103||", "104||", "105||", "106||"}));
        QCOMPARE(scalar(m_db->db, "SELECT count(*) FROM tParApl WHERE typeof(snachInt)<>'real' AND ParKod<101").toInt(),
                 0);
        QCOMPARE(gPathBase, kStartPath);
        QVERIFY(gQueryClose);
        m_main->SetParApl(pcUseInsurance, 1);
        m_main->SetParApl(pcUseCardText, 2.5);
        m_main->SetParApl(pcOrgName, QStringLiteral("ООО «Вело»"));
        TfrmParAlp dialog(*m_main, nullptr);
        QCOMPARE(QStringList({valueAt(dialog, 1), valueAt(dialog, 4), valueAt(dialog, 5), valueAt(dialog, 8)}),
                 QStringList({"ООО «Вело»", "1", "1", "2,5"}));
        const QString text = QStringLiteral("Директор = И.И. Иванов; \"a=b\"");
        setValueAt(dialog, 2, text);
        pressButton(dialog, "btnSave");
        QCOMPARE(m_main->GetParApl(pcDirector).toString(), text);
    }
    void badNumberSavesNothingAndStaysOpen_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::newRow("insurance fraction") << 4 << "1,5";
        QTest::newRow("card text word") << 8 << "да";
    }
    void badNumberSavesNothingAndStaysOpen() {
        QFETCH(int, row);
        QFETCH(QString, typed);
        TfrmParAlp dialog(*m_main, nullptr);
        setValueAt(dialog, 3, QStringLiteral("/data/base/"));
        setValueAt(dialog, 5, QStringLiteral("0"));
        setValueAt(dialog, row, typed);
        try {
            pressButton(dialog, "btnSave");
            QFAIL("saved");
        } catch (const DbError& e) {
            QCOMPARE(e.message(), QStringLiteral("В строке «%1» укажите 1 (да) или 0 (нет).")
                                      .arg(dialog.VLE_ParApl->item(row - 1, 0)->text()));
        }
        QCOMPARE(dialog.result(), 0);
        QCOMPARE(rows(m_db->db, kStoredRows), QStringList());
        QCOMPARE(gPathBase, kStartPath);
        QVERIFY(gQueryClose);
    }
    void takesFlagAndPath_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("held");  // gQueryClose as 0/1, or gPathBase
        const auto row = [](const char* name, int row, const char* typed, const char* held) {
            QTest::newRow(name) << row << QString::fromUtf8(typed) << QString::fromUtf8(held);
        };
        row("flag: word", 5, "нет", "0");
        row("flag: one with space", 5, " 1", "0");
        row("flag: one", 5, "1", "1");
        row("path without separator", 3, "/data/base", "/data/base/");
        row("path with separator", 3, "/data/base/", "/data/base/");
        row("empty path", 3, "", "");
    }
    void takesFlagAndPath() {
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(QString, held);
        gQueryClose = held != QLatin1String("1");  // each row changes the flag
        TfrmParAlp dialog(*m_main, nullptr);
        setValueAt(dialog, row, typed);
        pressButton(dialog, "btnSave");
        QCOMPARE(row == 5 ? QString::number(int(gQueryClose)) : gPathBase, held);
        QVERIFY(m_ui->messages.isEmpty());
    }
};

QTEST_MAIN(TestParamApl)
#include "tst_paramapl.moc"
