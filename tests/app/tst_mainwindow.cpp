#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

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

QAction* action(QWidget& owner, const char* name) {
    auto* found = owner.findChild<QAction*>(QString::fromLatin1(name));
    if (!found) {
        qFatal("no action %s", name);
    }
    return found;
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

class TestMainWindow : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        resetProgramGlobals();
        gAppPath = gPathBase = m_db->folder();
        gDBFName = QStringLiteral("dbVelorma.mdb");
        gLoginOK = true;
        gQueryClose = false;
        gPeriodCard = {QDateTime::currentDateTime(), QDateTime::currentDateTime()};
        m_main = std::make_unique<TfrmAPL>();
        m_main->show();
        QVERIFY(m_main->ADOConnect.isOpen());
    }
    void cleanup() {
        m_main.reset();
        endCase(m_ui, m_db);
    }

    void captionsPerKind_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("caption");
        const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
        QTest::newRow("halls") << "N_Zal" << QStringLiteral("Справочник: Залы");
        QTest::newRow("sports types") << "N_VS" << QStringLiteral("Справочник: ВИДЫ СПОРТА");
        QTest::newRow("users") << "N_UserApl" << QStringLiteral("Справочник: ПОЛЬЗОВАТЕЛИ");
        QTest::newRow("event log") << "N_SprAction" << QStringLiteral("Журнал событий");
        QTest::newRow("reservations button") << "btnRezOrg" << QStringLiteral("Справочник: Резервы организаций");
        QTest::newRow("cards button")
            << "ToolButton3" << QStringLiteral("Справочник: Карты клиентов [%1 - %1] - всего записей 0").arg(today);
    }
    void captionsPerKind() {
        QFETCH(QString, item);
        QFETCH(QString, caption);
        action(*m_main, item.toLatin1().constData())->trigger();
        QCOMPARE(captions(*m_main), QStringList{caption});
    }
    void openSprKeepsOneWindowPerKind() {
        m_main->N_ClientClick();
        QMdiSubWindow* sub = m_main->mdiArea()->activeSubWindow();
        m_main->N_ZalClick();
        QCOMPARE(m_main->mdiArea()->activeSubWindow()->windowTitle(), QStringLiteral("Справочник: Залы"));
        sub->showMinimized();
        m_main->N_ClientClick();
        QVERIFY(!sub->isMinimized());
        QCOMPARE(m_main->mdiArea()->activeSubWindow(), sub);
        QCOMPARE(captions(*m_main), QStringList({"Справочник: Клиенты", "Справочник: Залы"}));
        QCOMPARE(gWinCount, 2);
    }
    void closedWindowOpensAnewWithFreshRows() {
        m_main->N_ClientClick();
        m_main->mdiArea()->activeSubWindow()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(m_main->listWindows().isEmpty());
        exec(m_db->db, QStringLiteral("INSERT INTO tClient (Family) VALUES ('Иванов')"));
        m_main->N_ClientClick();
        QCOMPARE(m_main->listWindows().size(), 1);
        QCOMPARE(m_main->listWindows().first()->DBGridSpr->rowCount(), 1);
    }
    // With the sports-type list active its "Действие" stands beside the main menus: no key may serve two.
    void shortcutsDoOneThingEach() {
        m_main->N_VSClick();
        QStringList keys;
        addShortcuts(m_main->menuBar()->actions(), keys);
        QVERIFY(keys.contains(QStringLiteral("Alt+N")));
        QStringList distinct = keys;
        distinct.removeDuplicates();
        QCOMPARE(keys, distinct);
    }
    void kindOutsideRangeOpensNothing() {
        m_main->OpenSpr(21, QStringLiteral("X"));
        m_main->OpenSpr(0, QStringLiteral("X"));
        QVERIFY(m_main->listWindows().isEmpty());
        QCOMPARE(gWinCount, 0);
    }

  private:
    std::unique_ptr<TfrmAPL> m_main;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
