// The date range of the query pane: reading its texts and narrowing the store
// to the records of a range of days.
#include "logdata/DateQuery.h"

#include "logdata/LogStore.h"

#include <algorithm>

namespace {

// Leading decimal digits of at most n characters; 0 when there are none.
template <typename Char>
int32_t leadingNumber(const Char* text, int n)
{
    int32_t value = 0;
    // Eight digits at most, so the value stays below 10^8.
    for (int k = 0; k < n && text[k] >= '0' && text[k] <= '9'; ++k)
        value = value * 10 + int32_t(text[k] - '0');
    return value;
}

}  // namespace

int32_t DateFromText(const QString& text)
{
    if (text.size() != 8)
        return 0;
    return leadingNumber(text.utf16(), 8);
}

bool IsValidDateRange(int32_t from, int32_t to)
{
    return from > 10000000 && to > 10000000 && from <= to;
}

int32_t RecordDateNumber(const LogStore& store, uint32_t i)
{
    return leadingNumber(store.timestamp(i), 8);
}

DateRangeIndices FindDateRange(const LogStore& store, int32_t from, int32_t to)
{
    const uint32_t count = std::min(store.recordCount, LogCapacity);
    uint32_t start = 0;
    while (start < count && RecordDateNumber(store, start) < from)
        ++start;
    if (start == count)
        return {};
    uint32_t end = start;
    while (end < count && RecordDateNumber(store, end) <= to)
        ++end;
    if (end == start)
        return {};
    return {true, int32_t(start), int32_t(end)};
}

bool NarrowToDates(LogStore& store, int32_t from, int32_t to)
{
    const DateRangeIndices range = FindDateRange(store, from, to);
    if (!range.found)
        return false;
    store.NarrowRecords(range.first, range.end);
    return true;
}
