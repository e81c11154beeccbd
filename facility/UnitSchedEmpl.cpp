#include "facility/UnitSchedEmpl.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/SprGrid.h"
#include "common/UnitConst.h"
#include "facility/UnitEdCenaVS.h"
#include "platform/Database.h"
#include "platform/FormWidgets.h"
#include "platform/Forms.h"
#include "platform/UiSeam.h"

namespace {

const QString SELECT_HALLS_SQL = QStringLiteral("SELECT ID, NameZal FROM tZal;");
const QString SELECT_VIDSPORT_SQL = QStringLiteral("SELECT * FROM tVidSport WHERE ID=%1;");
const QString SELECT_TIMETABLE_SQL = QStringLiteral(
    "SELECT tS.ID, tS.ZalID, tS.VidSportID, tZal.NameZal, tS.DayNed, strftime('%H:%M', tS.SeansTime) AS SeansTime "
    "FROM tSchedulEmpl tS, tZal WHERE ((tS.VidSportID=:pVidSportID) AND (tZal.ID=tS.ZalID)) "
    "ORDER BY tS.DayNed, tS.SeansTime");
const QString INSERT_TIMETABLE_SQL = QStringLiteral(
    "INSERT INTO tSchedulEmpl (VidSportID, ZalID, DayNed, SeansTime) VALUES (:pVidSportID, :pZalID, :pDayNed, "
    ":pSeansTime);");
const QString COUNT_SPORT_PRICES_SQL = QStringLiteral(
    "SELECT COUNT(*) FROM tCenaSeans, tTypeCen WHERE ((tTypeCen.VidSportaID=%1) AND "
    "(tCenaSeans.ID_TypeCen=tTypeCen.ID));");
const QString DELETE_TIMETABLE_SQL = QStringLiteral("DELETE FROM tSchedulEmpl WHERE ID=%1;");

const QString kTitle = QStringLiteral("Расписание занятий");
const QString kHasReferences = QStringLiteral("Имеются ссылки: ");
const QTime kDefaultTime(16, 0);

// The grid's columns, as the statement above gives them.
constexpr int kDayColumn = 4;
constexpr int kTimeColumn = 5;

QToolButton* newBarButton(QWidget* parent, const char* name, const QString& hint, QStyle::StandardPixmap icon) {
    QToolButton* button = newPictureButton(parent, name, hint, icon);
    button->setIconSize(QSize(24, 24));
    return button;
}

}  // namespace

TfrmRaspSan::TfrmRaspSan(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setupUi();
    FormCreate();
}

void TfrmRaspSan::setupUi() {
    setObjectName(QStringLiteral("frmRaspSan"));
    setWindowTitle(kTitle);

    cbZal = named(new QComboBox(this), "cbZal");
    Label11 = named(new QLabel(QStringLiteral("1. Зал:"), this), "Label11");
    TimeSeans = newTimePicker(this, "TimeSeans", kDefaultTime);
    Label1 = named(new QLabel(QStringLiteral("2. Сеанс:"), this), "Label1");
    cbDay = named(new QComboBox(this), "cbDay");
    for (int day = 1; day <= 7; ++day) {
        cbDay->addItem(weekdayName(day));
    }
    Label2 = named(new QLabel(QStringLiteral("3. День недели:"), this), "Label2");
    auto* inputs = new QGridLayout;
    int column = 0;
    for (const auto& [label, input] :
         {std::pair<QLabel*, QWidget*>{Label11, cbZal}, {Label1, TimeSeans}, {Label2, cbDay}}) {
        label->setBuddy(input);
        inputs->addWidget(label, 0, column);
        inputs->addWidget(input, 1, column++);
    }
    inputs->setColumnStretch(0, 1);

    btnAdd = newBarButton(this, "btnAdd", QStringLiteral("Добавить новый сеанс"), QStyle::SP_FileIcon);
    btnDel = newBarButton(this, "btnDel", QStringLiteral("Удалить сеанс"), QStyle::SP_TrashIcon);
    btnDel->setEnabled(false);
    btnCost = newBarButton(this, "btnCost", QStringLiteral("Установка цены"), QStyle::SP_FileDialogListView);
    btnClose =
        newBarButton(this, "btnClose", QStringLiteral("Закрыть расписание занятий"), QStyle::SP_DialogCloseButton);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnAdd);
    buttons->addWidget(btnDel);
    buttons->addWidget(btnCost);
    buttons->addStretch();
    buttons->addWidget(btnClose);

    DBGrid1 = named(new SprGrid(this), "DBGrid1");
    DBGrid1->setItemDelegateForColumn(
        kDayColumn, new GridCellFormat(
                        Qt::AlignLeft, [](const QVariant& shown) { return weekdayName(shown.toInt()); }, DBGrid1));
    DBGrid1->setItemDelegateForColumn(kTimeColumn, new GridCellFormat(Qt::AlignHCenter, nullptr, DBGrid1));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(inputs);
    layout->addLayout(buttons);
    layout->addWidget(DBGrid1);
    resize(sizeHint().width(), 360);

    connect(btnAdd, &QToolButton::clicked, this, &TfrmRaspSan::btnAddClick);
    connect(btnDel, &QToolButton::clicked, this, &TfrmRaspSan::btnDelClick);
    connect(btnCost, &QToolButton::clicked, this, &TfrmRaspSan::btnCostClick);
    connect(btnClose, &QToolButton::clicked, this, &QDialog::reject);
    connect(DBGrid1, &SprGrid::cellClick, this, &TfrmRaspSan::DBGrid1CellClick);
}

void TfrmRaspSan::FormCreate() {
    SqlQuery halls(m_db);
    halls.exec(SELECT_HALLS_SQL);
    cbZal->clear();
    while (halls.next()) {
        FZalIDs << halls.asInt(0);
        cbZal->addItem(halls.asString(1));
    }
    cbZal->setCurrentIndex(FZalIDs.isEmpty() ? -1 : 0);
    btnAdd->setEnabled(canAdd());
}

void TfrmRaspSan::LoadRasp(int vidSportId) {
    FVidSportID = vidSportId;
    SqlQuery sport(m_db);
    sport.exec(SELECT_VIDSPORT_SQL.arg(vidSportId));
    m_sportFound = sport.next();
    btnAdd->setEnabled(canAdd());
    if (!m_sportFound) {
        return;
    }
    setWindowTitle(kTitle + QStringLiteral(": ") + sport.asString(QStringLiteral("NameVidSp")));
    DBGrid1->load(SELECT_TIMETABLE_SQL,
                  [this](const QString& sql) {
                      SqlQuery query(m_db);
                      query.addParam(QStringLiteral("pVidSportID"), FieldType::Integer, FVidSportID);
                      return query.prepared(sql);
                  },
                  {QStringLiteral("ID"), QStringLiteral("VidSportID"), QStringLiteral("ZalID")},
                  {{QStringLiteral("NameZal"), QStringLiteral("Зал"), 31},
                   {QStringLiteral("DayNed"), QStringLiteral("День"), 25},
                   {QStringLiteral("SeansTime"), QStringLiteral("Время"), 22}});
    growToShowColumns(*DBGrid1);
    if (DBGrid1->hasCurrentRow()) {
        btnDel->setEnabled(true);
    }
}

bool TfrmRaspSan::canAdd() const {
    return m_sportFound && cbZal->currentIndex() >= 0;
}

void TfrmRaspSan::DBGrid1CellClick() {
    if (!DBGrid1->hasCurrentRow() || FZalIDs.isEmpty()) {
        return;
    }
    const int hall = FZalIDs.indexOf(DBGrid1->currentValue(QStringLiteral("ZalID")).toInt());
    if (hall >= 0) {
        cbZal->setCurrentIndex(hall);
    }
    TimeSeans->setTime(
        QTime::fromString(DBGrid1->currentValue(QStringLiteral("SeansTime")).toString(), QStringLiteral("HH:mm")));
    // Migrated rows may carry a day outside the week; the box then keeps its day, so none is ever added.
    const int day = DBGrid1->currentValue(QStringLiteral("DayNed")).toInt();
    if (day >= 1 && day <= cbDay->count()) {
        cbDay->setCurrentIndex(day - 1);
    }
}

void TfrmRaspSan::btnAddClick() {
    if (!canAdd()) {
        return;
    }
    Transaction transaction(m_db);
    requireRecord(m_db, QStringLiteral("tVidSport"), FVidSportID);
    requireRecord(m_db, QStringLiteral("tZal"), FZalIDs[cbZal->currentIndex()]);
    SqlQuery command(m_db);
    command.addParam(QStringLiteral("pVidSportID"), FieldType::Integer, FVidSportID)
        .addParam(QStringLiteral("pZalID"), FieldType::Integer, FZalIDs[cbZal->currentIndex()])
        .addParam(QStringLiteral("pDayNed"), FieldType::Integer, cbDay->currentIndex() + 1)
        .addParam(QStringLiteral("pSeansTime"), FieldType::Time, TimeSeans->time());
    command.exec(INSERT_TIMETABLE_SQL);
    transaction.commit();
    btnDel->setEnabled(true);
    DBGrid1->requery(0);
}

void TfrmRaspSan::btnDelClick() {
    if (!DBGrid1->hasCurrentRow()) {
        btnDel->setEnabled(false);
        return;
    }
    if (!DBGrid1->currentRecordFound()) {
        return;
    }
    // Any dated price of the sports type keeps every row of its timetable.
    const int prices = deleteUnlessKept(m_db, {COUNT_SPORT_PRICES_SQL.arg(FVidSportID)},
                                        DELETE_TIMETABLE_SQL.arg(DBGrid1->currentValue(QStringLiteral("ID")).toInt()));
    if (prices > 0) {
        showMessage(this, kHasReferences + QString::number(prices));
        return;
    }
    DBGrid1->requery(0);
}

void TfrmRaspSan::btnCostClick() {
    // The prices of a sports type are set once it has lessons.
    if (!m_sportFound || !DBGrid1->hasCurrentRow()) {
        return;
    }
    TfrmSetCenaVS prices(m_db, this);
    prices.SetVidSportID(FVidSportID);
    execModal(prices);
}
