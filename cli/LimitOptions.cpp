// The --limit option of info and export.
#include "LimitOptions.h"

#include "logdata/LimitSettings.h"
#include "logdata/LogStore.h"

#include <cmath>

namespace {

// One side: empty for unset, or a finite number.
bool parseSide(const QString& text, std::optional<double>& side)
{
    if (text.isEmpty()) {
        side.reset();
        return true;
    }
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    side = v;
    return true;
}

}  // namespace

std::optional<LogLimits> ParseLimitOptions(const ParsedArgs& parsed, const char* usage, int& exitCode)
{
    exitCode = ExitOk;
    const QStringList limitOptions = parsed.values(LimitOption.name);
    if (limitOptions.isEmpty())
        return std::nullopt;
    LogLimits limits;
    bool given[3] = {};
    for (const QString& option : limitOptions) {
        const QStringList parts = option.split(QLatin1Char(':'));
        bool channelOk = false;
        const int channel = parts.size() == 3 ? parts[0].toInt(&channelOk) : 0;
        if (!channelOk || channel < 1 || channel > 3) {
            exitCode = UsageError(
                QStringLiteral("--limit %1: give CH:LOW:HIGH with a channel of 1 to 3").arg(option), usage);
            return std::nullopt;
        }
        ChannelLimits& ch = limits.channel[channel - 1];
        if (!parseSide(parts[1], ch.low) || !parseSide(parts[2], ch.high)) {
            exitCode = UsageError(QStringLiteral("--limit %1: a limit is a number or nothing").arg(option), usage);
            return std::nullopt;
        }
        if (ch.low && ch.high && *ch.low > *ch.high) {
            exitCode = UsageError(QStringLiteral("--limit %1: the low limit is above the high limit").arg(option), usage);
            return std::nullopt;
        }
        if (given[channel - 1]) {
            exitCode = UsageError(QStringLiteral("--limit gives channel %1 twice").arg(channel), usage);
            return std::nullopt;
        }
        given[channel - 1] = true;
    }
    return limits;
}

LogLimits LimitsForLog(const std::optional<LogLimits>& given, const LogStore& store)
{
    if (given)
        return *given;
    return LoadLimits(QByteArray(store.loggerId, int(sizeof store.loggerId)));
}
