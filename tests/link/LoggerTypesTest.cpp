// Channel count and kinds of the connected logger from its type code.
#include "link/LoggerConfig.h"

#include <gtest/gtest.h>

namespace {

struct TypeCase {
    uint8_t before;  // type applied first, to show which kinds stay unchanged
    uint8_t type;
    int channels;
    uint8_t kinds[3];
};

TEST(LoggerTypesTest, AppliesTheRowAndKeepsTheKindsItLeavesUnchanged)
{
    const TypeCase cases[] = {
        {8, 2, 1, {0, 1, 7}},    // one channel: channels 2 and 3 keep type 8's kinds
        {0, 9, 2, {3, 0, 1}},
        {6, 1, 2, {0, 1, 6}},
        {8, 4, 1, {2, 1, 7}},
        {8, 10, 1, {7, 1, 7}},
        {1, 0, 3, {0, 1, 8}},
        {1, 200, 3, {0, 1, 8}},
    };
    for (const TypeCase& k : cases) {
        LoggerConfig c;
        ApplyLoggerType(c, k.before);
        ApplyLoggerType(c, k.type);
        EXPECT_EQ(c.channelCount, k.channels) << int(k.type);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(c.channelKind[i], k.kinds[i]) << "type " << int(k.type) << " channel " << i + 1;
    }
}

TEST(LoggerTypesTest, KindsNeverSetStayZero)
{
    LoggerConfig c;
    ApplyLoggerType(c, 2);
    EXPECT_EQ(c.channelKind[1], 0);
    EXPECT_EQ(c.channelKind[2], 0);
}

}  // namespace
