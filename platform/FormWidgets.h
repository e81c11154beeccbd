#pragma once

#include <QDateEdit>
#include <QSpinBox>
#include <QStyle>
#include <QStyledItemDelegate>

#include <functional>
#include <initializer_list>

class QBoxLayout;
class QDateTime;
class QTime;
class QDialog;
class QLayout;
class QLabel;
class QPushButton;
class QTime;
class QTimeEdit;
class QToolButton;

// An edit with an up-down counter bound to it. The arrows count from 0 to 100; typing or loading may
// give any larger whole number, which then shows and stays as it is until the person changes it.
class UpDownEdit : public QSpinBox {
    Q_OBJECT

  public:
    static constexpr int kArrowMax = 100;

    explicit UpDownEdit(QWidget* parent = nullptr);

    // False while the text is empty: the value then is not what the person sees.
    bool hasNumber() const;

  signals:
    // Any change of the text, also to an empty one, which changes no value.
    void contentChanged();

  protected:
    void stepBy(int steps) override;
    StepEnabled stepEnabled() const override;
};

// A date edit that takes a date typed as people write it, "01.11.2026" or "01112026": a section filled by
// its digits moves on to the next, and the separator typed after it then does not move on once more.
class DateField : public QDateEdit {
    Q_OBJECT

  public:
    using QDateEdit::QDateEdit;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool m_movedOnByDigits = false;
};

// Draws the cells of one grid column with an alignment and, when given, a text of its own made from
// the value the grid shows.
class GridCellFormat : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using TextOf = std::function<QString(const QVariant& shown)>;

    GridCellFormat(Qt::Alignment alignment, TextOf textOf, QObject* parent);
    QString displayText(const QVariant& value, const QLocale& locale) const override;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

  private:
    Qt::Alignment m_alignment;
    TextOf m_textOf;
};

// Names a widget as the form names it, so that tests find it.
template <class Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Adds a field with its caption above it, as a labelled edit shows it.
QLabel* addLabelled(QBoxLayout& layout, const QString& caption, QWidget* field);

// A small button that shows only a picture and tells its purpose as a hint.
QToolButton* newPictureButton(QWidget* parent, const char* name, const QString& hint, QStyle::StandardPixmap icon);
// A button with a caption and a picture.
QPushButton* newButton(QWidget* parent, const char* name, const QString& caption, QStyle::StandardPixmap icon);
// Lays out a small editor: its fields above "Сохранить" and "Закрыть" (which rejects the dialog), at
// least the given size and no larger.
void layOutSaveCloseForm(QDialog& dialog, QLayout* fields, QSize least, QPushButton*& btnSave, QPushButton*& btnClose);
// A date picker in the short date format holding today at the given time: choosing a date keeps the
// time of day.
QDateEdit* newDatePicker(QWidget* parent, const char* name, const QTime& time);
// Date edits keep their value in UTC; the picked value is local time like every stored date.
QDateTime pickedDateTime(const QDateEdit& picker);
// A picker of a time of day in hours and minutes.
QTimeEdit* newTimePicker(QWidget* parent, const char* name, QTime time);
// Tab goes through the widgets in the order given, whatever order they were made in, and the form opens
// with the focus in the first: the chain is a ring, so the order alone does not say where it starts.
void setTabChain(std::initializer_list<QWidget*> widgets);
