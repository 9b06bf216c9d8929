#include "window/elements.h"
#include "window/random_source.h"
#include "window/tick_schedule.h"

#include <gtest/gtest.h>

namespace skyquill {
namespace {

TEST(TextBox, CaretStaysInsideTheText)
{
    TextBox box(Element::txtWord, {0, 0, 10, 10});
    box.setText(QStringLiteral("ABC"));
    box.setSelStart(99);
    EXPECT_EQ(box.selStart(), 3);
    box.setText(QStringLiteral("A"));
    EXPECT_EQ(box.selStart(), 1);
}

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

TEST(RandomSource, SpansZeroToJustBelowOneAndFollowsTheSeed)
{
    RandomSource a;
    RandomSource b;
    a.seed(100.25F);
    b.seed(100.5F);
    double low = 1.0;
    double high = 0.0;
    for (int i = 0; i < 100000; ++i) {
        low = std::min(low, a.next());
        high = std::max(high, a.next());
    }
    EXPECT_TRUE(low >= 0.0 && low < 0.001 && high > 0.999 && high < 1.0) << low << " " << high;
    EXPECT_NE(a.next(), b.next());
}

}  // namespace
}  // namespace skyquill
