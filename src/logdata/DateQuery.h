// The date range of the query pane: reading its texts and narrowing the store
// to the records of a range of days.
#pragma once

#include <QString>

#include <cstdint>

class LogStore;

// Shown when a date text is unusable or the start is after the end; asks the
// user to choose correct start and end dates (UTF-8).
inline constexpr const char* DateRangeMessage = "请选择正确的起始日期后再进行操作！";
// Shown when no record falls in the range; the store keeps the whole log.
inline constexpr const char* NoMatchedDataMessage = "No matched data.";

// A date text of the query pane as a YYYYMMDD number: a text of exactly 8
// characters reads as its leading decimal digits (2011-3-8 reads as 2011), any
// other text as 0.
int32_t DateFromText(const QString& text);

// False when either date is 10000000 or less or the start is after the end;
// the caller then shows DateRangeMessage and does nothing else.
bool IsValidDateRange(int32_t from, int32_t to);

// Characters 0 to 7 of the stamp of record i, read as leading decimal digits.
int32_t RecordDateNumber(const LogStore& store, uint32_t i);

// Records first … end − 1: from the first record dated on or after `from` up
// to, not including, the first later record dated after `to`.
struct DateRangeIndices {
    bool found = false;  // false: no record in the range
    int32_t first = 0;
    int32_t end = 0;
};
DateRangeIndices FindDateRange(const LogStore& store, int32_t from, int32_t to);

// Keeps the records of the range and computes their statistics. Returns false,
// leaving the store as it was, when no record falls in the range (the caller
// shows NoMatchedDataMessage). The caller reloads the whole log first.
bool NarrowToDates(LogStore& store, int32_t from, int32_t to);
