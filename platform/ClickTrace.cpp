#include "platform/ClickTrace.h"

#include "platform/FileAppend.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {
namespace {

double Seconds(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Trace {
    Trace()
    {
        if (const char* p = std::getenv("XL_CLICK_TRACE"); p && *p)
            path = p;
    }

    void Add(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        char line[192];
        va_list args;
        va_start(args, format);
        const int n = std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        std::lock_guard lock(mutex);
        text.append(line, size_t(std::min<int>(std::max(n, 0), int(sizeof line) - 1)));
    }

    void Flush()
    {
        std::string out;
        {
            std::lock_guard lock(mutex);
            out.swap(text);
        }
        if (!out.empty())
            file.Append(path, out);
    }

    std::string path;
    std::mutex mutex;
    std::string text;
    AppendFile file;
};

// Never destroyed, so that a send during the program's end still finds it; written at exit.
Trace& State()
{
    static Trace* trace = [] {
        auto* t = new Trace;
        if (!t->path.empty())
            std::atexit([] { State().Flush(); });
        return t;
    }();
    return *trace;
}

// 1 for the process's first thread (the windows' thread), else the kernel's thread id.
long ThreadTag()
{
    static thread_local const long tag = [] {
        const long tid = syscall(SYS_gettid);
        return tid == getpid() ? 1 : tid;
    }();
    return tag;
}

// Read before main, so that the checks need not ask for the state.
[[maybe_unused]] const bool g_traceRead = [] {
    detail::clickTraceOn.store(!State().path.empty(), std::memory_order_relaxed);
    return true;
}();

} // namespace

namespace detail {
std::atomic<bool> clickTraceOn{false};
} // namespace detail

double ClickTraceNow() { return Seconds(CLOCK_MONOTONIC); }

void ClickTraceButton(bool down, uint32_t msQueued)
{
    if (ClickTraceOn())
        State().Add("%s %.6f %u %ld\n", down ? "down" : "up", ClickTraceNow(), msQueued, ThreadTag());
}

void ClickTraceSend(double asked, size_t bytes)
{
    if (!ClickTraceOn())
        return;
    State().Add("send %.6f %zu %ld\n", asked, bytes, ThreadTag());
    State().Flush();
}

ClickTraceSpan::ClickTraceSpan(const char* name, uint32_t id) : name_(name), id_(id)
{
    if (!ClickTraceOn())
        return;
    start_ = ClickTraceNow();
    cpu_ = Seconds(CLOCK_THREAD_CPUTIME_ID);
}

ClickTraceSpan::~ClickTraceSpan()
{
    if (!ClickTraceOn())
        return;
    const double cpu = (Seconds(CLOCK_THREAD_CPUTIME_ID) - cpu_) * 1000;
    State().Add("span %s %u %.6f %.6f %.3f %ld\n", name_, id_, start_, ClickTraceNow(), cpu, ThreadTag());
}

} // namespace platform
