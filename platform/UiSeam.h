#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

enum class MsgIcon { Information, Warning, Error };
// Yes and No are the buttons; Closed is any other way of leaving the question.
enum class Answer { Yes, No, Closed };

// Where a report goes: the chosen kind, and for a file its format (one of those offered) and path.
struct ReportOutput {
    enum class Kind { Cancel, Printer, Preview, File };
    Kind kind = Kind::Cancel;
    QString format;
    QString path;
};

// Every message, question, file dialog and modal showing of the program goes through here, so that
// tests can answer in place of a person. Texts keep the program's "\r" line breaks.
class UiSeam {
  public:
    virtual ~UiSeam() = default;
    virtual void message(QWidget* parent, const QString& text, MsgIcon icon, bool withCancel) = 0;
    virtual Answer ask(QWidget* parent, const QString& text) = 0;
    // Filters are "description|pattern|description|pattern"; an empty answer is a cancel.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& dir, const QString& filter) = 0;
    virtual int execModal(QDialog& dialog) = 0;
    // The report output dialog; formats are the file formats offered ("PDF", "RTF"); it opens with the
    // proposed kind, format and file chosen.
    virtual ReportOutput chooseReportOutput(QWidget* parent, const QString& title, const QStringList& formats,
                                            const ReportOutput& proposal) = 0;
    // A message whose details (the technical reason) are shown on request.
    virtual void detailedMessage(QWidget* parent, const QString& text, const QString& /*details*/, MsgIcon icon) {
        message(parent, text, icon, false);
    }
};

// The seam in force: the real one unless a test installed its own.
UiSeam& Ui();
// Installs a seam (not owned); nullptr restores the real one.
void installUi(UiSeam* seam);

// Shorthands.
void showMessage(QWidget* parent, const QString& text, MsgIcon icon = MsgIcon::Information, bool withCancel = false);
void showDetailedMessage(QWidget* parent, const QString& text, const QString& details, MsgIcon icon = MsgIcon::Error);
Answer askYesNo(QWidget* parent, const QString& text);
int execModal(QDialog& dialog);

// Turns a "description|pattern|..." filter into Qt's form.
QString toQtFilter(const QString& filter);

// A save button answers OK before its handler runs; the handler resets the answer to keep the dialog
// open. A handler left by an exception keeps the dialog open too, so that nothing typed is lost.
class SaveAnswer {
  public:
    explicit SaveAnswer(QDialog& dialog);
    ~SaveAnswer();
    void keepOpen();

  private:
    QDialog& m_dialog;
    bool m_keepOpen = false;
    int m_uncaughtAtStart;
};
