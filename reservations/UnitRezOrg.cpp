#include "reservations/UnitRezOrg.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/RecordEditors.h"
#include "common/SprGrid.h"
#include "platform/Database.h"
#include "platform/FormWidgets.h"
#include "platform/Forms.h"
#include "platform/LocaleFormat.h"
#include "platform/UiSeam.h"

namespace {

const QString SELECT_ZAL_SQL = QStringLiteral("SELECT * FROM tZal;");
const QString SELECT_SEANS_SQL = QStringLiteral("SELECT * FROM tSeans WHERE ID_Zal=%1 ORDER BY TimeBeg;");
const QString SELECT_REZORG_SQL = QStringLiteral(
    "SELECT tRezOrg.*, tOrg.Name FROM tRezOrg, tOrg WHERE ((tRezOrg.ID=%1) AND (tRezOrg.ID_Org=tOrg.ID));");
// One row per reserved slot (hall and date-time) of the contract with its number of places.
const QString SELECT_TABL_WORK_SQL = QStringLiteral(
    "SELECT tWorkGurnal.ID_Zal, ID_Card, tZal.NameZal, substr(DateWork, 1, 10)||' 00:00:00' as DWork, "
    "strftime('%H:%M', DateWork) as TimeS, DateWork, COUNT(ID_Card) as CountPos FROM tWorkGurnal, tZal "
    "WHERE ((ID_Card=%1) AND (tWorkGurnal.ID_Zal=tZal.ID)) GROUP BY tWorkGurnal.ID_Zal, ID_Card, NameZal, DateWork "
    "ORDER BY DateWork, NameZal;");
const QString COUNT_TABL_WORK_SQL = QStringLiteral(
    "SELECT COUNT(*) FROM (SELECT DISTINCT tWorkGurnal.ID_Zal, DateWork FROM tWorkGurnal, tZal "
    "WHERE ((ID_Card=%1) AND (tWorkGurnal.ID_Zal=tZal.ID)));");
const QString INSERT_PLACE_SQL = QStringLiteral(
    "INSERT INTO tWorkGurnal (DateWork, ID_Zal, ID_Card, Cena) VALUES (:pDatWork, :pIDZal, :pIDRezOrg, 0);");
const QString DELETE_SLOT_SQL =
    QStringLiteral("DELETE FROM tWorkGurnal WHERE ((DateWork=:pDatWork) AND (ID_Zal=:pIDZal) AND (ID_Card=%1));");
const QString INSERT_REZORG_SQL = QStringLiteral("INSERT INTO tRezOrg (Num, ID_Org, Summa) VALUES (:pNum, %1, :pSum);");
const QString UPDATE_REZORG_SQL = QStringLiteral("UPDATE tRezOrg SET Num=:pNum, ID_Org=%1, Summa=:pSum WHERE ID=%2;");
const QString COUNT_SAME_CONTRACTS_SQL =
    QStringLiteral("SELECT COUNT(*) FROM tRezOrg WHERE ((ID_Org=%1) AND (Num=%2));");
const QString SELECT_ORG_SQL = QStringLiteral("SELECT * FROM tOrg WHERE Name LIKE :pStrSearch||'%' ORDER BY Name;");

const QString kTitle = QStringLiteral("Резерв организации");
const QString kNewTitle = QStringLiteral("Резерв организации (НЕ СОХРАНЯЛСЯ: выбор сеансов запрещен!)");
const QString kBadParameter = QStringLiteral("Ошибка при передаче парарметра!");
const QString kNotFilled = QStringLiteral("Не заполнены обязательные поля!");
const QString kBadSumma = QStringLiteral("Сумма договора должна быть числом, например: %1");
const QString kBadCount = QStringLiteral("Количество позиций должно быть целым числом!");
const QString kNotUnique = QStringLiteral("Обнаружена карта с неунивальными занчениями двух полей!");
const QString kNoSlot = QStringLiteral("Не выбраны зал и сеанс: места резервировать некуда!");

const QString kParamDatWork = QStringLiteral("pDatWork");
const QString kParamIDZal = QStringLiteral("pIDZal");
const QString kParamSearch = QStringLiteral("pStrSearch");
const QString kFieldID = QStringLiteral("ID");
const QString kFieldName = QStringLiteral("Name");

// "Кол-во" narrows once the list has a scroll bar's worth of rows.
constexpr int kCountWidthFew = 10;
constexpr int kCountWidthMany = 7;
// "Время" in the reserved-slot list, after ID_Zal, ID_Card, NameZal and DWork.
constexpr int kTimeSColumn = 4;
// The day label cuts the year off the short date ("04.07.2026" -> "04.07").
constexpr int kYearChars = 5;

QFrame* newPanel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setFrameShape(QFrame::StyledPanel);
    return panel;
}

QList<SprColumn> tablWorkColumns(int rows) {
    return {{QStringLiteral("NameZal"), QStringLiteral("Зал"), 18},
            {QStringLiteral("DWork"), QStringLiteral("Дата"), 10},
            {QStringLiteral("TimeS"), QStringLiteral("Время"), 8},
            {QStringLiteral("CountPos"), QStringLiteral("Кол-во"), rows < 2 ? kCountWidthFew : kCountWidthMany}};
}

void bindContract(SqlQuery& command, int num, double summa) {
    command.addParam(QStringLiteral("pNum"), FieldType::Integer, num)
        .addParam(QStringLiteral("pSum"), FieldType::Float, summa);
}

}  // namespace

TfrmRezOrg::TfrmRezOrg(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setupUi();
    FormCreate();
}

TfrmRezOrg::~TfrmRezOrg() = default;

void TfrmRezOrg::reject() {
    if (btnClose->isEnabled()) {
        QDialog::reject();
    }
}

void TfrmRezOrg::setupUi() {
    setObjectName(QStringLiteral("frmRezOrg"));
    setWindowTitle(kTitle);

    auto* middle = new QHBoxLayout;
    middle->addWidget(newLeftPanel());
    middle->addWidget(newGridPanel(), 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(newTopPanel());
    layout->addLayout(middle, 1);
    layout->addWidget(newBottomPanel());
    setFixedSize(sizeHint().expandedTo(QSize(760, 0)));
    setTabChain({leOrg, btnSelOrg, leDog, leSumma, cbZal, cbSeans, mcSelDates, edCountPos, btnNewSeans, btnDelSeans,
                 DBGridSpr, btnSelect, leSearchStr, btnNewSel, btnSave, btnClose});

    connect(btnSelOrg, &QToolButton::clicked, this, &TfrmRezOrg::btnSelOrgClick);
    connect(btnNewSeans, &QPushButton::clicked, this, &TfrmRezOrg::btnNewSeansClick);
    connect(btnDelSeans, &QPushButton::clicked, this, &TfrmRezOrg::btnDelSeansClick);
    connect(btnSelect, &QPushButton::clicked, this, &TfrmRezOrg::btnSelectClick);
    connect(btnNewSel, &QToolButton::clicked, this, &TfrmRezOrg::btnNewSelClick);
    connect(btnSave, &QPushButton::clicked, this, &TfrmRezOrg::btnSaveClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(leSearchStr, &QLineEdit::textChanged, this, &TfrmRezOrg::leSearchStrChange);
    connect(DBGridSpr, &SprGrid::cellClick, this, &TfrmRezOrg::DBGridSprCellClick);
    connect(DBGridSpr, &SprGrid::dblClick, this, &TfrmRezOrg::DBGridSprDblClick);
    connect(DBGridSpr, &SprGrid::enterPressed, this, [this] { DBGridSprKeyDown(Qt::Key_Return); });
    DBGridSpr->installEventFilter(this);
}

QWidget* TfrmRezOrg::newTopPanel() {
    QFrame* panel = newPanel(this);
    leOrg = named(new QLineEdit(QStringLiteral("Наименование организации"), panel), "leOrg");
    leOrg->setReadOnly(true);
    btnSelOrg = newPictureButton(panel, "btnSelOrg", QString(), QStyle::SP_FileDialogContentsView);
    leDog = named(new QLineEdit(QStringLiteral("0"), panel), "leDog");
    leSumma = named(new QLineEdit(QStringLiteral("0"), panel), "leSumma");
    QFont large = leSumma->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.5);
    leSumma->setFont(large);
    // Captions on one line above their fields, however tall the sum is.
    auto* layout = new QGridLayout(panel);
    const auto addField = [panel, layout](int column, const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, panel);
        label->setBuddy(field);
        layout->addWidget(label, 0, column);
        layout->addWidget(field, 1, column);
    };
    addField(0, QStringLiteral("1. Организация:"), leOrg);
    layout->addWidget(btnSelOrg, 1, 1);
    addField(2, QStringLiteral("2. Договор:"), leDog);
    addField(3, QStringLiteral("3. Сумма:"), leSumma);
    layout->setColumnStretch(0, 3);
    layout->setColumnStretch(2, 1);
    layout->setColumnStretch(3, 1);
    return panel;
}

QWidget* TfrmRezOrg::newLeftPanel() {
    QFrame* panel = newPanel(this);
    Label4 = named(new QLabel(QStringLiteral("4. Зал:"), panel), "Label4");
    cbZal = named(new QComboBox(panel), "cbZal");
    cbZal->setToolTip(QStringLiteral("Зал"));
    Label4->setBuddy(cbZal);
    Label5 = named(new QLabel(QStringLiteral("5. Сеанс:"), panel), "Label5");
    cbSeans = named(new QComboBox(panel), "cbSeans");
    cbSeans->setToolTip(QStringLiteral("Сеанс"));
    Label5->setBuddy(cbSeans);
    auto* boxes = new QGridLayout;
    boxes->addWidget(Label4, 0, 0);
    boxes->addWidget(cbZal, 0, 1);
    boxes->addWidget(Label5, 1, 0);
    boxes->addWidget(cbSeans, 1, 1);
    boxes->setColumnStretch(1, 1);

    mcSelDates = named(new QCalendarWidget(panel), "mcSelDates");
    mcSelDates->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    PanParentGraph = named(newPanel(panel), "PanParentGraph");
    PanParentGraph->setFixedWidth(56);
    txtDateSelect = named(new QLabel(QStringLiteral("04.07"), PanParentGraph), "txtDateSelect");
    txtDateSelect->setAlignment(Qt::AlignCenter);
    auto* graph = new QVBoxLayout(PanParentGraph);
    graph->setContentsMargins(2, 2, 2, 2);
    graph->addWidget(txtDateSelect);
    auto* day = new QHBoxLayout;
    day->addWidget(mcSelDates);
    day->addWidget(PanParentGraph);

    edCountPos = named(new QLineEdit(QStringLiteral("1"), panel), "edCountPos");
    edCountPos->setToolTip(QStringLiteral("Количество позиций"));
    edCountPos->setFixedWidth(48);
    btnNewSeans = newButton(panel, "btnNewSeans", QStringLiteral("Добавить"), QStyle::SP_FileIcon);
    btnDelSeans = newButton(panel, "btnDelSeans", QStringLiteral("Удалить"), QStyle::SP_TrashIcon);
    auto* places = new QHBoxLayout;
    places->addWidget(edCountPos);
    places->addWidget(btnNewSeans);
    places->addWidget(btnDelSeans);
    places->addStretch();

    auto* layout = new QVBoxLayout(panel);
    layout->addLayout(boxes);
    layout->addLayout(day);
    layout->addLayout(places);
    layout->addStretch();
    return panel;
}

// The notice lies behind the grid and shows while the grid is hidden.
QWidget* TfrmRezOrg::newGridPanel() {
    auto* panel = new QWidget(this);
    auto* notice = new QWidget(panel);
    auto* lines = new QVBoxLayout(notice);
    lines->addStretch();
    QFont bold = notice->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    notice->setFont(bold);
    Label6 = named(new QLabel(QStringLiteral("СЕАНСЫ НЕ ВЫБРАНЫ"), notice), "Label6");
    Label7 = named(new QLabel(QStringLiteral("Необходимо сохранить"), notice), "Label7");
    Label8 = named(new QLabel(QStringLiteral("карту, перед выбором "), notice), "Label8");
    Label9 = named(new QLabel(QStringLiteral("сеансов"), notice), "Label9");
    for (QLabel* label : {Label6, Label7, Label8, Label9}) {
        label->setAlignment(Qt::AlignCenter);
        lines->addWidget(label);
    }
    lines->addStretch();
    DBGridSpr = named(new SprGrid(panel), "DBGridSpr");
    DBGridSpr->setItemDelegateForColumn(kTimeSColumn, new GridCellFormat(Qt::AlignHCenter, nullptr, DBGridSpr));
    auto* layout = new QGridLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(notice, 0, 0);
    layout->addWidget(DBGridSpr, 0, 0);
    return panel;
}

QWidget* TfrmRezOrg::newBottomPanel() {
    QFrame* panel = newPanel(this);
    btnSelect = newButton(panel, "btnSelect", QStringLiteral("Выбрать"), QStyle::SP_DialogApplyButton);
    lblSearchStr = named(new QLabel(QStringLiteral("Поиск: "), panel), "lblSearchStr");
    leSearchStr = named(new QLineEdit(panel), "leSearchStr");
    lblSearchStr->setBuddy(leSearchStr);
    btnNewSel = newPictureButton(panel, "btnNewSel", QStringLiteral("Добавить нового клиента"), QStyle::SP_FileIcon);
    btnSave = newButton(panel, "btnSave", QStringLiteral("Сохранить"), QStyle::SP_DialogSaveButton);
    btnClose = newButton(panel, "btnClose", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);
    showChoiceBar(false);
    auto* layout = new QHBoxLayout(panel);
    layout->addWidget(btnSelect);
    layout->addWidget(lblSearchStr);
    layout->addWidget(leSearchStr, 1);
    layout->addWidget(btnNewSel);
    layout->addStretch();
    layout->addWidget(btnSave);
    layout->addWidget(btnClose);
    return panel;
}

void TfrmRezOrg::FormCreate() {
    FLoadDay = named(new TLoadDay(PanParentGraph), "FLoadDay");
    // The bar takes the panel's height above txtDateSelect.
    static_cast<QBoxLayout*>(PanParentGraph->layout())->insertWidget(0, FLoadDay, 1);
    mcSelDates->setSelectedDate(QDate::currentDate());
    loadZals();
    if (!FZals.isEmpty()) {
        cbZal->setCurrentIndex(0);
        FLoadDay->MaxCount = FZals[0].CountMest;
        LoadSeans();
    }
    LoadGraphData();
    connect(cbZal, &QComboBox::activated, this, &TfrmRezOrg::cbZalChange);
    connect(cbSeans, &QComboBox::activated, this, &TfrmRezOrg::cbSeansChange);
    connect(mcSelDates, &QCalendarWidget::selectionChanged, this, &TfrmRezOrg::mcSelDatesClick);
}

void TfrmRezOrg::loadZals() {
    FZals.clear();
    cbZal->clear();
    SqlQuery query(m_db);
    query.exec(SELECT_ZAL_SQL);
    while (query.next()) {
        FZals.append({query.asInt(0), query.asInt(QStringLiteral("CountMest")),
                      query.asInt(QStringLiteral("RezervMest")), QString()});
        cbZal->addItem(query.asString(QStringLiteral("NameZal")));
    }
}

int TfrmRezOrg::currentZalId() const {
    const int index = cbZal->currentIndex();
    return index >= 0 && index < FZals.size() ? FZals[index].ID : -1;
}

void TfrmRezOrg::LoadRezOrg(int id) {
    FRezOrgID = id;
    if (id < 0) {
        FOrgID = -1;
        setWindowTitle(kNewTitle);
        setSlotInputsEnabled(false);
        DBGridSpr->hide();
        return;
    }
    setWindowTitle(kTitle);
    if (!showContract(id)) {
        showMessage(this, kBadParameter);
        m_loadFailed = true;
        btnSave->setEnabled(false);
        btnNewSeans->setEnabled(false);
        btnDelSeans->setEnabled(false);
        return;
    }
    setSlotInputsEnabled(true);
    DBGridSpr->show();
    refreshPlaces();
}

void TfrmRezOrg::setSlotInputsEnabled(bool enabled) {
    for (QWidget* input :
         std::initializer_list<QWidget*>{cbZal, Label4, cbSeans, edCountPos, btnNewSeans, btnDelSeans}) {
        input->setEnabled(enabled);
    }
}

bool TfrmRezOrg::showContract(int id) {
    SqlQuery query(m_db);
    query.exec(SELECT_REZORG_SQL.arg(id));
    if (!query.next()) {
        return false;
    }
    FOrgID = query.asInt(QStringLiteral("ID_Org"));
    leOrg->setText(query.asString(kFieldName));
    leDog->setText(query.asString(QStringLiteral("Num")));
    leSumma->setText(defaultDisplayText(query.asFloat(QStringLiteral("Summa"))));
    return true;
}

void TfrmRezOrg::LoadTablWork(int slotCount) {
    const int idCard = -FRezOrgID;
    DBGridSpr->load(
        SELECT_TABL_WORK_SQL.arg(idCard), [this](const QString& sql) { return SqlQuery(m_db).prepared(sql); },
        {QStringLiteral("ID_Zal"), QStringLiteral("ID_Card"), QStringLiteral("DateWork")}, tablWorkColumns(slotCount));
    growToShowColumns(*DBGridSpr);
}

int TfrmRezOrg::reservedSlotCount() {
    return execScalar(m_db, COUNT_TABL_WORK_SQL.arg(-FRezOrgID)).toInt();
}

// The list shows in the grid only while the grid is not choosing an organisation.
void TfrmRezOrg::refreshPlaces() {
    const int slotCount = reservedSlotCount();
    if (FGridMode == 0) {
        LoadTablWork(slotCount);
    }
    btnDelSeans->setEnabled(!m_loadFailed && slotCount > 0);
}

void TfrmRezOrg::LoadSeans() {
    cbSeans->clear();
    SqlQuery query(m_db);
    query.exec(SELECT_SEANS_SQL.arg(currentZalId()));
    while (query.next()) {
        cbSeans->addItem(SeansTimeText(query.asDateTime(QStringLiteral("TimeBeg")).time()));
    }
    cbSeans->setCurrentIndex(cbSeans->count() > 0 ? 0 : -1);
}

QDateTime TfrmRezOrg::selectedSlot() const {
    if (currentZalId() < 0 || cbSeans->currentIndex() < 0) {
        return QDateTime();
    }
    const QTime start = SeansTimeFromText(cbSeans->currentText());
    return start.isValid() ? SeansDateTime(mcSelDates->selectedDate(), start) : QDateTime();
}

void TfrmRezOrg::LoadGraphData() {
    ShowSlotLoad(m_db, *FLoadDay, currentZalId(), selectedSlot());
    txtDateSelect->setText(shortDateText(mcSelDates->selectedDate()).chopped(kYearChars));
}

void TfrmRezOrg::cbZalChange() {
    const int places = FZals.value(cbZal->currentIndex()).CountMest;
    FLoadDay->MaxCount = places;
    showMessage(this, QString::number(places));
    LoadSeans();
    LoadGraphData();
}

void TfrmRezOrg::cbSeansChange() {
    LoadGraphData();
}

void TfrmRezOrg::mcSelDatesClick() {
    LoadGraphData();
}

void TfrmRezOrg::AddSeansInTablWork() {
    bool isNumber = false;
    const int count = edCountPos->text().trimmed().toInt(&isNumber);
    if (!isNumber) {
        showMessage(this, kBadCount);
        return;
    }
    if (count <= 0) {
        return;
    }
    const QDateTime slot = selectedSlot();
    if (!slot.isValid()) {
        showMessage(this, kNoSlot);
        return;
    }
    Transaction transaction(m_db);
    requireRecord(m_db, QStringLiteral("tRezOrg"), FRezOrgID);
    requireRecord(m_db, QStringLiteral("tZal"), currentZalId());
    requireSlot(m_db, currentZalId(), slot.time());
    SqlQuery command(m_db);
    command.addParam(kParamDatWork, FieldType::DateTime, slot)
        .addParam(kParamIDZal, FieldType::Integer, currentZalId())
        .addParam(QStringLiteral("pIDRezOrg"), FieldType::Integer, -FRezOrgID);
    for (int place = 0; place < count; ++place) {
        command.exec(INSERT_PLACE_SQL);
    }
    transaction.commit();
}

void TfrmRezOrg::btnNewSeansClick() {
    AddSeansInTablWork();
    LoadGraphData();
    refreshPlaces();
}

// Only a slot the grid shows can be deleted.
void TfrmRezOrg::btnDelSeansClick() {
    if (FGridMode != 0 || !DBGridSpr->hasCurrentRow()) {
        return;
    }
    SqlQuery command(m_db);
    command.addParam(kParamDatWork, FieldType::DateTime, DBGridSpr->currentValue(QStringLiteral("DateWork")))
        .addParam(kParamIDZal, FieldType::Integer, DBGridSpr->currentValue(QStringLiteral("ID_Zal")));
    command.exec(DELETE_SLOT_SQL.arg(-FRezOrgID));
    LoadGraphData();
    refreshPlaces();
}

void TfrmRezOrg::btnSaveClick() {
    SaveAnswer answer(*this);
    int num = 0;
    double summa = 0;
    if (!readContract(num, summa)) {
        answer.keepOpen();
        return;
    }
    if (FRezOrgID >= 0) {
        updateContract(num, summa);
        return;
    }
    const int id = insertContract(num, summa);
    // A number the organisation already has is pointed out and the form closes; the new row stays.
    if (execScalar(m_db, COUNT_SAME_CONTRACTS_SQL.arg(FOrgID).arg(num)).toInt() > 1) {
        showMessage(this, kNotUnique);
        return;
    }
    LoadRezOrg(id);
    answer.keepOpen();
}

// A whole number above 0 and an organisation are required; the sum is a number in the workstation's form.
bool TfrmRezOrg::readContract(int& num, double& summa) {
    bool isNumber = false;
    num = leDog->text().trimmed().toInt(&isNumber);
    if (FOrgID < 0 || !isNumber || num <= 0) {
        showMessage(this, kNotFilled);
        return false;
    }
    summa = QLocale().toDouble(leSumma->text().trimmed(), &isNumber);
    if (!isNumber) {
        showMessage(this, kBadSumma.arg(QLocale().toString(10500.25, 'f', 2)));
        return false;
    }
    return !refusedAsNegative(this, summa, QStringLiteral("Сумма договора"));
}

// The contract's ID is taken only once it is stored under an organisation that still exists.
int TfrmRezOrg::insertContract(int num, double summa) {
    Transaction transaction(m_db);
    requireRecord(m_db, QStringLiteral("tOrg"), FOrgID);
    SqlQuery command(m_db);
    bindContract(command, num, summa);
    command.exec(INSERT_REZORG_SQL.arg(FOrgID));
    const int id = int(command.lastInsertId());
    transaction.commit();
    return id;
}

void TfrmRezOrg::updateContract(int num, double summa) {
    Transaction transaction(m_db);
    requireRecord(m_db, QStringLiteral("tOrg"), FOrgID);
    SqlQuery command(m_db);
    bindContract(command, num, summa);
    command.exec(UPDATE_REZORG_SQL.arg(FOrgID).arg(FRezOrgID));
    requireChanged(command);
    transaction.commit();
}

void TfrmRezOrg::LoadOrg() {
    DBGridSpr->load(SELECT_ORG_SQL,
                    [this](const QString& sql) {
                        SqlQuery query(m_db);
                        query.addParam(kParamSearch, FieldType::String, leSearchStr->text());
                        return query.prepared(sql);
                    },
                    {kFieldID, QStringLiteral("info")}, {{kFieldName, QStringLiteral("Наименование"), 80}});
    growToShowColumns(*DBGridSpr);
}

void TfrmRezOrg::SetGridMode(int mode) {
    FGridMode = mode;
    const bool choosing = mode != 0;
    showChoiceBar(choosing);
    btnSelOrg->setEnabled(!choosing);
    btnSave->setEnabled(!choosing && !m_loadFailed);
    btnClose->setEnabled(!choosing);
    if (choosing) {
        // Shown before it is loaded: only a grid shown widens the form for its columns.
        DBGridSpr->show();
        LoadOrg();
        DBGridSpr->setFocus();
    } else if (FRezOrgID < 0 || m_loadFailed) {
        DBGridSpr->clearList();
        DBGridSpr->hide();
    } else {
        refreshPlaces();
    }
}

void TfrmRezOrg::showChoiceBar(bool shown) {
    for (QWidget* widget : std::initializer_list<QWidget*>{lblSearchStr, leSearchStr, btnNewSel, btnSelect}) {
        widget->setVisible(shown);
    }
}

void TfrmRezOrg::btnSelOrgClick() {
    SetGridMode(1);
}

void TfrmRezOrg::leSearchStrChange() {
    if (FGridMode != 0) {
        DBGridSpr->requery(0);
    }
}

// An empty list gives no organisation to take.
void TfrmRezOrg::chooseCurrentOrg() {
    if (FGridMode != 0 && DBGridSpr->currentRecordFound()) {
        FOrgID = DBGridSpr->currentValue(kFieldID).toInt();
        leOrg->setText(DBGridSpr->currentValue(kFieldName).toString());
    }
}

void TfrmRezOrg::btnSelectClick() {
    chooseCurrentOrg();
    SetGridMode(0);
}

void TfrmRezOrg::DBGridSprCellClick() {
    DBGridSpr->noteCellClick();
}

void TfrmRezOrg::DBGridSprDblClick() {
    if (DBGridSpr->takeDoubleClick()) {
        btnSelectClick();
    }
}

void TfrmRezOrg::DBGridSprKeyDown(int key) {
    if (FGridMode == 0) {
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        btnSelectClick();
    } else if (key == Qt::Key_End) {
        SetGridMode(0);
    }
}

// End leaves the organisation list instead of moving to its last row.
bool TfrmRezOrg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DBGridSpr && event->type() == QEvent::KeyPress && FGridMode != 0 &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_End) {
        DBGridSprKeyDown(Qt::Key_End);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmRezOrg::btnNewSelClick() {
    if (FGridMode == 0) {
        return;
    }
    std::unique_ptr<QDialog> editor = newOrgEditor();
    if (editor && execModal(*editor) == QDialog::Accepted) {
        DBGridSpr->requery(0);
    }
}

std::unique_ptr<QDialog> TfrmRezOrg::newOrgEditor() {
    return NewRecordEditorFor(NewRecordKind::Org, m_db, this);
}
