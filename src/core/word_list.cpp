#include "core/word_list.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <utility>

namespace skyquill {
namespace {

// Guess: no BOM. UTF-8 until a line is not, and then the whole file is
// Windows-1252. A UTF-8 BOM says UTF-8 for certain: a line that is not is
// skipped.
enum class Encoding { Guess, Utf8, Windows1252, Utf16Le, Utf16Be };

// An 8-bit line this long in bytes can't be short enough: UTF-8 takes at
// most three bytes for each UTF-16 code unit, Windows-1252 one. (A UTF-16
// line is held to the limit in code units as it is decoded.)
constexpr qsizetype kMaxLineBytes = qsizetype{3} * kMaxLineChars;

// Only ASCII blanks are trimmed: a no-break space belongs to the word.
constexpr bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; }
// Unicode category Cc: no key types one.
constexpr bool isControl(QChar c) { return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F); }

QStringDecoder decoderFor(Encoding encoding)
{
    // Bytes that are not UTF-8 come out as NUL, which a word list can't hold
    // otherwise (a NUL byte ends the input before it is decoded). The BOM is
    // off already: a U+FEFF after it is the first line's mark.
    constexpr auto flags = QStringConverter::Flag::ConvertInvalidToNull | QStringConverter::Flag::ConvertInitialBom;
    switch (encoding) {
    case Encoding::Utf16Le:
        return QStringDecoder(QStringConverter::Utf16LE, flags);
    case Encoding::Utf16Be:
        return QStringDecoder(QStringConverter::Utf16BE, flags);
    case Encoding::Windows1252:  // ICU's: in a Qt without ICU it is not valid, and feed() decodes by table
        return QStringDecoder("windows-1252", flags);
    default:
        return QStringDecoder(QStringConverter::Utf8, flags);
    }
}

// One pass over the file in one encoding.
class Pass {
public:
    enum class Outcome { Reading, Full, Refused, NotUtf8 };

    explicit Pass(Encoding encoding) : encoding_(encoding), decoder_(decoderFor(encoding))
    {
        words.reserve(kMaxWords);
    }

    void feed(QByteArrayView bytes)
    {
        if (utf16()) {
            oddByte_ = oddByte_ != (bytes.size() % 2 != 0);
            return take(decoder_(bytes));
        }
        // A NUL byte ends what can be read: a list whose 10,000th word comes
        // before it is whole, any other is no word list.
        const qsizetype nul = bytes.indexOf('\0');
        bytes = nul < 0 ? bytes : bytes.first(nul);
        // Only whole lines go to the decoder: Qt 6.4's UTF-8 decoder loses
        // the byte after a sequence cut by the end of its input, which could
        // be a line end.
        const auto lastEnd = std::find_if(std::make_reverse_iterator(bytes.end()), std::make_reverse_iterator(bytes.begin()),
                                          [](char c) { return c == '\n' || c == '\r'; });
        const qsizetype whole = lastEnd.base() - bytes.begin();
        if (whole > 0) {
            partLine_ += bytes.first(whole);
            const QByteArray lines = std::exchange(partLine_, {});
            take(decoder_.isValid() ? QString(decoder_(lines)) : decodeWindows1252(lines));
        }
        partLine_ += bytes.sliced(whole);
        // Once the pass has stopped, what the read held after that point counts for nothing.
        if (outcome == Outcome::Reading && (nul >= 0 || partLine_.size() > kMaxLineBytes))
            outcome = Outcome::Refused;
    }

    // The last line needs no line end.
    void finish()
    {
        if (outcome != Outcome::Reading)
            return;
        if (utf16() && oddByte_)
            outcome = Outcome::Refused;
        else if (utf16())
            take(QStringLiteral("\n"));
        else
            feed("\n");
    }

    Outcome outcome = Outcome::Reading;
    std::vector<QString> words;

private:
    bool utf16() const { return encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be; }

    // Splits decoded text into lines. Printable ASCII, which most words are
    // made of, needs no closer look than the search for the line's end.
    void take(const QString& text)
    {
        partText_ += text;
        const QChar* line = partText_.cbegin();
        const QChar* const end = partText_.cend();
        bool plain = true;  // the line is printable ASCII so far
        for (const QChar* at = line; outcome == Outcome::Reading; ++at) {
            at = std::find_if(at, end, [](QChar c) { return c.unicode() < 0x20 || c.unicode() >= 0x7F; });
            if (at == end)
                break;
            if (*at != u'\n' && *at != u'\r') {
                plain = false;
                continue;
            }
            takeLine(QStringView(line, at), plain);  // a CR LF leaves an empty line between, which is skipped
            line = at + 1;
            plain = true;
        }
        partText_.remove(0, line - partText_.cbegin());
        if (outcome == Outcome::Reading && partText_.size() > kMaxLineChars)
            outcome = Outcome::Refused;
    }

    void takeLine(QStringView line, bool plain)
    {
        if (line.size() > kMaxLineChars) {
            outcome = Outcome::Refused;
            return;
        }
        if (line.startsWith(u'\uFEFF'))  // a file's mark, where files were joined with cat
            line = line.sliced(1);
        while (!line.isEmpty() && isBlank(line.front()))
            line = line.sliced(1);
        while (!line.isEmpty() && isBlank(line.back()))
            line.chop(1);
        if (line.isEmpty())
            return;
        if (plain || (std::none_of(line.begin(), line.end(), isControl) && line.isValidUtf16())) {
            words.emplace_back(line.data(), line.size());
            if (words.size() == kMaxWords)
                outcome = Outcome::Full;
        } else if (line.contains(QChar(0)) && encoding_ == Encoding::Guess) {
            outcome = Outcome::NotUtf8;
        } else if (line.contains(QChar(0)) && utf16()) {
            outcome = Outcome::Refused;  // a NUL, before the 10,000th word
        }
    }

    Encoding encoding_;
    QStringDecoder decoder_;
    QByteArray partLine_;  // 8-bit: the bytes of a line cut by the end of a read
    QString partText_;     // UTF-16: the units of a line cut by the end of a read
    bool oddByte_ = false;
};

}  // namespace

QString decodeWindows1252(QByteArrayView bytes)
{
    // Latin-1 but for 0x80-0x9F. The five bytes Windows-1252 leaves undefined
    // keep their C1 controls, so their lines are skipped as with ICU.
    static constexpr std::array<char16_t, 32> kC1 = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    QString text = QString::fromLatin1(bytes);
    for (QChar& c : text)
        if (c.unicode() >= 0x80 && c.unicode() <= 0x9F)
            c = QChar(kC1[c.unicode() - 0x80]);
    return text;
}

std::optional<std::vector<QString>> readWordList(QIODevice& device, qint64 chunkBytes)
{
    struct Bom {
        QByteArrayView bytes;
        Encoding encoding;
    };
    static constexpr std::array<Bom, 3> kBoms = {{
        {"\xEF\xBB\xBF", Encoding::Utf8},
        {"\xFF\xFE", Encoding::Utf16Le},
        {"\xFE\xFF", Encoding::Utf16Be},
    }};
    const QByteArray head = device.read(3);
    Encoding encoding = Encoding::Guess;
    qsizetype bomSize = 0;
    for (const Bom& bom : kBoms) {
        if (head.startsWith(bom.bytes)) {
            encoding = bom.encoding;
            bomSize = bom.bytes.size();
            break;
        }
    }
    QByteArray chunk(chunkBytes, Qt::Uninitialized);
    for (;;) {
        Pass pass(encoding);
        if (!device.seek(bomSize))
            return std::nullopt;
        qint64 got = 0;
        while (pass.outcome == Pass::Outcome::Reading && (got = device.read(chunk.data(), chunkBytes)) > 0)
            pass.feed(QByteArrayView(chunk.data(), got));
        if (got < 0)
            return std::nullopt;
        pass.finish();
        if (pass.outcome == Pass::Outcome::NotUtf8) {
            encoding = Encoding::Windows1252;  // read it all again
            continue;
        }
        if (pass.outcome == Pass::Outcome::Refused)
            return std::nullopt;
        return std::move(pass.words);
    }
}

std::optional<std::vector<QString>> readWordList(const QString& path)
{
    // QFileInfo looks without opening: a FIFO would wait for a writer.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    return readWordList(file);
}

}  // namespace skyquill
