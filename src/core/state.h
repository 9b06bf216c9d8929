// What the window's elements don't hold: the loaded words, which of them have
// been shown in the current cycle, and three 16-bit counters. Both tables keep
// their full size for the whole run.
#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace skyquill {

inline constexpr int kWordSlots = 10001;  // slot 0 is never used

struct GameState {
    std::array<QString, kWordSlots> strWordList;
    std::array<std::int16_t, kWordSlots> intUsed{};
    std::int16_t intWordCount = 0;
    std::int16_t intCurrentWord = 0;
    std::int16_t intWordsUsed = 0;

    void clearUsed() { intUsed.fill(0); }
};

}  // namespace skyquill
