#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "app/UnitEdUser.h"
#include "app/UnitHeard.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kNoName = QStringLiteral("Не заполнено имя пользователя!");
const QString kNameTaken = QStringLiteral(
    "Пользователь с таким именем уже существует в системе!\rСмените имя пользователя и повторите попытку "
    "сохранения!");
const QString kUserGone =
    QStringLiteral("Пользователь не найден: возможно, его удалили на другом рабочем месте.\rИзменения не сохранены.");
const QString kUserRow = QStringLiteral("SELECT name, koment, passw, uroven FROM tUserApl WHERE ID=%1");

QLineEdit* edit(TfrmEdUser& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
}

QComboBox* levelBox(TfrmEdUser& dialog) {
    return dialog.findChild<QComboBox*>(QStringLiteral("cbUroven"));
}

void fill(TfrmEdUser& dialog, const QString& name, const QString& password, const QString& comment) {
    edit(dialog, "leUserName")->setText(name);
    edit(dialog, "lePasw")->setText(password);
    edit(dialog, "leInfo")->setText(comment);
}

}  // namespace

class TestEdUser : public MainWindowCase {
    Q_OBJECT

  private slots:
    void savesOrRefuses_data() {
        for (const char* column : {"load", "name", "password", "comment", "message"}) {
            QTest::addColumn<QString>(column);  // load: whom the dialog shows; empty: a new user
        }
        QTest::addColumn<int>("level");      // -1: as offered
        QTest::addColumn<QString>("saved");  // the row the save leaves; empty: none changed
        const auto row = [](const char* name, const char* load, const char* typed, const char* password,
                            const char* comment, int level, const QString& message, const char* saved) {
            QTest::newRow(name) << QString::fromUtf8(load) << QString::fromUtf8(typed) << QString::fromUtf8(password)
                                << QString::fromUtf8(comment) << message << level << QString::fromUtf8(saved);
        };
        row("new at the offered level", "", "Petrov", "secret", "касса 2", -1, "", "Petrov|касса 2|secret|0|text");
        row("new, chosen level, empty password", "", "Сидоров", "", "", 1, "", "Сидоров|||1|text");
        row("name of spaces", "", "   ", "", "", -1, "", "   |||0|text");
        row("empty name", "", "", "secret", "x", -1, kNoName, "");
        row("taken, cyrillic other case", "", "иванов", "pw2", "", -1, kNameTaken, "");
        row("existing renamed to a taken name", "Петров", "иванов", "pw", "c", -1, kNameTaken, "");
        row("existing keeps its own name", "Петров", "петров", "pw", "c", -1, "", "петров|c|pw|1|text");
    }
    void savesOrRefuses() {
        QFETCH(QString, load);
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, comment);
        QFETCH(QString, message);
        QFETCH(int, level);
        QFETCH(QString, saved);
        addUser(QStringLiteral("Иванов"), 2);
        const int petrov = addUser(QStringLiteral("Петров"), 1);
        const QString users =
            QStringLiteral("SELECT name, koment, passw, uroven, typeof(passw) FROM tUserApl ORDER BY ID");
        QStringList expected = rows(m_db->db, users);
        TfrmEdUser dialog(m_main->ADOConnect, nullptr);
        dialog.LoadUser(load.isEmpty() ? -1 : petrov);
        if (load.isEmpty()) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Пользователь системы: НОВЫЙ"));
        }
        fill(dialog, name, password, comment);
        if (level >= 0) {
            levelBox(dialog)->setCurrentIndex(level);
        }
        QCOMPARE(pressButton(dialog, "btnSave"), message.isEmpty() ? int(QDialog::Accepted) : 0);
        QCOMPARE(m_ui->messageTexts(), message.isEmpty() ? QStringList() : QStringList(message));
        if (!saved.isEmpty() && load.isEmpty()) {
            expected << saved;
        } else if (!saved.isEmpty()) {
            expected[2] = saved;  // Петров's row
        }
        QCOMPARE(rows(m_db->db, users), expected);
        if (!message.isEmpty()) {
            QCOMPARE(edit(dialog, "leUserName")->text(), name);
            QCOMPARE(edit(dialog, "lePasw")->text(), password);
            // Another attempt after the refusal goes through.
            edit(dialog, "leUserName")->setText(QStringLiteral("Новый"));
            QCOMPARE(pressButton(dialog, "btnSave"), int(QDialog::Accepted));
            QCOMPARE(userCount(), load.isEmpty() ? 4 : 3);
        }
    }
    void keepsNameAndLevelOfBuiltInAdmin() {
        TfrmEdUser dialog(m_main->ADOConnect, nullptr);
        dialog.LoadUser(1);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Пользователь: ID=1"));
        QVERIFY(!edit(dialog, "leUserName")->isEnabled() && !levelBox(dialog)->isEnabled());
        edit(dialog, "lePasw")->setText(QStringLiteral("новый"));
        edit(dialog, "leInfo")->setText(QStringLiteral("главный"));
        QCOMPARE(pressButton(dialog, "btnSave"), int(QDialog::Accepted));
        QCOMPARE(rows(m_db->db, kUserRow.arg(1)), QStringList{"Admin|главный|новый|0"});
    }
    void failedSaveKeepsDialogOpen_data() {
        QTest::addColumn<bool>("deletedMeanwhile");  // else the insert of a new user fails
        QTest::newRow("user deleted by another workstation") << true;
        QTest::newRow("insert refused by the database") << false;
    }
    void failedSaveKeepsDialogOpen() {
        QFETCH(bool, deletedMeanwhile);
        const int id = addUser(QStringLiteral("Ушедший"), 2);
        TfrmEdUser dialog(m_main->ADOConnect, nullptr);
        dialog.LoadUser(deletedMeanwhile ? id : -1);
        scalar(m_db->db, QStringLiteral("DELETE FROM tUserApl WHERE ID=%1").arg(id));
        exec(m_db->db, "CREATE TRIGGER tNoNew BEFORE INSERT ON tUserApl BEGIN SELECT RAISE(ABORT, 'disk full'); END;");
        edit(dialog, "leUserName")->setText(QStringLiteral("Вернувшийся"));
        if (deletedMeanwhile) {
            QCOMPARE(pressButton(dialog, "btnSave"), 0);
            QCOMPARE(m_ui->messageTexts(), QStringList(kUserGone));
        } else {
            QVERIFY_THROWS_EXCEPTION(DbError, pressButton(dialog, "btnSave"));
            QCOMPARE(dialog.result(), 0);
        }
        QCOMPARE(edit(dialog, "leUserName")->text(), QStringLiteral("Вернувшийся"));
        QCOMPARE(rows(m_db->db, "SELECT ID, name FROM tUserApl"), QStringList{"1|Admin"});
    }
    void loadsUserAndCancelWritesNothing() {
        const int id = addUser(QStringLiteral("Кассир"), 2);
        TfrmEdUser dialog(m_main->ADOConnect, nullptr);
        dialog.LoadUser(id);
        QCOMPARE(QStringList({edit(dialog, "leUserName")->text(), edit(dialog, "lePasw")->text(),
                              edit(dialog, "leInfo")->text(), levelBox(dialog)->currentText()}),
                 QStringList({"Кассир", "pw", "c", "Пользователь"}));
        fill(dialog, QStringLiteral("Другой"), QStringLiteral("x"), QStringLiteral("y"));
        QCOMPARE(pressButton(dialog, "btnCancel"), int(QDialog::Rejected));
        QCOMPARE(rows(m_db->db, kUserRow.arg(id)), QStringList{"Кассир|c|pw|2"});
    }

  private:
    int addUser(const QString& name, int level) {
        return ::addUser(m_db->db, name, QStringLiteral("pw"), level, QStringLiteral("c"));
    }
    int userCount() { return scalar(m_db->db, "SELECT count(*) FROM tUserApl").toInt(); }
};

QTEST_MAIN(TestEdUser)
#include "tst_eduser.moc"
