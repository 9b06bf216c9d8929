#include "game/word_list.h"
#include "game/word_list_file.h"

#include <QFile>

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skyquill {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

bool feedRegularFile(const QString& path, WordListDecoder& decoder)
{
    // Non-blocking, so a FIFO cannot stall start-up waiting for a writer, and
    // the type is checked on the descriptor itself, so nothing can be swapped
    // in between the check and the read.
    const FileDescriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    std::array<char, kReadChunkBytes> chunk;
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0 || !decoder.feed(chunk.data(), static_cast<std::size_t>(got)))
            return true;
    }
}

}  // namespace skyquill
