// The --limit option of info and export: alarm limits given on the command
// line, or else the limits kept for the log's logger.
#pragma once

#include "CliCommon.h"

#include "logdata/LogAnalysis.h"

#include <optional>

class LogStore;

inline const CliOption LimitOption{"--limit", true, true};

inline constexpr const char* LimitOptionUsage =
    "  --limit CH:LOW:HIGH\n"
    "                     alarm limits of channel CH (1 to 3) in the log's unit;\n"
    "                     either side may be empty (1:2:8, 2::80, 1:-20:);\n"
    "                     repeatable; when given, the limits kept for the logger\n"
    "                     are not used\n";

// The limits of every --limit, or nullopt when none was given. A malformed
// one prints the reason and usage and sets exitCode to ExitUsage.
std::optional<LogLimits> ParseLimitOptions(const ParsedArgs& parsed, const char* usage, int& exitCode);

// The limits to use for the loaded log: those given, or else those kept for
// its logger.
LogLimits LimitsForLog(const std::optional<LogLimits>& given, const LogStore& store);
