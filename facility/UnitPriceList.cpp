#include "facility/UnitPriceList.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QToolButton>

#include <cmath>

#include "common/SprGrid.h"
#include "common/UnitConst.h"
#include "facility/UnitEdTC.h"
#include "platform/Database.h"
#include "platform/FormWidgets.h"
#include "platform/Forms.h"
#include "platform/UiSeam.h"

namespace {

const QString SELECT_PRICES_SQL =
    QStringLiteral("SELECT * FROM tCenaSeans WHERE ((ID_Period=%1) AND (ID_TypeCen=%2)) ORDER BY DateSet;");
const QString COUNT_PRICES_SQL =
    QStringLiteral("SELECT COUNT(*) FROM tCenaSeans WHERE ((ID_Period=%1) AND (ID_TypeCen=%2));");
const QString DELETE_PRICE_SQL = QStringLiteral("DELETE FROM tCenaSeans WHERE ID=%1;");
const QString COUNT_TYPE_PRICES_SQL = QStringLiteral("SELECT COUNT(*) FROM tCenaSeans WHERE ID_TypeCen=%1;");
const QString COUNT_TYPE_CARDS_SQL = QStringLiteral("SELECT COUNT(*) FROM tCard WHERE ID_TypeCen=%1;");
const QString DELETE_TYPE_SQL = QStringLiteral("DELETE FROM tTypeCen WHERE ID=%1;");

const QString kReferences = QStringLiteral("Имеются ссылки: ");
const QString kBadPrice = QStringLiteral("Цена должна быть числом!");
const QString kBadFee = QStringLiteral("Страховой взнос должен быть числом!");

constexpr int kAmountEditWidth = 70;

}  // namespace

// Dates, times and amounts of the price lists stand centred in their columns.
void centreCells(SprGrid& grid) {
    grid.setItemDelegate(new GridCellFormat(Qt::AlignHCenter, nullptr, &grid));
}

bool readMoney(const QString& text, double& value) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    double number = QLocale().toDouble(trimmed, &ok);
    if (!ok) {
        number = QLocale::c().toDouble(trimmed, &ok);
    }
    if (!ok || !std::isfinite(number)) {
        return false;
    }
    value = number;
    return true;
}

bool readCount(const QString& text, int& value) {
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (!ok || number < 0) {
        return false;
    }
    value = number;
    return true;
}

QString moneyText(double value) {
    return defaultDisplayText(value);
}

TPriceDialog::TPriceDialog(Database& db, QWidget* parent, const QString& typeLabel, const PriceListLook& look)
    : QDialog(parent), m_db(db), m_look(look) {
    setupPriceWidgets(typeLabel);
}

void TPriceDialog::setupPriceWidgets(const QString& typeLabel) {
    Label2 = new QLabel(typeLabel, this);
    cbTypeCen = named(new QComboBox(this), "cbTypeCen");
    cbTypeCen->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cbTypeCen->setMinimumContentsLength(18);
    Label2->setBuddy(cbTypeCen);
    btnNewTC = newPictureButton(this, "btnNewTC", QStringLiteral("Добавить тип цены"), QStyle::SP_FileIcon);
    btnEditTC = newPictureButton(this, "btnEditTC", QStringLiteral("Редактировать тип цены"),
                                 QStyle::SP_FileDialogDetailedView);
    btnDelTC = newPictureButton(this, "btnDelTC", QStringLiteral("Удалить тип цены"), QStyle::SP_TrashIcon);
    m_typeRow = new QHBoxLayout;
    m_typeRow->addWidget(Label2);
    m_typeRow->addWidget(cbTypeCen, 1);
    m_typeRow->addWidget(btnNewTC);
    m_typeRow->addWidget(btnEditTC);
    m_typeRow->addWidget(btnDelTC);

    const auto newAmountEdit = [this](const char* name, const QString& hint) {
        auto* edit = named(new QLineEdit(QStringLiteral("0"), this), name);
        edit->setToolTip(hint);
        edit->setFixedWidth(kAmountEditWidth);
        return edit;
    };
    leCena = newAmountEdit("leCena", QStringLiteral("Цена"));
    dtpDateCena = named(new DateField(QDate::currentDate(), this), "dtpDateCena");
    dtpDateCena->setToolTip(QStringLiteral("Дата установки цены"));
    dtpDateCena->setCalendarPopup(true);
    edVznos = newAmountEdit("edVznos", QStringLiteral("Страховое вознаграждение"));
    btnSetCena = newPictureButton(this, "btnSetCena", QStringLiteral("Установить цену"), QStyle::SP_DialogApplyButton);
    btndelCena = newPictureButton(this, "btndelCena", QStringLiteral("Удалить цену"), QStyle::SP_DialogDiscardButton);
    m_priceRow = new QHBoxLayout;
    m_priceRow->addWidget(leCena);
    m_priceRow->addWidget(dtpDateCena);
    m_priceRow->addWidget(edVznos);
    m_priceRow->addWidget(btnSetCena);
    m_priceRow->addWidget(btndelCena);
    m_priceRow->addStretch();

    DBGridSpr = named(new SprGrid(this), "DBGridSpr");
    centreCells(*DBGridSpr);
    btnClose = named(new QPushButton(QStringLiteral("Закрыть"), this), "btnClose");

    connect(cbTypeCen, &QComboBox::activated, this, &TPriceDialog::cbTypeCenChange);
    connect(DBGridSpr, &SprGrid::cellClick, this, &TPriceDialog::DBGridSprCellClick);
    connect(btnNewTC, &QToolButton::clicked, this, &TPriceDialog::btnNewTCClick);
    connect(btnEditTC, &QToolButton::clicked, this, &TPriceDialog::btnEditTCClick);
    connect(btnDelTC, &QToolButton::clicked, this, &TPriceDialog::btnDelTCClick);
    connect(btnSetCena, &QToolButton::clicked, this, &TPriceDialog::btnSetCenaClick);
    connect(btndelCena, &QToolButton::clicked, this, &TPriceDialog::btndelCenaClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TPriceDialog::LoadTypeCena() {
    cbTypeCen->clear();
    FListIDTypeCen.clear();
    SqlQuery query(m_db);
    query.exec(typesSql());
    while (query.next()) {
        FListIDTypeCen << query.asString(QStringLiteral("ID"));
        cbTypeCen->addItem(query.asString(QStringLiteral("Name")));
    }
    cbTypeCen->setCurrentIndex(FListIDTypeCen.isEmpty() ? -1 : 0);
}

int TPriceDialog::selectedTypeId() const {
    const int index = cbTypeCen->currentIndex();
    return index >= 0 && index < FListIDTypeCen.size() ? FListIDTypeCen.at(index).toInt() : 0;
}

void TPriceDialog::LoadCenaSeansInTabl() {
    const int band = listedBand();
    const int type = selectedTypeId();
    const bool few = execScalar(m_db, COUNT_PRICES_SQL.arg(band).arg(type)).toInt() < 2;
    DBGridSpr->load(SELECT_PRICES_SQL.arg(band).arg(type),
                    [this](const QString& sql) { return SqlQuery(m_db).prepared(sql); },
                    {QStringLiteral("ID"), QStringLiteral("ID_Period"), QStringLiteral("ID_TypeCen")},
                    {{QStringLiteral("DateSet"), m_look.dateTitle, m_look.dateWidth},
                     {QStringLiteral("Cena"), m_look.cenaTitle, few ? m_look.cenaWidthFew : m_look.cenaWidthMany},
                     {QStringLiteral("StrahVosn"), QStringLiteral("Ст.взнос"), 8}});
    growToShowColumns(*DBGridSpr);
    if (DBGridSpr->rowCount() > 0) {
        leCena->setText(moneyText(DBGridSpr->valueAt(0, QStringLiteral("Cena")).toDouble()));
        dtpDateCena->setDate(dateTimeFromStorage(DBGridSpr->valueAt(0, QStringLiteral("DateSet"))).date());
    }
}

void TPriceDialog::cbTypeCenChange() {
    LoadCenaSeansInTabl();
}

void TPriceDialog::DBGridSprCellClick() {
    if (!DBGridSpr->hasCurrentRow()) {
        return;
    }
    leCena->setText(moneyText(DBGridSpr->currentValue(QStringLiteral("Cena")).toDouble()));
    dtpDateCena->setDate(dateTimeFromStorage(DBGridSpr->currentValue(QStringLiteral("DateSet"))).date());
    if (m_rowFillsFee) {
        edVznos->setText(moneyText(DBGridSpr->currentValue(QStringLiteral("StrahVosn")).toDouble()));
    }
}

void TPriceDialog::btnSetCenaClick() {
    double price = 0;
    double fee = 0;
    if (!readMoney(leCena->text(), price)) {
        showMessage(this, kBadPrice);
        return;
    }
    if (!edVznos->text().isEmpty() && !readMoney(edVznos->text(), fee)) {
        showMessage(this, kBadFee);
        return;
    }
    if (refusedAsNegative(this, fee, QStringLiteral("Страховой взнос"))) {
        return;
    }
    int band = 0;
    if (price <= 0 || selectedTypeId() == 0 || !bandForNewPrice(band)) {
        return;
    }
    SetCenaSeans(m_db, band, selectedTypeId(), QDateTime(dtpDateCena->date(), QTime(0, 0)), price, fee);
    if (DBGridSpr->rowCount() > 0) {
        DBGridSpr->requery(DBGridSpr->currentRowNumber());
    } else {
        LoadCenaSeansInTabl();
    }
}

void TPriceDialog::btndelCenaClick() {
    if (selectedTypeId() == 0 || !DBGridSpr->currentRecordFound()) {
        return;
    }
    execScalar(m_db, DELETE_PRICE_SQL.arg(DBGridSpr->currentValue(QStringLiteral("ID")).toInt()));
    DBGridSpr->requery(DBGridSpr->currentRowNumber());
}

void TPriceDialog::btnDelTCClick() {
    const int type = selectedTypeId();
    if (type == 0) {
        return;
    }
    const int references = deleteUnlessKept(m_db, {COUNT_TYPE_PRICES_SQL.arg(type), COUNT_TYPE_CARDS_SQL.arg(type)},
                                            DELETE_TYPE_SQL.arg(type));
    if (references > 0) {
        showMessage(this, kReferences + QString::number(references));
        return;
    }
    LoadTypeCena();
    LoadCenaSeansInTabl();
}

// Shows the editor of a type (-1: a new one); true when it saved.
bool TPriceDialog::editType(int id) {
    TfrmEdTC editor(m_db, this);
    if (id < 0) {
        prepareNewType(editor);
    }
    editor.LoadEdTC(id);
    return execModal(editor) == QDialog::Accepted;
}

void TPriceDialog::btnNewTCClick() {
    if (editType(-1)) {
        LoadTypeCena();
        LoadCenaSeansInTabl();
    }
}

void TPriceDialog::btnEditTCClick() {
    if (FListIDTypeCen.isEmpty()) {
        return;
    }
    const int position = cbTypeCen->currentIndex();
    if (!editType(selectedTypeId())) {
        return;
    }
    LoadTypeCena();
    // A type that left the list leaves the first one selected.
    if (position < cbTypeCen->count()) {
        cbTypeCen->setCurrentIndex(position);
    }
    LoadCenaSeansInTabl();
}
