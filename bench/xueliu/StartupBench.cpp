// The built client between the game-server and hall stand-ins (tests/xueliu/scripts/whole_run.py):
// from the process start to its registration with the hall (connect, version check, feature
// configuration and web sign done), to the hall's start data taken, and from the hall's going to
// the process's end. Seconds as the hall's record time-stamps them.
#include "bench/support/CommandOutput.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void BM_ClientUnderTheStandIns(benchmark::State& state)
{
    char tmpl[] = "/tmp/xl-startup-bench-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    double registered = 0, taken = 0, gone = 0;
    int runs = 0;
    for (auto _ : state) {
        const std::string command = std::string("/usr/bin/python3 ") + XL_SOURCE_DIR +
                                    "/tests/xueliu/scripts/whole_run.py " + XL_BINARY_DIR + "/xueliu " + dir + "/" +
                                    std::to_string(runs);
        const std::string out = benchsupport::CommandOutput(command);
        registered += benchsupport::JsonNumber(out, "to_register");
        taken += benchsupport::JsonNumber(out, "to_start_data_taken");
        gone += benchsupport::JsonNumber(out, "gone_to_end");
        state.SetIterationTime(benchsupport::JsonNumber(out, "to_register"));
        ++runs;
    }
    state.counters["start_to_register_ms"] = registered / runs * 1000;
    state.counters["start_to_start_data_ms"] = taken / runs * 1000;
    state.counters["hall_gone_to_end_ms"] = gone / runs * 1000;
    std::system(("rm -rf " + dir).c_str());
}
BENCHMARK(BM_ClientUnderTheStandIns)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
