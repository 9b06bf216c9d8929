// The reader on bytes in memory, read `chunk` bytes at a time: what it makes
// of them, and how far it read. The reader's table and its fuzz target share it.
#pragma once

#include "core/word_list.h"

#include <QBuffer>

inline std::pair<std::optional<std::vector<QString>>, qint64> decode(QByteArray bytes, qint64 chunk)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return {skyquill::readWordList(buffer, chunk), buffer.pos()};
}
