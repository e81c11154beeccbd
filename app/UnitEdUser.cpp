#include "app/UnitEdUser.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Database.h"
#include "platform/FormWidgets.h"
#include "platform/Forms.h"
#include "platform/UiSeam.h"

namespace {

const QString SELECT_USER_SQL = QStringLiteral("SELECT * FROM tUserApl WHERE ID=%1;");
// Leaves out the user's own row, so keeping one's name is no clash; a new user has no row yet.
const QString SELECT_OTHER_USER_BY_NAME_SQL =
    QStringLiteral("SELECT ID FROM tUserApl WHERE name=:pStrUser AND ID<>%1;");
const QString UPDATE_USER_SQL = QStringLiteral(
    "UPDATE tUserApl SET name=:pStrUser, koment=:pStrKoment, passw=:pStrPasw, uroven=:pIntUrov WHERE ID=%1;");
const QString INSERT_USER_SQL = QStringLiteral(
    "INSERT INTO tUserApl (name, koment, passw, uroven) VALUES (:pStrUser, :pStrKoment, :pStrPasw, :pIntUrov);");

const QString kTitle = QStringLiteral("Пользователь системы");
const QString kNoName = QStringLiteral("Не заполнено имя пользователя!");
const QString kNameTaken = QStringLiteral(
    "Пользователь с таким именем уже существует в системе!\rСмените имя пользователя и повторите попытку "
    "сохранения!");
const QString kUserGone =
    QStringLiteral("Пользователь не найден: возможно, его удалили на другом рабочем месте.\rИзменения не сохранены.");
// The built-in administrator keeps its name and level.
constexpr int kBuiltInAdmin = 1;

}  // namespace

TfrmEdUser::TfrmEdUser(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setupUi();
}

void TfrmEdUser::setupUi() {
    setObjectName(QStringLiteral("frmEdUser"));
    setWindowTitle(kTitle);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    QFont bold = panel->font();
    bold.setBold(true);
    panel->setFont(bold);
    auto* edits = new QVBoxLayout(panel);
    leUserName = addLabelledEdit(*edits, panel, QStringLiteral("Пользователь:"), "leUserName");
    lePasw = addLabelledEdit(*edits, panel, QStringLiteral("Пароль:"), "lePasw");
    setPasswordEcho(lePasw);
    leInfo = addLabelledEdit(*edits, panel, QStringLiteral("Комментарий:"), "leInfo");

    Label1 = new QLabel(QStringLiteral("Уровень доступа:"), panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    cbUroven = new QComboBox(panel);
    cbUroven->setObjectName(QStringLiteral("cbUroven"));
    cbUroven->setEditable(false);
    cbUroven->addItems(
        {QStringLiteral("Администратор"), QStringLiteral("Опытный пользователь"), QStringLiteral("Пользователь")});
    cbUroven->setCurrentIndex(0);
    Label1->setBuddy(cbUroven);
    auto* level = new QHBoxLayout;
    level->addWidget(Label1);
    level->addWidget(cbUroven, 1);
    edits->addLayout(level);

    btnSave = new QPushButton(QStringLiteral("Сохранить"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnCancel = new QPushButton(QStringLiteral("Отменить"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(354, 225)));

    // The comment comes before the password when tabbing, unlike their order on screen.
    setTabChain({leUserName, leInfo, lePasw, cbUroven, btnSave, btnCancel});

    connect(btnSave, &QPushButton::clicked, this, &TfrmEdUser::btnSaveClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmEdUser::LoadUser(int id) {
    FIDUser = id;
    if (id <= 0) {
        setWindowTitle(kTitle + QStringLiteral(": НОВЫЙ"));
        return;
    }
    {
        SqlQuery query(m_db);
        query.exec(SELECT_USER_SQL.arg(id));
        if (query.next()) {
            leUserName->setText(query.asString(QStringLiteral("name")));
            lePasw->setText(query.asString(QStringLiteral("passw")));
            leInfo->setText(query.asString(QStringLiteral("koment")));
            cbUroven->setCurrentIndex(query.asInt(QStringLiteral("uroven")));
        }
    }
    setWindowTitle(QStringLiteral("Пользователь: ID=%1").arg(id));
    if (id == kBuiltInAdmin) {
        leUserName->setEnabled(false);
        cbUroven->setEnabled(false);
    }
}

void TfrmEdUser::btnSaveClick() {
    SaveAnswer answer(*this);
    if (leUserName->text().isEmpty()) {
        showMessage(this, kNoName);
        answer.keepOpen();
        return;
    }
    if (nameTaken()) {
        showMessage(this, kNameTaken);
        answer.keepOpen();
        return;
    }
    if (!writeUser()) {
        showMessage(this, kUserGone);
        answer.keepOpen();
    }
}

// Compared as the database compares names, so letter case does not make a new name.
bool TfrmEdUser::nameTaken() {
    SqlQuery query(m_db);
    query.addParam(QStringLiteral("pStrUser"), FieldType::String, leUserName->text());
    query.exec(SELECT_OTHER_USER_BY_NAME_SQL.arg(FIDUser));
    return query.next();
}

// False when the user to update is no longer there.
bool TfrmEdUser::writeUser() {
    SqlQuery command(m_db);
    command.addParam(QStringLiteral("pStrUser"), FieldType::String, leUserName->text())
        .addParam(QStringLiteral("pStrKoment"), FieldType::String, leInfo->text())
        .addParam(QStringLiteral("pStrPasw"), FieldType::String, lePasw->text())
        .addParam(QStringLiteral("pIntUrov"), FieldType::Integer, cbUroven->currentIndex());
    command.exec(FIDUser > 0 ? UPDATE_USER_SQL.arg(FIDUser) : INSERT_USER_SQL);
    return command.numRowsAffected() > 0;
}
