// Window-timer semantics for the link's exchanges, on QTimer.
#pragma once

#include "link/LinkInterfaces.h"

#include <functional>
#include <map>
#include <memory>

class QTimer;

// One periodic QTimer per id, on the thread that made the object. Starting a
// running timer restarts it with the new period; every expiry calls the
// callback with the id until the timer is stopped.
class QtLinkTimers : public ILinkTimers {
public:
    using Callback = std::function<void(int id)>;

    explicit QtLinkTimers(Callback onExpiry = {});
    ~QtLinkTimers() override;
    QtLinkTimers(const QtLinkTimers&) = delete;
    QtLinkTimers& operator=(const QtLinkTimers&) = delete;

    // Where expiries go (LinkSession::OnLinkTimer, as a rule).
    void SetCallback(Callback onExpiry) { onExpiry_ = std::move(onExpiry); }

    void StartTimer(int id, int milliseconds) override;
    void StopTimer(int id) override;

    bool IsRunning(int id) const;
    // The period a running timer was last started with; 0 when not running.
    int Interval(int id) const;

private:
    Callback onExpiry_;
    std::map<int, std::unique_ptr<QTimer>> timers_;
};
