// An arbitrary word against an arbitrary stream of keys, edits, ticks and
// commands, every outcome checked by the session test's checker.
#include "support/game_checker.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::size_t at = 0;
    auto next = [&]() -> unsigned { return at < size ? data[at++] : 0U; };
    QString word;  // mostly letters, sometimes any character, as a word list gives them
    for (unsigned n = 1 + next() % 8; n > 0; --n) {
        char32_t c = next() % 4 != 0 ? u'a' + next() % 26 : next() | next() << 8U | (next() % 17) << 16U;
        c = QChar::isSurrogate(c) ? u'?' : c;
        word += QString::fromUcs4(&c, 1);
    }
    skyquill::testing::CheckedGame game({word, QStringLiteral("straße")});
    game.newGame();
    while (at < size && game.failure().empty())
        randomEvent(game, next);
    if (!game.failure().empty()) {
        std::fprintf(stderr, "%s\n", game.failure().c_str());
        std::abort();
    }
    return 0;
}
