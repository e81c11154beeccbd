#include <QComboBox>
#include <QLineEdit>

#include "app/UnitEdUser.h"
#include "app/UnitHeard.h"
#include "tests/support/TestSupport.h"

namespace {

const QString kNoName = "Не заполнено имя пользователя!";
const QString kNameTaken =
    "Пользователь с таким именем уже существует в системе!\rСмените имя пользователя и повторите попытку "
    "сохранения!";
const QString kUserGone =
    "Пользователь не найден: возможно, его удалили на другом рабочем месте.\rИзменения не сохранены.";

// existing: Петров is loaded, else a new user; level -1: as offered; saved: the row the save leaves, empty: none.
struct Save {
    bool existing;
    QString name, password, comment;
    int level;
    QString message, saved;
};

}  // namespace

Q_DECLARE_METATYPE(Save)

class TestEdUser : public MainWindowCase {
    Q_OBJECT

  private slots:
    void savesOrRefuses_data() {
        QTest::addColumn<Save>("run");
        const auto row = [](const char* tag, const Save& run) { QTest::newRow(tag) << run; };
        row("new at the offered level", {false, "Petrov", "secret", "касса 2", -1, "", "Petrov|касса 2|secret|0|text"});
        row("new, chosen level, empty password", {false, "Сидоров", "", "", 1, "", "Сидоров|||1|text"});
        row("name of spaces", {false, "   ", "", "", -1, "", "   |||0|text"});
        row("empty name", {false, "", "secret", "x", -1, kNoName, ""});
        row("taken, cyrillic other case", {false, "иванов", "pw2", "", -1, kNameTaken, ""});
        row("existing renamed to a taken name", {true, "иванов", "pw", "c", -1, kNameTaken, ""});
        row("existing keeps its own name", {true, "петров", "pw", "c", -1, "", "петров|c|pw|1|text"});
    }
    void savesOrRefuses() {
        QFETCH(Save, run);
        const auto& [existing, name, password, comment, level, message, saved] = run;
        addUser("Иванов", 2);
        const int petrov = addUser("Петров", 1);
        const QString users = "SELECT name, koment, passw, uroven, typeof(passw) FROM tUserApl ORDER BY ID";
        QStringList expected = rows(m_db->db, users);
        TfrmEdUser dialog(m_main->ADOConnect, nullptr);
        dialog.LoadUser(existing ? petrov : -1);
        QCOMPARE(QStringList({dialog.windowTitle(), dialog.leUserName->text(), dialog.lePasw->text(),
                              dialog.leInfo->text(), dialog.cbUroven->currentText()}),
                 existing ? QStringList({QString("Пользователь: ID=%1").arg(petrov), "Петров", "pw", "c",
                                         "Опытный пользователь"})
                          : QStringList({"Пользователь системы: НОВЫЙ", "", "", "", "Администратор"}));
        dialog.leUserName->setText(name);
        dialog.lePasw->setText(password);
        dialog.leInfo->setText(comment);
        if (level >= 0) {
            dialog.cbUroven->setCurrentIndex(level);
        }
        QCOMPARE(pressButton(dialog, "btnSave"), message.isEmpty() ? int(QDialog::Accepted) : 0);
        QCOMPARE(m_ui->messageTexts(), message.isEmpty() ? QStringList() : QStringList(message));
        if (!saved.isEmpty()) {
            expected.resize(existing ? 3 : 4);  // a new user's row after Петров's, or Петров's in place
            expected.last() = saved;
        }
        QCOMPARE(rows(m_db->db, users), expected);
        if (!message.isEmpty()) {
            QCOMPARE(dialog.leUserName->text(), name);
            QCOMPARE(dialog.lePasw->text(), password);
            // Another attempt after the refusal goes through.
            dialog.leUserName->setText("Новый");
            QCOMPARE(pressButton(dialog, "btnSave"), int(QDialog::Accepted));
            QCOMPARE(scalar(m_db->db, "SELECT count(*) FROM tUserApl").toInt(), existing ? 3 : 4);
        }
    }
    void keepsNameAndLevelOfBuiltInAdmin() {
        TfrmEdUser dialog(m_main->ADOConnect, nullptr);
        dialog.LoadUser(1);
        QVERIFY(!dialog.leUserName->isEnabled() && !dialog.cbUroven->isEnabled());
        dialog.lePasw->setText("новый");
        dialog.leInfo->setText("главный");
        QCOMPARE(pressButton(dialog, "btnSave"), int(QDialog::Accepted));
        QCOMPARE(rows(m_db->db, "SELECT name, koment, passw, uroven FROM tUserApl WHERE ID=1"),
                 QStringList{"Admin|главный|новый|0"});
    }
    // A user deleted by another workstation is told of; an insert the database refuses throws. Both keep the dialog.
    void failedSaveKeepsDialogOpen() {
        const int id = addUser("Ушедший", 2);
        TfrmEdUser gone(m_main->ADOConnect, nullptr);
        gone.LoadUser(id);
        TfrmEdUser refused(m_main->ADOConnect, nullptr);
        refused.LoadUser(-1);
        exec(m_db->db, QString("DELETE FROM tUserApl WHERE ID=%1").arg(id));
        exec(m_db->db, "CREATE TRIGGER tNoNew BEFORE INSERT ON tUserApl BEGIN SELECT RAISE(ABORT, 'disk full'); END;");
        gone.leUserName->setText("Вернувшийся");
        refused.leUserName->setText("Вернувшийся");
        QCOMPARE(pressButton(gone, "btnSave"), 0);
        QCOMPARE(m_ui->messageTexts(), QStringList(kUserGone));
        QVERIFY_THROWS_EXCEPTION(DbError, pressButton(refused, "btnSave"));
        QCOMPARE(refused.result(), 0);
        QCOMPARE(QStringList({gone.leUserName->text(), refused.leUserName->text()}), QStringList(2, "Вернувшийся"));
        QCOMPARE(rows(m_db->db, "SELECT ID, name FROM tUserApl"), QStringList{"1|Admin"});
    }

  private:
    int addUser(const QString& name, int level) { return ::addUser(m_db->db, name, "pw", level, "c"); }
};

QTEST_MAIN(TestEdUser)
#include "tst_eduser.moc"
