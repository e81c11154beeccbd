#include "platform/ReportOutputDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QString suffixOf(const QString& format) {
    return format.toLower();
}

}  // namespace

ReportOutputDialog::ReportOutputDialog(QWidget* parent, const QString& title, const QStringList& formats,
                                       const ReportOutput& proposal)
    : QDialog(parent) {
    setWindowTitle(title);
    setupUi(formats, proposal);
}

void ReportOutputDialog::setupUi(const QStringList& formats, const ReportOutput& proposal) {
    m_printer = new QRadioButton(QStringLiteral("Принтер"), this);
    m_preview = new QRadioButton(QStringLiteral("Просмотр на экране"), this);
    m_file = new QRadioButton(QStringLiteral("Файл"), this);
    m_printer->setChecked(proposal.kind == ReportOutput::Kind::Printer);
    m_file->setChecked(proposal.kind == ReportOutput::Kind::File);
    m_preview->setChecked(!m_printer->isChecked() && !m_file->isChecked());
    m_format = new QComboBox(this);
    m_format->addItems(formats);
    m_format->setCurrentIndex(qMax(0, int(formats.indexOf(proposal.format))));
    m_path = new QLineEdit(proposal.path, this);
    auto* browseButton = new QPushButton(QStringLiteral("..."), this);
    browseButton->setFixedWidth(30);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path);
    pathRow->addWidget(browseButton);
    auto* fileForm = new QFormLayout;
    fileForm->addRow(QStringLiteral("Формат:"), m_format);
    fileForm->addRow(QStringLiteral("Имя файла:"), pathRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_printer);
    layout->addWidget(m_preview);
    layout->addWidget(m_file);
    layout->addLayout(fileForm);
    layout->addWidget(buttons);
    setMinimumWidth(360);

    const auto enableFile = [this, browseButton] {
        m_format->setEnabled(m_file->isChecked());
        m_path->setEnabled(m_file->isChecked());
        browseButton->setEnabled(m_file->isChecked());
    };
    enableFile();
    connect(m_file, &QRadioButton::toggled, this, enableFile);
    connect(browseButton, &QPushButton::clicked, this, &ReportOutputDialog::browse);
    connect(m_format, &QComboBox::currentTextChanged, this, &ReportOutputDialog::formatChanged);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void ReportOutputDialog::browse() {
    const QString suffix = suffixOf(m_format->currentText());
    // The report asks itself before it replaces a file, also one typed here.
    const QString path = QFileDialog::getSaveFileName(this, windowTitle(), m_path->text(),
                                                      QStringLiteral("%1 (*.%2)").arg(m_format->currentText(), suffix),
                                                      nullptr, QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty()) {
        m_path->setText(path);
    }
}

// The file name follows the chosen format.
void ReportOutputDialog::formatChanged() {
    const QFileInfo info(m_path->text());
    m_path->setText(
        info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + suffixOf(m_format->currentText())));
}

ReportOutput ReportOutputDialog::answer() const {
    ReportOutput output;
    output.kind = m_printer->isChecked()   ? ReportOutput::Kind::Printer
                  : m_preview->isChecked() ? ReportOutput::Kind::Preview
                                           : ReportOutput::Kind::File;
    output.format = m_format->currentText();
    output.path = m_path->text();
    return output;
}

ReportOutput ReportOutputDialog::choose(QWidget* parent, const QString& title, const QStringList& formats,
                                        const ReportOutput& proposal) {
    ReportOutputDialog dialog(parent, title, formats, proposal);
    return dialog.exec() == QDialog::Accepted ? dialog.answer() : ReportOutput();
}
