// Reads the word list: one word per line, in UTF-8 (with or without BOM),
// UTF-16 with BOM, or Windows-1252. Anything else is "not a word list".
#pragma once

#include <QString>

#include <optional>
#include <vector>

class QIODevice;

namespace skyquill {

inline constexpr int kMaxWords = 10000;     // only the first 10,000 words are read
inline constexpr int kMaxLineChars = 1000;  // a longer line means "not a word list"
inline constexpr qint64 kReadChunkBytes = qint64{64} * 1024;

// Reads the words from an open device that can seek back to its start (a
// file, a buffer), `chunkBytes` at a time, in file order; std::nullopt if
// the bytes are not a word list.
//
// Blanks (space, tab, VT, FF) around a word are trimmed, a U+FEFF at the
// start of a line is dropped, and a line left empty is skipped. So is a line
// whose word no key could type: one holding a control character (Unicode
// category Cc) or half a surrogate pair. The game could never be won with it.
std::optional<std::vector<QString>> readWordList(QIODevice& device, qint64 chunkBytes = kReadChunkBytes);

// The same for the file at path. Only a regular file is read: a directory,
// a device or a FIFO is refused at once, without being opened.
std::optional<std::vector<QString>> readWordList(const QString& path);

// Windows-1252 as ICU decodes it, for a Qt built without ICU, where
// QStringDecoder("windows-1252") is not valid.
QString decodeWindows1252(QByteArrayView bytes);

}  // namespace skyquill
