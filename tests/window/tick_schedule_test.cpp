#include "window/tick_schedule.h"

#include <gtest/gtest.h>

namespace skyquill {
namespace {

TEST(TickSchedule, KeepsTheClassicGranularityWithoutDriftOrBursts)
{
    using namespace std::chrono;
    const std::pair<int, int> periods[] = {{-5, 15625}, {1, 15625}, {15, 15625}, {16, 31250}, {25, 31250}, {47, 62500}};
    for (const auto& [ms, us] : periods)
        EXPECT_EQ(TickSchedule::periodFor(ms), microseconds(us)) << ms;
    TickSchedule schedule;
    schedule.start(seconds(100), 1);
    for (int i = 0; i < 640; ++i)  // every tick 3 ms late, and still 10 s for 640
        schedule.advance(schedule.deadline() + milliseconds(3));
    EXPECT_EQ(schedule.deadline(), seconds(110) + microseconds(15625));
    schedule.advance(seconds(200));  // after a stall it goes on from now, without a burst
    EXPECT_EQ(schedule.deadline(), seconds(200) + microseconds(15625));
}

}  // namespace
}  // namespace skyquill
