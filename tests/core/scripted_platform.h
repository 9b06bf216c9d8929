// A platform whose random numbers, clock and directory a test chooses, and
// which records every message box instead of showing it.
#pragma once

#include "core/command_line.h"
#include "core/form.h"

#include <deque>
#include <functional>
#include <random>
#include <vector>

namespace skyquill::testing {

class ScriptedPlatform : public Platform {
public:
    // A box is kept as "title: text"; onBox runs while it is open.
    void messageBox(const QString& text, const QString& title) override
    {
        boxes.push_back(title + QStringLiteral(": ") + text);
        if (onBox)
            onBox(boxes.back());
    }
    void endProgram(int status) override { exitStatus = status; }
    bool ended() const override { return exitStatus >= 0; }
    float timeOfDay() override { return time; }
    QString wordListPath() override { return chooseWordList(std::nullopt, {}, directory); }
    void seedRandom(float seed) override { seeds.push_back(seed); }
    double random() override
    {
        if (randoms.empty())
            return std::generate_canonical<double, 53>(fallback_);
        const double r = randoms.front();
        randoms.pop_front();
        return r;
    }

    std::deque<double> randoms;   // handed out first, then a fixed pseudo-random sequence
    std::vector<QString> boxes;
    std::function<void(const QString&)> onBox;
    std::vector<float> seeds;
    QString directory;  // the word list is SkyquillList.txt in it
    float time = 45296.5F;
    int exitStatus = -1;  // -1 while the program runs

private:
    std::mt19937_64 fallback_;
};

// Puts words straight into the word table, as a successful start-up would.
inline void loadWords(frmSkyquill& form, const std::vector<QString>& words)
{
    GameState& s = form.stateForTesting();
    s.intWordCount = static_cast<std::int16_t>(words.size());
    std::copy(words.begin(), words.end(), s.strWordList.begin() + 1);
}

}  // namespace skyquill::testing
