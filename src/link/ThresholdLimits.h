// The connected logger's alarm thresholds as alarm limits of its logs.
#pragma once

#include "logdata/LogAnalysis.h"

struct LoggerConfig;

// The thresholds of channels 1 and 2 (those the logger has) as limits in the
// logger's unit. A pair whose high is not above its low (an unset 0 and 0
// among them) sets no limit on that channel.
LogLimits LimitsFromThresholds(const LoggerConfig& config);

// On connecting: the logger's thresholds become its stored limits, unless
// the user has chosen limits for this logger. Returns true when they did.
bool AdoptThresholdsAsLimits(const LoggerConfig& config);
