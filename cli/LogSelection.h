// Opening a log for a subcommand and narrowing it with --from/--to and --records.
#pragma once

#include "CliCommon.h"

class LogDocument;

// The options of LogSelection, for the option list of a subcommand.
inline const CliOption FromOption{"--from", true};
inline const CliOption ToOption{"--to", true};
inline const CliOption RecordsOption{"--records", true};

// The usage lines of the range options.
inline constexpr const char* RangeOptionsUsage =
    "  --from YYYYMMDD --to YYYYMMDD\n"
    "                     keep the records of these days, as the Query pane does\n"
    "  --records FIRST:END\n"
    "                     keep records FIRST to END - 1 (counted from 0), as a\n"
    "                     chart zoom does; applied after --from/--to\n";

// Opens the .logu file at path as the document's log: its statistics, and
// the open log's name and path (the report's title and the file whose
// SHA-256 it gives). Returns ExitOk, or prints the reason and returns ExitFailure.
int LoadLog(const QString& path, LogDocument& document);

// Applies --from/--to, then --records. Returns ExitOk, ExitFailure after the
// query's own messages, or ExitUsage after a usage error.
int ApplyRangeOptions(const ParsedArgs& parsed, LogDocument& document, const char* usage);
