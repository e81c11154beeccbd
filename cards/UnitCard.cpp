#include "cards/UnitCard.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>

#include <limits>

#include "cards/UnitCardPrint.h"
#include "common/ParAplStore.h"
#include "common/RecordEditors.h"
#include "common/SprGrid.h"
#include "common/UnitConst.h"
#include "common/UnitDopInfoCard.h"
#include "common/UnitSelSpr.h"
#include "platform/Database.h"
#include "platform/Forms.h"
#include "platform/UiSeam.h"

int gModeWizard = 0;

namespace {

const QString SELECT_ZALS_SQL =
    QStringLiteral("SELECT ID, NameZal, CountMest, RezervMest, StrTXTCard FROM tZal ORDER BY ID;");
const QString SELECT_CLIENTS_SQL = QStringLiteral(
    "SELECT ID, ifnull(Family,'')||' '||ifnull(Name,'')||' '||ifnull(Otchestvo,'') as fio, Photo, Birthday, NoRGS "
    "FROM tClient WHERE Family LIKE :pStrSearch||'%' ORDER BY Family;");
const QString SELECT_ORGS_SQL =
    QStringLiteral("SELECT ID, Name, info FROM tOrg WHERE Name LIKE :pStrSearch||'%' ORDER BY Name;");
const QString SELECT_CARD_SQL = QStringLiteral(
    "SELECT tCard.*, ifnull(Family,'')||' '||ifnull(Name,'')||' '||ifnull(Otchestvo,'') as fio, tClient.Photo, "
    "tClient.NoRGS FROM tCard, tClient WHERE ((tCard.ID_Client=tClient.ID) AND (tCard.ID=%1));");
const QString SELECT_ORG_NAME_SQL = QStringLiteral("SELECT Name FROM tOrg WHERE ID=%1;");
const QString INSERT_CARD_SQL = QStringLiteral(
    "INSERT INTO tCard (DateRec, Num, DateOpen, DateClose, ID_Client, ID_Org, TypeCard, VidSporta, StrTXTCard, "
    "StrahVosn, StrahSumm) VALUES (:pDatRecCard, :pNum, :pDatBeg, :pDatEnd, %1, %2, %3, :pVidSpr, :pDopTXT, "
    ":pStrahVosn, :pStrahSumm);");
const QString COUNT_SAME_CARDS_SQL =
    QStringLiteral("SELECT COUNT(*) FROM tCard WHERE ((Num=%1) AND (ID_Client=%2) AND (TypeCard=%3));");
const QString UPDATE_CARD_SQL = QStringLiteral(
    "UPDATE tCard SET DateOpen=:pDatBeg, DateClose=:pDatEnd, ID_Client=%1, ID_Org=%2, TypeCard=%3, "
    "VidSporta=:pVidSpr, StrahVosn=:pStrahVosn, StrahSumm=:pStrahSumm, StrTXTCard=:pDopTXT WHERE ID=%4;");

const QString kCaption = QStringLiteral("Карта клиента");
const QString kNewCaption = QStringLiteral("Карта клиента (НЕ СОХРАНЯЛАСЬ: выбор сеансов запрещен!)");
const QString kPrivatePerson = QStringLiteral("Частное лицо");
const QString kRequired = QStringLiteral("Не заполнены обязательные поля!");
const QString kNumberTooLarge = QStringLiteral("Номер карты не может быть больше %1!");
const QString kNotUnique = QStringLiteral("Обнаружена карта с неунивальными занчениями трех полей!");
const QString kBadParameter = QStringLiteral("Ошибка при передаче парарметра!");
const QString kCreated = QStringLiteral("Создана карта №");
const QString kModified = QStringLiteral("Модификация карты №");
const QString kSelectVidSport = QStringLiteral("Выбор вида спорта");
const QString kSearchParam = QStringLiteral("pStrSearch");

constexpr int kZalTextLimit = 200;
constexpr int kFloatDigits = 15;

// The insured sum as a plain number, all its digits ("1000000", "1500,5").
QString insuredSumText(double summ) {
    return QLocale().toString(summ, 'g', kFloatDigits);
}

void enableAll(const QList<QWidget*>& controls, bool enabled) {
    for (QWidget* control : controls) {
        control->setEnabled(enabled);
    }
}

constexpr int kNewCardDays = 30;

}  // namespace

bool SelectVidSport(Database& db, QWidget* parent, TIDName* chosen) {
    TfrmSelectSpr selector(db, parent);
    selector.LoadSpr(lkVidSport);
    selector.setWindowTitle(kSelectVidSport);
    if (execModal(selector) != QDialog::Accepted) {
        return false;
    }
    *chosen = selector.FSelect;
    return true;
}

TfrmCard::TfrmCard(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setupUi();
    FormCreate();
}

TfrmCard::~TfrmCard() = default;

void TfrmCard::FormCreate() {
    LoadZal();
    if (zalIndex() >= 0) {
        FLoadDay->MaxCount = FZals[zalIndex()].CountMest;
    }
    FIDCard = -1;
    mcSelDates->setSelectedDate(QDate::currentDate());
    LoadGraphData();
    PanVidSporta->show();
    modeWizardHelp->setCurrentIndex(gModeWizard);
}

void TfrmCard::LoadZal() {
    FZals.clear();
    cbZal->clear();
    SqlQuery query(m_db);
    query.exec(SELECT_ZALS_SQL);
    while (query.next()) {
        FZals.push_back({query.asInt(0), query.asInt(2), query.asInt(3), query.asString(4).left(kZalTextLimit)});
        cbZal->addItem(query.asString(1));
    }
    if (!FZals.empty()) {
        cbZal->setCurrentIndex(0);
        FIDZal = FZals.front().ID;
        LoadSeans();
    }
}

void TfrmCard::LoadClient() {
    DBGridSpr->load(
        SELECT_CLIENTS_SQL,
        [this](const QString& sql) {
            return SqlQuery(m_db).addParam(kSearchParam, FieldType::String, m_clientSearch).prepared(sql);
        },
        {QStringLiteral("ID"), QStringLiteral("Photo"), QStringLiteral("Birthday"), QStringLiteral("NoRGS")},
        {{QStringLiteral("fio"), QStringLiteral("Ф.И.О."), 70}});
    centreColumns({});
    growToShowColumns(*DBGridSpr);
}

void TfrmCard::LoadOrg() {
    DBGridSpr->load(SELECT_ORGS_SQL,
                    [this](const QString& sql) {
                        return SqlQuery(m_db).addParam(kSearchParam, FieldType::String, m_orgSearch).prepared(sql);
                    },
                    {QStringLiteral("ID"), QStringLiteral("info")},
                    {{QStringLiteral("Name"), QStringLiteral("Наименование"), 70}});
    centreColumns({});
    growToShowColumns(*DBGridSpr);
}

void TfrmCard::LoadCard(int id) {
    if (id < 0) {
        loadNewCard();
    } else if (!loadSavedCard(id)) {
        showMessage(this, kBadParameter);
        refuseSaving();
    }
}

void TfrmCard::loadNewCard() {
    FIDCard = -1;
    FIDClient = -1;
    leNumCard->setReadOnly(false);
    setWindowTitle(kNewCaption);
    PanText->show();
    enableAll({btnAdd, btnDel, cbTypeCen, Label4, Label11, cbZal, Label5, cbSeans, btnPrintCard}, false);
    DBGridSpr->hide();
    stSum->setText(QStringLiteral("0,0"));
    LoadTypeCen();
    leNumCard->setText(QString::number(GetNextNumCard(m_db, FTypeCard)));
    dtBeg->setDate(QDate::currentDate());
    dtEnd->setDate(QDate::currentDate().addDays(kNewCardDays));
}

bool TfrmCard::loadSavedCard(int id) {
    FIDCard = id;
    setWindowTitle(kCaption);
    PanText->hide();
    leNumCard->setReadOnly(true);
    {
        SqlQuery query(m_db);
        query.exec(SELECT_CARD_SQL.arg(id));
        if (!query.next()) {
            return false;
        }
        cbTypeCard->setCurrentIndex(query.asInt(QStringLiteral("TypeCard")));
        FTypeCard = cbTypeCard->currentIndex();
        FIDClient = query.asInt(QStringLiteral("ID_Client"));
        FPhoto = query.asString(QStringLiteral("Photo"));
        FNoRGS = query.asBool(QStringLiteral("NoRGS"));
        leClient->setText(query.asString(QStringLiteral("fio")));
        leNumCard->setText(query.asString(QStringLiteral("Num")));
        dtBeg->setDate(query.asDateTime(QStringLiteral("DateOpen")).date());
        dtEnd->setDate(query.asDateTime(QStringLiteral("DateClose")).date());
        leOrgTag = query.asInt(QStringLiteral("ID_Org"));
        leVidSporta->setText(query.asString(QStringLiteral("VidSporta")));
        // A card sold before its client was marked not insured loses its insurance here, as when choosing him.
        setInsurance(query.asFloat(QStringLiteral("StrahSumm")), query.asFloat(QStringLiteral("StrahVosn")));
        FDopTXT = query.asString(QStringLiteral("StrTXTCard"));
    }
    leOrg->setText(orgCard() ? execScalar(m_db, SELECT_ORG_NAME_SQL.arg(leOrgTag)).toString() : kPrivatePerson);
    showSavedState();
    return true;
}

void TfrmCard::showSavedState() {
    cbTypeCard->setEnabled(false);
    LoadTypeCen();
    DBGridSpr->show();
    LoadTabl();
    enableAll({cbTypeCen, Label4, cbZal, Label11, cbSeans, Label5, btnPrintCard, btnAdd}, true);
    dtBeg->setEnabled(clubCard());
    dtEnd->setEnabled(clubCard());
    btnTXT->setVisible(clubCard());
    btnWizardStart->setEnabled(!clubCard());
    modeWizardHelp->setEnabled(!clubCard());
    mcSelDates->setEnabled(!clubCard());
    leVidSporta->setReadOnly(!clubCard());
    cbSeans->setVisible(!clubCard());
    Label5->setVisible(!clubCard());
    CalcSumCard();
}

// A card that could not be read stays on screen, but nothing may be written over the stored row.
void TfrmCard::refuseSaving() {
    FLoadFailed = true;
    enableAll({btnSave, btnAdd, btnDel, btnWizardStart, btnPrintCard, btnTXT}, false);
}

void TfrmCard::BlockManualSeans(bool block) {
    enableAll({cbZal, Label11, cbSeans, Label5, cbTypeCen, Label4, btnAdd}, !block);
    disconnect(m_calendarClick);
    if (!block) {
        m_calendarClick = connect(mcSelDates, &QCalendarWidget::selectionChanged, this, &TfrmCard::mcSelDatesClick);
    }
}

void TfrmCard::cbTypeCardChange() {
    FTypeCard = cbTypeCard->currentIndex();
    dtBeg->setEnabled(clubCard());
    dtEnd->setEnabled(clubCard());
    leNumCard->setText(QString::number(GetNextNumCard(m_db, FTypeCard)));
    LoadTypeCen();
}

void TfrmCard::SetModeSelect(int mode) {
    FModeSelect = mode;
    PanSelect->setVisible(mode != msVisits);
    enableAll({btnSelClient, btnFisLico, btnSelOrg}, mode == msVisits);
    PanVidSporta->setVisible(mode == msVisits);
    if (mode == msVisits) {
        DBGridSpr->setVisible(FIDCard >= 0);
        LoadTabl();
        PanText->setVisible(FIDCard < 0);
        return;
    }
    // Shown before it is loaded: only a grid shown widens the form for its columns.
    PanText->hide();
    DBGridSpr->show();
    if (mode == msClients) {
        LoadClient();
    } else {
        LoadOrg();
    }
    DBGridSpr->setFocus();
}

void TfrmCard::btnSelClientClick() {
    SetModeSelect(msClients);
}

void TfrmCard::btnSelOrgClick() {
    SetModeSelect(msOrgs);
}

void TfrmCard::btnFisLicoClick() {
    leOrg->setText(kPrivatePerson);
    leOrgTag = 0;
}

void TfrmCard::leSearchStrChange() {
    if (FModeSelect == msClients) {
        m_clientSearch = leSearchStr->text();
    } else if (FModeSelect == msOrgs) {
        m_orgSearch = leSearchStr->text();
    } else {
        return;
    }
    DBGridSpr->requery(0);
}

// An empty list chooses nothing: the form never holds a client or organisation that does not exist. A
// chosen record gone is said, and the list is read again to choose from.
void TfrmCard::btnSelectClick() {
    if (FModeSelect != msVisits && DBGridSpr->hasCurrentRow() && !DBGridSpr->currentRecordFound()) {
        return;
    }
    if (DBGridSpr->hasCurrentRow() && FModeSelect == msClients) {
        FIDClient = DBGridSpr->currentValue(QStringLiteral("ID")).toInt();
        leClient->setText(DBGridSpr->currentValue(QStringLiteral("fio")).toString());
        FPhoto = DBGridSpr->currentValue(QStringLiteral("Photo")).toString();
        FNoRGS = DBGridSpr->currentValue(QStringLiteral("NoRGS")).toInt() != 0;
        if (FNoRGS) {
            setInsurance(0, 0);
        }
    } else if (DBGridSpr->hasCurrentRow() && FModeSelect == msOrgs) {
        leOrgTag = DBGridSpr->currentValue(QStringLiteral("ID")).toInt();
        leOrg->setText(DBGridSpr->currentValue(QStringLiteral("Name")).toString());
    }
    SetModeSelect(msVisits);
}

void TfrmCard::DBGridSprCellClick() {
    DBGridSpr->noteCellClick();
}

void TfrmCard::DBGridSprDblClick() {
    if (DBGridSpr->takeDoubleClick() && FModeSelect != msVisits) {
        btnSelectClick();
    }
}

void TfrmCard::DBGridSprEnter() {
    if (FModeSelect != msVisits) {
        btnSelectClick();
    }
}

// The new client or organisation is not chosen by itself: the person picks it from the list.
void TfrmCard::btnNewSelClick() {
    if (FModeSelect != msClients && FModeSelect != msOrgs) {
        return;
    }
    const NewRecordKind kind = FModeSelect == msClients ? NewRecordKind::Client : NewRecordKind::Org;
    std::unique_ptr<QDialog> editor = NewRecordEditorFor(kind, m_db, this);
    if (editor && execModal(*editor) == QDialog::Accepted) {
        DBGridSpr->requery(DBGridSpr->currentRowNumber());
    }
}

void TfrmCard::btnSelVSClick() {
    TIDName sport;
    if (SelectVidSport(m_db, this, &sport)) {
        leVidSporta->setText(sport.Name);
    }
}

void TfrmCard::btnDelTCClick() {
    leVidSporta->clear();
    BlockManualSeans(false);
}

void TfrmCard::modeWizardHelpChange() {
    gModeWizard = modeWizardHelp->currentIndex();
}

// The printing switch holds for every card of the complex and is written at once; the text waits for
// the card's save.
void TfrmCard::btnTXTClick() {
    TfrmDopInfo dialog(this);
    dialog.MemoTXT->setPlainText(FDopTXT);
    dialog.cbPrintTXT->setChecked(ReadParApl(m_db, pcUseCardText).toDouble() != 0);
    execModal(dialog);
    FDopTXT = dialog.MemoTXT->toPlainText();
    WriteParApl(m_db, pcUseCardText, dialog.cbPrintTXT->isChecked() ? 1 : 0);
}

// The print takes what the form shows, not the stored row, and hands back the insurance it printed.
void TfrmCard::btnPrintCardClick() {
    if (FIDCard < 0) {
        return;
    }
    TCardPrint card;
    card.TypeCard = FTypeCard;
    card.IDCard = FIDCard;
    card.NumCard = leNumCard->text();
    card.Client = leClient->text();
    card.DateBeg = dtBeg->date();
    card.DateEnd = dtEnd->date();
    card.OrgText = leOrg->text();
    card.OrgChosen = orgCard();
    card.VidSporta = leVidSporta->text();
    card.StrahVosn = FStrahVosn;
    card.StrahSumm = FStrahSumm;
    card.EnPrintRGS = FEnPrintRGS;
    card.DopTXT = FDopTXT;
    card.Photo = FPhoto;
    card.IDClient = FIDClient;
    card.ChangeNamePRN = cbChangeNamePRN->isChecked();
    PrintCard(m_db, card, this);
    FEnPrintRGS = card.EnPrintRGS;
    setInsurance(card.StrahSumm, card.StrahVosn);
}

// An uninsured client keeps both values at 0, whatever a price type or a price row says.
void TfrmCard::setInsurance(double summ, double vosn) {
    FStrahSumm = FNoRGS ? 0 : summ;
    setFee(vosn);
    stStrahovka->setText(insuredSumText(FStrahSumm));
}

// A fee look-up leaves the insured sum and its text alone.
void TfrmCard::setFee(double vosn) {
    FStrahVosn = FNoRGS ? 0 : vosn;
}

// A whole number above 0, written in digits only, that the column stores; anything else is refused, never spliced
// into SQL. Answers why it is refused, empty when the number is taken.
QString TfrmCard::numberRefusal(int* number) const {
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (!digits.match(leNumCard->text()).hasMatch()) {
        return kRequired;
    }
    bool stored = false;
    *number = leNumCard->text().toInt(&stored);
    if (!stored) {
        return kNumberTooLarge.arg(std::numeric_limits<int>::max());
    }
    return *number > 0 ? QString() : kRequired;
}

void TfrmCard::btnSaveClick() {
    SaveAnswer answer(*this);
    if (FLoadFailed) {
        answer.keepOpen();
        return;
    }
    if (FIDCard >= 0) {
        updateCard();
        return;
    }
    int number = 0;
    const QString refusal = FIDClient <= 0 ? kRequired : numberRefusal(&number);
    if (!refusal.isEmpty()) {
        showMessage(this, refusal);
        answer.keepOpen();
        return;
    }
    applyTypeInsurance();
    insertCard(number);
    answer.keepOpen();
}

// A new insured card is never stored with no insured sum while its price type has one. A saved card
// keeps what it holds: the box then shows the hall's first type, not necessarily the card's.
void TfrmCard::applyTypeInsurance() {
    const int typeCen = typeCenIndex();
    if (FStrahSumm == 0 && typeCen >= 0) {
        setInsurance(FListStrahSumma.at(typeCen), FStrahVosn);
    }
}

// Another workstation may delete the client or the organisation while the form holds it.
void TfrmCard::requireOwners() {
    requireRecord(m_db, QStringLiteral("tClient"), FIDClient);
    if (orgCard()) {
        requireRecord(m_db, QStringLiteral("tOrg"), leOrgTag);
    }
}

void TfrmCard::insertCard(int number) {
    {
        Transaction transaction(m_db);
        requireOwners();
        SqlQuery command(m_db);
        command.addParam(QStringLiteral("pDatRecCard"), FieldType::DateTime, QDateTime::currentDateTime())
            .addParam(QStringLiteral("pNum"), FieldType::Integer, number)
            .addParam(QStringLiteral("pDatBeg"), FieldType::Date, dtBeg->date())
            .addParam(QStringLiteral("pDatEnd"), FieldType::Date, dtEnd->date())
            .addParam(QStringLiteral("pVidSpr"), FieldType::String, leVidSporta->text())
            .addParam(QStringLiteral("pDopTXT"), FieldType::String, FDopTXT)
            .addParam(QStringLiteral("pStrahVosn"), FieldType::Float, FStrahVosn)
            .addParam(QStringLiteral("pStrahSumm"), FieldType::Float, FStrahSumm);
        command.exec(INSERT_CARD_SQL.arg(FIDClient).arg(leOrgTag).arg(FTypeCard));
        const int id = int(command.lastInsertId());
        WriteActionLog(m_db, acCard, kCreated + QString::number(number));
        transaction.commit();
        FIDCard = id;
    }
    const bool clash = execScalar(m_db, COUNT_SAME_CARDS_SQL.arg(number).arg(FIDClient).arg(FTypeCard)).toInt() > 1;
    LoadCard(FIDCard);
    if (clash) {
        showMessage(this, kNotUnique);
    }
}

void TfrmCard::updateCard() {
    Transaction transaction(m_db);
    requireOwners();
    SqlQuery command(m_db);
    command.addParam(QStringLiteral("pDatBeg"), FieldType::Date, dtBeg->date())
        .addParam(QStringLiteral("pDatEnd"), FieldType::Date, dtEnd->date())
        .addParam(QStringLiteral("pVidSpr"), FieldType::String, leVidSporta->text())
        .addParam(QStringLiteral("pStrahVosn"), FieldType::Float, FStrahVosn)
        .addParam(QStringLiteral("pStrahSumm"), FieldType::Float, FStrahSumm)
        .addParam(QStringLiteral("pDopTXT"), FieldType::String, FDopTXT);
    command.exec(UPDATE_CARD_SQL.arg(FIDClient).arg(leOrgTag).arg(FTypeCard).arg(FIDCard));
    requireChanged(command);
    WriteActionLog(m_db, acCard, kModified + leNumCard->text());
    transaction.commit();
}
