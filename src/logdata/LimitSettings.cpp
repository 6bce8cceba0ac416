#include "logdata/LimitSettings.h"

LogLimits LoadLimits(const QByteArray& loggerId, bool* userSet)
{
    (void)loggerId;
    if (userSet)
        *userSet = false;
    return {};
}

void SaveLimits(const QByteArray& loggerId, const LogLimits& limits, bool userSet)
{
    (void)loggerId;
    (void)limits;
    (void)userSet;
}
