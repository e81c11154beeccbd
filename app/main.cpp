#include <QIcon>

#include "app/UnitHeard.h"
#include "app/prompt.h"
#include "platform/GuardedApplication.h"
#include "platform/LocaleFormat.h"

int main(int argc, char** argv) {
    setupWorkstationLocale();
    GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Велорма"));
    loadQtTranslations();

    TfrmAPL frmAPL;
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/velorma.png")));
    frmAPL.FormCreate();
    openSignIn(frmAPL);
    return app.exec();
}
