// Cost of the engine's frame tick: per tick with five idle modules, the CPU an idle engine
// burns when driven every 5 ms, and the module message path.
#include "engine/GameCore.h"
#include "platform/Clock.h"
#include "platform/MessageLoop.h"
#include "platform/Window.h"

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
    platform::ScopedClock installed(clock);
    {
        GameCore core;
        LoadEngineShape(core);
        for (auto _ : state) {
            clock.Advance(5);
            core.FrameTick();
        }
    }
}
BENCHMARK(BM_FrameTickFiveIdleModules)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_PostDeliverDrain(benchmark::State& state)
{
    platform::ManualClock clock;
    platform::ScopedClock installed(clock);
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
}
BENCHMARK(BM_PostDeliverDrain)->Arg(16)->Arg(1024);

double ProcessCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double IdleSeconds()
{
    const char* env = std::getenv("XL_IDLE_SECONDS");
    return env ? std::atof(env) : 2.0;
}

// Ticks an idle engine every 5 ms on the real clock for a while (two seconds by default;
// XL_IDLE_SECONDS=10 gives the full measurement) and reports the process CPU as a share of one
// core. `drive` runs the ticks until the given end.
template <typename Driver>
void MeasureIdle(benchmark::State& state, Driver drive)
{
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        GameCore core;
        LoadEngineShape(core);
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        drive(core, start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                std::chrono::duration<double>(IdleSeconds())));
        cpu += ProcessCpuSeconds() - cpuStart;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["cpu_pct_of_core"] = 100.0 * cpu / wall;
}

// A driver that sleeps until each next 5 ms step.
void BM_IdleEngineCpu(benchmark::State& state)
{
    MeasureIdle(state, [](GameCore& core, std::chrono::steady_clock::time_point end) {
        for (auto next = std::chrono::steady_clock::now(); next < end;) {
            next += std::chrono::milliseconds(5);
            std::this_thread::sleep_until(next);
            core.FrameTick();
        }
    });
}
BENCHMARK(BM_IdleEngineCpu)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Driven as the host window does: a 5 ms platform window timer in a message loop.
void BM_IdleEngineCpuWindowTimer(benchmark::State& state)
{
    MeasureIdle(state, [](GameCore& core, std::chrono::steady_clock::time_point end) {
        const platform::WindowId window =
            platform::MakeWindow([&](platform::WindowId, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
                if (message == platform::kMsgTimer) {
                    core.FrameTick();
                    if (std::chrono::steady_clock::now() >= end)
                        platform::PostQuit();
                }
                return 0;
            });
        platform::StartTimer(window, 1, 5);
        platform::RunMessageLoop();
        platform::DestroyWindow(window);
    });
}
BENCHMARK(BM_IdleEngineCpuWindowTimer)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

