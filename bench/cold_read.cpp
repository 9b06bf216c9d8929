// One read of a word list in a fresh process: the first call, with cold
// caches and lazily bound symbols, as the game's start-up makes it. The file's
// pages are dropped from the page cache first where the file system allows.
// Prints "words=N wall_us=W cpu_us=C".
#include "core/word_list.h"

#include <QFile>
#include <QString>

#include <chrono>
#include <cstdio>
#include <ctime>

#include <fcntl.h>
#include <unistd.h>

namespace {

double threadCpuUs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) / 1e3;
}

void dropFromPageCache(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s WORD_LIST\n", argv[0]);
        return 2;
    }
    const QString path = QFile::decodeName(argv[1]);
    dropFromPageCache(argv[1]);
    const double cpu0 = threadCpuUs();
    const auto t0 = std::chrono::steady_clock::now();
    const auto words = skyquill::readWordList(path);
    const auto t1 = std::chrono::steady_clock::now();
    const double cpu1 = threadCpuUs();
    if (!words)
        return 1;
    std::printf("words=%zu wall_us=%.1f cpu_us=%.1f\n", words->size(),
                std::chrono::duration<double, std::micro>(t1 - t0).count(), cpu1 - cpu0);
    return 0;
}
