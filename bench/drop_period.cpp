// The real drop timer in a Qt event loop (run on the offscreen platform), for
// SECONDS (default 10) at interval 1 and at interval 25. Prints for each
// "interval=I period_ms=P drift_ms=D": the mean period from the first tick to
// the last, and how late the last tick is against start + ticks x the nominal
// period (15.625 or 31.25 ms), which grows if lateness adds up.
#include "qt/drop_timer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    for (const int interval : {1, 25}) {
        // Written out rather than asked of the timer, so a wrong period shows.
        const double nominalMs = interval == 1 ? 15.625 : 31.25;
        std::vector<qint64> ticks;
        QElapsedTimer clock;
        skyquill::DropTimer timer([&] { ticks.push_back(clock.nsecsElapsed()); });
        QEventLoop loop;
        // Half a period after the last tick that is due, so that it counts.
        QTimer::singleShot(static_cast<int>(seconds * 1000 + nominalMs / 2), Qt::PreciseTimer, &loop,
                           &QEventLoop::quit);
        clock.start();
        timer.setEnabled(true, interval);
        loop.exec();
        timer.setEnabled(false, interval);
        if (ticks.size() < 2)
            return 1;
        const auto n = static_cast<double>(ticks.size());
        std::printf("interval=%d period_ms=%.4f drift_ms=%.3f\n", interval,
                    static_cast<double>(ticks.back() - ticks.front()) / (n - 1) / 1e6,
                    static_cast<double>(ticks.back()) / 1e6 - n * nominalMs);
    }
    return 0;
}
