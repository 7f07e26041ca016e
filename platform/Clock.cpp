#include "platform/Clock.h"

#include <chrono>

namespace platform {
namespace {

int64_t SteadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

SteadyClock& ProcessClock()
{
    static SteadyClock clock;
    return clock;
}

std::atomic<Clock*> g_current{nullptr};

} // namespace

SteadyClock::SteadyClock() : startNs_(SteadyNs()) {}

uint64_t SteadyClock::NowMs() const
{
    return static_cast<uint64_t>((SteadyNs() - startNs_) / 1'000'000);
}

Clock& CurrentClock()
{
    Clock* c = g_current.load(std::memory_order_acquire);
    return c ? *c : ProcessClock();
}

void SetCurrentClock(Clock* clock)
{
    g_current.store(clock, std::memory_order_release);
}

ScopedClock::ScopedClock(Clock& clock) : previous_(g_current.exchange(&clock, std::memory_order_acq_rel)) {}

ScopedClock::~ScopedClock()
{
    g_current.store(previous_, std::memory_order_release);
}

} // namespace platform
