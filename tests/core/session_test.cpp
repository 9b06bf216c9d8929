// A long seeded stream of random player and timer events, each outcome
// checked against the rules.
#include "core/game_checker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace skyquill {
namespace {

using testing::CheckedGame;

TEST(Session, EveryRandomEventHasTheOutcomeTheRulesGive)
{
    // Mixed scripts, a word that grows when upper-cased, a final sigma, a
    // character outside the BMP, a word stored decomposed, a blank inside a
    // word, a one-letter word, and two too long to finish before they land.
    CheckedGame game({QStringLiteral("cart"), QStringLiteral("Carton"), QStringLiteral("straße"),
                      QStringLiteral("ÉTÉ"), QStringLiteral("λόγος"), QStringLiteral("привет"), QStringLiteral("ok😀"),
                      QStringLiteral("cafe\u0301"), QStringLiteral("a"), QStringLiteral("x y"), QString(300, u'w'),
                      QString(300, u'ж')});
    game.platform.randoms = {1.0, 1.0, 1.0};  // the first word from the top of every range
    std::mt19937 rng(20261206);
    const char* env = std::getenv("SKYQUILL_SESSION_EVENTS");
    const int events = env != nullptr ? std::atoi(env) : 1000000;
    for (int i = 0; i < events && game.failure().empty(); ++i)
        randomEvent(game, rng);
    EXPECT_EQ(game.failure(), "");
    EXPECT_GT(game.wins, events / 20000);  // the stream reaches the states that matter
    EXPECT_GT(game.cycles, events / 5000);
    EXPECT_GT(game.landings, events / 5000);  // some at exactly the ground's height
    CheckedGame empty({});  // only ever shows its box
    for (int i = 0; i < 1000; ++i)
        randomEvent(empty, rng);
    EXPECT_EQ(empty.failure(), "");
    std::printf("session: %d events, %d cycles, %d wins, %d landings\n", events, game.cycles, game.wins, game.landings);
}

}  // namespace
}  // namespace skyquill
