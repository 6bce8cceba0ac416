// The link's timers as the main frame hands them to LinkSession: the real
// window timers, or a replacement that a test drives by hand.
#pragma once

#include "link/LinkInterfaces.h"

// Passes every start and stop on to the timers in use. A replacement takes
// over from the next start or stop; timers started before the switch keep
// running where they were started.
class LinkTimerSwitch : public ILinkTimers {
public:
    explicit LinkTimerSwitch(ILinkTimers& standard) : standard_(standard) {}

    // nullptr goes back to the standard timers.
    void Use(ILinkTimers* replacement) { replacement_ = replacement; }
    ILinkTimers& inUse() const { return replacement_ ? *replacement_ : standard_; }

    void StartTimer(int id, int milliseconds) override;
    void StopTimer(int id) override;

private:
    ILinkTimers& standard_;
    ILinkTimers* replacement_ = nullptr;
};
