#include "support/scripted_platform.h"
#include "window/score_text.h"
#include "window/tick_schedule.h"

#include <gtest/gtest.h>

namespace skyquill {
namespace {

TEST(TextBox, ChangeRunsInsideAChangingWriteOnlyAndTheCaretStaysInTheText)
{
    TextBox box(Element::txtWord, {0, 0, 10, 10});
    int runs = 0;
    // A handler that trims one character per run, nesting writes.
    box.onChange([&] {
        ++runs;
        if (box.text().size() > 2)
            box.setText(box.text().chopped(1));
    });
    box.setText(QStringLiteral("ABCDE"));
    EXPECT_EQ(box.text(), QStringLiteral("AB"));
    EXPECT_EQ(runs, 4);
    box.setText(QStringLiteral("AB"));
    EXPECT_EQ(runs, 4) << "writing the same text raises nothing";

    box.setSelStart(99);
    EXPECT_EQ(box.selStart(), 2);
    box.setText(QStringLiteral("A"));
    EXPECT_EQ(box.selStart(), 1);
}

TEST(ScoreText, ReadsAndWritesWholeScores)
{
    for (int s = 0; s <= 10; ++s)
        EXPECT_EQ(readScore(scoreText(s)), s);
    EXPECT_EQ(scoreText(-1.0), QStringLiteral("0"));
    EXPECT_EQ(readScore(QStringLiteral(" 7 points")), 7.0);
    EXPECT_TRUE(std::isfinite(readScore(QString(5000, u'9'))));
}

TEST(TickSchedule, KeepsTheClassicGranularityWithoutDriftOrBursts)
{
    using namespace std::chrono;
    const std::pair<int, microseconds> periods[] = {{-5, microseconds(15625)}, {1, microseconds(15625)},
                                                    {15, microseconds(15625)}, {16, microseconds(31250)},
                                                    {25, microseconds(31250)}, {47, microseconds(62500)}};
    for (const auto& [ms, period] : periods)
        EXPECT_EQ(TickSchedule::periodFor(ms), period) << ms;

    TickSchedule schedule;
    schedule.start(seconds(100), 1);
    for (int i = 0; i < 640; ++i)  // every tick 3 ms late: still 10 s for 640
        schedule.advance(schedule.deadline() + milliseconds(3));
    EXPECT_EQ(schedule.deadline() - schedule.period(), seconds(110));
    schedule.advance(seconds(200));  // a stall restarts from now
    EXPECT_EQ(schedule.deadline(), seconds(200) + microseconds(15625));
}

TEST(RandomSource, StaysBelowOneAndFollowsTheSeed)
{
    RandomSource a;
    RandomSource b;
    a.seed(100.25F);
    b.seed(100.5F);
    double low = 1.0;
    double high = 0.0;
    bool differs = false;
    for (int i = 0; i < 100000; ++i) {
        const double x = a.next();
        low = std::min(low, x);
        high = std::max(high, x);
        differs = differs || x != b.next();
    }
    EXPECT_TRUE(differs);
    EXPECT_GE(low, 0.0);
    EXPECT_LT(low, 0.001);
    EXPECT_LT(high, 1.0);
    EXPECT_GT(high, 0.999);
}

}  // namespace
}  // namespace skyquill
