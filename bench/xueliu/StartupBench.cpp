// The built client between the game-server and hall stand-ins (tests/xueliu/scripts/whole_run.py):
// from the process start to its registration with the hall (connect, version check, feature
// configuration and web sign done), to the hall's start data taken, to its first table frame,
// and from the hall's going to the process's end. Beside them the client's own share of the way
// to the table frame (that time less the waits for the stand-ins' answers, from the client's
// trace) and the anchor of the same run: a bare window of the display library from its start to
// its first frame (bench/support/BareWindow.cpp), and the processor time the client used by its
// first line (loading its libraries) and by the table frame. Medians, with the smallest and
// largest; run under Xvfb for the display figures (the dummy driver otherwise).
#include "bench/support/CommandOutput.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void Report(benchmark::State& state, const std::string& name, std::vector<double> seconds)
{
    if (seconds.empty())
        return;
    std::sort(seconds.begin(), seconds.end());
    state.counters[name + "_ms"] = seconds[seconds.size() / 2] * 1000;
    state.counters[name + "_min_ms"] = seconds.front() * 1000;
    state.counters[name + "_max_ms"] = seconds.back() * 1000;
}

void BM_ClientUnderTheStandIns(benchmark::State& state)
{
    xltest::TempFolder folder("xl-startup-bench-XXXXXX");
    const std::string& dir = folder.Path();
    const char* keys[] = {"to_register", "to_start_data_taken", "to_table_frame",     "client_share", "waited",
                          "cpu_at_main", "cpu_to_table_frame",  "anchor_first_frame", "gone_to_end"};
    std::map<std::string, std::vector<double>> figures;
    int runs = 0;
    for (auto _ : state) {
        const std::string out = benchsupport::CommandOutput(
            xltest::Python("tests/xueliu/scripts/whole_run.py",
                           {std::string(XL_BINARY_DIR) + "/xueliu", dir + "/" + std::to_string(runs), "--display",
                            "--anchor", std::string(XL_BINARY_DIR) + "/bench/bare_window"}));
        for (const char* key : keys)
            if (const double v = benchsupport::JsonNumber(out, key); v >= 0)
                figures[key].push_back(v);
        state.SetIterationTime(std::max(0.0, benchsupport::JsonNumber(out, "to_table_frame")));
        ++runs;
    }
    for (const auto& [key, values] : figures)
        Report(state, key, values);
    if (!figures["client_share"].empty() && !figures["anchor_first_frame"].empty())
        state.counters["share_x_anchor"] =
            state.counters["client_share_ms"] / std::max(1e-9, double(state.counters["anchor_first_frame_ms"]));
}
BENCHMARK(BM_ClientUnderTheStandIns)->Iterations(15)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
