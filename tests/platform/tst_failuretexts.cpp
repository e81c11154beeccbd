#include <QTest>

#include <functional>
#include <stdexcept>

#include "platform/FileReplace.h"
#include "platform/GuardedApplication.h"
#include "platform/JpegCodec.h"
#include "platform/PictureFile.h"
#include "platform/ReportEngine.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kProject = QStringLiteral(R"(<project>
  <report name="List" title="Список" width="80" height="100" margins="5 0 5 0">
    <band kind="detail" height="10" data="Rows">
      <text x="0" y="0" w="60" h="10">[%1]</text>
      <picture x="60" y="0" w="10" h="10" file="{Logo}"/>
    </band>
  </report>
</project>)");

// A failure's files go to the database's folder.
using Failure = std::function<void(TestDatabase&)>;

const QString kNames = QStringLiteral("SELECT 'Иванов' AS Name");

// A run of the report "List" to a PDF file: the project file's text (empty: no file), the rows'
// statement, the report selected, its logo picture (empty: none) and the output file.
Failure reportRun(const QString& project, const QString& sql = kNames, const QString& report = "List",
                  const QString& logo = {}, const QString& output = "list.pdf") {
    return [=](TestDatabase& at) {
        if (!project.isEmpty()) {
            replaceFile(at.folder() + "list.rav", project.toUtf8());
        }
        ReportEngine engine;
        engine.setProjectFile(at.folder() + "list.rav");
        engine.selectReport(report);
        SqlQuery query(at.db);
        QueryReportData rows(query.prepared(sql));
        engine.setParam(QStringLiteral("Logo"), logo.isEmpty() ? QString() : at.folder() + logo);
        engine.addData(QStringLiteral("Rows"), &rows);
        static_cast<FakeUi&>(Ui()).reportOutputs.push_back(
            {ReportOutput::Kind::File, QStringLiteral("PDF"), at.folder() + output});
        engine.execute(nullptr);
    };
}

Failure photoRead(const QByteArray& content) {
    return [=](TestDatabase& at) {
        replaceFile(at.folder() + "photo.jpg", content);
        readPictureFile(at.folder() + "photo.jpg", PictureFormat::Jpeg);
    };
}

// Our long insert while another workstation holds its write transaction.
void writeWhileAnotherWrites(TestDatabase& at) {
    Database writer;
    QVERIFY(writer.open(at.path()));
    exec(at.db, QStringLiteral("PRAGMA busy_timeout = 0;"));
    Transaction holder(writer);
    exec(at.db, QStringLiteral("INSERT INTO tOrg (Name) VALUES ('%1');").arg(QString(100000, QLatin1Char('x'))));
}

// Our insert into a database file that may not grow, as on a full disk.
void writeOnFullDisk(TestDatabase& at) {
    exec(at.db, QStringLiteral("PRAGMA max_page_count = %1").arg(scalar(at.db, "PRAGMA page_count").toInt()));
    exec(at.db, QStringLiteral("INSERT INTO tOrg (Name) VALUES ('%1');").arg(QString(100000, QLatin1Char('x'))));
}

}  // namespace

Q_DECLARE_METATYPE(Failure)

// Whatever fails, the person reads a short Russian text; the technical reason waits in the details.
class TestFailureTexts : public DatabaseCase {
    Q_OBJECT

  private slots:
    void showsRussianTextWithReasonInDetails_data() {
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<QString>("text");    // the first line of the message
        QTest::addColumn<QString>("reason");  // in the details; %1 is the database's folder
        const auto row = [](const char* name, const Failure& failure, const char* text, const char* reason) {
            QTest::newRow(name) << failure << QString::fromUtf8(text) << QString::fromUtf8(reason);
        };
        const QString project = kProject.arg("Name");
        // The list with one more band, of that kind and height, before its rows.
        const auto withBand = [&project](const char* kind, int height) {
            return QString(project).replace(
                "<band", QStringLiteral("<band kind=\"%1\" height=\"%2\"/><band").arg(kind).arg(height));
        };
        row("missing layout", reportRun({}), "The following reporting project does not exist:", "%1list.rav");
        row("damaged layout", reportRun("<project><report name=\"List\"><band"), "Файл отчета «list.rav» поврежден.",
            "%1list.rav, строка 1");
        row("header taller than the page", reportRun(withBand("header", 400)), "Файл отчета «list.rav» поврежден.",
            "%1list.rav: в отчете «List» заголовок страницы (400 мм), нижний колонтитул (0 мм) и строка (не меньше "
            "10 мм) не помещаются на странице высотой 100 мм между полями 0 и 0 мм");
        row("footer taller than the page", reportRun(withBand("footer", 150)), "Файл отчета «list.rav» поврежден.",
            "нижний колонтитул (150 мм)");
        row("title taller than the page", reportRun(withBand("title", 101)), "Файл отчета «list.rav» поврежден.",
            "%1list.rav: в отчете «List» заголовок отчета (101 мм) и нижний колонтитул (0 мм) не помещаются на");
        row("summary taller than the page", reportRun(withBand("summary", 101)), "Файл отчета «list.rav» поврежден.",
            "итоги отчета (101 мм)");
        row("report not in layout", reportRun(project, kNames, "Other"),
            "В файле отчета «list.rav» нет отчета «Other».", "Отчета «Other» нет в файле %1list.rav");
        row("unknown field", reportRun(kProject.arg("Nope")),
            "В отчете «Список» указано поле [Nope], которого нет в его данных.",
            "Поля [Nope] нет среди полей отчета «List»");
        row("missing picture", reportRun(project, kNames, "List", "gone.bmp"),
            "Не найден рисунок «gone.bmp» для отчета «Список».", "%1gone.bmp");
        row("unwritable output", reportRun(project, kNames, "List", {}, "no/list.pdf"),
            "Не удается записать файл «list.pdf».", "%1no/list.pdf\n");
        row("database error while reading rows", reportRun(project, "SELECT abs(-9223372036854775808) AS Name"),
            "Не удалось выполнить действие с базой данных.", "integer overflow");
        row("write while another workstation writes", writeWhileAnotherWrites,
            "База данных занята: на другом рабочем месте сейчас идёт запись.",
            "database is locked Unable to fetch row\n\nINSERT INTO tOrg");
        row("database on a full disk", writeOnFullDisk, "Диск заполнен: не удается записать базу данных.",
            "database or disk is full");
        row("damaged JPEG", photoRead("not a picture"), "Файл «photo.jpg» поврежден или не является рисунком JPEG.",
            "%1photo.jpg\nlibjpeg");
        row(
            "anything else", [](TestDatabase&) { throw std::logic_error("index out of range"); },
            "Действие не выполнено из-за внутренней ошибки программы.", "index out of range");
    }
    void showsRussianTextWithReasonInDetails() {
        QFETCH(Failure, failure);
        QFETCH(QString, text);
        QFETCH(QString, reason);
        try {
            failure(*m_db);
            QFAIL("nothing failed");
        } catch (...) {
            showCurrentException();
        }
        QCOMPARE(m_ui->messages.size(), 1);
        const RecordedMessage shown = m_ui->messages.first();
        QCOMPARE(shown.text.section(QLatin1Char('\r'), 0, 0), text);
        QVERIFY2(shown.text.contains(QLatin1Char('\r')), "says what the person can do");
        QVERIFY2(shown.details.contains(reason.replace(QStringLiteral("%1"), m_db->folder())),
                 qPrintable(shown.details.left(200)));
        QVERIFY2(shown.details.size() < 5000, "long statements are shortened");
    }
};

QTEST_MAIN(TestFailureTexts)
#include "tst_failuretexts.moc"
