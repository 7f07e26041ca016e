// The built client between the game-server and hall stand-ins (tests/xueliu/scripts/whole_run.py):
// from the process start to its registration with the hall (connect, version check, feature
// configuration and web sign done), to the hall's start data taken, and from the hall's going to
// the process's end. Seconds as the hall's record time-stamps them.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

double Field(const std::string& json, const std::string& key)
{
    auto at = json.find("\"" + key + "\": ");
    return at == std::string::npos ? -1 : std::atof(json.c_str() + at + key.size() + 4);
}

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
        FILE* run = ::popen(command.c_str(), "r");
        std::string out;
        char buffer[4096];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, run))
            out.append(buffer, n);
        ::pclose(run);
        registered += Field(out, "to_register");
        taken += Field(out, "to_start_data_taken");
        gone += Field(out, "gone_to_end");
        state.SetIterationTime(Field(out, "to_register"));
        ++runs;
    }
    state.counters["start_to_register_ms"] = registered / runs * 1000;
    state.counters["start_to_start_data_ms"] = taken / runs * 1000;
    state.counters["hall_gone_to_end_ms"] = gone / runs * 1000;
    std::system(("rm -rf " + dir).c_str());
}
BENCHMARK(BM_ClientUnderTheStandIns)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
