// Opens the word list a player names: a file, or a pipe (`<(...)`, a FIFO).
#pragma once

#include "core/word_list.h"

namespace skyquill {

// The words of the file at `path`: a regular file or a pipe. A directory or
// a device is refused without being read, and so is a named pipe that no
// program opens for writing within a second.
WordList readWordList(const QString& path);

}  // namespace skyquill
