// tessaview-cli info: a log's identity, counts, statistics and chart scales.
#include "CliCommon.h"
#include "LogSelection.h"

#include "logdata/LogStore.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const InfoUsage =
    "Usage: tessaview-cli info FILE.logu [--from YYYYMMDD --to YYYYMMDD] [--records FIRST:END] [--json]\n"
    "\n"
    "Shows the log's logger name and ID, temperature unit, record and channel\n"
    "counts, first and last time stamp, and per shown channel its unit, MAX, MIN\n"
    "and AVE, then the vertical scales of the chart.\n"
    "\n"
    "Options:\n"
    "%s"
    "  --json             print one JSON object instead of text\n";

QByteArray usageText()
{
    char text[1024];
    std::snprintf(text, sizeof text, InfoUsage, RangeOptionsUsage);
    return text;
}

int nameLength(const LogStore& store) { return int(strnlen(store.loggerName, 24)); }

QString stampText(const char* t)
{
    return PrintableBytes(t, 4) + QLatin1Char('-') + PrintableBytes(t + 4, 2) + QLatin1Char('-') +
           PrintableBytes(t + 6, 2) + QLatin1Char(' ') + PrintableBytes(t + 8, 2) + QLatin1Char(':') +
           PrintableBytes(t + 10, 2) + QLatin1Char(':') + PrintableBytes(t + 12, 2);
}

QString valueText(float v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", double(v));
    return QString::fromLatin1(text);
}

void printText(const QString& path, const LogStore& store)
{
    PrintLine(QStringLiteral("File:          %1").arg(TerminalText(path)));
    PrintLine(QStringLiteral("Logger name:   %1").arg(PrintableBytes(store.loggerName, nameLength(store))));
    PrintLine(QStringLiteral("Logger ID:     %1").arg(PrintableBytes(store.loggerId, 10)));
    PrintLine(QStringLiteral("Unit:          %1").arg(store.celsius ? QStringLiteral("Celsius") : QStringLiteral("Fahrenheit")));
    PrintLine(QStringLiteral("Records:       %1").arg(store.recordCount));
    PrintLine(QStringLiteral("Channels:      %1").arg(store.channelCount));
    if (store.recordCount == 0) {
        PrintLine(QStringLiteral("No records: no statistics and no chart."));
        return;
    }
    PrintLine(QStringLiteral("First record:  %1").arg(stampText(store.timestamp(0))));
    PrintLine(QStringLiteral("Last record:   %1").arg(stampText(store.timestamp(store.recordCount - 1))));
    for (int c = 0; c < store.shownChannels(); ++c) {
        const std::string& unit = store.unitText[c];
        PrintLine(QStringLiteral("Channel %1:     %2  MAX %3  MIN %4  AVE %5")
                      .arg(c + 1)
                      .arg(PrintableBytes(unit.data(), int(unit.size())), -12)
                      .arg(valueText(store.maxValue[c]), valueText(store.minValue[c]), valueText(store.aveValue[c])));
    }
    const int axes = store.shownChannels() >= 2 ? 2 : store.shownChannels();
    for (int a = 0; a < axes; ++a)
        PrintLine(QStringLiteral("Axis %1:        %2 to %3, step %4")
                      .arg(a)
                      .arg(store.axisBottom[a])
                      .arg(store.axisTop[a])
                      .arg(store.axisStep[a]));
}

template <typename T, typename Format>
QByteArray jsonArray(const T* values, int n, Format format)
{
    QByteArray json("[");
    for (int k = 0; k < n; ++k) {
        if (k > 0)
            json += ", ";
        json += format(values[k]);
    }
    return json + ']';
}

void printJson(const LogStore& store)
{
    const bool any = store.recordCount > 0;
    const auto number = [](auto v) { return QByteArray::number(v); };
    const auto floats = [&](const float* v) { return any ? jsonArray(v, 3, JsonFloat) : QByteArray("null"); };
    const auto axis = [&](const int32_t* v) { return any ? jsonArray(v, 2, number) : QByteArray("null"); };
    const auto stamp = [&](uint32_t i) {
        return any ? JsonBytes(store.timestamp(i), TimestampLength) : QByteArray("null");
    };

    QByteArray units("[");
    for (int c = 0; c < 3; ++c)
        units += (c ? ", " : "") + JsonBytes(store.unitText[c].data(), int(store.unitText[c].size()));
    units += ']';

    QByteArray json("{\n");
    json += "  \"loggerName\": " + JsonBytes(store.loggerName, nameLength(store)) + ",\n";
    json += "  \"loggerId\": " + JsonBytes(store.loggerId, 10) + ",\n";
    json += QByteArray("  \"celsius\": ") + (store.celsius ? "true" : "false") + ",\n";
    json += "  \"recordCount\": " + number(store.recordCount) + ",\n";
    json += "  \"channelCount\": " + number(store.channelCount) + ",\n";
    json += "  \"channelKind\": " + jsonArray(store.channelKind, 3, [](int8_t k) { return QByteArray::number(k); }) + ",\n";
    json += "  \"unitText\": " + units + ",\n";
    json += "  \"maxValue\": " + floats(store.maxValue) + ",\n";
    json += "  \"minValue\": " + floats(store.minValue) + ",\n";
    json += "  \"aveValue\": " + floats(store.aveValue) + ",\n";
    json += "  \"axisTop\": " + axis(store.axisTop) + ",\n";
    json += "  \"axisBottom\": " + axis(store.axisBottom) + ",\n";
    json += "  \"axisStep\": " + axis(store.axisStep) + ",\n";
    json += "  \"first\": " + stamp(0) + ",\n";
    json += "  \"last\": " + stamp(any ? store.recordCount - 1 : 0) + "\n";
    json += "}\n";
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
}

}  // namespace

int RunInfo(const QStringList& args)
{
    const QByteArray usage = usageText();
    ParsedArgs parsed;
    int exitCode = ExitOk;
    if (!ParseCommandLine(args, {FromOption, ToOption, RecordsOption, {"--json", false}}, usage.constData(), parsed,
                          exitCode))
        return exitCode;
    if (parsed.positional.size() != 1)
        return UsageError(QStringLiteral("info takes one log file"), usage.constData());

    LogStore store;
    const QString path = parsed.positional[0];
    if (const int loaded = LoadLog(path, store); loaded != ExitOk)
        return loaded;
    if (const int ranged = ApplyRangeOptions(parsed, store, usage.constData()); ranged != ExitOk)
        return ranged;

    if (parsed.has("--json"))
        printJson(store);
    else
        printText(path, store);
    return ExitOk;
}
