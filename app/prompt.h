#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;
class TfrmAPL;

// The login dialog: a borderless window shown before the main window, fading in.
class Tfprompt : public QWidget {
    Q_OBJECT

  public:
    explicit Tfprompt(TfrmAPL& mainWindow);

    bool CheckPass();

    QLineEdit* login = nullptr;
    QLineEdit* password = nullptr;
    QPushButton* BitOk = nullptr;
    QCheckBox* cbMonopolno = nullptr;
    QToolButton* btnClose = nullptr;
    QLabel* LabelVer = nullptr;
    QTimer* TimeBlink = nullptr;

  public slots:
    void BitOkClick();
    void btnCloseClick();
    void TimeBlinkTimer();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void setupUi();
    void FormCreate();
    void FormShow();
    bool passwordKeyDown(int key);

    TfrmAPL& m_main;
};

// Shows a new sign-in window for the main window, which stays hidden until someone signs in.
void openSignIn(TfrmAPL& mainWindow);
