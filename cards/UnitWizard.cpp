#include "cards/UnitWizard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "cards/UnitCard.h"
#include "common/SprGrid.h"
#include "common/UnitConst.h"
#include "platform/Database.h"
#include "platform/FormWidgets.h"
#include "platform/Forms.h"
#include "platform/UiSeam.h"

namespace {

// The scratch rows of one run: those it inserted itself. Another copy running under the same user on the
// same card has its own.
const QString SCOPE_SQL = QStringLiteral("(ID IN (%1))");
const QString SELECT_PROPOSALS_SQL = QStringLiteral(
    "SELECT tWT.ID, tZal.NameZal, substr(tWT.DateWork,1,10)||' 00:00:00' as DateW, substr(tWT.DateWork,12,5) as "
    "TimeS, tWT.Cena FROM (SELECT * FROM tWizardTMP WHERE %1) tWT, tZal WHERE (tWT.ID_Zal=tZal.ID) ORDER BY tWT.ID;");
const QString SUM_PROPOSALS_SQL = QStringLiteral("SELECT COUNT(*), SUM(Cena) FROM tWizardTMP WHERE %1;");
const QString SELECT_TYPECEN_SQL = QStringLiteral(
    "SELECT ID, Name, KolvoSeans, StrahSumma FROM tTypeCen WHERE ((Zal_ID=0) AND (VidSportaID=%1)) ORDER BY ID;");
const QString INSERT_PROPOSAL_SQL = QStringLiteral(
    "INSERT INTO tWizardTMP (DateWork, ID_Zal, ID_Card, Cena, ID_USER) VALUES (:pDatWork, %1, %2, :pCena, %3);");
const QString DELETE_PROPOSAL_SQL = QStringLiteral("DELETE FROM tWizardTMP WHERE ((ID=%1) AND %2);");
const QString DELETE_PROPOSALS_SQL = QStringLiteral("DELETE FROM tWizardTMP WHERE %1;");
const QString COUNT_HALLS_GONE_SQL =
    QStringLiteral("SELECT COUNT(*) FROM tWizardTMP WHERE %1 AND ID_Zal NOT IN (SELECT ID FROM tZal);");
const QString COPY_PROPOSALS_SQL = QStringLiteral(
    "INSERT INTO tWorkGurnal (DateWork, ID_Zal, ID_Card, Cena, ID_USER) SELECT DateWork, ID_Zal, ID_Card, Cena, "
    "ID_USER FROM tWizardTMP WHERE %1 ORDER BY ID;");

const QString kCaption = QStringLiteral("Автозаполнение карты");
const QString kNoVidSport = QStringLiteral("Укажите вид спорта...");
const QString kSelectVidSport = QStringLiteral("Выбор вида спорта");
const QString kNoSeansDay = QStringLiteral("Нет записей по выбранному виду спорта!");
const QString kNoTypeCen = QStringLiteral("У вида спорта нет типов цены: сеанс не добавлен!");
const QString kNoVisitsInType = QStringLiteral("В типе цены не указано кол-во посещений: сеанс не добавлен!");
const QString kBadKolvo = QStringLiteral("Кол-во должно быть целым числом от 1 до %1!");
const QString kDefaultKolvo = QStringLiteral("10");
const QString kNothingToCopy = QStringLiteral("Нет предложенных сеансов: в карту нечего добавить!");
const QString kProposalsGone = QStringLiteral(
    "Часть предложенных сеансов удалена на другом рабочем месте!\rКарта не изменена: проверьте список сеансов.");

constexpr int kSumDecimals = 1;
// A year of daily visits: more is a typing slip, not a subscription.
constexpr int kMaxKolvo = 366;
// The date and time columns of the proposals' statement.
constexpr int kDateColumn = 2;
constexpr int kTimeColumn = 3;

QLabel* captionOf(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("font-weight: bold;"));
    return label;
}

}  // namespace

TfrmWiz::TfrmWiz(Database& db, int idCard, QWidget* parent) : QDialog(parent), IDCard(idCard), m_db(db) {
    setupUi();
    LoadDataInView();
}

QString TfrmWiz::scope() const {
    QStringList ids;
    for (const int id : m_proposals) {
        ids << QString::number(id);
    }
    return SCOPE_SQL.arg(ids.join(QLatin1Char(',')));
}

void TfrmWiz::setupUi() {
    setObjectName(QStringLiteral("frmWiz"));
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    DBGridSelect = named(new SprGrid(this), "DBGridSelect");
    auto* centred = new GridCellFormat(Qt::AlignHCenter, nullptr, DBGridSelect);
    DBGridSelect->setItemDelegateForColumn(kDateColumn, centred);
    DBGridSelect->setItemDelegateForColumn(kTimeColumn, centred);
    btnSave = newButton(this, "btnSave", QStringLiteral("Готово"), QStyle::SP_DialogOkButton);
    btnClose = newButton(this, "btnClose", QStringLiteral("Отменить"), QStyle::SP_DialogCancelButton);
    // Enter after typing the count must not finish the wizard.
    btnSave->setAutoDefault(false);
    btnClose->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnClose);
    auto* body = new QHBoxLayout;
    body->addLayout(buildChoices());
    body->addWidget(DBGridSelect, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
    setFixedSize(680, 400);
    setTabChain({leVidSporta, btnSelClient, cbTypeCen, DTPSeans, btnAdd, btnDel, edKolvo, btnCalcAll, DBGridSelect,
                 btnSave, btnClose});

    connect(btnSelClient, &QToolButton::clicked, this, &TfrmWiz::btnSelClientClick);
    connect(cbTypeCen, &QComboBox::activated, this, &TfrmWiz::cbTypeCenChange);
    connect(btnAdd, &QToolButton::clicked, this, &TfrmWiz::btnAddClick);
    connect(btnDel, &QToolButton::clicked, this, &TfrmWiz::btnDelClick);
    connect(btnCalcAll, &QToolButton::clicked, this, &TfrmWiz::btnCalcAllClick);
    connect(btnSave, &QPushButton::clicked, this, &TfrmWiz::btnSaveClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

QLayout* TfrmWiz::buildChoices() {
    leVidSporta = named(new QLineEdit(kNoVidSport, this), "leVidSporta");
    leVidSporta->setReadOnly(true);
    leVidSporta->setStyleSheet(QStringLiteral("color: red;"));
    btnSelClient = newPictureButton(this, "btnSelClient", kSelectVidSport, QStyle::SP_FileDialogContentsView);
    cbTypeCen = named(new QComboBox(this), "cbTypeCen");
    cbTypeCen->setEnabled(false);
    DTPSeans = named(new DateField(QDate::currentDate(), this), "DTPSeans");
    DTPSeans->setCalendarPopup(true);
    btnAdd = newPictureButton(this, "btnAdd", QStringLiteral("Добавить выбранный сеанс"), QStyle::SP_ArrowRight);
    btnDel = newPictureButton(this, "btnDel", QStringLiteral("Удалить выбранный сеанс"), QStyle::SP_TrashIcon);
    edKolvo = named(new QLineEdit(kDefaultKolvo, this), "edKolvo");
    btnCalcAll = newPictureButton(this, "btnCalcAll", QStringLiteral("Автозаполнение"), QStyle::SP_MediaSeekForward);
    stSum = named(new QLabel(QStringLiteral("0"), this), "stSum");
    stSum->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    stSum->setFrameShape(QFrame::StyledPanel);
    QFont large = font();
    large.setPointSize(large.pointSize() + 6);
    large.setBold(true);
    edKolvo->setFont(large);
    stSum->setFont(large);

    auto row = [](std::initializer_list<QWidget*> widgets) {
        auto* line = new QHBoxLayout;
        for (QWidget* widget : widgets) {
            line->addWidget(widget, widget->inherits("QToolButton") ? 0 : 1);
        }
        return line;
    };
    auto* choices = new QVBoxLayout;
    choices->addWidget(captionOf(this, QStringLiteral("1. Вид спорта:")));
    choices->addLayout(row({leVidSporta, btnSelClient}));
    choices->addWidget(captionOf(this, QStringLiteral("2. Тип цены вида спорта:")));
    choices->addWidget(cbTypeCen);
    choices->addWidget(captionOf(this, QStringLiteral("3. Дата сеанса:")));
    choices->addLayout(row({DTPSeans, btnAdd, btnDel}));
    choices->addWidget(captionOf(this, QStringLiteral("4. Кол-во:")));
    choices->addLayout(row({edKolvo, btnCalcAll}));
    choices->addWidget(captionOf(this, QStringLiteral("5. Сумма:")));
    choices->addWidget(stSum);
    choices->addStretch();
    auto* holder = new QWidget(this);
    holder->setFixedWidth(260);
    holder->setLayout(choices);
    choices->setContentsMargins(0, 0, 0, 0);
    auto* layout = new QVBoxLayout;
    layout->addWidget(holder);
    return layout;
}

void TfrmWiz::btnSelClientClick() {
    TIDName sport;
    if (!SelectVidSport(m_db, this, &sport)) {
        return;
    }
    leVidSporta->setText(sport.Name);
    VidSportID = sport.ID;
    leVidSporta->setStyleSheet(QString());
    cbTypeCen->setEnabled(true);
    LoadTypeCena();
    const int typeCen = typeCenIndex();
    StrahSumma = typeCen < 0 ? 0 : FListStrahSumma.at(typeCen);
}

void TfrmWiz::LoadTypeCena() {
    LoadTypeCenBox(m_db, SELECT_TYPECEN_SQL.arg(VidSportID), *cbTypeCen,
                   {FListIDTypeCen, FListKolvoSeans, FListStrahSumma});
}

int TfrmWiz::typeCenIndex() const {
    const int index = cbTypeCen->currentIndex();
    return index >= 0 && index < FListIDTypeCen.size() ? index : -1;
}

void TfrmWiz::cbTypeCenChange() {
    const int typeCen = typeCenIndex();
    if (typeCen < 0) {
        return;
    }
    StrahSumma = FListStrahSumma.at(typeCen);
    edKolvo->setText(QString::number(FListKolvoSeans.at(typeCen)));
}

void TfrmWiz::LoadDataInView() {
    const auto plain = [this](const QString& sql) { return SqlQuery(m_db).prepared(sql); };
    DBGridSelect->load(SELECT_PROPOSALS_SQL.arg(scope()), plain, {QStringLiteral("ID"), QStringLiteral("Cena")},
                       {{QStringLiteral("NameZal"), QStringLiteral("Зал"), 22},
                        {QStringLiteral("DateW"), QStringLiteral("Дата"), 10},
                        {QStringLiteral("TimeS"), QStringLiteral("Время"), 7}});
    growToShowColumns(*DBGridSelect);
    CalcSumma();
}

void TfrmWiz::CalcSumma() {
    SqlQuery query(m_db);
    query.exec(SUM_PROPOSALS_SQL.arg(scope()));
    const int rows = query.next() ? query.asInt(0) : 0;
    if (rows == 0) {
        stSum->setText(QStringLiteral("0"));
        return;
    }
    stSum->setText(TfrmCard::SumText(RoundAmount(query.asFloat(1), kSumDecimals)));
    edKolvo->setText(QString::number(rows));
}

// A visit is priced per visit of the price type: without a type, or with one of no visits, nothing is
// proposed rather than a visit at no or an infinite price.
bool TfrmWiz::readyToPropose() {
    if (VidSportID < 0) {
        showMessage(this, kNoSeansDay);
        return false;
    }
    const int typeCen = typeCenIndex();
    if (typeCen < 0) {
        showMessage(this, kNoTypeCen);
        return false;
    }
    if (FListKolvoSeans.at(typeCen) <= 0) {
        showMessage(this, kNoVisitsInType);
        return false;
    }
    return true;
}

// The first day from the date on, within a week, whose weekday has timetable entries; null when none.
QDate TfrmWiz::FindSeansDay(const QDate& from) {
    FSeansList.clear();
    for (int offset = 0; offset < 7; ++offset) {
        const QDate day = from.addDays(offset);
        FSeansList = LoadDaySeans(m_db, VidSportID, day.dayOfWeek());
        if (!FSeansList.isEmpty()) {
            return day;
        }
    }
    return QDate();
}

// The entry of the day found: the only one, the one remembered for its weekday, or the one the user
// chooses (remembered when asked to). False when the remembered entry is gone from the day.
bool TfrmWiz::chooseSeans(TSeansEntry* entry) {
    const int dayNed = GetDayNed();
    if (FSeansList.size() == 1) {
        *entry = FSeansList.first();
        return true;
    }
    if (FDaySeans.contains(dayNed)) {
        *entry = FDaySeans.value(dayNed);
        return std::any_of(FSeansList.cbegin(), FSeansList.cend(), [entry](const TSeansEntry& offered) {
            return offered.Time == entry->Time && offered.ZalID == entry->ZalID;
        });
    }
    TfrmSelSeans chooser(FSeansList, dayNed, this);
    execModal(chooser);
    *entry = chooser.GetSeans();
    if (chooser.cbSaveSel->isChecked()) {
        FDaySeans.insert(dayNed, *entry);
    }
    return entry->ZalID != 0;
}

// Adds the next visit's day and entry to the list, unless its entry is not chosen. False only when the
// timetable has no day for the sports type.
bool TfrmWiz::AddSeansInTablTMP(QList<TProposal>* proposals) {
    const QDate day = FindSeansDay(DTPSeans->date());
    if (!day.isValid()) {
        showMessage(this, kNoSeansDay);
        return false;
    }
    FCurDate = day;
    DTPSeans->setDate(day);
    TSeansEntry entry;
    if (chooseSeans(&entry)) {
        proposals->append({day, entry});
    }
    return true;
}

// One commit for all: a commit per row would make a year of visits a wait of seconds. The choices
// are made before, so that no question waits while the write lock is held.
// The IDs become this run's only once committed: rolled back, they go to the next rows of any workstation.
void TfrmWiz::insertProposals(const QList<TProposal>& proposals) {
    QList<int> inserted;
    Transaction transaction(m_db);
    for (const TProposal& proposal : proposals) {
        inserted.push_back(insertProposal(proposal.day, proposal.entry));
    }
    transaction.commit();
    m_proposals += inserted;
}

// The price of one visit is the type's band-0 price on the day over its visits, kept unrounded.
int TfrmWiz::insertProposal(const QDate& day, const TSeansEntry& entry) {
    const int typeCen = typeCenIndex();
    const double price = GetCenaSeans(m_db, 0, FListIDTypeCen.at(typeCen), StrahVosn, QDateTime(day, QTime(0, 0)));
    SqlQuery command(m_db);
    command.addParam(QStringLiteral("pDatWork"), FieldType::DateTime, QDateTime(day, entry.Time))
        .addParam(QStringLiteral("pCena"), FieldType::Float, price / FListKolvoSeans.at(typeCen));
    command.exec(INSERT_PROPOSAL_SQL.arg(entry.ZalID).arg(IDCard).arg(gUserApl.ID));
    return int(command.lastInsertId());
}

void TfrmWiz::btnAddClick() {
    if (!readyToPropose()) {
        return;
    }
    QList<TProposal> proposals;
    AddSeansInTablTMP(&proposals);
    insertProposals(proposals);
    LoadDataInView();
}

void TfrmWiz::btnCalcAllClick() {
    bool whole = false;
    const int wanted = edKolvo->text().trimmed().toInt(&whole);
    if (!whole || wanted < 1 || wanted > kMaxKolvo) {
        showMessage(this, kBadKolvo.arg(kMaxKolvo));
        return;
    }
    // With nothing missing there is nothing to refuse either.
    const int missing = wanted - DBGridSelect->rowCount();
    if (missing < 0 || (missing > 0 && !readyToPropose())) {
        return;
    }
    // Each pass seeks from the day after the one just used; a timetable without days stops at once.
    QList<TProposal> proposals;
    for (int i = 0; i < missing && AddSeansInTablTMP(&proposals); ++i) {
        DTPSeans->setDate(DTPSeans->date().addDays(1));
    }
    insertProposals(proposals);
    LoadDataInView();
}

void TfrmWiz::btnDelClick() {
    if (!DBGridSelect->currentRecordFound()) {
        return;
    }
    const int row = DBGridSelect->currentRowNumber();
    SqlQuery(m_db).exec(DELETE_PROPOSAL_SQL.arg(DBGridSelect->currentValue(QStringLiteral("ID")).toInt()).arg(scope()));
    DBGridSelect->requery(row);
    CalcSumma();
}

// Without a sports type and price type there is nothing for the card to take: it closes as a cancel.
// A copy that would bring fewer visits than the list shows, none, or visits for a card or a hall deleted
// meanwhile changes nothing and keeps the dialog open with its proposals.
void TfrmWiz::btnSaveClick() {
    if (VidSportID < 0 || typeCenIndex() < 0) {
        reject();
        return;
    }
    SaveAnswer answer(*this);
    const int shown = DBGridSelect->rowCount();
    Transaction transaction(m_db);
    requireRecord(m_db, QStringLiteral("tCard"), IDCard);
    if (execScalar(m_db, COUNT_HALLS_GONE_SQL.arg(scope())).toInt() > 0) {
        throw RecordGone();
    }
    SqlQuery copy(m_db);
    copy.exec(COPY_PROPOSALS_SQL.arg(scope()));
    if (copy.numRowsAffected() == 0 || copy.numRowsAffected() < shown) {
        showMessage(this, shown == 0 ? kNothingToCopy : kProposalsGone);
        answer.keepOpen();
        LoadDataInView();
        return;
    }
    transaction.commit();
}

void TfrmWiz::done(int result) {
    FDaySeans.clear();
    SqlQuery(m_db).exec(DELETE_PROPOSALS_SQL.arg(scope()));
    m_proposals.clear();
    QDialog::done(result);
}
