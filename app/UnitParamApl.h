#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QTableWidget;
class TfrmAPL;

// "Параметры работы приложения": the complex's parameters and two settings of the workstation in
// one name/value grid.
class TfrmParAlp : public QDialog {
    Q_OBJECT

  public:
    TfrmParAlp(TfrmAPL& mainWindow, QWidget* parent);

    QTableWidget* VLE_ParApl = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnCancel = nullptr;

    // Fills the grid with the values as they are now.
    void FormCreate();

  public slots:
    void btnSaveClick();
    void btnCancelClick();

  private:
    void setupUi();
    QString rowText(int row) const;
    void setRow(int row, const QString& caption, const QString& value);

    TfrmAPL& m_main;
};
