#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "app/UnitHeard.h"
#include "app/UnitSprTXT.h"
#include "common/SprGrid.h"
#include "common/UnitConst.h"
#include "tests/support/TestSupport.h"

namespace {

QStringList captions(TfrmAPL& main) {
    QStringList titles;
    for (TfrmSprTxt* list : main.listWindows()) {
        titles << list->windowTitle();
    }
    return titles;
}

// The shortcuts of the actions a person can reach through the menus, submenus included.
void addShortcuts(const QList<QAction*>& actions, QStringList& keys) {
    for (QAction* item : actions) {
        if (!item->isVisible() || !item->isEnabled()) {
            continue;
        }
        if (!item->shortcut().isEmpty()) {
            keys << item->shortcut().toString();
        }
        if (item->menu()) {
            addShortcuts(item->menu()->actions(), keys);
        }
    }
}

}  // namespace

class TestMainWindow : public MainWindowCase {
    Q_OBJECT

  private slots:
    void init() {
        startWithMain();
        gAppPath = gPathBase = m_db->folder();
        gDBFName = "dbVelorma.mdb";
        gLoginOK = true;
        gQueryClose = false;
        gPeriodCard = {QDateTime::currentDateTime(), QDateTime::currentDateTime()};
        m_main->show();
    }

    // The designed size where the screen holds it and its frame, else what the screen leaves: the frame on screen.
    void windowFitsTheScreen() {
        const QMargins frame(4, 32, 4, 4);
        QCOMPARE(frameOnScreen(QSize(944, 816), frame, QRect(0, 0, 1024, 768)), QRect(36, 0, 952, 768));
        QCOMPARE(frameOnScreen(QSize(944, 816), frame, QRect(0, 27, 1920, 1053)), QRect(484, 127, 952, 852));
        QVERIFY(m_main->screen()->availableGeometry().contains(m_main->frameGeometry()));
    }
    void menuItemsAndButtonsOpenTheirLists() {
        for (const char* item : {"N_VS", "N_UserApl", "N_SprAction", "btnRezOrg", "ToolButton3"}) {
            m_main->findChild<QAction*>(item)->trigger();
        }
        const QString today = QDate::currentDate().toString("dd.MM.yyyy");
        QCOMPARE(captions(*m_main),
                 QStringList({"Справочник: ВИДЫ СПОРТА", "Справочник: ПОЛЬЗОВАТЕЛИ", "Журнал событий",
                              "Справочник: Резервы организаций",
                              QString("Справочник: Карты клиентов [%1 - %1] - всего записей 0").arg(today)}));
    }
    void openSprKeepsOneWindowPerKind() {
        m_main->OpenSpr(21, "X");
        m_main->OpenSpr(0, "X");
        QVERIFY(m_main->listWindows().isEmpty());
        m_main->N_ClientClick();
        QMdiSubWindow* sub = m_main->mdiArea()->activeSubWindow();
        m_main->findChild<QAction*>("N_Zal")->trigger();
        QCOMPARE(m_main->mdiArea()->activeSubWindow()->windowTitle(), "Справочник: Залы");
        sub->showMinimized();
        m_main->N_ClientClick();
        QVERIFY(!sub->isMinimized());
        QCOMPARE(m_main->mdiArea()->activeSubWindow(), sub);
        QCOMPARE(captions(*m_main), QStringList({"Справочник: Клиенты", "Справочник: Залы"}));
        QCOMPARE(gWinCount, 2);
        // A closed list opens anew with the rows written since.
        sub->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(captions(*m_main), QStringList({"Справочник: Залы"}));
        exec(m_db->db, "INSERT INTO tClient (Family) VALUES ('Иванов')");
        m_main->N_ClientClick();
        QCOMPARE(m_main->listWindows().last()->DBGridSpr->rowCount(), 1);
    }
    void barsAndKeys() {
        const auto items = [](const QToolBar* bar) {
            QStringList names;
            for (const QAction* action : bar->actions()) {
                names << (action->isSeparator() ? "|" : action->objectName());
            }
            return names;
        };
        QCOMPARE(items(m_main->tbSpr), QStringList({"btnZal", "|", "btnClients", "|", "btnOrg"}));
        QCOMPARE(items(m_main->tbWork), QStringList({"ToolButton3", "|", "btnRezOrg", "|"}));
        // With the sports-type list active its "Действие" stands beside the main menus: no key may serve two.
        m_main->N_VSClick();
        QStringList keys;
        addShortcuts(m_main->menuBar()->actions(), keys);
        QVERIFY(keys.contains("Alt+N"));
        QStringList distinct = keys;
        distinct.removeDuplicates();
        QCOMPARE(keys, distinct);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
