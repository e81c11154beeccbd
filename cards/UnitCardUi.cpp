#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedLayout>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "cards/UnitCard.h"
#include "common/SprGrid.h"
#include "common/UnitConst.h"
#include "platform/FormWidgets.h"

namespace {

constexpr int kLoadPanelHeight = 90;
constexpr int kDateLabelHeight = 25;
const QColor kMoneyGreen(192, 220, 192);

QFrame* newPanel(QWidget* parent, const char* name, QFrame::Shape shape = QFrame::StyledPanel) {
    auto* panel = named(new QFrame(parent), name);
    panel->setFrameShape(shape);
    return panel;
}

QLabel* newLabel(QWidget* parent, const QString& caption, QWidget* buddy, const char* name = "") {
    auto* label = named(new QLabel(caption, parent), name);
    label->setBuddy(buddy);
    return label;
}

QLineEdit* newEdit(QWidget* parent, const char* name, bool readOnly) {
    auto* edit = named(new QLineEdit(parent), name);
    edit->setReadOnly(readOnly);
    return edit;
}

QComboBox* newCombo(QWidget* parent, const char* name, const QStringList& items = {}) {
    auto* box = named(new QComboBox(parent), name);
    box->addItems(items);
    return box;
}

// Enter in the form must never press "Сохранить": no captioned button is a default button.
QPushButton* newCaptioned(QWidget* parent, const char* name, const QString& caption, QStyle::StandardPixmap icon,
                          const QString& hint = QString()) {
    QPushButton* button = newButton(parent, name, caption, icon);
    button->setToolTip(hint);
    button->setAutoDefault(false);
    return button;
}

QDateEdit* newDateEdit(QWidget* parent, const char* name) {
    auto* edit = named(new DateField(parent), name);
    edit->setCalendarPopup(true);
    edit->setEnabled(false);
    return edit;
}

}  // namespace

void TfrmCard::setupUi() {
    setObjectName(QStringLiteral("frmCard"));
    setWindowTitle(QStringLiteral("Карта клиента"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    auto* lower = new QHBoxLayout;
    lower->addWidget(buildCalendarColumn());
    lower->addWidget(buildGridArea(), 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(buildHead());
    layout->addLayout(lower, 1);
    layout->addWidget(buildButtonBar());
    setFixedSize(sizeHint().expandedTo(QSize(760, 560)));
    setTabChain({leNumCard,       cbTypeCard,     dtBeg,          dtEnd,     leClient,  btnSelClient,
                 leOrg,           btnFisLico,     btnSelOrg,      cbZal,     cbSeans,   cbTypeCen,
                 mcSelDates,      modeWizardHelp, btnWizardStart, DBGridSpr, btnSelect, leSearchStr,
                 btnNewSel,       leVidSporta,    btnSelVS,       btnDelTC,  btnAdd,    btnDel,
                 cbChangeNamePRN, btnTXT,         btnPrintCard,   btnSave,   btnCancel});
    connectSignals();
}

QFrame* TfrmCard::buildHead() {
    Panel1 = newPanel(this, "Panel1");
    leNumCard = newEdit(Panel1, "leNumCard", true);
    leNumCard->setText(QStringLiteral("0"));
    leNumCard->setMaximumWidth(90);
    cbTypeCard = newCombo(Panel1, "cbTypeCard", {QStringLiteral("Абонемент"), QStringLiteral("Клубная карта")});
    dtBeg = newDateEdit(Panel1, "dtBeg");
    dtEnd = newDateEdit(Panel1, "dtEnd");
    stStrahovka = new QLabel(QStringLiteral("нет"), Panel1);
    stStrahovka->setObjectName(QStringLiteral("stStrahovka"));
    leClient = newEdit(Panel1, "leClient", true);
    btnSelClient =
        newPictureButton(Panel1, "btnSelClient", QStringLiteral("Выбрать клиента"), QStyle::SP_FileDialogContentsView);
    leOrg = newEdit(Panel1, "leOrg", true);
    leOrg->setText(QStringLiteral("Частное лицо"));
    btnFisLico = newPictureButton(Panel1, "btnFisLico", QStringLiteral("Частное лицо"), QStyle::SP_DialogResetButton);
    btnSelOrg =
        newPictureButton(Panel1, "btnSelOrg", QStringLiteral("Выбрать организацию"), QStyle::SP_FileDialogContentsView);
    cbZal = newCombo(Panel1, "cbZal");
    cbSeans = newCombo(Panel1, "cbSeans");
    cbTypeCen = newCombo(Panel1, "cbTypeCen");
    Label11 = newLabel(Panel1, QStringLiteral("6. Зал:"), cbZal, "Label11");
    Label5 = newLabel(Panel1, QStringLiteral("7. Сеанс:"), cbSeans, "Label5");
    Label4 = newLabel(Panel1, QStringLiteral("8. Тип цены зала:"), cbTypeCen, "Label4");
    stSum = new QLabel(QStringLiteral("0,0"), Panel1);
    stSum->setObjectName(QStringLiteral("stSum"));
    stSum->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    stSum->setFrameShape(QFrame::Panel);
    stSum->setFrameShadow(QFrame::Sunken);
    stSum->setMinimumWidth(110);
    QFont big = stSum->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 3);
    stSum->setFont(big);

    auto* period = new QHBoxLayout;
    period->addWidget(dtBeg);
    period->addWidget(newLabel(Panel1, QStringLiteral("-"), nullptr, "Label10"));
    period->addWidget(dtEnd);
    period->addStretch();
    auto* client = new QHBoxLayout;
    client->addWidget(leClient, 1);
    client->addWidget(btnSelClient);
    auto* org = new QHBoxLayout;
    org->addWidget(leOrg, 1);
    org->addWidget(btnFisLico);
    org->addWidget(btnSelOrg);

    auto* grid = new QGridLayout(Panel1);
    grid->addWidget(newLabel(Panel1, QStringLiteral("1. Номер:"), leNumCard), 0, 0);
    grid->addWidget(leNumCard, 0, 1);
    grid->addWidget(newLabel(Panel1, QStringLiteral("2. Тип:"), cbTypeCard, "Label1"), 0, 2);
    grid->addWidget(cbTypeCard, 0, 3);
    grid->addWidget(newLabel(Panel1, QStringLiteral("Страховка:"), nullptr, "Label3"), 0, 4, Qt::AlignRight);
    grid->addWidget(stStrahovka, 0, 5);
    grid->addWidget(newLabel(Panel1, QStringLiteral("3. Период:"), dtBeg, "Label2"), 1, 0);
    grid->addLayout(period, 1, 1, 1, 5);
    grid->addWidget(newLabel(Panel1, QStringLiteral("4. Клиент:"), leClient), 2, 0);
    grid->addLayout(client, 2, 1, 1, 5);
    grid->addWidget(newLabel(Panel1, QStringLiteral("5. Организация:"), leOrg), 3, 0);
    grid->addLayout(org, 3, 1, 1, 5);
    grid->addWidget(Label11, 4, 0);
    grid->addWidget(cbZal, 4, 1, 1, 3);
    grid->addWidget(Label5, 4, 4, Qt::AlignRight);
    grid->addWidget(cbSeans, 4, 5);
    grid->addWidget(Label4, 5, 0);
    grid->addWidget(cbTypeCen, 5, 1, 1, 3);
    grid->addWidget(newLabel(Panel1, QStringLiteral("Сумма:"), nullptr), 5, 4, Qt::AlignRight);
    grid->addWidget(stSum, 5, 5);
    grid->setColumnStretch(3, 1);
    return Panel1;
}

QFrame* TfrmCard::buildCalendarColumn() {
    auto* column = newPanel(this, "Panel2", QFrame::NoFrame);
    mcSelDates = new QCalendarWidget(column);
    mcSelDates->setObjectName(QStringLiteral("mcSelDates"));
    mcSelDates->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    mcSelDates->setGridVisible(true);

    PanParentGraph = newPanel(column, "PanParentGraph", QFrame::Panel);
    PanParentGraph->setFixedHeight(kLoadPanelHeight + kDateLabelHeight);
    PanParentGraph->setAutoFillBackground(true);
    QPalette money = PanParentGraph->palette();
    money.setColor(QPalette::Window, kMoneyGreen);
    PanParentGraph->setPalette(money);
    FLoadDay = new TLoadDay(PanParentGraph);
    FLoadDay->setObjectName(QStringLiteral("FLoadDay"));
    FLoadDay->setFixedHeight(kLoadPanelHeight);
    // The bars stand on the panel's own face, not on the money green around it.
    FLoadDay->setBackgroundRole(QPalette::Button);
    txtDateSelect = new QLabel(PanParentGraph);
    txtDateSelect->setObjectName(QStringLiteral("txtDateSelect"));
    txtDateSelect->setAlignment(Qt::AlignCenter);
    auto* graph = new QVBoxLayout(PanParentGraph);
    graph->setContentsMargins(0, 0, 0, 0);
    graph->setSpacing(0);
    graph->addWidget(FLoadDay);
    graph->addWidget(txtDateSelect);

    modeWizardHelp =
        newCombo(column, "modeWizardHelp", {QStringLiteral("По виду спорта"), QStringLiteral("По дням недели")});
    btnWizardStart = newPictureButton(
        column, "btnWizardStart", QStringLiteral("Запуск мастера заполнения табличной части"), QStyle::SP_MediaPlay);
    btnWizardStart->setEnabled(false);
    auto* wizard = new QHBoxLayout;
    wizard->addWidget(modeWizardHelp, 1);
    wizard->addWidget(btnWizardStart);

    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mcSelDates);
    layout->addWidget(PanParentGraph);
    layout->addLayout(wizard);
    layout->addStretch();
    column->setFixedWidth(mcSelDates->sizeHint().width());
    return column;
}

QFrame* TfrmCard::buildGridArea() {
    auto* area = newPanel(this, "PanGrid", QFrame::NoFrame);

    PanText = newPanel(area, "PanText", QFrame::Panel);
    PanText->setFrameShadow(QFrame::Sunken);
    auto* notice = new QVBoxLayout(PanText);
    notice->addStretch();
    const QList<std::pair<const char*, QString>> lines = {{"Label6", QStringLiteral("СЕАНСЫ НЕ ВЫБРАНЫ")},
                                                          {"Label7", QStringLiteral("Необходимо сохранить")},
                                                          {"Label8", QStringLiteral("карту, перед выбором ")},
                                                          {"Label9", QStringLiteral("сеансов")}};
    for (const auto& [name, text] : lines) {
        auto* line = newLabel(PanText, text, nullptr, name);
        line->setAlignment(Qt::AlignCenter);
        QFont font = line->font();
        font.setBold(true);
        font.setPointSize(font.pointSize() + 2);
        line->setFont(font);
        notice->addWidget(line);
    }
    notice->addStretch();
    PanText->hide();

    DBGridSpr = new SprGrid(area);
    DBGridSpr->setObjectName(QStringLiteral("DBGridSpr"));
    DBGridSpr->installEventFilter(this);
    m_centred = new GridCellFormat(Qt::AlignHCenter, nullptr, DBGridSpr);

    PanSelect = newPanel(area, "PanSelect");
    btnSelect = newCaptioned(PanSelect, "btnSelect", QStringLiteral("Выбрать"), QStyle::SP_DialogApplyButton);
    leSearchStr = newEdit(PanSelect, "leSearchStr", false);
    btnNewSel =
        newPictureButton(PanSelect, "btnNewSel", QStringLiteral("Добавить нового клиента"), QStyle::SP_FileIcon);
    auto* search = new QHBoxLayout(PanSelect);
    search->setContentsMargins(4, 2, 4, 2);
    search->addWidget(btnSelect);
    search->addWidget(newLabel(PanSelect, QStringLiteral("Поиск: "), leSearchStr));
    search->addWidget(leSearchStr, 1);
    search->addWidget(btnNewSel);
    PanSelect->hide();

    PanVidSporta = newPanel(area, "PanVidSporta");
    leVidSporta = newEdit(PanVidSporta, "leVidSporta", true);
    btnSelVS = newPictureButton(PanVidSporta, "btnSelVS", QStringLiteral("Выбрать вид спорта"),
                                QStyle::SP_FileDialogContentsView);
    btnDelTC =
        newPictureButton(PanVidSporta, "btnDelTC", QStringLiteral("Очистить вид спорта"), QStyle::SP_DialogResetButton);
    auto* sport = new QHBoxLayout(PanVidSporta);
    sport->setContentsMargins(4, 2, 4, 2);
    sport->addWidget(newLabel(PanVidSporta, QStringLiteral("Cпорт:"), leVidSporta));
    sport->addWidget(leVidSporta, 1);
    sport->addWidget(btnSelVS);
    sport->addWidget(btnDelTC);

    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PanText, 1);
    layout->addWidget(DBGridSpr, 1);
    layout->addWidget(PanSelect);
    layout->addWidget(PanVidSporta);
    return area;
}

QFrame* TfrmCard::buildButtonBar() {
    auto* bar = newPanel(this, "PanBtn");
    btnAdd = newCaptioned(bar, "btnAdd", QStringLiteral("Добавить"), QStyle::SP_FileDialogNewFolder,
                          QStringLiteral("Добавить посещение"));
    btnDel = newCaptioned(bar, "btnDel", QStringLiteral("Удалить"), QStyle::SP_TrashIcon,
                          QStringLiteral("Удалить посещение"));
    cbChangeNamePRN = new QCheckBox(bar);
    cbChangeNamePRN->setObjectName(QStringLiteral("cbChangeNamePRN"));
    cbChangeNamePRN->setToolTip(QStringLiteral("Сменить название печатной формы"));
    btnTXT = newCaptioned(bar, "btnTXT", QStringLiteral("Текст"), QStyle::SP_FileDialogDetailedView,
                          QStringLiteral("Дополнительный текст карты"));
    btnPrintCard = newCaptioned(bar, "btnPrintCard", QStringLiteral("Печать"), QStyle::SP_FileIcon,
                                QStringLiteral("Печать карты"));
    btnSave = newCaptioned(bar, "btnSave", QStringLiteral("Сохранить"), QStyle::SP_DialogOkButton);
    btnCancel = newCaptioned(bar, "btnCancel", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);

    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(btnAdd);
    layout->addWidget(btnDel);
    layout->addStretch();
    layout->addWidget(cbChangeNamePRN);
    layout->addWidget(btnTXT);
    layout->addWidget(btnPrintCard);
    layout->addSpacing(16);
    layout->addWidget(btnSave);
    layout->addWidget(btnCancel);
    return bar;
}

void TfrmCard::connectSignals() {
    connect(cbTypeCard, &QComboBox::activated, this, &TfrmCard::cbTypeCardChange);
    connect(btnSelClient, &QToolButton::clicked, this, &TfrmCard::btnSelClientClick);
    connect(btnSelOrg, &QToolButton::clicked, this, &TfrmCard::btnSelOrgClick);
    connect(btnFisLico, &QToolButton::clicked, this, &TfrmCard::btnFisLicoClick);
    connect(btnSelect, &QPushButton::clicked, this, &TfrmCard::btnSelectClick);
    connect(btnNewSel, &QToolButton::clicked, this, &TfrmCard::btnNewSelClick);
    connect(leSearchStr, &QLineEdit::textChanged, this, &TfrmCard::leSearchStrChange);
    connect(DBGridSpr, &SprGrid::cellClick, this, &TfrmCard::DBGridSprCellClick);
    connect(DBGridSpr, &SprGrid::dblClick, this, &TfrmCard::DBGridSprDblClick);
    connect(DBGridSpr, &SprGrid::enterPressed, this, &TfrmCard::DBGridSprEnter);
    connect(btnSelVS, &QToolButton::clicked, this, &TfrmCard::btnSelVSClick);
    connect(btnDelTC, &QToolButton::clicked, this, &TfrmCard::btnDelTCClick);
    connect(modeWizardHelp, &QComboBox::activated, this, &TfrmCard::modeWizardHelpChange);
    connect(btnTXT, &QPushButton::clicked, this, &TfrmCard::btnTXTClick);
    connect(btnWizardStart, &QToolButton::clicked, this, &TfrmCard::btnWizardStartClick);
    connect(btnPrintCard, &QPushButton::clicked, this, &TfrmCard::btnPrintCardClick);
    connect(btnSave, &QPushButton::clicked, this, &TfrmCard::btnSaveClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbZal, &QComboBox::activated, this, &TfrmCard::cbZalChange);
    connect(cbTypeCen, &QComboBox::activated, this, &TfrmCard::cbTypeCenChange);
    connect(cbSeans, &QComboBox::activated, this, &TfrmCard::cbSeansChange);
    connect(btnAdd, &QPushButton::clicked, this, &TfrmCard::btnAddClick);
    connect(btnDel, &QPushButton::clicked, this, &TfrmCard::btnDelClick);
    m_calendarClick = connect(mcSelDates, &QCalendarWidget::selectionChanged, this, &TfrmCard::mcSelDatesClick);
}

// End leaves a search list without choosing; other keys are the grid's.
bool TfrmCard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DBGridSpr && event->type() == QEvent::KeyPress && FModeSelect != msVisits &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_End) {
        SetModeSelect(msVisits);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
