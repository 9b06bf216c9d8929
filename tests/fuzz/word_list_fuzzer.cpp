// Arbitrary bytes as a word list, fed all at once, a byte at a time and in
// uneven pieces: the words must not depend on the pieces, nor break the rules
// every word keeps; a smaller limit reads a beginning of the list.
#include "game/word_list.h"

#include <cstdio>
#include <cstdlib>

namespace {

using Words = std::optional<std::vector<QString>>;

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "word list: %s\n", what);
        std::abort();
    }
}

Words decode(const std::uint8_t* data, std::size_t size, int limit, std::size_t piece)
{
    skyquill::WordListDecoder decoder(limit);
    // Pieces of `piece` bytes, or of 3, 10, 6, 4, 3... bytes from 3 on.
    for (std::size_t at = 0, n = 0; at < size; at += n, piece = piece == 1 ? 1 : piece * 7 % 13 + 1) {
        n = std::min(piece, size - at);
        if (!decoder.feed(reinterpret_cast<const char*>(data) + at, n))
            check(!decoder.feed("x\n", 2), "wanted input again after it stopped");
    }
    return decoder.finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Words whole = decode(data, size, skyquill::kMaxWords, size + 1);
    check(decode(data, size, skyquill::kMaxWords, 1) == whole, "a byte at a time differs from all at once");
    check(decode(data, size, skyquill::kMaxWords, 3) == whole, "uneven pieces differ from all at once");
    for (const QString& word : whole.value_or(std::vector<QString>{})) {
        check(!word.isEmpty() && word.size() <= skyquill::kMaxLineChars, "empty or overlong word");
        check(word.front() != u' ' && word.back() != u' ', "a blank at an end of a word");
        for (const QChar c : word)
            check(c.category() != QChar::Other_Control, "control character in a word");
    }
    const Words limited = decode(data, size, 3, size + 1);
    check(!whole || (limited && limited->size() <= 3), "a limit refused a word list or read past it");
    return 0;
}
