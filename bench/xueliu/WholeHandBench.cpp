// Whole hands in-process against the stand-in's table (--fast, three robots and the own chair
// played by the server), the client's clock advanced as fast as the work allows: the wall time
// and the client's processor time of a hand (from one result to the next, so each hand includes
// the going on, the deal and the dice), the first hand (with the start-up), and the client's
// resident set and heap after 1, 20 and 100 hands. The process holds only the client and this
// harness: the server runs apart, and the harness's own threads (the server driver, the fake
// hall) are left out of the client's processor time; its loop on the UI thread is not. One run
// per process (the client keeps process-wide state), so the benchmark runs once.
#include "tests/support/DummyAudio.h"
#include "tests/xueliu/TableRun.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>
#include <chrono>
#include <ctime>

namespace {

constexpr int kHands = 100;

// Processor time of another process, from /proc (clock ticks).
double ProcessCpuMs(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t end = text.rfind(')');
    if (end == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(end + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; fields >> field; ++i)
        if (i == 14 || i == 15)
            ticks += std::atof(field.c_str());
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

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
        // The client's processor time: the process's less the harness's own threads.
        auto clientCpuMs = [&run] { return CpuMs() - run.HarnessCpuMs(); };
        double serverFrom = 0, serverCpu = 0;
        double lastCpu = CpuMs(), firstMs = 0, firstCpuMs = 0, wallSum = 0, wallMax = 0, cpuSum = 0;
        tablerun::Memory after[3];
        run.Run([&](const tablerun::HandEnd& end) {
            const auto now = Steady::now();
            const double wall = std::chrono::duration<double, std::milli>(now - last).count();
            const double cpu = clientCpuMs() - lastCpu;
            last = now;
            lastCpu += cpu;
            if (end.hand == 1) {
                serverFrom = ProcessCpuMs(run.Server().Pid());
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
            if (end.hand == kHands) {
                after[2] = tablerun::MeasureMemory();
                serverCpu = ProcessCpuMs(run.Server().Pid()) - serverFrom;
            }
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
        state.counters["hand_server_cpu_ms"] = serverCpu / (hands - 1);
        state.counters["client_x_server_cpu"] = serverCpu > 0 ? cpuSum / serverCpu : 0;
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
