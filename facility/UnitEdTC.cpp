#include "facility/UnitEdTC.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/UnitConst.h"
#include "facility/UnitEdCena.h"
#include "facility/UnitPriceList.h"
#include "platform/Database.h"
#include "platform/FormWidgets.h"
#include "platform/Forms.h"
#include "platform/UiSeam.h"

namespace {

const QString SELECT_TYPE_SQL = QStringLiteral("SELECT * FROM tTypeCen WHERE ID=%1;");
const QString UPDATE_TYPE_SQL = QStringLiteral(
    "UPDATE tTypeCen SET Zal_ID=:pZalID, Name=:pName, VidSportaID=:pVidSp, info=:pInfo, KolvoSeans=:pKolvoSeans, "
    "StrahSumma=:pStrahSumma WHERE ID=%1;");
const QString INSERT_TYPE_SQL = QStringLiteral(
    "INSERT INTO tTypeCen (Zal_ID, Name, VidSportaID, info, KolvoSeans, StrahSumma) VALUES (:pZalID, :pName, "
    ":pVidSp, :pInfo, :pKolvoSeans, :pStrahSumma);");

const QString kTitle = QStringLiteral("Тип цены");
const QString kBadCount = QStringLiteral("Число сеансов должно быть целым числом не меньше 0!");
const QString kBadStrahSumma = QStringLiteral("Страховка должна быть числом!");

constexpr int kEditWidth = 150;

}  // namespace

TfrmEdTC::TfrmEdTC(Database& db, QWidget* owner) : QDialog(owner), m_db(db) {
    setupUi();
}

void TfrmEdTC::setupUi() {
    setObjectName(QStringLiteral("frmEdTC"));
    setWindowTitle(kTitle);
    const auto newEdit = [this](const char* name) {
        auto* edit = named(new QLineEdit(this), name);
        edit->setMinimumWidth(kEditWidth);
        connect(edit, &QLineEdit::textEdited, this, &TfrmEdTC::markModified);
        return edit;
    };
    leName = newEdit("leName");
    leInfo = newEdit("leInfo");
    leCountSeans = newEdit("leCountSeans");
    leStrahSumma = newEdit("leStrahSumma");
    leStrahSumma->setText(QStringLiteral("0"));
    auto* edits = new QFormLayout;
    edits->addRow(QStringLiteral("1. Наименование:"), leName);
    edits->addRow(QStringLiteral("2. Доп. инфо:  "), leInfo);
    edits->addRow(QStringLiteral("3. Сеансов:  "), leCountSeans);
    edits->addRow(QStringLiteral("4. Страховка:"), leStrahSumma);

    cbAllTC = named(new QCheckBox(QStringLiteral("Общий для всех залов"), this), "cbAllTC");

    btnSave = named(new QPushButton(QStringLiteral("Сохранить"), this), "btnSave");
    btnClose = named(new QPushButton(QStringLiteral("Закрыть"), this), "btnClose");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(edits);
    layout->addWidget(cbAllTC);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnSave, &QPushButton::clicked, this, &TfrmEdTC::btnSaveClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmEdTC::SetModified(bool value) {
    FModified = showRecordState(this, kTitle, value, FIDTC < 0);
    btnSave->setEnabled(FModified);
}

void TfrmEdTC::markModified() {
    if (!FModified) {
        SetModified(true);
    }
}

void TfrmEdTC::LoadEdTC(int id) {
    FIDTC = id;
    SetModified(false);
    const auto* hallPrices = qobject_cast<const TfrmSetCena*>(parent());
    FZalID = hallPrices ? hallPrices->ZalID : 0;
    if (id > 0) {
        loadStored();
    }
    showHallBox();
}

void TfrmEdTC::loadStored() {
    SqlQuery query(m_db);
    query.exec(SELECT_TYPE_SQL.arg(FIDTC));
    if (!query.next()) {
        return;
    }
    leName->setText(query.asString(QStringLiteral("Name")));
    leInfo->setText(query.asString(QStringLiteral("info")));
    leCountSeans->setText(QString::number(query.asInt(QStringLiteral("KolvoSeans"))));
    leStrahSumma->setText(moneyText(query.asFloat(QStringLiteral("StrahSumma"))));
    FZalID = query.asInt(QStringLiteral("Zal_ID"));
    FVidSportID = query.asInt(QStringLiteral("VidSportaID"));
    // The hall of a stored type is not changed here.
    cbAllTC->setChecked(FZalID == 0);
    cbAllTC->setEnabled(false);
}

// The box belongs to hall types only; without it the form loses its row.
void TfrmEdTC::showHallBox() {
    cbAllTC->setVisible(FVidSportID < 1);
}

void TfrmEdTC::btnSaveClick() {
    SaveAnswer answer(*this);
    if (!FModified) {
        return;
    }
    int kolvoSeans = 0;
    double strahSumma = 0;
    if (!readCount(leCountSeans->text(), kolvoSeans)) {
        showMessage(this, kBadCount);
        answer.keepOpen();
        return;
    }
    if (!readMoney(leStrahSumma->text(), strahSumma)) {
        showMessage(this, kBadStrahSumma);
        answer.keepOpen();
        return;
    }
    if (refusedAsNegative(this, strahSumma, QStringLiteral("Страховка"))) {
        answer.keepOpen();
        return;
    }
    writeType(kolvoSeans, strahSumma);
    SetModified(false);
}

void TfrmEdTC::writeType(int kolvoSeans, double strahSumma) {
    const int hall = cbAllTC->isChecked() ? 0 : FZalID;
    SqlQuery command(m_db);
    command.addParam(QStringLiteral("pZalID"), FieldType::Integer, hall)
        .addParam(QStringLiteral("pName"), FieldType::String, leName->text())
        .addParam(QStringLiteral("pVidSp"), FieldType::Integer, FVidSportID)
        .addParam(QStringLiteral("pInfo"), FieldType::String, leInfo->text())
        .addParam(QStringLiteral("pKolvoSeans"), FieldType::Integer, kolvoSeans)
        .addParam(QStringLiteral("pStrahSumma"), FieldType::Float, strahSumma);
    if (FIDTC < 1) {
        insertType(command, hall);
        return;
    }
    command.exec(UPDATE_TYPE_SQL.arg(FIDTC));
    requireChanged(command);
}

// A new type belongs to a hall (0: every hall) or to a sports type, either of which another workstation may
// have deleted while the editor was open.
void TfrmEdTC::insertType(SqlQuery& command, int hall) {
    Transaction transaction(m_db);
    if (hall > 0) {
        requireRecord(m_db, QStringLiteral("tZal"), hall);
    }
    if (FVidSportID > 0) {
        requireRecord(m_db, QStringLiteral("tVidSport"), FVidSportID);
    }
    command.exec(INSERT_TYPE_SQL);
    transaction.commit();
}
