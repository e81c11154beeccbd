#include <QDir>
#include <QImage>
#include <QTest>

#include <sys/stat.h>

#include "app/UnitHeard.h"
#include "cards/UnitCardPrint.h"
#include "common/UnitConst.h"
#include "tests/cards/CardFixture.h"

using namespace card_fixture;

namespace {

// The hall rows of a card as the back of the card lists them.
struct HallRows : CustomReportData {
    explicit HallRows(const QStringList& halls) {
        onOpen = [halls] { return int(halls.size()); };
        onGetCols = [] {
            return QList<ReportField>{{QStringLiteral("ID"), 0, {}, {}}, {QStringLiteral("NameZal"), 0, {}, {}}};
        };
        onGetRow = [halls](int row) { return QStringList{QString::number(row), halls[row]}; };
    }
};

QString field(const QStringList& row, const QString& name) {
    QStringList names;
    for (const ReportField& field : CardPrintFields()) {
        names << field.name;
    }
    return row.value(names.indexOf(name), QStringLiteral("<no field>"));
}

QString logText(Database& db) {
    return rows(db, QStringLiteral("SELECT ActionStr FROM tListActionUsers WHERE kod_action=1")).join(QLatin1Char('/'));
}

}  // namespace

class TestCardPrint : public MainWindowCase {
    Q_OBJECT

  private slots:
    void init() {
        startWithMain();
        useShippedReports(*m_db);
        gPhotoDir = gAppPath + QStringLiteral("Photo/");
        m_card = TCardPrint();
        m_card.NumCard = QStringLiteral("42");
        m_card.Client = QStringLiteral("Иванов Иван Иванович");
        m_card.DateBeg = QDate(2024, 3, 1);
        m_card.DateEnd = QDate(2024, 3, 31);
        m_card.IDClient = addClient(db(), QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович"));
        m_card.IDCard = addCard(db(), 42, ctAbonement, "2024-03-31 00:00:00", m_card.IDClient);
    }
    void fillsTheCardRow_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("sports");
        QTest::addColumn<QStringList>("halls");
        QTest::addColumn<double>("summ");
        QTest::addColumn<QStringList>("expected");  // NumCard, KolvoSeans, Zals, R2_File, SummaRGS
        const auto row = [](const char* name, int type, const char* number, const char* sports,
                            const QStringList& halls, double summ, const QStringList& expected) {
            QTest::newRow(name) << type << QString(number) << QString(sports) << halls << summ << expected;
        };
        const QStringList visits{"Бассейн", "Бассейн", "Тренажерный зал"};
        const QString r2 = QStringLiteral("Reklama/r2_%1.bmp");
        row("club card", 1, "123456789", "", {"Бассейн"}, 1500, {"123456789", "-", "Бассейн.", r2.arg(2), "1,5"});
        row("sports text", 0, "12345678", "Аэробика", visits, 0, {"12345678", "3", "Аэробика", r2.arg(1), "0"});
        row("nothing", 1, "", "", {}, 1234, {"00000000", "-", "-", r2.arg(2), "1,23"});
    }
    void fillsTheCardRow() {
        QFETCH(int, type);
        QFETCH(QString, number);
        QFETCH(QString, sports);
        QFETCH(QStringList, halls);
        QFETCH(double, summ);
        m_card.TypeCard = type;
        m_card.NumCard = number;
        m_card.VidSporta = sports;
        m_card.StrahSumm = summ;
        HallRows rows(halls);
        const QStringList row = CardPrintRow(m_card, rows);
        QTEST((QStringList{field(row, "NumCard"), field(row, "KolvoSeans"), field(row, "Zals"),
                           field(row, "R2_File").mid(gAppPath.size()), field(row, "SummaRGS")}),
              "expected");
        QCOMPARE(field(row, "FIO"), "Иванов Иван Иванович");
        QCOMPARE(field(row, "Period"), "01.03.2024 - 31.03.2024");
        QCOMPARE(field(row, "OrgClient"), QString());
        m_card.OrgChosen = true;
        m_card.OrgText = QStringLiteral("ООО Ромашка");
        QCOMPARE(field(CardPrintRow(m_card, rows), "OrgClient"), "Организация: ООО Ромашка");
    }

    void decidesInsuranceAndParams_data() {
        QTest::addColumn<double>("useInsurance");
        QTest::addColumn<bool>("noRGS");
        QTest::addColumn<double>("fee");
        QTest::addColumn<bool>("changeName");
        QTest::addColumn<double>("useText");
        QTest::addColumn<QString>("expected");  // EnPrintRGS|TypeOrg|NameOrg|NameKK|NameAB|DopStrTXT
        QTest::newRow("not insured client") << 1.0 << true << 300.0 << false << 0.0 << "0|Спорткомплекс|Волна|||";
        QTest::newRow("no fee") << 1.0 << false << 0.0 << false << 1.0 << "0|Спорткомплекс|Волна|||Текст";
        QTest::newRow("insurance off") << 0.0 << false << 300.0 << true << 1.0
                                       << "0|Спорткомплекс|Волна|Клуб|Абон|Текст";
    }
    void decidesInsuranceAndParams() {
        QFETCH(double, useInsurance);
        QFETCH(bool, noRGS);
        QFETCH(double, fee);
        QFETCH(bool, changeName);
        QFETCH(double, useText);
        m_main->SetParApl(pcUseInsurance, useInsurance);
        m_main->SetParApl(pcUseCardText, useText);
        m_main->SetParApl(pcAbonLine1, QStringLiteral("Спорткомплекс"));
        m_main->SetParApl(pcAbonLine2, QStringLiteral("Волна"));
        m_main->SetParApl(pcClubCardLine, QStringLiteral("Клуб"));
        m_main->SetParApl(pcAbonLine, QStringLiteral("Абон"));
        exec(db(), sqlOf("UPDATE tClient SET NoRGS=%1", noRGS ? 1 : 0));
        m_card.StrahVosn = fee;
        m_card.StrahSumm = 100000;
        m_card.ChangeNamePRN = changeName;
        m_card.DopTXT = QStringLiteral("Текст");
        ApplyInsurance(m_main->ADOConnect, m_card);
        QStringList values;
        for (const auto& param : CardPrintParams(m_main->ADOConnect, m_card)) {
            values << param.second;
        }
        QTEST(values.join(QLatin1Char('|')), "expected");
        QCOMPARE(m_card.StrahSumm, noRGS ? 0.0 : 100000.0);
        QCOMPARE(m_card.DopTXT, QStringLiteral("Текст"));
    }

    // An unreadable photo, JPEG or BMP, is refused with the print's own advice (no size expected).
    void writesTheTemporaryPhoto_data() {
        QTest::addColumn<QString>("photo");
        QTest::addColumn<QSize>("size");
        QTest::newRow("jpg") << "client.JPG" << QSize(40, 50);
        QTest::newRow("bmp") << "client.bmp" << QSize(30, 20);
        QTest::newRow("jpeg prints empty") << "client.jpeg" << QSize(1, 1);
        QTest::newRow("missing") << "gone.jpg" << QSize(90, 120);
        QTest::newRow("damaged jpg") << "bad.jpg" << QSize();
        QTest::newRow("damaged bmp") << "bad.bmp" << QSize();
        QTest::newRow("jpg of 4 GB") << "huge.jpg" << QSize();
    }
    void writesTheTemporaryPhoto() {
        QFETCH(QString, photo);
        QFETCH(QSize, size);
        QImage(40, 50, QImage::Format_RGB888).save(gPhotoDir + "client.JPG", "JPEG");
        QImage(30, 20, QImage::Format_RGB888).save(gPhotoDir + "client.bmp", "BMP");
        QImage(40, 50, QImage::Format_RGB888).save(gPhotoDir + "client.jpeg", "JPEG");
        for (const char* damaged : {"bad.jpg", "bad.bmp"}) {
            QFile file(gPhotoDir + damaged);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("\xff\xd8 not a picture") > 0);
        }
        QFile huge(gPhotoDir + "huge.jpg");
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(4) << 30));
        QDir(gAppPath + "TMP").removeRecursively();  // a missing folder is made
        try {
            SavePhotoTMP(photo);
            QCOMPARE(QImage(PhotoTMPFile()).size(), size);
        } catch (const AppError& refused) {
            QVERIFY(!size.isValid());
            QVERIFY(refused.text().startsWith(
                QStringLiteral("Не удается прочитать фотографию «%1» для карты.").arg(photo)));
        }
    }

    void tellsAFullDiskForTheTemporaryPhoto() {
        QImage(30, 20, QImage::Format_RGB888).save(gPhotoDir + "client.bmp", "BMP");
        QCOMPARE(messagesOnFullDisk([] { SavePhotoTMP("client.bmp"); }),
                 QStringList{"Диск заполнен: не удается записать файл «PhotoTMP.bmp».\rОсвободите место на диске и "
                             "повторите действие."});
    }

    // A cancelled print and one that fails log nothing, and neither leaves its photo behind.
    void logsOnlyAfterOutput() {
        m_ui->reportOutputs.push_back({ReportOutput::Kind::Cancel, {}, {}});
        QVERIFY(!PrintCard(m_main->ADOConnect, m_card, nullptr));
        QFile::remove(gAppPath + QStringLiteral("CadrPrint.rav"));
        QVERIFY_THROWS_EXCEPTION(ReportError, PrintCard(m_main->ADOConnect, m_card, nullptr));
        QCOMPARE(logText(db()), QString());
        QVERIFY(!QFile::exists(PhotoTMPFile()));
    }

    // The whole print: the card's own visits and halls from the database reach the printed card. A
    // missing decorative picture, or a FIFO in its place, is left out, and the operator is told once.
    void printsTheCard_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("printed");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("missing");  // a decorative picture removed before the print
        QTest::addColumn<bool>("fifo");        // a FIFO in its place instead
        const QStringList subscription{"АБОНЕМЕНТ",   "№ 00000042",    "Посещений: 3", "Залы: Бассейн, Сауна.",
                                       "Застрахован", "150 тыс. руб.", "Посещения",    "12:30",
                                       "Сауна"};
        const QString clubLog = QStringLiteral("Печать карты (КК) №42, клиент: Иванов Иван Иванович");
        QTest::newRow("subscription") << 0 << subscription << "Печать карты (А) №42, клиент: Иванов Иван Иванович"
                                      << "" << false;
        QTest::newRow("club card without its ribbon")
            << 1 << QStringList{"КЛУБНАЯ КАРТА", "Залы: Бассейн.", "Залы клубной карты", "800,00"} << clubLog
            << "Reklama/r2_2.bmp" << false;
        QTest::newRow("club card with a FIFO for its emblem")
            << 1 << QStringList{"КЛУБНАЯ КАРТА"} << clubLog << "Reklama/r1.bmp" << true;
    }
    void printsTheCard() {
        QFETCH(int, type);
        QFETCH(QStringList, printed);
        const int pool = addHall(db(), "Бассейн");
        exec(db(), sqlOf("INSERT INTO tWorkGurnal (DateWork, ID_Zal, ID_Card, Cena) VALUES "
                         "('2024-03-02 12:30:00', %1, %3, 250), ('2024-03-01 09:00:00', %2, %3, 300), "
                         "('2024-03-03 09:00:00', %2, %3, 300)",
                         addHall(db(), "Сауна"), pool, m_card.IDCard));
        exec(db(),
             sqlOf("INSERT INTO tWorkClubCard (ID_Card, ID_Zal, Cena) VALUES (%1, %2, 800)", m_card.IDCard, pool));
        m_main->SetParApl(pcUseInsurance, 1.0);
        m_card.TypeCard = type;
        m_card.StrahVosn = 300;
        m_card.StrahSumm = 150000;
        QFETCH(QString, missing);
        QFETCH(bool, fifo);
        QFile::remove(gAppPath + missing);
        QVERIFY(!fifo || ::mkfifo(QFile::encodeName(gAppPath + missing).constData(), 0600) == 0);
        const QString pdf = m_db->folder() + QStringLiteral("card.pdf");
        m_ui->reportOutputs.push_back({ReportOutput::Kind::File, QStringLiteral("PDF"), pdf});
        QVERIFY(PrintCard(m_main->ADOConnect, m_card, nullptr));
        const QString told = QStringLiteral(
            "Не найден или поврежден рисунок карты %1.\rКарта будет напечатана без него; сообщите "
            "администратору.");
        QCOMPARE(m_ui->messageTexts(), missing.isEmpty() ? QStringList() : QStringList{told.arg(missing)});
        const QString text = pdfText(pdf);
        for (const QString& part : printed) {
            QVERIFY2(text.contains(part), qPrintable(part + QStringLiteral(" in:\n") + text));
        }
        QTEST(logText(db()), "log");
        QVERIFY(!QFile::exists(PhotoTMPFile()));
    }

  private:
    TCardPrint m_card;
};

QTEST_MAIN(TestCardPrint)
#include "tst_cardprint.moc"
