#include "facility/UnitEdVS.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/FormWidgets.h"
#include "platform/Forms.h"
#include "platform/NameInfoRecord.h"
#include "platform/UiSeam.h"

namespace {

const QString SELECT_VIDSPORT_SQL = QStringLiteral("SELECT * FROM tVidSport WHERE ID=%1;");
const QString INSERT_VIDSPORT_SQL = QStringLiteral("INSERT INTO tVidSport (NameVidSp, info) VALUES (:pName, :pInfo);");
const QString UPDATE_VIDSPORT_SQL = QStringLiteral("UPDATE tVidSport SET NameVidSp=:pName, info=:pInfo WHERE ID=%1;");
const NameInfoRecord kVidSport{SELECT_VIDSPORT_SQL, INSERT_VIDSPORT_SQL, UPDATE_VIDSPORT_SQL,
                               QStringLiteral("NameVidSp")};

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

    layOutSaveCloseForm(*this, fields, QSize(360, 160), btnSave, btnClose);

    connect(btnSave, &QPushButton::clicked, this, &TfrmEdVS::btnSaveClick);
    connect(leNameOrg, &QLineEdit::textChanged, this, &TfrmEdVS::leNameOrgChange);
    connect(leInfo, &QLineEdit::textChanged, this, &TfrmEdVS::leNameOrgChange);
}

void TfrmEdVS::LoadEdVS(int id) {
    FIDVS = id;
    loadNameInfo(m_db, kVidSport, id, leNameOrg, leInfo);
    // Last, so that filling the fields does not count as a change.
    SetModified(false);
}

void TfrmEdVS::SetModified(bool value) {
    FModified = showRecordState(this, kTitle, value, FIDVS < 0);
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
    saveNameInfo(m_db, kVidSport, FIDVS, leNameOrg, leInfo);
    SetModified(false);
}
