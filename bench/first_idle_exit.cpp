// Preloaded by bench/run.sh into the game and the floor under callgrind: ends
// the program with _exit the first time its event loop is about to wait, i.e.
// once the window is up and every event its start-up caused has been handled.
// The instruction count then covers start-up alone, without the idle time
// after it, in which the floor blinks its caret and the game does not.
#include <QAbstractEventDispatcher>
#include <QObject>

#include <dlfcn.h>
#include <unistd.h>

// The programs call QApplication::exec through the PLT, so this definition
// wins and hands on to Qt's.
extern "C" __attribute__((visibility("default"))) int _ZN12QApplication4execEv()
{
    using Exec = int (*)();
    static const auto real = reinterpret_cast<Exec>(dlvsym(RTLD_NEXT, "_ZN12QApplication4execEv", "Qt_6"));
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [] { ::_exit(0); });
    return real();
}
