#pragma once

#include <QMap>
#include <QSqlQuery>
#include <QStringList>

#include <functional>
#include <optional>

#include "platform/ReportLayout.h"

class QPagedPaintDevice;
class QPageLayout;
class QPrinter;
class QWidget;

// One field of a custom connection as its owner declares it.
struct ReportField {
    QString name;
    int width = 0;
    QString fullName;
    QString description;
};

// A connection whose owner answers the row count (open), the fields and each row's values as text.
class CustomReportData : public ReportData {
  public:
    std::function<int()> onOpen;
    std::function<QList<ReportField>()> onGetCols;
    std::function<QStringList(int row)> onGetRow;

    int rowCount() override;
    QStringList columns() override;
    QString value(int row, int column) override;

  private:
    std::optional<int> m_rowCount;
    std::optional<QStringList> m_columns;
    int m_row = -1;
    QStringList m_values;
};

// A query's rows, read all at once when the report first asks, so no statement stays open.
class QueryReportData : public ReportData {
  public:
    // The query prepared and bound, not yet run.
    explicit QueryReportData(QSqlQuery&& query) : m_query(std::move(query)) {}

    int rowCount() override;
    QStringList columns() override;
    QString value(int row, int column) override;

  private:
    void read();

    QSqlQuery m_query;
    bool m_read = false;
    QStringList m_columns;
    QList<QStringList> m_rows;
};

// Runs the reports of a project file: parameters and data connections by name, one report selected,
// output to the printer, a preview or a file through one painting path.
class ReportEngine {
  public:
    void setParam(const QString& name, const QString& value) { m_params.insert(name, value); }
    void setProjectFile(const QString& file);
    // Reads the project (a missing one throws); false when the project has no report of that name.
    bool selectReport(const QString& name);
    // Connections are not owned and must outlive execute().
    void addData(const QString& name, ReportData* data) { m_data.insert(name, data); }
    void setPreviewTitle(const QString& title) { m_previewTitle = title; }
    // Adds RTF to the file formats.
    void enableRtf() { m_formats = QStringList{QStringLiteral("PDF"), QStringLiteral("RTF")}; }

    // The selected report laid out into pages.
    QList<ReportPage> layout() const;
    // Asks for the output and produces it; false when the person cancelled.
    bool execute(QWidget* parent);

    static const QString kOutputTitle;

  private:
    const ReportDefinition& selected() const;
    void preparePrinter(QPrinter& printer) const;
    // The report's page, painted whole without margins.
    QPageLayout pageLayout() const;
    // False when the painter cannot start on the device.
    bool paint(QPagedPaintDevice& device, int resolution, const QList<ReportPage>& pages) const;
    void writePdf(const QString& path, const QList<ReportPage>& pages) const;
    void writeRtf(const QString& path, const QList<ReportPage>& pages) const;

    QMap<QString, QString> m_params;
    QMap<QString, ReportData*> m_data;
    QString m_projectFile;
    QList<ReportDefinition> m_reports;
    QString m_selected;
    QString m_previewTitle = QStringLiteral("Отчет");
    QStringList m_formats{QStringLiteral("PDF")};
};
