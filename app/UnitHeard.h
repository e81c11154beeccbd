#pragma once

#include <QMainWindow>
#include <QVariant>

#include "platform/Database.h"

class QAction;
class QLabel;
class QMenu;
class QMdiArea;
class QMdiSubWindow;
class QToolBar;
class TfrmSprTxt;

// Where a window's frame goes on the screen's available area: around the designed size where the area holds
// both, else the whole area's height or width; centred, so the frame and the menu below it are on screen.
QRect frameOnScreen(const QSize& designed, const QMargins& frame, const QRect& available);

// Lets the card and reservation forms open the editors of new clients and organisations.
void RegisterRecordEditors();

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
    // Stores the level and shows «Сервис» only to the administrator's.
    void SetUserLevel(int level);

    // The complex's parameters by code; a missing code reads as the integer 0 and sets FParNotFound.
    QVariant GetParApl(int code);
    void SetParApl(int code, const QVariant& value);
    // Raises a stored database version below the program's; answers the number of changes.
    int UpDateDB();

    static QString connectionFile();
    // When the database file is missing, asks for one; false when the person cancels.
    static bool EnsureDatabaseFile(QWidget* parent);
    static QString iniFile();
    static void ReadIni();
    // Throws AppError when the file cannot be written; it then stays as it was.
    static void WriteIni();

    // Brings the list window of a kind forward, or creates it captioned "Справочник: " + name.
    void OpenSpr(int kind, const QString& name);
    QList<TfrmSprTxt*> listWindows() const;
    QMdiArea* mdiArea() const { return m_mdiArea; }

    Database ADOConnect;
    int FIDWorkUser = 0;
    int FParNotFound = 0;
    QMenu* N_Servis = nullptr;
    QMenu* WindowMDI = nullptr;
    QAction* N_PanBtn = nullptr;
    QAction* N12 = nullptr;
    QAction* ileVertically1 = nullptr;
    QAction* Cascade1 = nullptr;
    QToolBar* tbSpr = nullptr;
    QToolBar* tbWork = nullptr;
    QLabel* StatBarPanel1 = nullptr;

    void setVisible(bool visible) override;

  public slots:
    // Opens the connection and writes the sign-in; false when the window must not open.
    bool FormShow();
    bool FormCloseQuery();
    void FormClose();

    void N_ZalClick();
    void N_ClientClick();
    void N_OrgClick();
    void N_VSClick();
    void N_CardsClick();
    void N_RezOrgClick();
    void N_UserAplClick();
    void N_SprActionClick();
    void N_AddCardClick();
    void N_Rep_CardClick();
    void N_Rep_RGSClick();
    void N_ParAplClick();
    void N7Click();
    void N_PanBtnClick();
    void N2Click();
    void TileHorizontally();
    void TileVertically();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // The sign-in row, the start in the event log and the version step; answers the version step's changes.
    int WriteSignIn();
    void setupUi();
    void setupMenus();
    void setupToolBars();
    void updateWindowMenu();
    void mergeActionMenu(QMdiSubWindow* active);
    // Restores a minimised window and makes it the active one.
    void bringForward(QMdiSubWindow* sub);
    void tile(Qt::Orientation orientation);

    QMdiArea* m_mdiArea = nullptr;
    bool m_shown = false;
    bool m_connectFailed = false;
    QMenu* m_workMenu = nullptr;
    QAction* m_mergedMenu = nullptr;
};
