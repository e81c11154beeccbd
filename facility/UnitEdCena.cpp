#include "facility/UnitEdCena.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/SprGrid.h"
#include "platform/Database.h"
#include "platform/FormWidgets.h"
#include "platform/Forms.h"
#include "platform/UiSeam.h"

namespace {

const QString SELECT_ABON_TYPES_SQL =
    QStringLiteral("SELECT * FROM tTypeCen WHERE ((Zal_ID=%1) AND (KolvoSeans>0)) ORDER BY Name;");
const QString SELECT_CLUB_TYPES_SQL =
    QStringLiteral("SELECT * FROM tTypeCen WHERE (((Zal_ID=%1) OR (Zal_ID=0)) AND (KolvoSeans=0)) ORDER BY Name;");
// The times show as "HH:mm" beside the stored values the pickers read.
const QString SELECT_BANDS_SQL = QStringLiteral(
    "SELECT ID, ID_Zal, TimeBegin, TimeEnd, substr(TimeBegin, 12, 5) AS BeginText, substr(TimeEnd, 12, 5) AS "
    "EndText FROM tPeriodCena WHERE ID_Zal=%1;");
const QString COUNT_BANDS_SQL = QStringLiteral("SELECT COUNT(*) FROM tPeriodCena WHERE ID_Zal=%1;");
const QString FIND_BAND_SQL = QStringLiteral(
    "SELECT ID FROM tPeriodCena WHERE ((ID_Zal=%1) AND ((TimeBegin=:pTimeBeg) OR (TimeEnd=:pTimeEnd)));");
const QString INSERT_BAND_SQL =
    QStringLiteral("INSERT INTO tPeriodCena (ID_Zal, TimeBegin, TimeEnd) VALUES (%1, :pTimeBeg, :pTimeEnd);");
const QString UPDATE_BAND_SQL =
    QStringLiteral("UPDATE tPeriodCena SET TimeBegin=:pTimeBeg, TimeEnd=:pTimeEnd WHERE ID=%1;");
const QString COUNT_BAND_PRICES_SQL = QStringLiteral("SELECT COUNT(*) FROM tCenaSeans WHERE ID_Period=%1;");
const QString DELETE_BAND_SQL = QStringLiteral("DELETE FROM tPeriodCena WHERE ID=%1;");

const QString kBandHasPrices = QStringLiteral("Нельзя удалить запись!\rИмеются записи цен!");

enum VidCard { vcAbonement = 0, vcClubCard = 1 };

}  // namespace

TfrmSetCena::TfrmSetCena(Database& db, QWidget* parent)
    : TPriceDialog(db, parent, QStringLiteral("Тип цены:"),
                   {QStringLiteral("Дата цены"), 14, QStringLiteral(" Значение"), 12, 9}) {
    m_rowFillsFee = true;
    setupUi();
}

void TfrmSetCena::setupUi() {
    setObjectName(QStringLiteral("frmSetCena"));
    setWindowTitle(QStringLiteral("Установка цены"));

    TimeBegin = newTimePicker(this, "TimeBegin", QTime(9, 0));
    TimeEnd = newTimePicker(this, "TimeEnd", QTime(16, 0));
    btnSetPeriod =
        newPictureButton(this, "btnSetPeriod", QStringLiteral("Установить период"), QStyle::SP_DialogApplyButton);
    btnDelPeriod =
        newPictureButton(this, "btnDelPeriod", QStringLiteral("Удалить период"), QStyle::SP_DialogDiscardButton);
    auto* bandRow = new QHBoxLayout;
    bandRow->addWidget(TimeBegin);
    bandRow->addWidget(TimeEnd);
    bandRow->addWidget(btnSetPeriod);
    bandRow->addWidget(btnDelPeriod);
    bandRow->addStretch();

    DBGridPeriod = named(new SprGrid(this), "DBGridPeriod");
    centreCells(*DBGridPeriod);
    rgVidCard = named(new QGroupBox(QStringLiteral("Вид карты"), this), "rgVidCard");
    rgVidCardItems = new QButtonGroup(this);
    auto* kinds = new QVBoxLayout(rgVidCard);
    for (const QString& kind : {QStringLiteral("Абонемент"), QStringLiteral("Клубная карта")}) {
        auto* item = new QRadioButton(kind, rgVidCard);
        rgVidCardItems->addButton(item, rgVidCardItems->buttons().size());
        kinds->addWidget(item);
    }
    rgVidCardItems->button(vcAbonement)->setChecked(true);
    rgVidCard->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    // The column keeps its width and the kinds stay at its foot while the band list is hidden.
    QSizePolicy keptWhenHidden = DBGridPeriod->sizePolicy();
    keptWhenHidden.setRetainSizeWhenHidden(true);
    DBGridPeriod->setSizePolicy(keptWhenHidden);
    auto* bandsPanel = new QWidget(this);
    auto* bands = new QVBoxLayout(bandsPanel);
    bands->setContentsMargins(0, 0, 0, 0);
    bands->addWidget(DBGridPeriod, 1);
    bands->addWidget(rgVidCard);

    auto* lists = new QHBoxLayout;
    lists->addWidget(bandsPanel);
    lists->addWidget(DBGridSpr, 1);

    auto* foot = new QHBoxLayout;
    foot->addStretch();
    foot->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(typeRow());
    layout->addLayout(bandRow);
    layout->addLayout(priceRow());
    layout->addLayout(lists, 1);
    layout->addLayout(foot);
    setFixedSize(500, 360);
    setTabChain({cbTypeCen, btnNewTC, btnEditTC, btnDelTC, TimeBegin, TimeEnd, btnSetPeriod, btnDelPeriod, leCena,
                 dtpDateCena, edVznos, btnSetCena, btndelCena, DBGridPeriod, rgVidCardItems->button(vcAbonement),
                 rgVidCardItems->button(vcClubCard), DBGridSpr, btnClose});

    connect(rgVidCardItems, &QButtonGroup::idClicked, this, &TfrmSetCena::rgVidCardClick);
    // Any move in the band list, by mouse or keys, shows that band's prices.
    connect(DBGridPeriod->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TfrmSetCena::DBGridPeriodCellClick);
    connect(btnSetPeriod, &QToolButton::clicked, this, &TfrmSetCena::btnSetPeriodClick);
    connect(btnDelPeriod, &QToolButton::clicked, this, &TfrmSetCena::btnDelPeriodClick);
}

void TfrmSetCena::SetZalID(int hall) {
    ZalID = hall;
    LoadTypeCena();
    LoadPeriodCen();
    LoadCenaSeansInTabl();
}

QString TfrmSetCena::typesSql() const {
    return (FVidCard == vcAbonement ? SELECT_ABON_TYPES_SQL : SELECT_CLUB_TYPES_SQL).arg(ZalID);
}

int TfrmSetCena::currentBandId() const {
    return DBGridPeriod->currentValue(QStringLiteral("ID")).toInt();
}

int TfrmSetCena::listedBand() const {
    if (FVidCard == vcClubCard) {
        return kNoBand;
    }
    return DBGridPeriod->hasCurrentRow() ? currentBandId() : -1;
}

bool TfrmSetCena::bandForNewPrice(int& band) const {
    band = listedBand();
    return band >= 0;
}

void TfrmSetCena::LoadPeriodCen() {
    showBands(0);
    FIDPeriod = 0;
    if (DBGridPeriod->hasCurrentRow()) {
        FIDPeriod = currentBandId();
        showBandTimes();
    }
}

// The end column narrows once a scroll bar may need its room.
void TfrmSetCena::showBands(int row) {
    const bool few = execScalar(m_db, COUNT_BANDS_SQL.arg(ZalID)).toInt() < 2;
    DBGridPeriod->load(
        SELECT_BANDS_SQL.arg(ZalID), [this](const QString& sql) { return SqlQuery(m_db).prepared(sql); },
        {QStringLiteral("ID"), QStringLiteral("ID_Zal"), QStringLiteral("TimeBegin"), QStringLiteral("TimeEnd")},
        {{QStringLiteral("BeginText"), QStringLiteral("Начало"), 12},
         {QStringLiteral("EndText"), QStringLiteral("Конец"), few ? 13 : 10}});
    if (row > 0) {
        DBGridPeriod->requery(row);
    }
    growToShowColumns(*DBGridPeriod);
}

void TfrmSetCena::showBandTimes() {
    TimeBegin->setTime(dateTimeFromStorage(DBGridPeriod->currentValue(QStringLiteral("TimeBegin"))).time());
    TimeEnd->setTime(dateTimeFromStorage(DBGridPeriod->currentValue(QStringLiteral("TimeEnd"))).time());
}

void TfrmSetCena::rgVidCardClick() {
    FVidCard = rgVidCardItems->checkedId() == vcAbonement ? vcAbonement : vcClubCard;
    const bool withBands = FVidCard == vcAbonement;
    DBGridPeriod->setVisible(withBands);
    for (QWidget* input : std::initializer_list<QWidget*>{TimeBegin, TimeEnd, btnSetPeriod, btnDelPeriod}) {
        input->setEnabled(withBands);
    }
    LoadTypeCena();
    LoadCenaSeansInTabl();
}

void TfrmSetCena::DBGridPeriodCellClick() {
    if (!DBGridPeriod->hasCurrentRow() || currentBandId() == FIDPeriod) {
        return;
    }
    FIDPeriod = currentBandId();
    showBandTimes();
    LoadCenaSeansInTabl();
}

void TfrmSetCena::btnSetPeriodClick() {
    const auto bindTimes = [this](SqlQuery& query) {
        query.addParam(QStringLiteral("pTimeBeg"), FieldType::Time, TimeBegin->time())
            .addParam(QStringLiteral("pTimeEnd"), FieldType::Time, TimeEnd->time());
    };
    {
        Transaction transaction(m_db);
        requireRecord(m_db, QStringLiteral("tZal"), ZalID);
        SqlQuery lookup(m_db);
        bindTimes(lookup);
        lookup.exec(FIND_BAND_SQL.arg(ZalID));
        SqlQuery command(m_db);
        bindTimes(command);
        command.exec(lookup.next() ? UPDATE_BAND_SQL.arg(lookup.asInt(0)) : INSERT_BAND_SQL.arg(ZalID));
        transaction.commit();
    }
    LoadPeriodCen();
    LoadCenaSeansInTabl();
}

void TfrmSetCena::btnDelPeriodClick() {
    if (!DBGridPeriod->currentRecordFound()) {
        return;
    }
    const int row = DBGridPeriod->currentRowNumber();
    const int band = currentBandId();
    if (deleteUnlessKept(m_db, {COUNT_BAND_PRICES_SQL.arg(band)}, DELETE_BAND_SQL.arg(band)) > 0) {
        showMessage(this, kBandHasPrices);
        return;
    }
    showBands(row);
}
