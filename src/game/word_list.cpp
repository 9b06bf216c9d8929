#include "game/word_list.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <iterator>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skyquill {
namespace {

// UTF-8 needs at most three bytes per UTF-16 code unit and Windows-1252 one,
// so a raw line this long can never decode short enough: stop buffering it.
constexpr qsizetype kMaxRawLineBytes = qsizetype{4} * kMaxLineChars;
constexpr std::size_t kChunkBytes = std::size_t{64} * 1024;

constexpr bool isLineEnd(char16_t c) { return c == u'\n' || c == u'\r'; }

// Only ASCII blanks are trimmed: a no-break space belongs to the word.
constexpr bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; }

// 0x80-0x9F of Windows-1252. The five undefined bytes map to the C1 control
// of the same value, as Windows does; the rest of the page is Latin-1.
constexpr std::array<char16_t, 32> kCp1252C1 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeCp1252(const QByteArray& raw)
{
    QString text(raw.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const auto byte = static_cast<unsigned char>(raw[i]);
        text[i] = QChar(byte >= 0x80 && byte < 0xA0 ? kCp1252C1.at(byte - 0x80) : char16_t{byte});
    }
    return text;
}

std::optional<QString> decodeUtf8(const QByteArray& raw)
{
    // Stateless, so a sequence cut off at the line end is an error too; a
    // leading U+FEFF is text here, the file's BOM is already gone.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(raw);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString trimmed(const QString& line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && isBlank(line[begin].unicode()))
        ++begin;
    while (end > begin && isBlank(line[end - 1].unicode()))
        --end;
    return line.sliced(begin, end - begin);
}

// One encoding for the whole part read: UTF-8 if every line is, else Windows-1252.
std::optional<std::vector<QString>> decodeEightBit(const std::vector<QByteArray>& lines)
{
    std::vector<QString> words;
    words.reserve(lines.size());
    for (const QByteArray& line : lines) {
        std::optional<QString> text = decodeUtf8(line);
        if (!text)
            break;
        words.push_back(std::move(*text));
    }
    if (words.size() != lines.size()) {
        words.clear();
        std::transform(lines.begin(), lines.end(), std::back_inserter(words), decodeCp1252);
    }
    for (QString& word : words) {
        if (word.size() > kMaxLineChars)
            return std::nullopt;
        word = trimmed(word);
    }
    return words;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

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
    if (state_ == State::Open) {  // the last line needs no line end
        if (encoding_ == Encoding::EightBit)
            endEightBitLine();
        else if (oddByte_)
            fail();
        else
            endUtf16Line();
    }
    if (state_ == State::Failed)
        return std::nullopt;
    if (encoding_ != Encoding::EightBit)
        return std::move(words_);
    std::optional<std::vector<QString>> words = decodeEightBit(rawLines_);
    if (!words)
        fail();
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
        {"\xEF\xBB\xBF", Encoding::EightBit},
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
    if (encoding_ == Encoding::EightBit)
        consumeEightBit(data, size);
    else
        consumeUtf16(data, size);
}

void WordListDecoder::consumeEightBit(const char* data, std::size_t size)
{
    const char* const end = data + size;
    while (data != end && state_ == State::Open) {
        const char* const stop = std::find_if(data, end, [](char c) { return c == '\n' || c == '\r' || c == '\0'; });
        if (stop - data > kMaxRawLineBytes - line8_.size())
            return fail();
        line8_.append(data, stop - data);
        if (stop == end)
            return;
        if (*stop == '\0')
            return fail();
        endEightBitLine();  // a CRLF leaves an empty line between, which is skipped
        data = stop + 1;
    }
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
        if (isLineEnd(unit))
            endUtf16Line();
        else if (unit == 0 || line16_.size() == kMaxLineChars)
            fail();
        else
            line16_.append(QChar(unit));
    }
}

void WordListDecoder::endEightBitLine()
{
    QByteArray line = std::exchange(line8_, {});
    if (std::all_of(line.begin(), line.end(), [](char c) { return isBlank(static_cast<unsigned char>(c)); })) {
        // Blank bytes are ASCII, so the line is as many characters long as it has bytes.
        if (line.size() > kMaxLineChars)
            fail();
        return;
    }
    rawLines_.push_back(std::move(line));
    if (rawLines_.size() == maxWords_)
        state_ = State::Full;
}

void WordListDecoder::endUtf16Line()
{
    QString word = trimmed(std::exchange(line16_, {}));
    if (word.isEmpty())
        return;
    words_.push_back(std::move(word));
    if (words_.size() == maxWords_)
        state_ = State::Full;
}

std::optional<std::vector<QString>> readWordList(const QString& path, int maxWords)
{
    // An embedded NUL would silently open a different, shorter path.
    if (path.contains(QChar(u'\0')))
        return std::nullopt;
    // Non-blocking, so a FIFO cannot stall start-up waiting for a writer; only
    // a regular file is ever read.
    const FileDescriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    WordListDecoder decoder(maxWords);
    std::vector<char> chunk(kChunkBytes);
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0 || !decoder.feed(chunk.data(), static_cast<std::size_t>(got)))
            break;
    }
    return decoder.finish();
}

}  // namespace skyquill
