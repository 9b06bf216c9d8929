// A long seeded stream of random player and timer events, with the game's
// invariants checked after every one of them.
#include "support/scripted_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>

namespace skyquill {
namespace {

using testing::ScriptedPlatform;

const std::vector<QString> kWords{
    QStringLiteral("cart"), QStringLiteral("Carton"), QStringLiteral("dog"), QStringLiteral("ÉTÉ"),
    QStringLiteral("σοφία"), QStringLiteral("привет"), QStringLiteral("a"),   QStringLiteral("x y"),
};

int eventCount()
{
    if (const char* env = std::getenv("SKYQUILL_SESSION_EVENTS"))
        return std::max(1, std::atoi(env));
    return 1000000;
}

// Checks that no word index comes twice within a cycle and that every cycle
// shows every word.
class CycleWatch : public ElementListener {
public:
    explicit CycleWatch(const frmSkyquill& form) : form_(form) {}
    void elementChanged(Element e, Property p) override
    {
        if (e != Element::lblWord || p != Property::Caption || form_.lblWord.caption().isEmpty())
            return;
        const int index = form_.state().intCurrentWord;
        if (!shown_.insert(index).second)
            ADD_FAILURE() << "word " << index << " shown twice in one cycle";
        ++picks;
        if (form_.state().intWordsUsed == 0) {
            if (static_cast<int>(shown_.size()) != form_.state().intWordCount)
                ADD_FAILURE() << "cycle ended after " << shown_.size() << " words";
            shown_.clear();
            ++cycles;
        }
    }
    int picks = 0;
    int cycles = 0;

private:
    const frmSkyquill& form_;
    std::set<int> shown_;
};

::testing::AssertionResult invariantsHold(const frmSkyquill& form, bool fullScan)
{
    const QString score = form.lblScore.caption();
    bool scoreOk = false;
    const int s = score.toInt(&scoreOk);
    if (!scoreOk || s < 0 || s > 10 || QString::number(s) != score)
        return ::testing::AssertionFailure() << "score text " << score.toStdString();

    const QString word = form.lblWord.caption().toUpper();
    const QString& text = form.txtWord.text();
    if (!word.startsWith(text) || text.toUpper() != text)
        return ::testing::AssertionFailure() << "entry is not a beginning of the word";
    if (form.txtWord.selStart() != text.size())
        return ::testing::AssertionFailure() << "caret not at the end";

    const bool running = form.tmrSkyquill.enabled();
    const bool stopped = !form.mnuPauseGame.enabled();
    if (running && (!form.lblWord.visible() || form.lblPaused.visible() || !form.txtWord.enabled() || stopped ||
                    form.mnuPauseGame.caption() != QStringLiteral("&Pause Game")))
        return ::testing::AssertionFailure() << "running display is off";
    if (!running && !stopped &&
        (form.lblWord.visible() || !form.lblPaused.visible() || !form.txtWord.enabled() ||
         form.mnuPauseGame.caption() != QStringLiteral("&Unpause Game")))
        return ::testing::AssertionFailure() << "paused display is off";
    if (stopped && (running || form.txtWord.enabled() || form.lblWord.visible() || form.lblPaused.visible()))
        return ::testing::AssertionFailure() << "stopped display is off";

    const GameState& st = form.state();
    const int n = st.intWordCount;
    const auto last = static_cast<std::size_t>(fullScan ? kWordSlots : n + 2);
    int flags = 0;
    for (std::size_t i = 0; i < last; ++i) {
        if (st.intUsed[i] != 0 && (i == 0 || static_cast<int>(i) > n || st.intUsed[i] != 1))
            return ::testing::AssertionFailure() << "stray flag at " << i;
        flags += st.intUsed[i];
    }
    if (flags != st.intWordsUsed || st.intWordsUsed >= n)
        return ::testing::AssertionFailure() << "flags " << flags << " vs used " << st.intWordsUsed;
    return ::testing::AssertionSuccess();
}

TEST(Session, RandomEventStreamKeepsEveryInvariant)
{
    ScriptedPlatform platform;
    frmSkyquill form(platform);
    testing::loadWords(form, kWords);
    CycleWatch watch(form);
    form.setListener(&watch);
    std::mt19937 rng(20261206);
    auto chance = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };

    const std::u16string oddKeys = u"\b\x1b\x01\x16\t\r 9zZ-éΣж\u00df";
    const int events = eventCount();
    int wins = 0;
    for (int i = 0; i < events; ++i) {
        const QString word = form.lblWord.caption();
        switch (chance(20)) {
        case 0:
        case 1:
        case 2:
        case 3: {  // the right next letter, in either case
            const QString& text = form.txtWord.text();
            if (text.size() < word.size()) {
                const QChar c = chance(2) != 0 ? word[text.size()] : word[text.size()].toLower();
                testing::typeChar(form, c.unicode());
            }
            break;
        }
        case 4:
        case 5:
            testing::typeChar(form, oddKeys[static_cast<std::size_t>(chance(static_cast<int>(oddKeys.size())))]);
            break;
        case 6: {  // paste somewhere in the text
            const QString& text = form.txtWord.text();
            const auto at = chance(static_cast<int>(text.size()) + 1);
            const QString piece = chance(3) == 0 ? word.toLower() + QStringLiteral("tail")
                                                 : word.mid(chance(4), chance(5)) + QChar(u'q');
            if (form.txtWord.enabled())
                testing::editTo(form, QString(text).insert(at, piece));
            break;
        }
        case 7:  // Delete or a cut: a character goes without a key press
            if (form.txtWord.enabled() && !form.txtWord.text().isEmpty())
                testing::editTo(form, QString(form.txtWord.text()).remove(chance(static_cast<int>(form.txtWord.text().size())), 1));
            break;
        case 8:
            if (chance(20) == 0)
                form.mnuNewGame_Click();
            break;
        case 9:
            if (form.mnuPauseGame.enabled())
                form.mnuPauseGame_Click();
            break;
        case 10:
            if (chance(10) == 0)
                chance(2) != 0 ? form.mnuRules_Click() : form.mnuAbout_Click();
            break;
        default:
            if (form.tmrSkyquill.enabled())
                form.tmrSkyquill_Timer();
            break;
        }
        if (!platform.boxes.empty()) {
            wins += static_cast<int>(std::count_if(platform.boxes.begin(), platform.boxes.end(),
                                                   [](const auto& b) { return b.title == QStringLiteral("Congratulations!"); }));
            platform.boxes.clear();
        }
        ASSERT_TRUE(invariantsHold(form, i % 4096 == 0)) << "after event " << i;
    }
    form.setListener(nullptr);
    EXPECT_FALSE(platform.ended());
    if (events >= 100000) {
        // The stream must actually reach the interesting states.
        EXPECT_GT(wins, 10);
        EXPECT_GT(watch.cycles, 100);
    }
    std::printf("session: %d events, %d picks, %d cycles, %d wins\n", events, watch.picks, watch.cycles, wins);
}

}  // namespace
}  // namespace skyquill
