#include "app/prompt.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/UnitHeard.h"
#include "common/UnitConst.h"
#include "platform/Database.h"
#include "platform/FormWidgets.h"
#include "platform/Forms.h"
#include "platform/UiSeam.h"

namespace {

const QString SELECT_USER_SQL = QStringLiteral("SELECT * FROM tUserApl WHERE ((name=:pLogin) and (passw=:pPassw));");

const QString kWrongLogin =
    QStringLiteral("Пароль или логин введены не верно. \rПроверьте раскладку клавиатуры и Caps Lock.");
constexpr int kFirstOpacity = 14;
constexpr int kOpaque = 255;

}  // namespace

void openSignIn(TfrmAPL& mainWindow) {
    (new Tfprompt(mainWindow))->show();
}

Tfprompt::Tfprompt(TfrmAPL& mainWindow) : QWidget(nullptr, Qt::FramelessWindowHint), m_main(mainWindow) {
    setAttribute(Qt::WA_DeleteOnClose);
    setupUi();
    FormCreate();
}

void Tfprompt::setupUi() {
    setObjectName(QStringLiteral("fprompt"));
    setWindowTitle(kAppTitle);
    setFixedSize(294, 194);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAutoFillBackground(true);
    panel->setBackgroundRole(QPalette::Midlight);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(panel);

    auto* banner = new QLabel(kAppTitle.toUpper(), panel);
    QFont bannerFont = banner->font();
    bannerFont.setBold(true);
    bannerFont.setPixelSize(21);
    banner->setFont(bannerFont);

    btnClose = new QToolButton(panel);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setText(QStringLiteral("Х"));
    btnClose->setAutoRaise(true);
    btnClose->setToolTip(QStringLiteral("Закрыть приложение"));
    btnClose->setFocusPolicy(Qt::NoFocus);

    login = new QLineEdit(panel);
    login->setObjectName(QStringLiteral("login"));
    login->setToolTip(QStringLiteral("введите login (имя)"));
    password = new QLineEdit(panel);
    password->setObjectName(QStringLiteral("password"));
    setPasswordEcho(password);
    password->setToolTip(QStringLiteral("введите пароль"));

    BitOk = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("ОК"), panel);
    BitOk->setObjectName(QStringLiteral("BitOk"));
    BitOk->setDefault(true);
    cbMonopolno = new QCheckBox(QStringLiteral("Монопольно"), panel);
    cbMonopolno->setObjectName(QStringLiteral("cbMonopolno"));

    LabelVer = new QLabel(panel);
    LabelVer->setObjectName(QStringLiteral("LabelVer"));
    QFont verFont(QStringLiteral("Arial"));
    verFont.setPixelSize(11);
    verFont.setBold(true);
    LabelVer->setFont(verFont);
    LabelVer->setStyleSheet(QStringLiteral("color: navy;"));

    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(16, 8, 8, 12);
    grid->addWidget(banner, 0, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(btnClose, 0, 2, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(new QLabel(QStringLiteral("Пользователь:"), panel), 1, 0);
    grid->addWidget(login, 1, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Пароль:"), panel), 2, 0);
    grid->addWidget(password, 2, 1, 1, 2);
    grid->addWidget(cbMonopolno, 3, 0);
    grid->addWidget(BitOk, 3, 1, 1, 2);
    grid->addWidget(LabelVer, 4, 0, 1, 3, Qt::AlignRight);

    setTabChain({login, password, BitOk, cbMonopolno});

    TimeBlink = new QTimer(this);
    TimeBlink->setInterval(15);
    connect(TimeBlink, &QTimer::timeout, this, &Tfprompt::TimeBlinkTimer);
    connect(BitOk, &QPushButton::clicked, this, &Tfprompt::BitOkClick);
    connect(btnClose, &QToolButton::clicked, this, &Tfprompt::btnCloseClick);
    login->installEventFilter(this);
    password->installEventFilter(this);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void Tfprompt::FormCreate() {
    login->setText(gEndUserStr);
    LabelVer->setText(kAppVersion);
    gLoginOK = false;
    setWindowOpacity(kFirstOpacity / double(kOpaque));
    TimeBlink->start();
}

void Tfprompt::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void Tfprompt::FormShow() {
    if (!gEndUserStr.isEmpty()) {
        password->setFocus();
    } else {
        login->setFocus();
    }
}

void Tfprompt::TimeBlinkTimer() {
    TimeBlink->stop();
    for (int opacity = kFirstOpacity + 1; opacity <= kOpaque; ++opacity) {
        setWindowOpacity(opacity / double(kOpaque));
    }
}

bool Tfprompt::CheckPass() {
    if (!TfrmAPL::EnsureDatabaseFile(this)) {
        return false;
    }
    Database connection;
    if (!connection.open(TfrmAPL::connectionFile(), Database::Mode::ReadWrite, kProgramTables)) {
        showDetailedMessage(this, kDbAccessErrorText, connection.openError());
        return false;
    }
    bool found = false;
    {
        SqlQuery query(connection);
        query.addParam(QStringLiteral("pLogin"), FieldType::String, login->text())
            .addParam(QStringLiteral("pPassw"), FieldType::String, password->text());
        query.exec(SELECT_USER_SQL);
        found = query.next();
        if (found) {
            gUserApl.ID = query.asInt(QStringLiteral("ID"));
            gUserApl.Name = login->text();
            gUserApl.Uroven = query.asInt(QStringLiteral("uroven"));
            gUserApl.Koment = query.asString(QStringLiteral("koment"));
        }
    }
    connection.close();
    if (!found) {
        showMessage(this, kWrongLogin, MsgIcon::Information, true);
    }
    return found;
}

void Tfprompt::BitOkClick() {
    if (!CheckPass()) {
        return;
    }
    gEndUserStr = login->text();
    gMonopolno = cbMonopolno->isChecked();
    gLoginOK = true;
    close();
    m_main.show();
}

void Tfprompt::btnCloseClick() {
    m_main.close();
}

bool Tfprompt::passwordKeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        BitOkClick();
        return true;
    }
    if (key == Qt::Key_Escape) {
        m_main.close();
        return true;
    }
    return false;
}

// Enter presses OK wherever the focus is: the keys the check box leaves unused come here.
void Tfprompt::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        BitOkClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool Tfprompt::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == login || watched == password)) {
        return passwordKeyDown(static_cast<QKeyEvent*>(event)->key()) || QWidget::eventFilter(watched, event);
    }
    return QWidget::eventFilter(watched, event);
}
