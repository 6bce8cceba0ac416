// The alarm limits of the open log's logger, read once per logger.
#include "logdata/OpenLogLimits.h"

#include "logdata/LimitSettings.h"
#include "logdata/LogStore.h"

QByteArray OpenLogLimits::loggerId() const
{
    return QByteArray(store_.loggerId, sizeof store_.loggerId);
}

const LogLimits& OpenLogLimits::get() const
{
    const QByteArray id = loggerId();
    if (!loaded_ || id != loadedFor_) {
        limits_ = LoadLimits(id);
        loadedFor_ = id;
        loaded_ = true;
    }
    return limits_;
}

bool SameLimits(const LogLimits& a, const LogLimits& b)
{
    for (int c = 0; c < 3; ++c)
        if (a.channel[c].low != b.channel[c].low || a.channel[c].high != b.channel[c].high)
            return false;
    return true;
}
