// How well the real drop timer keeps its period in a real Qt event loop.
// Runs the timer for a while at interval 1 (15.625 ms) and at interval 25
// (31.25 ms) and prints, per period, one line of key=value figures:
//   mean_ms   achieved mean period (first tick to last tick)
//   error_pct its deviation from the nominal period
//   worst_ms  the longest gap between two ticks (start to first tick included)
//   drift_ms  last tick time minus (start + ticks x nominal period)
// Usage: skyquill_timer_accuracy [seconds per period, default 10]
#include "qt/drop_timer.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Run {
    int interval;
    double nominalMs;
};

void measure(const Run& run, int seconds)
{
    std::vector<qint64> ticks;  // ns since the clock started
    ticks.reserve(static_cast<std::size_t>(seconds) * 100);
    QElapsedTimer clock;
    skyquill::DropTimer timer([&] { ticks.push_back(clock.nsecsElapsed()); });

    QEventLoop loop;
    QTimer stop;
    stop.setSingleShot(true);
    stop.setTimerType(Qt::PreciseTimer);
    QObject::connect(&stop, &QTimer::timeout, &loop, &QEventLoop::quit);

    clock.start();
    timer.setEnabled(true, run.interval);
    // Stop half a period after the last tick that is due, so that tick counts.
    stop.start(static_cast<int>(seconds * 1000 + run.nominalMs / 2));
    loop.exec();
    timer.setEnabled(false, run.interval);

    if (ticks.size() < 2) {
        std::printf("interval=%d error=too_few_ticks\n", run.interval);
        return;
    }
    const double nominalNs = run.nominalMs * 1e6;
    const auto n = static_cast<double>(ticks.size());
    const double meanNs = static_cast<double>(ticks.back() - ticks.front()) / (n - 1);
    qint64 worst = ticks.front();
    for (std::size_t i = 1; i < ticks.size(); ++i)
        worst = std::max(worst, ticks[i] - ticks[i - 1]);
    const double drift = static_cast<double>(ticks.back()) - n * nominalNs;
    std::printf("interval=%d nominal_ms=%.3f ticks=%zu expected_ticks=%d mean_ms=%.4f error_pct=%.4f "
                "worst_ms=%.3f drift_ms=%.3f\n",
                run.interval, run.nominalMs, ticks.size(), static_cast<int>(seconds * 1000 / run.nominalMs),
                meanNs / 1e6, (meanNs - nominalNs) / nominalNs * 100.0, static_cast<double>(worst) / 1e6,
                drift / 1e6);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    for (const Run& run : {Run{1, 15.625}, Run{25, 31.25}})
        measure(run, seconds);
    return 0;
}
