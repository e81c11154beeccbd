#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

class Database;
class QDateEdit;
class QDialog;
class QGridLayout;
class QPushButton;
class QWidget;

// What the two list reports share: their period pickers, their buttons and their run.
namespace ListReport {

// "Период:  " + begin date + "-" + end date.
QString periodText(const QDateEdit& begin, const QDateEdit& end);
// The period rows: "Начало периода:" dtBegin and "Конец периода:" dtEnd, today 00:00:00 to 23:59:59.
void addPeriodRows(QWidget& dialog, QGridLayout& grid, QDateEdit*& begin, QDateEdit*& end);
// "Сформировать" and "Закрыть" under the grid; the first is handed back to be connected.
QPushButton* addButtons(QDialog& dialog, QGridLayout& grid);

struct Run {
    QString sql;  // with the parameters :pDateRecBeg and :pDateRecEnd
    QDateTime begin;
    QDateTime end;
    QString project;  // the file name beside the executable
    QString report;
    QString dataName;
    QList<QPair<QString, QString>> params;
};
// Runs the report on the query's rows, offering PDF and RTF files; false when the output was cancelled.
bool execute(Database& db, const Run& run, QWidget* parent);

}  // namespace ListReport
