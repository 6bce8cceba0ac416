// The three exports of the open log: records to a text file or an Excel
// workbook, the chart to a 16-bit BMP picture.
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

QString ChartExportCommands::ExportTxt()
{
    const QString chosen = host_.ChooseExportPath(QString::fromLatin1(TxtFilter));
    if (chosen.isEmpty())
        return {};
    const QString path = TxtExportPath(chosen);
    const WriteResult result = ExportTxtFile(path, store_);
    if (!result.ok) {
        host_.ShowMessage(result.message);
        return {};
    }
    return path;
}

QString ChartExportCommands::ExportExcel()
{
    const QString chosen = host_.ChooseExportPath(QString::fromLatin1(ExcelFilter));
    if (chosen.isEmpty())
        return {};
    const QString path = ExcelExportPath(chosen);
    const WriteResult result = ExportExcelFile(path, store_);
    if (!result.ok) {
        host_.ShowMessage(result.message);
        return {};
    }
    // A log longer than a sheet loses its oldest records: the user is told.
    if (!result.notice.isEmpty())
        host_.ShowMessage(result.notice);
    return path;
}

QString ChartExportCommands::ExportBmp()
{
    const QString chosen = host_.ChooseExportPath(QString::fromLatin1(BmpFilter));
    if (chosen.isEmpty())
        return {};
    const QString path = BmpExportPath(chosen);
    const QSize size = host_.ChartSize();
    store_.EnsureStatistics();
    // Drawn with the window's geometry and font, so the file shows what the
    // screen shows; an empty store leaves the picture black.
    const QImage image = RenderChartImage(store_, size, host_.ChartFont(), QImage::Format_RGB555,
                                          limits_ ? &limits_->get() : nullptr);
    if (image.isNull() && !size.isEmpty()) {
        host_.ShowMessage(QStringLiteral("%1\r\nThe picture of %2 x %3 pixels for %4 does not fit in memory.")
                              .arg(QLatin1String(BmpExportFailedMessage))
                              .arg(size.width())
                              .arg(size.height())
                              .arg(QDir::toNativeSeparators(path)));
        return {};
    }
    const WriteResult result = WriteBmpFile(path, image);
    if (!result.ok) {
        host_.ShowMessage(result.message);
        return {};
    }
    return path;
}

QString ChartExportCommands::ExportCsv()
{
    const QString chosen = host_.ChooseExportPath(QString::fromLatin1(CsvFilter));
    if (chosen.isEmpty())
        return {};
    const QString path = CsvExportPath(chosen);
    const WriteResult result = ExportCsvFile(path, store_);
    if (!result.ok) {
        host_.ShowMessage(result.message);
        return {};
    }
    if (!result.notice.isEmpty())
        host_.ShowMessage(result.notice);
    return path;
}

QString ChartExportCommands::ExportPdf()
{
    const QString chosen = host_.ChooseExportPath(QString::fromLatin1(PdfFilter));
    if (chosen.isEmpty())
        return {};
    const QString path = PdfExportPath(chosen);
    const WriteResult result = ExportPdfReport(path, store_, limits_ ? limits_->get() : LogLimits());
    if (!result.ok) {
        host_.ShowMessage(result.message);
        return {};
    }
    if (!result.notice.isEmpty())
        host_.ShowMessage(result.notice);
    return path;
}
