// Reads the word list: one word per line, in UTF-8 (with or without BOM),
// UTF-16 with BOM, or Windows-1252. Anything else is "not a word list".
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

namespace skyquill {

inline constexpr int kMaxWords = 10000;     // only the first 10,000 words are read
inline constexpr int kMaxLineChars = 1000;  // a longer line means "not a word list"

// Streaming decoder, so a fuzzer or a test can feed arbitrary bytes in
// arbitrary chunks. It knows nothing of files. Memory stays bounded by the
// words kept plus one line.
//
// Blanks (space, tab, VT, FF) around a word are trimmed, a U+FEFF at the
// start of a line is dropped, and a line left empty is skipped. So is a line
// whose word holds a control character (Unicode category Cc), which the entry
// box could never take: the game could never be won with it.
class WordListDecoder {
public:
    explicit WordListDecoder(int maxWords = kMaxWords);

    // Feeds the next bytes. Returns false once no more input is wanted: either
    // it failed, or it holds maxWords words (the rest of the input must then
    // never be read; bytes passed after that point are ignored).
    bool feed(const char* data, std::size_t size);

    // End of input; call once. Returns the words in file order, or
    // std::nullopt if the bytes are not a word list.
    std::optional<std::vector<QString>> finish();

    bool failed() const { return state_ == State::Failed; }

private:
    // EightBit: no BOM, and every line so far is UTF-8; the first line that
    // is not makes the whole part read Windows-1252. Utf8: the UTF-8 BOM says
    // so, and a line that is not UTF-8 is skipped.
    enum class Encoding { Unknown, EightBit, Utf8, Cp1252, Utf16Le, Utf16Be };
    enum class State { Open, Full, Failed };

    bool detectEncoding(bool atEnd);
    void consume(const char* data, std::size_t size);
    void consumeEightBit(const char* data, std::size_t size);
    void consumeUtf16(const char* data, std::size_t size);
    void endEightBitLine(const char* begin, const char* end, unsigned seen);
    void endBufferedLine();
    void keepCp1252(const char* begin, const char* end);
    void switchToCp1252();
    void endUtf16Line();
    char16_t* room(qsizetype units);
    void keep(char16_t flags, qsizetype length);
    void fail() { state_ = State::Failed; }

    std::size_t maxWords_;
    State state_ = State::Open;
    Encoding encoding_ = Encoding::Unknown;
    QByteArray head_;  // the first bytes, until the BOM (or its absence) is known

    // Every line kept, decoded as it comes, one after another: a flag unit
    // (which decodings make it a word), its length, its code units and a NUL.
    // The words handed out are slices of this one buffer.
    QString text_;
    qsizetype used_ = 0;
    std::size_t unicodeWords_ = 0;  // words if the text is UTF-8 or UTF-16
    std::size_t cp1252Words_ = 0;   // words if it is Windows-1252
    bool tooLongForCp1252_ = false;  // a line short enough only in UTF-8

    QByteArray line8_;  // an 8-bit line cut by a chunk boundary
    qsizetype line16Size_ = 0;     // UTF-16: units of the line being read, after room for its record head
    std::optional<char> oddByte_;  // first half of a code unit split across chunks
};

// Opens and reads the file at path. std::nullopt for every failure (missing,
// unreadable, not a regular file, bad content).
std::optional<std::vector<QString>> readWordList(const QString& path, int maxWords = kMaxWords);

}  // namespace skyquill
