#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>

#include <sqlite3.h>

#include "app/UnitHeard.h"
#include "app/prompt.h"
#include "common/UnitConst.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kDbAccessError = "Ошибка при доступе к базе данных!\rВозможно она уже запущена в монопольном режиме!";
const QString kWrongLogin = "Пароль или логин введены не верно. \rПроверьте раскладку клавиатуры и Caps Lock.";
const QString kVersionMessage = "Произведено обновление БД до версии: 1\rКоличество изменений: 1";
const QString kDbDialogTitle = "Выбор базы данных...";
const QString kSettingsUnwritable =
    "Не удается сохранить настройки рабочего места в файле «%1».\rПуть к базе данных, период списка карт и другие "
    "настройки, измененные за этот сеанс, не сохранены. Проверьте, что папка программы доступна для записи и на "
    "диске есть место.";
// A database from before the parameters were shipped with it.
const QString kOldDatabase = "DELETE FROM tParApl";
const QString kParsSql = "SELECT ParKod, snachDT, snachInt, snachStr FROM tParApl ORDER BY ParKod";

// Runs the action with each insert into the table needing new pages of the file, and every connection the action
// opens unable to grow its file, as on a full disk: a page limit below the file's keeps it at the pages it has.
void onFullDisk(Database& db, const QString& table, const std::function<void()>& action) {
    exec(db, "CREATE TABLE tFiller (b)");
    exec(db,
         "CREATE TRIGGER tFill AFTER INSERT ON " + table + " BEGIN INSERT INTO tFiller VALUES (zeroblob(65536)); END");
    const auto keepPages = [](sqlite3* handle, const char**, const sqlite3_api_routines*) {
        return sqlite3_exec(handle, "PRAGMA max_page_count = 1", nullptr, nullptr, nullptr);
    };
    const auto entry = reinterpret_cast<void (*)()>(+keepPages);
    sqlite3_auto_extension(entry);
    action();
    sqlite3_cancel_auto_extension(entry);
}

QStringList logRows(Database& db) {
    return rows(db, "SELECT id_user, kod_action, ActionStr FROM tListActionUsers ORDER BY ID");
}

QStringList workUserRows(Database& db) {
    return rows(db, "SELECT ID, id_user FROM tWorkUser ORDER BY ID");
}

QString signedInUser() {
    return QString("%1|%2|%3|%4").arg(gUserApl.ID).arg(gUserApl.Name).arg(gUserApl.Uroven).arg(gUserApl.Koment);
}

// Login empty: nobody signs in; queryClose empty: no INI key.
struct SignIn {
    QString login, password;
    bool exclusive;
    int level;
    QString queryClose, closeBy;
    Answer answer;
    bool signedIn;
    QString message;
    bool asked;
};

}  // namespace

Q_DECLARE_METATYPE(SignIn)

class TestHeard : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        exec(m_db->db, kOldDatabase);
        m_app = std::make_unique<QTemporaryDir>();
        resetProgramGlobals();
    }
    void cleanup() {
        qDeleteAll(prompts());
        m_app.reset();
        endCase(m_ui, m_db);
    }

    void roundTripsIniAndOwnSignInRow() {
        // Another copy signed in under the same name inserts its row right after ours.
        exec(m_db->db,
             "CREATE TRIGGER tOtherCopy AFTER INSERT ON tWorkUser BEGIN INSERT INTO tWorkUser "
             "(id_user) VALUES (NEW.id_user); END;");
        writeIni({"[ParamApl]", "PathBase=" + m_db->folder(), "DBFName=dbVelorma.mdb", "PhotoDir=/srv/photo/",
                  "PathPhotoLoad=/home/desk/", "gPeriodCardBeg=01.02.2024", "gPeriodCardEnd=29.02.2024",
                  "gQueryClose=0", "[ParUser]", "gEndUserStr=Иванов"});
        auto main = startProgram();
        QVERIFY(m_ui->fileDialogTitles.isEmpty());
        QCOMPARE(gPeriodCard.Beg, at("2024-02-01 00:00:00"));
        QCOMPARE(gPeriodCard.End, at("2024-02-29 00:00:00"));
        // Written back on close after sign-in as read, with the period's days and the new user.
        QFile::remove(iniPath());
        gPeriodCard = {at("2024-01-10 00:00:00"), at("2024-02-20 23:59:59")};
        signIn(openPrompt(*main), "Admin");
        QVERIFY(!QFile::exists(iniPath()));
        const QStringList signedIn = workUserRows(m_db->db);
        QVERIFY(main->close());
        QCOMPARE(workUserRows(m_db->db), QStringList(signedIn.last()));
        QCOMPARE(QString::fromUtf8(fileBytes(iniPath())).split('\n', Qt::SkipEmptyParts),
                 QStringList({"[ParUser]", "gEndUserStr=Admin", "[ParamApl]", "DBFName=dbVelorma.mdb",
                              "PathBase=" + m_db->folder(), "PathPhotoLoad=/home/desk/", "PhotoDir=/srv/photo/",
                              "gPeriodCardBeg=10.01.2024", "gPeriodCardEnd=20.02.2024", "gQueryClose=0"}));
        // A write-back cut short on a full disk, which QSettings does not notice, is told of and leaves the file.
        const QByteArray written = fileBytes(iniPath());
        gPathBase = "/srv/base/";
        QCOMPARE(messagesOnFullDisk([&main] { main->FormClose(); }, written.size() / 2),
                 QStringList{kSettingsUnwritable.arg(iniPath())});
        QCOMPARE(fileBytes(iniPath()), written);
        QCOMPARE(QDir(appFolder()).entryList(QDir::Files), QStringList{"AplConf.ini"});
    }

    // Codes up to 50 hold a date-time, up to 100 a number, above that a text; a second write updates the row. A
    // missing or older version is raised with a message; the current or a newer one is left alone.
    void storesParametersAndRaisesVersion() {
        auto main = m_db->connectedMain();
        main->SetParApl(50, at("2024-03-05 10:20:30"));
        main->SetParApl(50, at("2025-01-02 08:00:00"));
        main->SetParApl(51, 0);
        main->SetParApl(51, 1);
        main->SetParApl(100, 2.5);
        main->SetParApl(100, "3,75");
        main->SetParApl(101, "ООО «Вело»");
        main->SetParApl(101, "Директор");
        QCOMPARE(rows(m_db->db, kParsSql),
                 QStringList({"50|2025-01-02 08:00:00||", "51||1|", "100||3.75|", "101|||Директор"}));
        for (int code : {49, 52, 102}) {
            QCOMPARE(main->GetParApl(code).toString(), code > 100 ? QString() : "0");
            QCOMPARE(main->FParNotFound, 1);
        }
        // An empty row is found: the flag tells of the last read only.
        exec(m_db->db, "UPDATE tParApl SET snachDT=NULL, snachInt=NULL, snachStr=NULL");
        QCOMPARE(main->GetParApl(50).toDateTime(), QDateTime(kZeroDate, QTime(0, 0)));
        QCOMPARE(main->GetParApl(51).toDouble(), 0.0);
        QCOMPARE(main->GetParApl(101).toString(), QString());
        QCOMPARE(main->FParNotFound, 0);
        exec(m_db->db, kOldDatabase);
        QCOMPARE(main->UpDateDB(), 1);
        QCOMPARE(main->UpDateDB(), 0);
        exec(m_db->db, "UPDATE tParApl SET snachInt=0 WHERE ParKod=52");
        QCOMPARE(main->UpDateDB(), 1);
        QCOMPARE(rows(m_db->db, kParsSql), QStringList("52||1|"));
        exec(m_db->db, "UPDATE tParApl SET snachInt=2 WHERE ParKod=52");
        QCOMPARE(main->UpDateDB(), 0);
        QCOMPARE(rows(m_db->db, kParsSql), QStringList("52||2|"));
    }
    void signInThenClose_data() {
        QTest::addColumn<SignIn>("run");
        const QString right = "Пароль1";
        const auto row = [](const char* name, const SignIn& run) { QTest::newRow(name) << run; };
        row("other letter case, Enter, gQueryClose 0",
            {"пЕТРОВ", right, false, 1, "0", "window", Answer::Yes, true, kVersionMessage, false});
        row("right password, No", {"Петров", right, false, 0, "1", "window", Answer::No, true, kVersionMessage, true});
        row("exclusive, right password, Enter",
            {"Петров", right, true, 2, "", "window", Answer::Yes, true, kVersionMessage, true});
        row("exclusive, wrong password",
            {"Петров", "пароль2", true, 2, "нет", "button", Answer::Yes, false, kWrongLogin, true});
        row("nobody signed in, Esc, gQueryClose 5", {"", "", false, 2, "5", "esc", Answer::Yes, false, "", true});
    }
    void signInThenClose() {
        QFETCH(SignIn, run);
        const auto& [login, password, exclusive, level, queryClose, closeBy, answer, signedIn, message, asked] = run;
        gUserApl = {7, "x", 2, "y"};  // the start presets the built-in administrator
        const int id = addUser(m_db->db, "Петров", "Пароль1", level, "смена");
        // Other copies signed in: one as Admin, one under the same name, which left a wizard proposal.
        exec(m_db->db, QString("INSERT INTO tWorkUser (id_user) VALUES (1), (%1)").arg(id));
        exec(m_db->db, QString("INSERT INTO tWizardTMP (ID_Card, ID_USER) VALUES (1, %1)").arg(id));
        const QStringList kept = exclusive && signedIn ? QStringList() : workUserRows(m_db->db);
        const QStringList started(QString("%1|0|Запуск программы").arg(id));
        writeIni({"[ParamApl]", "PathBase=" + m_db->folder(), queryClose.isEmpty() ? "" : "gQueryClose=" + queryClose,
                  "[ParUser]", "gEndUserStr=Петров"});
        const QByteArray iniBefore = fileBytes(iniPath());
        if (exclusive) {
            m_db->db.close();  // no other copy has the file open
        }
        auto main = startProgram();
        QPointer<Tfprompt> prompt = openPrompt(*main);
        QCOMPARE(prompt->login->text(), "Петров");
        if (!login.isEmpty()) {
            signIn(prompt, login, password, exclusive, QByteArray(QTest::currentDataTag()).contains("Enter"));
        }
        Database& db = signedIn && exclusive ? main->ADOConnect : m_db->db;
        QVERIFY(db.isOpen() || db.open(m_db->path()));
        QCOMPARE(m_ui->messageTexts(), message.isEmpty() ? QStringList() : QStringList(message));
        QCOMPARE(prompt.isNull(), signedIn);
        QCOMPARE(main->isVisible(), signedIn);
        QCOMPARE(signedInUser(),
                 signedIn ? QString("%1|%2|%3|смена").arg(id).arg(login).arg(level) : "1|Admin|0|system admin");
        QCOMPARE(logRows(db), signedIn ? started : QStringList());
        QCOMPARE(scalar(db, "SELECT COUNT(*) FROM tWizardTMP").toInt(), exclusive && signedIn ? 0 : 1);
        if (signedIn) {
            QCOMPARE(main->windowTitle(), "Велорма (v.1.2.5)  # " + login + " #" + (exclusive ? " (Монопольно)" : ""));
            QCOMPARE(main->N_Servis->menuAction()->isVisible(), level == 0);
            QCOMPARE(workUserRows(db), kept + QStringList(QString("%1|%2").arg(main->FIDWorkUser).arg(id)));
            Database another;
            QCOMPARE(another.open(m_db->path()), !exclusive);
        } else {
            QCOMPARE(workUserRows(db), kept);
        }
        m_ui->answers = {answer};
        if (closeBy == QLatin1String("esc")) {
            QTest::keyClick(prompt->login, Qt::Key_Escape);
        } else if (closeBy == QLatin1String("button")) {
            prompt->btnClose->click();
        } else {
            QCOMPARE(main->close(), answer != Answer::No);
        }
        QCOMPARE(m_ui->questions, asked ? QStringList("Завершить работу программы?") : QStringList());
        if (answer == Answer::No) {
            QVERIFY(main->isVisible());
            QCOMPARE(fileBytes(iniPath()), iniBefore);
            QCOMPARE(workUserRows(db).size(), kept.size() + 1);
            // Any other way of leaving the question lets the close go on.
            m_ui->answers = {Answer::Closed};
            QVERIFY(main->close());
        }
        QVERIFY(!main->ADOConnect.isOpen());
        QVERIFY(m_db->db.isOpen() || m_db->db.open(m_db->path()));
        QCOMPARE(workUserRows(m_db->db), kept);
        if (signedIn) {
            QCOMPARE(logRows(m_db->db), started + QStringList(QString("%1|0|Завершение программы").arg(id)));
            QCOMPARE(QSettings(iniPath(), QSettings::IniFormat).value("ParUser/gEndUserStr").toString(), login);
        } else {
            QVERIFY(logRows(m_db->db).isEmpty());
            QCOMPARE(fileBytes(iniPath()), iniBefore);
        }
    }
    // Unreadable period dates read as the start's moment, keys not given as their defaults, and the file stays as it
    // was; a missing database is asked for at the start and at each sign-in until one is chosen.
    void startsWithDefaultsThenLoginFindsNoDatabase() {
        writeIni({"[ParamApl]", "gPeriodCardBeg=31.02.2024", "gPeriodCardEnd=2024-03-05"});
        const QByteArray ini = fileBytes(iniPath());
        gUserApl = {7, "x", 2, "y"};
        TfrmAPL main;
        const QDateTime before = QDateTime::currentDateTime();
        main.FormCreate(appFolder());  // the dialog of the main window is cancelled: no preset user yet
        const QDateTime after = QDateTime::currentDateTime();
        QCOMPARE(QStringList({gAppPath, gPathBase, gDBFName, gPhotoDir, gPathPhotoLoad, gEndUserStr, signedInUser()}),
                 QStringList({appFolder(), appFolder() + "Base/", "dbVelorma.mdb", appFolder() + "Photo/", appFolder(),
                              "", "7|x|2|y"}));
        QVERIFY(gPeriodCard.Beg >= before && gPeriodCard.End >= before && gQueryClose);
        QVERIFY(gPeriodCard.Beg <= after && gPeriodCard.End <= after);
        QPointer<Tfprompt> prompt = openPrompt(main);
        signIn(prompt, "Admin");
        QCOMPARE(m_ui->fileDialogTitles, QStringList({kDbDialogTitle, kDbDialogTitle}));
        QVERIFY(!prompt.isNull() && !gLoginOK);
        m_ui->fileAnswers.push_back(m_db->path());
        signIn(prompt, "Admin");
        QVERIFY(gLoginOK && gPathBase == m_db->folder());
        QCOMPARE(workUserRows(m_db->db).size(), 1);
        QCOMPARE(fileBytes(iniPath()), ini);
    }
    // A sign-in that fails opens no window and writes nothing of it. A connection refused as exclusive is asked while
    // another copy is connected ends the program; a check refused while another copy holds the file exclusively, or a
    // write that finds the disk full, gives the sign-in again, which opens the window once the cause is gone.
    void failedSignInOpensNoWindow_data() {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("details");
        QTest::newRow("exclusive while another copy is connected") << "exclusive"
                                                                   << "не открыта больше нигде";
        QTest::newRow("another copy holds it exclusively") << "held"
                                                           << "База открыта монопольно";
        for (const char* table : {"tWorkUser", "tListActionUsers", "tParApl"}) {
            QTest::addRow("no room for the write into %s", table) << table << "database or disk is full";
        }
    }
    void failedSignInOpensNoWindow() {
        QFETCH(QString, cause);
        QFETCH(QString, details);
        const bool fullDisk = cause.startsWith('t');
        const int other = addUser(m_db->db, "Петров", "1", ulUser);
        insert(m_db->db, QString("INSERT INTO tWorkUser (id_user) VALUES (%1)").arg(other));
        const QStringList kept = workUserRows(m_db->db);
        auto main = startProgram();
        const auto signInHere = [&] { signIn(openPrompt(*main), "Петров", "1", cause == "exclusive"); };
        if (cause == "held") {
            m_db->db.close();
            Database holder;
            QVERIFY(holder.open(m_db->path(), Database::Mode::Exclusive));
            signInHere();
        } else {
            fullDisk ? onFullDisk(m_db->db, cause, signInHere) : signInHere();
        }
        QVERIFY(m_db->db.isOpen() || m_db->db.open(m_db->path()));
        QCOMPARE(m_ui->messages.size(), 1);
        QCOMPARE(m_ui->messages.first().text == kDbAccessError, !fullDisk);
        QVERIFY2(m_ui->messages.first().details.contains(details), qPrintable(m_ui->messages.first().details));
        QVERIFY(!main->isVisible() && !main->N_Servis->menuAction()->isVisible() && !main->ADOConnect.isOpen());
        QVERIFY(m_ui->questions.isEmpty() && logRows(m_db->db).isEmpty() && rows(m_db->db, kParsSql).isEmpty());
        QCOMPARE(workUserRows(m_db->db), kept);
        const QList<Tfprompt*> again = prompts();
        QCOMPARE(again.size(), int(!gLoginOK));
        if (cause == "exclusive") {
            QCOMPARE(QSettings(iniPath(), QSettings::IniFormat).value("ParUser/gEndUserStr").toString(), "Петров");
            return;
        }
        QVERIFY(again.first()->isVisible());
        QCOMPARE(again.first()->login->text(), "Петров");
        signIn(again.first(), "Петров", "1");
        QVERIFY(main->isVisible() && !main->N_Servis->menuAction()->isVisible());
        QCOMPARE(workUserRows(m_db->db).size(), kept.size() + 1);
    }

  private:
    QString appFolder() const { return m_app->path() + QLatin1Char('/'); }
    QString iniPath() const { return appFolder() + "AplConf.ini"; }
    void writeIni(const QStringList& lines) {
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
        file.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    }
    // Creates the main window as the program does; a missing database file is answered in its dialog.
    std::unique_ptr<TfrmAPL> startProgram() {
        auto main = std::make_unique<TfrmAPL>();
        m_ui->fileAnswers.push_back(m_db->path());
        main->FormCreate(appFolder());
        return main;
    }
    static QList<Tfprompt*> prompts() {
        QList<Tfprompt*> found;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* prompt = qobject_cast<Tfprompt*>(widget)) {
                found << prompt;
            }
        }
        return found;
    }
    Tfprompt* openPrompt(TfrmAPL& main) {
        auto* prompt = new Tfprompt(main);
        prompt->show();
        return prompt;
    }
    void signIn(Tfprompt* prompt, const QString& login, const QString& password = QString(), bool exclusive = false,
                bool byEnter = false) {
        prompt->login->setText(login);
        prompt->password->setText(password);
        prompt->cbMonopolno->setChecked(exclusive);
        // Enter signs in from the password or, once ticked, from the exclusive box.
        byEnter
            ? QTest::keyClick(exclusive ? static_cast<QWidget*>(prompt->cbMonopolno) : prompt->password, Qt::Key_Return)
            : prompt->BitOk->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::unique_ptr<QTemporaryDir> m_app;
};

QTEST_MAIN(TestHeard)
#include "tst_heard.moc"
