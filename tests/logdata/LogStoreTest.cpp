// Statistics, scale and narrowing of the record store.
#include "logdata/LogStore.h"
#include "support/StoreFixtures.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

struct ScaleCase {
    const char* what;
    uint32_t channels;
    std::vector<float> ch1, ch2, ch3;  // equal lengths, or empty for an unused channel
    int32_t top0, bottom0, step0, top1, bottom1, step1;
};

class ScaleTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleTest, MatchesWorkedExample)
{
    const ScaleCase& k = GetParam();
    LogStore store;
    const size_t n = k.ch1.size();
    fixtures::FillStore(store, k.channels, uint32_t(n), [&](int c, uint32_t i) {
        const auto& v = c == 1 ? k.ch1 : c == 2 ? k.ch2 : k.ch3;
        return v.empty() ? 0.0f : v[i];
    });
    store.ComputeStatistics();
    EXPECT_EQ(store.axisTop[0], k.top0) << k.what;
    EXPECT_EQ(store.axisBottom[0], k.bottom0) << k.what;
    EXPECT_EQ(store.axisStep[0], k.step0) << k.what;
    if (k.channels > 1) {
        EXPECT_EQ(store.axisTop[1], k.top1) << k.what;
        EXPECT_EQ(store.axisBottom[1], k.bottom1) << k.what;
        EXPECT_EQ(store.axisStep[1], k.step1) << k.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, ScaleTest,
    ::testing::Values(
        ScaleCase{"one record 25.3", 1, {25.3f}, {}, {}, 27, 23, 1, 0, 0, 0},
        ScaleCase{"all 20.0", 1, {20.0f, 20.0f, 20.0f}, {}, {}, 22, 18, 1, 0, 0, 0},
        ScaleCase{"-5.5 to 3.2", 1, {-5.5f, 3.2f}, {}, {}, 5, -10, 5, 0, 0, 0},
        ScaleCase{"temperature and humidity", 2, {18.2f, 26.7f}, {35.0f, 62.4f}, {}, 35, 10, 5, 70, 20, 10},
        ScaleCase{"three channels", 3, {10, 30}, {20, 90}, {-2, 15}, 50, -10, 10, 100, -20, 20},
        // A damaged file's count above 3 is drawn as three channels, and scaled so.
        ScaleCase{"third channel widest", 3, {10, 30}, {20, 90}, {-30, 60}, 80, -40, 20, 100, -20, 20},
        ScaleCase{"count 4 scales as three", 4, {10, 30}, {20, 90}, {-30, 60}, 80, -40, 20, 100, -20, 20},
        ScaleCase{"count 255 scales as three", 255, {10, 30}, {20, 90}, {-30, 60}, 80, -40, 20, 100, -20, 20}));

TEST(LogStoreTest, OneRecordGivesItsValueAsMaxMinAve)
{
    LogStore store;
    fixtures::FillValues(store, {25.3f});
    store.ComputeStatistics();
    EXPECT_FLOAT_EQ(store.maxValue[0], 25.3f);
    EXPECT_FLOAT_EQ(store.minValue[0], 25.3f);
    EXPECT_FLOAT_EQ(store.aveValue[0], 25.3f);
}

}  // namespace

namespace {

TEST(LogStoreTest, AverageRoundsTheSumToFloatAfterEveryAddition)
{
    // 2^24 + 1 is not a float32: each added 1 is lost again, so the float sum
    // stays 2^24 while an exact (or double) sum would reach 2^24 + 3.
    LogStore store;
    fixtures::FillValues(store, {16777216.0f, 1.0f, 1.0f, 1.0f});
    store.ComputeStatistics();
    EXPECT_EQ(store.aveValue[0], 4194304.0f);
    EXPECT_EQ(store.maxValue[0], 16777216.0f);
    EXPECT_EQ(store.minValue[0], 1.0f);
}

TEST(LogStoreTest, StepTableBoundaries)
{
    const struct { uint32_t range; int32_t step; } cases[] = {
        {0, 1},       {9, 1},       {10, 5},       {19, 5},       {20, 10},     {49, 10},
        {50, 20},     {99, 20},     {100, 50},     {199, 50},     {200, 100},   {500, 200},
        {1000, 500},  {2000, 1000}, {5000, 2000},  {10000, 5000}, {20000, 10000},
        {49999, 10000}, {50000, 20000}, {99999, 20000}, {100000, 10000}, {0xFFFFFFFFu, 10000},
    };
    for (const auto& k : cases)
        EXPECT_EQ(StepForRange(k.range), k.step) << "range " << k.range;
}

// A store of ten two-channel records with distinct values, statistics computed.
class NarrowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fixtures::FillStore(store, 2, 10, [](int c, uint32_t i) { return float(c * 100 + int(i)); });
        store.ComputeStatistics();
    }
    LogStore store;
};

TEST_F(NarrowTest, EmptyOrReversedRangeChangesNothing)
{
    const std::pair<int32_t, int32_t> ranges[] = {{5, 5}, {7, 3}, {0, 0}, {10, 10}};
    for (const auto& [first, end] : ranges) {
        store.maxValue[0] = 12345.0f;  // a recomputation would overwrite this
        store.NarrowRecords(first, end);
        EXPECT_EQ(store.recordCount, 10u) << first << "," << end;
        EXPECT_EQ(store.maxValue[0], 12345.0f) << first << "," << end;
        EXPECT_EQ(store.value[1][0], 100.0f);
        EXPECT_EQ(std::string(store.timestamp(0), 14), "20110308140530");
    }
}

TEST_F(NarrowTest, WholeRangeKeepsEveryRecordAndRecomputes)
{
    store.maxValue[0] = 12345.0f;
    store.NarrowRecords(0, int32_t(store.recordCount));
    EXPECT_EQ(store.recordCount, 10u);
    EXPECT_EQ(store.maxValue[0], 109.0f);
    EXPECT_EQ(store.value[2][9], 209.0f);
}

TEST_F(NarrowTest, KeepsTheRangeFrontToBack)
{
    store.NarrowRecords(3, 7);
    ASSERT_EQ(store.recordCount, 4u);
    for (uint32_t k = 0; k < 4; ++k) {
        EXPECT_EQ(store.value[1][k], float(103 + k));
        EXPECT_EQ(store.value[2][k], float(203 + k));
    }
    EXPECT_EQ(std::string(store.timestamp(0), 14), "20110308140830");
    EXPECT_EQ(store.minValue[0], 103.0f);
    EXPECT_EQ(store.maxValue[1], 206.0f);
    EXPECT_FLOAT_EQ(store.aveValue[0], 104.5f);
}

TEST_F(NarrowTest, OutOfBoundsCallIsRefusedRatherThanMovingForeignBytes)
{
    store.NarrowRecords(-2, 4);
    store.NarrowRecords(4, 11);
    EXPECT_EQ(store.recordCount, 10u);
    EXPECT_EQ(store.value[1][0], 100.0f);
}

TEST(LogStoreTest, ChannelsBeyondTheCountKeepTheOldLogsValues)
{
    LogStore store;
    fixtures::FillStore(store, 2, 4, [](int c, uint32_t i) { return c == 2 ? 50.0f + float(i) : 20.0f; });
    // A one-channel log of three records replaces it, writing channel 1 only,
    // as the download decoder does.
    store.channelCount = 1;
    store.recordCount = 3;
    for (uint32_t i = 0; i < 3; ++i)
        store.value[1][i] = 5.0f;
    store.ComputeStatistics();
    EXPECT_EQ(store.maxValue[0], 5.0f);
    EXPECT_EQ(store.maxValue[1], 52.0f);  // from the old records 0 … 2
    EXPECT_EQ(store.minValue[1], 50.0f);
    EXPECT_EQ(store.value[2][3], 53.0f);
    EXPECT_EQ(store.shownChannels(), 1);
}

// Values a damaged file can carry. Whatever they are, the scale must come out
// finite and well formed, and nothing may overflow (UBSan watches this).
struct OddValues {
    const char* what;
    uint32_t channels;
    std::vector<float> ch1, ch2, ch3;
};

class OddValueTest : public ::testing::TestWithParam<OddValues> {};

TEST_P(OddValueTest, ScaleStaysWellFormed)
{
    const OddValues& k = GetParam();
    LogStore store;
    fixtures::FillStore(store, k.channels, uint32_t(k.ch1.size()), [&](int c, uint32_t i) {
        const auto& v = c == 1 ? k.ch1 : c == 2 ? k.ch2 : k.ch3;
        return v.empty() ? 0.0f : v[i];
    });
    store.ComputeStatistics();
    const int axes = store.shownChannels() >= 2 ? 2 : 1;
    for (int a = 0; a < axes; ++a) {
        const int32_t step = store.axisStep[a];
        ASSERT_GE(step, 1) << k.what << " axis " << a;
        EXPECT_GT(store.axisTop[a], store.axisBottom[a]) << k.what;
        EXPECT_EQ(store.axisTop[a] % step, 0) << k.what;
        EXPECT_EQ(store.axisBottom[a] % step, 0) << k.what;
        EXPECT_GE((store.axisTop[a] - store.axisBottom[a]) / step, 3) << k.what;
    }
    if (axes == 2) {
        EXPECT_EQ((store.axisTop[0] - store.axisBottom[0]) / store.axisStep[0],
                  (store.axisTop[1] - store.axisBottom[1]) / store.axisStep[1])
            << k.what;
    }
}

constexpr float Inf = std::numeric_limits<float>::infinity();
constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float Max = std::numeric_limits<float>::max();

INSTANTIATE_TEST_SUITE_P(
    DamagedValues, OddValueTest,
    ::testing::Values(OddValues{"NaN first", 1, {NaN, 20.0f, 21.0f}, {}, {}},
                      OddValues{"NaN later", 1, {20.0f, NaN, 21.0f}, {}, {}},
                      OddValues{"all NaN", 2, {NaN, NaN}, {NaN, NaN}, {}},
                      OddValues{"infinities", 2, {-Inf, Inf}, {Inf, 20.0f}, {}},
                      OddValues{"float max both ways", 3, {Max, -Max}, {-Max, Max}, {Max, -Max}},
                      OddValues{"huge third channel", 3, {10.0f, 20.0f}, {40.0f, 60.0f}, {3e38f, -3e38f}},
                      OddValues{"huge against tiny", 2, {1e9f, -1e9f}, {0.5f, 0.6f}, {}},
                      OddValues{"tiny against huge", 2, {0.5f, 0.6f}, {1e9f, -1e9f}, {}}));

TEST(LogStoreTest, ChannelCountOutsideOneToThreeStaysInsideTheArrays)
{
    const uint32_t counts[] = {0, 4, 255, 0xFFFFFFFFu};
    for (const uint32_t count : counts) {
        LogStore store;
        fixtures::FillStore(store, count, 3, [](int c, uint32_t i) { return float(c * 10) + float(i); });
        store.ComputeStatistics();
        EXPECT_LE(store.shownChannels(), 3) << count;
        EXPECT_EQ(store.maxValue[2], 32.0f) << count;
    }
}

TEST(LogStoreTest, TakeOverSwapsTheRecordArraysAndKeepsTheOpenLogsOwnFields)
{
    LogStore store;
    fixtures::FillStore(store, 1, 3, [](int, uint32_t i) { return float(i); }, "OLD", "1111111111");
    store.ComputeStatistics();
    store.currentLogPath = QStringLiteral("/logs/OLD_20110308_1407.logu");
    store.currentLogName = QStringLiteral("OLD_20110308_1407.logu");

    LogStore& scratch = store.Scratch();
    EXPECT_EQ(&store.Scratch(), &scratch) << "made once and kept";
    fixtures::FillStore(scratch, 3, 2, [](int c, uint32_t i) { return float(c * 10) + float(i); }, "NEW", "2222222222",
                        "20120101000000");
    const float* newValues = scratch.value[2];
    const char* newStamps = scratch.timestampData();
    const float* oldValues = store.value[2];

    store.TakeOver(scratch);
    EXPECT_EQ(store.value[2], newValues) << "swapped, not copied";
    EXPECT_EQ(store.timestampData(), newStamps);
    EXPECT_EQ(scratch.value[2], oldValues);
    EXPECT_STREQ(store.loggerName, "NEW");
    EXPECT_EQ(std::string(store.loggerId, 10), "2222222222");
    EXPECT_EQ(store.recordCount, 2u);
    EXPECT_EQ(store.channelCount, 3u);
    EXPECT_EQ(store.unitText[1], scratch.unitText[1]);
    EXPECT_EQ(store.value[3][1], 31.0f);
    EXPECT_EQ(std::string(store.timestamp(1), 14), "20120101000100");
    // The statistics are computed by the caller; the open log's path and name stay.
    EXPECT_EQ(store.maxValue[0], 2.0f);
    EXPECT_EQ(store.currentLogName, QStringLiteral("OLD_20110308_1407.logu"));
}

TEST(LogStoreTest, EnsureStatisticsRunsOnceWhenPending)
{
    LogStore store;
    fixtures::FillValues(store, {1.0f, 3.0f});
    store.statsPending = true;
    store.EnsureStatistics();
    EXPECT_FALSE(store.statsPending);
    EXPECT_EQ(store.aveValue[0], 2.0f);

    store.aveValue[0] = 99.0f;
    store.EnsureStatistics();  // not pending any more
    EXPECT_EQ(store.aveValue[0], 99.0f);

    store.recordCount = 0;  // pending on an empty store: cleared, nothing computed
    store.statsPending = true;
    store.EnsureStatistics();
    EXPECT_FALSE(store.statsPending);
}

}  // namespace
