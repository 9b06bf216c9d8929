// When the drop timer ticks. The game asks for 1 to 25 ms; it keeps the
// granularity of the classic desktop timer it was designed on: at least 10 ms,
// rounded up to whole 64 Hz ticks (15.625 ms). Deadlines are kept on a steady
// clock, so the mean period holds exactly however late a tick is delivered.
#pragma once

#include <chrono>
#include <cstdint>

namespace skyquill {

class TickSchedule {
public:
    using Duration = std::chrono::nanoseconds;

    static constexpr Duration kGranule = std::chrono::microseconds(15625);
    static constexpr std::int32_t kMinimumMs = 10;

    static Duration periodFor(std::int32_t intervalMs);

    // Ticks start one period after now.
    void start(Duration now, std::int32_t intervalMs);
    // A new interval applies from the last tick (or the start) on.
    void setInterval(std::int32_t intervalMs);
    // Call when the deadline has passed: moves on to the next deadline. A tick
    // delivered more than a whole period late (a stalled machine) restarts the
    // schedule from now rather than firing a burst to catch up.
    void advance(Duration now);

    Duration deadline() const { return base_ + period_; }
    Duration period() const { return period_; }

private:
    Duration base_{0};
    Duration period_{kGranule};
};

}  // namespace skyquill
