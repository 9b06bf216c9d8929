// A long seeded stream of random player and timer events, each outcome
// checked against the rules; then the few picks a random stream can't reach.
#include "support/game_checker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace skyquill {
namespace {

using testing::CheckedGame;

int eventCount()
{
    const char* env = std::getenv("SKYQUILL_SESSION_EVENTS");
    return env != nullptr ? std::max(1, std::atoi(env)) : 1000000;
}

TEST(Session, EveryRandomEventHasTheOutcomeTheRulesGive)
{
    // Mixed scripts, a word that grows when upper-cased (ß), a final sigma,
    // a blank inside a word and a one-letter word.
    CheckedGame game({QStringLiteral("cart"), QStringLiteral("Carton"), QStringLiteral("straße"),
                      QStringLiteral("ÉTÉ"), QStringLiteral("λόγος"), QStringLiteral("привет"), QStringLiteral("a"),
                      QStringLiteral("x y")});
    std::mt19937 rng(20261206);
    auto chance = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const std::u16string oddKeys = u"\b\x1b\x01\t\r 9zZ-éσжß";
    const int events = eventCount();
    for (int i = 0; i < events && game.failure().empty(); ++i) {
        const QString word = game.form.lblWord.caption();
        const QString text = game.form.txtWord.text();
        switch (chance(20)) {
        case 0:
        case 1:
        case 2:
        case 3:  // the right next letter, in either case
            if (text.size() < word.size())
                game.type((chance(2) != 0 ? word[text.size()] : word[text.size()].toLower()).unicode());
            break;
        case 4:
        case 5:
            game.type(oddKeys[static_cast<std::size_t>(chance(static_cast<int>(oddKeys.size())))],
                      chance(static_cast<int>(text.size()) + 1));
            break;
        case 6:  // a paste somewhere in the text
            game.edit(QString(text).insert(chance(static_cast<int>(text.size()) + 1),
                                           chance(3) == 0 ? word.toLower() + QStringLiteral("tail")
                                                          : word.mid(chance(4), chance(5)) + QChar(u'q')));
            break;
        case 7:  // Delete: a character goes without a key press
            if (!text.isEmpty())
                game.edit(QString(text).remove(chance(static_cast<int>(text.size())), 1));
            break;
        case 8:
            if (chance(20) == 0)
                game.newGame();
            break;
        case 9:
            game.pause();
            break;
        case 10:
            if (chance(10) == 0)
                game.help(chance(2) != 0);
            break;
        default:
            game.tick();
            break;
        }
        ASSERT_EQ(game.failure(), "") << "event " << i;
    }
    EXPECT_FALSE(game.platform.ended());
    if (events >= 100000) {  // the stream must reach the states that matter
        EXPECT_GT(game.wins, 10);
        EXPECT_GT(game.cycles, 100);
    }
    std::printf("session: %d events, %d picks, %d cycles, %d wins\n", events, game.picks, game.cycles, game.wins);
}

TEST(Session, EmptyListRefusesToStart)
{
    CheckedGame game({});
    game.newGame();
    game.type(u'a');
    game.help(true);
    EXPECT_EQ(game.failure(), "");
    EXPECT_EQ(game.mode(), CheckedGame::Mode::Stopped);
}

TEST(Session, DrawsOfOneStayInRange)
{
    CheckedGame game({QStringLiteral("alpha"), QStringLiteral("beta")});
    game.platform.randoms = {1.0, 1.0, 1.0};
    game.newGame();
    EXPECT_EQ(game.failure(), "");
    EXPECT_EQ(game.form.lblWord.top(), 3719.0F);
    EXPECT_EQ(game.form.tmrSkyquill.interval(), 25);
    EXPECT_EQ(game.form.lblWord.caption(), QStringLiteral("BETA"));
}

TEST(Session, NewGameStopsTheTimerFirstAndStartsItLast)
{
    CheckedGame game({QStringLiteral("cart")});
    game.newGame();
    struct : ElementListener {
        std::vector<std::pair<Element, Property>> seen;
        void elementChanged(Element e, Property p) override { seen.emplace_back(e, p); }
    } order;
    game.form.setListener(&order);
    game.newGame();
    game.form.setListener(nullptr);
    ASSERT_GE(order.seen.size(), 2U);
    EXPECT_EQ(order.seen.front(), std::make_pair(Element::tmrSkyquill, Property::Enabled));
    EXPECT_EQ(order.seen.back(), std::make_pair(Element::tmrSkyquill, Property::Enabled));
    game.form.mnuExit_Click();
    EXPECT_TRUE(game.platform.ended());
    EXPECT_EQ(game.platform.exitStatus, 0);
}

}  // namespace
}  // namespace skyquill
