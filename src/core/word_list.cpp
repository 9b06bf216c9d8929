#include "core/word_list.h"

#include "core/code_page.h"

#include <QIODevice>
#include <QLocale>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace skyquill {
namespace {

using namespace Qt::StringLiterals;

// Guess: no BOM. UTF-8 until a line is not, and then the whole file is in
// the code page its bytes tell. A UTF-8 BOM says UTF-8 for certain: a line
// that is not is skipped.
enum class Encoding { Guess, Utf8, CodePage, Utf16Le, Utf16Be };

// An 8-bit line this long in bytes can't be short enough: UTF-8 takes at
// most three bytes for each UTF-16 code unit, a code page two. (A UTF-16
// line is held to the limit in code units as it is decoded.)
constexpr qsizetype kMaxLineBytes = qsizetype{3} * kMaxLineChars;
constexpr qsizetype kDecodeBytes = 4096;

// Only ASCII blanks are trimmed: a no-break space belongs to the word.
constexpr bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; }
constexpr bool isLineEnd(char c) { return c == '\n' || c == '\r'; }
// Unicode category Cc: no key types one.
constexpr bool isControl(QChar c) { return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F); }

QStringDecoder decoderFor(Encoding encoding, const QByteArray& codePage)
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
    case Encoding::CodePage:  // ICU's: in a Qt without ICU it is not valid, and feed() decodes by table
        return QStringDecoder(codePage.constData(), flags);
    default:
        return QStringDecoder(QStringConverter::Utf8, flags);
    }
}

// One pass over the file in one encoding.
class Pass {
public:
    enum class Outcome { Reading, Full, Refused, NotUtf8 };

    Pass(Encoding encoding, const QByteArray& codePage) : encoding_(encoding), decoder_(decoderFor(encoding, codePage))
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
        // be a line end. A few KiB of them at a time, so that a pass that
        // stops early, at a line that is not UTF-8 say, decodes little more.
        const auto lastEnd = [](QByteArrayView view) { return std::find_if(view.rbegin(), view.rend(), isLineEnd).base() - view.begin(); };
        while (outcome == Outcome::Reading) {
            qsizetype whole = lastEnd(bytes.first(std::min(bytes.size(), kDecodeBytes)));
            whole = whole > 0 ? whole : lastEnd(bytes);  // a line longer than that
            if (whole == 0)
                break;
            partLine_ += bytes.first(whole);
            const QByteArray lines = std::exchange(partLine_, {});
            take(decoder_.isValid() ? QString(decoder_(lines)) : decodeWindows1252(lines));
            bytes = bytes.sliced(whole);
        }
        if (outcome == Outcome::Reading)
            partLine_ += bytes;
        // Once the pass has stopped, what the read held after that point counts for nothing.
        if (outcome == Outcome::Reading && nul >= 0)
            refuse(nulOnLine(lines_ + 1));
        else if (outcome == Outcome::Reading && partLine_.size() > kMaxLineBytes)
            refuse(tooLong(lines_ + 1));
    }

    // The last line needs no line end.
    void finish()
    {
        if (outcome != Outcome::Reading)
            return;
        if (utf16() && oddByte_)
            refuse(u"not a text file (UTF-16 with an odd number of bytes)"_s);
        else if (utf16())
            take(QStringLiteral("\n"));
        else
            feed("\n");
    }

    // Lines no key could type: how many, and the first one's number.
    QString skippedNote() const
    {
        if (skipped_ == 0)
            return {};
        if (skipped_ == 1)
            return u"line %1 skipped: no key could type it"_s.arg(firstSkipped_);
        return u"%1 lines skipped: no key could type them (the first is line %2)"_s.arg(skipped_).arg(firstSkipped_);
    }

    Outcome outcome = Outcome::Reading;
    QString refusal;
    std::vector<QString> words;

private:
    void refuse(const QString& why)
    {
        outcome = Outcome::Refused;
        refusal = why;
    }
    static QString nulOnLine(qint64 line) { return u"not a text file (a NUL byte on line %1)"_s.arg(line); }
    static QString tooLong(qint64 line)
    {
        return u"line %1 is longer than %2 characters"_s.arg(line).arg(QLocale(QLocale::English).toString(kMaxLineChars));
    }

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
            // The LF of a CR LF ends no line of its own.
            const bool crLf = *at == u'\n' && at == line && afterCr_;
            afterCr_ = *at == u'\r';
            if (!crLf) {
                ++lines_;
                takeLine(QStringView(line, at), plain);
            }
            line = at + 1;
            plain = true;
        }
        partText_.remove(0, line - partText_.cbegin());
        if (outcome == Outcome::Reading && partText_.size() > kMaxLineChars)
            refuse(tooLong(lines_ + 1));
    }

    void takeLine(QStringView line, bool plain)
    {
        if (line.size() > kMaxLineChars) {
            refuse(tooLong(lines_));
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
            refuse(nulOnLine(lines_));  // a NUL, before the 10,000th word
        } else if (skipped_++ == 0) {
            firstSkipped_ = lines_;
        }
    }

    Encoding encoding_;
    QStringDecoder decoder_;
    QByteArray partLine_;  // 8-bit: the bytes of a line cut by the end of a read
    QString partText_;     // UTF-16: the units of a line cut by the end of a read
    bool oddByte_ = false;
    bool afterCr_ = false;  // the last line end was a CR
    qint64 lines_ = 0;      // lines ended so far
    qint64 skipped_ = 0, firstSkipped_ = 0;
};

// The list's bytes, kept as they are read: a second pass, in the code page
// the first could not read, goes over them again, so a pipe is read once.
// Reading stops with the pass, so what is kept is what the list needed.
class Bytes {
public:
    Bytes(ReadBytes read, qint64 chunkBytes) : read_(std::move(read)), chunk_(chunkBytes) {}

    // Up to a read's worth of bytes from `at`, reading on where none are kept:
    // empty at the end, std::nullopt if the read failed.
    std::optional<QByteArrayView> from(qsizetype at) { return span(at, 1, chunk_); }

    // From `at`, at least `least` bytes but for the end, at most `most`.
    std::optional<QByteArrayView> span(qsizetype at, qsizetype least, qsizetype most)
    {
        while (kept_.size() < at + least && !ended_) {
            const qsizetype size = kept_.size();
            kept_.resize(size + chunk_);
            const qint64 got = read_(kept_.data() + size, chunk_, error);
            kept_.resize(size + std::max<qint64>(got, 0));
            ended_ = got <= 0;
            failed_ = got < 0;
        }
        if (failed_)
            return std::nullopt;
        return QByteArrayView(kept_).sliced(std::min(at, kept_.size())).first(std::clamp<qsizetype>(kept_.size() - at, 0, most));
    }

    QByteArrayView kept() const { return kept_; }
    QString error;

private:
    ReadBytes read_;
    qint64 chunk_;
    QByteArray kept_;
    bool ended_ = false, failed_ = false;
};

// UTF-16 saved without its mark: line ends that are whole units (or, in a
// list of one line, a NUL in every unit's high byte), and no line-end byte
// where a unit's high byte stands. In 8-bit text with a stray NUL, line ends
// fall on both.
Encoding unmarkedUtf16(QByteArrayView sample)
{
    for (const Encoding encoding : {Encoding::Utf16Le, Encoding::Utf16Be}) {
        const qsizetype high = encoding == Encoding::Utf16Le ? 1 : 0;
        bool lineEnd = false, allHighNul = true, stray = false;
        for (qsizetype i = 0; i + 1 < sample.size(); i += 2) {
            const char hi = sample[i + high], lo = sample[i + 1 - high];
            lineEnd = lineEnd || (hi == '\0' && (lo == '\n' || lo == '\r'));
            stray = stray || hi == '\n' || hi == '\r';
            allHighNul = allHighNul && hi == '\0';
        }
        if (!stray && (lineEnd || allHighNul))
            return encoding;
    }
    return Encoding::Guess;
}

WordList readWords(Bytes& bytes)
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
    const auto head = bytes.span(0, kSampleBytes, kSampleBytes);
    if (!head)
        return WordList::refused(bytes.error);
    Encoding encoding = Encoding::Guess;
    qsizetype start = 0;
    for (const Bom& bom : kBoms) {
        if (head->startsWith(bom.bytes)) {
            encoding = bom.encoding;
            start = bom.bytes.size();
            break;
        }
    }
    if (encoding == Encoding::Guess && head->contains('\0'))
        encoding = unmarkedUtf16(*head);
    WordList list;
    QByteArray codePage;
    for (;;) {
        Pass pass(encoding, codePage);
        qsizetype at = start;
        std::optional<QByteArrayView> piece;
        while (pass.outcome == Pass::Outcome::Reading && (piece = bytes.from(at)) && !piece->isEmpty()) {
            pass.feed(*piece);
            at += piece->size();
        }
        if (!piece)
            return WordList::refused(bytes.error);
        pass.finish();
        if (pass.outcome == Pass::Outcome::NotUtf8) {
            // Read it all again in its code page, told by the bytes from the
            // line of the first that is not ASCII: the first pass has read
            // that far. The words before it would tell the detector nothing.
            const QByteArrayView kept = bytes.kept();
            const auto* high = std::find_if(kept.begin(), kept.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
            const auto* line = std::find_if(std::make_reverse_iterator(high), kept.rend(), isLineEnd).base();
            const auto sample = bytes.span(line - kept.begin(), kSampleBytes, kSampleBytes);
            if (!sample)
                return WordList::refused(bytes.error);
            // No further than the lines that can still hold words: what
            // follows the 10,000th word must not tell how it reads.
            qsizetype lines = kMaxWords - static_cast<qsizetype>(pass.words.size());
            const auto* end = std::find_if(sample->begin(), sample->end(), [&lines](char c) { return isLineEnd(c) && --lines == 0; });
            codePage = codePageOf(sample->first(end == sample->end() ? sample->size() : end - sample->begin()), playerLanguage());
            if (codePage.isEmpty()) {
                codePage = "windows-1252";
                list.notes.append(u"not UTF-8: read as Windows-1252, for want of a code page detector (uchardet)"_s);
            }
            encoding = Encoding::CodePage;
            continue;
        }
        if (pass.outcome == Pass::Outcome::Refused)
            return WordList::refused(pass.refusal);
        if (const QString note = pass.skippedNote(); !note.isEmpty())
            list.notes.append(note);
        list.words = std::move(pass.words);
        return list;
    }
}

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

WordList readWordList(ReadBytes read, qint64 chunkBytes)
{
    Bytes bytes(std::move(read), chunkBytes);
    return readWords(bytes);
}

WordList readWordList(QIODevice& device, qint64 chunkBytes)
{
    return readWordList([&device](char* data, qint64 size, QString& error) {
        const qint64 got = device.read(data, size);
        if (got < 0)
            error = device.errorString();
        return got;
    }, chunkBytes);
}

}  // namespace skyquill
