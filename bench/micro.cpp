// Micro-benchmarks of the rules on the element model, without a display:
// reading the word list, picking words, a drop tick, a huge paste and a key.
#include "core/form.h"
#include "core/word_list.h"
#include "core/scripted_platform.h"
#include "qt/random_source.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

namespace {

using skyquill::frmSkyquill;
using skyquill::testing::ScriptedPlatform;

constexpr int kWords = 10000;

// Distinct lower-case words, one a line with LF endings: 3 to 12 random
// letters and a short base-36 suffix, about the length of real words.
std::vector<QString> makeWords(int count)
{
    std::mt19937 rng(20240601U);
    std::uniform_int_distribution<int> length(3, 12);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::vector<QString> words;
    words.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        QString w;
        const int n = length(rng);
        for (int k = 0; k < n; ++k)
            w += QChar(letter(rng));
        w += QString::number(i, 36);  // keeps every word distinct
        words.push_back(w);
    }
    return words;
}

// One list file for the whole run, in a private temporary directory.
class ListFile {
public:
    ListFile()
    {
        QFile file(dir_.filePath(QStringLiteral("SkyquillList.txt")));
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        for (const QString& w : makeWords(kWords))
            file.write(w.toUtf8() + '\n');
    }
    QString directory() const { return dir_.path(); }
    QString path() const { return dir_.filePath(QStringLiteral("SkyquillList.txt")); }

private:
    QTemporaryDir dir_;
};

const ListFile& listFile()
{
    static const ListFile file;
    return file;
}

// The scripted platform with a fresh random stream for every game, so that
// repeated runs of a benchmark cover different word orders.
class BenchPlatform : public ScriptedPlatform {
public:
    BenchPlatform()
    {
        static int games = 0;
        random_.seed(static_cast<float>(++games));
    }
    double random() override
    {
        ++draws;
        return random_.next();
    }

    int draws = 0;

private:
    skyquill::RandomSource random_;
};

// A loaded form, as after a successful start-up.
struct Game {
    BenchPlatform platform;
    frmSkyquill form{platform};

    explicit Game(int words = kWords) { skyquill::testing::loadWords(form, makeWords(words)); }
};

// The file is in the page cache after the first read, as it is when the game
// starts a second time; the figure is the decoding and table work.
void BM_ReadWordList(benchmark::State& state)
{
    const QString path = listFile().path();
    for (auto _ : state) {
        auto words = skyquill::readWordList(path);
        if (!words || words->size() != kWords)
            state.SkipWithError("list not read");
        benchmark::DoNotOptimize(words);
    }
}
BENCHMARK(BM_ReadWordList)->Unit(benchmark::kMillisecond);

// Start-up as the game does it: read the list and fill the word table.
void BM_FormLoad(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto game = std::make_unique<Game>(0);
        game->platform.directory = listFile().directory();
        state.ResumeTiming();
        game->form.Form_Load();
        if (game->form.state().intWordCount != kWords)
            state.SkipWithError("list not loaded");
        state.PauseTiming();
        game.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FormLoad)->Unit(benchmark::kMillisecond);

// A whole cycle: 10,000 New Game commands, each picking one word, so every
// word is shown exactly once. The mean per pick is the "per_pick" counter.
void BM_NextWordCycle(benchmark::State& state)
{
    Game game;
    for (auto _ : state) {
        for (int i = 0; i < kWords; ++i)
            game.form.mnuNewGame_Click();
    }
    if (game.form.state().intWordsUsed != 0)
        state.SkipWithError("cycle not aligned");
    state.counters["per_pick"] =
        benchmark::Counter(kWords, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_NextWordCycle)->Unit(benchmark::kMillisecond);

// The thread's own CPU time: unlike the wall clock it doesn't count the
// time another process held the core, which on a shared machine can make a
// single pick look milliseconds slower than it was.
double threadCpuUs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) / 1e3;
}

// The same cycle with every pick timed on its own. The last picks of a cycle
// draw until they hit one of the few unshown words, so the worst pick is what
// a player could feel. Counters: cycle_worst_us, the slowest pick of a typical
// cycle (median over the cycles run); worst_pick_us and worst_pick_cpu_us,
// the slowest pick of all the cycles, on the wall clock and in CPU time;
// worst_draws, the most random draws one pick took (free of timing noise).
void BM_NextWordWorstPick(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    Game game;
    double worstUs = 0;
    double worstCpuUs = 0;
    int worstDraws = 0;
    std::vector<double> cycleWorst;
    for (auto _ : state) {
        Clock::duration total{0};
        double cycleUs = 0;
        for (int i = 0; i < kWords; ++i) {
            const int drawsBefore = game.platform.draws;
            const double cpu0 = threadCpuUs();
            const auto t0 = Clock::now();
            game.form.mnuNewGame_Click();
            const auto dt = Clock::now() - t0;
            const double cpuUs = threadCpuUs() - cpu0;
            total += dt;
            const double us = std::chrono::duration<double, std::micro>(dt).count();
            cycleUs = std::max(cycleUs, us);
            worstUs = std::max(worstUs, us);
            worstCpuUs = std::max(worstCpuUs, cpuUs);
            worstDraws = std::max(worstDraws, game.platform.draws - drawsBefore);
        }
        cycleWorst.push_back(cycleUs);
        state.SetIterationTime(std::chrono::duration<double>(total).count());
    }
    const auto middle = cycleWorst.begin() + static_cast<std::ptrdiff_t>(cycleWorst.size() / 2);
    std::nth_element(cycleWorst.begin(), middle, cycleWorst.end());
    state.counters["cycle_worst_us"] = cycleWorst.empty() ? 0 : *middle;
    state.counters["worst_pick_us"] = worstUs;
    state.counters["worst_pick_cpu_us"] = worstCpuUs;
    state.counters["worst_draws"] = worstDraws;
}
BENCHMARK(BM_NextWordWorstPick)->UseManualTime()->Unit(benchmark::kMillisecond);

// One tick of the drop timer in a running game; a word lands every couple of
// hundred ticks and the next one is picked, as in play.
void BM_DropTick(benchmark::State& state)
{
    Game game;
    game.form.mnuNewGame_Click();
    for (auto _ : state)
        game.form.tmrSkyquill_Timer();
}
BENCHMARK(BM_DropTick);

// A paste of 1,000,000 characters that starts with a correct beginning of
// the falling word: the typing rule upper-cases it, finds where it stops
// fitting and cuts it back. Each iteration first empties the box again.
void BM_Paste1M(benchmark::State& state)
{
    Game game;
    game.form.mnuNewGame_Click();
    const QString word = game.form.lblWord.caption();
    QString paste = word.left(word.size() - 1).toLower();
    paste += QString(1000000 - paste.size(), QChar(u'q'));
    for (auto _ : state) {
        game.form.txtWord.setText(paste);
        if (game.form.txtWord.text() != word.left(word.size() - 1))
            state.SkipWithError("paste not settled");
        state.PauseTiming();
        game.form.txtWord.setText(QString());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Paste1M)->Unit(benchmark::kMillisecond);

// A key that extends a correct beginning: the key filter, then the box gets
// one more letter and the rule settles it. Letters 1 to 8 of a 9-letter word
// are typed, then the box is emptied; "per_key" is the mean per key press.
void BM_KeyPress(benchmark::State& state)
{
    Game game;
    skyquill::testing::loadWords(game.form, {QStringLiteral("strawberr")});
    game.form.mnuNewGame_Click();
    const QString word = game.form.lblWord.caption();
    constexpr int kKeys = 8;
    for (auto _ : state) {
        for (int i = 0; i < kKeys; ++i) {
            char16_t code = word[i].toLower().unicode();
            game.form.txtWord_KeyPress(code);
            game.form.txtWord.setText(game.form.txtWord.text() + QChar(code));
        }
        game.form.txtWord.setText(QString());
    }
    if (game.form.lblScore.caption() != QStringLiteral("0"))
        state.SkipWithError("word scored");
    state.counters["per_key"] =
        benchmark::Counter(kKeys, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_KeyPress);

}  // namespace

BENCHMARK_MAIN();
