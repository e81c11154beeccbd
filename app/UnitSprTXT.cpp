#include "app/UnitSprTXT.h"

#include <QAction>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <map>

#include "app/UnitEdUser.h"
#include "cards/UnitCard.h"
#include "clients/UnitEdClient.h"
#include "clients/UnitEdOrg.h"
#include "common/SprGrid.h"
#include "common/unitPeriod.h"
#include "facility/UnitEdVS.h"
#include "facility/UnitEdZal.h"
#include "facility/UnitSchedEmpl.h"
#include "platform/Database.h"
#include "platform/FormWidgets.h"
#include "platform/Forms.h"
#include "platform/LocaleFormat.h"
#include "platform/UiSeam.h"
#include "reservations/UnitRezOrg.h"

namespace {

const QString SELECT_ZAL_SQL = QStringLiteral("SELECT * FROM tZal;");
const QString SELECT_CARDS_SQL = QStringLiteral(
    "SELECT tCard.ID, tCard.Num, iif(tCard.TypeCard=0,'Абонемент','Клубная карта') as NameType, "
    "ifnull(Family,'')||' '||ifnull(Name,'')||' '||ifnull(Otchestvo,'') as fio, "
    "tCard.DateOpen, tCard.DateClose, tCard.TypeCard FROM tCard CROSS JOIN tClient "
    "WHERE ((tCard.ID_Client=tClient.ID) AND (%1tCard.DateClose BETWEEN :pDT_Beg AND :pDT_End)) "
    "ORDER BY tCard.ID;");
// The period's cards by the date index alone: how many, and between which IDs.
// Whether the period holds every card's date: two seeks in the date index.
const QString PERIOD_HOLDS_ALL_SQL = QStringLiteral(
    "SELECT ifnull((SELECT MIN(DateClose) FROM tCard) >= :pDT_Beg AND (SELECT MAX(DateClose) FROM tCard) <= :pDT_End, "
    "1)");
const QString MEASURE_PERIOD_SQL =
    QStringLiteral("SELECT COUNT(*), MIN(ID), MAX(ID) FROM tCard WHERE DateClose BETWEEN :pDT_Beg AND :pDT_End");
const QString SELECT_CLIENTS_SQL = QStringLiteral("SELECT * FROM tClient ORDER BY Family;");
const QString SELECT_ORGS_SQL = QStringLiteral("SELECT * FROM tOrg ORDER BY Name;");
const QString SELECT_REZORG_SQL = QStringLiteral(
    "SELECT tOrg.Name, tRezOrg.*, tOrg.info FROM tRezOrg, tOrg WHERE tRezOrg.ID_Org=tOrg.ID ORDER BY Name, Num;");
const QString SELECT_USERS_SQL = QStringLiteral("SELECT * FROM tUserApl;");
const QString SELECT_VIDSPORT_SQL = QStringLiteral("SELECT * FROM tVidSport;");
const QString SELECT_ACTIONS_SQL = QStringLiteral(
    "SELECT LA.ID, LA.dt_action, LA.kod_action, LA.ActionStr, tUserApl.name "
    "FROM tListActionUsers LA, tUserApl WHERE LA.id_user=tUserApl.ID ORDER BY LA.dt_action, LA.ID");

const QString CARD_TYPE_SQL = QStringLiteral("SELECT TypeCard FROM tCard WHERE ID=%1;");
const QString DELETE_CARD_DETAIL_SQL = QStringLiteral("DELETE FROM %1 WHERE ID_Card=%2;");
const QString DELETE_CARD_SQL = QStringLiteral("DELETE FROM tCard WHERE ID=%1;");
const QString COUNT_CLIENT_CARDS_SQL = QStringLiteral("SELECT COUNT(*) FROM tCard WHERE ID_Client=%1;");
const QString DELETE_CLIENT_SQL = QStringLiteral("DELETE FROM tClient WHERE ID=%1;");
const QString COUNT_USER_SIGN_INS_SQL = QStringLiteral("SELECT COUNT(*) FROM tWorkUser WHERE id_user=%1;");
const QString DELETE_USER_SQL = QStringLiteral("DELETE FROM tUserApl WHERE ID=%1;");

const QString kDesignCaption = QStringLiteral("Справочник");
const QString kActionsCaption = QStringLiteral("Журнал событий");
const QString kCardCaption = QStringLiteral("Справочник: Карты клиентов [%1 - %2] - всего записей %3");
const QString kAskDelete = QStringLiteral("Удалить запись?");
const QString kClientHasCards =
    QStringLiteral("Нельзя удалить выбранного клиента,!\rна него выписаны карты в количестве: ");
const QString kUserUndeletable = QStringLiteral("Нельзя удалить выбранного пользователя!");
const QString kUserSignedIn = QStringLiteral("Нельзя удалить выбранного пользователя: он сейчас работает в программе!");
const QString kNotImplemented = QStringLiteral("Пока не реализовано :(");

const QString kParamBeg = QStringLiteral("pDT_Beg");
const QString kParamEnd = QStringLiteral("pDT_End");
constexpr int kAdminUserId = 1;
// Walking the cards by ID pays while at least one card in this many of the period's ID range is in
// the period; a sparser period is found faster by the date index. The planner cannot tell the two
// apart without STAT4, so the text states the plan.
constexpr qint64 kWalkDensity = 8;

// What a kind lists: its statement, hidden fields, titled fields, whether "Открыть" shows, and how a
// long list's IDs are read.
struct KindList {
    int kind;
    QString sql;
    QStringList hidden;
    QList<SprColumn> columns;
    bool showOpen;
    SprKey key = {};
};

const QList<KindList> kLists = {
    {lkZal, SELECT_ZAL_SQL, {QStringLiteral("ID")}, {}, true},
    {lkCards,
     SELECT_CARDS_SQL,
     {QStringLiteral("ID"), QStringLiteral("TypeCard")},
     {{QStringLiteral("Num"), QStringLiteral("Номер"), 10},
      {QStringLiteral("NameType"), QStringLiteral("Тип"), 15},
      {QStringLiteral("fio"), QStringLiteral("Клиент"), 50},
      {QStringLiteral("DateOpen"), QStringLiteral("Дата открытия"), 15},
      {QStringLiteral("DateClose"), QStringLiteral("Дата закрытия"), 15}},
     false,
     {QStringLiteral("tCard")}},
    {lkClients, SELECT_CLIENTS_SQL, {QStringLiteral("ID")}, {}, false},
    {lkOrgs,
     SELECT_ORGS_SQL,
     {QStringLiteral("ID")},
     {{QStringLiteral("Name"), QStringLiteral("Наименование"), 35},
      {QStringLiteral("info"), QStringLiteral("Доп. инфо"), 100}},
     false},
    {lkRezOrg,
     SELECT_REZORG_SQL,
     {QStringLiteral("ID"), QStringLiteral("ID_Org")},
     {{QStringLiteral("Name"), QStringLiteral("Организация"), 35},
      {QStringLiteral("Num"), QStringLiteral("Договор"), 10},
      {QStringLiteral("Summa"), QStringLiteral("Сумма"), 10},
      {QStringLiteral("info"), QStringLiteral("Доп. инфо"), 90}},
     false},
    {lkUsers,
     SELECT_USERS_SQL,
     {QStringLiteral("ID"), QStringLiteral("passw"), QStringLiteral("uroven")},
     {{QStringLiteral("name"), QStringLiteral("Наименование"), 60},
      {QStringLiteral("koment"), QStringLiteral("Комментарий"), 80}},
     false},
    {lkVidSport,
     SELECT_VIDSPORT_SQL,
     {QStringLiteral("ID")},
     {{QStringLiteral("NameVidSp"), QStringLiteral("Наименование вида спорта"), 60},
      {QStringLiteral("info"), QStringLiteral("Доп. инфо"), 100}},
     true},
    {lkActions,
     SELECT_ACTIONS_SQL,
     {QStringLiteral("ID")},
     {{QStringLiteral("dt_action"), QStringLiteral("Дата/Время"), 25},
      {QStringLiteral("kod_action"), QStringLiteral("Код события"), 10},
      {QStringLiteral("ActionStr"), QStringLiteral("Действие"), 70}},
     false,
     {QStringLiteral("tListActionUsers"), QStringLiteral("dt_action")}},
};

// Creates a form with the list window as parent and loads it with a row ID.
using FormFactory = std::unique_ptr<QDialog> (*)(Database& db, QWidget* parent, int id);

template <class Form, void (Form::*Load)(int)>
std::unique_ptr<QDialog> makeForm(Database& db, QWidget* parent, int id) {
    auto form = std::make_unique<Form>(db, parent);
    (form.get()->*Load)(id);
    return form;
}

// The editor of each kind. A kind without an entry opens nothing.
const std::map<int, FormFactory> kEditors = {
    {lkZal, &makeForm<TfrmZal, &TfrmZal::LoadEdZal>},
    {lkRezOrg, &makeForm<TfrmRezOrg, &TfrmRezOrg::LoadRezOrg>},
    {lkUsers, &makeForm<TfrmEdUser, &TfrmEdUser::LoadUser>},
    {lkCards, &makeForm<TfrmCard, &TfrmCard::LoadCard>},
    {lkClients, &makeForm<TfrmClient, &TfrmClient::LoadEdClient>},
    {lkOrgs, &makeForm<TfrmEdOrg, &TfrmEdOrg::LoadEdOrg>},
    {lkVidSport, &makeForm<TfrmEdVS, &TfrmEdVS::LoadEdVS>},
};

// What "Открыть" and a double-click open: the weekly timetable of a sports type.
const std::map<int, FormFactory> kTimetables = {
    {lkVidSport, &makeForm<TfrmRaspSan, &TfrmRaspSan::LoadRasp>},
};

bool isDense(qint64 rows, qint64 firstId, qint64 lastId) {
    return rows > 0 && rows * kWalkDensity >= lastId - firstId + 1;
}

FormFactory findForm(const std::map<int, FormFactory>& forms, int kind) {
    const auto found = forms.find(kind);
    return found != forms.end() ? found->second : nullptr;
}

// A toolbar button: flat until the mouse is over it.
QToolButton* newToolButton(QWidget* parent, const char* name, const QString& hint, QStyle::StandardPixmap icon) {
    auto* button = newPictureButton(parent, name, hint, icon);
    button->setAutoRaise(true);
    return button;
}

}  // namespace

TfrmSprTxt::TfrmSprTxt(Database& db, QWidget* parent) : QWidget(parent), m_db(db) {
    setupUi();
    FormCreate();
}

TfrmSprTxt::~TfrmSprTxt() = default;

void TfrmSprTxt::setupUi() {
    setObjectName(QStringLiteral("frmSprTxt"));
    setWindowTitle(kDesignCaption);
    resize(631, 429);

    MainMenu1 = new QMenu(QStringLiteral("Действие"), this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    // Alt+O is the main window's "Организации"; a key serving both would do neither.
    N_Open = addMenuItem(MainMenu1, "N_Open", QStringLiteral("Открыть"), QKeySequence(Qt::CTRL | Qt::Key_O));
    N_Open->setVisible(false);
    N_Open->setEnabled(false);
    N_split = MainMenu1->addSeparator();
    N_split->setObjectName(QStringLiteral("N_split"));
    N_split->setVisible(false);
    N_New = addMenuItem(MainMenu1, "N_New", QStringLiteral("Новый"), QKeySequence(Qt::ALT | Qt::Key_N));
    N_Edit = addMenuItem(MainMenu1, "N_Edit", QStringLiteral("Изменить"), QKeySequence(Qt::ALT | Qt::Key_E));
    N_Del = addMenuItem(MainMenu1, "N_Del", QStringLiteral("Удалить"), QKeySequence(Qt::ALT | Qt::Key_D));
    N_SplPan = MainMenu1->addSeparator();
    N_SplPan->setObjectName(QStringLiteral("N_SplPan"));
    N_ViewPan = addMenuItem(MainMenu1, "N_ViewPan", QStringLiteral("Панель"));
    N_ViewPan->setCheckable(true);
    N_ViewPan->setChecked(true);

    cbTopPan = new QFrame(this);
    cbTopPan->setObjectName(QStringLiteral("cbTopPan"));
    cbTopPan->setFrameShape(QFrame::StyledPanel);
    tbEdRec = new QToolBar(cbTopPan);
    tbEdRec->setObjectName(QStringLiteral("tbEdRec"));
    btnNew = newToolButton(tbEdRec, "btnNew", QStringLiteral("Новый"), QStyle::SP_FileIcon);
    btnEdit = newToolButton(tbEdRec, "btnEdit", QStringLiteral("Изменить"), QStyle::SP_FileDialogDetailedView);
    btnDel = newToolButton(tbEdRec, "btnDel", QStringLiteral("Удалить"), QStyle::SP_TrashIcon);
    btnRefresh = newToolButton(tbEdRec, "btnRefresh", QStringLiteral("Обновить"), QStyle::SP_BrowserReload);
    btnPeriod =
        newToolButton(tbEdRec, "btnPeriod", QStringLiteral("Сменить период"), QStyle::SP_FileDialogContentsView);
    tbEdRec->addWidget(btnNew);
    tbEdRec->addWidget(btnEdit);
    tbEdRec->addWidget(btnDel);
    tbEdRec->addSeparator();
    tbEdRec->addWidget(btnRefresh);
    m_periodAction = tbEdRec->addWidget(btnPeriod);
    m_periodAction->setVisible(false);
    auto* barLayout = new QHBoxLayout(cbTopPan);
    barLayout->setContentsMargins(2, 2, 2, 2);
    barLayout->addWidget(tbEdRec);
    barLayout->addStretch();

    DBGridSpr = new SprGrid(this);
    DBGridSpr->setObjectName(QStringLiteral("DBGridSpr"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(cbTopPan);
    layout->addWidget(DBGridSpr);

    connect(N_Open, &QAction::triggered, this, &TfrmSprTxt::N_OpenClick);
    connect(N_New, &QAction::triggered, this, &TfrmSprTxt::N_NewClick);
    connect(N_Edit, &QAction::triggered, this, &TfrmSprTxt::N_EditClick);
    connect(N_Del, &QAction::triggered, this, &TfrmSprTxt::N_DelClick);
    // The item ticks itself when chosen; the tool bar follows the tick.
    connect(N_ViewPan, &QAction::toggled, cbTopPan, &QWidget::setVisible);
    connect(btnNew, &QToolButton::clicked, this, &TfrmSprTxt::N_NewClick);
    connect(btnEdit, &QToolButton::clicked, this, &TfrmSprTxt::N_EditClick);
    connect(btnDel, &QToolButton::clicked, this, &TfrmSprTxt::N_DelClick);
    connect(btnRefresh, &QToolButton::clicked, this, &TfrmSprTxt::btnRefreshClick);
    connect(btnPeriod, &QToolButton::clicked, this, &TfrmSprTxt::btnPeriodClick);
    connect(DBGridSpr, &SprGrid::cellClick, this, &TfrmSprTxt::DBGridSprCellClick);
    connect(DBGridSpr, &SprGrid::dblClick, this, &TfrmSprTxt::DBGridSprDblClick);
    connect(DBGridSpr, &SprGrid::enterPressed, this, [this] { DBGridSprKeyDown(Qt::Key_Return); });
}

void TfrmSprTxt::FormCreate() {
    FPeriod = gPeriodCard;
    // The caption counts the cards once the list's IDs are all read, which may be after the first screen;
    // only the reads that rewrite it do so.
    connect(DBGridSpr->sprModel(), &SprModel::countFinished, this, [this] {
        if (FTypeSpr == lkCards && m_captionDue) {
            m_captionDue = false;
            writeCardCaption();
        }
    });
}

void TfrmSprTxt::LoadSpr(int kind) {
    FTypeSpr = kind;
    m_captionDue = true;
    const KindList* list = findKind(kLists, kind);
    if (!list) {
        DBGridSpr->clearList();
        return;
    }
    SprKey key = list->key;
    const QString sql = kind == lkCards ? cardListSql(&key) : list->sql;
    DBGridSpr->load(
        sql,
        [this](const QString& sql) {
            SqlQuery query(m_db);
            bindPeriod(query);
            return query.prepared(sql);
        },
        list->hidden, list->columns, key);
    if (list->showOpen) {
        N_split->setVisible(true);
        N_Open->setVisible(true);
        N_Open->setEnabled(findForm(kTimetables, kind) != nullptr);
    }
    if (kind == lkCards) {
        m_periodAction->setVisible(true);
    } else if (kind == lkActions) {
        setWindowTitle(kActionsCaption);
    }
}

// Only the card list's statement names the period.
void TfrmSprTxt::bindPeriod(SqlQuery& query) const {
    if (FTypeSpr != lkCards) {
        return;
    }
    query.addParam(kParamBeg, FieldType::DateTime, FPeriod.Beg).addParam(kParamEnd, FieldType::DateTime, FPeriod.End);
}

// The card list's text and key for its period. A period that holds every card, or is dense in its
// range of card IDs, is read by walking the cards by ID from its first card, its IDs in slices of that
// range; a sparse one (a month) by the date index, its IDs at once.
QString TfrmSprTxt::cardListSql(SprKey* key) {
    const QString walkById = SELECT_CARDS_SQL.arg(QStringLiteral("+"));
    SqlQuery measure(m_db);
    bindPeriod(measure);
    measure.exec(PERIOD_HOLDS_ALL_SQL);
    if (measure.next() && measure.value(0).toInt() != 0) {
        return walkById;
    }
    measure.exec(MEASURE_PERIOD_SQL);
    measure.next();
    const qint64 rows = measure.value(0).toLongLong();
    const qint64 firstId = measure.value(1).toLongLong();
    const qint64 lastId = measure.value(2).toLongLong();
    if (!isDense(rows, firstId, lastId)) {
        *key = {};
        return SELECT_CARDS_SQL.arg(QString());
    }
    key->firstId = firstId;
    key->lastId = lastId;
    return walkById;
}

// The card list is measured again: its period or its cards may have changed. A delete, the period and
// the refresh rewrite the card-list caption; "Новый" and "Изменить" leave its count as it was.
void TfrmSprTxt::requeryList(int row, bool rewriteCaption) {
    m_captionDue = rewriteCaption;
    if (FTypeSpr == lkCards) {
        SprKey key = findKind(kLists, lkCards)->key;
        const QString sql = cardListSql(&key);
        DBGridSpr->setStatement(sql, key);
    }
    DBGridSpr->requery(row);
}

int TfrmSprTxt::currentId() const {
    return DBGridSpr->currentValue(QStringLiteral("ID")).toInt();
}

void TfrmSprTxt::writeCardCaption() {
    // Called when the list's IDs are all read: the grid's count is the list's true length.
    const int rows = DBGridSpr->rowCount();
    setWindowTitle(
        kCardCaption.arg(shortDateText(FPeriod.Beg.date()), shortDateText(FPeriod.End.date()), QString::number(rows)));
}

std::unique_ptr<QDialog> TfrmSprTxt::createEditor(int id) {
    const FormFactory make = findForm(kEditors, FTypeSpr);
    return make ? make(m_db, this, id) : nullptr;
}

std::unique_ptr<QDialog> TfrmSprTxt::createTimetable(int id) {
    const FormFactory make = findForm(kTimetables, FTypeSpr);
    return make ? make(m_db, this, id) : nullptr;
}

// Shows a form modally and frees it; true when it answered OK.
bool TfrmSprTxt::showModal(std::unique_ptr<QDialog> form) {
    return form && execModal(*form) == QDialog::Accepted;
}

void TfrmSprTxt::N_NewClick() {
    if (showModal(createEditor(-1))) {
        requeryList(0, false);
    }
}

// The record the person chose is read again by its ID: one gone is never opened empty.
bool TfrmSprTxt::currentRecordFound() {
    if (!DBGridSpr->hasCurrentRow()) {
        return false;
    }
    if (!DBGridSpr->readCurrentRecord()) {
        recordGone();
        return false;
    }
    return true;
}

void TfrmSprTxt::recordGone() {
    showMessage(this, kRecordNotFound);
    requeryList(-1, true);
}

void TfrmSprTxt::N_EditClick() {
    if (!currentRecordFound()) {
        return;
    }
    const int row = DBGridSpr->currentRowNumber();
    if (showModal(createEditor(currentId()))) {
        requeryList(row, false);
    }
}

void TfrmSprTxt::N_OpenClick() {
    if (currentRecordFound()) {
        showModal(createTimetable(currentId()));
    }
}

void TfrmSprTxt::N_DelClick() {
    if (!DBGridSpr->hasCurrentRow() || askYesNo(this, kAskDelete) == Answer::No) {
        return;
    }
    // The ID the keyset holds for the chosen row; a delete that finds its record gone changes nothing.
    const int id = currentId();
    try {
        switch (FTypeSpr) {
            case lkCards:
                deleteCard(id);
                break;
            case lkClients:
                deleteClient(id);
                break;
            case lkUsers:
                deleteUser(id);
                break;
            default:
                showMessage(this, kNotImplemented);
                break;
        }
    } catch (const RecordGone&) {
        recordGone();
    }
}

// Visits or halls and the card go together: a failure leaves the card with its detail rows.
void TfrmSprTxt::deleteCard(int id) {
    {
        Transaction transaction(m_db);
        const QVariant type = execScalar(m_db, CARD_TYPE_SQL.arg(id));
        if (!type.isValid()) {
            throw RecordGone();
        }
        const QString detail =
            type.toInt() == ctAbonement ? QStringLiteral("tWorkGurnal") : QStringLiteral("tWorkClubCard");
        SqlQuery command(m_db);
        command.exec(DELETE_CARD_DETAIL_SQL.arg(detail).arg(id));
        command.exec(DELETE_CARD_SQL.arg(id));
        transaction.commit();
    }
    requeryList(0, true);
}

// The count and the delete hold the write lock together, so that no workstation issues a card to the
// client in between; the message waits until the lock is released.
void TfrmSprTxt::deleteClient(int id) {
    int cards = 0;
    {
        Transaction transaction(m_db);
        cards = execScalar(m_db, COUNT_CLIENT_CARDS_SQL.arg(id)).toInt();
        if (cards == 0) {
            deleteRow(DELETE_CLIENT_SQL.arg(id));
        }
        transaction.commit();
    }
    if (cards > 0) {
        showMessage(this, kClientHasCards + QString::number(cards));
        return;
    }
    DBGridSpr->requery(0);
}

void TfrmSprTxt::deleteUser(int id) {
    // Nor the user signed in here: the event log would lose his entries, this session's too.
    if (id == kAdminUserId || id == gUserApl.ID) {
        showMessage(this, kUserUndeletable);
        return;
    }
    // A user working on another workstation would lose his event-log entries too. The count and the
    // delete hold the write lock together, so that no sign-in row is added between them.
    bool signedIn = false;
    {
        Transaction transaction(m_db);
        signedIn = execScalar(m_db, COUNT_USER_SIGN_INS_SQL.arg(id)).toInt() > 0;
        if (!signedIn) {
            deleteRow(DELETE_USER_SQL.arg(id));
        }
        transaction.commit();
    }
    if (signedIn) {
        showMessage(this, kUserSignedIn);
        return;
    }
    DBGridSpr->requery(0);
}

// A delete that changes no row found its record gone.
void TfrmSprTxt::deleteRow(const QString& sql) {
    SqlQuery command(m_db);
    command.exec(sql);
    requireChanged(command);
}

void TfrmSprTxt::btnPeriodClick() {
    TfrmPeriod dialog(this);
    dialog.SetPeriod(FPeriod);
    if (execModal(dialog) != QDialog::Accepted) {
        return;
    }
    FPeriod = dialog.FPeriod;
    gPeriodCard = FPeriod;
    requeryList(0, true);
}

void TfrmSprTxt::btnRefreshClick() {
    requeryList(DBGridSpr->currentRowNumber(), true);
}

void TfrmSprTxt::N_ViewPanClick() {
    N_ViewPan->toggle();
}

void TfrmSprTxt::DBGridSprCellClick() {
    DBGridSpr->noteCellClick();
}

void TfrmSprTxt::DBGridSprDblClick() {
    if (!DBGridSpr->takeDoubleClick()) {
        return;
    }
    if (FTypeSpr == lkVidSport) {
        N_OpenClick();
    } else {
        N_EditClick();
    }
}

void TfrmSprTxt::DBGridSprKeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        N_EditClick();
    }
}
