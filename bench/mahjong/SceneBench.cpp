// The table scene's costs: the deal of four hands from the dice to the start of play (CPU per
// engine tick), frame times while the sort button's sparkles and the win effect run at the 1600
// class (p99 and the most live particles), resident memory after creation and after 1000 table
// sequences, and the scene's layout on a resize or a fold of the side panel beside the copy of a
// whole screen.
#include "framework/frame/FrameLayout.h"
#include "mahjong/scene/CMyParticle.h"
#include "tests/mahjong/SceneRig.h"
#include "widgets/CCySplitterBar.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <fstream>
#include <numeric>
#include <random>

using namespace Lumora;
using mahjongtest::kSurfaces;
using mahjongtest::SceneRig;
using mahjongtest::TestScene;

namespace {

long ResidentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

double Percentile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(q * double(v.size())))];
}

// The calling thread's CPU time in microseconds: the UI thread's own work, whatever else the
// machine is doing.
double ThreadCpuMicros()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e6 + double(ts.tv_nsec) / 1e3;
}

// Ticks the engine and times each tick (CPU microseconds of this thread).
std::vector<double> TimedTicks(SceneRig& rig, int ticks, size_t* mostParticles = nullptr)
{
    std::vector<double> times;
    for (int i = 0; i < ticks; ++i) {
        const double t0 = ThreadCpuMicros();
        rig.engine.Tick();
        times.push_back(ThreadCpuMicros() - t0);
        if (mostParticles && rig.scene->Emitter())
            *mostParticles = std::max(*mostParticles, rig.scene->Emitter()->LiveCount());
    }
    return times;
}

// One game's worth of table operations, then the reset between games.
void TestSequence(SceneRig& rig, std::mt19937& rng)
{
    TestScene& s = *rig.scene;
    s.ResetTable();
    s.CreateDiceHook();
    rig.engine.Tick(2100);
    for (int k = 0; k < 24; ++k) {
        const int seat = int(rng() % 4);
        s.CatchWallCard(seat, 53 + k, int(rng() % 108));
        if (CMJCard2* t = s.hands[size_t(seat)][0]; t && !s.thrown[size_t(seat)]) {
            s.hands[size_t(seat)][0] = nullptr;
            t->state = kTileThrown;
            s.thrown[size_t(seat)] = t;
        }
        s.ParkThrownCard(seat);
    }
    TileArray row;
    s.ClearTileArray(row);
    for (int i = 0; i < 8; ++i)
        row[size_t(i)] = int(rng() % 108);
    s.ShowResultHand(int(rng() % 4), row);
    s.OnResetGame();
    rig.engine.Tick(100);
    // The fakes record every sound, notice and glyph: those records are the rig's, not the scene's.
    const_cast<std::vector<std::string>&>(rig.engine.Sounds()).clear();
    rig.app.notices.clear();
    rig.engine.Glyphs().requests.clear();
    rig.engine.Glyphs().requests.shrink_to_fit();
    rig.engine.Glyphs().faces.clear();
    rig.engine.Glyphs().faces.shrink_to_fit();
}

void BM_DealFourHands(benchmark::State& state)
{
    SceneRig rig("bench_deal", kSurfaces[1]);
    constexpr int kTicks = 2200 / testsupport::HeadlessEngine::kTickMs;
    std::vector<double> all;
    for (auto _ : state) {
        state.PauseTiming();
        rig.scene->ResetTable();
        state.ResumeTiming();
        rig.scene->CreateDiceHook();
        auto times = TimedTicks(rig, kTicks);
        all.insert(all.end(), times.begin(), times.end());
    }
    state.counters["tick_us_mean"] = all.empty() ? 0 : std::accumulate(all.begin(), all.end(), 0.0) / all.size();
    state.counters["tick_us_p99"] = Percentile(all, 0.99);
}
BENCHMARK(BM_DealFourHands)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_SortSparklesAndWinEffectFrames1600(benchmark::State& state)
{
    SceneRig rig("bench_effects", kSurfaces[3]);
    rig.scene->CreateDiceHook();
    rig.engine.Run(2500);
    std::vector<double> all;
    size_t most = 0;
    for (auto _ : state) {
        rig.scene->OnBtnSortHand();
        rig.scene->ShowWinEffect(int(state.iterations() % 4));
        auto times = TimedTicks(rig, 1200 / testsupport::HeadlessEngine::kTickMs, &most);
        all.insert(all.end(), times.begin(), times.end());
    }
    state.counters["frame_us_p99"] = Percentile(all, 0.99);
    state.counters["frame_us_p50"] = Percentile(all, 0.5);
    state.counters["most_particles"] = double(most);
}
BENCHMARK(BM_SortSparklesAndWinEffectFrames1600)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ResidentMemoryOverTableSequences(benchmark::State& state)
{
    SceneRig rig("bench_memory", kSurfaces[1]);
    const long afterCreate = ResidentKiB();
    long afterFirst = 0;
    std::mt19937 rng(11);
    for (auto _ : state) {
        for (int seq = 0; seq < 1000; ++seq) {
            TestSequence(rig, rng);
            if (seq == 99)
                afterFirst = ResidentKiB();
        }
    }
    state.counters["rss_kib_after_create"] = double(afterCreate);
    state.counters["rss_kib_after_100"] = double(afterFirst);
    state.counters["rss_kib_after_1000"] = double(ResidentKiB());
}
BENCHMARK(BM_ResidentMemoryOverTableSequences)->Unit(benchmark::kMillisecond)->Iterations(1);

// The scene laid out as the frame asks on each fold of the side panel (and so each step of a
// resize, which gives new bounds too): the table's bounds alternate between the panel open and
// folded beside it, and the splitter says which, so that every seat's tiles, panel (rescaled and
// drawn anew where its size changes), label and control are laid out anew each time. Each must
// cost less than one copy of a whole 1920x1080 screen (below).
void BM_SceneLayout(benchmark::State& state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    SceneRig rig("bench_layout", mahjongtest::Surface{w, h, {}, {}});
    // The splitter as wide as the frame makes it, which the scene asks whether the panel is open.
    auto* splitter = rig.engine.Make<CCySplitterBar>();
    splitter->SetName(CCySplitterBar::kName);
    PictureInfo bar;
    splitter->GetRes(bar, "左右分隔条_bg", 0);
    const int panelWidth = framework::SidePanelWidth(true, w);
    Rect bounds[2]; // folded, open
    for (const bool open : {false, true})
        bounds[open] = framework::LayoutRects(w, h, panelWidth, open ? panelWidth : 0, open, bar.width, 4).scene;
    state.counters["table_width_open"] = bounds[1].right - bounds[1].left;
    bool open = false;
    for (auto _ : state) {
        open = !open;
        splitter->SetCollapsed(open ? 0 : 1);
        rig.scene->SetBounds(bounds[open]);
    }
}
BENCHMARK(BM_SceneLayout)
    ->ArgNames({"w", "h"})
    ->Args({800, 600})
    ->Args({900, 700})
    ->Args({1024, 600})
    ->Args({1100, 600})
    ->Args({1024, 768})
    ->Args({1366, 768})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMicrosecond);

void BM_FullScreenCopy1920x1080(benchmark::State& state)
{
    std::vector<uint8_t> from(size_t(1920) * 1080 * 4, 1), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullScreenCopy1920x1080)->Unit(benchmark::kMicrosecond);

} // namespace
