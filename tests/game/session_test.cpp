// A long seeded stream of random player and timer events, each outcome
// checked against the rules; then the few things a random stream can't reach.
#include "support/game_checker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace skyquill {
namespace {

using testing::CheckedGame;

TEST(Session, EveryRandomEventHasTheOutcomeTheRulesGive)
{
    // Mixed scripts, a word that grows when upper-cased, a final sigma, a
    // blank inside a word, a one-letter word, and two too long to finish
    // before they land.
    CheckedGame game({QStringLiteral("cart"), QStringLiteral("Carton"), QStringLiteral("straße"),
                      QStringLiteral("ÉTÉ"), QStringLiteral("λόγος"), QStringLiteral("привет"), QStringLiteral("a"),
                      QStringLiteral("x y"), QString(300, u'w'), QString(300, u'ж')});
    std::mt19937 rng(20261206);
    const char* env = std::getenv("SKYQUILL_SESSION_EVENTS");
    const int events = env != nullptr ? std::atoi(env) : 1000000;
    for (int i = 0; i < events && game.failure().empty(); ++i)
        randomEvent(game, rng);
    EXPECT_EQ(game.failure(), "");
    EXPECT_GT(game.wins, events / 10000);  // the stream reaches the states that matter
    EXPECT_GT(game.cycles, events / 5000);
    EXPECT_GT(game.landings, events / 5000);  // some at exactly the ground's height
    std::printf("session: %d events, %d picks, %d cycles, %d wins, %d landings\n", events, game.picks, game.cycles,
                game.wins, game.landings);
}

// What a stream can't reach: an empty list, a source that hands out 1, and
// the order of New Game's steps (the timer off first, on last).
TEST(Session, EmptyListsDrawsOfOneAndTheOrderOfNewGame)
{
    CheckedGame empty({});
    empty.newGame();
    EXPECT_EQ(empty.failure(), "");
    EXPECT_EQ(empty.mode(), CheckedGame::Mode::Stopped);

    CheckedGame game({QStringLiteral("alpha"), QStringLiteral("beta")});
    game.platform.randoms = {1.0, 1.0, 1.0};
    game.newGame();
    EXPECT_EQ(game.failure(), "");
    EXPECT_EQ(game.form.lblWord.top(), 3719.0F);
    EXPECT_EQ(game.form.tmrSkyquill.interval(), 25);
    EXPECT_EQ(game.form.lblWord.caption(), QStringLiteral("BETA"));

    struct : ElementListener {
        std::vector<Element> changed;
        void elementChanged(Element e, Property) override { changed.push_back(e); }
    } order;
    game.form.setListener(&order);
    game.newGame();
    game.form.setListener(nullptr);
    EXPECT_EQ(order.changed.front(), Element::tmrSkyquill);
    EXPECT_EQ(order.changed.back(), Element::tmrSkyquill);
    game.form.mnuExit_Click();
    EXPECT_EQ(game.platform.exitStatus, 0);
    EXPECT_TRUE(game.platform.boxes.empty());
}

}  // namespace
}  // namespace skyquill
