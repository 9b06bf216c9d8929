// Arbitrary bytes into the word-list decoder, fed whole, a byte at a time and
// in uneven chunks (empty ones included). The result must not depend on the
// chunking, and every word kept must be one the player can type: not empty,
// no blanks around it, no control character in it, not over
// kMaxLineChars, and never more words than asked for.
#include "fuzz/check.h"
#include "game/word_list.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

using skyquill::kMaxLineChars;
using skyquill::kMaxWords;
using skyquill::WordListDecoder;
using Words = std::optional<std::vector<QString>>;

// The chunk sizes come from the bytes themselves, so a crash replays exactly.
class SplitSource {
public:
    SplitSource(const std::uint8_t* data, std::size_t size)
    {
        for (std::size_t i = 0; i < size; ++i)
            state_ = (state_ ^ data[i]) * 0x100000001B3ULL;  // FNV-1a
        state_ |= 1U;
    }
    std::uint64_t next()
    {
        state_ ^= state_ << 13U;
        state_ ^= state_ >> 7U;
        state_ ^= state_ << 17U;
        return state_;
    }

private:
    std::uint64_t state_ = 0xCBF29CE484222325ULL;
};

// Feeds the stream through `chunk` until the decoder wants no more, then
// checks that it keeps refusing input, and returns what it read.
template <typename ChunkSize>
Words decode(const std::uint8_t* data, std::size_t size, int maxWords, ChunkSize chunk)
{
    WordListDecoder decoder(maxWords);
    const auto* bytes = reinterpret_cast<const char*>(data);
    std::size_t at = 0;
    bool wanted = true;
    while (at < size && wanted) {
        const std::size_t n = std::min<std::size_t>(chunk(), size - at);
        wanted = decoder.feed(bytes + at, n);
        at += n;
    }
    if (!wanted)
        check(!decoder.feed(bytes + at, size - at) && !decoder.feed("x\n", 2), "wanted input again after it stopped");
    return decoder.finish();
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

void checkWords(const Words& words, int maxWords)
{
    if (!words)
        return;
    check(words->size() <= static_cast<std::size_t>(maxWords), "more words than asked for");
    for (const QString& word : *words) {
        check(!word.isEmpty(), "empty word");
        check(word.size() <= kMaxLineChars, "word over kMaxLineChars");
        check(!isBlank(word.front()) && !isBlank(word.back()), "blank around a word");
        check(std::none_of(word.begin(), word.end(), [](QChar c) { return c.category() == QChar::Other_Control; }),
              "control character inside a word");
    }
}

// With a BOM, or in plain ASCII, the encoding cannot change on a later line,
// so what a smaller limit reads is exactly the first words.
bool encodingIsFixed(const std::uint8_t* data, std::size_t size)
{
    if (size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF)))
        return true;
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
        return true;
    return std::all_of(data, data + size, [](std::uint8_t byte) { return byte < 0x80; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SplitSource split(data, size);

    const Words whole = decode(data, size, kMaxWords, [] { return std::size_t{1} << 30; });
    checkWords(whole, kMaxWords);

    const Words byByte = decode(data, size, kMaxWords, [] { return std::size_t{1}; });
    check(byByte == whole, "one byte at a time differs from all at once");

    // Mostly small pieces, sometimes empty ones, sometimes a larger run.
    const Words uneven = decode(data, size, kMaxWords, [&split] {
        const std::uint64_t r = split.next();
        return static_cast<std::size_t>((r & 7U) == 0 ? r >> 58U : (r >> 8U) % 7U);
    });
    check(uneven == whole, "uneven chunks differ from all at once");

    // A small limit: the decoder stops at that word, and what it has read so
    // far is a word list whenever the whole input is one.
    const int limit = 1 + static_cast<int>(split.next() % 5U);
    const Words limited = decode(data, size, limit, [&split] { return static_cast<std::size_t>(1 + split.next() % 9U); });
    checkWords(limited, limit);
    // Unmarked 8-bit text may switch encoding on a later line, and which
    // lines are words depends on the encoding: then only the first check holds.
    if (whole) {
        check(limited.has_value(), "a prefix of a word list was refused");
        if (encodingIsFixed(data, size)) {
            check(limited->size() == std::min(whole->size(), static_cast<std::size_t>(limit)),
                  "wrong count under a limit");
            check(std::equal(limited->begin(), limited->end(), whole->begin()), "a limit changed the first words");
        }
    }

    // Now and then the input repeated into a longer stream (up to 512 KiB), so
    // that the 10,000-word cap and the long-line cut-off are reached too.
    if (size > 0 && split.next() % 16U == 0) {
        const std::size_t copies = std::max<std::size_t>(1, (std::size_t{512} << 10U) / size);
        std::vector<std::uint8_t> stream;
        stream.reserve(copies * size);
        for (std::size_t i = 0; i < copies; ++i)
            stream.insert(stream.end(), data, data + size);
        const Words longWhole = decode(stream.data(), stream.size(), kMaxWords, [] { return std::size_t{1} << 30; });
        checkWords(longWhole, kMaxWords);
        const Words longChunked = decode(stream.data(), stream.size(), kMaxWords,
                                         [&split] { return static_cast<std::size_t>(split.next() % 4099U); });
        check(longChunked == longWhole, "chunking changed a long stream");
    }
    return 0;
}
