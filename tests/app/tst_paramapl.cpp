#include <QTableWidget>

#include "app/UnitHeard.h"
#include "app/UnitParamApl.h"
#include "common/UnitConst.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kStartPath = "/srv/velorma/Base/";
const QString kStoredRows = "SELECT ParKod, snachInt, snachStr FROM tParApl ORDER BY ParKod";

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
        exec(db(), "DELETE FROM tParApl");  // a database from before they were shipped
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
        m_main->SetParApl(pcOrgName, "ООО «Вело»");
        TfrmParAlp dialog(*m_main, nullptr);
        QCOMPARE(QStringList({valueAt(dialog, 1), valueAt(dialog, 4), valueAt(dialog, 5), valueAt(dialog, 8)}),
                 QStringList({"ООО «Вело»", "1", "1", "2,5"}));
        const QString text = "Директор = И.И. Иванов; \"a=b\"";
        setValueAt(dialog, 2, text);
        pressButton(dialog, "btnSave");
        QCOMPARE(m_main->GetParApl(pcDirector).toString(), text);
    }
    // A yes/no row that holds no number refuses the whole save: no row, no setting, the dialog stays open.
    void takesFlagAndPathOrRefusesAll_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("held");  // gQueryClose as 0/1 | gPathBase
        const auto row = [](const char* name, int row, const char* typed, const QString& held) {
            QTest::newRow(name) << row << QString::fromUtf8(typed) << held;
        };
        row("flag: word", 5, "нет", "0|/srv/other/");
        row("flag: one with space", 5, " 1", "0|/srv/other/");
        row("flag: one", 5, "1", "1|/srv/other/");
        row("path without separator", 3, "/data/base", "0|/data/base/");
        row("path with separator", 3, "/data/base/", "0|/data/base/");
        row("empty path", 3, "", "0|");
        row("insurance fraction", 4, "1,5", "1|" + kStartPath);
        row("card text word", 8, "да", "1|" + kStartPath);
    }
    void takesFlagAndPathOrRefusesAll() {
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(QString, held);
        const bool refused = held.endsWith(kStartPath);
        TfrmParAlp dialog(*m_main, nullptr);
        setValueAt(dialog, 3, "/srv/other/");
        setValueAt(dialog, 5, "0");
        setValueAt(dialog, row, typed);
        QString refusal;
        try {
            pressButton(dialog, "btnSave");
        } catch (const DbError& e) {
            refusal = e.message();
        }
        const QString caption = dialog.VLE_ParApl->item(row - 1, 0)->text();
        QCOMPARE(refusal, refused ? QString("В строке «%1» укажите 1 (да) или 0 (нет).").arg(caption) : QString());
        QCOMPARE(dialog.result(), refused ? 0 : int(QDialog::Accepted));
        QCOMPARE(rows(m_db->db, kStoredRows).isEmpty(), refused);
        QCOMPARE(QString("%1|%2").arg(int(gQueryClose)).arg(gPathBase), held);
        QVERIFY(m_ui->messages.isEmpty());
    }
};

QTEST_MAIN(TestParamApl)
#include "tst_paramapl.moc"
