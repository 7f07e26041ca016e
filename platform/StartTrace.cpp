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

} // namespace

bool StartTraceOn() { return !State().path.empty() && !State().done.load(std::memory_order_relaxed); }

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
    TraceState& s = State();
    if (!StartTraceOn() || !s.tableUp.load() || s.done.exchange(true))
        return;
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    Append("mark", "table-frame", StartTraceNow(), double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9, true);
}

} // namespace platform
