#include "platform/FormWidgets.h"

#include <QBoxLayout>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QToolButton>

#include <climits>

#include "platform/LocaleFormat.h"

UpDownEdit::UpDownEdit(QWidget* parent) : QSpinBox(parent) {
    setRange(0, INT_MAX);
    setValue(0);
    // The arrows change the text with the edit's signals blocked; typing an empty text changes no value.
    connect(this, &QSpinBox::textChanged, this, &UpDownEdit::contentChanged);
    connect(lineEdit(), &QLineEdit::textChanged, this, &UpDownEdit::contentChanged);
}

bool UpDownEdit::hasNumber() const {
    return !cleanText().trimmed().isEmpty();
}

void UpDownEdit::stepBy(int steps) {
    setValue(qBound(0, value() + steps, qMax(kArrowMax, value())));
    selectAll();
}

QAbstractSpinBox::StepEnabled UpDownEdit::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (value() < kArrowMax) {
        enabled |= StepUpEnabled;
    }
    if (value() > 0) {
        enabled |= StepDownEnabled;
    }
    return enabled;
}

void DateField::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool separator = typed.size() == 1 && !typed.at(0).isLetterOrNumber() && displayFormat().contains(typed);
    if (separator && m_movedOnByDigits) {
        m_movedOnByDigits = false;
        event->accept();
        return;
    }
    const Section before = currentSection();
    QDateEdit::keyPressEvent(event);
    m_movedOnByDigits = typed.size() == 1 && typed.at(0).isDigit() && currentSection() != before;
}

GridCellFormat::GridCellFormat(Qt::Alignment alignment, TextOf textOf, QObject* parent)
    : QStyledItemDelegate(parent), m_alignment(alignment), m_textOf(std::move(textOf)) {}

QString GridCellFormat::displayText(const QVariant& value, const QLocale& locale) const {
    return m_textOf ? m_textOf(value) : QStyledItemDelegate::displayText(value, locale);
}

void GridCellFormat::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->displayAlignment = m_alignment | Qt::AlignVCenter;
}

QLabel* addLabelled(QBoxLayout& layout, const QString& caption, QWidget* field) {
    auto* label = new QLabel(caption, field->parentWidget());
    label->setBuddy(field);
    layout.addWidget(label);
    layout.addWidget(field);
    return label;
}

QToolButton* newPictureButton(QWidget* parent, const char* name, const QString& hint, QStyle::StandardPixmap icon) {
    auto* button = named(new QToolButton(parent), name);
    button->setToolTip(hint);
    button->setIcon(parent->style()->standardIcon(icon));
    return button;
}

QPushButton* newButton(QWidget* parent, const char* name, const QString& caption, QStyle::StandardPixmap icon) {
    auto* button = named(new QPushButton(caption, parent), name);
    button->setIcon(parent->style()->standardIcon(icon));
    return button;
}

void layOutSaveCloseForm(QDialog& dialog, QLayout* fields, QSize least, QPushButton*& btnSave, QPushButton*& btnClose) {
    btnSave = newButton(&dialog, "btnSave", QStringLiteral("Сохранить"), QStyle::SP_DialogSaveButton);
    btnClose = newButton(&dialog, "btnClose", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnClose);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addLayout(buttons);
    dialog.setFixedSize(dialog.sizeHint().expandedTo(least));
    QObject::connect(btnClose, &QPushButton::clicked, &dialog, &QDialog::reject);
}

QDateEdit* newDatePicker(QWidget* parent, const char* name, const QTime& time) {
    auto* picker = named(new DateField(QDate::currentDate(), parent), name);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(shortDateFormat());
    picker->setTime(time);
    return picker;
}

QDateTime pickedDateTime(const QDateEdit& picker) {
    return QDateTime(picker.date(), picker.time());
}

QTimeEdit* newTimePicker(QWidget* parent, const char* name, QTime time) {
    auto* picker = named(new QTimeEdit(time, parent), name);
    picker->setDisplayFormat(QStringLiteral("HH:mm"));
    return picker;
}

void setTabChain(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous) {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }
    (*widgets.begin())->setFocus();
}
