// tessaview-cli export: the records of a log as text, CSV or an Excel
// workbook, the chart as a BMP picture, the report as a PDF file.
#include "CliCommon.h"
#include "LimitOptions.h"
#include "LogSelection.h"

#include "chart/ChartImage.h"
#include "formats/BmpWriter.h"
#include "formats/CsvExport.h"
#include "formats/ExcelExport.h"
#include "formats/PdfReport.h"
#include "logdata/LogDocument.h"
#include "formats/TxtExport.h"
#include "logdata/LogStore.h"

#include <QDir>
#include <QGuiApplication>
#include <QRegularExpression>

#include <cstdio>

namespace {

const char* const ExportUsage =
    "Usage: tessaview-cli export FILE.logu --txt OUT|--csv OUT|--xls OUT|--bmp OUT|--pdf OUT ...\n"
    "                     [--size WxH] [--from YYYYMMDD --to YYYYMMDD] [--records FIRST:END]\n"
    "                     [--limit CH:LOW:HIGH]...\n"
    "\n"
    "Writes the records of the log (or of the range chosen) as the program's\n"
    "exports do; give one or several outputs. Each OUT is replaced when it\n"
    "exists, and only once the new file is complete.\n"
    "\n"
    "Options:\n"
    "  --txt OUT          tab-separated text as \"Save To Txt\" writes it; \".txt\" is\n"
    "                     appended when the file name has no '.'\n"
    "  --csv OUT          CSV (RFC 4180, UTF-8, CR LF): SN, Timestamp and one column\n"
    "                     per channel; \".csv\" is appended when the file name has no '.'\n"
    "  --xls OUT          an Excel 97-2003 workbook with the sheet logs (the newest\n"
    "                     65535 records); \".xls\" is appended when the file name has no '.'\n"
    "  --bmp OUT          the chart as a 16-bit BMP picture; \".bmp\" is appended unless\n"
    "                     the file name ends with it\n"
    "  --size WxH         the picture's size in pixels (default 1280x800)\n"
    "  --pdf OUT          the report: the printed chart page and a summary page with\n"
    "                     the statistics, limits, excursions and the log file's SHA-256;\n"
    "                     \".pdf\" is appended when the file name has no '.'\n"
    "%s"
    "%s";

QByteArray usageText()
{
    char text[4096];
    std::snprintf(text, sizeof text, ExportUsage, RangeOptionsUsage, LimitOptionUsage);
    return text;
}

// The outputs in the order they are written.
const char* const OutputOptions[] = {"--txt", "--csv", "--xls", "--bmp", "--pdf"};

constexpr QSize DefaultPictureSize(1280, 800);
constexpr int MaxPictureSide = 16384;

// The path written for the OUT of an output option: each format's own rule
// for a missing extension.
QString OutputPath(const QString& option, const QString& out)
{
    if (option == QLatin1String("--txt"))
        return TxtExportPath(out);
    if (option == QLatin1String("--csv"))
        return CsvExportPath(out);
    if (option == QLatin1String("--xls"))
        return ExcelExportPath(out);
    if (option == QLatin1String("--bmp"))
        return BmpExportPath(out);
    return PdfExportPath(out);
}

bool parseSize(const QString& text, QSize& size)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return false;
    size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
    return size.width() >= 1 && size.height() >= 1 && size.width() <= MaxPictureSide &&
           size.height() <= MaxPictureSide;
}

// A failure of one output: its message on stderr.
bool failed(const QString& message)
{
    Fail(message);
    return false;
}

// Something the user should know about an output that was written: stderr.
void printNotice(const QString& notice)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", notice.toUtf8().constData());
}

// Writes one output; prints what was written, or the failure on stderr.
bool writeOutput(const QString& option, const QString& path, LogStore& store, QSize pictureSize,
                 const LogLimits& limits)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (option == QLatin1String("--txt")) {
        const WriteResult result = ExportTxtFile(path, store);
        if (!result.ok)
            return failed(result.message);
    } else if (option == QLatin1String("--csv")) {
        const WriteResult result = ExportCsvFile(path, store);
        if (!result.ok)
            return failed(result.message);
    } else if (option == QLatin1String("--xls")) {
        const WriteResult result = ExportExcelFile(path, store);
        if (!result.ok)
            return failed(result.message);
        if (!result.notice.isEmpty())
            printNotice(result.notice);
    } else if (option == QLatin1String("--bmp")) {
        store.EnsureStatistics();
        const QImage image = RenderChartImage(store, pictureSize, QGuiApplication::font(), QImage::Format_RGB555);
        if (image.isNull())
            return failed(QStringLiteral("%1\r\nThe picture of %2 x %3 pixels for %4 does not fit in memory.")
                              .arg(QLatin1String(BmpExportFailedMessage))
                              .arg(pictureSize.width())
                              .arg(pictureSize.height())
                              .arg(shown));
        const WriteResult result = WriteBmpFile(path, image);
        if (!result.ok)
            return failed(result.message);
        PrintLine(QStringLiteral("Drew the chart of %1 records, %2 x %3 pixels, to %4")
                      .arg(store.recordCount)
                      .arg(pictureSize.width())
                      .arg(pictureSize.height())
                      .arg(shown));
        return true;
    } else {
        const WriteResult result = ExportPdfReport(path, store, limits);
        if (!result.ok)
            return failed(result.message);
        PrintLine(QStringLiteral("Wrote the report of %1 records to %2").arg(store.recordCount).arg(shown));
        return true;
    }
    PrintLine(QStringLiteral("Exported %1 records to %2").arg(store.recordCount).arg(shown));
    return true;
}

}  // namespace

int RunExport(const QStringList& args)
{
    const QByteArray usage = usageText();
    ParsedArgs parsed;
    int exitCode = ExitOk;
    std::vector<CliOption> options{FromOption, ToOption, RecordsOption, LimitOption, {"--size", true}};
    for (const char* output : OutputOptions)
        options.push_back({output, true});
    if (!ParseCommandLine(args, options, usage.constData(), parsed, exitCode))
        return exitCode;
    if (parsed.positional.size() != 1)
        return UsageError(QStringLiteral("export takes one log file"), usage.constData());
    QStringList outputs;
    for (const char* output : OutputOptions) {
        if (!parsed.has(output))
            continue;
        if (parsed.value(output).isEmpty())
            return UsageError(QStringLiteral("%1 needs a file name").arg(QLatin1String(output)), usage.constData());
        outputs << QLatin1String(output);
    }
    if (outputs.isEmpty())
        return UsageError(QStringLiteral("export needs an output: --txt OUT, --csv OUT, --xls OUT, --bmp OUT or --pdf OUT"),
                          usage.constData());
    QSize pictureSize = DefaultPictureSize;
    if (parsed.has("--size")) {
        if (!parsed.has("--bmp"))
            return UsageError(QStringLiteral("--size goes with --bmp"), usage.constData());
        if (!parseSize(parsed.value("--size"), pictureSize))
            return UsageError(QStringLiteral("--size takes WxH, each from 1 to %1 pixels").arg(MaxPictureSide),
                              usage.constData());
    }
    const std::optional<LogLimits> given = ParseLimitOptions(parsed, usage.constData(), exitCode);
    if (exitCode != ExitOk)
        return exitCode;

    LogStore store;
    LogDocument document(store);
    if (const int loaded = LoadLog(parsed.positional[0], document); loaded != ExitOk)
        return loaded;
    if (const int ranged = ApplyRangeOptions(parsed, document, usage.constData()); ranged != ExitOk)
        return ranged;
    // The program offers the exports only for a log with records.
    if (store.recordCount == 0)
        return Fail(QStringLiteral("The log holds no records: there is nothing to export."));
    const LogLimits limits = LimitsForLog(given, store);

    // Every output is tried; one that fails does not keep the others from being written.
    bool allWritten = true;
    for (const QString& option : outputs)
        allWritten &= writeOutput(option, OutputPath(option, parsed.value(option.toLatin1().constData())), store,
                                  pictureSize, limits);
    return allWritten ? ExitOk : ExitFailure;
}
