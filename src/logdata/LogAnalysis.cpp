#include "logdata/LogAnalysis.h"

#include "logdata/LogStore.h"

bool LogLimits::any() const
{
    for (const ChannelLimits& c : channel)
        if (c.low || c.high)
            return true;
    return false;
}

LogSummary AnalyseLog(const LogStore& store, const LogLimits& limits)
{
    (void)limits;
    LogSummary s;
    s.recordCount = store.recordCount;
    return s;
}
