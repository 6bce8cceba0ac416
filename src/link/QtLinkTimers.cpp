// Window-timer semantics for the link's exchanges, on QTimer.
#include "link/QtLinkTimers.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

QtLinkTimers::QtLinkTimers(Callback onExpiry) : onExpiry_(std::move(onExpiry)) {}

double QtLinkTimers::ParseScale(const QByteArray& text)
{
    bool ok = false;
    const double scale = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(scale) || scale < MinScale || scale > MaxScale)
        return 1.0;
    return scale;
}

double QtLinkTimers::ScaleFromEnvironment()
{
    return ParseScale(qgetenv(ScaleVariable));
}

void QtLinkTimers::SetScale(double scale)
{
    scale_ = std::isfinite(scale) && scale >= MinScale && scale <= MaxScale ? scale : 1.0;
}

QtLinkTimers::~QtLinkTimers() = default;

void QtLinkTimers::StartTimer(int id, int milliseconds)
{
    std::unique_ptr<QTimer>& timer = timers_[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        // The link's time-outs (2000 ms, 5000 ms) are compared with the
        // logger's own pauses; a coarse timer could be 5 % off.
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer.get(), &QTimer::timeout, [this, id] {
            if (onExpiry_)
                onExpiry_(id);
        });
    }
    // QTimer::start restarts a running timer, as a window timer does.
    const int period = scale_ == 1.0 ? milliseconds : int(std::lround(milliseconds * scale_));
    timer->start(std::max(1, period));
}

void QtLinkTimers::StopTimer(int id)
{
    auto found = timers_.find(id);
    if (found != timers_.end())
        found->second->stop();
}

bool QtLinkTimers::IsRunning(int id) const
{
    auto found = timers_.find(id);
    return found != timers_.end() && found->second->isActive();
}

int QtLinkTimers::Interval(int id) const
{
    return IsRunning(id) ? timers_.at(id)->interval() : 0;
}
