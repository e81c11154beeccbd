#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/UnitConst.h"
#include "app/UnitHeard.h"
#include "app/about.h"
#include "app/prompt.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kDbAccessError =
    QStringLiteral("Ошибка при доступе к базе данных!\rВозможно она уже запущена в монопольном режиме!");
const QString kWrongLogin =
    QStringLiteral("Пароль или логин введены не верно. \rПроверьте раскладку клавиатуры и Caps Lock.");
const QString kVersionMessage = QStringLiteral("Произведено обновление БД до версии: 1\rКоличество изменений: 1");
const QString kQuitQuestion = QStringLiteral("Завершить работу программы?");
const QString kDbDialogTitle = QStringLiteral("Выбор базы данных...");
const QString kOpened = QStringLiteral("База данных открыта...");
const QString kStart = QStringLiteral("Запуск программы");
const QString kEnd = QStringLiteral("Завершение программы");

const QString SELECT_WORK_USERS_SQL = QStringLiteral("SELECT ID, id_user FROM tWorkUser ORDER BY ID");
const QString SELECT_LOG_SQL =
    QStringLiteral("SELECT id_user, kod_action, ActionStr FROM tListActionUsers ORDER BY ID");
const QString SELECT_PARS_SQL =
    QStringLiteral("SELECT ParKod, snachDT, snachInt, snachStr FROM tParApl ORDER BY ParKod");

const QStringList kIniKeys = {"ParamApl/PathBase",      "ParamApl/DBFName",        "ParamApl/PhotoDir",
                              "ParamApl/PathPhotoLoad", "ParamApl/gPeriodCardBeg", "ParamApl/gPeriodCardEnd",
                              "ParUser/gEndUserStr",    "ParamApl/gQueryClose"};

QString dateText(const QDate& date) {
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

}  // namespace

class TestHeard : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void readsDefaultsWithoutIniFile();
    void takesDatabaseFromDialog();
    void readsIniValues();
    void readsPeriodDates_data();
    void readsPeriodDates();
    void writesAllKeysAfterSignInAndClose();

    void storesParameterInColumnOfItsRange_data();
    void storesParameterInColumnOfItsRange();
    void readsMissingParameterAsZero();
    void readsEmptyColumnsAsZero();
    void refusesParameterOfWrongType_data();
    void refusesParameterOfWrongType();
    void raisesDatabaseVersion_data();
    void raisesDatabaseVersion();
    void showsVersionInAboutBox_data();
    void showsVersionInAboutBox();

    void presetsLoginFromLastSignIn();
    void signsIn();
    void signsInWithEnter();
    void keepsRunningAfterSignIn();
    void refusesWrongPassword();
    void exclusiveWithWrongPasswordClearsSignInRows();
    void exclusiveSignIn();
    void loginDialogCannotConnect();
    void loginDialogAsksForMissingDatabase();
    void hidesServiceMenuAboveAdministrator_data();
    void hidesServiceMenuAboveAdministrator();

    void closingBeforeSignInWritesNothing_data();
    void closingBeforeSignInWritesNothing();
    void closingAfterSignInWritesIniLogAndOwnRow();
    void answeringNoKeepsRunning();
    void failedMainConnectionClosesWithoutDatabaseWrite_data();
    void failedMainConnectionClosesWithoutDatabaseWrite();
    void twoCopiesUnderOneUserKeepTheirRows();
    void keepsOwnRowWhenAnotherCopySignsInAtOnce();

  private:
    QString appFolder() const { return m_app->path() + QLatin1Char('/'); }
    QString iniPath() const { return appFolder() + QStringLiteral("AplConf.ini"); }
    void writeIni(const QStringList& lines);
    // Creates the main window as the program does; the database file is answered in its dialog.
    std::unique_ptr<TfrmAPL> startProgram();
    Tfprompt* openPrompt(TfrmAPL& main);
    void signIn(Tfprompt* prompt, const QString& login, const QString& password = QString(), bool exclusive = false);
    // The main window with an open connection, as the parameters store uses it.
    std::unique_ptr<TfrmAPL> connectedWindow();
    QStringList logRows() { return rows(m_db->db, SELECT_LOG_SQL); }
    QStringList workUserRows() { return rows(m_db->db, SELECT_WORK_USERS_SQL); }

    std::unique_ptr<FakeUi> m_ui;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<QTemporaryDir> m_app;
};

void TestHeard::init() {
    startCase(m_ui, m_db);
    m_app = std::make_unique<QTemporaryDir>();
    resetProgramGlobals();
}

void TestHeard::cleanup() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<Tfprompt*>(widget)) {
            delete widget;
        }
    }
    m_app.reset();
    endCase(m_ui, m_db);
}

void TestHeard::writeIni(const QStringList& lines) {
    QFile file(iniPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
    file.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
}

std::unique_ptr<TfrmAPL> TestHeard::startProgram() {
    auto main = std::make_unique<TfrmAPL>();
    if (!QFile::exists(appFolder() + QStringLiteral("Base/dbVelorma.mdb"))) {
        m_ui->fileAnswers.push_back(m_db->path());
    }
    main->FormCreate(appFolder());
    return main;
}

Tfprompt* TestHeard::openPrompt(TfrmAPL& main) {
    auto* prompt = new Tfprompt(main);
    prompt->show();
    return prompt;
}

void TestHeard::signIn(Tfprompt* prompt, const QString& login, const QString& password, bool exclusive) {
    prompt->login->setText(login);
    prompt->password->setText(password);
    prompt->cbMonopolno->setChecked(exclusive);
    prompt->BitOk->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::unique_ptr<TfrmAPL> TestHeard::connectedWindow() {
    auto main = std::make_unique<TfrmAPL>();
    if (!main->ADOConnect.open(m_db->path())) {
        qFatal("cannot open the main connection");
    }
    return main;
}

void TestHeard::readsDefaultsWithoutIniFile() {
    gUserApl.ID = 9;  // the preset is skipped when the database dialog is cancelled
    TfrmAPL main;
    const QDateTime before = QDateTime::currentDateTime();
    main.FormCreate(appFolder());
    const QDateTime after = QDateTime::currentDateTime();

    QCOMPARE(gAppPath, appFolder());
    QCOMPARE(gPathBase, appFolder() + QStringLiteral("Base/"));
    QCOMPARE(gPhotoDir, appFolder() + QStringLiteral("Photo/"));
    QCOMPARE(gDBFName, QStringLiteral("dbVelorma.mdb"));
    QCOMPARE(gPathPhotoLoad, appFolder());
    QVERIFY(gPeriodCard.Beg >= before && gPeriodCard.Beg <= after);
    QVERIFY(gPeriodCard.End >= before && gPeriodCard.End <= after);
    QCOMPARE(gEndUserStr, QString());
    QVERIFY(gQueryClose);
    QCOMPARE(m_ui->fileDialogTitles, QStringList(kDbDialogTitle));
    QCOMPARE(gUserApl.ID, 9);
    QVERIFY(!QFile::exists(iniPath()));
}

void TestHeard::takesDatabaseFromDialog() {
    gUserApl = {7, QStringLiteral("x"), 2, QStringLiteral("y")};
    auto main = startProgram();
    QCOMPARE(m_ui->fileDialogTitles, QStringList(kDbDialogTitle));
    QCOMPARE(gPathBase, m_db->folder());
    QCOMPARE(gDBFName, QStringLiteral("dbVelorma.mdb"));
    QCOMPARE(gUserApl.ID, 1);
    QCOMPARE(gUserApl.Name, QStringLiteral("Admin"));
    QCOMPARE(gUserApl.Uroven, 0);
    QCOMPARE(gUserApl.Koment, QStringLiteral("system admin"));
}

void TestHeard::readsIniValues() {
    writeIni({"[ParamApl]", "PathBase=" + m_db->folder(), "DBFName=dbVelorma.mdb", "PhotoDir=/srv/photo/",
              "PathPhotoLoad=/home/desk/", "gPeriodCardBeg=01.02.2024", "gPeriodCardEnd=29.02.2024", "gQueryClose=0",
              "[ParUser]", "gEndUserStr=Иванов"});
    TfrmAPL main;
    main.FormCreate(appFolder());
    QCOMPARE(gPathBase, m_db->folder());
    QCOMPARE(gDBFName, QStringLiteral("dbVelorma.mdb"));
    QCOMPARE(gPhotoDir, QStringLiteral("/srv/photo/"));
    QCOMPARE(gPathPhotoLoad, QStringLiteral("/home/desk/"));
    QCOMPARE(gPeriodCard.Beg, QDateTime(QDate(2024, 2, 1), QTime(0, 0)));
    QCOMPARE(gPeriodCard.End, QDateTime(QDate(2024, 2, 29), QTime(0, 0)));
    QCOMPARE(gEndUserStr, QStringLiteral("Иванов"));
    QVERIFY(!gQueryClose);
    QVERIFY(m_ui->fileDialogTitles.isEmpty());
}

void TestHeard::readsPeriodDates_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QDate>("date");  // null: the moment of start

    QTest::newRow("not a date") << "abc" << QDate();
    QTest::newRow("impossible date") << "31.02.2024" << QDate();
    QTest::newRow("other format") << "2024-03-05" << QDate();
    QTest::newRow("short date") << "05.03.2024" << QDate(2024, 3, 5);
}

void TestHeard::readsPeriodDates() {
    QFETCH(QString, stored);
    QFETCH(QDate, date);
    writeIni({"[ParamApl]", "gPeriodCardBeg=" + stored, "gPeriodCardEnd=" + stored});
    TfrmAPL main;
    const QDateTime before = QDateTime::currentDateTime();
    main.FormCreate(appFolder());
    const QDateTime after = QDateTime::currentDateTime();

    if (date.isNull()) {
        QVERIFY(gPeriodCard.Beg >= before && gPeriodCard.Beg <= after);
        QVERIFY(gPeriodCard.End >= before && gPeriodCard.End <= after);
    } else {
        QCOMPARE(gPeriodCard.Beg, QDateTime(date, QTime(0, 0)));
        QCOMPARE(gPeriodCard.End, QDateTime(date, QTime(0, 0)));
    }

    TfrmAPL::WriteIni();
    QSettings ini(iniPath(), QSettings::IniFormat);
    const QString written = ini.value(QStringLiteral("ParamApl/gPeriodCardBeg")).toString();
    QCOMPARE(written, dateText(gPeriodCard.Beg.date()));
    QCOMPARE(ini.value(QStringLiteral("ParamApl/gPeriodCardEnd")).toString(), dateText(gPeriodCard.End.date()));
    if (date.isNull()) {
        QVERIFY(written == dateText(before.date()) || written == dateText(after.date()));
    }
}

void TestHeard::writesAllKeysAfterSignInAndClose() {
    const int id = addUser(m_db->db, QStringLiteral("Иванов"), QStringLiteral("секрет"), 1);
    auto main = startProgram();
    gPhotoDir = QStringLiteral("/srv/photo/");
    gPathPhotoLoad = QStringLiteral("/home/desk/");
    gPeriodCard = {QDateTime(QDate(2024, 1, 10), QTime(0, 0)), QDateTime(QDate(2024, 2, 20), QTime(23, 59, 59))};
    signIn(openPrompt(*main), QStringLiteral("Иванов"), QStringLiteral("секрет"));
    QCOMPARE(gUserApl.ID, id);
    QVERIFY(!QFile::exists(iniPath()));
    QVERIFY(main->close());

    QSettings ini(iniPath(), QSettings::IniFormat);
    QStringList keys = ini.allKeys();
    keys.sort();
    QStringList expectedKeys = kIniKeys;
    expectedKeys.sort();
    QCOMPARE(keys, expectedKeys);
    QCOMPARE(ini.value(QStringLiteral("ParamApl/PathBase")).toString(), m_db->folder());
    QCOMPARE(ini.value(QStringLiteral("ParamApl/DBFName")).toString(), QStringLiteral("dbVelorma.mdb"));
    QCOMPARE(ini.value(QStringLiteral("ParamApl/PhotoDir")).toString(), QStringLiteral("/srv/photo/"));
    QCOMPARE(ini.value(QStringLiteral("ParamApl/PathPhotoLoad")).toString(), QStringLiteral("/home/desk/"));
    QCOMPARE(ini.value(QStringLiteral("ParamApl/gPeriodCardBeg")).toString(), QStringLiteral("10.01.2024"));
    QCOMPARE(ini.value(QStringLiteral("ParamApl/gPeriodCardEnd")).toString(), QStringLiteral("20.02.2024"));
    QCOMPARE(ini.value(QStringLiteral("ParUser/gEndUserStr")).toString(), QStringLiteral("Иванов"));
    QCOMPARE(ini.value(QStringLiteral("ParamApl/gQueryClose")).toString(), QStringLiteral("1"));

    // The next start reads back what was written.
    gEndUserStr.clear();
    gPhotoDir.clear();
    TfrmAPL next;
    next.FormCreate(appFolder());
    QCOMPARE(gEndUserStr, QStringLiteral("Иванов"));
    QCOMPARE(gPhotoDir, QStringLiteral("/srv/photo/"));
    QCOMPARE(gPathBase + gDBFName, m_db->path());
    QCOMPARE(gPeriodCard.End, QDateTime(QDate(2024, 2, 20), QTime(0, 0)));
}

void TestHeard::storesParameterInColumnOfItsRange_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QVariant>("first");
    QTest::addColumn<QVariant>("second");
    QTest::addColumn<QString>("stored");  // after the second write

    QTest::newRow("50: date-time") << 50 << QVariant(QDateTime(QDate(2024, 3, 5), QTime(10, 20, 30)))
                                   << QVariant(QDateTime(QDate(2025, 1, 2), QTime(8, 0))) << "50|2025-01-02 08:00:00||";
    QTest::newRow("51: number") << 51 << QVariant(0) << QVariant(1) << "51||1|";
    QTest::newRow("100: number") << 100 << QVariant(2.5) << QVariant(QStringLiteral("3,75")) << "100||3.75|";
    QTest::newRow("101: text") << 101 << QVariant(QStringLiteral("ООО «Вело»")) << QVariant(QStringLiteral("Директор"))
                               << "101|||Директор";
}

void TestHeard::storesParameterInColumnOfItsRange() {
    QFETCH(int, code);
    QFETCH(QVariant, first);
    QFETCH(QVariant, second);
    QFETCH(QString, stored);
    auto main = connectedWindow();

    main->SetParApl(code, first);
    QCOMPARE(rows(m_db->db, SELECT_PARS_SQL).size(), 1);
    main->SetParApl(code, second);
    QCOMPARE(rows(m_db->db, SELECT_PARS_SQL), QStringList(stored));

    main->FParNotFound = 1;
    const QVariant read = main->GetParApl(code);
    QCOMPARE(main->FParNotFound, 0);
    if (code < 51) {
        QCOMPARE(read.toDateTime(), second.toDateTime());
    } else if (code <= 100) {
        QCOMPARE(read.typeId(), int(QMetaType::Double));
        QCOMPARE(read.toString(), stored.section(QLatin1Char('|'), 2, 2));
    } else {
        QCOMPARE(read.toString(), second.toString());
    }
}

void TestHeard::readsMissingParameterAsZero() {
    auto main = connectedWindow();
    main->SetParApl(53, 1);
    for (int code : {50, 52, 101}) {
        main->GetParApl(53);
        QCOMPARE(main->FParNotFound, 0);
        const QVariant read = main->GetParApl(code);
        QCOMPARE(main->FParNotFound, 1);
        QCOMPARE(read.toString(), QStringLiteral("0"));
    }
}

void TestHeard::readsEmptyColumnsAsZero() {
    SqlQuery(m_db->db).exec(QStringLiteral("INSERT INTO tParApl (ParKod) VALUES (50), (51), (101);"));
    auto main = connectedWindow();
    QCOMPARE(main->GetParApl(50).toDateTime(), QDateTime(kZeroDate, QTime(0, 0)));
    QCOMPARE(main->FParNotFound, 0);
    QCOMPARE(main->GetParApl(51).toDouble(), 0.0);
    QCOMPARE(main->GetParApl(101).toString(), QString());
    QCOMPARE(main->FParNotFound, 0);
}

void TestHeard::refusesParameterOfWrongType_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("word as number") << 51 << QVariant(QStringLiteral("да"));
    QTest::newRow("word as date") << 50 << QVariant(QStringLiteral("abc"));
}

void TestHeard::refusesParameterOfWrongType() {
    QFETCH(int, code);
    QFETCH(QVariant, value);
    auto main = connectedWindow();
    QVERIFY_THROWS_EXCEPTION(DbError, main->SetParApl(code, value));
    QCOMPARE(rows(m_db->db, SELECT_PARS_SQL), QStringList());

    const QVariant good = code < 51 ? QVariant(QDateTime(QDate(2024, 3, 5), QTime(0, 0))) : QVariant(1);
    main->SetParApl(code, good);
    const QStringList before = rows(m_db->db, SELECT_PARS_SQL);
    QVERIFY_THROWS_EXCEPTION(DbError, main->SetParApl(code, value));
    QCOMPARE(rows(m_db->db, SELECT_PARS_SQL), before);
}

void TestHeard::raisesDatabaseVersion_data() {
    QTest::addColumn<QVariant>("stored");  // null: no row
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("message");

    QTest::newRow("missing") << QVariant() << "52||1|" << true;
    QTest::newRow("zero") << QVariant(0) << "52||1|" << true;
    QTest::newRow("negative") << QVariant(-3) << "52||1|" << true;
    QTest::newRow("current") << QVariant(1) << "52||1|" << false;
    QTest::newRow("newer") << QVariant(2) << "52||2|" << false;
}

void TestHeard::raisesDatabaseVersion() {
    QFETCH(QVariant, stored);
    QFETCH(QString, after);
    QFETCH(bool, message);
    auto main = connectedWindow();
    if (stored.isValid()) {
        SqlQuery(m_db->db).exec(
            QStringLiteral("INSERT INTO tParApl (ParKod, snachInt) VALUES (52, %1);").arg(stored.toInt()));
    }
    main->UpDateDB();
    QCOMPARE(rows(m_db->db, SELECT_PARS_SQL), QStringList(after));
    QCOMPARE(m_ui->messageTexts(), message ? QStringList(kVersionMessage) : QStringList());

    // The next start finds nothing to do.
    m_ui->messages.clear();
    main->UpDateDB();
    QCOMPARE(rows(m_db->db, SELECT_PARS_SQL), QStringList(after));
    QVERIFY(m_ui->messages.isEmpty());
}

void TestHeard::showsVersionInAboutBox_data() {
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("label");
    QTest::newRow("missing") << QVariant() << "v.1.2.5.0";
    QTest::newRow("newer") << QVariant(2) << "v.1.2.5.2";
}

void TestHeard::showsVersionInAboutBox() {
    QFETCH(QVariant, stored);
    QFETCH(QString, label);
    auto main = connectedWindow();
    if (stored.isValid()) {
        main->SetParApl(pcDBVersion, stored);
    }
    TAboutBox about(*main, main.get());
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
    QCOMPARE(about.Version->text(), label);
    about.OKButton->click();
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

void TestHeard::presetsLoginFromLastSignIn() {
    writeIni({"[ParUser]", "gEndUserStr=Петров"});
    auto main = startProgram();
    Tfprompt* prompt = openPrompt(*main);
    QCOMPARE(prompt->login->text(), QStringLiteral("Петров"));
    QCOMPARE(prompt->password->text(), QString());
    QCOMPARE(prompt->LabelVer->text(), QStringLiteral("v.1.2.5"));
    QVERIFY(!prompt->cbMonopolno->isChecked());
    QCOMPARE(prompt->focusWidget(), prompt->password);
    QVERIFY(!gLoginOK);
}

void TestHeard::signsIn() {
    const int id = addUser(m_db->db, QStringLiteral("Петров"), QStringLiteral("Пароль1"), 2, QStringLiteral("смена"));
    auto main = startProgram();
    QPointer<Tfprompt> prompt = openPrompt(*main);
    QVERIFY(!main->isVisible());
    signIn(prompt, QStringLiteral("Петров"), QStringLiteral("Пароль1"));

    QVERIFY(prompt.isNull());
    QVERIFY(gLoginOK);
    QVERIFY(!gMonopolno);
    QCOMPARE(gEndUserStr, QStringLiteral("Петров"));
    QCOMPARE(gUserApl.ID, id);
    QCOMPARE(gUserApl.Name, QStringLiteral("Петров"));
    QCOMPARE(gUserApl.Uroven, 2);
    QCOMPARE(gUserApl.Koment, QStringLiteral("смена"));

    QVERIFY(main->isVisible());
    QCOMPARE(main->windowTitle(), QStringLiteral("Велорма (v.1.2.5)  # Петров #"));
    QCOMPARE(main->StatBarPanel1->text(), kOpened);
    QVERIFY(main->ADOConnect.isOpen());
    QCOMPARE(workUserRows(), QStringList(QStringLiteral("%1|%2").arg(main->FIDWorkUser).arg(id)));
    QCOMPARE(logRows(), QStringList(QStringLiteral("%1|0|%2").arg(id).arg(kStart)));
    QCOMPARE(m_ui->messageTexts(), QStringList(kVersionMessage));
    QCOMPARE(scalar(m_db->db, QStringLiteral("SELECT snachInt FROM tParApl WHERE ParKod=52")).toInt(), 1);
}

void TestHeard::signsInWithEnter() {
    auto main = startProgram();
    QPointer<Tfprompt> prompt = openPrompt(*main);
    // The login in another letter case names the same user.
    prompt->login->setText(QStringLiteral("admin"));
    QTest::keyClick(prompt->password, Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(prompt.isNull());
    QVERIFY(gLoginOK);
    QCOMPARE(gEndUserStr, QStringLiteral("admin"));
    QCOMPARE(main->windowTitle(), QStringLiteral("Велорма (v.1.2.5)  # admin #"));
    QCOMPARE(logRows(), QStringList(QStringLiteral("1|0|") + kStart));
}

void TestHeard::keepsRunningAfterSignIn() {
    auto main = startProgram();
    QPointer<Tfprompt> prompt = openPrompt(*main);
    prompt->login->setText(QStringLiteral("Admin"));
    bool running = false;
    // Signing in inside the program's own event loop: the login dialog is then its only visible window.
    QTimer::singleShot(0, main.get(), [prompt] { prompt->BitOk->click(); });
    QTimer::singleShot(200, main.get(), [&running] {
        running = true;
        QCoreApplication::exit(0);
    });
    QApplication::exec();
    QVERIFY(running);
    QVERIFY(main->isVisible());
    QVERIFY(m_ui->questions.isEmpty());
    QVERIFY(logRows().contains("1|0|" + kStart));
    QVERIFY(!logRows().contains("1|0|" + kEnd));
}

void TestHeard::refusesWrongPassword() {
    addUser(m_db->db, QStringLiteral("Петров"), QStringLiteral("Пароль1"), 2);
    auto main = startProgram();
    QPointer<Tfprompt> prompt = openPrompt(*main);
    signIn(prompt, QStringLiteral("Петров"), QStringLiteral("пароль2"));

    QCOMPARE(m_ui->messageTexts(), QStringList(kWrongLogin));
    QCOMPARE(m_ui->messages.first().icon, MsgIcon::Information);
    QVERIFY(!prompt.isNull());
    QVERIFY(prompt->isVisible());
    QCOMPARE(prompt->login->text(), QStringLiteral("Петров"));
    QCOMPARE(prompt->password->text(), QStringLiteral("пароль2"));
    QVERIFY(!gLoginOK);
    QVERIFY(!gMonopolno);
    QCOMPARE(gEndUserStr, QString());  // as read from the missing INI at start
    QCOMPARE(gUserApl.ID, 1);
    QCOMPARE(gUserApl.Name, QStringLiteral("Admin"));
    QVERIFY(!main->isVisible());
    QVERIFY(workUserRows().isEmpty());
    QVERIFY(logRows().isEmpty());

    // Attempts are not limited: the right password still signs in.
    signIn(prompt, QStringLiteral("Петров"), QStringLiteral("Пароль1"));
    QVERIFY(gLoginOK);
}

void TestHeard::exclusiveWithWrongPasswordClearsSignInRows() {
    const int other = addUser(m_db->db, QStringLiteral("Петров"), QStringLiteral("1"), 1);
    addWorkUser(m_db->db, 1);
    addWorkUser(m_db->db, other);
    addWorkUser(m_db->db, other);
    auto main = startProgram();
    QPointer<Tfprompt> prompt = openPrompt(*main);
    signIn(prompt, QStringLiteral("Admin"), QStringLiteral("не тот"), true);

    QVERIFY(workUserRows().isEmpty());
    QCOMPARE(m_ui->messageTexts(), QStringList(kWrongLogin));
    QVERIFY(!gLoginOK);
    QVERIFY(!gMonopolno);
    QVERIFY(!prompt.isNull());
    QVERIFY(!main->isVisible());
}

void TestHeard::exclusiveSignIn() {
    const int other = addUser(m_db->db, QStringLiteral("Петров"), QStringLiteral("1"), 1);
    addWorkUser(m_db->db, other);
    m_db->db.close();  // no other copy has the file open
    auto main = startProgram();
    signIn(openPrompt(*main), QStringLiteral("Admin"), QString(), true);

    QVERIFY(gLoginOK);
    QVERIFY(gMonopolno);
    QCOMPARE(main->windowTitle(), QStringLiteral("Велорма (v.1.2.5)  # Admin # (Монопольно)"));
    QCOMPARE(main->StatBarPanel1->text(), kOpened);
    Database another;
    QVERIFY(!another.open(m_db->path()));

    main->FormClose();
    QVERIFY(m_db->db.open(m_db->path()));
    // The sign-in check cleared the other copy's row; this run's own row went at the close.
    QVERIFY(workUserRows().isEmpty());
    QCOMPARE(logRows(), QStringList({"1|0|" + kStart, "1|0|" + kEnd}));
}

void TestHeard::loginDialogCannotConnect() {
    m_db->db.close();
    Database holder;
    QVERIFY(holder.open(m_db->path(), Database::Mode::Exclusive));
    auto main = startProgram();
    QPointer<Tfprompt> prompt = openPrompt(*main);
    signIn(prompt, QStringLiteral("Admin"));

    QCOMPARE(m_ui->messageTexts(), QStringList(kDbAccessError));
    QVERIFY(!prompt.isNull());
    QVERIFY(!gLoginOK);
    QVERIFY(!main->isVisible());
}

void TestHeard::loginDialogAsksForMissingDatabase() {
    gUserApl.ID = 9;
    TfrmAPL main;
    main.FormCreate(appFolder());  // the dialog of the main window is cancelled
    QCOMPARE(gUserApl.ID, 9);
    QPointer<Tfprompt> prompt = openPrompt(main);
    signIn(prompt, QStringLiteral("Admin"));
    QCOMPARE(m_ui->fileDialogTitles, QStringList({kDbDialogTitle, kDbDialogTitle}));
    QVERIFY(m_ui->messages.isEmpty());
    QVERIFY(!prompt.isNull());
    QVERIFY(!gLoginOK);

    m_ui->fileAnswers.push_back(m_db->path());
    signIn(prompt, QStringLiteral("Admin"));
    QCOMPARE(m_ui->fileDialogTitles.size(), 3);
    QCOMPARE(gPathBase + gDBFName, m_db->path());
    QVERIFY(gLoginOK);
    QCOMPARE(workUserRows().size(), 1);
}

void TestHeard::hidesServiceMenuAboveAdministrator_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("visible");
    QTest::newRow("administrator") << 0 << true;
    QTest::newRow("experienced") << 1 << false;
    QTest::newRow("user") << 2 << false;
}

void TestHeard::hidesServiceMenuAboveAdministrator() {
    QFETCH(int, level);
    QFETCH(bool, visible);
    addUser(m_db->db, QStringLiteral("Сидоров"), QStringLiteral("п"), level);
    auto main = startProgram();
    signIn(openPrompt(*main), QStringLiteral("Сидоров"), QStringLiteral("п"));
    QVERIFY(gLoginOK);
    QCOMPARE(gUserApl.Uroven, level);
    QCOMPARE(main->N_Servis->menuAction()->isVisible(), visible);
    QCOMPARE(main->N_Servis->title(), QStringLiteral("Сервис"));

    main->SetUserLevel(level);
    QCOMPARE(gUserApl.Uroven, level);
    QCOMPARE(main->N_Servis->menuAction()->isVisible(), visible);
}

void TestHeard::closingBeforeSignInWritesNothing_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("queryClose");  // as the INI holds it
    QTest::addColumn<bool>("asks");
    QTest::newRow("close button, 1") << "button"
                                     << "gQueryClose=1" << true;
    QTest::newRow("Esc, 5") << "esc"
                            << "gQueryClose=5" << true;
    QTest::newRow("close button, not a number") << "button"
                                                << "gQueryClose=нет" << true;
    QTest::newRow("close button, missing key") << "button"
                                               << "" << true;
    QTest::newRow("close button, 0") << "button"
                                     << "gQueryClose=0" << false;
}

void TestHeard::closingBeforeSignInWritesNothing() {
    QFETCH(QString, way);
    QFETCH(QString, queryClose);
    QFETCH(bool, asks);
    writeIni({"[ParamApl]", "PathBase=" + m_db->folder(), queryClose});
    const QByteArray iniBefore = [this] {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    auto main = startProgram();
    QPointer<Tfprompt> prompt = openPrompt(*main);
    prompt->login->setText(QStringLiteral("Admin"));
    if (way == QLatin1String("esc")) {
        QTest::keyClick(prompt->login, Qt::Key_Escape);
    } else {
        prompt->btnClose->click();
    }

    QCOMPARE(m_ui->questions, asks ? QStringList(kQuitQuestion) : QStringList());
    QFile ini(iniPath());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), iniBefore);
    QVERIFY(logRows().isEmpty());
    QVERIFY(workUserRows().isEmpty());
    QVERIFY(!gLoginOK);
}

void TestHeard::closingAfterSignInWritesIniLogAndOwnRow() {
    const int other = addUser(m_db->db, QStringLiteral("Петров"), QStringLiteral("1"), 1);
    const int otherRow = addWorkUser(m_db->db, other);
    const int sameUserRow = addWorkUser(m_db->db, 1);
    auto main = startProgram();
    signIn(openPrompt(*main), QStringLiteral("Admin"));
    const int ownRow = main->FIDWorkUser;
    QVERIFY(ownRow > sameUserRow);
    QCOMPARE(workUserRows().size(), 3);

    QVERIFY(main->close());
    QCOMPARE(m_ui->questions, QStringList(kQuitQuestion));
    QVERIFY(QFile::exists(iniPath()));
    QCOMPARE(logRows(), QStringList({"1|0|" + kStart, "1|0|" + kEnd}));
    QCOMPARE(workUserRows(),
             QStringList({QStringLiteral("%1|%2").arg(otherRow).arg(other), QStringLiteral("%1|1").arg(sameUserRow)}));
    QVERIFY(!main->ADOConnect.isOpen());
}

void TestHeard::answeringNoKeepsRunning() {
    auto main = startProgram();
    signIn(openPrompt(*main), QStringLiteral("Admin"));
    m_ui->answers.push_back(Answer::No);

    QVERIFY(!main->close());
    QCOMPARE(m_ui->questions, QStringList(kQuitQuestion));
    QVERIFY(main->isVisible());
    QVERIFY(main->ADOConnect.isOpen());
    QVERIFY(!QFile::exists(iniPath()));
    QCOMPARE(logRows(), QStringList("1|0|" + kStart));
    QCOMPARE(workUserRows().size(), 1);

    // Any other way of leaving the question lets the close go on.
    m_ui->answers.push_back(Answer::Closed);
    QVERIFY(main->close());
    QCOMPARE(logRows(), QStringList({"1|0|" + kStart, "1|0|" + kEnd}));
    QVERIFY(workUserRows().isEmpty());
}

void TestHeard::failedMainConnectionClosesWithoutDatabaseWrite_data() {
    QTest::addColumn<bool>("otherHoldsExclusive");
    QTest::newRow("exclusive asked while another copy is connected") << false;
    QTest::newRow("another copy holds the file exclusively") << true;
}

void TestHeard::failedMainConnectionClosesWithoutDatabaseWrite() {
    QFETCH(bool, otherHoldsExclusive);
    const int other = addUser(m_db->db, QStringLiteral("Петров"), QStringLiteral("1"), 1);
    auto main = startProgram();
    Database holder;
    if (otherHoldsExclusive) {
        const int otherRow = addWorkUser(m_db->db, other);
        // Signed in a moment before another copy took the file for itself.
        gUserApl = {other, QStringLiteral("Петров"), 1, QString()};
        gEndUserStr = gUserApl.Name;
        gLoginOK = true;
        m_db->db.close();
        QVERIFY(holder.open(m_db->path(), Database::Mode::Exclusive));
        main->show();
        holder.close();
        QVERIFY(m_db->db.open(m_db->path()));
        QCOMPARE(workUserRows(), QStringList(QStringLiteral("%1|%2").arg(otherRow).arg(other)));
    } else {
        signIn(openPrompt(*main), QStringLiteral("Петров"), QStringLiteral("1"), true);
        QVERIFY(gLoginOK);
    }

    QCOMPARE(m_ui->messageTexts(), QStringList(kDbAccessError));
    QVERIFY(!main->ADOConnect.isOpen());
    QTRY_VERIFY_WITH_TIMEOUT(!main->isVisible(), 2000);
    QVERIFY(m_ui->questions.isEmpty());
    QSettings ini(iniPath(), QSettings::IniFormat);
    QCOMPARE(ini.allKeys().size(), kIniKeys.size());
    QCOMPARE(ini.value(QStringLiteral("ParUser/gEndUserStr")).toString(), QStringLiteral("Петров"));
    QVERIFY(logRows().isEmpty());
    QCOMPARE(workUserRows().size(), otherHoldsExclusive ? 1 : 0);
    QVERIFY(rows(m_db->db, SELECT_PARS_SQL).isEmpty());
}

void TestHeard::twoCopiesUnderOneUserKeepTheirRows() {
    auto first = startProgram();
    signIn(openPrompt(*first), QStringLiteral("Admin"));
    auto second = startProgram();
    signIn(openPrompt(*second), QStringLiteral("Admin"));

    QVERIFY(first->FIDWorkUser > 0);
    QVERIFY(second->FIDWorkUser > first->FIDWorkUser);
    QCOMPARE(workUserRows(), QStringList({QStringLiteral("%1|1").arg(first->FIDWorkUser),
                                          QStringLiteral("%1|1").arg(second->FIDWorkUser)}));

    QVERIFY(first->close());
    QCOMPARE(workUserRows(), QStringList(QStringLiteral("%1|1").arg(second->FIDWorkUser)));
    QVERIFY(second->ADOConnect.isOpen());
    QVERIFY(second->close());
    QVERIFY(workUserRows().isEmpty());
    QCOMPARE(logRows(), QStringList({"1|0|" + kStart, "1|0|" + kStart, "1|0|" + kEnd, "1|0|" + kEnd}));
}

void TestHeard::keepsOwnRowWhenAnotherCopySignsInAtOnce() {
    // Another copy signed in under the same name inserts its row right after ours.
    SqlQuery(m_db->db).exec(QStringLiteral(
        "CREATE TRIGGER tOtherCopy AFTER INSERT ON tWorkUser BEGIN INSERT INTO tWorkUser (id_user) VALUES "
        "(NEW.id_user); END;"));
    auto main = startProgram();
    signIn(openPrompt(*main), QStringLiteral("Admin"));
    const QStringList signedIn = workUserRows();
    QCOMPARE(signedIn.size(), 2);
    QCOMPARE(main->FIDWorkUser, signedIn.first().section(QLatin1Char('|'), 0, 0).toInt());

    QVERIFY(main->close());
    QCOMPARE(workUserRows(), QStringList(signedIn.last()));
}

QTEST_MAIN(TestHeard)
#include "tst_heard.moc"
