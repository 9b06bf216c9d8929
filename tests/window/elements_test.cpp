#include "support/scripted_platform.h"
#include "window/elements.h"
#include "window/random_source.h"
#include "window/score_text.h"
#include "window/tick_schedule.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace skyquill {
namespace {

TEST(TextBox, ChangedWriteRunsChangeInsideTheWriteAndEqualWriteRunsNothing)
{
    TextBox box(Element::txtWord, {0, 0, 10, 10});
    std::vector<QString> seen;
    bool writeReturned = false;
    box.onChange([&] {
        EXPECT_FALSE(writeReturned) << "change ran after the write returned";
        seen.push_back(box.text());
    });

    box.setText(QStringLiteral("AB"));
    writeReturned = true;
    ASSERT_EQ(seen.size(), 1U);
    EXPECT_EQ(seen[0], QStringLiteral("AB"));

    box.setText(QStringLiteral("AB"));
    EXPECT_EQ(seen.size(), 1U) << "writing the same text must raise nothing";
}

TEST(TextBox, NestedWriteInsideChangeRunsChangeAgainUntilStable)
{
    TextBox box(Element::txtWord, {0, 0, 10, 10});
    int runs = 0;
    // A handler that trims one character per run, as a cutting rule would.
    box.onChange([&] {
        ++runs;
        if (box.text().size() > 2)
            box.setText(box.text().chopped(1));
    });
    box.setText(QStringLiteral("ABCDE"));
    EXPECT_EQ(box.text(), QStringLiteral("AB"));
    EXPECT_EQ(runs, 4);
}

TEST(TextBox, CaretStaysInsideTheText)
{
    TextBox box(Element::txtWord, {0, 0, 10, 10});
    box.setText(QStringLiteral("ABC"));
    box.setSelStart(99);
    EXPECT_EQ(box.selStart(), 3);
    box.setText(QStringLiteral("A"));
    EXPECT_EQ(box.selStart(), 1);
    box.setSelStart(-4);
    EXPECT_EQ(box.selStart(), 0);
}

TEST(Elements, ListenerHearsOnlyRealChanges)
{
    testing::ChangeRecorder recorder;
    Label label(Element::lblWord, {240, 120, 3855, 495}, QStringLiteral("X"), false);
    Timer timer(Element::tmrSkyquill, 10);
    MenuItem item(Element::mnuPauseGame, QStringLiteral("&Pause Game"), false);
    for (ElementBase* e : std::initializer_list<ElementBase*>{&label, &timer, &item})
        e->setListener(&recorder);

    label.setCaption(QStringLiteral("X"));
    label.setVisible(false);
    label.setTop(120.0F);
    timer.setInterval(10);
    item.setEnabled(false);
    EXPECT_TRUE(recorder.seen.empty());

    label.setTop(150.0F);
    timer.setEnabled(true);
    item.setCaption(QStringLiteral("&Unpause Game"));
    const std::vector<std::pair<Element, Property>> expected{
        {Element::lblWord, Property::Top},
        {Element::tmrSkyquill, Property::Enabled},
        {Element::mnuPauseGame, Property::Caption},
    };
    EXPECT_EQ(recorder.seen, expected);
    EXPECT_EQ(label.top(), 150.0F);
    EXPECT_EQ(label.designBox().left, 240) << "only Top moves";
}

TEST(ScoreText, ReadsTheLeadingNumber)
{
    EXPECT_EQ(readScore(QStringLiteral("0")), 0.0);
    EXPECT_EQ(readScore(QStringLiteral("10")), 10.0);
    EXPECT_EQ(readScore(QStringLiteral("  7 points")), 7.0);
    EXPECT_EQ(readScore(QStringLiteral("3.5x")), 3.5);
    EXPECT_EQ(readScore(QStringLiteral("-2")), -2.0);
    EXPECT_EQ(readScore(QString()), 0.0);
    EXPECT_EQ(readScore(QStringLiteral("Word")), 0.0);
    EXPECT_EQ(readScore(QStringLiteral(".")), 0.0);
    EXPECT_TRUE(std::isfinite(readScore(QString(5000, u'9'))));
}

TEST(ScoreText, WritesPlainDigitsThatReadBackTheSame)
{
    for (int s = 0; s <= 10; ++s) {
        const QString text = scoreText(s);
        EXPECT_EQ(text, QString::number(s));
        EXPECT_EQ(readScore(text), s);
    }
    EXPECT_EQ(scoreText(9.0 + 1.0), QStringLiteral("10"));
    EXPECT_EQ(scoreText(1.0 - 1.0), QStringLiteral("0"));
    EXPECT_EQ(scoreText(-1.0), QStringLiteral("0"));
}

TEST(TickSchedule, PeriodKeepsTheClassicTimerGranularity)
{
    using std::chrono::microseconds;
    for (int ms = 1; ms <= 15; ++ms)
        EXPECT_EQ(TickSchedule::periodFor(ms), microseconds(15625)) << ms;
    for (int ms = 16; ms <= 25; ++ms)
        EXPECT_EQ(TickSchedule::periodFor(ms), microseconds(31250)) << ms;
    EXPECT_EQ(TickSchedule::periodFor(0), microseconds(15625));
    EXPECT_EQ(TickSchedule::periodFor(-5), microseconds(15625));
    EXPECT_EQ(TickSchedule::periodFor(47), microseconds(62500));
}

TEST(TickSchedule, DeadlinesDoNotDriftWhenTicksAreLate)
{
    using namespace std::chrono;
    TickSchedule schedule;
    schedule.start(seconds(100), 1);
    // Each tick is delivered 3 ms late; 640 ticks still end at exactly 10 s.
    for (int i = 0; i < 640; ++i)
        schedule.advance(schedule.deadline() + milliseconds(3));
    EXPECT_EQ(schedule.deadline() - schedule.period(), seconds(110));
}

TEST(TickSchedule, NewIntervalAppliesFromTheLastTickAndStallsDoNotBurst)
{
    using namespace std::chrono;
    TickSchedule schedule;
    schedule.start(seconds(0), 1);
    schedule.advance(microseconds(15625));
    schedule.setInterval(25);
    EXPECT_EQ(schedule.deadline(), microseconds(15625 + 31250));

    // A one-second stall: the next tick is one period after the late one.
    schedule.advance(seconds(1));
    EXPECT_EQ(schedule.deadline(), seconds(1) + microseconds(31250));
}

TEST(RandomSource, StaysInsideZeroToOneAndDependsOnTheSeed)
{
    RandomSource a;
    RandomSource b;
    a.seed(100.25F);
    b.seed(100.5F);
    bool differs = false;
    double lowest = 1.0;
    double highest = 0.0;
    for (int i = 0; i < 100000; ++i) {
        const double x = a.next();
        ASSERT_GE(x, 0.0);
        ASSERT_LT(x, 1.0);
        lowest = std::min(lowest, x);
        highest = std::max(highest, x);
        differs = differs || x != b.next();
    }
    EXPECT_TRUE(differs);
    EXPECT_LT(lowest, 0.001);
    EXPECT_GT(highest, 0.999);
}

}  // namespace
}  // namespace skyquill
