#include "app/about.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/UnitHeard.h"
#include "common/UnitConst.h"

TAboutBox::TAboutBox(TfrmAPL& mainWindow, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("О программе"));

    auto* title = new QLabel(kAppTitle, this);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSize(titleFont.pointSize() * 2);
    title->setFont(titleFont);

    Version = new QLabel(this);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setText(kAppVersion + QLatin1Char('.') +
                     QString::number(qRound(mainWindow.GetParApl(pcDBVersion).toDouble())));

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    layout->addWidget(Version, 0, Qt::AlignHCenter);
    layout->addSpacing(12);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint().expandedTo(QSize(260, 150)));
}
