#pragma once

#include <QMainWindow>
#include <QVariant>

#include "platform/Database.h"

class QLabel;
class QMenu;
class QMdiArea;

// The main window: owns the one database connection for the whole run.
class TfrmAPL : public QMainWindow {
    Q_OBJECT

  public:
    explicit TfrmAPL(QWidget* parent = nullptr);
    ~TfrmAPL() override;

    // Start-up before sign-in: settings, the database file, the preset user. An empty appPath means
    // the folder of the executable.
    void FormCreate(const QString& appPath = QString());

    int AddWorkUser(int idUser);
    void DelWorkUser(int id);
    void SetUserLevel(int level);

    // The complex's parameters by code; a missing code reads as the integer 0 and sets FParNotFound.
    QVariant GetParApl(int code);
    void SetParApl(int code, const QVariant& value);
    void UpDateDB();

    static QString connectionFile();
    static QString iniFile();
    static void ReadIni();
    static void WriteIni();

    Database ADOConnect;
    int FIDWorkUser = 0;
    int FParNotFound = 0;
    QMenu* N_Servis = nullptr;
    QLabel* StatBarPanel1 = nullptr;

  public slots:
    void FormShow();
    bool FormCloseQuery();
    void FormClose();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void setupUi();

    QMdiArea* m_mdiArea = nullptr;
    bool m_shown = false;
    bool m_connectFailed = false;
};
