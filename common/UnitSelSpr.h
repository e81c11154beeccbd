#pragma once

#include <QDialog>

#include "common/UnitConst.h"

class Database;
class QFrame;
class QPushButton;
class SprGrid;

// The modal record selector over clients, organisations or sports types; OK hands back FSelect.
class TfrmSelectSpr : public QDialog {
    Q_OBJECT

  public:
    TfrmSelectSpr(Database& db, QWidget* parent);

    // Fills the list of a kind (lkClients, lkOrgs or lkVidSport); other kinds leave it empty.
    void LoadSpr(int kind);

    TIDName FSelect;
    int FTypeSpr = 0;

    SprGrid* DBGridSpr = nullptr;
    QFrame* PanSelClient = nullptr;
    QPushButton* btnSelect = nullptr;
    QPushButton* btnCancel = nullptr;

  public slots:
    void btnSelectClick();
    void DBGridSprCellClick();
    void DBGridSprDblClick();

  private:
    void setupUi();
    QString currentText(const QString& field) const;

    Database& m_db;
};
