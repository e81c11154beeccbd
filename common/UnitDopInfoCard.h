#pragma once

#include <QDialog>

class QCheckBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// Edits the extra text of a club card or of a hall. Its caller fills the memo and the check box,
// shows it and takes both back however it was closed; the answer is always Cancel.
class TfrmDopInfo : public QDialog {
    Q_OBJECT

  public:
    explicit TfrmDopInfo(QWidget* parent);

    QPlainTextEdit* MemoTXT = nullptr;
    QFrame* Panel2 = nullptr;
    QCheckBox* cbPrintTXT = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* btnCancel = nullptr;

  private:
    void setupUi();
};
