#include <QAction>
#include <QTest>
#include <QToolBar>

#include "app/UnitHeard.h"

class TestCoreReview : public QObject {
    Q_OBJECT

  private slots:
    void toolBarsSeparateTheirButtons() {
        TfrmAPL main;
        // Each bar's items in order, a separator written as "|".
        const auto items = [](const QToolBar* bar) {
            QStringList names;
            for (const QAction* action : bar->actions()) {
                names << (action->isSeparator() ? QStringLiteral("|") : action->objectName());
            }
            return names;
        };
        QCOMPARE(items(main.tbSpr), QStringList({"btnZal", "|", "btnClients", "|", "btnOrg"}));
        QCOMPARE(items(main.tbWork), QStringList({"ToolButton3", "|", "btnRezOrg", "|"}));
    }
};

QTEST_MAIN(TestCoreReview)
#include "tst_corereview.moc"
