// Date texts of the query pane, their validation, and the range scan.
#include "logdata/DateQuery.h"
#include "logdata/LogStore.h"
#include "support/StoreFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(DateQueryTest, DateTexts)
{
    const struct {
        QString text;
        int32_t date;
    } cases[] = {
        {QStringLiteral("20110308"), 20110308},
        {QStringLiteral("99999999"), 99999999},
        {QStringLiteral("2011-3-8"), 2011},  // eight characters, digits up to the dash
        {QStringLiteral("Please pick date."), 0},
        {QString(), 0},
        {QStringLiteral("2011030"), 0},
        {QStringLiteral("201103081"), 0},
        {QStringLiteral("abcdefgh"), 0},
        {QStringLiteral(" 2011030"), 0},
        {QString::fromUtf8("２０１１０３０８"), 0},  // full-width digits are not decimal digits here
    };
    for (const auto& k : cases)
        EXPECT_EQ(DateFromText(k.text), k.date) << k.text.toStdString();
}

TEST(DateQueryTest, RangeValidation)
{
    const struct {
        int32_t from, to;
        bool valid;
    } cases[] = {
        {20110308, 20110308, true}, {20110301, 20110308, true}, {10000001, 99999999, true},
        {10000000, 20110308, false}, {20110308, 10000000, false}, {0, 20110308, false},
        {2011, 20110308, false},     {20110309, 20110308, false}, {0, 0, false},
    };
    for (const auto& k : cases)
        EXPECT_EQ(IsValidDateRange(k.from, k.to), k.valid) << k.from << " " << k.to;
}

TEST(DateQueryTest, MessagesKeepTheirTexts)
{
    const QString dates = QString::fromUtf8(DateRangeMessage);
    EXPECT_EQ(dates.size(), 17);
    EXPECT_EQ(dates.back(), QChar(0xFF01));  // full-width exclamation mark
    EXPECT_STREQ(NoMatchedDataMessage, "No matched data.");
}

// Records on 2011-03-07 (2), 2011-03-08 (3), then a gap, then 2011-03-12 (2)
// and 2011-03-13 (1).
class RangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::vector<std::string> stamps = {"20110307230000", "20110307235959", "20110308000000", "20110308120000",
                                                 "20110308235959", "20110312000000", "20110312080000", "20110313000000"};
        fixtures::FillStore(store, 1, uint32_t(stamps.size()), [](int, uint32_t i) { return float(i); });
        for (uint32_t i = 0; i < stamps.size(); ++i)
            fixtures::SetStamp(store, i, stamps[i]);
        store.ComputeStatistics();
    }
    LogStore store;
};

TEST_F(RangeTest, KeepsTheRecordsOfTheDays)
{
    const struct {
        const char* what;
        int32_t from, to;
        uint32_t first, count;
    } cases[] = {
        {"one day", 20110308, 20110308, 2, 3},
        {"whole log", 20110307, 20110313, 0, 8},
        {"start before the first record", 20100101, 20110307, 0, 2},
        {"end far after the log", 20110312, 99999999, 5, 3},
        {"range over the gap", 20110309, 20110312, 5, 2},
        {"last day", 20110313, 20110313, 7, 1},
    };
    for (const auto& k : cases) {
        SetUp();
        const DateRangeIndices range = FindDateRange(store, k.from, k.to);
        ASSERT_TRUE(range.found) << k.what;
        EXPECT_EQ(range.first, int32_t(k.first)) << k.what;
        EXPECT_EQ(range.end, int32_t(k.first + k.count)) << k.what;

        ASSERT_TRUE(NarrowToDates(store, k.from, k.to)) << k.what;
        EXPECT_EQ(store.recordCount, k.count) << k.what;
        EXPECT_EQ(store.value[1][0], float(k.first)) << k.what;
        EXPECT_EQ(store.minValue[0], float(k.first)) << k.what << ": statistics of the kept records";
        EXPECT_EQ(store.maxValue[0], float(k.first + k.count - 1)) << k.what;
    }
}

TEST_F(RangeTest, NoMatchLeavesTheWholeLog)
{
    const struct {
        const char* what;
        int32_t from, to;
    } cases[] = {
        {"end before the first record", 20100101, 20110306},
        {"start after the last record", 20110314, 20110320},
        {"both dates in the gap", 20110309, 20110311},
    };
    for (const auto& k : cases) {
        EXPECT_FALSE(FindDateRange(store, k.from, k.to).found) << k.what;
        EXPECT_FALSE(NarrowToDates(store, k.from, k.to)) << k.what;
        EXPECT_EQ(store.recordCount, 8u) << k.what;
        EXPECT_EQ(store.maxValue[0], 7.0f) << k.what;
    }
}

TEST(DateQueryTest, RunIsUnbrokenEvenWhenDatesGoBackwards)
{
    // The kept run ends at the first record after the end date, even when
    // later records (a clock set back) fall inside the range again.
    LogStore store;
    const std::vector<std::string> stamps = {"20110308100000", "20110309100000", "20110308110000"};
    fixtures::FillStore(store, 1, 3, [](int, uint32_t i) { return float(i); });
    for (uint32_t i = 0; i < 3; ++i)
        fixtures::SetStamp(store, i, stamps[i]);
    const DateRangeIndices range = FindDateRange(store, 20110308, 20110308);
    EXPECT_TRUE(range.found);
    EXPECT_EQ(range.first, 0);
    EXPECT_EQ(range.end, 1);
}

TEST(DateQueryTest, EmptyLogHasNoMatch)
{
    LogStore store;
    EXPECT_FALSE(NarrowToDates(store, 20110308, 20110308));
}

}  // namespace
