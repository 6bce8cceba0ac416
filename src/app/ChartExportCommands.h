// The exports of the open log: records to a text, Excel or CSV file, the
// chart to a 16-bit BMP picture, the report to a PDF file.
#pragma once

#include "formats/WriteResult.h"

#include <functional>

#include <QFont>
#include <QSize>
#include <QString>

class LogStore;
class OpenLogLimits;

// What the exports need of the main window.
class IExportHost {
public:
    virtual ~IExportHost() = default;
    // The save dialog with this filter, asking before an existing file is
    // replaced; an empty path when the user cancels.
    virtual QString ChooseExportPath(const QString& filter) = 0;
    virtual void ShowMessage(const QString& text) = 0;
    // The chart view's client area and the font the view draws with.
    virtual QSize ChartSize() const = 0;
    virtual QFont ChartFont() const = 0;
};

// Each export writes what the store holds now, so a zoomed or queried log
// exports only the narrowed records. Failures go to the message dialog; a
// finished export says nothing unless it left records out.
class ChartExportCommands {
public:
    static constexpr const char* TxtFilter = "TXT file(*.txt)";
    static constexpr const char* ExcelFilter = "Excel file(*.xls)";
    static constexpr const char* BmpFilter = "BMP file(*.bmp)";
    static constexpr const char* CsvFilter = "CSV file(*.csv)";
    static constexpr const char* PdfFilter = "PDF file(*.pdf)";

    // With limits, the BMP picture draws the open log's alarm limits as the window does.
    ChartExportCommands(LogStore& store, IExportHost& host, const OpenLogLimits* limits = nullptr);

    // Each returns the path written, or an empty string when the user
    // cancelled or the export failed (and said why).
    QString ExportTxt();
    QString ExportExcel();
    QString ExportBmp();
    QString ExportCsv();
    // The report page and its summary page, with the open log's limits.
    QString ExportPdf();

private:
    // Asks for the path, applies the format's extension rule, writes, and
    // tells the user what failed or what the file left out. Returns the path
    // written, or an empty path.
    QString RunExport(const char* filter, QString (*pathFor)(const QString&),
                      const std::function<WriteResult(const QString&)>& write);

    LogStore& store_;
    IExportHost& host_;
    const OpenLogLimits* limits_ = nullptr;
};
