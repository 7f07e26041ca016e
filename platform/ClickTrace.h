#pragma once
// The input path's trace, read by the click benchmark: with XL_CLICK_TRACE naming a file, the
// client notes when it took each button event from the display, each socket send, and each span
// of work on its threads (a dispatched message, a paint, a wait for input), so that a click that
// waited can be told what it waited for. Lines, in seconds of the monotonic clock:
//   "down <taken> <ms in the display library's queue> <thread>" and "up ..."
//   "send <called> <bytes> <thread>"
//   "span <name> <id> <start> <end> <thread cpu ms> <thread>"
// where thread is 1 for the process's first thread, else the kernel's id of the thread.
// Kept in memory and written after each send and at exit. Off without the variable.
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace platform {

namespace detail {
// Set once before main when the variable names a file; every check is one load of it.
extern std::atomic<bool> clickTraceOn;
} // namespace detail

inline bool ClickTraceOn() { return detail::clickTraceOn.load(std::memory_order_relaxed); }
double ClickTraceNow();
void ClickTraceButton(bool down, uint32_t msQueued);
// A send() that was called at `asked` (ClickTraceNow()).
void ClickTraceSend(double asked, size_t bytes);

// Notes the scope as a span when the trace is on.
class ClickTraceSpan {
public:
    ClickTraceSpan(const char* name, uint32_t id);
    ~ClickTraceSpan();
    ClickTraceSpan(const ClickTraceSpan&) = delete;
    ClickTraceSpan& operator=(const ClickTraceSpan&) = delete;

private:
    const char* name_;
    uint32_t id_;
    double start_ = 0;
    double cpu_ = 0;
};

} // namespace platform
