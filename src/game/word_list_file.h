// The one place the word list reader meets the file system: the decoder
// itself takes bytes and knows no platform. Two builds of it: POSIX calls
// where the platform has them, QFile elsewhere (CMake's
// SKYQUILL_PORTABLE_FILE selects it on any platform).
#pragma once

#include <QString>

#include <cstddef>

namespace skyquill {

class WordListDecoder;

inline constexpr std::size_t kReadChunkBytes = std::size_t{64} * 1024;

// Hands the file's bytes to the decoder in chunks until the end of the file
// or until the decoder wants no more. False if the path is not a regular
// file, cannot be opened, or a read fails; nothing else is ever opened, and a
// FIFO or a device is refused without waiting on it.
bool feedRegularFile(const QString& path, WordListDecoder& decoder);

}  // namespace skyquill
