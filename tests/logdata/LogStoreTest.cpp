// Statistics, scale and narrowing of the record store.
#include "logdata/LogStore.h"
#include "support/StoreFixtures.h"

#include <gtest/gtest.h>

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
        ScaleCase{"three channels", 3, {10, 30}, {20, 90}, {-2, 15}, 50, -10, 10, 100, -20, 20}));

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
