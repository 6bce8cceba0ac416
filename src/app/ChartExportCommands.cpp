// The exports of the open log: records to a text, Excel or CSV file, the
// chart to a 16-bit BMP picture, the report to a PDF.
#include "app/ChartExportCommands.h"

#include "chart/ChartImage.h"
#include "formats/BmpWriter.h"
#include "formats/CsvExport.h"
#include "formats/ExcelExport.h"
#include "formats/PdfReport.h"
#include "formats/TxtExport.h"
#include "logdata/LogStore.h"
#include "logdata/OpenLogLimits.h"

#include <QDir>
#include <QImage>

ChartExportCommands::ChartExportCommands(LogStore& store, IExportHost& host, const OpenLogLimits* limits)
    : store_(store), host_(host), limits_(limits)
{
}

QString ChartExportCommands::RunExport(const char* filter, QString (*pathFor)(const QString&),
                                       const std::function<WriteResult(const QString&)>& write)
{
    const QString chosen = host_.ChooseExportPath(QString::fromLatin1(filter));
    if (chosen.isEmpty())
        return {};
    const QString path = pathFor(chosen);
    const WriteResult result = write(path);
    if (!result.ok) {
        host_.ShowMessage(result.message);
        return {};
    }
    // What a complete file still left out (a log longer than a sheet) is told.
    if (!result.notice.isEmpty())
        host_.ShowMessage(result.notice);
    return path;
}

QString ChartExportCommands::ExportTxt()
{
    return RunExport(TxtFilter, TxtExportPath, [this](const QString& path) { return ExportTxtFile(path, store_); });
}

QString ChartExportCommands::ExportExcel()
{
    return RunExport(ExcelFilter, ExcelExportPath, [this](const QString& path) { return ExportExcelFile(path, store_); });
}

QString ChartExportCommands::ExportBmp()
{
    return RunExport(BmpFilter, BmpExportPath, [this](const QString& path) {
        const QSize size = host_.ChartSize();
        store_.EnsureStatistics();
        // Drawn with the window's geometry and font, so the file shows what the
        // screen shows; an empty store leaves the picture black.
        const QImage image = RenderChartImage(store_, size, host_.ChartFont(), QImage::Format_RGB555,
                                              limits_ ? &limits_->get() : nullptr);
        if (image.isNull() && !size.isEmpty())
            return WriteResult{false,
                               QStringLiteral("%1\r\nThe picture of %2 x %3 pixels for %4 does not fit in memory.")
                                   .arg(QLatin1String(BmpExportFailedMessage))
                                   .arg(size.width())
                                   .arg(size.height())
                                   .arg(QDir::toNativeSeparators(path)),
                               {}};
        return WriteBmpFile(path, image);
    });
}

QString ChartExportCommands::ExportCsv()
{
    return RunExport(CsvFilter, CsvExportPath, [this](const QString& path) { return ExportCsvFile(path, store_); });
}

QString ChartExportCommands::ExportPdf()
{
    return RunExport(PdfFilter, PdfExportPath, [this](const QString& path) {
        return ExportPdfReport(path, store_, limits_ ? limits_->get() : LogLimits());
    });
}
