// A connected logger's alarm thresholds read as alarm limits.
#include "link/ThresholdLimits.h"

#include "link/LoggerConfig.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(ThresholdLimitsTest, PairsOfTheLoggersChannelsWithHighAboveLow)
{
    using O = std::optional<double>;
    const struct {
        int channels;
        int8_t high1, low1, high2, low2;
        O low[3], high[3];
    } cases[] = {
        {2, 30, 0, 80, 20, {0.0, 20.0, {}}, {30.0, 80.0, {}}},
        {1, 30, 0, 80, 20, {0.0, {}, {}}, {30.0, {}, {}}},       // no channel 2
        {3, -5, -25, 90, 10, {-25.0, 10.0, {}}, {-5.0, 90.0, {}}},  // channel 3 has no thresholds
        {2, 0, 0, 80, 20, {{}, 20.0, {}}, {{}, 80.0, {}}},      // 0 and 0: unset
        {2, 10, 20, 20, 20, {{}, {}, {}}, {{}, {}, {}}},        // high not above low
        {0, 30, 0, 80, 20, {{}, {}, {}}, {{}, {}, {}}},         // unknown type
        {-7, 30, 0, 80, 20, {{}, {}, {}}, {{}, {}, {}}},
    };
    for (const auto& c : cases) {
        LoggerConfig config;
        config.channelCount = c.channels;
        config.alarmHigh1 = c.high1;
        config.alarmLow1 = c.low1;
        config.alarmHigh2 = c.high2;
        config.alarmLow2 = c.low2;
        const LogLimits l = LimitsFromThresholds(config);
        for (int ch = 0; ch < 3; ++ch) {
            EXPECT_EQ(l.channel[ch].low, c.low[ch]) << c.channels << " channels, CH" << ch + 1;
            EXPECT_EQ(l.channel[ch].high, c.high[ch]) << c.channels << " channels, CH" << ch + 1;
        }
    }
}

}  // namespace
