// The typing rule under an arbitrary word and an arbitrary script of player
// actions: keys (Backspace, Esc, controls, lone surrogates included) typed at
// any position, pastes, deletions, ticks, New Game, Pause, Rules and About.
// Each action's outcome is worked out here independently, from the rule as
// the player sees it, and compared with what the form did:
//   - an edit that makes the upper-cased entry start with the word scores it
//     exactly once (the score rises by one, up to 10) and empties the entry;
//   - any other edit leaves the longest upper-case beginning of the word that
//     the entry starts with;
//   - the caret is at the end of the entry and the score reads "0" to "10".
#include "fuzz/check.h"
#include "support/scripted_platform.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace {

using namespace skyquill;

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ == size_; }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    char16_t unit()
    {
        const auto low = byte();
        return static_cast<char16_t>(low | byte() << 8U);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Characters whose case mapping or encoding is unusual: sharp s (one becomes
// two), final sigma, dotted and dotless i, ligatures, titlecase digraphs,
// accented Greek, Cyrillic, a Deseret letter in both cases, lone surrogates,
// non-characters, the BOM, controls, Backspace and Esc.
constexpr std::array<char16_t, 36> kTricky = {
    8,      27,     0,      9,      10,     13,     127,    u'ß',   0x1E9E, u'ς',   u'σ',   u'Σ',
    0x0130, 0x0131, u'i',   0xFB01, 0x0149, 0x01C5, 0x01C6, 0x0390, u'é',   u'É',   u'ж',   u'Ё',
    u'λ',   u'ό',   0xD801, 0xDC28, 0xDC00, 0xD83D, 0xDE00, 0xFEFF, 0xFFFE, 0xFFFF, 0x00A0, u' '};

char16_t pickUnit(Input& in, const QString& word)
{
    const std::uint8_t kind = in.byte();
    switch (kind % 6U) {
    case 0:
    case 1: {  // a character of the word, in either case
        const QChar c = word.isEmpty() ? QChar(u'a') : word.at(in.byte() % word.size());
        return (kind & 0x80U) != 0 ? c.toLower().unicode() : c.unicode();
    }
    case 2:
        return static_cast<char16_t>(u'a' + in.byte() % 26U);
    case 3:
    case 4:
        return kTricky.at(in.byte() % kTricky.size());
    default:
        return in.unit();
    }
}

QString pickText(Input& in, const QString& word)
{
    QString text;
    const int length = in.byte() % 9;
    for (int i = 0; i < length; ++i)
        text.append(QChar(pickUnit(in, word)));
    return text;
}

QString readWord(Input& in)
{
    QString word;
    const int length = 1 + in.byte() % 10;
    for (int i = 0; i < length; ++i) {
        const std::uint8_t kind = in.byte();
        if (kind % 4U == 0)
            word.append(QChar(static_cast<char16_t>(u'a' + in.byte() % 26U)));
        else if (kind % 4U == 1)
            word.append(QChar(kTricky.at(in.byte() % kTricky.size())));
        else if (kind % 4U == 2)
            word.append(QStringLiteral("😀"));
        else
            word.append(QChar(in.unit()));
    }
    return word;
}

qsizetype commonPrefix(const QString& a, const QString& b)
{
    qsizetype i = 0;
    while (i < a.size() && i < b.size() && a.at(i) == b.at(i))
        ++i;
    return i;
}

class Session {
public:
    explicit Session(const QString& word) : word_(word), upper_(word.toUpper())
    {
        testing::loadWords(form_, {word});
        newGame();
    }

    void run(Input& in)
    {
        while (!in.empty()) {
            // The low six bits choose the action, the top two are its flags.
            const std::uint8_t op = in.byte();
            switch ((op & 0x3FU) % 13U) {
            case 0: {  // the next character of the word, as displayed or in lower case
                const QString& entry = form_.txtWord.text();
                const QChar next = entry.size() < upper_.size() ? upper_.at(entry.size()) : QChar(u'!');
                key((op & 0x80U) != 0 ? next.toLower().unicode() : next.unicode(), entry.size());
                break;
            }
            case 1:
                key(pickUnit(in, upper_), position(in));
                break;
            case 2:
                key(kTricky.at(in.byte() % kTricky.size()), form_.txtWord.text().size());
                break;
            case 3: {  // paste at any position
                QString text = form_.txtWord.text();
                const qsizetype at = position(in);
                edit(text.insert(at, pickText(in, upper_)));
                break;
            }
            case 4: {  // paste over a selection
                QString text = form_.txtWord.text();
                const qsizetype at = position(in);
                const qsizetype length = in.byte() % (text.size() - at + 1);
                edit(text.replace(at, length, pickText(in, upper_)));
                break;
            }
            case 5: {  // Delete, or a selection cut away
                QString text = form_.txtWord.text();
                const qsizetype at = position(in);
                edit(text.remove(at, 1 + in.byte() % 4));
                break;
            }
            case 6: {  // paste the rest of the word, perhaps in lower case, perhaps with more after it
                QString text = form_.txtWord.text() + upper_.mid(form_.txtWord.text().size());
                if ((op & 0x80U) != 0)
                    text = text.toLower();
                if ((op & 0x40U) != 0)
                    text += pickText(in, upper_);
                edit(text);
                break;
            }
            case 7:
                key(kEscape, form_.txtWord.text().size());
                break;
            case 8:
                ticks(1 + in.byte() % 64);
                break;
            case 9:
                ticks(400);  // enough to land from any height
                break;
            case 10:
                newGame();
                break;
            case 11:
                pauseMenu();
                break;
            default:
                help((op & 0x80U) != 0);
                break;
            }
            checkAlways();
        }
    }

private:
    int score() const { return form_.lblScore.caption().toInt(); }
    bool running() const { return form_.tmrSkyquill.enabled(); }

    qsizetype position(Input& in) const { return in.byte() % (form_.txtWord.text().size() + 1); }

    void checkAlways() const
    {
        const QString& score = form_.lblScore.caption();
        bool number = false;
        const int value = score.toInt(&number);
        check(number && value >= 0 && value <= 10 && score == QString::number(value), "score text outside 0..10");
        const QString& entry = form_.txtWord.text();
        check(form_.txtWord.selStart() == entry.size(), "caret not at the end");
        check(form_.lblWord.caption().toUpper().startsWith(entry), "entry is not a beginning of the word");
        check(form_.lblWord.caption().isEmpty() || form_.lblWord.caption() == upper_, "another word on show");
    }

    // A key in the entry box: the key filter first, then the box inserts what
    // passed at its own caret, which the player may have moved.
    void key(char16_t code, qsizetype at)
    {
        if (!form_.txtWord.enabled())
            return;
        const bool wasRunning = running();
        const QString before = form_.txtWord.text();
        char16_t passed = code;
        form_.txtWord_KeyPress(passed);
        check(running() == (code == kEscape ? !wasRunning : wasRunning), "Esc did not toggle pause, or a key did");
        const bool expectPass = code != kBackspace && code != kEscape && wasRunning;
        check(passed == (expectPass ? code : 0), "key filter let the wrong key through");
        check(form_.txtWord.text() == before, "key filter changed the entry");
        if (passed != 0)
            edit(QString(before).insert(at, QChar(passed)));
    }

    // The box's text becomes `text`, as after any edit by the player.
    void edit(const QString& text)
    {
        if (!form_.txtWord.enabled())
            return;
        const QString before = form_.txtWord.text();
        const int scoreBefore = score();
        const bool wasRunning = running();
        const auto boxes = platform_.boxes.size();
        const QString upperText = text.toUpper();

        testing::editTo(form_, text);

        if (text == before) {  // the same text raises no change event
            check(form_.txtWord.text() == before && score() == scoreBefore, "an unchanged text did something");
        } else if (upperText.startsWith(upper_)) {
            ++completions_;
            const int expected = std::min(scoreBefore + 1, 10);
            check(score() == expected, "a finished word did not score exactly once");
            check(form_.txtWord.text().isEmpty(), "entry not emptied after scoring");
            const bool won = expected == 10 && wasRunning;
            check(form_.txtWord.enabled() == !won && running() == (wasRunning && !won), "win state wrong");
            check(platform_.boxes.size() == boxes + (won ? 1U : 0U), "wrong number of message boxes");
            check(won ? form_.lblWord.caption().isEmpty() : form_.lblWord.caption() == upper_, "word after scoring");
        } else {
            check(form_.txtWord.text() == upperText.left(commonPrefix(upperText, upper_)),
                  "entry is not the longest fitting beginning");
            check(score() == scoreBefore && running() == wasRunning, "score or timer changed without a finished word");
            check(platform_.boxes.size() == boxes, "a message box without a win");
        }
        if (score() != scoreBefore)
            ++scoreChanges_;
        check(scoreChanges_ <= completions_ + landings_, "score changed more often than words were finished or landed");
    }

    void ticks(int count)
    {
        for (int i = 0; i < count && running(); ++i) {
            const float top = form_.lblWord.top();
            const int scoreBefore = score();
            form_.tmrSkyquill_Timer();
            if (top + kDropStep < kBottom) {
                check(form_.lblWord.top() == top + kDropStep && score() == scoreBefore, "a plain tick did more");
                continue;
            }
            ++landings_;
            check(score() == std::max(scoreBefore - 1, 0), "a landed word did not cost one point");
            check(form_.txtWord.text().isEmpty(), "entry not emptied when the word landed");
            check(form_.lblWord.top() >= 120.0F && form_.lblWord.top() < 3720.0F, "new word off its heights");
            if (score() != scoreBefore)
                ++scoreChanges_;
        }
    }

    void newGame()
    {
        form_.mnuNewGame_Click();
        check(score() == 0 && running() && form_.txtWord.enabled() && form_.txtWord.text().isEmpty() &&
                  form_.lblWord.caption() == upper_ && form_.lblWord.visible() && !form_.lblPaused.visible(),
              "New Game did not start a fresh game");
    }

    void pauseMenu()
    {
        if (!form_.mnuPauseGame.enabled())  // a disabled item can't be chosen
            return;
        const bool wasRunning = running();
        form_.mnuPauseGame_Click();
        check(running() == !wasRunning && form_.lblPaused.visible() == wasRunning, "Pause did not toggle");
    }

    void help(bool about)
    {
        const auto boxes = platform_.boxes.size();
        if (about)
            form_.mnuAbout_Click();
        else
            form_.mnuRules_Click();
        check(!running() && platform_.boxes.size() == boxes + 1, "help left the game running or showed no box");
    }

    testing::ScriptedPlatform platform_;
    frmSkyquill form_{platform_};
    QString word_;
    QString upper_;
    long completions_ = 0;
    long landings_ = 0;
    long scoreChanges_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in(data, size);
    const QString word = readWord(in);
    Session session(word);
    session.run(in);
    return 0;
}
