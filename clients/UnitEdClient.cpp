#include "clients/UnitEdClient.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDebug>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/UnitConst.h"
#include "platform/AppError.h"
#include "platform/Database.h"
#include "platform/FormWidgets.h"
#include "platform/Forms.h"
#include "platform/UiSeam.h"

namespace {

const QString SELECT_PROFESSIONS_SQL = QStringLiteral("SELECT NameProf FROM tProf ORDER BY NameProf;");
const QString SELECT_CLIENT_SQL = QStringLiteral("SELECT * FROM tClient WHERE ID=%1;");
const QString FIND_PROFESSION_SQL = QStringLiteral("SELECT * FROM tProf WHERE NameProf=:pNameProf;");
const QString INSERT_PROFESSION_SQL = QStringLiteral("INSERT INTO tProf (NameProf) VALUES (:pNameProf);");
const QString UPDATE_CLIENT_SQL = QStringLiteral(
    "UPDATE tClient SET Family=:pFamily, Name=:pName, Otchestvo=:pOtch, Sex=:pSex, Birthday=:pBrDay, "
    "Photo=:pPhotoFile, Adres=:pAdres, Profession=:pProf, Info=:pInfo, NoRGS=:pNoRGS WHERE ID=%1;");
const QString INSERT_CLIENT_SQL = QStringLiteral(
    "INSERT INTO tClient (Family, Name, Otchestvo, Sex, Birthday, Adres, Profession, Info, NoRGS) VALUES "
    "(:pFamily, :pName, :pOtch, :pSex, :pBrDay, :pAdres, :pProf, :pInfo, :pNoRGS);");

const QString kTitle = QStringLiteral("Клиент");
const QString kRequiredEmpty = QStringLiteral("Не заполнены обязательные поля!");
const QString kSaveBeforePhoto = QStringLiteral("Сохраните запись перед добавлением фото!");
const QString kLeaveUnsaved = QStringLiteral("Выйти не сохраняя?");
const QString kNotAPicture =
    QStringLiteral("Файл %1 не является фотографией!\rВыберите файл с расширением .jpg, .jpeg или .bmp.");
const QString kPhotoDialogTitle = QStringLiteral("Выбор фотографии клиента");
const QString kPhotoFilter =
    QStringLiteral("Фотографии|*.jpg;*.jpeg;*.bmp|Рисунки JPEG|*.jpg|Рисунки JPEG|*.jpeg|Рисунки BMP|*.bmp");
const QString kDamagedPhotoNote =
    QStringLiteral("Файл фотографии поврежден. Нажмите на рисунок, чтобы выбрать фотографию заново.");
const QString kAddressPrefix = QStringLiteral("г. Саранск, ул. ");
// Professions typed as blanks are not offered to others.
const QStringList kBlankProfessions = {QString(), QStringLiteral(" "), QStringLiteral("  "), QStringLiteral("   ")};
// A new client's birthday starts here rather than on today, which is nobody's.
const QDate kNewBirthday{1980, 1, 1};
constexpr int kMale = 0;
const QSize kPhotoSize{180, 240};
const QSize kPlaceholderSize{48, 48};
const QString kPlaceholderIcon = QStringLiteral(":/icons/clients.png");

QLabel* addCaption(QGridLayout& grid, QWidget* parent, const QString& caption, QWidget* field, int row, int column,
                   int span = 1) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(field);
    grid.addWidget(label, row, column, 1, span);
    grid.addWidget(field, row + 1, column, 1, span);
    return label;
}

QToolButton* newTurnButton(QWidget* parent, const char* name, const QString& hint, const QString& glyph) {
    auto* button = named(new QToolButton(parent), name);
    button->setToolTip(hint);
    button->setText(glyph);
    QFont font = button->font();
    font.setPointSize(font.pointSize() + 6);
    button->setFont(font);
    return button;
}

}  // namespace

TfrmClient::TfrmClient(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setupUi();
    FormCreate();
}

void TfrmClient::setupUi() {
    setObjectName(QStringLiteral("frmClient"));
    setWindowTitle(kTitle);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    auto* photoPanel = new QFrame(this);
    photoPanel->setFrameShape(QFrame::StyledPanel);
    ImPhoto = new QLabel(photoPanel);
    ImPhoto->setObjectName(QStringLiteral("ImPhoto"));
    ImPhoto->setToolTip(QStringLiteral("Кликните мышкой для выбора фотографии"));
    ImPhoto->setFixedSize(kPhotoSize);
    ImPhoto->setAlignment(Qt::AlignCenter);
    ImPhoto->setFrameShape(QFrame::Box);
    ImPhoto->setCursor(Qt::PointingHandCursor);
    ImPhoto->setAutoFillBackground(true);
    QPalette paper = ImPhoto->palette();
    paper.setColor(QPalette::Window, Qt::white);
    ImPhoto->setPalette(paper);
    ImPhoto->installEventFilter(this);
    btnRotateLeft = newTurnButton(photoPanel, "btnRotateLeft", QStringLiteral("Влево"), QStringLiteral("↺"));
    btnRotateRight = newTurnButton(photoPanel, "btnRotateRight", QStringLiteral("Вправо"), QStringLiteral("↻"));
    auto* turns = new QHBoxLayout;
    turns->addStretch();
    turns->addWidget(btnRotateLeft);
    turns->addWidget(btnRotateRight);
    turns->addStretch();
    lblPhotoNote = named(new QLabel(photoPanel), "lblPhotoNote");
    lblPhotoNote->setWordWrap(true);
    lblPhotoNote->setFixedWidth(kPhotoSize.width());
    auto* photoColumn = new QVBoxLayout(photoPanel);
    photoColumn->addWidget(ImPhoto);
    photoColumn->addLayout(turns);
    photoColumn->addWidget(lblPhotoNote);
    photoColumn->addStretch();

    auto* fields = new QFrame(this);
    fields->setFrameShape(QFrame::StyledPanel);
    QFont bold = fields->font();
    bold.setBold(true);
    fields->setFont(bold);
    leFamily = named(new QLineEdit(fields), "leFamily");
    leName = named(new QLineEdit(fields), "leName");
    leOtch = named(new QLineEdit(fields), "leOtch");
    leAddress = named(new QLineEdit(fields), "leAddress");
    leAddress->setText(kAddressPrefix);
    leInfo = named(new QLineEdit(fields), "leInfo");
    cbProf = new QComboBox(fields);
    cbProf->setObjectName(QStringLiteral("cbProf"));
    cbProf->setEditable(true);
    cbProf->setInsertPolicy(QComboBox::NoInsert);
    dtpBrichDay = new DateField(kNewBirthday, fields);
    dtpBrichDay->setObjectName(QStringLiteral("dtpBrichDay"));
    dtpBrichDay->setCalendarPopup(true);
    cbPol = new QComboBox(fields);
    cbPol->setObjectName(QStringLiteral("cbPol"));
    cbPol->addItems({QStringLiteral("Муж."), QStringLiteral("Жен.")});
    cbPol->setCurrentIndex(kMale);

    auto* grid = new QGridLayout(fields);
    addCaption(*grid, fields, QStringLiteral("1. Фамилия:"), leFamily, 0, 0, 2);
    addCaption(*grid, fields, QStringLiteral("2. Имя:"), leName, 2, 0, 2);
    addCaption(*grid, fields, QStringLiteral("3. Отчество:"), leOtch, 4, 0, 2);
    addCaption(*grid, fields, QStringLiteral("4. Адрес:"), leAddress, 6, 0, 2);
    addCaption(*grid, fields, QStringLiteral("5.Профессия/Род занятий:"), cbProf, 8, 0, 2);
    addCaption(*grid, fields, QStringLiteral("6. Дополнительная информация:"), leInfo, 10, 0, 2);
    addCaption(*grid, fields, QStringLiteral("7. День рожд.:"), dtpBrichDay, 12, 0);
    addCaption(*grid, fields, QStringLiteral("8. Пол:"), cbPol, 12, 1);
    grid->setColumnMinimumWidth(0, 160);
    grid->setColumnMinimumWidth(1, 160);
    grid->setRowStretch(14, 1);

    auto* card = new QHBoxLayout;
    card->addWidget(photoPanel);
    card->addWidget(fields, 1);

    cbNoRGS = new QCheckBox(QStringLiteral("не страховать"), this);
    cbNoRGS->setObjectName(QStringLiteral("cbNoRGS"));
    btnSave = new QPushButton(QStringLiteral("Сохранить"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnClose = new QPushButton(QStringLiteral("Закрыть"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cbNoRGS);
    bottom->addStretch();
    bottom->addWidget(btnSave);
    bottom->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(card);
    layout->addLayout(bottom);
    setFixedSize(sizeHint());

    setTabChain({leFamily, leName, leOtch, leAddress, cbProf, leInfo, dtpBrichDay, cbPol, cbNoRGS, btnSave, btnClose,
                 btnRotateLeft, btnRotateRight});

    for (QLineEdit* edit : {leFamily, leName, leOtch, leInfo, leAddress}) {
        connect(edit, &QLineEdit::textChanged, this, &TfrmClient::leFamilyKeyDown);
    }
    connect(dtpBrichDay, &QDateEdit::dateChanged, this, &TfrmClient::cbPolChange);
    connect(cbPol, &QComboBox::currentIndexChanged, this, &TfrmClient::cbPolChange);
    connect(cbProf, &QComboBox::currentTextChanged, this, &TfrmClient::cbPolChange);
    connect(cbNoRGS, &QCheckBox::toggled, this, &TfrmClient::cbNoRGSClick);
    connect(btnRotateLeft, &QToolButton::clicked, this, &TfrmClient::btnRotateLeftClick);
    connect(btnRotateRight, &QToolButton::clicked, this, &TfrmClient::btnRotateRightClick);
    connect(btnSave, &QPushButton::clicked, this, &TfrmClient::btnSaveClick);
    connect(btnClose, &QPushButton::clicked, this, &TfrmClient::btnCloseClick);
}

void TfrmClient::FormCreate() {
    cbProf->clear();
    cbProf->clearEditText();
    SqlQuery query(m_db);
    query.exec(SELECT_PROFESSIONS_SQL);
    while (query.next()) {
        cbProf->addItem(query.asString(0));
    }
    showPhoto();
}

void TfrmClient::SetModified(bool value) {
    FModified = showRecordState(this, kTitle, value, FIDClient < 0);
}

void TfrmClient::markChanged() {
    if (!FModified) {
        SetModified(true);
    }
}

// Every edit of the content counts, typed, pasted or dropped.
void TfrmClient::leFamilyKeyDown() {
    markChanged();
}

void TfrmClient::cbPolChange() {
    markChanged();
}

void TfrmClient::cbNoRGSClick() {
    markChanged();
}

void TfrmClient::LoadEdClient(int id) {
    FIDClient = id;
    if (id > 0) {
        loadClient(id);
    } else if (cbProf->count() > 0) {
        cbProf->setCurrentIndex(0);
    }
    // Filling the controls is no change of the record.
    SetModified(false);
}

void TfrmClient::loadClient(int id) {
    {
        SqlQuery query(m_db);
        query.exec(SELECT_CLIENT_SQL.arg(id));
        if (!query.next()) {
            return;
        }
        leFamily->setText(query.asString(QStringLiteral("Family")));
        leName->setText(query.asString(QStringLiteral("Name")));
        leOtch->setText(query.asString(QStringLiteral("Otchestvo")));
        cbPol->setCurrentIndex(query.asBool(QStringLiteral("Sex")) ? 0 : 1);
        dtpBrichDay->setDate(query.asDateTime(QStringLiteral("Birthday")).date());
        leAddress->setText(query.asString(QStringLiteral("Adres")));
        leInfo->setText(query.asString(QStringLiteral("Info")));
        cbNoRGS->setChecked(query.asBool(QStringLiteral("NoRGS")));
        FPhotoFile = query.asString(QStringLiteral("Photo"));
        cbProf->setEditText(query.asString(QStringLiteral("Profession")));
    }
    loadPhoto();
    if (!cbProf->currentText().isEmpty()) {
        addProfession(cbProf->currentText());
    }
}

QString TfrmClient::photoPath() const {
    return gPhotoDir + FPhotoFile;
}

// A damaged photo file does not keep the client from being corrected: the editor opens with the
// placeholder and a note, since a message would stop the person over the list before the editor shows.
void TfrmClient::loadPhoto() {
    if (FPhotoFile.isEmpty() || !QFileInfo::exists(photoPath())) {
        return;
    }
    try {
        m_photo = readPicture(photoPath());
    } catch (const AppError& e) {
        qWarning().noquote() << e.text() << e.details();
        lblPhotoNote->setText(kDamagedPhotoNote);
        lblPhotoNote->setToolTip(e.details());
    }
    showPhoto();
}

void TfrmClient::showPhoto() {
    if (m_photo.isNull()) {
        ImPhoto->setPixmap(QIcon(kPlaceholderIcon).pixmap(kPlaceholderSize));
        return;
    }
    ImPhoto->setPixmap(QPixmap::fromImage(
        m_photo.scaled(ImPhoto->contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

bool TfrmClient::requiredFilled() const {
    for (const QString& text :
         {leFamily->text(), leName->text(), leAddress->text(), cbProf->currentText(), leOtch->text()}) {
        if (text.isEmpty()) {
            return false;
        }
    }
    return true;
}

void TfrmClient::btnSaveClick() {
    SaveAnswer answer(*this);
    if (!FModified) {
        return;
    }
    if (!requiredFilled()) {
        showMessage(this, kRequiredEmpty);
        answer.keepOpen();
        return;
    }
    const bool isNew = FIDClient <= 0;
    Transaction transaction(m_db);
    const int id = writeClient();
    UpDateProf();
    transaction.commit();
    // Taken only once stored: after a failed first save the client is still new, and the ID rolled back
    // may already be another workstation's client.
    FIDClient = id;
    // A new client stays open after its first save, so that a photograph can be added; a failed
    // save closes the dialog.
    if (isNew) {
        answer.keepOpen();
    }
    m_photoUndo.forget();
    SetModified(false);
}

int TfrmClient::writeClient() {
    SqlQuery command(m_db);
    command.addParam(QStringLiteral("pFamily"), FieldType::String, leFamily->text())
        .addParam(QStringLiteral("pName"), FieldType::String, leName->text())
        .addParam(QStringLiteral("pOtch"), FieldType::String, leOtch->text())
        .addParam(QStringLiteral("pSex"), FieldType::Boolean, cbPol->currentIndex() == kMale)
        .addParam(QStringLiteral("pBrDay"), FieldType::Date, dtpBrichDay->date())
        .addParam(QStringLiteral("pPhotoFile"), FieldType::String, FPhotoFile)
        .addParam(QStringLiteral("pAdres"), FieldType::String, leAddress->text())
        .addParam(QStringLiteral("pProf"), FieldType::String, cbProf->currentText())
        .addParam(QStringLiteral("pInfo"), FieldType::String, leInfo->text())
        .addParam(QStringLiteral("pNoRGS"), FieldType::Boolean, cbNoRGS->isChecked());
    if (FIDClient > 0) {
        command.exec(UPDATE_CLIENT_SQL.arg(FIDClient));
        requireChanged(command);
        return FIDClient;
    }
    command.exec(INSERT_CLIENT_SQL);
    // The row just inserted, not the first of the clients who share name and birthday.
    return static_cast<int>(command.lastInsertId());
}

void TfrmClient::UpDateProf() {
    if (!kBlankProfessions.contains(cbProf->currentText())) {
        addProfession(cbProf->currentText());
    }
}

void TfrmClient::addProfession(const QString& name) {
    SqlQuery query(m_db);
    query.addParam(QStringLiteral("pNameProf"), FieldType::String, name);
    query.exec(FIND_PROFESSION_SQL);
    if (!query.next()) {
        SqlQuery command(m_db);
        command.addParam(QStringLiteral("pNameProf"), FieldType::String, name);
        command.exec(INSERT_PROFESSION_SQL);
    }
}

bool TfrmClient::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ImPhoto && event->type() == QEvent::MouseButtonRelease) {
        ImPhotoClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmClient::ImPhotoClick() {
    if (FIDClient <= 0) {
        showMessage(this, kSaveBeforePhoto);
        return;
    }
    const QString chosen = Ui().openFileName(this, kPhotoDialogTitle, gPathPhotoLoad, kPhotoFilter);
    if (chosen.isEmpty()) {
        return;
    }
    gPathPhotoLoad = QFileInfo(chosen).absolutePath() + QLatin1Char('/');
    if (!isPictureFile(chosen)) {
        showMessage(this, kNotAPicture.arg(chosen), MsgIcon::Warning);
        return;
    }
    storePhoto(readPicture(chosen), photoFileName(FIDClient));
}

// The arrows turn the way they point: left is counter-clockwise.
void TfrmClient::btnRotateLeftClick() {
    turnPhoto(270.0);
}

void TfrmClient::btnRotateRightClick() {
    turnPhoto(90.0);
}

void TfrmClient::turnPhoto(double angle) {
    if (m_photo.isNull()) {
        return;
    }
    QImage turned = m_photo;
    RotateBitmap(turned, Qt::white, angle);
    if (FPhotoFile.isEmpty() || !QFileInfo::exists(photoPath())) {
        m_photo = turned;
        showPhoto();
        return;
    }
    // JPEG data never goes under another extension: such a photo moves to the client's own name.
    const bool isJpeg = QFileInfo(FPhotoFile).suffix().toLower() == QLatin1String("jpg");
    storePhoto(turned, isJpeg ? FPhotoFile : photoFileName(FIDClient));
}

// The picture on screen and the name change only once the file is written, so a failed write leaves
// the former photo shown and nothing to put back; the record then awaits its save.
void TfrmClient::storePhoto(const QImage& picture, const QString& fileName) {
    m_photoUndo.write(picture, gPhotoDir + fileName);
    m_photo = picture;
    lblPhotoNote->clear();
    showPhoto();
    FPhotoFile = fileName;
    SetModified(true);
}

void TfrmClient::btnCloseClick() {
    reject();
}

void TfrmClient::reject() {
    if (FModified && askYesNo(this, kLeaveUnsaved) != Answer::Yes) {
        return;
    }
    leave();
}

// The title bar's close box leaves without the question that "Закрыть" and Esc ask.
void TfrmClient::closeEvent(QCloseEvent* event) {
    if (isVisible()) {
        leave();
    }
    event->accept();
}

void TfrmClient::leave() {
    // A photo that cannot be put back is told of, and does not keep the person in the editor.
    try {
        m_photoUndo.restore();
    } catch (const AppError& e) {
        showDetailedMessage(this, e.text(), e.details(), MsgIcon::Warning);
    }
    QDialog::reject();
}
