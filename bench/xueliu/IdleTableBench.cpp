// The built client at the table with nothing moving (bench/xueliu/idle_table.py: both stand-ins,
// no hand played), beside the anchor taken in the same run: a bare program of the display
// library with a window of the table's size that wakes every 5 ms and does nothing else. The
// share of one core and the context switches a second of each; run under Xvfb for the figures
// with a display (XL_IDLE_SECONDS, 5 by default, is the length of each).
#include "bench/support/CommandOutput.h"
#include "bench/support/IdleAnchor.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void BM_IdleTable(benchmark::State& state)
{
    const char* env = std::getenv("XL_IDLE_SECONDS");
    const double seconds = env ? std::atof(env) : 5.0;
    xltest::TempFolder folder("xl-idle-table-XXXXXX");
    const std::string& dir = folder.Path();
    benchsupport::IdleCost bare;
    double cpu = 0, switches = 0;
    for (auto _ : state) {
        bare = benchsupport::BareWakeEvery5Ms(seconds, true, 1280, 800);
        const std::string out = benchsupport::CommandOutput(xltest::Python(
            "bench/xueliu/idle_table.py", {std::string(XL_BINARY_DIR) + "/xueliu", dir, std::to_string(seconds)}));
        cpu = benchsupport::JsonNumber(out, "cpu_pct_of_core");
        switches = benchsupport::JsonNumber(out, "switches_per_s");
        if (cpu < 0) {
            state.SkipWithError(("the run failed: " + out).c_str());
            break;
        }
    }
    state.counters["cpu_pct_of_core"] = cpu;
    state.counters["switches_per_s"] = switches;
    state.counters["bare_5ms_cpu_pct"] = bare.cpuPercent;
    state.counters["bare_switches_per_s"] = bare.switchesPerSecond;
    state.counters["x_bare"] = bare.cpuPercent > 0 ? cpu / bare.cpuPercent : 0;
}
BENCHMARK(BM_IdleTable)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
