#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QTime>

class Database;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// One timetable entry of a sports type on a weekday.
struct TSeansEntry {
    QTime Time;
    int ZalID = 0;
    QString NameZal;
};

// The timetable of a sports type on a weekday (1 = Monday .. 7 = Sunday), earliest first.
QList<TSeansEntry> LoadDaySeans(Database& db, int vidSport, int dayNed);

// Asks which of a weekday's timetable entries, already read, a visit takes.
class TfrmSelSeans : public QDialog {
    Q_OBJECT

  public:
    TfrmSelSeans(const QList<TSeansEntry>& entries, int dayNed, QWidget* parent);

    // The chosen entry; an empty entry when the day has none.
    TSeansEntry GetSeans() const;

    QLabel* stZal = nullptr;
    QComboBox* cbSeans = nullptr;
    QCheckBox* cbSaveSel = nullptr;
    QPushButton* btnSelect = nullptr;

  public slots:
    void cbSeansChange();

  private:
    void setupUi(int dayNed);

    QList<TSeansEntry> FListSeans;
};
