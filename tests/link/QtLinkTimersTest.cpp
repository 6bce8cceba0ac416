// QtLinkTimers keeps window-timer semantics: periodic until stopped, a start
// of a running timer restarts it, each id on its own.
#include "link/QtLinkTimers.h"

#include "support/CoreTestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

// Timer expiries come well within three seconds.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 3000)
{
    return coretest::WaitUntil(done, timeoutMs);
}

class QtLinkTimersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        coretest::EnsureCoreApplication();
    }

    std::vector<int> expiries;
    QtLinkTimers timers{[this](int id) { expiries.push_back(id); }};
};

TEST_F(QtLinkTimersTest, ExpiresAgainAndAgainUntilStopped)
{
    timers.StartTimer(14, 10);
    ASSERT_TRUE(WaitUntil([&] { return expiries.size() >= 3; }));
    timers.StopTimer(14);
    EXPECT_FALSE(timers.IsRunning(14));
    const size_t seen = expiries.size();
    // A short timer of another id shows that the event loop ran on meanwhile.
    timers.StartTimer(1, 30);
    ASSERT_TRUE(WaitUntil([&] { return expiries.back() == 1; }));
    EXPECT_EQ(std::count(expiries.begin(), expiries.end(), 14), long(seen));
}

TEST_F(QtLinkTimersTest, StartingARunningTimerRestartsItWithTheNewPeriod)
{
    timers.StartTimer(14, 5000);
    timers.StartTimer(14, 20);
    EXPECT_EQ(timers.Interval(14), 20);
    ASSERT_TRUE(WaitUntil([&] { return !expiries.empty(); }, 1000)) << "the 5000 ms start is replaced";
    EXPECT_EQ(expiries.front(), 14);
}

TEST_F(QtLinkTimersTest, AnExpiryMayStopOrRestartItsOwnTimer)
{
    timers.SetCallback([this](int id) {
        expiries.push_back(id);
        if (id == 3)
            timers.StopTimer(3);
        if (id == 5 && expiries.size() < 3)
            timers.StartTimer(5, 10);
    });
    timers.StartTimer(3, 10);
    timers.StartTimer(5, 15);
    ASSERT_TRUE(WaitUntil([&] { return std::count(expiries.begin(), expiries.end(), 5) >= 3; }));
    EXPECT_EQ(std::count(expiries.begin(), expiries.end(), 3), 1);
    EXPECT_FALSE(timers.IsRunning(3));
    EXPECT_TRUE(timers.IsRunning(5));
    EXPECT_EQ(timers.Interval(3), 0);
}

TEST_F(QtLinkTimersTest, AScaleShortensEveryPeriodStartedAfterIt)
{
    timers.StartTimer(1, 2000);
    timers.SetScale(0.5);
    EXPECT_EQ(timers.Interval(1), 2000) << "a running timer keeps its period";
    timers.StartTimer(14, 5000);
    timers.StartTimer(19, 1);
    EXPECT_EQ(timers.Interval(14), 2500);
    EXPECT_EQ(timers.Interval(19), 1);
    timers.StartTimer(3, 40);
    ASSERT_TRUE(WaitUntil([&] { return std::count(expiries.begin(), expiries.end(), 3) >= 1; }));
    // Out of range, the real periods come back.
    timers.SetScale(0.1);
    EXPECT_EQ(timers.scale(), 1.0);
    timers.StartTimer(14, 5000);
    EXPECT_EQ(timers.Interval(14), 5000);
}

// Only a plain number in the range is taken from the environment; anything
// else runs the real periods.
TEST(QtLinkTimersScaleTest, TheEnvironmentNamesAScaleInRangeOrNone)
{
    const struct {
        const char* text;
        double scale;
    } cases[] = {
        {"0.5", 0.5},    {" 0.25 ", 0.25}, {"1", 1.0},      {"0.3", 0.3},   {"", 1.0},
        {"0.2", 1.0},    {"0", 1.0},       {"-0.5", 1.0},   {"2", 1.0},     {"1.5", 1.0},
        {"nan", 1.0},    {"inf", 1.0},     {"0,5", 1.0},    {"0.5x", 1.0},  {"half", 1.0},
    };
    for (const auto& k : cases)
        EXPECT_EQ(QtLinkTimers::ParseScale(k.text), k.scale) << '"' << k.text << '"';

    const QByteArray before = qgetenv(QtLinkTimers::ScaleVariable);
    const bool wasSet = qEnvironmentVariableIsSet(QtLinkTimers::ScaleVariable);
    qputenv(QtLinkTimers::ScaleVariable, "0.5");
    EXPECT_EQ(QtLinkTimers::ScaleFromEnvironment(), 0.5);
    qunsetenv(QtLinkTimers::ScaleVariable);
    EXPECT_EQ(QtLinkTimers::ScaleFromEnvironment(), 1.0);
    if (wasSet)
        qputenv(QtLinkTimers::ScaleVariable, before);
}

}  // namespace
