#pragma once

#include <QDate>
#include <QDialog>
#include <QList>
#include <QMap>
#include <QString>

#include "cards/UnitSelSeans.h"

class Database;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class SprGrid;

// Fills a saved subscription from the weekly timetable of a sports type. The proposals lie in
// tWizardTMP under the signed-in user and the card until "Готово" copies them to the card's visits;
// each run sees, copies and drops only the rows it inserted, and every close drops them.
class TfrmWiz : public QDialog {
    Q_OBJECT

  public:
    TfrmWiz(Database& db, int idCard, QWidget* parent);

    // The weekday (1 = Monday .. 7 = Sunday) of the day found last.
    int GetDayNed() const { return FCurDate.dayOfWeek(); }

    const int IDCard;
    int VidSportID = -1;
    // The fee of the last price row found; the caller's value until one is found.
    double StrahVosn = 0;
    double StrahSumma = 0;

    QLineEdit* leVidSporta = nullptr;
    QToolButton* btnSelClient = nullptr;
    QComboBox* cbTypeCen = nullptr;
    QDateEdit* DTPSeans = nullptr;
    QToolButton* btnAdd = nullptr;
    QToolButton* btnDel = nullptr;
    QLineEdit* edKolvo = nullptr;
    QToolButton* btnCalcAll = nullptr;
    QLabel* stSum = nullptr;
    SprGrid* DBGridSelect = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnClose = nullptr;

  public slots:
    void btnSelClientClick();
    void cbTypeCenChange();
    void btnAddClick();
    void btnDelClick();
    void btnCalcAllClick();
    void btnSaveClick();
    void done(int result) override;

  private:
    void setupUi();
    QLayout* buildChoices();
    void LoadTypeCena();
    void LoadDataInView();
    void CalcSumma();
    int typeCenIndex() const;
    bool readyToPropose();
    QDate FindSeansDay(const QDate& from);
    bool chooseSeans(TSeansEntry* entry);
    // A visit to propose: the day found and the timetable entry chosen on it.
    struct TProposal {
        QDate day;
        TSeansEntry entry;
    };
    bool AddSeansInTablTMP(QList<TProposal>* proposals);
    void insertProposals(const QList<TProposal>& proposals);
    int insertProposal(const QDate& day, const TSeansEntry& entry);
    QString scope() const;

    Database& m_db;
    QList<int> FListIDTypeCen;
    QList<int> FListKolvoSeans;
    QList<double> FListStrahSumma;
    QList<TSeansEntry> FSeansList;
    QMap<int, TSeansEntry> FDaySeans;
    QDate FCurDate;
    QList<int> m_proposals;  // the IDs of this run's scratch rows
};
