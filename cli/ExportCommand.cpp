// tessaview-cli export: the records of a log as a tab-separated text file.
#include "CliCommon.h"
#include "LogSelection.h"

#include "logdata/LogStore.h"
#include "logdata/TxtExport.h"

#include <cstdio>

namespace {

const char* const ExportUsage =
    "Usage: tessaview-cli export FILE.logu --txt OUT [--from YYYYMMDD --to YYYYMMDD] [--records FIRST:END]\n"
    "\n"
    "Writes the records of the log (or of the range chosen) as the program's\n"
    "\"Save To Txt\" does: a header line with the unit texts, then one line per\n"
    "record with its number, date, time and values, tab-separated, CR LF ended.\n"
    "\".txt\" is appended to OUT when its file name holds no '.' (dots in folder\n"
    "names do not count).\n"
    "\n"
    "Options:\n"
    "  --txt OUT          the text file to write (replaced when it exists)\n"
    "%s";

QByteArray usageText()
{
    char text[1024];
    std::snprintf(text, sizeof text, ExportUsage, RangeOptionsUsage);
    return text;
}

}  // namespace

int RunExport(const QStringList& args)
{
    const QByteArray usage = usageText();
    ParsedArgs parsed;
    int exitCode = ExitOk;
    if (!ParseCommandLine(args, {FromOption, ToOption, RecordsOption, {"--txt", true}}, usage.constData(), parsed,
                          exitCode))
        return exitCode;
    if (parsed.positional.size() != 1)
        return UsageError(QStringLiteral("export takes one log file"), usage.constData());
    if (!parsed.has("--txt") || parsed.value("--txt").isEmpty())
        return UsageError(QStringLiteral("export needs --txt OUT"), usage.constData());

    LogStore store;
    if (const int loaded = LoadLog(parsed.positional[0], store); loaded != ExitOk)
        return loaded;
    if (const int ranged = ApplyRangeOptions(parsed, store, usage.constData()); ranged != ExitOk)
        return ranged;
    // The program offers the export only for a log with records.
    if (store.recordCount == 0)
        return Fail(QStringLiteral("The log holds no records: there is nothing to export."));

    const QString out = TxtExportPath(parsed.value("--txt"));
    const TxtExportResult result = ExportTxtFile(out, store);
    if (!result.ok)
        return Fail(result.message);
    PrintLine(QStringLiteral("Exported %1 records to %2").arg(store.recordCount).arg(out));
    return ExitOk;
}
