#include "cards/UnitSelSeans.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/UnitConst.h"
#include "platform/Database.h"
#include "platform/FormWidgets.h"

namespace {

const QString SELECT_DAY_SEANS_SQL = QStringLiteral(
    "SELECT tS.SeansTime, tS.ZalID, tZal.NameZal FROM tSchedulEmpl tS, tZal WHERE ((tS.VidSportID=%1) AND "
    "(tS.DayNed=%2) AND (tS.ZalID=tZal.ID)) ORDER BY tS.SeansTime, tS.ID;");

const QString kCaption = QStringLiteral("Выбор сеанса");
const QString kZalCaption = QStringLiteral(" Зал:");
const QString kZal = kZalCaption + QLatin1Char(' ');
constexpr int kZalChars = 17;

}  // namespace

QList<TSeansEntry> LoadDaySeans(Database& db, int vidSport, int dayNed) {
    QList<TSeansEntry> entries;
    SqlQuery query(db);
    query.exec(SELECT_DAY_SEANS_SQL.arg(vidSport).arg(dayNed));
    while (query.next()) {
        const QTime start = query.asDateTime(0).time();
        entries.append({QTime(start.hour(), start.minute()), query.asInt(1), query.asString(2)});
    }
    return entries;
}

TfrmSelSeans::TfrmSelSeans(const QList<TSeansEntry>& entries, int dayNed, QWidget* parent)
    : QDialog(parent), FListSeans(entries) {
    setupUi(dayNed);
    for (const TSeansEntry& entry : FListSeans) {
        cbSeans->addItem(SeansTimeText(entry.Time));
    }
    if (!FListSeans.isEmpty()) {
        cbSeans->setCurrentIndex(0);
        cbSeansChange();
    }
}

void TfrmSelSeans::setupUi(int dayNed) {
    setObjectName(QStringLiteral("frmSelSeans"));
    setWindowTitle(kCaption + QStringLiteral(": ") + weekdayName(dayNed));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    stZal = named(new QLabel(kZalCaption, this), "stZal");
    stZal->setFrameShape(QFrame::StyledPanel);
    cbSeans = named(new QComboBox(this), "cbSeans");
    cbSaveSel = named(new QCheckBox(QStringLiteral("Сохранить выбор"), this), "cbSaveSel");
    cbSaveSel->setChecked(true);
    btnSelect = newButton(this, "btnSelect", QStringLiteral("Выбрать"), QStyle::SP_DialogOkButton);
    btnSelect->setDefault(true);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Время сеанса:"), cbSeans);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cbSaveSel);
    buttons->addStretch();
    buttons->addWidget(btnSelect);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(stZal);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumWidth(300);
    connect(cbSeans, &QComboBox::activated, this, &TfrmSelSeans::cbSeansChange);
    connect(btnSelect, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmSelSeans::cbSeansChange() {
    stZal->setText(kZal + GetSeans().NameZal.left(kZalChars));
}

TSeansEntry TfrmSelSeans::GetSeans() const {
    const int index = cbSeans->currentIndex();
    return index >= 0 && index < FListSeans.size() ? FListSeans[index] : TSeansEntry();
}
