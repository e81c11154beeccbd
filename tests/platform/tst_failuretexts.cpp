#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <stdexcept>

#include "platform/GuardedApplication.h"
#include "platform/JpegCodec.h"
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

// What a failure is given: a folder of its own and the database.
struct Place {
    QString folder;
    Database& db;
    QString path(const QString& name) const { return folder + name; }
};
using Failure = std::function<void(const Place&)>;

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// Runs the report "List" of a project whose row text reads the field, on the rows of the statement,
// to a PDF file; an empty logo prints no picture.
void runReport(const Place& at, const QString& field, const QString& sql, const QString& logo = QString(),
               const QString& output = QStringLiteral("list.pdf"), const QString& report = QStringLiteral("List")) {
    writeFile(at.path(QStringLiteral("list.rav")), kProject.arg(field).toUtf8());
    SqlQuery query(at.db);
    QueryReportData rows(query.prepared(sql));
    ReportEngine engine;
    engine.setProjectFile(at.path(QStringLiteral("list.rav")));
    engine.selectReport(report);
    engine.setParam(QStringLiteral("Logo"), logo.isEmpty() ? QString() : at.path(logo));
    engine.addData(QStringLiteral("Rows"), &rows);
    static_cast<FakeUi&>(Ui()).reportOutputs.push_back(
        {ReportOutput::Kind::File, QStringLiteral("PDF"), at.path(output)});
    engine.execute(nullptr);
}

const QString kNames = QStringLiteral("SELECT 'Иванов' AS Name");

// A photograph whose picture data is long enough to be cut in the middle.
QByteArray photoJpeg() {
    QImage photo(64, 64, QImage::Format_RGB888);
    for (int y = 0; y < photo.height(); ++y) {
        for (int x = 0; x < photo.width(); ++x) {
            photo.setPixelColor(x, y, QColor((x * 37) % 256, (y * 53) % 256, (x * y) % 256));
        }
    }
    return encodeJpeg(photo, kPhotoQuality);
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
        QTest::addColumn<QString>("reason");  // in the details; %1 is the case's folder
        const auto row = [](const char* name, const Failure& failure, const char* text, const char* reason) {
            QTest::newRow(name) << failure << QString::fromUtf8(text) << QString::fromUtf8(reason);
        };
        row(
            "missing layout",
            [](const Place& at) {
                ReportEngine engine;
                engine.setProjectFile(at.path(QStringLiteral("none.rav")));
                engine.selectReport(QStringLiteral("List"));
            },
            "Не найден файл отчета «none.rav».", "The following reporting project does not exist:\n%1none.rav");
        row(
            "damaged layout",
            [](const Place& at) {
                writeFile(at.path(QStringLiteral("list.rav")), "<project><report name=\"List\"><band");
                ReportEngine engine;
                engine.setProjectFile(at.path(QStringLiteral("list.rav")));
                engine.selectReport(QStringLiteral("List"));
            },
            "Файл отчета «list.rav» поврежден.", "%1list.rav, line 1");
        row(
            "report not in layout",
            [](const Place& at) { runReport(at, QStringLiteral("Name"), kNames, {}, {}, QStringLiteral("Other")); },
            "В файле отчета «list.rav» нет отчета «Other».", "\"Other\" is not in %1list.rav");
        row(
            "unknown field", [](const Place& at) { runReport(at, QStringLiteral("Nope"), kNames); },
            "В отчете «Список» указано поле [Nope], которого нет в его данных.", "field [Nope]");
        row(
            "missing picture",
            [](const Place& at) { runReport(at, QStringLiteral("Name"), kNames, QStringLiteral("gone.bmp")); },
            "Не найден рисунок «gone.bmp» для отчета «Список».", "%1gone.bmp");
        row(
            "unwritable output",
            [](const Place& at) {
                runReport(at, QStringLiteral("Name"), kNames, {}, QStringLiteral("no/such/folder/list.pdf"));
            },
            "Не удается записать файл «list.pdf».", "%1no/such/folder/list.pdf");
        row(
            "database error while reading rows",
            [](const Place& at) {
                runReport(at, QStringLiteral("Name"), QStringLiteral("SELECT abs(-9223372036854775808) AS Name"));
            },
            "Не удалось выполнить действие с базой данных.", "integer overflow");
        row(
            "truncated JPEG",
            [](const Place& at) {
                writeFile(at.path(QStringLiteral("cut.jpg")), photoJpeg().chopped(1000));
                readJpegFile(at.path(QStringLiteral("cut.jpg")));
            },
            "Файл «cut.jpg» поврежден или не является рисунком JPEG.", "%1cut.jpg\nlibjpeg");
        row(
            "PNG under .jpg",
            [](const Place& at) {
                QImage picture(4, 4, QImage::Format_RGB888);
                picture.fill(Qt::red);
                QVERIFY(picture.save(at.path(QStringLiteral("photo.jpg")), "PNG"));
                readJpegFile(at.path(QStringLiteral("photo.jpg")));
            },
            "Файл «photo.jpg» поврежден или не является рисунком JPEG.", "Not a JPEG file");
        row(
            "anything else", [](const Place&) { throw std::logic_error("index out of range"); },
            "Действие не выполнено из-за внутренней ошибки программы.", "index out of range");
    }
    void showsRussianTextWithReasonInDetails() {
        QFETCH(Failure, failure);
        QFETCH(QString, text);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const Place place{dir.path() + QLatin1Char('/'), db()};
        try {
            failure(place);
            QFAIL("nothing failed");
        } catch (...) {
            showCurrentException();
        }
        QCOMPARE(m_ui->messages.size(), 1);
        const RecordedMessage shown = m_ui->messages.first();
        QCOMPARE(shown.text.section(QLatin1Char('\r'), 0, 0), text);
        QVERIFY2(shown.text.contains(QLatin1Char('\r')), "says what the person can do");
        QVERIFY2(shown.details.contains(reason.replace(QStringLiteral("%1"), place.folder)), qPrintable(shown.details));
    }
};

QTEST_MAIN(TestFailureTexts)
#include "tst_failuretexts.moc"
