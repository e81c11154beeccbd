#include "clients/UnitEdOrg.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/Forms.h"
#include "platform/NameInfoRecord.h"
#include "platform/UiSeam.h"

namespace {

const QString SELECT_ORG_SQL = QStringLiteral("SELECT * FROM tOrg WHERE ID=%1;");
const QString INSERT_ORG_SQL = QStringLiteral("INSERT INTO tOrg (Name, info) VALUES (:pName, :pInfo);");
const QString UPDATE_ORG_SQL = QStringLiteral("UPDATE tOrg SET Name=:pName, info=:pInfo WHERE ID=%1;");
const NameInfoRecord kOrg{SELECT_ORG_SQL, INSERT_ORG_SQL, UPDATE_ORG_SQL, QStringLiteral("Name")};

const QString kTitle = QStringLiteral("Юридическое лицо");
const QSize kClientArea{263, 135};

}  // namespace

TfrmEdOrg::TfrmEdOrg(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setupUi();
}

void TfrmEdOrg::setupUi() {
    setObjectName(QStringLiteral("frmEdOrg"));
    setWindowTitle(kTitle);

    auto* v = new QFrame(this);
    v->setObjectName(QStringLiteral("v"));
    v->setFrameShape(QFrame::StyledPanel);
    auto* edits = new QVBoxLayout(v);
    leNameOrg = addLabelledEdit(*edits, v, QStringLiteral("1. Наименование:"), "leNameOrg");
    leInfo = addLabelledEdit(*edits, v, QStringLiteral("2. Доп. инфо:  "), "leInfo");

    btnSave = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("Сохранить"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnClose = new QPushButton(QStringLiteral("Закрыть"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);
    auto* Panel1 = new QHBoxLayout;
    Panel1->addStretch();
    Panel1->addWidget(btnSave);
    Panel1->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(v);
    layout->addLayout(Panel1);
    setFixedSize(sizeHint().expandedTo(kClientArea));

    // Typing, pasting and dropping all change the text.
    connect(leNameOrg, &QLineEdit::textChanged, this, &TfrmEdOrg::leNameOrgKeyDown);
    connect(leInfo, &QLineEdit::textChanged, this, &TfrmEdOrg::leInfoKeyDown);
    connect(btnSave, &QPushButton::clicked, this, &TfrmEdOrg::btnSaveClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmEdOrg::SetModified(bool value) {
    FModified = showRecordState(this, kTitle, value, FIDOrg < 0);
    btnSave->setEnabled(FModified);
}

void TfrmEdOrg::markChanged() {
    if (!FModified) {
        SetModified(true);
    }
}

void TfrmEdOrg::leNameOrgKeyDown() {
    markChanged();
}

void TfrmEdOrg::leInfoKeyDown() {
    markChanged();
}

void TfrmEdOrg::LoadEdOrg(int id) {
    FIDOrg = id;
    loadNameInfo(m_db, kOrg, id, leNameOrg, leInfo);
    // Filling the edits is no change of the record.
    SetModified(false);
}

void TfrmEdOrg::btnSaveClick() {
    SaveAnswer answer(*this);
    if (!FModified) {
        return;
    }
    saveNameInfo(m_db, kOrg, FIDOrg, leNameOrg, leInfo);
    SetModified(false);
}
