// A long seeded stream of random player and timer events, each outcome
// worked out here from the rules as the player sees them and the design's
// ranges, independently of the form, and compared with what the form shows.
#include "core/design.h"
#include "core/scripted_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <set>

namespace skyquill::testing {
namespace {

using namespace Qt::StringLiterals;

QString upperNfc(const QString& text) { return text.toUpper().normalized(QString::NormalizationForm_C); }

class CheckedGame {
public:
    enum class Mode { Stopped, Running, Paused };

    explicit CheckedGame(const std::vector<QString>& words) : words_(words) { loadWords(form, words); }

    // A key typed at `at` (-1: the end). Each code unit of its text goes
    // through the key filter, and what passes enters the box at once, as in
    // the window; a disabled box takes no keys.
    void type(const QString& key, qsizetype at = -1)
    {
        const QString text = form.txtWord.text();
        const auto typed = [&](const QString& passed) { return QString(text).insert(at < 0 ? text.size() : at, passed); };
        QString expected, passed;
        if (mode_ != Mode::Stopped)
            check(u"key "_s + key, [&](Shown& e) {
                for (const QChar c : key) {
                    if (c == kEscape)
                        mode_ = mode_ == Mode::Running ? Mode::Paused : Mode::Running;
                    else if (c != kBackspace && c != QChar(0) && mode_ == Mode::Running)
                        expected += c;
                }
                if (!expected.isEmpty())
                    settle(e, typed(expected));
            }, [&] {
                for (char16_t code : key.toStdU16String()) {
                    form.txtWord_KeyPress(code);
                    passed += QChar(code);
                }
                if (!passed.remove(QChar(0)).isEmpty())
                    form.txtWord.setText(typed(passed));
            });
    }

    // A paste, Delete or cut: the text changes without a key, in any mode.
    void edit(const QString& text)
    {
        if (mode_ != Mode::Stopped)
            check(u"edit"_s, [&](Shown& e) { settle(e, text); }, [&] { form.txtWord.setText(text); });
    }

    void tick()
    {
        if (mode_ == Mode::Running)  // else the timer is off
            check(u"tick"_s, [this](Shown& e) {
                e.top += design::kDropStep;
                if (e.top >= design::kBottom) {  // landed: a point lost, the next word
                    ++landings;
                    e = {QString::number(std::max(e.score.toInt() - 1, 0))};
                    pick_ = true;
                }
            }, [&] { form.tmrSkyquill_Timer(); });
    }

    void newGame()
    {
        check(u"New Game"_s, [&](Shown& e) {
            mode_ = Mode::Running;
            e = {u"0"_s};
            pick_ = true;
        }, [&] { form.mnuNewGame_Click(); });
    }

    void pause()
    {
        if (mode_ != Mode::Stopped)  // else the item is disabled
            check(u"Pause"_s, [&](Shown&) { mode_ = mode_ == Mode::Running ? Mode::Paused : Mode::Running; },
                  [&] { form.mnuPauseGame_Click(); });
    }

    const QString& failure() const { return failure_; }
    Mode mode() const { return mode_; }

    ScriptedPlatform platform;
    frmSkyquill form{platform};
    int cycles = 0, wins = 0, landings = 0;  // how far a stream got

private:
    // What the window shows; `look` is which of the timer, the word, the
    // banner, the entry box and the Pause item are on, and the item's caption.
    struct Shown {
        QString score{}, text{};
        qsizetype caret = 0;
        float top = 0;
        std::int32_t interval = 0;
        QString word{}, look{};
        bool operator==(const Shown&) const = default;
        QString str() const { return QStringList{score, text, QString::number(caret), QString::number(top), QString::number(interval), word, look}.join(u'|'); }
    };

    Shown now() const
    {
        const auto on = [](bool b) { return b ? u"1"_s : u"0"_s; };
        return {form.lblScore.caption(), form.txtWord.text(), form.txtWord.selStart(), form.lblWord.top(), form.tmrSkyquill.interval(),
                form.lblWord.caption(), on(form.tmrSkyquill.enabled()) + on(form.lblWord.visible()) + on(form.lblPaused.visible()) +
                on(form.txtWord.enabled()) + on(form.mnuPauseGame.enabled()) + form.mnuPauseGame.caption()};
    }

    QString look() const
    {
        using enum Mode;
        return mode_ == Running  ? u"11011"_s + design::kPauseGame.toString()
               : mode_ == Paused ? u"00111"_s + design::kUnpauseGame.toString()
                                 : u"00000"_s + design::kPauseGame.toString();
    }

    // Works the outcome out before the event, then lets the form act.
    template <typename Plan, typename Act>
    void check(const QString& event, Plan&& plan, Act&& act)
    {
        Shown e = now();
        const std::size_t boxes = platform.boxes.size();
        plan(e);
        act();
        if (const QString box = platform.boxes.size() > boxes ? platform.boxes.back() : QString(); box != std::exchange(box_, {}))
            fail(event + u": the box shown is '"_s + box + u"'"_s);
        if (std::exchange(pick_, false))
            pick(event, e);
        e.caret = e.text.size();
        e.look = look();
        if (const Shown s = now(); s != e)
            fail(event + u": shows "_s + s.str() + u", not "_s + e.str());
    }

    // A text that starts with the whole word, in upper case and NFC, scores
    // it, and the tenth point wins unless the word was finished while paused.
    // Any other text is cut to the whole characters that begin both it and
    // the word.
    void settle(Shown& e, const QString& typed)
    {
        const QString text = upperNfc(typed);
        if (!text.startsWith(e.word)) {
            const QList<uint> t = text.toUcs4(), w = e.word.toUcs4();  // half a pair is U+FFFD here
            const auto kept = std::mismatch(t.begin(), t.end(), w.begin(), w.end()).first - t.begin();
            e.text = QString::fromUcs4(reinterpret_cast<const char32_t*>(t.data()), kept);
            return;
        }
        e = {QString::number(std::min(e.score.toInt() + 1, design::kWinScore)), {}, 0, e.top, e.interval};
        pick_ = e.score.toInt() < design::kWinScore || mode_ != Mode::Running;
        if (!pick_) {
            mode_ = Mode::Stopped;
            box_ = u"Congratulations!: You are a winner!"_s;
            ++wins;
        }
    }

    // The new word: a height of whole twips and an interval in the design's
    // ranges, and a word of the list not yet shown in this cycle, in upper
    // case and NFC.
    void pick(const QString& event, Shown& e)
    {
        const Shown s = now();
        std::size_t slot = 0;
        while (slot < words_.size() && (shown_.contains(slot) || upperNfc(words_[slot]) != s.word))
            ++slot;
        if (slot == words_.size() || s.top != std::floor(s.top) || s.top < design::kTopFirst || s.top > design::kTopLast ||
            s.interval < 1 || s.interval > design::kIntervalLast)
            return fail(event + u": picked "_s + s.str());
        std::tie(e.top, e.interval, e.word) = std::tie(s.top, s.interval, s.word);
        shown_.insert(slot);
        if (shown_.size() == words_.size()) {  // the cycle is complete
            shown_.clear();
            ++cycles;
        }
    }

    void fail(const QString& what) { failure_ = failure_.isEmpty() ? what : failure_; }

    std::vector<QString> words_;
    Mode mode_ = Mode::Stopped;
    std::set<std::size_t> shown_;
    QString box_;  // the box the event should show, as "title: text"
    bool pick_ = false;  // the event puts up a new word
    QString failure_;
};

// One random event: mostly the right next character and ticks, then odd keys
// typed anywhere, pastes and deletions, and now and then New Game and Pause.
// (Help only pauses, as Pause does; the view test shows its boxes.)
void randomEvent(CheckedGame& game, std::mt19937& rng)
{
    static const QString odd = QStringLiteral("\b\x1b\x01\t\r\x7f 9zZ-éσςжßİıﬁ\uFEFF\u00A0\u0301😀😁");
    const auto below = [&rng](qsizetype n) { return static_cast<qsizetype>(rng() % static_cast<unsigned>(n)); };
    const QString word = game.form.lblWord.caption();
    const QString text = game.form.txtWord.text();
    const qsizetype at = below(text.size() + 1);
    const qsizetype kind = below(20);
    const QString right = word.mid(text.size(), text.size() < word.size() && word[text.size()].isHighSurrogate() ? 2 : 1);
    if (kind < 4 && !right.isEmpty())  // the right next character, in either case
        game.type(below(2) != 0 ? right : right.toLower());
    else if (kind < 6)  // an odd key: a character, half of one, or a letter and an accent
        game.type(below(8) == 0 ? u"e\u0301"_s : odd.mid(below(odd.size()), below(4) == 0 ? 2 : 1), at);
    else if (kind == 6)  // a paste, now and then of the word and more, else of a piece of it
        game.edit(QString(text).insert(at, below(100) == 0 ? word.toLower() + u"tail"_s : word.mid(below(4), below(5)) + u'q'));
    else if (kind == 7)  // Delete: a character goes without a key press
        game.edit(QString(text).remove(at, 1));
    else if (kind == 8 && below(game.mode() == CheckedGame::Mode::Stopped ? 2 : 100) == 0)
        game.newGame();
    else if (kind == 9 && below(4) == 0)
        game.pause();
    else if (kind > 10)
        game.tick();
}

TEST(Session, EveryRandomEventHasTheOutcomeTheRulesGive)
{
    // Mixed scripts, a word that grows when upper-cased, a final sigma, a
    // character outside the BMP, a word stored decomposed, a blank inside a
    // word, a one-letter word, and two too long to finish before they land.
    CheckedGame game({u"cart"_s, u"Carton"_s, u"straße"_s, u"ÉTÉ"_s, u"λόγος"_s, u"привет"_s, u"ok😀"_s, u"cafe\u0301"_s,
                      u"a"_s, u"x y"_s, QString(300, u'w'), QString(300, u'ж')});
    game.platform.ones = 3;  // the first word from the top of every range
    std::mt19937 rng(20261206);
    const char* env = std::getenv("SKYQUILL_SESSION_EVENTS");
    const int events = env != nullptr ? std::atoi(env) : 1000000;
    for (int i = 0; i < events && game.failure().isEmpty(); ++i)
        randomEvent(game, rng);
    EXPECT_EQ(game.failure().toStdString(), "");
    EXPECT_GT(game.wins, events / 20000);  // the stream reaches the states that matter
    EXPECT_GT(game.cycles, events / 5000);
    EXPECT_GT(game.landings, events / 5000);  // some at exactly the ground's height
}

}  // namespace
}  // namespace skyquill::testing
