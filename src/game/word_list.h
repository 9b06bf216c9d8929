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
// arbitrary chunks. Memory stays bounded by the words kept plus one line.
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
    enum class Encoding { Unknown, EightBit, Utf16Le, Utf16Be };
    enum class State { Open, Full, Failed };

    bool detectEncoding(bool atEnd);
    void consume(const char* data, std::size_t size);
    void consumeEightBit(const char* data, std::size_t size);
    void consumeUtf16(const char* data, std::size_t size);
    void endEightBitLine();
    void endUtf16Line();
    void fail() { state_ = State::Failed; }

    std::size_t maxWords_;
    State state_ = State::Open;
    Encoding encoding_ = Encoding::Unknown;
    QByteArray head_;  // the first bytes, until the BOM (or its absence) is known

    // 8-bit input: UTF-8 or Windows-1252 is only known once every line is in,
    // so the non-blank lines stay raw until finish().
    QByteArray line8_;
    std::vector<QByteArray> rawLines_;

    // UTF-16 input.
    QString line16_;
    std::optional<char> oddByte_;  // first half of a code unit split across chunks
    std::vector<QString> words_;
};

// Opens and reads the file at path. std::nullopt for every failure (missing,
// unreadable, not a regular file, bad content).
std::optional<std::vector<QString>> readWordList(const QString& path, int maxWords = kMaxWords);

}  // namespace skyquill
