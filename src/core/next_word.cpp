// Puts the next word into play: a random height, a random tick interval and a
// word not yet shown in this cycle.
#include "core/form.h"
#include "core/design.h"

#include <algorithm>
#include <cmath>

namespace skyquill {

namespace {

// floor(r * n), kept below n even if a source ever hands out 1.0 or the
// product rounds up to n.
int drawBelow(double r, int n)
{
    const double product = std::floor(std::clamp(r, 0.0, 1.0) * n);
    return std::clamp(static_cast<int>(product), 0, n - 1);
}

}  // namespace

void frmSkyquill::NextWord()
{
    GameState& s = *state_;

    lblWord.setTop(static_cast<float>(drawBelow(platform_.random(), design::kTopLast - design::kTopFirst + 1) + design::kTopFirst));
    tmrSkyquill.setInterval(drawBelow(platform_.random(), design::kIntervalLast) + 1);

    // Draw until an unshown word comes up. There is a word to draw: New Game,
    // the only way into play, refuses an empty list. And at least one is
    // unshown whenever a pick begins, because the last pick of a cycle clears
    // every flag.
    do {
        s.intCurrentWord = static_cast<std::int16_t>(drawBelow(platform_.random(), s.intWordCount) + 1);
    } while (s.intUsed.at(static_cast<std::size_t>(s.intCurrentWord)) != 0);

    s.intUsed.at(static_cast<std::size_t>(s.intCurrentWord)) = 1;
    ++s.intWordsUsed;
    if (s.intWordsUsed == s.intWordCount) {
        s.clearUsed();
        s.intWordsUsed = 0;
    }

    lblWord.setCaption(typingForm(s.strWordList.at(static_cast<std::size_t>(s.intCurrentWord))));
}

}  // namespace skyquill
