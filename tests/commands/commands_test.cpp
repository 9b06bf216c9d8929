// New Game, Pause, Rules, About and Exit.
#include "support/scripted_platform.h"

#include <gtest/gtest.h>

namespace skyquill {
namespace {

using testing::loadWords;
using testing::pick;
using testing::ScriptedPlatform;
using testing::typeText;

class Commands : public ::testing::Test {
protected:
    void SetUp() override
    {
        loadWords(form, {QStringLiteral("cart"), QStringLiteral("dog"), QStringLiteral("emu"),
                         QStringLiteral("fox")});
    }
    void newGame(int index)
    {
        platform.randoms = {0.25, 0.5, pick(index, 4)};
        form.mnuNewGame_Click();
    }
    bool running() const { return form.tmrSkyquill.enabled(); }
    bool pausedDisplay() const
    {
        return !running() && form.lblPaused.visible() && !form.lblWord.visible() &&
               form.mnuPauseGame.caption() == QStringLiteral("&Unpause Game");
    }
    bool runningDisplay() const
    {
        return running() && !form.lblPaused.visible() && form.lblWord.visible() && form.txtWord.enabled() &&
               form.mnuPauseGame.enabled() && form.mnuPauseGame.caption() == QStringLiteral("&Pause Game");
    }

    ScriptedPlatform platform;
    frmSkyquill form{platform};
};

TEST_F(Commands, NewGameFromStoppedStartsAFreshGame)
{
    newGame(3);
    EXPECT_TRUE(runningDisplay());
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("EMU"));
    EXPECT_EQ(form.lblWord.top(), 1020.0F);
    EXPECT_EQ(form.tmrSkyquill.interval(), 13);
    EXPECT_EQ(form.lblScore.caption(), QStringLiteral("0"));
}

TEST_F(Commands, NewGameStopsTheTimerFirstAndStartsItLast)
{
    newGame(1);
    testing::ChangeRecorder order;
    form.setListener(&order);
    newGame(2);
    form.setListener(nullptr);
    ASSERT_GE(order.seen.size(), 2U);
    EXPECT_EQ(order.seen.front(), std::make_pair(Element::tmrSkyquill, Property::Enabled));
    EXPECT_EQ(order.seen.back(), std::make_pair(Element::tmrSkyquill, Property::Enabled));
}

TEST_F(Commands, NewGameMidGameAbandonsTheWordWithoutCostAndKeepsTheCycle)
{
    newGame(1);
    typeText(form, QStringLiteral("ca"));
    form.lblScore.setCaption(QStringLiteral("4"));
    const auto flags = form.state().intUsed;
    newGame(2);
    EXPECT_EQ(form.lblScore.caption(), QStringLiteral("0"));
    EXPECT_EQ(form.txtWord.text(), QString()) << "emptying the entry must not score the old word";
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("DOG"));
    EXPECT_EQ(form.state().intUsed[1], 1) << "the abandoned word stays shown";
    EXPECT_EQ(flags[1], 1);
    EXPECT_EQ(form.state().intWordsUsed, 2) << "each New Game takes one word";

    // The abandoned word does not come back before the cycle ends.
    platform.randoms = {0.0, 0.0, pick(1, 4), pick(2, 4), pick(4, 4)};
    form.mnuNewGame_Click();
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("FOX"));
}

TEST_F(Commands, PauseAndResumeKeepWordHeightSpeedAndTypedText)
{
    newGame(1);
    typeText(form, QStringLiteral("ca"));
    form.tmrSkyquill_Timer();
    const float top = form.lblWord.top();
    const auto interval = form.tmrSkyquill.interval();

    form.mnuPauseGame_Click();
    EXPECT_TRUE(pausedDisplay());
    EXPECT_TRUE(form.txtWord.enabled()) << "the box stays enabled while paused";
    form.mnuPauseGame_Click();
    EXPECT_TRUE(runningDisplay());
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("CART"));
    EXPECT_EQ(form.lblWord.top(), top);
    EXPECT_EQ(form.tmrSkyquill.interval(), interval);
    EXPECT_EQ(form.txtWord.text(), QStringLiteral("CA"));
}

TEST_F(Commands, NewGameWhilePausedRunsAgainWithANewWord)
{
    newGame(1);
    form.mnuPauseGame_Click();
    newGame(4);
    EXPECT_TRUE(runningDisplay());
    EXPECT_EQ(form.lblWord.caption(), QStringLiteral("FOX"));
}

TEST_F(Commands, NewGameAfterAWinSwitchesEverythingBackOn)
{
    newGame(1);
    form.lblScore.setCaption(QStringLiteral("9"));
    typeText(form, QStringLiteral("cart"));
    ASSERT_EQ(platform.boxes.size(), 1U);
    EXPECT_FALSE(running());
    EXPECT_FALSE(form.txtWord.enabled());
    EXPECT_FALSE(form.mnuPauseGame.enabled());
    EXPECT_EQ(form.lblScore.caption(), QStringLiteral("10")) << "the score stays until New Game";
    newGame(2);
    EXPECT_TRUE(runningDisplay());
    EXPECT_EQ(form.lblScore.caption(), QStringLiteral("0"));
}

TEST_F(Commands, EmptyWordListRefusesToStart)
{
    loadWords(form, {});
    form.mnuNewGame_Click();
    ASSERT_EQ(platform.boxes.size(), 1U);
    EXPECT_EQ(platform.boxes[0].text, QStringLiteral("The Word List Is Empty!"));
    EXPECT_EQ(platform.boxes[0].title, QStringLiteral("ERROR!!!"));
    EXPECT_FALSE(running());
    EXPECT_FALSE(form.txtWord.enabled());
    EXPECT_FALSE(form.mnuPauseGame.enabled());
    EXPECT_FALSE(form.lblWord.visible());
}

TEST_F(Commands, RulesPausesARunningGameBeforeTheBoxAndLeavesItPaused)
{
    newGame(1);
    bool pausedWhileReading = false;
    platform.onBox = [&](const testing::ShownBox&) { pausedWhileReading = pausedDisplay(); };
    form.mnuRules_Click();
    EXPECT_TRUE(pausedWhileReading);
    EXPECT_TRUE(pausedDisplay());
    ASSERT_EQ(platform.boxes.size(), 1U);
    EXPECT_EQ(platform.boxes[0].title, QStringLiteral("Rules of Skyquill"));
    EXPECT_EQ(platform.boxes[0].text,
              QStringLiteral("Words will drop from different heights and at different speeds.\r\n"
                             "You will earn one point if you correctly type the word before it\r\n"
                             "reaches the bottom. You will lose one point if you do not. Once\r\n"
                             "you earn 10 points you win the game. All of the words are real."));

    // Then About finds the game paused and only shows its box.
    form.mnuAbout_Click();
    EXPECT_TRUE(pausedDisplay());
    ASSERT_EQ(platform.boxes.size(), 2U);
    EXPECT_EQ(platform.boxes[1].title, QStringLiteral("About Skyquill"));
    EXPECT_EQ(platform.boxes[1].text, QStringLiteral("Skyquill version 1.00\r\nType the falling words before they land."));

    form.mnuPauseGame_Click();
    EXPECT_TRUE(runningDisplay());
}

TEST_F(Commands, HelpWhileStoppedChangesNothing)
{
    testing::ChangeRecorder changes;
    form.setListener(&changes);
    form.mnuRules_Click();
    form.mnuAbout_Click();
    form.setListener(nullptr);
    EXPECT_TRUE(changes.seen.empty());
    EXPECT_EQ(platform.boxes.size(), 2U);
}

TEST_F(Commands, ExitEndsAtOnceWithoutAMessageOrAScoreChange)
{
    newGame(1);
    form.lblScore.setCaption(QStringLiteral("3"));
    form.mnuExit_Click();
    EXPECT_TRUE(platform.ended());
    EXPECT_EQ(platform.exitStatus(), 0);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(form.lblScore.caption(), QStringLiteral("3"));
}

}  // namespace
}  // namespace skyquill
