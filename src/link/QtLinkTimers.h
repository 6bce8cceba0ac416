// Window-timer semantics for the link's exchanges, on QTimer.
#pragma once

#include "link/LinkInterfaces.h"

#include <QByteArray>

#include <functional>
#include <map>
#include <memory>

class QTimer;

// One periodic QTimer per id, on the thread that made the object. Starting a
// running timer restarts it with the new period; every expiry calls the
// callback with the id until the timer is stopped.
//
// For tests against the simulator, every period may run on a shorter scale
// (TESSAVIEW_LINK_TIMER_SCALE); a logger sees the real periods.
class QtLinkTimers : public ILinkTimers {
public:
    using Callback = std::function<void(int id)>;

    // The scales taken: shorter than a quarter, a repeat would come before
    // the answer it repeats could have arrived (a chunk ends only after
    // 200 ms of silence).
    static constexpr double MinScale = 0.25;
    static constexpr double MaxScale = 1.0;
    static constexpr const char* ScaleVariable = "TESSAVIEW_LINK_TIMER_SCALE";

    // The scale TESSAVIEW_LINK_TIMER_SCALE names: a decimal number from
    // MinScale to MaxScale; 1 when it is unset or anything else.
    static double ScaleFromEnvironment();
    // A scale parsed as above; 1 for anything but a number in range.
    static double ParseScale(const QByteArray& text);

    explicit QtLinkTimers(Callback onExpiry = {});
    ~QtLinkTimers() override;
    QtLinkTimers(const QtLinkTimers&) = delete;
    QtLinkTimers& operator=(const QtLinkTimers&) = delete;

    // Where expiries go (LinkSession::OnLinkTimer, as a rule).
    void SetCallback(Callback onExpiry) { onExpiry_ = std::move(onExpiry); }
    // Periods started from now on are multiplied by scale; a scale out of
    // range leaves the periods as they are.
    void SetScale(double scale);
    double scale() const { return scale_; }

    void StartTimer(int id, int milliseconds) override;
    void StopTimer(int id) override;

    bool IsRunning(int id) const;
    // The period a running timer runs with (scaled); 0 when not running.
    int Interval(int id) const;

private:
    Callback onExpiry_;
    double scale_ = 1.0;
    std::map<int, std::unique_ptr<QTimer>> timers_;
};
