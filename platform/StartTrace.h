#pragma once
// The start-up's trace, read by the start-up benchmark: with XL_START_TRACE naming a file, each
// mark appends "mark <name> <seconds> <processor seconds of the process>" and each wait for
// another program's answer "wait <name> <asked> <answered>", in seconds of the monotonic clock.
// The first frame presented after the "table" mark is marked "table-frame", and the trace ends
// there. Off without the variable.
#include <atomic>

namespace platform {

namespace detail {
// Set before main when the variable names a file, cleared when the trace ends; every check is
// one load of it.
extern std::atomic<bool> startTraceOn;
} // namespace detail

inline bool StartTraceOn() { return detail::startTraceOn.load(std::memory_order_relaxed); }
void StartMark(const char* name);
// A wait on another program: from the question to its answer.
void StartWait(const char* name, double askedSeconds, double answeredSeconds);
// Called for every presented frame; marks only the first one after the table came up.
void StartTraceFrame();
double StartTraceNow();

// Traces the wait of a scope.
class StartWaitScope {
public:
    explicit StartWaitScope(const char* name) : name_(name), asked_(StartTraceOn() ? StartTraceNow() : 0) {}
    ~StartWaitScope()
    {
        if (StartTraceOn())
            StartWait(name_, asked_, StartTraceNow());
    }
    StartWaitScope(const StartWaitScope&) = delete;
    StartWaitScope& operator=(const StartWaitScope&) = delete;

private:
    const char* name_;
    double asked_;
};

} // namespace platform
