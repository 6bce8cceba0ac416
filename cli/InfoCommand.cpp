// tessaview-cli info: a log's identity, counts, statistics and chart scales.
#include "CliCommon.h"
#include "LimitOptions.h"
#include "LogSelection.h"

#include "formats/PdfReport.h"
#include "logdata/LogAnalysis.h"
#include "logdata/LogDocument.h"
#include "logdata/LogStore.h"

#include <QLocale>

#include <cmath>

#include <cstdio>
#include <cstring>

namespace {

const char* const InfoUsage =
    "Usage: tessaview-cli info FILE.logu [--from YYYYMMDD --to YYYYMMDD] [--records FIRST:END]\n"
    "                     [--limit CH:LOW:HIGH]... [--json]\n"
    "\n"
    "Shows the log's logger name and ID, temperature unit, record and channel\n"
    "counts, first and last time stamp, interval and duration, and per shown\n"
    "channel its unit, MAX, MIN and AVE with the time of MAX and MIN, the mean\n"
    "kinetic temperature of a temperature channel, and with alarm limits the\n"
    "excursions beyond them; then the vertical scales of the chart.\n"
    "\n"
    "Options:\n"
    "%s"
    "%s"
    "  --json             print one JSON object instead of text\n";

QByteArray usageText()
{
    char text[2048];
    std::snprintf(text, sizeof text, InfoUsage, RangeOptionsUsage, LimitOptionUsage);
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

QString limitText(const std::optional<double>& limit)
{
    return limit ? QString::number(*limit, 'g', QLocale::FloatingPointShortest) : QStringLiteral("none");
}

QString doubleText(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", v);
    return QString::fromLatin1(text);
}

QString summaryStamp(const QByteArray& stamp)
{
    return stamp.size() == TimestampLength ? stampText(stamp.constData()) : QStringLiteral("-");
}

// What the analysis adds below a channel's MAX/MIN/AVE line.
void printChannelAnalysis(const ChannelSummary& ch, bool withLimits)
{
    QString line = QStringLiteral("               MAX at %1  MIN at %2")
                       .arg(summaryStamp(ch.maxTime), summaryStamp(ch.minTime));
    if (ch.mkt)
        line += QStringLiteral("  MKT %1").arg(doubleText(*ch.mkt));
    PrintLine(line);
    if (!withLimits)
        return;
    PrintLine(QStringLiteral("               Limits: low %1, high %2").arg(limitText(ch.limitLow), limitText(ch.limitHigh)));
    const auto side = [](const char* name, int runs, int64_t seconds, const QByteArray& first) {
        QString text = QStringLiteral("               %1: %2 excursion%3, %4")
                           .arg(QLatin1String(name))
                           .arg(runs)
                           .arg(runs == 1 ? QString() : QStringLiteral("s"))
                           .arg(ReportDurationText(seconds));
        if (!first.isEmpty())
            text += QStringLiteral(", first at %1").arg(summaryStamp(first));
        PrintLine(text);
    };
    if (ch.limitHigh)
        side("Above", ch.excursionsAbove, ch.secondsAbove, ch.firstAbove);
    if (ch.limitLow)
        side("Below", ch.excursionsBelow, ch.secondsBelow, ch.firstBelow);
}

void printText(const QString& path, const LogStore& store, const LogLimits& limits)
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
    const LogSummary summary = AnalyseLog(store, limits);
    PrintLine(QStringLiteral("Interval:      %1")
                  .arg(summary.intervalSeconds > 0 ? ReportDurationText(summary.intervalSeconds) : QStringLiteral("-")));
    PrintLine(QStringLiteral("Duration:      %1").arg(ReportDurationText(summary.durationSeconds)));
    for (int c = 0; c < store.shownChannels(); ++c) {
        const std::string& unit = store.unitText[c];
        PrintLine(QStringLiteral("Channel %1:     %2  MAX %3  MIN %4  AVE %5")
                      .arg(c + 1)
                      .arg(PrintableBytes(unit.data(), int(unit.size())), -12)
                      .arg(valueText(store.maxValue[c]), valueText(store.minValue[c]), valueText(store.aveValue[c])));
        printChannelAnalysis(summary.channel[c], limits.any());
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

// A double as a JSON number that reads back as the same double; null for
// NaN and infinities.
QByteArray jsonDouble(double v)
{
    if (!std::isfinite(v))
        return "null";
    return QString::number(v, 'g', QLocale::FloatingPointShortest).toLatin1();
}

// One entry per channel, null for a channel not shown or where pick gives
// nothing.
template <typename Pick>
QByteArray channelArray(const LogSummary& s, Pick pick)
{
    QByteArray json("[");
    for (int c = 0; c < 3; ++c) {
        if (c > 0)
            json += ", ";
        const QByteArray v = s.channel[c].present ? pick(s.channel[c]) : QByteArray();
        json += v.isEmpty() ? QByteArray("null") : v;
    }
    return json + ']';
}

QByteArray analysisJson(const LogStore& store, const LogLimits& limits)
{
    const LogSummary s = AnalyseLog(store, limits);
    const auto stamp = [](const QByteArray& t) { return t.isEmpty() ? QByteArray() : JsonBytes(t.constData(), int(t.size())); };
    const auto optional = [](const std::optional<double>& v) { return v ? jsonDouble(*v) : QByteArray(); };
    QByteArray json;
    json += "  \"intervalSeconds\": " + QByteArray::number(qint64(s.intervalSeconds)) + ",\n";
    json += "  \"durationSeconds\": " + QByteArray::number(qint64(s.durationSeconds)) + ",\n";
    json += "  \"maxTime\": " + channelArray(s, [&](const ChannelSummary& ch) { return stamp(ch.maxTime); }) + ",\n";
    json += "  \"minTime\": " + channelArray(s, [&](const ChannelSummary& ch) { return stamp(ch.minTime); }) + ",\n";
    json += "  \"mkt\": " + channelArray(s, [&](const ChannelSummary& ch) { return optional(ch.mkt); }) + ",\n";
    if (!limits.any())
        return json;
    // The figures of a side apply only where that side has a limit.
    const auto high = [](auto f) {
        return [f](const ChannelSummary& ch) { return ch.limitHigh ? f(ch) : QByteArray(); };
    };
    const auto low = [](auto f) {
        return [f](const ChannelSummary& ch) { return ch.limitLow ? f(ch) : QByteArray(); };
    };
    const auto number = [](auto v) { return QByteArray::number(qint64(v)); };
    json += "  \"limitLow\": " + channelArray(s, [&](const ChannelSummary& ch) { return optional(ch.limitLow); }) + ",\n";
    json += "  \"limitHigh\": " + channelArray(s, [&](const ChannelSummary& ch) { return optional(ch.limitHigh); }) + ",\n";
    json += "  \"excursionsAbove\": " + channelArray(s, high([&](const ChannelSummary& ch) { return number(ch.excursionsAbove); })) + ",\n";
    json += "  \"excursionsBelow\": " + channelArray(s, low([&](const ChannelSummary& ch) { return number(ch.excursionsBelow); })) + ",\n";
    json += "  \"secondsAbove\": " + channelArray(s, high([&](const ChannelSummary& ch) { return number(ch.secondsAbove); })) + ",\n";
    json += "  \"secondsBelow\": " + channelArray(s, low([&](const ChannelSummary& ch) { return number(ch.secondsBelow); })) + ",\n";
    json += "  \"firstAbove\": " + channelArray(s, high([&](const ChannelSummary& ch) { return stamp(ch.firstAbove); })) + ",\n";
    json += "  \"firstBelow\": " + channelArray(s, low([&](const ChannelSummary& ch) { return stamp(ch.firstBelow); })) + ",\n";
    return json;
}

void printJson(const LogStore& store, const LogLimits& limits)
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
    json += analysisJson(store, limits);
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
    if (!ParseCommandLine(args, {FromOption, ToOption, RecordsOption, LimitOption, {"--json", false}},
                          usage.constData(), parsed, exitCode))
        return exitCode;
    if (parsed.positional.size() != 1)
        return UsageError(QStringLiteral("info takes one log file"), usage.constData());
    const std::optional<LogLimits> given = ParseLimitOptions(parsed, usage.constData(), exitCode);
    if (exitCode != ExitOk)
        return exitCode;

    LogStore store;
    LogDocument document(store);
    const QString path = parsed.positional[0];
    if (const int loaded = LoadLog(path, document); loaded != ExitOk)
        return loaded;
    if (const int ranged = ApplyRangeOptions(parsed, document, usage.constData()); ranged != ExitOk)
        return ranged;

    const LogLimits limits = LimitsForLog(given, store);
    if (parsed.has("--json"))
        printJson(store, limits);
    else
        printText(path, store, limits);
    return ExitOk;
}
