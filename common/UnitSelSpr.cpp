#include "common/UnitSelSpr.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/SprGrid.h"
#include "platform/Database.h"

namespace {

const QString SELECT_CLIENTS_SQL = QStringLiteral(
    "SELECT tClient.ID, tClient.Family, tClient.Name, tClient.Otchestvo FROM tClient ORDER BY Family, Name;");
const QString SELECT_ORGS_SQL = QStringLiteral("SELECT * FROM tOrg ORDER BY Name;");
const QString SELECT_VIDSPORT_SQL = QStringLiteral("SELECT * FROM tVidSport ORDER BY NameVidSp;");

// What a kind lists, how its fields are titled, and which fields joined by blanks name a row.
struct SelectList {
    int kind;
    QString sql;
    QList<SprColumn> columns;
    QStringList nameFields;
};

const QList<SelectList> kLists = {
    {lkClients,
     SELECT_CLIENTS_SQL,
     {{QStringLiteral("Family"), QStringLiteral("Фамилия"), 40},
      {QStringLiteral("Name"), QStringLiteral("Имя"), 40},
      {QStringLiteral("Otchestvo"), QStringLiteral("Отчество"), 40}},
     {QStringLiteral("Family"), QStringLiteral("Name"), QStringLiteral("Otchestvo")}},
    {lkOrgs,
     SELECT_ORGS_SQL,
     {{QStringLiteral("Name"), QStringLiteral("Наименование организации"), 40},
      {QStringLiteral("info"), QStringLiteral("Доп.инфо"), 50}},
     {QStringLiteral("Name")}},
    {lkVidSport,
     SELECT_VIDSPORT_SQL,
     {{QStringLiteral("NameVidSp"), QStringLiteral("Наименование вида спорта"), 70},
      {QStringLiteral("info"), QStringLiteral("Доп.инфо"), 50}},
     {QStringLiteral("NameVidSp")}},
};

}  // namespace

TfrmSelectSpr::TfrmSelectSpr(Database& db, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_db(db) {
    setupUi();
}

void TfrmSelectSpr::setupUi() {
    setObjectName(QStringLiteral("frmSelectSpr"));
    setWindowTitle(QStringLiteral("frmSelectSpr"));
    setFixedSize(518, 341);

    DBGridSpr = new SprGrid(this);
    DBGridSpr->setObjectName(QStringLiteral("DBGridSpr"));

    PanSelClient = new QFrame(this);
    PanSelClient->setObjectName(QStringLiteral("PanSelClient"));
    PanSelClient->setFrameShape(QFrame::StyledPanel);
    QFont bold = PanSelClient->font();
    bold.setBold(true);
    PanSelClient->setFont(bold);
    btnSelect = new QPushButton(QStringLiteral("Выбрать"), PanSelClient);
    btnSelect->setObjectName(QStringLiteral("btnSelect"));
    btnCancel = new QPushButton(QStringLiteral("Отменить"), PanSelClient);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto* buttons = new QHBoxLayout(PanSelClient);
    buttons->addStretch();
    buttons->addWidget(btnSelect);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(DBGridSpr);
    layout->addWidget(PanSelClient);

    connect(btnSelect, &QPushButton::clicked, this, &TfrmSelectSpr::btnSelectClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(DBGridSpr, &SprGrid::cellClick, this, &TfrmSelectSpr::DBGridSprCellClick);
    connect(DBGridSpr, &SprGrid::dblClick, this, &TfrmSelectSpr::DBGridSprDblClick);
}

void TfrmSelectSpr::LoadSpr(int kind) {
    FTypeSpr = kind;
    const SelectList* list = findKind(kLists, kind);
    if (!list) {
        DBGridSpr->clearList();
        return;
    }
    DBGridSpr->load(
        list->sql, [this](const QString& sql) { return SqlQuery(m_db).prepared(sql); }, {QStringLiteral("ID")},
        list->columns);
}

QString TfrmSelectSpr::currentText(const QString& field) const {
    return DBGridSpr->currentValue(field).toString();
}

// On an empty list the answer is ID 0 with the blanks between empty names. A list with rows answers only
// the record chosen, read again by its ID: one gone is said, and nothing is answered.
void TfrmSelectSpr::btnSelectClick() {
    if (DBGridSpr->hasCurrentRow() ? !DBGridSpr->currentRecordFound() : DBGridSpr->sprModel()->rowCount() > 0) {
        return;
    }
    FSelect.ID = DBGridSpr->currentValue(QStringLiteral("ID")).toInt();
    QStringList parts;
    if (const SelectList* list = findKind(kLists, FTypeSpr)) {
        for (const QString& field : list->nameFields) {
            parts << currentText(field);
        }
    }
    FSelect.Name = parts.join(QLatin1Char(' '));
    accept();
}

void TfrmSelectSpr::DBGridSprCellClick() {
    DBGridSpr->noteCellClick();
}

void TfrmSelectSpr::DBGridSprDblClick() {
    if (DBGridSpr->takeDoubleClick()) {
        btnSelectClick();
    }
}
