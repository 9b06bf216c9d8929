// libFuzzer: each input is read whole from a file-like buffer and in small
// reads of 1 to 7 bytes (its first byte says how many) through a pipe, the
// code page detector in the path of both. The two must agree, and every word must
// keep the reader's promises. The inputs (at most 8 KiB) never reach the
// 64 KiB read or 10,000 words: the reader's unit test holds those.
#include "core/read_words.h"

#include <algorithm>
#include <cstdint>

// Judged by Qt's character data, not by the reader's own tests.
static bool typable(const QString& word)
{
    const QStringView blanks = u" \t\v\f";
    return !word.isEmpty() && !blanks.contains(word.front()) && !blanks.contains(word.back()) && word.isValidUtf16()
        && word.size() <= skyquill::kMaxLineChars && std::ranges::none_of(word, [](QChar c) { return c.category() == QChar::Other_Control; });
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto whole = decode(bytes, skyquill::kReadChunkBytes).first;
    if (whole != decode(bytes, size == 0 ? 1 : 1 + data[0] % 7, false).first || (whole && !std::ranges::all_of(*whole, typable)))
        __builtin_trap();
    return 0;
}
