#include "game/word_list.h"
#include "game/word_list_file.h"

#include <QFile>
#include <QFileInfo>

#include <vector>

namespace skyquill {

bool feedRegularFile(const QString& path, WordListDecoder& decoder)
{
    // QFile has no non-blocking open, and opening a FIFO would wait for a
    // writer: the type is checked first, so only a regular file is opened.
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    std::vector<char> chunk(kReadChunkBytes);
    for (;;) {
        const qint64 got = file.read(chunk.data(), static_cast<qint64>(chunk.size()));
        if (got < 0)
            return false;
        if (got == 0 || !decoder.feed(chunk.data(), static_cast<std::size_t>(got)))
            return true;
    }
}

}  // namespace skyquill
