// The reader on bytes in memory, read `chunk` bytes at a time, from a buffer
// or through a pipe that can't seek back: what it makes of them, and how far
// it read. The reader's table and its fuzz target share it.
#pragma once

#include "core/word_list.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

class Pipe : public QIODevice {
public:
    Pipe(QByteArray bytes, bool seeks, bool failsAtEnd) : bytes_(std::move(bytes)), seeks_(seeks), fails_(failsAtEnd) { open(ReadOnly | Unbuffered); }
    bool isSequential() const override { return !seeks_; }
    qint64 taken = 0;

protected:
    qint64 readData(char* data, qint64 size) override
    {
        size = std::min(size, bytes_.size() - taken);
        if (size == 0 && fails_)
            return -1;
        std::memcpy(data, bytes_.constData() + taken, static_cast<std::size_t>(size));
        taken += size;
        return size;
    }
    qint64 writeData(const char* /*data*/, qint64 /*size*/) override { return -1; }

private:
    QByteArray bytes_;
    bool seeks_, fails_;
};

inline std::pair<std::optional<std::vector<QString>>, qint64> decode(QByteArray bytes, qint64 chunk, bool seeks = true, bool failsAtEnd = false)
{
    Pipe pipe(std::move(bytes), seeks, failsAtEnd);
    skyquill::WordList list = skyquill::readWordList(pipe, chunk);
    if (!list.refusal.isEmpty())
        return {std::nullopt, pipe.taken};
    return {std::move(list.words), pipe.taken};
}
