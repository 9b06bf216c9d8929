// libFuzzer: each input is read whole and in small reads of 1 to 7 bytes
// (its first byte says how many). The two must agree, and every word must
// keep the reader's promises.
#include "core/word_list.h"

#include <QBuffer>

#include <algorithm>
#include <cstdint>

namespace {

std::optional<std::vector<QString>> read(const std::uint8_t* data, std::size_t size, qint64 chunk)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return skyquill::readWordList(buffer, chunk);
}

// Judged by Qt's character data, not by the reader's own tests.
bool typable(const QString& word)
{
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; };
    const auto control = [](QChar c) { return c.category() == QChar::Other_Control; };
    return !word.isEmpty() && !blank(word.front()) && !blank(word.back()) && std::none_of(word.begin(), word.end(), control)
        && word.isValidUtf16() && word.size() <= skyquill::kMaxLineChars;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto whole = read(data, size, skyquill::kReadChunkBytes);
    if (whole != read(data, size, size == 0 ? 1 : 1 + data[0] % 7)
        || (whole && (whole->size() > std::size_t{skyquill::kMaxWords} || !std::all_of(whole->begin(), whole->end(), typable))))
        __builtin_trap();
    return 0;
}
