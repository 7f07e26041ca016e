// The table scene's costs: the deal of four hands from the dice to the start of play (CPU per
// engine tick), frame times while the sort button's sparkles and the win effect run at the 1600
// class (p99 and the most live particles), resident memory after creation and after 1000 table
// sequences, and the scene's layout on a resize or a fold of the side panel beside the copy of a
// whole screen.
#include "framework/frame/FrameLayout.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/scene/CMyParticle.h"
#include "tests/mahjong/SceneRig.h"
#include "widgets/CCySplitterBar.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
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

// A crowded table to lay out: every panel with a long name, the banker and auto-play marks, a
// claim's word at the left seat and the win's word at the right one, every claim button offered.
struct CrowdedTable {
    CrowdedTable(int w, int h) : rig("bench_layout", mahjongtest::Surface{w, h, {}, {}})
    {
        TestScene& s = *rig.scene;
        // The splitter as wide as the frame makes it, which the scene asks whether the panel is open.
        splitter = rig.engine.Make<CCySplitterBar>();
        splitter->SetName(CCySplitterBar::kName);
        PictureInfo bar;
        splitter->GetRes(bar, "左右分隔条_bg", 0);
        barWidth = bar.width;
        for (CMJPlayer2* panel : s.players) {
            panel->Refresh(PanelUser{"西门吹雪大师兄二号", 1040000, true, "", true});
            panel->SetBanker(panel->GetSeat() == 1);
            panel->SetAutoPlay(true);
        }
        const int32_t peng[4] = {0, 0, 0, 1};
        s.OnNotifyPengAnnounced(reinterpret_cast<const uint8_t*>(peng), sizeof peng);
        s.ShowWinEffect(2);
        for (int claim = 1; claim <= 5; ++claim)
            s.ShowActionButton(claim, 1);
    }
    // The table's bounds in a window of that size, the side panel open or folded beside it.
    Rect Bounds(int w, int h, bool open) const
    {
        const int panelWidth = framework::SidePanelWidth(true, w);
        return framework::LayoutRects(w, h, panelWidth, open ? panelWidth : 0, open, barWidth, 4).scene;
    }
    // The engine's view resized as a window's is, the table not laid out in it yet.
    void UseView(int w, int h)
    {
        mahjongtest::FakeTileHost unused;
        rig.engine.UseSurface(mahjongtest::Surface{w, h, {}, {}}, unused);
    }
    // A frame painted as the table stands, as one is before every layout a user meets: what the
    // layout reads is then as far from the processor as it is for the user.
    void PaintFrame() { rig.engine.Objects().BuildFrame(); }
    // Not inlined: a profiler counts the layouts alone by this name.
    [[gnu::noinline]] void LayOut(const Rect& bounds, bool open)
    {
        splitter->SetCollapsed(open ? 0 : 1);
        rig.scene->SetBounds(bounds);
    }
    SceneRig rig;
    CCySplitterBar* splitter = nullptr;
    int barWidth = 0;
};

// The CPU time of one copy of a whole 1920x1080 screen (the least of a few), which each layout's
// counter `to_copy` is measured against in the same run: it must stay at most 0.5.
double CopyMicros()
{
    std::vector<uint8_t> from(size_t(1920) * 1080 * 4, 1), to(from.size());
    double least = 1e18;
    for (int i = 0; i < 20; ++i) {
        const double t0 = ThreadCpuMicros();
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        least = std::min(least, ThreadCpuMicros() - t0);
    }
    return least;
}

// The first layout of a crowded table at a size, as a resize or a fold of the side panel asks it:
// the table's bounds moved a pixel each iteration (up to 64 right, then a pixel down), so that no
// answer is remembered from an iteration before and every seat's tiles, panel, word and control is
// placed anew, each after a frame painted (untimed). Each must cost at most half a copy of a whole
// 1920x1080 screen (below).
void BM_SceneLayout(benchmark::State& state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    const bool open = state.range(2) != 0;
    CrowdedTable table(w, h);
    const Rect bounds = table.Bounds(w, h, open);
    state.counters["table_width"] = bounds.right - bounds.left;
    int64_t step = 0;
    double spent = 0;
    for (auto _ : state) {
        const int dx = int(step % 64), dy = int(step / 64 % 64);
        ++step;
        state.PauseTiming();
        table.PaintFrame();
        state.ResumeTiming();
        const double t0 = ThreadCpuMicros();
        table.LayOut({bounds.left + dx, bounds.top + dy, bounds.right + dx, bounds.bottom + dy}, open);
        spent += ThreadCpuMicros() - t0;
    }
    state.counters["to_copy"] = spent / double(std::max<int64_t>(1, step)) / CopyMicros();
}
BENCHMARK(BM_SceneLayout)
    ->ArgNames({"w", "h", "open"})
    ->Args({800, 600, 1})
    ->Args({800, 600, 0})
    ->Args({900, 700, 1})
    ->Args({960, 640, 1})
    ->Args({960, 640, 0})
    ->Args({1024, 600, 1})
    ->Args({1024, 600, 0})
    ->Args({1100, 600, 1})
    ->Args({864, 600, 1})
    ->Args({896, 600, 1})
    ->Args({928, 600, 0})
    ->Args({1184, 600, 1})
    ->Args({1366, 768, 1})
    ->Args({1920, 1080, 1})
    ->Unit(benchmark::kMicrosecond);

// A resize drag of the window's corner from 1100x700 to 800x600 and back, 4 pixels a step, the
// side panel open: each step a size not laid out before in the drag, the view resized with the
// window after a frame painted (untimed: the engine's part, not the layout's).
void BM_SceneLayoutResizeDrag(benchmark::State& state)
{
    CrowdedTable table(1100, 700);
    constexpr int kSteps = 75;
    int64_t step = 0;
    double spent = 0;
    for (auto _ : state) {
        const int at = int(step % (2 * kSteps)), along = at < kSteps ? at : 2 * kSteps - at;
        // Each round a pixel apart from the one before, so that no step meets a size remembered.
        const int shift = int(step / (2 * kSteps) % 4);
        ++step;
        const int w = 1100 - 4 * along - shift, h = 700 - (4 * along) / 3 - shift;
        state.PauseTiming();
        table.PaintFrame();
        table.UseView(w, h);
        state.ResumeTiming();
        const double t0 = ThreadCpuMicros();
        table.LayOut(table.Bounds(w, h, true), true);
        spent += ThreadCpuMicros() - t0;
    }
    state.counters["to_copy"] = spent / double(std::max<int64_t>(1, step)) / CopyMicros();
}
BENCHMARK(BM_SceneLayoutResizeDrag)->Unit(benchmark::kMicrosecond);

// The rows above are a few sizes; this is every size the look test sweeps: 800x600 to 1920x1080,
// every 32 pixels wide and 24 high, the side panel open and folded. Each size is laid out three
// times a pixel apart, each after a frame painted and the view resized to it, the first of them
// from another size: the least of the three counts (each cold, as the copy is the least of its
// runs: what the layout costs, not what a busy machine adds). `worst_to_copy`, the dearest size's,
// must stay at most 0.5 as every row's. `worst_first_to_copy` is the dearest first of the three, a
// resize from another size.
void BM_SceneLayoutEverySize(benchmark::State& state)
{
    CrowdedTable table(800, 600);
    struct Dearest {
        double micros = 0;
        int w = 0, h = 0, open = 0;
    } dearest;
    double dearestFirst = 0;
    double spent = 0;
    int layouts = 0;
    for (auto _ : state)
        for (int w = 800; w <= 1920; w += 32)
            for (int h = 600; h <= 1080; h += 24)
                for (const bool open : {true, false}) {
                    const Rect b = table.Bounds(w, h, open);
                    std::array<double, 3> took{};
                    for (int i = 0; i < 3; ++i) {
                        table.PaintFrame();
                        table.UseView(w, h);
                        const double t0 = ThreadCpuMicros();
                        table.LayOut({b.left + i, b.top, b.right + i, b.bottom}, open);
                        took[size_t(i)] = ThreadCpuMicros() - t0;
                    }
                    const double least = *std::min_element(took.begin(), took.end());
                    dearestFirst = std::max(dearestFirst, took[0]);
                    spent += least;
                    ++layouts;
                    if (least > dearest.micros)
                        dearest = {least, w, h, open};
                }
    const double copy = CopyMicros();
    state.counters["mean_to_copy"] = spent / std::max(1, layouts) / copy;
    state.counters["worst_to_copy"] = dearest.micros / copy;
    state.counters["worst_first_to_copy"] = dearestFirst / copy;
    state.counters["worst_w"] = dearest.w;
    state.counters["worst_h"] = dearest.h;
    state.counters["worst_open"] = dearest.open;
}
BENCHMARK(BM_SceneLayoutEverySize)->Unit(benchmark::kMillisecond)->Iterations(1);

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
