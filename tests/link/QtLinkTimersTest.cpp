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

}  // namespace
