#pragma once

#include <QWidget>

#include <memory>

#include "common/UnitConst.h"

class Database;
class QAction;
class QDialog;
class QFrame;
class QMenu;
class QToolBar;
class QToolButton;
class SprGrid;
class SqlQuery;
struct SprKey;

// The list window of one register (ListKind): browses its rows, opens the editor of its kind,
// deletes rows, and for cards chooses the period.
class TfrmSprTxt : public QWidget {
    Q_OBJECT

  public:
    explicit TfrmSprTxt(Database& db, QWidget* parent = nullptr);
    ~TfrmSprTxt() override;

    // Fills the window with the rows of a kind; called once, after the caption is set.
    void LoadSpr(int kind);

    int FTypeSpr = 0;
    TPeriod FPeriod;

    // "Действие": the main window shows it in its menu bar while this window is active.
    QMenu* MainMenu1 = nullptr;
    QAction* N_Open = nullptr;
    QAction* N_split = nullptr;
    QAction* N_New = nullptr;
    QAction* N_Edit = nullptr;
    QAction* N_Del = nullptr;
    QAction* N_SplPan = nullptr;
    QAction* N_ViewPan = nullptr;

    QFrame* cbTopPan = nullptr;
    QToolBar* tbEdRec = nullptr;
    QToolButton* btnNew = nullptr;
    QToolButton* btnEdit = nullptr;
    QToolButton* btnDel = nullptr;
    QToolButton* btnRefresh = nullptr;
    QToolButton* btnPeriod = nullptr;
    SprGrid* DBGridSpr = nullptr;

  public slots:
    void N_NewClick();
    void N_EditClick();
    void N_DelClick();
    void N_OpenClick();
    void btnRefreshClick();
    void btnPeriodClick();
    void N_ViewPanClick();
    void DBGridSprCellClick();
    void DBGridSprDblClick();
    void DBGridSprKeyDown(int key);

  protected:
    // The editor of the window's kind loaded with a row ID (-1 for a new row); none when the kind
    // has no editor. Virtual so that a test can stand in for an editor not built yet.
    virtual std::unique_ptr<QDialog> createEditor(int id);
    // The weekly timetable of a sports type; none in other kinds.
    virtual std::unique_ptr<QDialog> createTimetable(int id);

  private:
    void setupUi();
    void FormCreate();
    void bindPeriod(SqlQuery& query) const;
    QString cardListSql(SprKey* key);
    void requeryList(int row, bool rewriteCaption);
    int currentId() const;
    bool currentRecordFound();
    void recordGone();
    void deleteRow(const QString& sql);
    bool showModal(std::unique_ptr<QDialog> form);
    void writeCardCaption();
    void deleteCard(int id);
    void deleteClient(int id);
    void deleteUser(int id);

    Database& m_db;
    QAction* m_periodAction = nullptr;
    // The card-list caption is rewritten when the count of the read under way is finished.
    bool m_captionDue = false;
};
