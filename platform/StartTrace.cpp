#include "platform/StartTrace.h"

#include "platform/FileAppend.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace platform {
namespace {

struct TraceState {
    TraceState()
    {
        if (const char* p = std::getenv("XL_START_TRACE"))
            path = p;
    }
    std::string path;
    std::atomic<bool> tableUp{false};
    std::atomic<bool> done{false};
};

TraceState& State()
{
    static TraceState state;
    return state;
}

void Append(const char* kind, const char* name, double a, double b, bool two)
{
    char line[160];
    if (two)
        std::snprintf(line, sizeof line, "%s %s %.6f %.6f\n", kind, name, a, b);
    else
        std::snprintf(line, sizeof line, "%s %s %.6f\n", kind, name, a);
    AppendToFile(State().path, line);
}

[[maybe_unused]] const bool g_traceRead = [] {
    detail::startTraceOn.store(!State().path.empty(), std::memory_order_relaxed);
    return true;
}();

} // namespace

namespace detail {
std::atomic<bool> startTraceOn{false};
} // namespace detail

double StartTraceNow()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

void StartMark(const char* name)
{
    if (!StartTraceOn())
        return;
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    Append("mark", name, StartTraceNow(), double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9, true);
    if (std::string(name) == "table")
        State().tableUp = true;
}

void StartWait(const char* name, double askedSeconds, double answeredSeconds)
{
    if (StartTraceOn())
        Append("wait", name, askedSeconds, answeredSeconds, true);
}

void StartTraceFrame()
{
    if (!StartTraceOn())
        return;
    TraceState& s = State();
    if (!s.tableUp.load() || s.done.exchange(true))
        return;
    detail::startTraceOn.store(false, std::memory_order_relaxed);
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    Append("mark", "table-frame", StartTraceNow(), double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9, true);
}

} // namespace platform
