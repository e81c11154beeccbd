#include "common/UnitDopInfoCard.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/FormWidgets.h"

namespace {

const QSize kClientSize(350, 121);
constexpr int kPanelHeight = 42;

}  // namespace

TfrmDopInfo::TfrmDopInfo(QWidget* parent) : QDialog(parent) {
    setupUi();
}

void TfrmDopInfo::setupUi() {
    setObjectName(QStringLiteral("frmDopInfo"));
    setWindowTitle(QStringLiteral("Дополнительная информация клубной карты"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    MemoTXT = named(new QPlainTextEdit(QStringLiteral("MemoTXT"), this), "MemoTXT");
    // A line of print takes no tab characters; Tab leaves for the switch and the button.
    MemoTXT->setTabChangesFocus(true);

    Panel2 = named(new QFrame(this), "Panel2");
    Panel2->setFrameShape(QFrame::NoFrame);
    Panel2->setFixedHeight(kPanelHeight);
    cbPrintTXT = named(new QCheckBox(QStringLiteral("Печатать текст на клубной карте"), Panel2), "cbPrintTXT");
    Label1 = named(new QLabel(QStringLiteral("максимально 200 символов"), Panel2), "Label1");
    btnCancel = newButton(Panel2, "btnCancel", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);

    auto* notes = new QVBoxLayout;
    notes->setSpacing(0);
    notes->addWidget(cbPrintTXT);
    notes->addWidget(Label1);
    auto* bar = new QHBoxLayout(Panel2);
    bar->setContentsMargins(4, 0, 4, 0);
    bar->addLayout(notes);
    bar->addStretch();
    bar->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(MemoTXT);
    layout->addWidget(Panel2);
    setFixedSize(kClientSize);

    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}
