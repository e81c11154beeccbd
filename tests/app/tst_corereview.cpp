#include <QAction>
#include <QTest>
#include <QToolBar>

#include "app/UnitHeard.h"

namespace {

// The bar's items in order, a separator written as "|".
QStringList barItems(QToolBar* bar) {
    QStringList items;
    for (QAction* action : bar->actions()) {
        items << (action->isSeparator() ? QStringLiteral("|") : action->objectName());
    }
    return items;
}

}  // namespace

class TestCoreReview : public QObject {
    Q_OBJECT

  private slots:
    void toolBarsSeparateTheirButtons() {
        TfrmAPL main;
        QCOMPARE(barItems(main.tbSpr), QStringList({"btnZal", "|", "btnClients", "|", "btnOrg"}));
        QCOMPARE(barItems(main.tbWork), QStringList({"ToolButton3", "|", "btnRezOrg", "|"}));
    }
};

QTEST_MAIN(TestCoreReview)
#include "tst_corereview.moc"
