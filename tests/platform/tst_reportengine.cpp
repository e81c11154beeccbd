#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AppError.h"
#include "platform/FileReplace.h"
#include "platform/LocaleFormat.h"
#include "platform/ReportEngine.h"
#include "platform/ReportOutputDialog.h"
#include "platform/RtfWriter.h"
#include "tests/support/TestSupport.h"

namespace {

// A list on a 100 mm page: title 20, header 10, rows 10, footer 10, so six rows fill the first page;
// and a card whose one text cannot grow. A number written "nan" or "inf" counts as not given: 0.
const QString kProject = QStringLiteral(R"(<project>
  <report name="List" title="Список" width="80" height="100" margins="5 nan 5 0">
    <band kind="title" height="20" data="Head">
      <text x="0" y="0" w="70" h="10" size="12" bold="1">{Caption}: [Owner]</text>
      <picture x="60" y="0" w="10" h="10" file="{Logo}"/>
      <text x="0" y="10" w="40" h="10" when="{Flag}">Флаг поднят</text>
      <text x="0" y="10" w="40" h="10" unless="{Flag}">Флаг опущен</text>
      <text x="40" y="10" w="30" h="10">Страниц: {#Pages}</text>
    </band>
    <band kind="header" height="10"><text x="0" y="0" w="35" h="10">Имя</text><text x="35" y="0" w="35" h="10">Сумма</text></band>
    <band kind="detail" height="10" grow="1" data="Rows">
      <text x="0" y="inf" w="35" h="10" wrap="1">[Name]</text>
      <text x="35" y="0" w="35" h="10" format="money">[Sum]</text>
    </band>
    <band kind="summary" height="10"><text x="0" y="0" w="70" h="10">Итого {#Count}: {#Sum:Sum}</text></band>
    <band kind="footer" height="10"><text x="0" y="0" w="70" h="10">Стр. {#Page} из {#Pages}</text></band>
  </report>
  <report name="Card" title="Карта" width="40" height="20" margins="0 0 0 0">
    <band kind="title" height="20"><text x="0" y="0" w="40" h="5" size="8" minsize="6">Выдал: {Operator}</text></band>
  </report>
</project>)");
const QString kDiskFull =
    QStringLiteral("Диск заполнен: не удается записать файл «%1».\rОсвободите место на диске и повторите действие.");
const QString kLongName = QStringLiteral("Константинопольский-Задунайский Дмитрий Александрович");

int syncOnFullDisk(int) {
    errno = ENOSPC;
    return -1;
}

// Closes a folder to new files, as a shared folder where the person may change the files but add none, or opens it
// again: its mode, and for root, whom modes do not bind, its immutable flag.
void closeFolder(const QString& path, bool closed) {
    QFile::setPermissions(path,
                          QFile::ReadOwner | QFile::ExeOwner | (closed ? QFile::Permissions() : QFile::WriteOwner));
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags = closed ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    ::close(fd);
}

struct Fixture {
    QTemporaryDir dir;
    ReportEngine engine;
    CustomReportData head;
    CustomReportData rows;
    QMap<int, QString> names;  // of the rows not named "Клиент" and their number

    explicit Fixture(int rowCount) {
        replaceFile(path(QStringLiteral("list.rav")), kProject.toUtf8());
        QImage logo(4, 4, QImage::Format_RGB888);
        logo.fill(Qt::blue);
        logo.save(path(QStringLiteral("logo.bmp")));
        head.onOpen = [] { return 1; };
        head.onGetCols = [] { return QList<ReportField>{{QStringLiteral("Owner"), 20, {}, {}}}; };
        head.onGetRow = [](int) { return QStringList{QStringLiteral("Бассейн «Волна»")}; };
        rows.onOpen = [rowCount] { return rowCount; };
        rows.onGetCols = [] {
            return QList<ReportField>{{QStringLiteral("Name"), 20, {}, {}}, {QStringLiteral("Sum"), 8, {}, {}}};
        };
        rows.onGetRow = [this](int row) {
            return QStringList{names.value(row, QStringLiteral("Клиент %1").arg(row + 1)), QStringLiteral("1.5")};
        };
        engine.setParam(QStringLiteral("Caption"), QStringLiteral("Отчет"));
        engine.setParam(QStringLiteral("Logo"), path(QStringLiteral("logo.bmp")));
        engine.setProjectFile(path(QStringLiteral("list.rav")));
        engine.selectReport(QStringLiteral("List"));
        engine.addData(QStringLiteral("Head"), &head);
        engine.addData(QStringLiteral("Rows"), &rows);
    }
    QString path(const QString& name) const { return dir.filePath(name); }
};

QStringList texts(const ReportPage& page) {
    QStringList result;
    for (const PlacedBand& band : page.bands) {
        for (const PlacedItem& item : band.items) {
            if (item.kind == ItemKind::Text) {
                result << item.text;
            }
        }
    }
    return result;
}

// The first item on a page showing a text.
PlacedItem itemOf(const ReportPage& page, const QString& text) {
    for (const PlacedBand& band : page.bands) {
        for (const PlacedItem& item : band.items) {
            if (item.text == text) {
                return item;
            }
        }
    }
    return {};
}

}  // namespace

class TestReportEngine : public DatabaseCase {
    Q_OBJECT

  private slots:
    void placesParamsFieldsAndPictures() {
        Fixture fixture(2);
        fixture.engine.setParam(QStringLiteral("Flag"), QStringLiteral("1"));
        const QList<ReportPage> pages = fixture.engine.layout();
        QCOMPARE(texts(pages[0]),
                 (QStringList{"Отчет: Бассейн «Волна»", "Флаг поднят", "Страниц: 1", "Имя", "Сумма", "Клиент 1", "1,50",
                              "Клиент 2", "1,50", "Итого 2: 3,00", "Стр. 1 из 1"}));
        QCOMPARE(itemOf(pages[0], QStringLiteral("Клиент 2")).rect, QRectF(5, 40, 35, 10));
        QCOMPARE(itemOf(pages[0], QStringLiteral("Стр. 1 из 1")).rect, QRectF(5, 90, 70, 10));
        QCOMPARE(pages[0].bands[0].items[1].kind, ItemKind::Picture);
        QCOMPARE(pages[0].bands[0].items[1].rect, QRectF(65, 0, 10, 10));
        fixture.engine.setParam(QStringLiteral("Flag"), QStringLiteral("0"));
        QVERIFY(texts(fixture.engine.layout()[0]).contains(QStringLiteral("Флаг опущен")));
    }

    // 300 rows: five on the first page, as the sixth takes three lines and moves whole under the next header,
    // where the cell beside it stretches with it; eight on each further page, the total on a page of its own.
    void breaksLongListsIntoPages() {
        Fixture fixture(300);
        fixture.names[5] = kLongName;
        const QList<ReportPage> pages = fixture.engine.layout();
        QCOMPARE(pages.size(), 39);
        QVERIFY(texts(pages[0]).contains(QStringLiteral("Страниц: 39")));
        QCOMPARE(itemOf(pages[0], QStringLiteral("Клиент 5")).rect.y(), 70.0);
        const PlacedItem name = itemOf(pages[1], kLongName);
        QCOMPARE(name.lines.lines.join(QString()), kLongName);
        QVERIFY(name.lines.lines.size() >= 3 && name.rect.height() >= name.lines.height());
        QCOMPARE(name.rect.y(), 10.0);
        QCOMPARE(itemOf(pages[1], QStringLiteral("1,50")).rect, name.rect.translated(35, 0));
        QCOMPARE(itemOf(pages[1], QStringLiteral("Клиент 7")).rect.y(), name.rect.bottom());
        QVERIFY(texts(pages[38]).contains(QStringLiteral("Итого 300: 450,00")));
        QCOMPARE(texts(pages[20]).last(), QStringLiteral("Стр. 21 из 39"));
    }

    // A row taller than a page, after a row of one to twelve lines, starts where its first part fits and goes on
    // over the next pages: it prints whole, and every line printed stands above the footer at 90 mm.
    void splitsTallRowsAboveTheFooter_data() {
        QTest::addColumn<int>("lines");  // of the row before
        for (int lines = 1; lines <= 12; ++lines) {
            QTest::addRow("%d lines before", lines) << lines;
        }
    }
    void splitsTallRowsAboveTheFooter() {
        QFETCH(int, lines);
        Fixture fixture(6);
        const QString tall = QStringLiteral("слово ").repeated(200);
        fixture.names[3] = QStringLiteral("Петров-Водкин ").repeated(lines);
        fixture.names[4] = tall;
        QString printed;
        for (const ReportPage& page : fixture.engine.layout()) {
            for (const PlacedBand& band : page.bands) {
                for (const PlacedItem& item : band.items) {
                    // The lines print centred in their box, which may be shorter than they are.
                    QVERIFY(band.kind == BandKind::Footer || item.rect.center().y() + item.lines.height() / 2 <= 90);
                    printed += item.text == tall || band.continued ? item.lines.lines.join(QString()) : QString();
                }
            }
        }
        QCOMPARE(printed, tall);
    }

    // A text that cannot grow shrinks in half points down to its least size, then cuts its value and never its
    // label.
    void fitsFixedTexts_data() {
        QTest::addColumn<QString>("issuer");
        QTest::addColumn<double>("size");
        QTest::addColumn<bool>("cut");
        QTest::newRow("fits") << "Петрова" << 8.0 << false;
        QTest::newRow("shrinks") << "Петрова Екатерина В." << 7.0 << false;
        QTest::newRow("cut") << "Администратор смены Смирнова Екатерина Владимировна" << 6.0 << true;
    }
    void fitsFixedTexts() {
        QFETCH(QString, issuer);
        Fixture fixture(0);
        fixture.engine.setParam(QStringLiteral("Operator"), issuer);
        fixture.engine.selectReport(QStringLiteral("Card"));
        const TextLines printed = fixture.engine.layout()[0].bands[0].items[0].lines;
        const QString line = printed.lines.join(QLatin1Char('|'));
        QTEST(printed.pointSize, "size");
        QTEST(line.endsWith(QStringLiteral("…")), "cut");
        const QString shown = line.endsWith(QStringLiteral("…")) ? line.chopped(1) : line;
        QVERIFY2((QStringLiteral("Выдал: ") + issuer).startsWith(shown) && shown.size() > 12, qPrintable(line));
    }

    // A file is proposed under the report's name and today's date, in the folder written last; an existing
    // file is replaced only when the person agrees, else the choice is asked again as it was made, and a
    // cancel writes nothing.
    void writesPdfAndAsksBeforeReplacing() {
        Fixture fixture(8);
        const QString proposed = QStringLiteral("Список %1.pdf").arg(shortDateText(QDate::currentDate()));
        const QString path = fixture.path(QStringLiteral("list.pdf"));
        m_ui->reportOutputs.push_back({ReportOutput::Kind::File, QStringLiteral("PDF"), path});
        QVERIFY(fixture.engine.execute(nullptr));
        QCOMPARE(m_ui->reportOutputTitles, QStringList{QStringLiteral("Параметры вывода")});
        QCOMPARE(m_ui->reportOutputFormats, (QList<QStringList>{{QStringLiteral("PDF")}}));
        const QString text = pdfText(path);
        QVERIFY2(text.contains(QStringLiteral("Отчет: Бассейн «Волна»")), qPrintable(text));
        QCOMPARE(text.count(QLatin1Char('\f')), 2);
        const QByteArray written = fileBytes(path);

        m_ui->reportOutputs.push_back({ReportOutput::Kind::File, QStringLiteral("PDF"), path});
        m_ui->answers.push_back(Answer::No);
        QVERIFY(!fixture.engine.execute(nullptr));
        const QList<ReportOutput> proposals = m_ui->reportOutputProposals;
        QCOMPARE(proposals[1].path, fixture.path(proposed));
        QVERIFY(proposals[2].kind == ReportOutput::Kind::File && proposals[2].path == path);
        QCOMPARE(m_ui->questions, QStringList{QStringLiteral("Файл «list.pdf» уже существует.\rЗаменить его?")});
        QCOMPARE(fileBytes(path), written);
    }

    void outputDialogOpensAsProposed() {
        using Kind = ReportOutput::Kind;
        for (const ReportOutput& proposal :
             {ReportOutput{Kind::Preview, "PDF", "/a.pdf"}, ReportOutput{Kind::Printer, "PDF", "/b.pdf"},
              ReportOutput{Kind::File, "RTF", "/c.rtf"}}) {
            const ReportOutput answer = ReportOutputDialog(nullptr, {}, {"PDF", "RTF"}, proposal).answer();
            QVERIFY(answer.kind == proposal.kind && answer.format == proposal.format && answer.path == proposal.path);
        }
    }

    // Braces and backslashes in a cell are written escaped; a cell's paragraph stays in its table.
    void writesRtfTablesInUnicodeAndCodePage() {
        Fixture fixture(8);
        fixture.names[1] = QStringLiteral("Клиент {2}\\");
        fixture.engine.enableRtf();
        m_ui->reportOutputs.push_back({ReportOutput::Kind::File, QStringLiteral("RTF"), fixture.path("list.rtf")});
        QVERIFY(fixture.engine.execute(nullptr));
        const QByteArray raw = fileBytes(fixture.path("list.rtf"));
        QVERIFY(raw.startsWith("{\\rtf1\\ansi\\ansicpg1251"));
        QCOMPARE(RtfWriter::escaped(QStringLiteral("Ёж Ω")), QByteArray("\\u1025\\'a8\\u1078\\'e6 \\u937?"));
        QCOMPARE(raw.count('{'), raw.count('}'));
        QCOMPARE(raw.count("\\pard\\plain\\intbl"), raw.count("\\cell\n"));
        const QStringList lines = rtfLines(fixture.path("list.rtf"));
        QCOMPARE(lines.mid(0, 6), (QStringList{"Отчет: Бассейн «Волна»", "Флаг опущен", "Страниц: 2", "Имя|Сумма",
                                               "Клиент 1|1,50", "Клиент {2}\\|1,50"}));
        QCOMPARE(rtfLines(fixture.path("list.rtf"), RtfReader::CodePage), lines);
        QCOMPARE(lines.count(QStringLiteral("Имя|Сумма")), 1);
        QCOMPARE(lines.last(), QStringLiteral("Итого 8: 12,00"));
    }

    // A PDF or RTF file that cannot be written whole is told of and leaves the former file as it was; only a
    // folder that took the file is proposed again. In a folder that takes no new file the file is written over,
    // every write still checked. The file keeps its mode.
    void keepsFormerFileAndFolder_data() {
        QTest::addColumn<QString>("format");
        QTest::newRow("PDF") << "PDF";
        QTest::newRow("RTF") << "RTF";
    }
    void keepsFormerFileAndFolder() {
        QFETCH(QString, format);
        Fixture fixture(8);
        fixture.engine.enableRtf();
        const QString name = "out." + format.toLower();
        const QString path = fixture.path(name);
        const auto writeTo = [&](const QString& to) {
            m_ui->reportOutputs.push_back({ReportOutput::Kind::File, format, to});
            return fixture.engine.execute(nullptr);
        };
        QVERIFY(writeTo(path));
        const qint64 whole = fileBytes(path).size();
        // Wider than the usual umask lets a new file be.
        ::umask(022);
        const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup;
        replaceFile(path, "former");
        QVERIFY(QFile::setPermissions(path, mode));
        // Its last byte beyond the disk's room, or its sync finding the disk full.
        for (const bool syncFails : {false, true}) {
            QCOMPARE(messagesOnFullDisk(
                         [&] {
                             gSyncFile = syncFails ? syncOnFullDisk : ::fsync;
                             writeTo(path);
                         },
                         whole - (syncFails ? 0 : 1)),
                     QStringList{kDiskFull.arg(name)});
        }
        QCOMPARE(fileBytes(path), QByteArray("former"));
        QCOMPARE(QDir(fixture.dir.path()).entryList(QDir::Files), (QStringList{"list.rav", "logo.bmp", name}));
        QVERIFY_THROWS_EXCEPTION(AppError, writeTo(fixture.path("gone/" + name)));
        QVERIFY(!fixture.engine.execute(nullptr));
        QCOMPARE(QFileInfo(m_ui->reportOutputProposals.last().path).path(), fixture.dir.path());
        QVERIFY(writeTo(path));
        QCOMPARE(QFile::permissions(path), mode | QFile::ReadUser | QFile::WriteUser);
        closeFolder(fixture.dir.path(), true);
        const auto reopen = qScopeGuard([&fixture] { closeFolder(fixture.dir.path(), false); });
        if (QFile(fixture.path("probe")).open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            QSKIP("the folder cannot be closed to new files here");
        }
        QCOMPARE(messagesOnFullDisk([&] { writeTo(path); }, 1024), QStringList{kDiskFull.arg(name)});
        QVERIFY(writeTo(path));
        QCOMPARE(fileBytes(path).size(), whole);
    }

    // A print that cannot start is refused, not counted as printed.
    void refusesPrintThatCannotStart() {
        Fixture fixture(1);
        m_ui->reportOutputs.push_back({ReportOutput::Kind::Printer, {}, {}});
        m_ui->modalHandlers.push_back([&fixture](QDialog& dialog) {
            static_cast<QPrintDialog&>(dialog).printer()->setOutputFileName(fixture.path("gone/out.pdf"));
            return int(QDialog::Accepted);
        });
        QVERIFY_THROWS_EXCEPTION(ReportError, fixture.engine.execute(nullptr));
    }

    // A card shows whole, a list's page shows its width, in a window over most of the screen.
    void previewOpensReadable_data() {
        QTest::addColumn<QString>("report");
        QTest::addColumn<int>("zoom");
        QTest::newRow("list") << "List" << int(QPrintPreviewWidget::FitToWidth);
        QTest::newRow("card") << "Card" << int(QPrintPreviewWidget::FitInView);
    }
    void previewOpensReadable() {
        QFETCH(QString, report);
        Fixture fixture(1);
        fixture.engine.selectReport(report);
        m_ui->reportOutputs.push_back({ReportOutput::Kind::Preview, {}, {}});
        int zoom = -1;
        QSize size;
        m_ui->modalHandlers.push_back([&zoom, &size](QDialog& preview) {
            zoom = preview.findChild<QPrintPreviewWidget*>()->zoomMode();
            size = preview.size();
            return int(QDialog::Accepted);
        });
        QVERIFY(fixture.engine.execute(nullptr));
        QTEST(zoom, "zoom");
        QVERIFY(size.height() >= QGuiApplication::primaryScreen()->availableSize().height() * 3 / 4);
    }
};

QTEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"
