#include "core/list_file.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace skyquill {

using namespace Qt::StringLiterals;

namespace {

#ifdef Q_OS_UNIX
// A pipe, named or not. A named one that no program has opened for writing
// would keep open() waiting: it is opened without waiting, and given a
// second to find a writer. Once one is there, reading waits on it.
WordList readPipe(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return WordList::refused(QString::fromLocal8Bit(std::strerror(errno)));
    const struct Closing {
        int fd;
        ~Closing() { ::close(fd); }
    } closing{fd};
    QElapsedTimer waited;
    waited.start();
    bool writer = false;
    return readWordList([&](char* data, qint64 size, QString& error) -> qint64 {
        for (;;) {
            const ssize_t got = ::read(fd, data, static_cast<size_t>(size));
            writer = writer || got > 0;
            if (got > 0 || (got == 0 && writer))
                return got;
            if (got < 0 && errno != EAGAIN && errno != EINTR) {
                error = QString::fromLocal8Bit(std::strerror(errno));
                return -1;
            }
            writer = writer || got < 0;  // EAGAIN: a writer is there, with nothing to say yet
            if (writer) {
                pollfd ready{fd, POLLIN, 0};
                ::poll(&ready, 1, -1);
            } else if (waited.elapsed() < 1000) {
                QThread::msleep(10);
            } else {
                error = u"no program writes to this pipe"_s;
                return -1;
            }
        }
    });
}
#endif

}  // namespace

WordList readWordList(const QString& path)
{
    // QFileInfo looks without opening, which a device might not like.
    const QFileInfo info(path);
    if (!info.exists())
        return WordList::refused(u"No such file or directory"_s);
    if (info.isDir())
        return WordList::refused(u"Is a directory"_s);
#ifdef Q_OS_UNIX
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode))
        return readPipe(path);
#endif
    if (!info.isFile())
        return WordList::refused(u"not a file or a pipe"_s);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return WordList::refused(file.errorString());
    return readWordList(file);
}

}  // namespace skyquill
