// Opening a log for a subcommand and narrowing it with --from/--to and --records.
#include "LogSelection.h"

#include "logdata/DateQuery.h"
#include "logdata/LogDocument.h"
#include "logdata/LogStore.h"

#include <QFileInfo>

int LoadLog(const QString& path, LogDocument& document)
{
    const LogDocument::LoadResult read =
        document.Open(QFileInfo(path).absoluteFilePath(), LogDocument::OpenSource::LogList);
    if (!read.ok())
        return Fail(read.message);
    return ExitOk;
}

namespace {

// "FIRST:END" as two numbers; false when the text is not of that form.
bool parseRecordRange(const QString& text, qint64& first, qint64& end)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return false;
    bool okFirst = false, okEnd = false;
    first = parts[0].toLongLong(&okFirst);
    end = parts[1].toLongLong(&okEnd);
    return okFirst && okEnd;
}

}  // namespace

int ApplyRangeOptions(const ParsedArgs& parsed, LogDocument& document, const char* usage)
{
    const LogStore& store = document.store();
    const bool hasFrom = parsed.has(FromOption.name), hasTo = parsed.has(ToOption.name);
    if (hasFrom != hasTo)
        return UsageError(QStringLiteral("--from and --to go together"), usage);
    if (hasFrom) {
        const int32_t from = DateFromText(parsed.value(FromOption.name));
        const int32_t to = DateFromText(parsed.value(ToOption.name));
        if (!IsValidDateRange(from, to))
            return Fail(QString::fromUtf8(DateRangeMessage));
        if (!document.NarrowToDates(from, to))
            return Fail(QString::fromLatin1(NoMatchedDataMessage));
    }

    if (parsed.has(RecordsOption.name)) {
        qint64 first = 0, end = 0;
        if (!parseRecordRange(parsed.value(RecordsOption.name), first, end))
            return UsageError(QStringLiteral("--records takes FIRST:END, two record numbers"), usage);
        if (first < 0 || end > qint64(store.recordCount))
            return UsageError(QStringLiteral("--records %1:%2 lies outside the %3 records of the log")
                                  .arg(first).arg(end).arg(store.recordCount),
                              usage);
        // FIRST >= END leaves the store as it is, as a zoom to nothing does.
        if (first < end)
            document.Narrow(int32_t(first), int32_t(end));
    }
    return ExitOk;
}
