#include "app/UnitHeard.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>

#include "app/UnitConst.h"
#include "platform/LocaleFormat.h"
#include "platform/UiSeam.h"

namespace {

const QString INSERT_WORK_USER_SQL = QStringLiteral("INSERT INTO tWorkUser (id_user) VALUES (%1)");
const QString DELETE_WORK_USER_SQL = QStringLiteral("DELETE FROM tWorkUser WHERE ID=%1;");
const QString SELECT_PAR_SQL = QStringLiteral("SELECT * FROM tParApl WHERE (ParKod=%1);");
const QString UPDATE_PAR_SQL = QStringLiteral("UPDATE tParApl SET %1 WHERE ParKod=%2;");
const QString INSERT_PAR_SQL = QStringLiteral("INSERT INTO tParApl (ParKod, %1) VALUES (%2, %3);");

const QString kDbOpenError =
    QStringLiteral("Ошибка при доступе к базе данных!\rВозможно она уже запущена в монопольном режиме!");
const QString kDbDialogTitle = QStringLiteral("Выбор базы данных...");
const QString kDbDialogFilter = QStringLiteral("*.mdb (MS Acces)|*.mdb");
constexpr int kCurrentDBVersion = 1;

// A code's value column and parameter, chosen by its range.
struct ParColumn {
    QString column;
    QString param;
    FieldType type;
};

ParColumn parColumn(int code) {
    if (code < 51) {
        return {QStringLiteral("snachDT"), QStringLiteral("pDateTimeDoc"), FieldType::DateTime};
    }
    if (code <= 100) {
        return {QStringLiteral("snachInt"), QStringLiteral("pInt"), FieldType::Float};
    }
    return {QStringLiteral("snachStr"), QStringLiteral("pStr"), FieldType::String};
}

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

TfrmAPL::TfrmAPL(QWidget* parent) : QMainWindow(parent) {
    setupUi();
}

TfrmAPL::~TfrmAPL() = default;

void TfrmAPL::setupUi() {
    setObjectName(QStringLiteral("frmAPL"));
    setWindowTitle(kAppTitle);
    resize(944, 816);

    N_Servis = menuBar()->addMenu(QStringLiteral("Сервис"));
    N_Servis->setObjectName(QStringLiteral("N_Servis"));

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setBackground(palette().dark());
    setCentralWidget(m_mdiArea);

    StatBarPanel1 = new QLabel(this);
    StatBarPanel1->setObjectName(QStringLiteral("StatBarPanel1"));
    StatBarPanel1->setFixedWidth(200);
    auto* panel2 = new QLabel(this);
    panel2->setFixedWidth(50);
    statusBar()->setObjectName(QStringLiteral("StatBar"));
    statusBar()->addWidget(StatBarPanel1);
    statusBar()->addWidget(panel2);
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
    QSettings ini(iniFile(), QSettings::IniFormat);
    ini.setValue(QStringLiteral("ParamApl/PathBase"), gPathBase);
    ini.setValue(QStringLiteral("ParamApl/DBFName"), gDBFName);
    ini.setValue(QStringLiteral("ParamApl/PhotoDir"), gPhotoDir);
    ini.setValue(QStringLiteral("ParamApl/PathPhotoLoad"), gPathPhotoLoad);
    ini.setValue(QStringLiteral("ParamApl/gPeriodCardBeg"), shortDateText(gPeriodCard.Beg.date()));
    ini.setValue(QStringLiteral("ParamApl/gPeriodCardEnd"), shortDateText(gPeriodCard.End.date()));
    ini.setValue(QStringLiteral("ParUser/gEndUserStr"), gEndUserStr);
    ini.setValue(QStringLiteral("ParamApl/gQueryClose"), gQueryClose ? QStringLiteral("1") : QStringLiteral("0"));
    ini.sync();
}

void TfrmAPL::FormCreate(const QString& appPath) {
    gAppPath = appPath.isEmpty() ? QCoreApplication::applicationDirPath() + QLatin1Char('/') : appPath;
    ReadIni();
    if (!QFileInfo(connectionFile()).isFile()) {
        const QString picked = Ui().openFileName(this, kDbDialogTitle, gPathBase, kDbDialogFilter);
        if (picked.isEmpty()) {
            return;
        }
        const QFileInfo info(picked);
        gPathBase = info.absolutePath() + QLatin1Char('/');
        gDBFName = info.fileName();
    }
    gUserApl = TUserApl();
}

void TfrmAPL::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shown && !event->spontaneous()) {
        m_shown = true;
        FormShow();
    }
}

void TfrmAPL::FormShow() {
    QString caption = QStringLiteral("%1 (%2)  # %3 #").arg(kAppTitle, kAppVersion, gUserApl.Name);
    ADOConnect.close();
    const auto mode = gMonopolno ? Database::Mode::Exclusive : Database::Mode::ReadWrite;
    if (gMonopolno) {
        caption += QStringLiteral(" (Монопольно)");
    }
    setWindowTitle(caption);
    if (!ADOConnect.open(connectionFile(), mode)) {
        showMessage(this, kDbOpenError, MsgIcon::Error);
        m_connectFailed = true;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    StatBarPanel1->setText(QStringLiteral("База данных открыта..."));
    FIDWorkUser = AddWorkUser(gUserApl.ID);
    SetUserLevel(gUserApl.Uroven);
    WriteActionLog(ADOConnect, acProgram, QStringLiteral("Запуск программы"));
    UpDateDB();
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
        WriteIni();
        if (ADOConnect.isOpen()) {
            WriteActionLog(ADOConnect, acProgram, QStringLiteral("Завершение программы"));
            DelWorkUser(FIDWorkUser);
        }
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
    SqlQuery query(ADOConnect);
    query.exec(SELECT_PAR_SQL.arg(code));
    if (!query.next()) {
        FParNotFound = 1;
        return 0;
    }
    FParNotFound = 0;
    const ParColumn par = parColumn(code);
    if (par.type == FieldType::DateTime) {
        return query.asDateTime(par.column);
    }
    if (par.type == FieldType::Float) {
        return query.asFloat(par.column);
    }
    return query.asString(par.column);
}

void TfrmAPL::SetParApl(int code, const QVariant& value) {
    GetParApl(code);
    const ParColumn par = parColumn(code);
    SqlQuery command(ADOConnect);
    command.addParam(par.param, par.type, value);
    const QString placeholder = QLatin1Char(':') + par.param;
    if (FParNotFound == 0) {
        command.exec(UPDATE_PAR_SQL.arg(par.column + QLatin1Char('=') + placeholder).arg(code));
    } else {
        command.exec(INSERT_PAR_SQL.arg(par.column).arg(code).arg(placeholder));
    }
}

void TfrmAPL::UpDateDB() {
    const int version = qRound(GetParApl(pcDBVersion).toDouble());
    if (version >= kCurrentDBVersion) {
        return;
    }
    SetParApl(pcDBVersion, kCurrentDBVersion);
    showMessage(this, QStringLiteral("Произведено обновление БД до версии: %1\rКоличество изменений: %2")
                          .arg(kCurrentDBVersion)
                          .arg(1));
}
