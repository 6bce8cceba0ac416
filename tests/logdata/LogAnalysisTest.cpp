// Extremes, mean kinetic temperature, interval and excursions of the shown records.
#include "logdata/LogAnalysis.h"
#include "logdata/LogStore.h"
#include "support/StoreFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using fixtures::FillStore;

void FillChannel1(LogStore& store, const std::vector<float>& v, int stepSeconds = 60,
                  const char* start = "20110308140530")
{
    FillStore(store, 1, uint32_t(v.size()), [&](int c, uint32_t i) { return c == 1 ? v[i] : 0.0f; }, "ROOM",
              "0123456789", start, stepSeconds);
}

// The definition, written out plainly for comparison.
double ReferenceMktCelsius(const std::vector<double>& celsius)
{
    double sum = 0;
    for (double t : celsius)
        sum += std::exp(-10000.0 / (t + 273.15));
    return 10000.0 / -std::log(sum / double(celsius.size())) - 273.15;
}

TEST(LogAnalysisTest, ExtremesTakeTheStampOfTheirFirstOccurrence)
{
    LogStore store;
    FillChannel1(store, {5.0f, 9.5f, 1.0f, 9.5f, 1.0f, 3.0f});
    const LogSummary s = AnalyseLog(store, {});
    const ChannelSummary& ch = s.channel[0];
    ASSERT_TRUE(ch.present);
    EXPECT_FALSE(s.channel[1].present);
    EXPECT_DOUBLE_EQ(ch.max, 9.5);
    EXPECT_DOUBLE_EQ(ch.min, 1.0);
    EXPECT_DOUBLE_EQ(ch.ave, 29.0 / 6);
    EXPECT_EQ(ch.maxTime, "20110308140630");  // record 1, not record 3
    EXPECT_EQ(ch.minTime, "20110308140730");  // record 2, not record 4
    EXPECT_EQ(s.recordCount, 6u);
    EXPECT_EQ(s.first, "20110308140530");
    EXPECT_EQ(s.last, "20110308141030");
    EXPECT_EQ(s.durationSeconds, 300);
    EXPECT_EQ(s.intervalSeconds, 60);
}

TEST(LogAnalysisTest, MeanKineticTemperatureMatchesWorkedValues)
{
    struct Case {
        const char* what;
        std::vector<float> values;
        bool celsius;
        double expected;
    } cases[] = {
        {"a constant log is its own MKT", {25.0f, 25.0f, 25.0f, 25.0f}, true, 25.0},
        {"one record", {-18.5f}, true, -18.5},
        // exp(-10000/278.15) and exp(-10000/308.15) averaged: worked by hand
        // to 28.8268 °C, above the arithmetic mean of 20 as MKT always is.
        {"two values weigh the warm one more", {5.0f, 35.0f}, true, ReferenceMktCelsius({5.0, 35.0})},
        {"a constant Fahrenheit log", {77.0f, 77.0f}, false, 77.0},
        // 41 °F and 95 °F are 5 °C and 35 °C: the same MKT, given in °F.
        {"Fahrenheit converts to kelvin and back", {41.0f, 95.0f}, false,
         ReferenceMktCelsius({5.0, 35.0}) * 9.0 / 5.0 + 32.0},
    };
    EXPECT_NEAR(ReferenceMktCelsius({5.0, 35.0}), 28.8268, 1e-4);
    for (const Case& k : cases) {
        LogStore store;
        FillChannel1(store, k.values);
        store.celsius = k.celsius ? 1 : 0;
        const LogSummary s = AnalyseLog(store, {});
        ASSERT_TRUE(s.channel[0].mkt.has_value()) << k.what;
        EXPECT_NEAR(*s.channel[0].mkt, k.expected, 1e-9) << k.what;
    }
}

TEST(LogAnalysisTest, MktOnlyForTemperatureChannels)
{
    LogStore store;
    FillStore(store, 3, 4, [](int c, uint32_t i) { return float(c * 10 + int(i)); });
    // Kinds 0 (temperature), 1 (humidity), 8 (dew point: a temperature, but
    // not a stored product's).
    const LogSummary s = AnalyseLog(store, {});
    EXPECT_TRUE(s.channel[0].mkt.has_value());
    EXPECT_FALSE(s.channel[1].mkt.has_value());
    EXPECT_FALSE(s.channel[2].mkt.has_value());
    store.channelKind[1] = 0;
    EXPECT_TRUE(AnalyseLog(store, {}).channel[1].mkt.has_value());
}

TEST(LogAnalysisTest, ValueBelowAbsoluteZeroGivesNoMkt)
{
    LogStore store;
    FillChannel1(store, {20.0f, -300.0f});
    const LogSummary s = AnalyseLog(store, {});
    EXPECT_FALSE(s.channel[0].mkt.has_value());
    EXPECT_DOUBLE_EQ(s.channel[0].min, -300.0);
}

TEST(LogAnalysisTest, ExcursionsCountRunsTimeAndFirstStamps)
{
    LogStore store;
    // High limit 8: runs above at records 2-3 and 6; low limit 2: one run at 8-9.
    FillChannel1(store, {5, 6, 8.5f, 9, 7, 8, 10, 4, 1.5f, 0, 3}, 300);
    LogLimits limits;
    limits.channel[0].low = 2.0;
    limits.channel[0].high = 8.0;
    const LogSummary s = AnalyseLog(store, limits);
    const ChannelSummary& ch = s.channel[0];
    EXPECT_EQ(s.intervalSeconds, 300);
    EXPECT_EQ(ch.limitHigh, 8.0);
    EXPECT_EQ(ch.limitLow, 2.0);
    EXPECT_EQ(ch.excursionsAbove, 2);  // a value equal to the limit (record 5) is within it
    EXPECT_EQ(ch.secondsAbove, 3 * 300);
    EXPECT_EQ(ch.firstAbove, "20110308141530");  // record 2
    EXPECT_EQ(ch.excursionsBelow, 1);
    EXPECT_EQ(ch.secondsBelow, 2 * 300);
    EXPECT_EQ(ch.firstBelow, "20110308144530");  // record 8
}

TEST(LogAnalysisTest, LimitsCompareAtTheValuesPrecision)
{
    // 2.1f is a hair under 2.1 and 8.3f a hair over 8.3: the record list shows
    // both as the limit itself, so neither is beyond it.
    LogStore store;
    FillChannel1(store, {2.1f, 8.3f, 5.0f});
    LogLimits limits;
    limits.channel[0].low = 2.1;
    limits.channel[0].high = 8.3;
    const ChannelSummary ch = AnalyseLog(store, limits).channel[0];
    EXPECT_EQ(ch.excursionsBelow, 0);
    EXPECT_EQ(ch.excursionsAbove, 0);
}

TEST(LogAnalysisTest, OneSidedLimitsAndUnsetLimits)
{
    LogStore store;
    FillStore(store, 2, 4, [](int c, uint32_t i) { return c == 1 ? float(i) : 50.0f + 20.0f * float(i); });
    LogLimits limits;
    limits.channel[1].high = 80.0;  // only channel 2's high side
    const LogSummary s = AnalyseLog(store, limits);
    EXPECT_FALSE(s.channel[0].limitLow || s.channel[0].limitHigh);
    EXPECT_EQ(s.channel[0].excursionsAbove + s.channel[0].excursionsBelow, 0);
    EXPECT_TRUE(s.channel[0].firstAbove.isEmpty());
    EXPECT_FALSE(s.channel[1].limitLow.has_value());
    EXPECT_EQ(s.channel[1].excursionsAbove, 1);
    EXPECT_EQ(s.channel[1].secondsAbove, 2 * 60);
    EXPECT_EQ(s.channel[1].excursionsBelow, 0);
    EXPECT_TRUE(s.channel[1].firstBelow.isEmpty());

    EXPECT_FALSE(LogLimits{}.any());
    EXPECT_TRUE(limits.any());
}

TEST(LogAnalysisTest, IntervalIsTheMostCommonGap)
{
    struct Case {
        const char* what;
        std::vector<const char*> stamps;
        int64_t interval, duration;
    } cases[] = {
        {"one record", {"20240101000000"}, 0, 0},
        {"a pause in the log", {"20240101000000", "20240101000500", "20240101001000", "20240101020000",
                                 "20240101020500"}, 300, 7500},
        {"across midnight, month and leap day", {"20240228235900", "20240229000000", "20240229000100"}, 60, 120},
        {"across a year", {"20231231235930", "20240101000000", "20240101000030"}, 30, 60},
        {"repeated stamps and a clock set back do not count",
         {"20240101000000", "20240101000000", "20240101000100", "20240101000000", "20240101000100"}, 60, 60},
        {"a tie goes to the shorter gap", {"20240101000000", "20240101000100", "20240101000300"}, 60, 180},
        {"damaged stamps: no duration", {"2024010100000x", "20240101000100"}, 0, 0},
    };
    for (const Case& k : cases) {
        LogStore store;
        FillChannel1(store, std::vector<float>(k.stamps.size(), 1.0f));
        for (uint32_t i = 0; i < k.stamps.size(); ++i)
            fixtures::SetStamp(store, i, k.stamps[i]);
        const LogSummary s = AnalyseLog(store, {});
        if (std::string(k.what).rfind("damaged", 0) == 0) {
            EXPECT_EQ(s.durationSeconds, 0) << k.what;  // the interval of garbage is whatever it is
            continue;
        }
        EXPECT_EQ(s.intervalSeconds, k.interval) << k.what;
        EXPECT_EQ(s.durationSeconds, k.duration) << k.what;
    }
}

TEST(LogAnalysisTest, EmptyLogHasNoStampsAndNoStatistics)
{
    LogStore store;
    FillChannel1(store, {});
    LogLimits limits;
    limits.channel[0].high = 8.0;
    const LogSummary s = AnalyseLog(store, limits);
    EXPECT_EQ(s.recordCount, 0u);
    EXPECT_TRUE(s.first.isEmpty());
    EXPECT_TRUE(s.last.isEmpty());
    EXPECT_EQ(s.durationSeconds, 0);
    EXPECT_EQ(s.intervalSeconds, 0);
    EXPECT_TRUE(s.channel[0].present);
    EXPECT_TRUE(s.channel[0].maxTime.isEmpty());
    EXPECT_FALSE(s.channel[0].mkt.has_value());
    EXPECT_EQ(s.channel[0].limitHigh, 8.0);
    EXPECT_EQ(s.channel[0].excursionsAbove, 0);
}

TEST(LogAnalysisTest, DamagedCountsStayWithinTheArrays)
{
    LogStore store;
    FillStore(store, 2, 3, [](int c, uint32_t i) { return float(c + int(i)); });
    store.channelCount = 200;
    const LogSummary s = AnalyseLog(store, {});
    for (int c = 0; c < 3; ++c)
        EXPECT_TRUE(s.channel[c].present) << c;

    store.channelCount = 0;
    const LogSummary none = AnalyseLog(store, {});
    for (int c = 0; c < 3; ++c)
        EXPECT_FALSE(none.channel[c].present) << c;

    store.channelCount = 1;
    store.recordCount = LogCapacity + 5;
    EXPECT_EQ(AnalyseLog(store, {}).recordCount, LogCapacity);
}

TEST(LogAnalysisTest, ValuesThatAreNoNumberAreLeftOut)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    LogStore store;
    FillChannel1(store, {nan, 4.0f, std::numeric_limits<float>::infinity(), 10.0f, 10.0f});
    LogLimits limits;
    limits.channel[0].high = 5.0;
    const ChannelSummary ch = AnalyseLog(store, limits).channel[0];
    EXPECT_DOUBLE_EQ(ch.max, 10.0);
    EXPECT_DOUBLE_EQ(ch.min, 4.0);
    EXPECT_DOUBLE_EQ(ch.ave, 8.0);
    EXPECT_EQ(ch.minTime, "20110308140630");
    ASSERT_TRUE(ch.mkt.has_value());
    EXPECT_TRUE(std::isfinite(*ch.mkt));
    EXPECT_EQ(ch.excursionsAbove, 1);
}

TEST(LogAnalysisTest, LongLogsGiveTheSameAnswersAsAWalkThroughTheRecords)
{
    // Long enough for the analysis to work in blocks: the extremes repeat in
    // later blocks, a run above the limit spans a block boundary, a value that
    // is no number sits inside a run, and the minimum is in the last record.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> v(1000);
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = 5.0f + float(i % 7) * 0.1f;
    v[300] = v[700] = 12.0f;            // max, twice
    for (size_t i = 250; i < 262; ++i)  // one run across a block boundary
        v[i] = 9.0f;
    for (size_t i = 600; i < 610; ++i)  // a run split by a value that is no number: two runs
        v[i] = 9.5f;
    v[605] = nan;
    v[999] = -1.0f;  // min, last record
    LogStore store;
    FillChannel1(store, v);
    LogLimits limits;
    limits.channel[0].high = 8.0;
    limits.channel[0].low = 0.0;
    const ChannelSummary ch = AnalyseLog(store, limits).channel[0];

    // The same figures, walked record by record here.
    double sum = 0, boltzmann = 0;
    int finite = 0, runs = 0, above = 0;
    bool was = false;
    for (float x : v) {
        const bool beyond = std::isfinite(x) && x > 8.0f;
        above += beyond;
        runs += beyond && !was;
        was = beyond;
        if (!std::isfinite(x))
            continue;
        ++finite;
        sum += x;
        boltzmann += std::exp(-10000.0 / (double(x) + 273.15));
    }
    EXPECT_DOUBLE_EQ(ch.max, 12.0);
    EXPECT_EQ(ch.maxTime, QByteArray(store.timestamp(300), TimestampLength));
    EXPECT_DOUBLE_EQ(ch.min, -1.0);
    EXPECT_EQ(ch.minTime, QByteArray(store.timestamp(999), TimestampLength));
    EXPECT_NEAR(ch.ave, sum / finite, 1e-12);
    ASSERT_TRUE(ch.mkt.has_value());
    EXPECT_NEAR(*ch.mkt, 10000.0 / -std::log(boltzmann / finite) - 273.15, 1e-9);
    EXPECT_EQ(runs, 5);  // 250-261, 300, 600-604, 606-609, 700
    EXPECT_EQ(ch.excursionsAbove, runs);
    EXPECT_EQ(ch.secondsAbove, int64_t(above) * 60);
    EXPECT_EQ(ch.firstAbove, QByteArray(store.timestamp(250), TimestampLength));
    EXPECT_EQ(ch.excursionsBelow, 1);
    EXPECT_EQ(ch.firstBelow, QByteArray(store.timestamp(999), TimestampLength));
}

TEST(LogAnalysisTest, FollowsANarrowedStore)
{
    LogStore store;
    FillChannel1(store, {1, 2, 30, 4, 5});
    store.NarrowRecords(3, 5);
    const LogSummary s = AnalyseLog(store, {});
    EXPECT_EQ(s.recordCount, 2u);
    EXPECT_DOUBLE_EQ(s.channel[0].max, 5.0);
    EXPECT_EQ(s.first, "20110308140830");
}

}  // namespace
