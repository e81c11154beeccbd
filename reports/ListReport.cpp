#include "reports/ListReport.h"

#include <QApplication>
#include <QDateEdit>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "common/UnitConst.h"
#include "platform/Database.h"
#include "platform/FormWidgets.h"
#include "platform/LocaleFormat.h"
#include "platform/ReportEngine.h"

namespace ListReport {

namespace {

QLabel* newLabel(QWidget& parent, const char* name, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, &parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(buddy);
    return label;
}

}  // namespace

QString periodText(const QDateEdit& begin, const QDateEdit& end) {
    return QStringLiteral("Период:  ") + shortDateText(begin.date()) + QLatin1Char('-') + shortDateText(end.date());
}

// The end takes the day's last second, so that cards issued in its last minute are counted.
void addPeriodRows(QWidget& dialog, QGridLayout& grid, QDateEdit*& begin, QDateEdit*& end) {
    begin = newDatePicker(&dialog, "dtBegin", QTime(0, 0, 0));
    end = newDatePicker(&dialog, "dtEnd", QTime(23, 59, 59));
    grid.addWidget(newLabel(dialog, "Label1", QStringLiteral("Начало периода:"), begin), 0, 0);
    grid.addWidget(begin, 0, 1);
    grid.addWidget(newLabel(dialog, "Label2", QStringLiteral("Конец периода:"), end), 1, 0);
    grid.addWidget(end, 1, 1);
}

QPushButton* addButtons(QDialog& dialog, QGridLayout& grid) {
    auto* make = new QPushButton(QStringLiteral("Сформировать"), &dialog);
    make->setObjectName(QStringLiteral("btnRepTXT"));
    make->setIcon(QApplication::style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    make->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), &dialog);
    close->setObjectName(QStringLiteral("btnClose"));
    close->setAutoDefault(false);
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(make);
    row->addWidget(close);
    grid.addLayout(row, grid.rowCount(), 0, 1, grid.columnCount());
    return make;
}

bool execute(Database& db, const Run& run, QWidget* parent) {
    SqlQuery query(db);
    query.addParam(QStringLiteral("pDateRecBeg"), FieldType::DateTime, run.begin)
        .addParam(QStringLiteral("pDateRecEnd"), FieldType::DateTime, run.end);
    QueryReportData rows(query.prepared(run.sql));
    ReportEngine engine;
    engine.enableRtf();
    for (const auto& [name, value] : run.params) {
        engine.setParam(name, value);
    }
    engine.setProjectFile(gAppPath + run.project);
    engine.selectReport(run.report);
    engine.addData(run.dataName, &rows);
    return engine.execute(parent);
}

}  // namespace ListReport
