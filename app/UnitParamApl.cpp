#include "app/UnitParamApl.h"

#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <iterator>

#include "app/UnitHeard.h"
#include "common/UnitConst.h"
#include "platform/Database.h"
#include "platform/UiSeam.h"

namespace {

// How a row is read and written.
enum class RowKind {
    Par,         // a code of tParApl, saved as typed
    WholePar,    // a code of tParApl, saved as a whole number
    PathBase,    // gPathBase
    QueryClose,  // gQueryClose, "1" for true
};

struct ParRow {
    const char* caption;
    RowKind kind;
    int code;
    bool yesNo = false;  // takes 1 for yes and 0 for no
};

// The grid's rows in the order they are shown and saved.
const ParRow kRows[] = {
    {"Наименование организации", RowKind::Par, pcOrgName},
    {"Директор", RowKind::Par, pcDirector},
    {"Путь к БД", RowKind::PathBase, 0},
    {"Использовать страховку", RowKind::WholePar, pcUseInsurance, true},
    {"Запрос перед выходом*", RowKind::QueryClose, 0},
    {"Строка 1 на абонементе", RowKind::Par, pcAbonLine1},
    {"Строка 2 на абонементе", RowKind::Par, pcAbonLine2},
    {"Использовать доп.инфо на КК", RowKind::Par, pcUseCardText, true},
    {"Строка при печати клубной карты", RowKind::Par, pcClubCardLine},
    {"Строка при печати абонемента", RowKind::Par, pcAbonLine},
};
constexpr int kRowCount = int(std::size(kRows));
constexpr int kKeyColumn = 0;
constexpr int kValueColumn = 1;

// Tab goes down the values and after the last one on to the buttons, where a table would take it round
// its cells for ever.
class ValueGrid : public QTableWidget {
  public:
    using QTableWidget::QTableWidget;

  protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
        if (action != MoveNext && action != MovePrevious) {
            return QTableWidget::moveCursor(action, modifiers);
        }
        const QModelIndex current = currentIndex();
        const int row = action == MovePrevious             ? current.row() - 1
                        : current.column() == kValueColumn ? current.row() + 1
                                                           : qMax(current.row(), 0);
        return model()->index(row, kValueColumn);  // none past either end
    }
};

const QString kYesNoOnly = QStringLiteral("В строке «%1» укажите 1 (да) или 0 (нет).");

// Numbers in their shortest decimal form ("1", "0,5"); anything else as its text.
QString parText(const QVariant& value) {
    if (value.typeId() == QMetaType::Double) {
        return QLocale().toString(value.toDouble(), 'f', QLocale::FloatingPointShortest);
    }
    return value.toString();
}

// The connection file is the folder followed directly by the file name, so the folder must end with
// its separator for the next start to find the database.
QString folderWithSeparator(const QString& folder) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator())) {
        return folder;
    }
    return folder + QLatin1Char('/');
}

// A yes/no row refuses a word with its own text; the binder's would speak of number ranges. Row 4
// is stored as a whole number, row 8 as a number.
void checkYesNo(const ParRow& par, const QString& text) {
    if (!par.yesNo) {
        return;
    }
    try {
        toStorage(par.kind == RowKind::WholePar ? FieldType::Integer : FieldType::Float, text);
    } catch (const DbError&) {
        throw DbError(kYesNoOnly.arg(QString::fromUtf8(par.caption)));
    }
}

QLabel* newLegend(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setStyleSheet(QStringLiteral("color: navy; font-weight: bold;"));
    return label;
}

}  // namespace

TfrmParAlp::TfrmParAlp(TfrmAPL& mainWindow, QWidget* parent) : QDialog(parent), m_main(mainWindow) {
    setupUi();
    FormCreate();
}

void TfrmParAlp::setupUi() {
    setObjectName(QStringLiteral("frmParAlp"));
    setWindowTitle(QStringLiteral("Параметры работы приложения"));

    VLE_ParApl = new ValueGrid(kRowCount, 2, this);
    VLE_ParApl->setObjectName(QStringLiteral("VLE_ParApl"));
    VLE_ParApl->setHorizontalHeaderLabels({QStringLiteral("Параметр"), QStringLiteral("Значение")});
    VLE_ParApl->verticalHeader()->hide();
    VLE_ParApl->verticalHeader()->setDefaultSectionSize(VLE_ParApl->fontMetrics().height() + 8);
    VLE_ParApl->setWordWrap(false);
    // The captions are read in full; the value column takes the rest.
    VLE_ParApl->setColumnWidth(
        kKeyColumn,
        qMax(185, VLE_ParApl->fontMetrics().horizontalAdvance(QStringLiteral("Строка при печати клубной карты")) + 16));
    VLE_ParApl->horizontalHeader()->setStretchLastSection(true);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(42);
    Label2 = newLegend(Panel2, "Label2", QStringLiteral("Параметры:"));
    Label1 = newLegend(Panel2, "Label1", QStringLiteral("1 - да; 0 - нет."));
    Label5 = newLegend(Panel2, "Label5", QStringLiteral("* - индивидуальные настройки"));
    btnSave = new QPushButton(QStringLiteral("Сохранить"), Panel2);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnCancel = new QPushButton(QStringLiteral("Закрыть"), Panel2);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* panelLayout = new QGridLayout(Panel2);
    panelLayout->setContentsMargins(4, 0, 4, 0);
    panelLayout->setVerticalSpacing(0);
    panelLayout->addWidget(Label2, 0, 0);
    panelLayout->addWidget(Label1, 0, 1);
    panelLayout->addWidget(Label5, 1, 0, 1, 2);
    panelLayout->setColumnStretch(2, 1);
    panelLayout->addWidget(btnSave, 0, 3, 2, 1);
    panelLayout->addWidget(btnCancel, 0, 4, 2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(VLE_ParApl);
    layout->addWidget(Panel2);
    setFixedSize(440, 355);

    connect(btnSave, &QPushButton::clicked, this, &TfrmParAlp::btnSaveClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmParAlp::btnCancelClick);
}

void TfrmParAlp::setRow(int row, const QString& caption, const QString& value) {
    auto* key = new QTableWidgetItem(caption);
    key->setFlags(key->flags() & ~Qt::ItemIsEditable);
    VLE_ParApl->setItem(row, kKeyColumn, key);
    VLE_ParApl->setItem(row, kValueColumn, new QTableWidgetItem(value));
}

QString TfrmParAlp::rowText(int row) const {
    return VLE_ParApl->item(row, kValueColumn)->text();
}

void TfrmParAlp::FormCreate() {
    for (int row = 0; row < kRowCount; ++row) {
        const ParRow& par = kRows[row];
        QString value;
        switch (par.kind) {
            case RowKind::Par:
            case RowKind::WholePar:
                value = parText(m_main.GetParApl(par.code));
                break;
            case RowKind::PathBase:
                value = gPathBase;
                break;
            case RowKind::QueryClose:
                value = gQueryClose ? QStringLiteral("1") : QStringLiteral("0");
                break;
        }
        setRow(row, QString::fromUtf8(par.caption), value);
    }
}

// All or nothing: the rows of the database in one transaction, the workstation's settings after them,
// so that a bad number in any row leaves everything as it was and the dialog open.
void TfrmParAlp::btnSaveClick() {
    SaveAnswer answer(*this);
    Transaction transaction(m_main.ADOConnect);
    for (int row = 0; row < kRowCount; ++row) {
        const ParRow& par = kRows[row];
        checkYesNo(par, rowText(row));
        if (par.kind == RowKind::Par) {
            m_main.SetParApl(par.code, rowText(row));
        } else if (par.kind == RowKind::WholePar) {
            m_main.SetParApl(par.code, toStorage(FieldType::Integer, rowText(row)));
        }
    }
    transaction.commit();
    for (int row = 0; row < kRowCount; ++row) {
        if (kRows[row].kind == RowKind::PathBase) {
            gPathBase = folderWithSeparator(rowText(row));
        } else if (kRows[row].kind == RowKind::QueryClose) {
            gQueryClose = rowText(row) == QLatin1String("1");
        }
    }
}

void TfrmParAlp::btnCancelClick() {
    reject();
}
