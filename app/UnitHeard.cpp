#include "app/UnitHeard.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include "app/UnitParamApl.h"
#include "app/UnitSprTXT.h"
#include "app/about.h"
#include "app/prompt.h"
#include "cards/UnitCard.h"
#include "clients/UnitEdClient.h"
#include "clients/UnitEdOrg.h"
#include "common/ParAplStore.h"
#include "common/RecordEditors.h"
#include "common/UnitConst.h"
#include "platform/AppError.h"
#include "platform/FileReplace.h"
#include "platform/Forms.h"
#include "platform/GuardedApplication.h"
#include "platform/LocaleFormat.h"
#include "platform/UiSeam.h"
#include "reports/UnitRepCard.h"
#include "reports/UnitRepRGS.h"

namespace {

const QString INSERT_WORK_USER_SQL = QStringLiteral("INSERT INTO tWorkUser (id_user) VALUES (%1)");
const QString DELETE_WORK_USER_SQL = QStringLiteral("DELETE FROM tWorkUser WHERE ID=%1;");
const QString DELETE_WORK_USERS_SQL = QStringLiteral("DELETE FROM tWorkUser;");
const QString DELETE_WIZARD_PROPOSALS_SQL = QStringLiteral("DELETE FROM tWizardTMP;");

const QString kDbDialogTitle = QStringLiteral("Выбор базы данных...");
const QString kDbDialogFilter = QStringLiteral("*.mdb (MS Acces)|*.mdb");
const QString kSettingsUnwritable = QStringLiteral(
    "Не удается сохранить настройки рабочего места в файле «%1».\rПуть к базе данных, период списка карт и другие "
    "настройки, измененные за этот сеанс, не сохранены. Проверьте, что папка программы доступна для записи и на "
    "диске есть место.");
constexpr int kCurrentDBVersion = 1;
// No window manager tells a window's frame before it is first shown: room for a usual title bar and border.
constexpr QMargins kFrameAllowance(4, 32, 4, 4);

QDateTime readIniDate(QSettings& ini, const QString& key, const QDateTime& fallback) {
    const QDate date = QLocale().toDate(ini.value(key).toString(), shortDateFormat());
    return date.isValid() ? QDateTime(date, QTime(0, 0)) : fallback;
}

bool readIniBool(QSettings& ini, const QString& key, bool fallback) {
    bool ok = false;
    const int value = ini.value(key).toString().trimmed().toInt(&ok);
    return ok ? value != 0 : fallback;
}

}  // namespace

void RegisterRecordEditors() {
    RegisterNewRecordEditor(NewRecordKind::Client, [](Database& db, QWidget* parent) {
        auto editor = std::make_unique<TfrmClient>(db, parent);
        editor->LoadEdClient(-1);
        return std::unique_ptr<QDialog>(std::move(editor));
    });
    RegisterNewRecordEditor(NewRecordKind::Org, [](Database& db, QWidget* parent) {
        auto editor = std::make_unique<TfrmEdOrg>(db, parent);
        editor->LoadEdOrg(-1);
        return std::unique_ptr<QDialog>(std::move(editor));
    });
}

TfrmAPL::TfrmAPL(QWidget* parent) : QMainWindow(parent) {
    Q_INIT_RESOURCE(icons);
    RegisterRecordEditors();
    setupUi();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect frame = frameOnScreen(size(), kFrameAllowance, screen->availableGeometry());
        resize(frame.size().shrunkBy(kFrameAllowance));
        move(frame.topLeft());  // a window's position is its frame's
    }
}

QRect frameOnScreen(const QSize& designed, const QMargins& frame, const QRect& available) {
    const QSize framed = designed.grownBy(frame).boundedTo(available.size());
    return QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, framed, available);
}

TfrmAPL::~TfrmAPL() {
    // Closing the list windows while the frame is torn down must not reach back into it.
    disconnect(m_mdiArea, nullptr, this, nullptr);
}

void TfrmAPL::setupUi() {
    setObjectName(QStringLiteral("frmAPL"));
    setWindowTitle(kAppTitle);
    resize(944, 816);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11);
    setFont(tahoma);

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("MdiArea"));
    m_mdiArea->setBackground(palette().dark());
    setCentralWidget(m_mdiArea);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &TfrmAPL::mergeActionMenu);

    setupMenus();
    setupToolBars();

    StatBarPanel1 = new QLabel(this);
    StatBarPanel1->setObjectName(QStringLiteral("StatBarPanel1"));
    StatBarPanel1->setFixedWidth(200);
    auto* panel2 = new QLabel(this);
    panel2->setFixedWidth(50);
    statusBar()->setObjectName(QStringLiteral("StatBar"));
    statusBar()->addWidget(StatBarPanel1);
    statusBar()->addWidget(panel2);
}

namespace {

QMenu* addMenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

}  // namespace

void TfrmAPL::setupMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = addMenu(bar, "N1", QStringLiteral("Файл"));
    connect(addMenuItem(file, "N2", QStringLiteral("Закрыть")), &QAction::triggered, this, &TfrmAPL::N2Click);

    QMenu* view = addMenu(bar, "N3", QStringLiteral("Вид"));
    N_PanBtn = addMenuItem(view, "N_PanBtn", QStringLiteral("Панель кнопок"));
    N_PanBtn->setCheckable(true);
    N_PanBtn->setChecked(true);
    // The tick is inverted by the handler itself, not by the menu.
    connect(N_PanBtn, &QAction::triggered, this, [this] {
        N_PanBtn->setChecked(!N_PanBtn->isChecked());
        N_PanBtnClick();
    });

    QMenu* spr = addMenu(bar, "N_Spr", QStringLiteral("Справочник"));
    connect(addMenuItem(spr, "N_Zal", QStringLiteral("Залы"), QKeySequence(Qt::ALT | Qt::Key_Z)), &QAction::triggered,
            this, &TfrmAPL::N_ZalClick);
    connect(addMenuItem(spr, "N_Client", QStringLiteral("Клиенты"), QKeySequence(Qt::ALT | Qt::Key_S)),
            &QAction::triggered, this, &TfrmAPL::N_ClientClick);
    connect(addMenuItem(spr, "N_Org", QStringLiteral("Организации"), QKeySequence(Qt::ALT | Qt::Key_O)),
            &QAction::triggered, this, &TfrmAPL::N_OrgClick);
    spr->addSeparator()->setObjectName(QStringLiteral("N4"));
    connect(addMenuItem(spr, "N_VS", QStringLiteral("Виды спорта")), &QAction::triggered, this, &TfrmAPL::N_VSClick);

    m_workMenu = addMenu(bar, "N_Work", QStringLiteral("Работа"));
    connect(addMenuItem(m_workMenu, "N_AddCard", QStringLiteral("Добавить карту")), &QAction::triggered, this,
            &TfrmAPL::N_AddCardClick);
    addMenuItem(m_workMenu, "N_AddRez", QStringLiteral("Добавить резерв"));
    m_workMenu->addSeparator()->setObjectName(QStringLiteral("N11"));
    connect(addMenuItem(m_workMenu, "N_Cards", QStringLiteral("Карты клиентов")), &QAction::triggered, this,
            &TfrmAPL::N_CardsClick);
    connect(addMenuItem(m_workMenu, "N_RezOrg", QStringLiteral("Резервы организаций")), &QAction::triggered, this,
            &TfrmAPL::N_RezOrgClick);

    QMenu* reports = addMenu(bar, "N_Rep", QStringLiteral("Отчеты"));
    connect(addMenuItem(reports, "N_Rep_RGS", QStringLiteral("Список застрахованных лиц")), &QAction::triggered, this,
            &TfrmAPL::N_Rep_RGSClick);
    connect(addMenuItem(reports, "N_Rep_Card", QStringLiteral("Выданные карты")), &QAction::triggered, this,
            &TfrmAPL::N_Rep_CardClick);

    N_Servis = addMenu(bar, "N_Servis", QStringLiteral("Сервис"));
    N_Servis->menuAction()->setVisible(false);  // until a level allows it
    connect(addMenuItem(N_Servis, "N_ParApl", QStringLiteral("Параметры")), &QAction::triggered, this,
            &TfrmAPL::N_ParAplClick);
    connect(addMenuItem(N_Servis, "N_UserApl", QStringLiteral("Пользователи")), &QAction::triggered, this,
            &TfrmAPL::N_UserAplClick);
    N_Servis->addSeparator()->setObjectName(QStringLiteral("N_DopMenu"));
    connect(addMenuItem(N_Servis, "N_SprAction", QStringLiteral("Журнал событий")), &QAction::triggered, this,
            &TfrmAPL::N_SprActionClick);

    WindowMDI = addMenu(bar, "WindowMDI", QStringLiteral("Окно"));
    N12 = new QAction(QStringLiteral("Горизонтально"), this);
    N12->setObjectName(QStringLiteral("N12"));
    ileVertically1 = new QAction(QStringLiteral("Вертикально"), this);
    ileVertically1->setObjectName(QStringLiteral("ileVertically1"));
    Cascade1 = new QAction(QStringLiteral("Каскадом"), this);
    Cascade1->setObjectName(QStringLiteral("Cascade1"));
    connect(N12, &QAction::triggered, this, &TfrmAPL::TileHorizontally);
    connect(ileVertically1, &QAction::triggered, this, &TfrmAPL::TileVertically);
    connect(Cascade1, &QAction::triggered, m_mdiArea, &QMdiArea::cascadeSubWindows);
    connect(WindowMDI, &QMenu::aboutToShow, this, &TfrmAPL::updateWindowMenu);
    updateWindowMenu();

    QMenu* help = addMenu(bar, "N6", QStringLiteral("Помощь"));
    connect(addMenuItem(help, "N7", QStringLiteral("О программе...")), &QAction::triggered, this, &TfrmAPL::N7Click);
}

void TfrmAPL::setupToolBars() {
    struct Button {
        QToolBar* bar;
        const char* name;
        QString icon;
        QString caption;
        QString hint;
        void (TfrmAPL::*handler)();
        bool separatorAfter;
    };
    tbSpr = addToolBar(QStringLiteral("tbSpr"));
    tbSpr->setObjectName(QStringLiteral("tbSpr"));
    tbWork = addToolBar(QStringLiteral("tbWork"));
    tbWork->setObjectName(QStringLiteral("tbWork"));
    const Button buttons[] = {
        {tbSpr, "btnZal", QStringLiteral("zal"), QStringLiteral("Залы"), QStringLiteral("Залы"), &TfrmAPL::N_ZalClick,
         true},
        {tbSpr, "btnClients", QStringLiteral("clients"), QStringLiteral("Клиенты"), QStringLiteral("Клиенты"),
         &TfrmAPL::N_ClientClick, true},
        {tbSpr, "btnOrg", QStringLiteral("org"), QStringLiteral("Орг-ции"), QStringLiteral("Организации"),
         &TfrmAPL::N_OrgClick, false},
        {tbWork, "ToolButton3", QStringLiteral("cards"), QStringLiteral("Карты"), QStringLiteral("Карты клиентов"),
         &TfrmAPL::N_CardsClick, true},
        {tbWork, "btnRezOrg", QStringLiteral("rezerv"), QStringLiteral("Резервы"),
         QStringLiteral("Резервы организаций"), &TfrmAPL::N_RezOrgClick, true},
    };
    for (const Button& b : buttons) {
        QAction* action = b.bar->addAction(QIcon(QStringLiteral(":/icons/%1.png").arg(b.icon)), b.caption);
        action->setObjectName(QString::fromLatin1(b.name));
        action->setToolTip(b.hint);
        connect(action, &QAction::triggered, this, b.handler);
        if (QWidget* button = b.bar->widgetForAction(action)) {
            button->setMinimumSize(b.bar == tbSpr ? QSize(52, 36) : QSize(50, 36));
        }
        if (b.separatorAfter) {
            b.bar->addSeparator();
        }
    }
    for (QToolBar* bar : {tbSpr, tbWork}) {
        bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        bar->setIconSize(QSize(24, 24));
        bar->setMovable(false);
    }
}

void TfrmAPL::N_ZalClick() {
    OpenSpr(lkZal, QStringLiteral("Залы"));
}
void TfrmAPL::N_ClientClick() {
    OpenSpr(lkClients, QStringLiteral("Клиенты"));
}
void TfrmAPL::N_OrgClick() {
    OpenSpr(lkOrgs, QStringLiteral("Организации"));
}
void TfrmAPL::N_VSClick() {
    OpenSpr(lkVidSport, QStringLiteral("ВИДЫ СПОРТА"));
}
void TfrmAPL::N_CardsClick() {
    OpenSpr(lkCards, QStringLiteral("Карты клиентов"));
}
void TfrmAPL::N_RezOrgClick() {
    OpenSpr(lkRezOrg, QStringLiteral("Резервы организаций"));
}
void TfrmAPL::N_UserAplClick() {
    OpenSpr(lkUsers, QStringLiteral("ПОЛЬЗОВАТЕЛИ"));
}
void TfrmAPL::N_SprActionClick() {
    OpenSpr(lkActions, QStringLiteral("Журнал событий"));
}

void TfrmAPL::N_AddCardClick() {
    TfrmCard card(ADOConnect, this);
    card.LoadCard(-1);
    execModal(card);
}
void TfrmAPL::N_Rep_CardClick() {
    TfrmRepCard dialog(ADOConnect, this);
    execModal(dialog);
}
void TfrmAPL::N_Rep_RGSClick() {
    TfrmRepRGS dialog(ADOConnect, this);
    execModal(dialog);
}

void TfrmAPL::N_ParAplClick() {
    TfrmParAlp dialog(*this, this);
    execModal(dialog);
}

void TfrmAPL::N7Click() {
    TAboutBox about(*this, this);
    execModal(about);
}

void TfrmAPL::N_PanBtnClick() {
    N_PanBtn->setChecked(!N_PanBtn->isChecked());
    tbSpr->setVisible(N_PanBtn->isChecked());
    tbWork->setVisible(N_PanBtn->isChecked());
}

void TfrmAPL::N2Click() {
    close();
}

QList<TfrmSprTxt*> TfrmAPL::listWindows() const {
    QList<TfrmSprTxt*> windows;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* list = qobject_cast<TfrmSprTxt*>(sub->widget())) {
            windows << list;
        }
    }
    return windows;
}

void TfrmAPL::OpenSpr(int kind, const QString& name) {
    for (TfrmSprTxt* list : listWindows()) {
        if (list->FTypeSpr == kind) {
            auto* sub = qobject_cast<QMdiSubWindow*>(list->parentWidget());
            sub->show();
            bringForward(sub);
            return;
        }
    }
    if (kind < 1 || kind > 20) {
        return;
    }
    auto* list = new TfrmSprTxt(ADOConnect);
    QMdiSubWindow* sub = m_mdiArea->addSubWindow(list);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->resize(631, 429);
    // New windows step down and right from the top left, as an ordinary frame places them.
    const int step = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    const int place = static_cast<int>(m_mdiArea->subWindowList().size() - 1) % 8;
    sub->move(place * step, place * step);
    list->setWindowTitle(QStringLiteral("Справочник: ") + name);
    sub->show();
    m_mdiArea->setActiveSubWindow(sub);
    list->LoadSpr(kind);
    ++gWinCount;
    list->setProperty("Tag", gWinCount);
}

void TfrmAPL::bringForward(QMdiSubWindow* sub) {
    if (sub->isMinimized()) {
        sub->showNormal();
    }
    m_mdiArea->setActiveSubWindow(sub);
}

void TfrmAPL::mergeActionMenu(QMdiSubWindow* active) {
    if (m_mergedMenu) {
        menuBar()->removeAction(m_mergedMenu);
        m_mergedMenu = nullptr;
    }
    auto* list = active ? qobject_cast<TfrmSprTxt*>(active->widget()) : nullptr;
    if (list) {
        m_mergedMenu = list->MainMenu1->menuAction();
        menuBar()->insertAction(m_workMenu->menuAction(), m_mergedMenu);
    }
}

void TfrmAPL::updateWindowMenu() {
    WindowMDI->clear();
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* sub : windows) {
        QAction* action = WindowMDI->addAction(sub->windowTitle());
        action->setCheckable(true);
        action->setChecked(sub == m_mdiArea->activeSubWindow());
        connect(action, &QAction::triggered, this, [this, sub] { bringForward(sub); });
    }
    if (!windows.isEmpty()) {
        WindowMDI->addSeparator();
    }
    for (QAction* action : {N12, ileVertically1, Cascade1}) {
        action->setEnabled(!windows.isEmpty());
        WindowMDI->addAction(action);
    }
}

void TfrmAPL::TileHorizontally() {
    tile(Qt::Vertical);
}
void TfrmAPL::TileVertically() {
    tile(Qt::Horizontal);
}

// Horizontal tiling stacks the windows one above another; vertical tiling sets them side by side.
void TfrmAPL::tile(Qt::Orientation orientation) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::StackingOrder)) {
        if (!sub->isMinimized() && sub->isVisible()) {
            windows << sub;
        }
    }
    if (windows.isEmpty()) {
        return;
    }
    const QRect area = m_mdiArea->viewport()->rect();
    const int count = static_cast<int>(windows.size());
    for (int i = 0; i < count; ++i) {
        windows[i]->showNormal();
        if (orientation == Qt::Vertical) {
            const int h = area.height() / count;
            windows[i]->setGeometry(0, i * h, area.width(), h);
        } else {
            const int w = area.width() / count;
            windows[i]->setGeometry(i * w, 0, w, area.height());
        }
    }
}

QString TfrmAPL::connectionFile() {
    return gPathBase + gDBFName;
}

QString TfrmAPL::iniFile() {
    return gAppPath + QStringLiteral("AplConf.ini");
}

void TfrmAPL::ReadIni() {
    QSettings ini(iniFile(), QSettings::IniFormat);
    const QDateTime now = QDateTime::currentDateTime();
    gPathBase = ini.value(QStringLiteral("ParamApl/PathBase"), gAppPath + QStringLiteral("Base/")).toString();
    gPhotoDir = ini.value(QStringLiteral("ParamApl/PhotoDir"), gAppPath + QStringLiteral("Photo/")).toString();
    gDBFName = ini.value(QStringLiteral("ParamApl/DBFName"), QStringLiteral("dbVelorma.mdb")).toString();
    gPathPhotoLoad = ini.value(QStringLiteral("ParamApl/PathPhotoLoad"), gAppPath).toString();
    gPeriodCard.Beg = readIniDate(ini, QStringLiteral("ParamApl/gPeriodCardBeg"), now);
    gPeriodCard.End = readIniDate(ini, QStringLiteral("ParamApl/gPeriodCardEnd"), now);
    gEndUserStr = ini.value(QStringLiteral("ParUser/gEndUserStr"), QString()).toString();
    gQueryClose = readIniBool(ini, QStringLiteral("ParamApl/gQueryClose"), true);
}

void TfrmAPL::WriteIni() {
    writeIniValues(iniFile(),
                   {{QStringLiteral("ParamApl/PathBase"), gPathBase},
                    {QStringLiteral("ParamApl/DBFName"), gDBFName},
                    {QStringLiteral("ParamApl/PhotoDir"), gPhotoDir},
                    {QStringLiteral("ParamApl/PathPhotoLoad"), gPathPhotoLoad},
                    {QStringLiteral("ParamApl/gPeriodCardBeg"), shortDateText(gPeriodCard.Beg.date())},
                    {QStringLiteral("ParamApl/gPeriodCardEnd"), shortDateText(gPeriodCard.End.date())},
                    {QStringLiteral("ParUser/gEndUserStr"), gEndUserStr},
                    {QStringLiteral("ParamApl/gQueryClose"), gQueryClose ? QStringLiteral("1") : QStringLiteral("0")}});
}

void TfrmAPL::FormCreate(const QString& appPath) {
    gAppPath = appPath.isEmpty() ? QCoreApplication::applicationDirPath() + QLatin1Char('/') : appPath;
    ReadIni();
    if (!EnsureDatabaseFile(this)) {
        return;
    }
    gUserApl = TUserApl();
}

bool TfrmAPL::EnsureDatabaseFile(QWidget* parent) {
    if (QFileInfo(connectionFile()).isFile()) {
        return true;
    }
    const QString picked = Ui().openFileName(parent, kDbDialogTitle, gPathBase, kDbDialogFilter);
    if (picked.isEmpty()) {
        return false;
    }
    const QFileInfo info(picked);
    gPathBase = info.absolutePath() + QLatin1Char('/');
    gDBFName = info.fileName();
    return true;
}

// The window opens only once its sign-in has been written: it is never seen without it.
void TfrmAPL::setVisible(bool visible) {
    if (visible && !m_shown) {
        m_shown = FormShow();
        if (!m_shown) {
            return;
        }
    }
    QMainWindow::setVisible(visible);
}

bool TfrmAPL::FormShow() {
    // Before anything can fail, so that no failure leaves the menu of a higher level.
    SetUserLevel(gUserApl.Uroven);
    QString caption = QStringLiteral("%1 (%2)  # %3 #").arg(kAppTitle, kAppVersion, gUserApl.Name);
    ADOConnect.close();
    const auto mode = gMonopolno ? Database::Mode::Exclusive : Database::Mode::ReadWrite;
    if (gMonopolno) {
        caption += QStringLiteral(" (Монопольно)");
    }
    setWindowTitle(caption);
    if (!ADOConnect.open(connectionFile(), mode, kProgramTables)) {
        showDetailedMessage(this, kDbAccessErrorText, ADOConnect.openError());
        m_connectFailed = true;
        close();
        return false;
    }
    ADOConnect.measureWhenUnmeasured();
    StatBarPanel1->setText(QStringLiteral("База данных открыта..."));
    int changes = 0;
    try {
        changes = WriteSignIn();
    } catch (...) {
        // A full disk or a long write elsewhere: the person reads why and signs in again.
        ADOConnect.close();
        showCurrentException();
        openSignIn(*this);
        return false;
    }
    if (changes > 0) {
        showMessage(this, QStringLiteral("Произведено обновление БД до версии: %1\rКоличество изменений: %2")
                              .arg(kCurrentDBVersion)
                              .arg(changes));
    }
    return true;
}

// One transaction, so that a write that fails leaves none of the others.
int TfrmAPL::WriteSignIn() {
    Transaction transaction(ADOConnect);
    if (gMonopolno) {
        // Only now is nobody else connected: the sign-ins and wizard proposals left are those of
        // workstations that crashed.
        SqlQuery(ADOConnect).exec(DELETE_WORK_USERS_SQL);
        SqlQuery(ADOConnect).exec(DELETE_WIZARD_PROPOSALS_SQL);
    }
    const int workUser = AddWorkUser(gUserApl.ID);
    WriteActionLog(ADOConnect, acProgram, QStringLiteral("Запуск программы"));
    const int changes = UpDateDB();
    transaction.commit();
    FIDWorkUser = workUser;
    return changes;
}

void TfrmAPL::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TfrmAPL::FormCloseQuery() {
    // Without a connection there is nothing to keep running for.
    if (!gQueryClose || m_connectFailed) {
        return true;
    }
    return askYesNo(this, QStringLiteral("Завершить работу программы?")) != Answer::No;
}

void TfrmAPL::FormClose() {
    if (gLoginOK) {
        // Settings that cannot be kept do not keep the program from closing, but the person learns of it.
        try {
            WriteIni();
        } catch (const AppError& e) {
            showDetailedMessage(this, kSettingsUnwritable.arg(QDir::toNativeSeparators(iniFile())), e.details(),
                                MsgIcon::Warning);
        }
        if (ADOConnect.isOpen()) {
            WriteActionLog(ADOConnect, acProgram, QStringLiteral("Завершение программы"));
            DelWorkUser(FIDWorkUser);
        }
    }
    if (ADOConnect.isOpen()) {
        ADOConnect.optimize();
    }
    ADOConnect.close();
    QCoreApplication::quit();
}

int TfrmAPL::AddWorkUser(int idUser) {
    SqlQuery command(ADOConnect);
    command.exec(INSERT_WORK_USER_SQL.arg(idUser));
    // The row just inserted, so that two copies signed in under one name keep their own rows.
    return static_cast<int>(command.lastInsertId());
}

void TfrmAPL::DelWorkUser(int id) {
    if (id > 0) {
        SqlQuery(ADOConnect).exec(DELETE_WORK_USER_SQL.arg(id));
    }
}

void TfrmAPL::SetUserLevel(int level) {
    gUserApl.Uroven = level;
    N_Servis->menuAction()->setVisible(level <= ulAdmin);
}

QVariant TfrmAPL::GetParApl(int code) {
    bool found = false;
    const QVariant value = ReadParApl(ADOConnect, code, &found);
    FParNotFound = found ? 0 : 1;
    return value;
}

void TfrmAPL::SetParApl(int code, const QVariant& value) {
    WriteParApl(ADOConnect, code, value);
}

int TfrmAPL::UpDateDB() {
    const int version = qRound(GetParApl(pcDBVersion).toDouble());
    if (version >= kCurrentDBVersion) {
        return 0;
    }
    SetParApl(pcDBVersion, kCurrentDBVersion);
    return 1;
}
