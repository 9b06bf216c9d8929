// A game whose every event is checked against the rules as the player sees
// them: the outcome is worked out here, independently of the form, and
// compared with what the form did; the first difference is kept in failure().
// The session test drives it with a seeded stream through randomEvent().
#pragma once

#include "core/design.h"
#include "core/scripted_platform.h"

#include <cmath>
#include <optional>
#include <set>
#include <string>
#include <tuple>

namespace skyquill::testing {

class CheckedGame {
public:
    enum class Mode { Stopped, Running, Paused };

    explicit CheckedGame(const std::vector<QString>& words) : words_(words)
    {
        loadWords(form, words);
        platform.onBox = [this](const QString& box) {
            if (box != std::exchange(box_, {}))
                fail("unexpected box " + box.toStdString());
            checkDisplay("box");  // switched off, or paused, before any box opens
        };
    }

    // A key typed at `at` (the end by default). Each code unit of its text
    // goes through the key filter and what passes enters the box at once, as
    // in the window. A disabled box takes no keys; a code of 0 is no key.
    void type(const QString& key, qsizetype at = -1)
    {
        const QString text = form.txtWord.text();
        const auto typed = [&](const QString& passed) { return QString(text).insert(at < 0 ? text.size() : at, passed); };
        QString expected;
        QString passed;
        if (mode_ != Mode::Stopped)
            check("key " + key.toStdString(), [&](Shown& e) {
                for (const QChar c : key) {
                    if (c == kEscape)
                        toggle();
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
            check("edit", [&](Shown& e) { settle(e, text); }, [&] { form.txtWord.setText(text); });
    }

    void tick()
    {
        if (mode_ == Mode::Running)  // else the timer is off
            check("tick", [this](Shown& e) {
                e.top += design::kDropStep;
                if (e.top >= design::kBottom) {  // landed: a point lost, the next word
                    ++landings;
                    e = {std::max(e.score - 1, 0), {}, 0, 0, 0, {}, true};
                }
            }, [&] { form.tmrSkyquill_Timer(); });
    }

    void newGame()
    {
        check("New Game", [&](Shown& e) {
            if (words_.empty()) {
                box_ = QStringLiteral("ERROR!!!: The Word List Is Empty!");
            } else {
                mode_ = Mode::Running;
                e = {0, {}, 0, 0, 0, {}, true};
            }
        }, [&] { form.mnuNewGame_Click(); });
    }

    void pause()
    {
        if (mode_ != Mode::Stopped)  // else the item is disabled
            check("Pause", [&](Shown&) { toggle(); }, [&] { form.mnuPauseGame_Click(); });
    }

    const std::string& failure() const { return failure_; }
    Mode mode() const { return mode_; }

    ScriptedPlatform platform;
    frmSkyquill form{platform};
    int cycles = 0, wins = 0, landings = 0;  // how far a stream got

private:
    struct Shown {  // what the window shows, and whether the event picks a word
        int score;
        QString text;
        qsizetype caret;
        float top;
        std::int32_t interval;
        QString word;
        bool pick = false;
        bool operator==(const Shown&) const = default;
    };

    Shown now() const
    {
        return {form.lblScore.caption().toInt(), form.txtWord.text(), form.txtWord.selStart(),
                form.lblWord.top(), form.tmrSkyquill.interval(), form.lblWord.caption()};
    }

    // Works the outcome out before the event, then lets the form act.
    template <typename Plan, typename Act>
    void check(const std::string& event, Plan&& plan, Act&& act)
    {
        Shown e = now();
        plan(e);
        act();
        if (cutFrom_)
            checkCut(event, e);
        e.caret = e.text.size();
        if (!std::exchange(box_, {}).isEmpty())
            fail(event + ": the box it should show never opened");
        if (std::exchange(e.pick, false))
            checkPick(event, e);
        if (const Shown s = now(); s != e || form.lblScore.caption() != QString::number(e.score))
            fail(event + QStringLiteral(": shows %1 %2 %3, not %4 %5 %6 (or a caret, height or speed)")
                             .arg(form.lblScore.caption(), s.text, s.word).arg(e.score).arg(e.text, e.word).toStdString());
        checkDisplay(event);
    }

    void toggle() { mode_ = mode_ == Mode::Running ? Mode::Paused : Mode::Running; }

    // A text that starts with the whole word, in upper case and NFC, scores
    // it, and the tenth point wins unless the word was finished while paused;
    // any other text is cut back (checkCut).
    void settle(Shown& e, const QString& typed)
    {
        const QString text = typed.toUpper().normalized(QString::NormalizationForm_C);
        if (!text.startsWith(e.word)) {
            cutFrom_ = text;
            return;
        }
        e.text.clear();
        e.score = std::min(e.score + 1, design::kWinScore);
        e.pick = e.score < design::kWinScore || mode_ != Mode::Running;
        if (!e.pick) {
            mode_ = Mode::Stopped;
            e.word.clear();
            box_ = QStringLiteral("Congratulations!: You are a winner!");
            ++wins;
        }
    }

    // What the player sees of a cut: whole characters that begin both the
    // word and what was typed, and no further character that would.
    void checkCut(const std::string& event, Shown& e)
    {
        const QString kept = form.txtWord.text();
        const QString typed = *std::exchange(cutFrom_, std::nullopt);
        const qsizetype n = kept.size();
        const QString more = typed.mid(n, n < typed.size() && typed[n].isHighSurrogate() ? 2 : 1);
        if (!kept.isValidUtf16() || !e.word.startsWith(kept) || !typed.startsWith(kept) ||
            (!more.isEmpty() && e.word.startsWith(kept + more) && more.isValidUtf16()))
            fail(event + ": cut " + typed.toStdString() + " to " + kept.toStdString() + " against " + e.word.toStdString());
        e.text = kept;
    }

    void checkDisplay(const std::string& event)
    {
        const bool running = mode_ == Mode::Running;
        const bool paused = mode_ == Mode::Paused;
        if (form.tmrSkyquill.enabled() != running || form.lblWord.visible() != running ||
            form.lblPaused.visible() != paused || form.txtWord.enabled() != (running || paused) ||
            form.mnuPauseGame.enabled() != (running || paused) ||
            form.mnuPauseGame.caption() != (paused ? design::kUnpauseGame : design::kPauseGame))
            fail(event + ": the window does not look " + (running ? "running" : paused ? "paused" : "stopped"));
    }

    // The new word as the player sees it: a height of whole twips and an
    // interval in the design's ranges, and a word of the list not yet shown in
    // this cycle, in upper case and NFC.
    void checkPick(const std::string& event, Shown& e)
    {
        const Shown s = now();
        std::size_t slot = 0;
        while (slot < words_.size() && (shown_.contains(slot) || words_[slot].toUpper().normalized(QString::NormalizationForm_C) != s.word))
            ++slot;
        if (slot == words_.size() || s.top != std::floor(s.top) || s.top < design::kTopFirst || s.top > design::kTopLast || s.interval < 1 || s.interval > design::kIntervalLast)
            return fail(event + ": picked " + s.word.toStdString() + " at " + std::to_string(s.top) + " every " + std::to_string(s.interval) + " ms");
        std::tie(e.top, e.interval, e.word) = std::tie(s.top, s.interval, s.word);
        shown_.insert(slot);
        if (shown_.size() == words_.size()) {  // the cycle is complete
            shown_.clear();
            ++cycles;
        }
    }

    void fail(const std::string& what) { failure_ = failure_.empty() ? what : failure_; }

    std::vector<QString> words_;
    Mode mode_ = Mode::Stopped;
    std::set<std::size_t> shown_;
    QString box_;  // the box the event should show, as "title: text"
    std::optional<QString> cutFrom_;  // what was typed, in upper case and NFC, when the entry is cut back
    std::string failure_;
};

// One random event, chosen with next() from a seeded engine: mostly the right
// next character and ticks, then odd keys typed anywhere, pastes and
// deletions, and now and then New Game and Pause. (Help only pauses, as Pause
// does; the view test shows its boxes.)
template <typename Next>
void randomEvent(CheckedGame& game, Next&& next)
{
    static const QString odd = QStringLiteral("\b\x1b\x01\t\r\x7f 9zZ-éσςжßİıﬁ\uFEFF\u00A0\u0301😀😁");
    const auto below = [&next](qsizetype n) { return static_cast<qsizetype>(next() % static_cast<unsigned>(n)); };
    const QString word = game.form.lblWord.caption();
    const QString text = game.form.txtWord.text();
    const qsizetype at = below(text.size() + 1);
    const qsizetype kind = below(20);
    const QString right = word.mid(text.size(), text.size() < word.size() && word[text.size()].isHighSurrogate() ? 2 : 1);
    if (kind < 4 && !right.isEmpty())  // the right next character, in either case
        game.type(below(2) != 0 ? right : right.toLower());
    else if (kind == 4)  // an odd key: a character, half of one, or a letter and an accent
        game.type(below(8) == 0 ? QStringLiteral("e\u0301") : odd.mid(below(odd.size()), below(4) == 0 ? 2 : 1), at);
    else if (kind == 5)  // any code unit at all
        game.type(QString(QChar(static_cast<char16_t>(next()))), at);
    else if (kind == 6)  // a paste, now and then of the word and more, else of a piece of it
        game.edit(QString(text).insert(at, below(100) == 0 ? word.toLower() + QStringLiteral("tail")
                                                           : word.mid(below(4), below(5)) + QChar(u'q')));
    else if (kind == 7)  // Delete: a character goes without a key press
        game.edit(QString(text).remove(at, 1));
    else if (kind == 8 && below(game.mode() == CheckedGame::Mode::Stopped ? 2 : 100) == 0)
        game.newGame();
    else if (kind == 9 && below(4) == 0)
        game.pause();
    else if (kind > 10)
        game.tick();
}

}  // namespace skyquill::testing
