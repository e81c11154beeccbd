#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "app/UnitHeard.h"
#include "common/UnitConst.h"
#include "common/UnitSelSpr.h"
#include "reports/UnitRepCard.h"
#include "reports/UnitRepRGS.h"
#include "tests/support/TestSupport.h"

namespace {

// A card of 1500 issued, opened and closing at that time of today (of yesterday when a day back), with its
// insurance fee and sum.
void addIssuedCard(Database& db, int num, int type, int client, int org, const char* time, int fee, int summ,
                   int daysBack = 0) {
    const QByteArray issued = QDate::currentDate().addDays(-daysBack).toString(Qt::ISODate).toLatin1() + ' ' + time;
    exec(db, QString::asprintf("INSERT INTO tCard (Num, TypeCard, ID_Client, ID_Org, DateRec, DateOpen, DateClose, "
                               "SumCard, StrahVosn, StrahSumm) VALUES (%d, %d, %d, %d, '%s', '%s', '%s', 1500, %d, %d)",
                               num, type, client, org, issued.data(), issued.data(), issued.data(), fee, summ));
}

// One cell of each table row of an RTF list (the lines with that many cells), without the heading row.
QStringList rtfColumn(const QStringList& lines, int cells, int cell) {
    QStringList result;
    for (const QString& line : lines) {
        if (line.count(QLatin1Char('|')) == cells - 1) {
            result << line.section(QLatin1Char('|'), cell, cell);
        }
    }
    return result.mid(1);
}

}  // namespace

class TestListReports : public MainWindowCase {
    Q_OBJECT

  private slots:
    void init() {
        startWithMain();
        useShippedReports(*m_db);
        exec(db(), "UPDATE tParApl SET snachStr='Бассейн «Волна»' WHERE ParKod=101");
        m_alekseev = addClient(db(), QStringLiteral("Алексеев"), QStringLiteral("Андрей"), QStringLiteral("Ильич"));
        m_borisov = addClient(db(), QStringLiteral("Борисов"), QStringLiteral("Борис"));
        m_org = insert(db(), QStringLiteral("INSERT INTO tOrg (Name) VALUES ('Ромашка')"));
        addIssuedCard(db(), 101, 0, m_borisov, 0, "10:00:00", 300, 100000);
        addIssuedCard(db(), 102, 1, m_alekseev, m_org, "09:00:00", 300, 0);
        addIssuedCard(db(), 103, 0, m_alekseev, 0, "23:59:30", 200, 50000);
        addIssuedCard(db(), 104, 1, m_borisov, m_org, "23:59:59", 300, 100000, 1);
        addIssuedCard(db(), 105, 0, 999, 0, "12:00:00", 300, 100000);
        addIssuedCard(db(), 106, 1, m_alekseev, m_org, "11:00:00", 100, 20000);
    }
    // The heading says the filters, and the totals follow them.
    void cardDialogFiltersByTypeAndOwner_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("owner");
        QTest::addColumn<bool>("chosen");  // Алексеев or Ромашка chosen
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QString>("filters");
        QTest::newRow("all") << 0 << 0 << false << QStringList{"102", "101", "106", "103"} << "";
        QTest::newRow("subscriptions") << 1 << 0 << false << QStringList{"101", "103"} << "";
        QTest::newRow("club cards") << 2 << 0 << false << QStringList{"102", "106"} << "";
        QTest::newRow("private") << 0 << 1 << false << QStringList{"101", "103"} << "Владелец:  Физ.лицо";
        QTest::newRow("one client") << 0 << 1 << true << QStringList{"102", "106", "103"}
                                    << "Владелец:  Физ.лицо, Алексеев Андрей Ильич";
        QTest::newRow("organisations") << 0 << 2 << false << QStringList{"102", "106"} << "Владелец:  Организация";
        QTest::newRow("one org, club") << 2 << 2 << true << QStringList{"102", "106"}
                                       << "Владелец:  Организация, Ромашка";
    }
    void cardDialogFiltersByTypeAndOwner() {
        QFETCH(int, type);
        QFETCH(int, owner);
        QFETCH(bool, chosen);
        QFETCH(QStringList, numbers);
        TfrmRepCard dialog(m_main->ADOConnect, nullptr);
        dialog.cbTypeCard->setCurrentIndex(type);
        dialog.cbOwnerType->setCurrentIndex(owner);
        if (chosen) {
            const int id = owner == 1 ? m_alekseev : m_org;
            const QString name = owner == 1 ? QStringLiteral("Алексеев Андрей Ильич") : QStringLiteral("Ромашка");
            int kind = 0;
            m_ui->modalHandlers.push_back([id, name, &kind](QDialog& shown) {
                auto& selector = static_cast<TfrmSelectSpr&>(shown);
                kind = selector.FTypeSpr;
                selector.FSelect = {id, name};
                return int(QDialog::Accepted);
            });
            dialog.btnSelSklad->click();
            QCOMPARE(kind, owner == 1 ? int(lkClients) : int(lkOrgs));
        }
        const QString day = QLocale().toString(QDate::currentDate(), QStringLiteral("dd.MM.yyyy"));
        const QStringList lines = produce(dialog.btnRepTXT, QStringLiteral("RTF"));
        QCOMPARE(rtfColumn(lines, 7, 1), numbers);
        QCOMPARE(lines.mid(0, 4), (QStringList{"Бассейн «Волна»", "ВЫДАННЫЕ КАРТЫ", "Период:  " + day + "-" + day,
                                               "Тип карты: " + dialog.cbTypeCard->currentText()}));
        QTEST(lines.at(4).startsWith(QStringLiteral("Владелец")) ? lines.at(4) : QString(), "filters");
        QCOMPARE(lines.contains(day + "|102|КК|Алексеев Андрей Ильич|" + day + "|" + day + "|1500,00"),
                 numbers.contains("102"));
        // Every card costs 1500.
        QVERIFY(lines.contains(QStringLiteral("Всего выдано карт: %1").arg(numbers.size())));
        QVERIFY(lines.contains(QStringLiteral("На сумму: %1,00").arg(numbers.size() * 1500)));
        QVERIFY(lines.contains(QStringLiteral("Отчет составил: Кассир Петрова")));
    }

    void ownerChoiceIsDroppedWithTheOwnerType() {
        TfrmRepCard dialog(m_main->ADOConnect, nullptr);
        dialog.cbOwnerType->setCurrentIndex(2);
        dialog.OwnerCardTag = m_org;
        dialog.OwnerCard->setText(QStringLiteral("Ромашка"));
        dialog.btdDelSklad->click();
        QCOMPARE(dialog.OwnerCardTag, 0);
        QCOMPARE(dialog.OwnerCard->text(), QStringLiteral("По всем"));
        dialog.OwnerCardTag = m_org;
        dialog.cbOwnerType->setCurrentIndex(1);
        QCOMPARE(dialog.OwnerCardTag, 0);
    }

    // Only cards with both a fee and a sum, by name; the bounds of the period both count; an empty list
    // keeps its header and total.
    void insuredListKeepsItsRule() {
        TfrmRepRGS dialog(m_main->ADOConnect, nullptr);
        QStringList lines = produce(dialog.btnRepTXT, QStringLiteral("RTF"));
        QCOMPARE(lines.first(), QStringLiteral("Бассейн «Волна»"));
        QCOMPARE(rtfColumn(lines, 8, 0), (QStringList{"106", "103", "101"}));
        QCOMPARE(rtfColumn(lines, 8, 2),
                 (QStringList{"Алексеев Андрей Ильич", "Алексеев Андрей Ильич", "Борисов Борис "}));
        dialog.dtBegin->setDate(QDate::currentDate().addDays(-1));
        dialog.dtEnd->setDate(QDate::currentDate().addDays(-1));
        lines = produce(dialog.btnRepTXT, QStringLiteral("RTF"));
        QCOMPARE(rtfColumn(lines, 8, 0), QStringList{"104"});
        QCOMPARE(m_ui->reportOutputFormats.last(), (QStringList{"PDF", "RTF"}));
        dialog.dtEnd->setDate(QDate(2000, 1, 1));
        lines = produce(dialog.btnRepTXT, QStringLiteral("RTF"));
        QVERIFY(lines.contains(
            "№ карты|Дата выдачи|Фамилия, имя, отчество|Дата рождения|Адрес|Профессия|Взнос|Страх. сумма"));
        QVERIFY(lines.contains(QStringLiteral("Взносов: 0,00")));
    }

    // A complex without a name set gets no stray separator before the report's name.
    void footerNamesTheComplexWhenItHasAName() {
        TfrmRepCard dialog(m_main->ADOConnect, nullptr);
        QVERIFY(pdfText(produceFile(dialog.btnRepTXT, "PDF")).contains("Бассейн «Волна» · ВЫДАННЫЕ КАРТЫ"));
        m_main->SetParApl(pcOrgName, QString());
        const QString text = pdfText(produceFile(dialog.btnRepTXT, "PDF"));
        QVERIFY(text.contains("ВЫДАННЫЕ КАРТЫ") && !text.contains("·"));
    }

    void menuOpensBothDialogs() {
        m_main->N_Rep_CardClick();
        m_main->N_Rep_RGSClick();
        QCOMPARE(m_ui->modalClasses, (QStringList{"TfrmRepCard", "TfrmRepRGS"}));
    }

  private:
    QString produceFile(QPushButton* button, const QString& format) {
        const QString path = m_db->folder() + QStringLiteral("list.") + format.toLower();
        QFile::remove(path);
        m_ui->reportOutputs.push_back({ReportOutput::Kind::File, format, path});
        button->click();
        return path;
    }
    QStringList produce(QPushButton* button, const QString& format) { return rtfLines(produceFile(button, format)); }

    int m_alekseev = 0;
    int m_borisov = 0;
    int m_org = 0;
};

QTEST_MAIN(TestListReports)
#include "tst_listreports.moc"
