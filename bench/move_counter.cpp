// Preloaded into the game and the floor by window_probe.sh: counts calls of
// QWidget::move(const QPoint&) made by the program itself. Both move their
// word label once per drop tick, so the count gives each program's real tick
// rate (the game's words fall at 64 or 32 Hz, the floor's always at 64 Hz)
// and lets the probe compare CPU per tick. The count lives in the file named
// by SKYQUILL_MOVE_COUNTER, which the probe reads from outside.
#include <QPoint>

#include <atomic>
#include <cstdint>
#include <cstdlib>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

using Move = void (*)(void*, const QPoint&);

std::atomic<std::uint64_t>* counter()
{
    static std::atomic<std::uint64_t>* const shared = [] () -> std::atomic<std::uint64_t>* {
        const char* path = std::getenv("SKYQUILL_MOVE_COUNTER");
        if (path == nullptr)
            return nullptr;
        const int fd = ::open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0 || ::ftruncate(fd, sizeof(std::uint64_t)) != 0)
            return nullptr;
        void* p = ::mmap(nullptr, sizeof(std::uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        ::close(fd);
        return p == MAP_FAILED ? nullptr : static_cast<std::atomic<std::uint64_t>*>(p);
    }();
    return shared;
}

}  // namespace

// The program's own calls reach Qt through the PLT, so this definition wins
// and hands on to Qt's.
extern "C" __attribute__((visibility("default"))) void _ZN7QWidget4moveERK6QPoint(void* widget, const QPoint& to)
{
    static const auto real = reinterpret_cast<Move>(dlvsym(RTLD_NEXT, "_ZN7QWidget4moveERK6QPoint", "Qt_6"));
    if (auto* c = counter())
        c->fetch_add(1, std::memory_order_relaxed);
    real(widget, to);
}
