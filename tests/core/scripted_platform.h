// A platform whose random numbers, clock and lists a test chooses, and which
// records every message box instead of showing it.
#pragma once

#include "core/command_line.h"
#include "core/form.h"

#include <random>
#include <vector>

namespace skyquill::testing {

class ScriptedPlatform : public Platform {
public:
    void messageBox(const QString& text, const QString& title) override { boxes.push_back(title + QStringLiteral(": ") + text); }
    void tell(const QString& line) override { told.push_back(line); }
    void endProgram(int status) override { exitStatus = status; }
    bool ended() const override { return exitStatus >= 0; }
    float timeOfDay() override { return time; }
    QString wordListPath() override { return chooseWordList(std::nullopt, userList, directory); }
    void seedRandom(float seed) override { seeds.push_back(seed); }
    // The top of the range while `ones` lasts, then a fixed pseudo-random sequence.
    double random() override { return ones-- > 0 ? 1.0 : std::generate_canonical<double, 53>(engine_); }

    std::vector<QString> boxes;  // "title: text"
    std::vector<QString> told;   // lines on standard error
    std::vector<float> seeds;
    QString directory, userList;  // the list is SkyquillList.txt in the directory, unless the player's own is there
    float time = 45296.5F;
    int exitStatus = -1;  // -1 while the program runs
    int ones = 0;

private:
    std::mt19937_64 engine_;
};

// Puts words straight into the word table, as a successful start-up would.
inline void loadWords(frmSkyquill& form, const std::vector<QString>& words)
{
    GameState& s = form.stateForTesting();
    s.intWordCount = static_cast<std::int16_t>(words.size());
    std::copy(words.begin(), words.end(), s.strWordList.begin() + 1);
}

}  // namespace skyquill::testing
