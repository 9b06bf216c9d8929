// A platform whose random numbers, clock and directory a test chooses, and
// which records every message box instead of showing it.
#pragma once

#include "game/form.h"
#include "window/platform.h"
#include "window/random_source.h"

#include <deque>
#include <functional>
#include <utility>
#include <vector>

namespace skyquill::testing {

struct ShownBox {
    QString text;
    QString title;
};

class ScriptedPlatform : public Platform {
public:
    ScriptedPlatform() { fallback_.seed(1.0F); }

    void messageBox(const QString& text, const QString& title) override
    {
        boxes.push_back({text, title});
        if (onBox)
            onBox(boxes.back());
    }
    void endProgram(int exitStatus) override
    {
        ended_ = true;
        exitStatus_ = exitStatus;
    }
    bool ended() const override { return ended_; }
    float timeOfDay() override { return time; }
    QString executableDirectory() override { return directory; }
    void seedRandom(float seed) override { seeds.push_back(seed); }
    double random() override
    {
        ++draws;
        if (randoms.empty())
            return fallback_.next();
        const double r = randoms.front();
        randoms.pop_front();
        return r;
    }

    int exitStatus() const { return exitStatus_; }

    std::deque<double> randoms;  // used first, then a fixed pseudo-random sequence
    std::vector<ShownBox> boxes;
    std::function<void(const ShownBox&)> onBox;  // runs while the box is "open"
    std::vector<float> seeds;
    QString directory;
    float time = 45296.5F;
    int draws = 0;

private:
    RandomSource fallback_;
    bool ended_ = false;
    int exitStatus_ = -1;
};

// Records every change of an element's property, in order.
struct ChangeRecorder : ElementListener {
    std::vector<std::pair<Element, Property>> seen;
    void elementChanged(Element e, Property p) override { seen.emplace_back(e, p); }
};

// Puts words straight into the word table, as a successful start-up would.
inline void loadWords(frmSkyquill& form, const std::vector<QString>& words)
{
    GameState& s = form.stateForTesting();
    s.intWordCount = 0;
    for (const QString& w : words)
        s.strWordList.at(static_cast<std::size_t>(++s.intWordCount)) = w;
}

// The draw that picks slot `index` (1-based) of `count` words.
inline double pick(int index, int count)
{
    return (index - 0.5) / count;
}

// Types one character as the player would: key filter, then the box. A
// disabled box takes no keys at all.
inline void typeChar(frmSkyquill& form, char16_t c)
{
    if (!form.txtWord.enabled())
        return;
    char16_t code = c;
    form.txtWord_KeyPress(code);
    if (code != 0)
        form.txtWord.setText(form.txtWord.text() + QChar(code));
}

inline void typeText(frmSkyquill& form, const QString& text)
{
    for (const QChar c : text)
        typeChar(form, c.unicode());
}

// An edit that produces no character (paste, delete): the box changes.
inline void editTo(frmSkyquill& form, const QString& text)
{
    form.txtWord.setText(text);
}

}  // namespace skyquill::testing
