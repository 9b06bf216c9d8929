// Start-up: seed the random source, clear the cycle, load the word list.
#include "core/form.h"
#include "core/word_list.h"

#include <algorithm>
#include <utility>

namespace skyquill {

void frmSkyquill::Form_Load()
{
    platform_.seedRandom(platform_.timeOfDay());
    state_->clearUsed();
    state_->intWordsUsed = 0;
    LoadWordList();
}

void frmSkyquill::LoadWordList()
{
    GameState& s = *state_;
    s.intWordCount = 0;

    auto words = readWordList(platform_.wordListPath());
    if (!words) {
        // One message for every cause: missing, unreadable or not a word list.
        platform_.messageBox(QStringLiteral("No Word List Found!"), QStringLiteral("ERROR!!!"));
        platform_.endProgram(1);
        return;
    }
    const auto count = std::min<std::size_t>(words->size(), kMaxWords);
    for (std::size_t i = 0; i < count; ++i) {
        ++s.intWordCount;
        s.strWordList.at(static_cast<std::size_t>(s.intWordCount)) = std::move((*words)[i]);
    }
}

}  // namespace skyquill
