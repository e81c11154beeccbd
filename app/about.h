#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TfrmAPL;

// "О программе": the title and the program's version with the database version.
class TAboutBox : public QDialog {
    Q_OBJECT

  public:
    TAboutBox(TfrmAPL& mainWindow, QWidget* parent);

    QLabel* Version = nullptr;
    QPushButton* OKButton = nullptr;
};
