// Cold-chain analysis of the shown records: extremes with their stamps, the
// mean kinetic temperature, and excursions beyond per-channel alarm limits.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

class LogStore;

// Alarm limits of one channel, in the log's unit (°C or °F, %RH, ...). Either
// side may be unset.
struct ChannelLimits {
    std::optional<double> low, high;
};

struct LogLimits {
    ChannelLimits channel[3];
    bool any() const;  // any side of any channel set
};

struct ChannelSummary {
    bool present = false;              // channel shown (index < channelCount, clamped 0..3)
    double max = 0, min = 0, ave = 0;
    QByteArray maxTime, minTime;       // 14-digit stamps, first occurrence
    std::optional<double> mkt;         // temperature channels (kind 0) only, in the log's unit
    std::optional<double> limitLow, limitHigh;
    int excursionsAbove = 0, excursionsBelow = 0;   // runs of consecutive records beyond the limit
    int64_t secondsAbove = 0, secondsBelow = 0;     // records beyond x interval
    QByteArray firstAbove, firstBelow;              // empty when none
};

struct LogSummary {
    uint32_t recordCount = 0;
    QByteArray first, last;            // 14-digit stamps; empty for an empty log
    int64_t durationSeconds = 0;       // last - first
    int64_t intervalSeconds = 0;       // most common gap between consecutive stamps (0 if < 2 records)
    ChannelSummary channel[3];
};

// One pass over the store's current records (after a zoom or query, the
// narrowed ones).
LogSummary AnalyseLog(const LogStore& store, const LogLimits& limits);
