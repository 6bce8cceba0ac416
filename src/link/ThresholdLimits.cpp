// The connected logger's alarm thresholds as alarm limits of its logs.
#include "link/ThresholdLimits.h"

#include "link/LoggerConfig.h"
#include "logdata/LimitSettings.h"

#include <QByteArray>

#include <algorithm>

LogLimits LimitsFromThresholds(const LoggerConfig& config)
{
    LogLimits limits;
    const struct {
        int low, high;
    } pairs[2] = {{config.alarmLow1, config.alarmHigh1}, {config.alarmLow2, config.alarmHigh2}};
    const int channels = config.channelCount < 0 ? 0 : std::min(config.channelCount, 2);
    for (int c = 0; c < channels; ++c) {
        if (pairs[c].high <= pairs[c].low)
            continue;
        limits.channel[c].low = pairs[c].low;
        limits.channel[c].high = pairs[c].high;
    }
    return limits;
}

bool AdoptThresholdsAsLimits(const LoggerConfig& config)
{
    const QByteArray id(config.loggerId, sizeof config.loggerId);
    bool userSet = false;
    LoadLimits(id, &userSet);
    if (userSet)
        return false;
    SaveLimits(id, LimitsFromThresholds(config), false);
    return true;
}
