// Reads the word list: one word per line, in UTF-8 (with or without BOM),
// UTF-16 (with or without BOM), or the code page of its language.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

class QIODevice;

namespace skyquill {

inline constexpr int kMaxWords = 10000;     // only the first 10,000 words are read
inline constexpr int kMaxLineChars = 1000;  // a longer line means "not a word list"
inline constexpr qint64 kReadChunkBytes = qint64{64} * 1024;
// The code page is told by the list's first bytes: the same piece whatever
// the size of the reads.
inline constexpr qsizetype kSampleBytes = 512;

struct WordList {
    std::vector<QString> words;  // in file order
    // Why the bytes are no word list, as a line of error would say it
    // ("line 12 is longer than 1,000 characters"); empty if they are one.
    QString refusal;
    // What a player should know of a list that was read: lines skipped, a
    // code page this build could not tell.
    QStringList notes;

    static WordList refused(QString why)
    {
        WordList list;
        list.refusal = std::move(why);
        return list;
    }
};

// Fills `data` with up to `size` bytes: 0 at the end, -1 with `error` set on failure.
using ReadBytes = std::function<qint64(char* data, qint64 size, QString& error)>;

// Reads the words that `read` gives, `chunkBytes` at a time. Each byte is
// read once: a pipe is as good as a file.
//
// Blanks (space, tab, VT, FF) around a word are trimmed, a U+FEFF at the
// start of a line is dropped, and a line left empty is skipped. So is a line
// whose word no key could type: one holding a control character (Unicode
// category Cc), half a surrogate pair, or bytes that are not text in the
// list's encoding. The game could never be won with it.
WordList readWordList(ReadBytes read, qint64 chunkBytes = kReadChunkBytes);
// The same from an open device.
WordList readWordList(QIODevice& device, qint64 chunkBytes = kReadChunkBytes);

// Windows-1252 as ICU decodes it, for a Qt built without ICU, where
// QStringDecoder("windows-1252") is not valid.
QString decodeWindows1252(QByteArrayView bytes);

}  // namespace skyquill
