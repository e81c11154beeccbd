#include "facility/UnitEdZal.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/SprGrid.h"
#include "common/UnitDopInfoCard.h"
#include "facility/UnitEdCena.h"
#include "facility/UnitEdSeans.h"
#include "facility/UnitPriceList.h"
#include "platform/Database.h"
#include "platform/FormWidgets.h"
#include "platform/Forms.h"
#include "platform/UiSeam.h"

namespace {

const QString SELECT_ZAL_SQL = QStringLiteral("SELECT * FROM tZal WHERE ID=%1;");
const QString COUNT_SEANS_SQL = QStringLiteral("SELECT COUNT(*) FROM tSeans WHERE ID_Zal=%1;");
const QString SELECT_SEANS_SQL = QStringLiteral(
    "SELECT ID, ID_Zal, strftime('%H:%M', TimeBeg) AS TimeBeg, CountTime FROM tSeans WHERE ID_Zal=:pZalID "
    "ORDER BY tSeans.TimeBeg");
const QString UPDATE_ZAL_SQL = QStringLiteral(
    "UPDATE tZal SET NameZal=:pNameZal, CountMest=:pCountMest, RezervMest=:pRezervMest, info=:pInfo, "
    "StrTXTCard=:pDopTXT WHERE ID=%1;");
const QString INSERT_ZAL_SQL = QStringLiteral(
    "INSERT INTO tZal (NameZal, CountMest, RezervMest, info, StrTXTCard) VALUES (:pNameZal, :pCountMest, "
    ":pRezervMest, :pInfo, :pDopTXT);");
const QString COUNT_NAMESAKES_SQL =
    QStringLiteral("SELECT COUNT(*) FROM tZal WHERE ((NameZal=:pNameZal) AND (CountMest=:pCountMest));");
const QString DELETE_SEANS_SQL = QStringLiteral("DELETE FROM tSeans WHERE ID=%1;");

const QString kTitle = QStringLiteral("Зал");
const QString kPricesCaption = QStringLiteral("Установка цен: ");
const QString kNotUnique = QStringLiteral("Введено не уникальное наименование зала!");
const QString kNotANumber = QStringLiteral("Поле \"%1\" должно содержать целое число не меньше нуля!");

// The grid's columns of the time-slot list, as the statement above gives them.
constexpr int kTimeBegColumn = 2;
constexpr int kCountTimeColumn = 3;
constexpr int kTimeBegWidth = 10;
// The duration column is wider while the list is too short to need a scroll bar.
constexpr int kDurationWidthFew = 13;
constexpr int kDurationWidthMany = 11;

}  // namespace

TfrmZal::TfrmZal(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setupUi();
}

void TfrmZal::setupUi() {
    setObjectName(QStringLiteral("frmZal"));
    setWindowTitle(kTitle);

    leNameZal = named(new QLineEdit(this), "leNameZal");
    leCountMest = named(new UpDownEdit(this), "leCountMest");
    leRezPos = named(new UpDownEdit(this), "leRezPos");
    leInfo = named(new QLineEdit(this), "leInfo");
    auto* fields = new QVBoxLayout;
    addLabelled(*fields, QStringLiteral("1. Наименование зала:  "), leNameZal);
    addLabelled(*fields, QStringLiteral("2. Мест:"), leCountMest);
    addLabelled(*fields, QStringLiteral("3. Резерв:"), leRezPos);
    addLabelled(*fields, QStringLiteral("4. Доп. инфо:  "), leInfo);
    fields->addStretch();

    btnNewSeans = newPictureButton(this, "btnNewSeans", QStringLiteral("Добавить сеанс"), QStyle::SP_FileIcon);
    btnEdSeans =
        newPictureButton(this, "btnEdSeans", QStringLiteral("Редактировать сеанс"), QStyle::SP_FileDialogDetailedView);
    btnDelSeans = newPictureButton(this, "btnDelSeans", QStringLiteral("Удалить сеанс"), QStyle::SP_TrashIcon);
    DBGridSpr = named(new SprGrid(this), "DBGridSpr");
    DBGridSpr->setItemDelegateForColumn(kTimeBegColumn, new GridCellFormat(Qt::AlignHCenter, nullptr, DBGridSpr));
    DBGridSpr->setItemDelegateForColumn(kCountTimeColumn, new GridCellFormat(Qt::AlignHCenter, nullptr, DBGridSpr));
    auto* slotButtons = new QHBoxLayout;
    slotButtons->addWidget(btnNewSeans);
    slotButtons->addWidget(btnEdSeans);
    slotButtons->addWidget(btnDelSeans);
    slotButtons->addStretch();
    auto* slotList = new QVBoxLayout;
    slotList->addLayout(slotButtons);
    slotList->addWidget(DBGridSpr);

    auto* body = new QHBoxLayout;
    body->addLayout(fields, 1);
    body->addLayout(slotList);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    btnTXT =
        newPictureButton(panel, "btnTXT", QStringLiteral("Дополнительная строка описания по функционированию зала"),
                         QStyle::SP_FileDialogContentsView);
    BitBtn1 = named(new QPushButton(QStringLiteral("Цены"), panel), "BitBtn1");
    // Enter in a field saves; it must not open the prices.
    BitBtn1->setAutoDefault(false);
    btnSave = newButton(panel, "btnSave", QStringLiteral("Сохранить"), QStyle::SP_DialogSaveButton);
    btnClose = newButton(panel, "btnClose", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);
    auto* bar = new QHBoxLayout(panel);
    bar->setContentsMargins(6, 4, 6, 4);
    bar->addWidget(btnTXT);
    bar->addWidget(BitBtn1);
    bar->addStretch();
    bar->addWidget(btnSave);
    bar->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(panel);
    setFixedSize(sizeHint().expandedTo(QSize(480, 260)));

    connect(btnSave, &QPushButton::clicked, this, &TfrmZal::btnSaveClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnNewSeans, &QToolButton::clicked, this, &TfrmZal::btnNewSeansClick);
    connect(btnEdSeans, &QToolButton::clicked, this, &TfrmZal::btnEdSeansClick);
    connect(btnDelSeans, &QToolButton::clicked, this, &TfrmZal::btnDelSeansClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmZal::BitBtn1Click);
    connect(btnTXT, &QToolButton::clicked, this, &TfrmZal::btnTXTClick);
    connect(leNameZal, &QLineEdit::textChanged, this, &TfrmZal::leNameZalChange);
    connect(leInfo, &QLineEdit::textChanged, this, &TfrmZal::leNameZalChange);
    connect(leCountMest, &UpDownEdit::contentChanged, this, &TfrmZal::leNameZalChange);
    connect(leRezPos, &UpDownEdit::contentChanged, this, &TfrmZal::leNameZalChange);
}

void TfrmZal::LoadEdZal(int id) {
    ZalID = id;
    if (id > 0) {
        SqlQuery query(m_db);
        query.exec(SELECT_ZAL_SQL.arg(id));
        if (query.next()) {
            leNameZal->setText(query.asString(QStringLiteral("NameZal")));
            leCountMest->setValue(query.asInt(QStringLiteral("CountMest")));
            leRezPos->setValue(query.asInt(QStringLiteral("RezervMest")));
            leInfo->setText(query.asString(QStringLiteral("info")));
            FStrTXTCard = query.asString(QStringLiteral("StrTXTCard"));
        }
    }
    enableHallParts();
    LoadSeansInTabl();
    // Last, so that filling the fields does not count as a change.
    SetModified(false);
}

void TfrmZal::enableHallParts() {
    const bool stored = ZalID > 0;
    btnNewSeans->setEnabled(stored);
    btnEdSeans->setEnabled(stored);
    btnDelSeans->setEnabled(stored);
    BitBtn1->setEnabled(stored);
}

void TfrmZal::LoadSeansInTabl() {
    const int slotCount = execScalar(m_db, COUNT_SEANS_SQL.arg(ZalID)).toInt();
    DBGridSpr->load(SELECT_SEANS_SQL,
                    [this](const QString& sql) {
                        SqlQuery query(m_db);
                        query.addParam(QStringLiteral("pZalID"), FieldType::Integer, ZalID);
                        return query.prepared(sql);
                    },
                    {QStringLiteral("ID"), QStringLiteral("ID_Zal")},
                    {{QStringLiteral("TimeBeg"), QStringLiteral("Начало"), kTimeBegWidth},
                     {QStringLiteral("CountTime"), QStringLiteral("Длит-сть, мин"),
                      slotCount < 2 ? kDurationWidthFew : kDurationWidthMany}});
    growToShowColumns(*DBGridSpr);
}

void TfrmZal::SetModified(bool value) {
    FModified = showRecordState(this, kTitle, value, ZalID < 0);
}

void TfrmZal::leNameZalChange() {
    if (!FModified) {
        SetModified(true);
    }
}

void TfrmZal::btnSaveClick() {
    SaveAnswer answer(*this);
    if (!FModified) {
        return;
    }
    if (!countsAreNumbers()) {
        answer.keepOpen();
        return;
    }
    if (ZalID > 0) {
        updateHall();
        SetModified(false);
        return;
    }
    insertHall();
    answer.keepOpen();
    enableHallParts();
    SetModified(false);
}

bool TfrmZal::countsAreNumbers() {
    for (const auto& [edit, field] : {std::pair{leCountMest, "Мест"}, std::pair{leRezPos, "Резерв"}}) {
        if (!edit->hasNumber()) {
            showMessage(this, kNotANumber.arg(QString::fromUtf8(field)));
            edit->setFocus();
            return false;
        }
    }
    return true;
}

void TfrmZal::bindHall(SqlQuery& command) const {
    command.addParam(QStringLiteral("pNameZal"), FieldType::String, leNameZal->text())
        .addParam(QStringLiteral("pCountMest"), FieldType::Integer, leCountMest->value())
        .addParam(QStringLiteral("pRezervMest"), FieldType::Integer, leRezPos->value())
        .addParam(QStringLiteral("pInfo"), FieldType::String, leInfo->text())
        .addParam(QStringLiteral("pDopTXT"), FieldType::String, FStrTXTCard);
}

void TfrmZal::updateHall() {
    SqlQuery command(m_db);
    bindHall(command);
    command.exec(UPDATE_ZAL_SQL.arg(ZalID));
    requireChanged(command);
}

// The editor goes on with the row just inserted; a namesake is only pointed out.
void TfrmZal::insertHall() {
    SqlQuery command(m_db);
    bindHall(command);
    command.exec(INSERT_ZAL_SQL);
    ZalID = int(command.lastInsertId());
    if (countNamesakes() > 1) {
        showMessage(this, kNotUnique);
    }
}

int TfrmZal::countNamesakes() {
    SqlQuery query(m_db);
    bindHall(query);
    query.exec(COUNT_NAMESAKES_SQL);
    return query.next() ? query.asInt(0) : 0;
}

void TfrmZal::btnNewSeansClick() {
    if (ZalID <= 0) {
        return;
    }
    TfrmSeans editor(m_db, this);
    editor.LoadEdSeans(-1);
    execModal(editor);
    DBGridSpr->requery(0);
}

void TfrmZal::btnEdSeansClick() {
    if (!DBGridSpr->hasCurrentRow()) {
        btnNewSeansClick();
        return;
    }
    if (!DBGridSpr->currentRecordFound()) {
        return;
    }
    TfrmSeans editor(m_db, this);
    editor.LoadEdSeans(DBGridSpr->currentValue(QStringLiteral("ID")).toInt());
    if (execModal(editor) == QDialog::Accepted) {
        DBGridSpr->requery(DBGridSpr->currentRowNumber());
    }
}

void TfrmZal::btnDelSeansClick() {
    if (!DBGridSpr->currentRecordFound()) {
        return;
    }
    SqlQuery(m_db).exec(DELETE_SEANS_SQL.arg(DBGridSpr->currentValue(QStringLiteral("ID")).toInt()));
    DBGridSpr->requery(0);
}

void TfrmZal::BitBtn1Click() {
    // Prices belong to a stored hall: bands and types made for an unsaved one would carry no hall.
    if (ZalID <= 0) {
        return;
    }
    TfrmSetCena prices(m_db, this);
    prices.SetZalID(ZalID);
    prices.setWindowTitle(kPricesCaption + leNameZal->text());
    execModal(prices);
}

void TfrmZal::btnTXTClick() {
    TfrmDopInfo dialog(this);
    dialog.cbPrintTXT->hide();
    dialog.MemoTXT->setPlainText(FStrTXTCard);
    execModal(dialog);
    FStrTXTCard = dialog.MemoTXT->toPlainText();
    leNameZalChange();
}
