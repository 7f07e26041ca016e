// Cost of the engine's frame tick: per tick with five idle modules, the CPU an idle engine
// burns when driven every 5 ms, and the module message path.
#include "engine/GameCore.h"
#include "platform/Clock.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>

using namespace Lumora;

namespace {

class IdleModule : public BaseModule {
public:
    IdleModule(uint32_t id, uint32_t interval) : id_(id) { SetInterval(interval); }
    int Init() override { return 1; }
    void Shutdown() override {}
    void Work() override {}
    uint32_t GetId() const override { return id_; }
    const char* GetName() const override { return "IdleModule"; }
    int ProcessMessage(uint32_t, uintptr_t wparam, uintptr_t) override
    {
        handled += wparam;
        return LUMORA_MSG_OK;
    }
    uintptr_t handled = 0;

private:
    uint32_t id_;
};

// The five modules of a running engine with their update intervals.
void LoadEngineShape(GameCore& core)
{
    core.LoadModule(new IdleModule(LUMORA_MODULE_RESOURCE, 10), 1, 1);
    core.LoadModule(new IdleModule(LUMORA_MODULE_OBJECT, 10), 1, 0);
    core.LoadModule(new IdleModule(LUMORA_MODULE_PAINT, 10), 1, 1);
    core.LoadModule(new IdleModule(LUMORA_MODULE_MUSIC, 100), 1, 0);
    core.LoadModule(new IdleModule(LUMORA_MODULE_INPUT, 100), 1, 1);
}

void BM_FrameTickFiveIdleModules(benchmark::State& state)
{
    platform::ManualClock clock;
    platform::SetCurrentClock(&clock);
    {
        GameCore core;
        LoadEngineShape(core);
        for (auto _ : state) {
            clock.Advance(5);
            core.FrameTick();
        }
    }
    platform::SetCurrentClock(nullptr);
}
BENCHMARK(BM_FrameTickFiveIdleModules)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_PostDeliverDrain(benchmark::State& state)
{
    platform::ManualClock clock;
    platform::SetCurrentClock(&clock);
    {
        GameCore core;
        LoadEngineShape(core);
        const int perTick = static_cast<int>(state.range(0));
        for (auto _ : state) {
            for (int i = 0; i < perTick; ++i)
                core.PostMessage(LUMORA_MODULE_OBJECT + static_cast<uint32_t>(i % 3), 1, 1, 0);
            clock.Advance(11);
            core.FrameTick();
        }
        state.SetItemsProcessed(state.iterations() * perTick);
    }
    platform::SetCurrentClock(nullptr);
}
BENCHMARK(BM_PostDeliverDrain)->Arg(16)->Arg(1024);

double ProcessCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Ticks an idle engine every 5 ms on the real clock with a sleeping driver, as the host
// window's timer does, and reports the process CPU as a share of one core. Two seconds by
// default; XL_IDLE_SECONDS=10 gives the full measurement.
void BM_IdleEngineCpu(benchmark::State& state)
{
    const char* env = std::getenv("XL_IDLE_SECONDS");
    const double seconds = env ? std::atof(env) : 2.0;
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        GameCore core;
        LoadEngineShape(core);
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        auto next = start;
        const auto end = start + std::chrono::duration<double>(seconds);
        while (next < end) {
            next += std::chrono::milliseconds(5);
            std::this_thread::sleep_until(next);
            core.FrameTick();
        }
        cpu += ProcessCpuSeconds() - cpuStart;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["cpu_pct_of_core"] = 100.0 * cpu / wall;
}
BENCHMARK(BM_IdleEngineCpu)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
