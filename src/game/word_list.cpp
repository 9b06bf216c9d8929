#include "game/word_list.h"

#include "game/word_list_file.h"

#include <QChar>
#include <QStringView>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

namespace skyquill {
namespace {

// UTF-8 needs at most three bytes per UTF-16 code unit and Windows-1252 one,
// so a raw line this long can never decode short enough: stop buffering it.
constexpr qsizetype kMaxRawLineBytes = qsizetype{4} * kMaxLineChars;

// The flag unit at the head of each line kept: which decodings make it a
// word, and whether the Unicode one drops a U+FEFF (with the blanks after
// it) from its start.
constexpr char16_t kUnicodeWord = 1;
constexpr char16_t kCp1252Word = 2;
constexpr char16_t kDropMark = 4;
constexpr qsizetype kRecordExtra = 3;  // flags, length, NUL

// Byte classes for the 8-bit scan.
constexpr std::uint8_t kLineStop = 1;      // '\n', '\r', NUL
constexpr std::uint8_t kBlankControl = 2;  // tab, VT, FF: trimmed at the ends, a control inside
constexpr std::uint8_t kControl = 4;       // every other C0 control, and DEL
constexpr std::uint8_t kHigh = 8;          // not ASCII

constexpr std::uint8_t classOf(std::size_t byte)
{
    if (byte == '\n' || byte == '\r' || byte == 0)
        return kLineStop;
    if (byte == '\t' || byte == '\v' || byte == '\f')
        return kBlankControl;
    if (byte < 0x20 || byte == 0x7F)
        return kControl;
    return byte >= 0x80 ? kHigh : 0;
}

constexpr std::array<std::uint8_t, 256> makeByteClasses()
{
    std::array<std::uint8_t, 256> table{};
    for (std::size_t byte = 0; byte != table.size(); ++byte)
        table[byte] = classOf(byte);
    return table;
}

constexpr std::array<std::uint8_t, 256> kByteClass = makeByteClasses();

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Only ASCII blanks are trimmed: a no-break space belongs to the word.
constexpr bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; }
constexpr bool isBlankByte(char c) { return isBlank(static_cast<unsigned char>(c)); }
// Unicode category Cc: no key types one, so a word holding one is never won.
constexpr bool isControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }
constexpr bool isControlByte(char c) { return isControl(static_cast<unsigned char>(c)); }
// The five bytes Windows-1252 leaves undefined map to C1 controls.
constexpr bool isCp1252Control(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

// Finds the first '\n', '\r' or NUL and ORs the classes of the bytes before
// it into seen. Printable ASCII (class 0), which most words are, is passed
// over eight bytes at a time.
const char* findLineStop(const char* at, const char* end, unsigned& seen)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101U;
    constexpr std::uint64_t kHighBits = 0x8080808080808080U;
    const auto step = [&seen](const char* from, const char* to) -> const char* {
        for (; from != to; ++from) {
            const unsigned byteClass = kByteClass[static_cast<unsigned char>(*from)];
            if ((byteClass & kLineStop) != 0)
                return from;
            seen |= byteClass;
        }
        return nullptr;
    };
    while (end - at >= 8) {
        std::uint64_t bytes = 0;
        std::memcpy(&bytes, at, sizeof bytes);
        // The lowest byte flagged is exact in both tests.
        const std::uint64_t below = (bytes - 0x20 * kOnes) & ~bytes;  // a byte under 0x20
        const std::uint64_t above = (bytes + kOnes) | bytes;           // a byte over 0x7E
        const std::uint64_t flagged = (below | above) & kHighBits;
        if (flagged == 0) {
            at += 8;
        } else if constexpr (std::endian::native == std::endian::little) {
            at += std::countr_zero(flagged) / 8;
            const unsigned byteClass = kByteClass[static_cast<unsigned char>(*at)];
            if ((byteClass & kLineStop) != 0)
                return at;
            seen |= byteClass;
            ++at;
        } else {
            if (const char* stop = step(at, at + 8))
                return stop;
            at += 8;
        }
    }
    const char* const stop = step(at, end);
    return stop != nullptr ? stop : end;
}

// ASCII to UTF-16, eight bytes at a time where the byte order allows.
void widen(const char* from, const char* to, char16_t* out)
{
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kLowBytes = 0x00FF00FF00FF00FFU;
        constexpr std::uint64_t kLowHalves = 0x0000FFFF0000FFFFU;
        const auto spread = [](std::uint64_t four) {  // four bytes to four units
            four = (four | four << 16U) & kLowHalves;
            return (four | four << 8U) & kLowBytes;
        };
        for (; to - from >= 8; from += 8, out += 8) {
            std::uint64_t bytes = 0;
            std::memcpy(&bytes, from, sizeof bytes);
            const std::array<std::uint64_t, 2> units = {spread(bytes & 0xFFFFFFFFU), spread(bytes >> 32U)};
            std::memcpy(out, units.data(), sizeof units);
        }
    }
    std::copy(from, to, out);
}

unsigned classify(const char* begin, const char* end)
{
    unsigned seen = 0;
    for (const char* p = begin; p != end; ++p)
        seen |= kByteClass[static_cast<unsigned char>(*p)];
    return seen;
}

// 0x80-0x9F of Windows-1252. The five undefined bytes map to the C1 control
// of the same value, as Windows does; the rest of the page is Latin-1.
constexpr std::array<char16_t, 32> kCp1252C1 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t fromCp1252(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 && byte < 0xA0 ? kCp1252C1.at(byte - 0x80) : char16_t{byte};
}

struct Utf8Line {
    bool valid = true;
    qsizetype units = 0;  // UTF-16 code units written
    bool c1 = false;      // holds U+0080-U+009F
};

// Decodes the bytes into out (room for as many units as bytes), strictly: no
// overlong forms, surrogates, values past U+10FFFF or sequences cut off at
// the line end.
Utf8Line decodeUtf8(std::string_view bytes, char16_t* out)
{
    Utf8Line line;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i++]);
        if (lead < 0x80) {
            out[line.units++] = lead;
            continue;
        }
        std::size_t more = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        char32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
            code = lead & 0x1FU;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            low = lead == 0xE0 ? 0xA0 : low;
            high = lead == 0xED ? 0x9F : high;
            code = lead & 0x0FU;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            low = lead == 0xF0 ? 0x90 : low;
            high = lead == 0xF4 ? 0x8F : high;
            code = lead & 0x07U;
        } else {
            return {false};
        }
        if (bytes.size() - i < more)
            return {false};
        for (std::size_t k = 0; k < more; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if (next < (k == 0 ? low : 0x80) || next > (k == 0 ? high : 0xBF))
                return {false};
            code = code << 6U | (next & 0x3FU);
        }
        i += more;
        if (code >= 0x10000) {
            out[line.units++] = QChar::highSurrogate(code);
            out[line.units++] = QChar::lowSurrogate(code);
        } else {
            line.c1 = line.c1 || code <= 0x9F;
            out[line.units++] = static_cast<char16_t>(code);
        }
    }
    return line;
}

}  // namespace

WordListDecoder::WordListDecoder(int maxWords)
    : maxWords_(static_cast<std::size_t>(std::max(maxWords, 0)))
{
    if (maxWords_ == 0)
        state_ = State::Full;
}

bool WordListDecoder::feed(const char* data, std::size_t size)
{
    if (state_ != State::Open)
        return false;
    if (encoding_ == Encoding::Unknown) {
        const auto take = std::min(size, static_cast<std::size_t>(3 - head_.size()));
        head_.append(data, static_cast<qsizetype>(take));
        data += take;
        size -= take;
        if (!detectEncoding(false))
            return true;
    }
    consume(data, size);
    return state_ == State::Open;
}

std::optional<std::vector<QString>> WordListDecoder::finish()
{
    if (state_ == State::Open && encoding_ == Encoding::Unknown)
        detectEncoding(true);
    const bool utf16 = encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be;
    if (state_ == State::Open) {  // the last line needs no line end
        if (!utf16)
            endBufferedLine();
        else if (oddByte_)
            fail();
        else
            endUtf16Line();
    }
    if (state_ == State::Failed)
        return std::nullopt;

    const bool cp1252 = encoding_ == Encoding::Cp1252;
    const char16_t wanted = cp1252 ? kCp1252Word : kUnicodeWord;
    std::vector<QString> words;
    words.reserve(std::min(cp1252 ? cp1252Words_ : unicodeWords_, maxWords_));
    text_.resize(used_);
    text_.squeeze();  // the words keep the buffer: no spare room with it
    // A word is a slice of the text, so the text is decoded and copied once.
    // QString has no public call for a slice that shares its buffer, so the
    // slice takes a reference on the buffer as a copy of the string would;
    // the NUL after each word keeps it terminated as any QString is, and a
    // write to a word detaches it as usual.
    QString::DataPointer& shared = text_.data_ptr();
    char16_t* at = shared.data();
    char16_t* const end = at + used_;
    while (at != end && words.size() < maxWords_) {
        const char16_t flags = at[0];
        const qsizetype length = at[1];
        char16_t* begin = at + 2;
        char16_t* const wordEnd = begin + length;
        at = wordEnd + 1;
        if ((flags & wanted) == 0)
            continue;
        if (!cp1252 && (flags & kDropMark) != 0)
            begin = std::find_if_not(begin + 1, wordEnd, isBlank);
        shared.d_ptr()->ref();
        words.emplace_back(QString::DataPointer(shared.d_ptr(), begin, wordEnd - begin));
    }
    return words;
}

// Settles the encoding from the first bytes, then feeds them on without the
// BOM. Returns false while they could still be the start of a BOM.
bool WordListDecoder::detectEncoding(bool atEnd)
{
    struct Bom {
        std::string_view bytes;
        Encoding encoding;
    };
    static constexpr std::array<Bom, 3> kBoms = {{
        {kUtf8Mark, Encoding::Utf8},
        {"\xFF\xFE", Encoding::Utf16Le},
        {"\xFE\xFF", Encoding::Utf16Be},
    }};
    const std::string_view head(head_.constData(), static_cast<std::size_t>(head_.size()));
    Encoding encoding = Encoding::EightBit;
    std::size_t bomSize = 0;
    for (const Bom& bom : kBoms) {
        if (head.starts_with(bom.bytes)) {
            encoding = bom.encoding;
            bomSize = bom.bytes.size();
            break;
        }
        if (!atEnd && bom.bytes.starts_with(head))
            return false;
    }
    encoding_ = encoding;
    const QByteArray rest = std::exchange(head_, {}).sliced(static_cast<qsizetype>(bomSize));
    consume(rest.constData(), static_cast<std::size_t>(rest.size()));
    return true;
}

void WordListDecoder::consume(const char* data, std::size_t size)
{
    if (encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be)
        consumeUtf16(data, size);
    else
        consumeEightBit(data, size);
}

void WordListDecoder::consumeEightBit(const char* data, std::size_t size)
{
    const char* const end = data + size;
    // A line's record takes at most one unit per byte and three more, and a
    // line takes at least its line end: room for every line of the chunk, so
    // that the common line below is written without another check.
    room(2 * static_cast<qsizetype>(size));
    while (data != end && state_ == State::Open) {
        unsigned seen = 0;
        const char* const stop = findLineStop(data, end, seen);
        if (stop - data > kMaxRawLineBytes - line8_.size())
            return fail();
        if (stop != end && *stop == '\0')
            return fail();
        if (stop == end) {  // the line goes on in the next chunk
            line8_.append(data, stop - data);
            return;
        }
        if (line8_.isEmpty() && seen == 0) {
            // Printable ASCII, with spaces the only blanks: most lines.
            if (stop - data > kMaxLineChars)
                return fail();
            const char* begin = data;
            const char* wordEnd = stop;
            while (begin != wordEnd && *begin == ' ')
                ++begin;
            while (wordEnd != begin && wordEnd[-1] == ' ')
                --wordEnd;
            if (begin != wordEnd) {
                widen(begin, wordEnd, text_.data_ptr().data() + used_ + 2);  // room is made above
                keep(kUnicodeWord | kCp1252Word, wordEnd - begin);
            }
        } else {
            if (line8_.isEmpty()) {
                endEightBitLine(data, stop, seen);
            } else {
                line8_.append(data, stop - data);
                endBufferedLine();
                line8_.clear();
            }
            room(2 * (end - stop));  // a switch to Windows-1252 starts a new buffer
        }
        data = stop + 1;  // a CRLF leaves an empty line between, which is skipped
    }
}

// Until the encoding is settled, a line can be a word in UTF-8 and not in
// Windows-1252 or the other way round: both are worked out, and the line is
// kept, decoded as UTF-8, if either makes it one.
void WordListDecoder::endEightBitLine(const char* begin, const char* end, unsigned seen)
{
    const char* const wordBegin = std::find_if_not(begin, end, isBlankByte);
    const char* wordEnd = end;
    while (wordEnd != wordBegin && isBlankByte(wordEnd[-1]))
        --wordEnd;
    const qsizetype bytes = end - begin;
    const auto holdsControl = [seen](const char* from, const char* to) {
        return (seen & kControl) != 0 || ((seen & kBlankControl) != 0 && std::any_of(from, to, isControlByte));
    };

    if ((seen & kHigh) == 0) {  // ASCII reads the same in every 8-bit encoding
        if (bytes > kMaxLineChars)
            return fail();
        const qsizetype length = wordEnd - wordBegin;
        if (length == 0 || holdsControl(wordBegin, wordEnd))
            return;
        widen(wordBegin, wordEnd, room(length) + 2);
        return keep(kUnicodeWord | kCp1252Word, length);
    }

    const bool cp1252Word = wordBegin != wordEnd && !holdsControl(wordBegin, wordEnd) &&
                            std::none_of(wordBegin, wordEnd, isCp1252Control);
    if (encoding_ != Encoding::Cp1252) {
        const std::string_view word(wordBegin, static_cast<std::size_t>(wordEnd - wordBegin));
        const Utf8Line utf8 = decodeUtf8(word, room(static_cast<qsizetype>(word.size())) + 2);
        if (utf8.valid) {
            if (utf8.units + bytes - static_cast<qsizetype>(word.size()) > kMaxLineChars)
                return fail();
            tooLongForCp1252_ = tooLongForCp1252_ || bytes > kMaxLineChars;
            // The mark can only start the word if it starts the line: blanks are trimmed.
            const bool mark = wordBegin == begin && word.starts_with(kUtf8Mark);
            const char* const unicodeBegin =
                mark ? std::find_if_not(wordBegin + kUtf8Mark.size(), wordEnd, isBlankByte) : wordBegin;
            char16_t flags = 0;
            if (unicodeBegin != wordEnd && !utf8.c1 && !holdsControl(unicodeBegin, wordEnd))
                flags = mark ? kUnicodeWord | kDropMark : kUnicodeWord;
            // Kept for a later switch to Windows-1252 only while it could
            // still be among the first words there.
            if (encoding_ == Encoding::EightBit && cp1252Word && cp1252Words_ < maxWords_)
                flags |= kCp1252Word;
            if (flags != 0)
                keep(flags, utf8.units);
            return;
        }
        if (encoding_ == Encoding::Utf8) {  // the mark says UTF-8: skip the line, measured in bytes
            if (bytes > kMaxLineChars)
                fail();
            return;
        }
        switchToCp1252();
        if (tooLongForCp1252_)
            return fail();
    }
    if (bytes > kMaxLineChars)
        return fail();
    if (cp1252Word)
        keepCp1252(wordBegin, wordEnd);
    else if (cp1252Words_ >= maxWords_)
        state_ = State::Full;  // the switch itself can end the read
}

// Ends the line that was cut by a chunk boundary and buffered.
void WordListDecoder::endBufferedLine()
{
    endEightBitLine(line8_.cbegin(), line8_.cend(), classify(line8_.cbegin(), line8_.cend()));
}

void WordListDecoder::keepCp1252(const char* begin, const char* end)
{
    const qsizetype length = end - begin;
    std::transform(begin, end, room(length) + 2, fromCp1252);
    keep(kCp1252Word, length);
}

// The whole part read is Windows-1252 after all: the lines kept so far were
// valid UTF-8, so encoding them again gives back their bytes.
void WordListDecoder::switchToCp1252()
{
    encoding_ = Encoding::Cp1252;
    const QString kept = std::exchange(text_, {});
    const qsizetype keptUnits = std::exchange(used_, 0);
    unicodeWords_ = 0;
    cp1252Words_ = 0;
    for (qsizetype at = 0; at < keptUnits;) {
        const char16_t flags = kept.at(at).unicode();
        const qsizetype length = kept.at(at + 1).unicode();
        if ((flags & kCp1252Word) != 0) {
            const QByteArray bytes = QStringView(kept).sliced(at + 2, length).toUtf8();
            keepCp1252(bytes.cbegin(), bytes.cend());
        }
        at += length + kRecordExtra;
    }
}

// Room for a record of up to `units` code units after the kept ones.
char16_t* WordListDecoder::room(qsizetype units)
{
    const qsizetype needed = used_ + units + kRecordExtra;
    if (needed > text_.size())
        text_.resize(std::max({needed, 2 * text_.size(), qsizetype{4096}}));
    return text_.data_ptr().data() + used_;
}

// Closes the record whose units room() handed out.
// Inlined: every word of the common ASCII line comes through here.
Q_ALWAYS_INLINE void WordListDecoder::keep(char16_t flags, qsizetype length)
{
    char16_t* const record = text_.data_ptr().data() + used_;
    record[0] = flags;
    record[1] = static_cast<char16_t>(length);
    record[2 + length] = 0;
    used_ += length + kRecordExtra;
    unicodeWords_ += (flags & kUnicodeWord) != 0 ? 1 : 0;
    cp1252Words_ += (flags & kCp1252Word) != 0 ? 1 : 0;
    if ((encoding_ == Encoding::Cp1252 ? cp1252Words_ : unicodeWords_) >= maxWords_)
        state_ = State::Full;
}

void WordListDecoder::consumeUtf16(const char* data, std::size_t size)
{
    for (std::size_t i = 0; i < size && state_ == State::Open; ++i) {
        if (!oddByte_) {
            oddByte_ = data[i];
            continue;
        }
        const auto first = static_cast<unsigned char>(*std::exchange(oddByte_, std::nullopt));
        const auto second = static_cast<unsigned char>(data[i]);
        const auto unit = static_cast<char16_t>(encoding_ == Encoding::Utf16Le ? first | second << 8
                                                                                 : first << 8 | second);
        if (unit == u'\n' || unit == u'\r')
            endUtf16Line();
        else if (unit == 0 || line16Size_ == kMaxLineChars)
            fail();
        else {
            room(line16Size_ + 1)[2 + line16Size_] = unit;
            ++line16Size_;
        }
    }
}

// The line's units are already in place after room for its record head.
void WordListDecoder::endUtf16Line()
{
    const qsizetype size = std::exchange(line16Size_, 0);
    if (size == 0)
        return;
    char16_t* const line = room(size) + 2;
    char16_t* begin = line;
    char16_t* const lineEnd = line + size;
    if (*begin == 0xFEFF)
        ++begin;
    begin = std::find_if_not(begin, lineEnd, isBlank);
    char16_t* end = lineEnd;
    while (end != begin && isBlank(end[-1]))
        --end;
    if (begin == end || std::any_of(begin, end, isControl))
        return;
    std::copy(begin, end, line);
    keep(kUnicodeWord, end - begin);
}

std::optional<std::vector<QString>> readWordList(const QString& path, int maxWords)
{
    // An embedded NUL would silently open a different, shorter path.
    if (path.contains(QChar(u'\0')))
        return std::nullopt;
    WordListDecoder decoder(maxWords);
    if (!feedRegularFile(path, decoder))
        return std::nullopt;
    return decoder.finish();
}

}  // namespace skyquill
