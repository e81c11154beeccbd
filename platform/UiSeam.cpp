#include "platform/UiSeam.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <exception>

#include "platform/ReportOutputDialog.h"

namespace {

QString displayText(const QString& text) {
    return QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

QString title() {
    return QApplication::applicationDisplayName();
}

QMessageBox::Icon boxIcon(MsgIcon icon) {
    return icon == MsgIcon::Error     ? QMessageBox::Critical
           : icon == MsgIcon::Warning ? QMessageBox::Warning
                                      : QMessageBox::Information;
}

class WidgetSeam final : public UiSeam {
  public:
    void message(QWidget* parent, const QString& text, MsgIcon icon, bool withCancel) override {
        QMessageBox box(boxIcon(icon), title(), displayText(text),
                        withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, parent);
        box.exec();
    }

    void detailedMessage(QWidget* parent, const QString& text, const QString& details, MsgIcon icon) override {
        QMessageBox box(boxIcon(icon), title(), displayText(text), QMessageBox::Ok, parent);
        box.setDetailedText(details);
        box.exec();
    }

    Answer ask(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Warning, title(), displayText(text), QMessageBox::Yes | QMessageBox::No, parent);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
        box.setEscapeButton(QMessageBox::No);
        const int answer = box.exec();
        return answer == QMessageBox::Yes ? Answer::Yes : answer == QMessageBox::No ? Answer::No : Answer::Closed;
    }

    QString openFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter) override {
        return QFileDialog::getOpenFileName(parent, caption, dir, toQtFilter(filter));
    }

    int execModal(QDialog& dialog) override { return dialog.exec(); }

    ReportOutput chooseReportOutput(QWidget* parent, const QString& caption, const QStringList& formats,
                                    const ReportOutput& proposal) override {
        return ReportOutputDialog::choose(parent, caption, formats, proposal);
    }
};

WidgetSeam& widgetSeam() {
    static WidgetSeam seam;
    return seam;
}

UiSeam* installed = nullptr;

}  // namespace

UiSeam& Ui() {
    return installed ? *installed : widgetSeam();
}

void installUi(UiSeam* seam) {
    installed = seam;
}

void showMessage(QWidget* parent, const QString& text, MsgIcon icon, bool withCancel) {
    Ui().message(parent, text, icon, withCancel);
}

void showDetailedMessage(QWidget* parent, const QString& text, const QString& details, MsgIcon icon) {
    Ui().detailedMessage(parent, text, details, icon);
}

Answer askYesNo(QWidget* parent, const QString& text) {
    return Ui().ask(parent, text);
}

int execModal(QDialog& dialog) {
    return Ui().execModal(dialog);
}

QString toQtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        entries << QStringLiteral("%1 (%2)").arg(parts[i],
                                                 QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')));
    }
    return entries.join(QStringLiteral(";;"));
}

SaveAnswer::SaveAnswer(QDialog& dialog) : m_dialog(dialog), m_uncaughtAtStart(std::uncaught_exceptions()) {
    m_dialog.setResult(QDialog::Accepted);
}

SaveAnswer::~SaveAnswer() {
    if (m_keepOpen || std::uncaught_exceptions() > m_uncaughtAtStart) {
        m_dialog.setResult(0);
    } else {
        m_dialog.accept();
    }
}

void SaveAnswer::keepOpen() {
    m_keepOpen = true;
}
