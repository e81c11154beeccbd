#pragma once

#include <QDialog>

#include "platform/UiSeam.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

// Asks where a report goes: the printer, a preview on screen, or a file of one of the offered formats.
class ReportOutputDialog : public QDialog {
    Q_OBJECT

  public:
    ReportOutputDialog(QWidget* parent, const QString& title, const QStringList& formats, const ReportOutput& proposal);

    ReportOutput answer() const;
    // Shows the dialog; a cancel answers the kind Cancel.
    static ReportOutput choose(QWidget* parent, const QString& title, const QStringList& formats,
                               const ReportOutput& proposal);

  private:
    void setupUi(const QStringList& formats, const ReportOutput& proposal);
    void browse();
    void formatChanged();

    QRadioButton* m_printer = nullptr;
    QRadioButton* m_preview = nullptr;
    QRadioButton* m_file = nullptr;
    QComboBox* m_format = nullptr;
    QLineEdit* m_path = nullptr;
};
