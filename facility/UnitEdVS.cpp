#include "facility/UnitEdVS.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/Database.h"
#include "platform/FormWidgets.h"
#include "platform/UiSeam.h"

namespace {

const QString SELECT_VIDSPORT_SQL = QStringLiteral("SELECT * FROM tVidSport WHERE ID=%1;");
const QString INSERT_VIDSPORT_SQL = QStringLiteral("INSERT INTO tVidSport (NameVidSp, info) VALUES (:pName, :pInfo);");
const QString UPDATE_VIDSPORT_SQL = QStringLiteral("UPDATE tVidSport SET NameVidSp=:pName, info=:pInfo WHERE ID=%1;");

const QString kTitle = QStringLiteral("Вид спорта");

}  // namespace

TfrmEdVS::TfrmEdVS(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setupUi();
}

void TfrmEdVS::setupUi() {
    setObjectName(QStringLiteral("frmEdVS"));
    setWindowTitle(kTitle);

    leNameOrg = named(new QLineEdit(this), "leNameOrg");
    leInfo = named(new QLineEdit(this), "leInfo");
    auto* fields = new QVBoxLayout;
    addLabelled(*fields, QStringLiteral("1. Наименование:"), leNameOrg);
    addLabelled(*fields, QStringLiteral("2. Доп. инфо:  "), leInfo);

    btnSave = newButton(this, "btnSave", QStringLiteral("Сохранить"), QStyle::SP_DialogSaveButton);
    btnClose = newButton(this, "btnClose", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(360, 160)));

    connect(btnSave, &QPushButton::clicked, this, &TfrmEdVS::btnSaveClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(leNameOrg, &QLineEdit::textChanged, this, &TfrmEdVS::leNameOrgChange);
    connect(leInfo, &QLineEdit::textChanged, this, &TfrmEdVS::leNameOrgChange);
}

void TfrmEdVS::LoadEdVS(int id) {
    FIDVS = id;
    if (id > 0) {
        SqlQuery query(m_db);
        query.exec(SELECT_VIDSPORT_SQL.arg(id));
        if (query.next()) {
            leNameOrg->setText(query.asString(QStringLiteral("NameVidSp")));
            leInfo->setText(query.asString(QStringLiteral("info")));
        }
    }
    // Last, so that filling the fields does not count as a change.
    SetModified(false);
}

void TfrmEdVS::SetModified(bool value) {
    FModified = value;
    if (value) {
        setWindowTitle(kTitle + QStringLiteral(" *"));
    } else if (FIDVS < 0) {
        setWindowTitle(kTitle + QStringLiteral(": НОВЫЙ"));
        FModified = true;
    } else {
        setWindowTitle(kTitle);
    }
    btnSave->setEnabled(FModified);
}

void TfrmEdVS::leNameOrgChange() {
    if (!FModified) {
        SetModified(true);
    }
}

void TfrmEdVS::btnSaveClick() {
    SaveAnswer answer(*this);
    if (!FModified) {
        return;
    }
    SqlQuery command(m_db);
    command.addParam(QStringLiteral("pName"), FieldType::String, leNameOrg->text())
        .addParam(QStringLiteral("pInfo"), FieldType::String, leInfo->text());
    command.exec(FIDVS < 1 ? INSERT_VIDSPORT_SQL : UPDATE_VIDSPORT_SQL.arg(FIDVS));
    SetModified(false);
}
