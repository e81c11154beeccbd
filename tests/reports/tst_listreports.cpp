#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <algorithm>

#include "app/UnitHeard.h"
#include "common/UnitConst.h"
#include "common/UnitSelSpr.h"
#include "platform/ReportEngine.h"
#include "platform/RtfWriter.h"
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

// Whether every cell of that row ("|" between cells) is written bold in the RTF file.
bool boldCells(const QString& path, const QString& row) {
    const QByteArray rtf = fileBytes(path);
    const QStringList cells = row.split(QLatin1Char('|'));
    return std::all_of(cells.cbegin(), cells.cend(), [&rtf](const QString& cell) {
        return rtf.contains("\\b " + RtfWriter::escaped(cell) + "\\cell");
    });
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
        const int borisov = addClient(db(), QStringLiteral("Борисов"), QStringLiteral("Борис"));
        m_org = insert(db(), QStringLiteral("INSERT INTO tOrg (Name) VALUES ('Ромашка')"));
        addIssuedCard(db(), 101, 0, borisov, 0, "10:00:00", 300, 100000);
        addIssuedCard(db(), 102, 1, m_alekseev, m_org, "09:00:00", 300, 0);
        addIssuedCard(db(), 103, 0, m_alekseev, 0, "23:59:30", 200, 50000);
        addIssuedCard(db(), 104, 1, borisov, m_org, "23:59:59", 300, 100000, 1);
        addIssuedCard(db(), 105, 0, 999, 0, "12:00:00", 300, 100000);
        addIssuedCard(db(), 106, 1, m_alekseev, m_org, "11:00:00", 100, 20000);
    }
    // The heading says the filters, and the totals follow them.
    void cardDialogFiltersByTypeAndOwner_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("owner");
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QString>("filters");  // after a comma the owner chosen: Алексеев or Ромашка
        QTest::newRow("all") << 0 << 0 << QStringList{"102", "101", "106", "103"} << "";
        QTest::newRow("subscriptions") << 1 << 0 << QStringList{"101", "103"} << "";
        QTest::newRow("club cards") << 2 << 0 << QStringList{"102", "106"} << "";
        QTest::newRow("private") << 0 << 1 << QStringList{"101", "103"} << "Владелец:  Физ.лицо";
        QTest::newRow("one client") << 0 << 1 << QStringList{"102", "106", "103"}
                                    << "Владелец:  Физ.лицо, Алексеев Андрей Ильич";
        QTest::newRow("organisations") << 0 << 2 << QStringList{"102", "106"} << "Владелец:  Организация";
        QTest::newRow("one org, club") << 2 << 2 << QStringList{"102", "106"} << "Владелец:  Организация, Ромашка";
    }
    void cardDialogFiltersByTypeAndOwner() {
        QFETCH(int, type);
        QFETCH(int, owner);
        QFETCH(QStringList, numbers);
        QFETCH(QString, filters);
        TfrmRepCard dialog(m_main->ADOConnect, nullptr);
        dialog.cbTypeCard->setCurrentIndex(type);
        dialog.cbOwnerType->setCurrentIndex(owner);
        if (const QString name = filters.section(QStringLiteral(", "), 1); !name.isEmpty()) {
            const int id = owner == 1 ? m_alekseev : m_org;
            const int kind = owner == 1 ? lkClients : lkOrgs;
            // The owner is taken only from a selector that lists the owner type's kind.
            m_ui->modalHandlers.push_back([id, name, kind](QDialog& shown) {
                auto& selector = static_cast<TfrmSelectSpr&>(shown);
                selector.FSelect = {id, name};
                return int(selector.FTypeSpr == kind ? QDialog::Accepted : QDialog::Rejected);
            });
            dialog.btnSelSklad->click();
        }
        const QString day = QLocale().toString(QDate::currentDate(), QStringLiteral("dd.MM.yyyy"));
        const QStringList lines = produce(dialog.btnRepTXT);
        QCOMPARE(rtfColumn(lines, 7, 1), numbers);
        QCOMPARE(lines.mid(0, 4), (QStringList{"Бассейн «Волна»", "ВЫДАННЫЕ КАРТЫ", "Период:  " + day + "-" + day,
                                               "Тип карты: " + dialog.cbTypeCard->currentText()}));
        QCOMPARE(lines.at(4).startsWith(QStringLiteral("Владелец")) ? lines.at(4) : QString(), filters);
        QVERIFY(boldCells(m_db->folder() + "list.rtf", "Дата выдачи|№ карты|Тип|Клиент|Начало|Окончание|Сумма"));
        QCOMPARE(lines.contains(day + "|102|КК|Алексеев Андрей Ильич|" + day + "|" + day + "|1500,00"),
                 numbers.contains("102"));
        // Every card costs 1500.
        QVERIFY(lines.contains(QStringLiteral("Всего выдано карт: %1").arg(numbers.size())));
        QVERIFY(lines.contains(QStringLiteral("На сумму: %1,00").arg(numbers.size() * 1500)));
        QVERIFY(lines.contains(QStringLiteral("Отчет составил: Кассир Петрова")));
        // "X", and another owner type, drop a chosen owner.
        dialog.btdDelSklad->click();
        QVERIFY(dialog.OwnerCardTag == 0 && dialog.OwnerCard->text() == QStringLiteral("По всем"));
        dialog.OwnerCardTag = m_org;
        dialog.cbOwnerType->setCurrentIndex(owner % 2 + 1);
        QCOMPARE(dialog.OwnerCardTag, 0);
    }

    // Only cards with both a fee and a sum, by name; the bounds of the period, typed with dots or as digits,
    // both count; an empty list keeps its header and total.
    void insuredListKeepsItsRule() {
        TfrmRepRGS dialog(m_main->ADOConnect, nullptr);
        QStringList lines = produce(dialog.btnRepTXT);
        QCOMPARE(lines.first(), QStringLiteral("Бассейн «Волна»"));
        QCOMPARE(rtfColumn(lines, 8, 0), (QStringList{"106", "103", "101"}));
        QCOMPARE(rtfColumn(lines, 8, 2),
                 (QStringList{"Алексеев Андрей Ильич", "Алексеев Андрей Ильич", "Борисов Борис "}));
        const QDate yesterday = QDate::currentDate().addDays(-1);
        for (QDateEdit* bound : {dialog.dtBegin, dialog.dtEnd}) {
            bound->setDate(QDate(2000, 1, 1));  // so that no section already shows what is typed
            bound->setSelectedSection(QDateTimeEdit::DaySection);
            QTest::keyClicks(bound, yesterday.toString(bound == dialog.dtBegin ? "ddMMyyyy" : "dd.MM.yyyy"));
        }
        lines = produce(dialog.btnRepTXT);
        QCOMPARE(rtfColumn(lines, 8, 0), QStringList{"104"});
        QCOMPARE(m_ui->reportOutputFormats.last(), (QStringList{"PDF", "RTF"}));
        dialog.dtEnd->setDate(QDate(2000, 1, 1));
        lines = produce(dialog.btnRepTXT);
        QVERIFY(
            boldCells(m_db->folder() + "list.rtf",
                      "№ карты|Дата выдачи|Фамилия, имя, отчество|Дата рождения|Адрес|Профессия|Взнос|Страх. сумма"));
        QVERIFY(lines.contains(QStringLiteral("Взносов: 0,00")));
    }

    // Every text prints whole, shrunk where it must: the card number, the heading and the summary; a row
    // taller than a page goes on over the next pages above the footer, its other cells on its first part;
    // the footer cuts the complex's name and keeps the report's.
    void longTextsPrintWhole_data() {
        QTest::addColumn<QStringList>("report");  // file, report, connection, name and address, footer's end
        QTest::newRow("issued cards") << QStringList{"RepSaleCard.rav", "RepSaleCards", "RvDataSetCard",
                                                     ":pTall AS FIO, '' AS Adres", "ВЫДАННЫЕ КАРТЫ"};
        QTest::newRow("insured persons") << QStringList{"RGS.rav", "RepListClient", "RvDataSetRGS",
                                                        "'Борисов' AS FIO, :pTall AS Adres",
                                                        "Список застрахованных лиц"};
    }
    void longTextsPrintWhole() {
        QFETCH(QStringList, report);
        const QString tall = QStringLiteral("слово ").repeated(1400);
        const QString org = QStringLiteral(
            "Муниципальное автономное учреждение «Физкультурно-оздоровительный "
            "комплекс имени Героя Советского Союза И. П. Петрова»");
        // One card with every field either list reads: the largest number a card can have, a name, a tall text.
        const QString sql = QStringLiteral(
            "SELECT '' AS WorkDate, 2147483647 AS NumCard, '' AS NameTC, %1, '' AS DateOpen, '' AS DateClose, "
            "'' AS SumCard, 2147483647 AS Num, '' AS DateRec, '' AS Birthday, '' AS Profession, '' AS StrahVosn, "
            "'' AS StrahSumm");
        SqlQuery query(db());
        query.addParam(QStringLiteral("pTall"), FieldType::String, tall);
        QueryReportData row(query.prepared(sql.arg(report[3])));
        ReportEngine engine;
        engine.setParam(QStringLiteral("NameOrg"), org);
        engine.setParam(QStringLiteral("NameRep"), report[4]);
        engine.setParam(QStringLiteral("NameUser"),
                        QStringLiteral("Старший администратор вечерней смены Петрова Е. В."));
        engine.setProjectFile(gAppPath + report[0]);
        engine.selectReport(report[1]);
        engine.addData(report[2], &row);
        QString tallPrinted;
        QList<int> firstPartPages;  // of the number and of the tall text's start
        const QList<ReportPage> pages = engine.layout();
        for (int page = 0; page < pages.size(); ++page) {
            double bottom = 0;
            for (const PlacedBand& band : pages[page].bands) {
                for (const PlacedItem& item : band.items) {
                    const QString printed = item.lines.lines.join(QString());
                    if (band.kind == BandKind::Footer) {
                        QVERIFY(bottom <= item.rect.top() + 1e-6);
                        QVERIFY(!item.text.startsWith(org) || printed.endsWith("… · " + report[4]));
                    } else if (item.text == tall || band.continued) {
                        tallPrinted += printed;
                    } else {
                        QCOMPARE(printed, item.text);
                    }
                    bottom = qMax(bottom, band.kind == BandKind::Footer ? 0 : item.rect.bottom());
                    if (item.text == tall || item.text == QLatin1String("2147483647")) {
                        firstPartPages << page;
                    }
                }
            }
        }
        QCOMPARE(tallPrinted, tall);
        QCOMPARE(firstPartPages, (QList<int>{0, 0}));
        engine.enableRtf();
        m_ui->reportOutputs.push_back({ReportOutput::Kind::File, QStringLiteral("RTF"), m_db->folder() + "long.rtf"});
        QVERIFY(engine.execute(nullptr));
        const QStringList rows = rtfLines(m_db->folder() + "long.rtf").filter(QStringLiteral("слово"));
        QVERIFY(rows.size() == 1 && rows[0].contains(tall.trimmed()));  // the split row stays one row
        // A complex without a name set gets no stray separator before the report's name.
        engine.setParam(QStringLiteral("NameOrg"), QString());
        QCOMPARE(engine.layout()[0].bands.last().items[1].text, report[4]);
    }

    void menuOpensBothDialogs() {
        m_main->N_Rep_CardClick();
        m_main->N_Rep_RGSClick();
        QCOMPARE(m_ui->modalClasses, (QStringList{"TfrmRepCard", "TfrmRepRGS"}));
    }

  private:
    QStringList produce(QPushButton* button) {
        const QString path = m_db->folder() + QStringLiteral("list.rtf");
        QFile::remove(path);
        m_ui->reportOutputs.push_back({ReportOutput::Kind::File, QStringLiteral("RTF"), path});
        button->click();
        return rtfLines(path);
    }

    int m_alekseev = 0;
    int m_org = 0;
};

QTEST_MAIN(TestListReports)
#include "tst_listreports.moc"
