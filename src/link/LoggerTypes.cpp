// Channel count and kinds of the connected logger from its type code.
#include "link/LoggerConfig.h"

#include "logdata/Units.h"

void ApplyLoggerType(LoggerConfig& config, uint8_t type)
{
    const LoggerTypeRow row = LookupLoggerType(type);
    config.channelCount = row.channelCount;
    // Kinds the row does not give keep what an earlier logger left there.
    for (int c = 0; c < 3; ++c) {
        if (row.setsKind[c])
            config.channelKind[c] = uint8_t(row.kind[c]);
    }
}
