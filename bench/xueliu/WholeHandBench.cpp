// Whole hands in-process against the stand-in's table (--fast, three robots and the own chair
// played by the server), the client's clock advanced as fast as the work allows: the wall time
// and the client's processor time of a hand (from one result to the next, so each hand includes
// the going on, the deal and the dice), the first hand (with the start-up), and the client's
// resident set and heap after 1, 20 and 100 hands. The process holds only the client and this
// harness: the server runs apart. One run per process (the client keeps process-wide state), so
// the benchmark runs once.
#include "tests/support/DummyAudio.h"
#include "tests/xueliu/TableRun.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>

namespace {

constexpr int kHands = 100;

double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

void BM_WholeHandsInProcess(benchmark::State& state)
{
    using Steady = std::chrono::steady_clock;
    for (auto _ : state) {
        tablerun::Options options;
        options.hands = kHands;
        options.seed = 11;
        tablerun::TableRun run(options);
        const auto start = Steady::now();
        auto last = start;
        double lastCpu = CpuMs(), firstMs = 0, firstCpuMs = 0, wallSum = 0, wallMax = 0, cpuSum = 0;
        tablerun::Memory after[3];
        run.Run([&](const tablerun::HandEnd& end) {
            const auto now = Steady::now();
            const double wall = std::chrono::duration<double, std::milli>(now - last).count();
            const double cpu = CpuMs() - lastCpu;
            last = now;
            lastCpu += cpu;
            if (end.hand == 1) {
                firstMs = wall;
                firstCpuMs = cpu;
                after[0] = tablerun::MeasureMemory();
                return;
            }
            wallSum += wall;
            wallMax = std::max(wallMax, wall);
            cpuSum += cpu;
            if (end.hand == 20)
                after[1] = tablerun::MeasureMemory();
            if (end.hand == kHands)
                after[2] = tablerun::MeasureMemory();
        });
        const int hands = run.HandsChecked();
        if (hands < kHands) {
            state.SkipWithError(("the run stopped: " + run.Failure()).c_str());
            return;
        }
        const double perHand = wallSum / (hands - 1);
        state.SetIterationTime(perHand / 1000.0);
        state.counters["hand_wall_ms"] = perHand;
        state.counters["hand_wall_max_ms"] = wallMax;
        state.counters["hand_client_cpu_ms"] = cpuSum / (hands - 1);
        state.counters["first_hand_with_startup_ms"] = firstMs;
        state.counters["first_hand_client_cpu_ms"] = firstCpuMs;
        const char* names[3] = {"1", "20", "100"};
        for (int i = 0; i < 3; ++i) {
            state.counters[std::string("rss_kib_after_") + names[i]] = double(after[i].residentBytes >> 10);
            state.counters[std::string("heap_kib_after_") + names[i]] = double(after[i].heapBytes >> 10);
        }
    }
}
BENCHMARK(BM_WholeHandsInProcess)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
