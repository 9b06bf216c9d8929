#include "qt/drop_timer.h"

#include <chrono>

namespace skyquill {

DropTimer::DropTimer(std::function<void()> onTick, QObject* parent)
    : QObject(parent), onTick_(std::move(onTick))
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &DropTimer::fire);
    clock_.start();
}

TickSchedule::Duration DropTimer::now() const
{
    return std::chrono::nanoseconds(clock_.nsecsElapsed());
}

void DropTimer::setEnabled(bool enabled, std::int32_t intervalMs)
{
    enabled_ = enabled;
    if (!enabled) {
        timer_.stop();
        return;
    }
    schedule_.start(now(), intervalMs);
    arm();
}

void DropTimer::setInterval(std::int32_t intervalMs)
{
    schedule_.setInterval(intervalMs);
    if (enabled_)
        arm();
}

void DropTimer::arm()
{
    using namespace std::chrono;
    const auto wait = schedule_.deadline() - now();
    // Qt timers count whole milliseconds; rounding up never fires early, and
    // the deadlines themselves don't drift.
    const auto ms = wait.count() <= 0 ? 0 : ceil<milliseconds>(wait).count();
    timer_.start(static_cast<int>(ms));
}

void DropTimer::fire()
{
    const auto t = now();
    if (t < schedule_.deadline()) {
        arm();
        return;
    }
    schedule_.advance(t);
    onTick_();
    if (enabled_ && !timer_.isActive())
        arm();
}

}  // namespace skyquill
