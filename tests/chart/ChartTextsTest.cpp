// The texts of the chart: title, header rows, axis titles and labels.
#include "chart/ChartTexts.h"

#include "logdata/LogStore.h"
#include "support/StoreFixtures.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class ChartTextsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fixtures::FillStore(store, 3, 3, [](int c, uint32_t i) { return float(c * 10 + i); }, "ROOM", "0123456789",
                            "20110308140530", 3600);
        store.ComputeStatistics();
    }
    LogStore store;
};

TEST_F(ChartTextsTest, TitleAndSummary)
{
    EXPECT_EQ(charttext::Title(store), "ROOM Analysis Report (0123456789)");
    EXPECT_EQ(charttext::Summary(store),
              "TOTAL LOGS:3, CHANNELS:3, BEGIN:2011-03-08 14:05:30, END:2011-03-08 16:05:30.");
}

TEST_F(ChartTextsTest, ChannelRowsNameChannelsByPosition)
{
    store.maxValue[0] = 25.35f;
    store.minValue[0] = -0.04f;
    store.aveValue[0] = 123.456f;
    EXPECT_EQ(charttext::ChannelRow(store, 1),
              "CHANNEL 01,    Temperature(C),    MAX:25.4,    MIN:-0.0,    AVE:123.5");
    // Channel 2 is "Humidity" whatever it measures; channel 3 only its unit.
    store.unitText[1] = "PPM";
    EXPECT_EQ(charttext::ChannelRow(store, 2), "CHANNEL 02,    Humidity(PPM),    MAX:22.0,    MIN:20.0,    AVE:21.0");
    EXPECT_EQ(charttext::ChannelRow(store, 3), "CHANNEL 03,    Dew Point(C),    MAX:32.0,    MIN:30.0,    AVE:31.0");
}

TEST_F(ChartTextsTest, AxisTitlesNameChannelThreeFirstWithThreeChannels)
{
    EXPECT_EQ(charttext::LeftAxisTitle(store), "Dew Point(C),    Temperature (C)");
    EXPECT_EQ(charttext::RightAxisTitle(store), "Humidity (%RH)");
    store.channelCount = 2;
    EXPECT_EQ(charttext::LeftAxisTitle(store), "Temperature (C)");
    store.channelCount = 9;  // damaged: drawn as three channels, titled so too
    EXPECT_EQ(charttext::LeftAxisTitle(store), "Dew Point(C),    Temperature (C)");
}

TEST_F(ChartTextsTest, TimeDateAndValueLabels)
{
    const char stamp[] = "20110308140530";
    EXPECT_EQ(charttext::TimeLabel(stamp), "14:05");
    EXPECT_EQ(charttext::DateLabel(stamp), "2011/03/08");
    EXPECT_EQ(charttext::ValueLabel(-20), "-20");
    EXPECT_EQ(charttext::ValueLabel(0), "0");
}

// Texts are made from raw bytes: a zero byte in the identity ends the title
// there, and a name of 24 characters is taken whole.
TEST_F(ChartTextsTest, RawBytesEndAtAZeroByte)
{
    std::memset(store.loggerId, 0, sizeof store.loggerId);
    EXPECT_EQ(charttext::Title(store), "ROOM Analysis Report (");
    std::memcpy(store.loggerName, "ABCDEFGHIJKLMNOPQRSTUVWX", 24);
    std::memcpy(store.loggerId, "12345\0" "7890", 10);
    EXPECT_EQ(charttext::Title(store), "ABCDEFGHIJKLMNOPQRSTUVWX Analysis Report (12345");
}

TEST_F(ChartTextsTest, CountsPrintAsTheyAreStored)
{
    store.channelCount = 5;
    store.recordCount = 140000;
    EXPECT_TRUE(charttext::Summary(store).startsWith("TOTAL LOGS:140000, CHANNELS:5, BEGIN:2011-03-08 14:05:30, END:"));
    store.recordCount = 0;  // nothing to read a last stamp from
    EXPECT_EQ(charttext::Summary(store), "TOTAL LOGS:0, CHANNELS:5.");
}

}  // namespace
