// Start-up: seed the random source, clear the cycle, load the word list.
#include "core/form.h"
#include "core/list_file.h"

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

    const QString path = platform_.wordListPath();
    WordList list = readWordList(path);
    // The box has one message for every cause; standard error names it, as
    // other programs do, so that the player can mend the file.
    const auto tell = [&](const QString& what) { platform_.tell(QStringLiteral("skyquill: %1: %2").arg(path, what)); };
    std::for_each(list.notes.cbegin(), list.notes.cend(), tell);
    if (!list.refusal.isEmpty()) {
        tell(list.refusal);
        platform_.messageBox(QStringLiteral("No Word List Found!"), QStringLiteral("ERROR!!!"));
        platform_.endProgram(1);
        return;
    }
    const auto count = std::min<std::size_t>(list.words.size(), kMaxWords);
    for (std::size_t i = 0; i < count; ++i) {
        ++s.intWordCount;
        s.strWordList.at(static_cast<std::size_t>(s.intWordCount)) = std::move(list.words[i]);
    }
}

}  // namespace skyquill
