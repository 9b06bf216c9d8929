#include "qt/tick_schedule.h"

#include <algorithm>

namespace skyquill {

TickSchedule::Duration TickSchedule::periodFor(std::int32_t intervalMs)
{
    const Duration asked = std::chrono::milliseconds(std::max(intervalMs, kMinimumMs));
    const auto granules = (asked.count() + kGranule.count() - 1) / kGranule.count();
    return kGranule * granules;
}

void TickSchedule::start(Duration now, std::int32_t intervalMs)
{
    base_ = now;
    period_ = periodFor(intervalMs);
}

void TickSchedule::setInterval(std::int32_t intervalMs)
{
    period_ = periodFor(intervalMs);
}

void TickSchedule::advance(Duration now)
{
    base_ = deadline();
    if (now - base_ > period_)
        base_ = now;
}

}  // namespace skyquill
