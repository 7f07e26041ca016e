#include "platform/WakeSignal.h"

#include "platform/Clock.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {
namespace {

// Under a clock that tests move by hand, real sleeps are kept short so that time moved by another
// thread is noticed; under the steady clock a sleep lasts exactly until the deadline.
constexpr uint64_t kManualClockPollMs = 1;

bool IsSteady(const Clock& clock) { return dynamic_cast<const SteadyClock*>(&clock) != nullptr; }

// Sleeps while *word still holds `expected`, at most `timeout` (null: no limit). Returns on a
// wake, a change seen before sleeping, the time-out or a signal alike: the caller looks again.
static_assert(std::atomic<uint32_t>::is_always_lock_free && sizeof(std::atomic<uint32_t>) == sizeof(uint32_t),
              "the counter must be a plain 32-bit word for the futex");

void FutexWait(std::atomic<uint32_t>& word, uint32_t expected, const timespec* timeout)
{
    ::syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAIT_PRIVATE, expected, timeout, nullptr, 0);
}

void FutexWakeAll(std::atomic<uint32_t>& word)
{
    ::syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

timespec ToTimespec(std::chrono::microseconds t)
{
    const auto us = std::max<int64_t>(t.count(), 0);
    return {static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000};
}

} // namespace

uint64_t WakeSignal::Seq() const
{
    return seq_.load(std::memory_order_seq_cst);
}

void WakeSignal::Bump()
{
    seq_.fetch_add(1, std::memory_order_seq_cst);
    // The owner announces its sleep before it looks at the counter a last time, and a bump
    // counts before it looks at the announcement: one of the two always sees the other. Nobody
    // asleep (the usual case of a thread posting to itself, or to a busy thread): no wake-up is
    // needed, nor an event for the display.
    switch (sleep_.exchange(kAwake, std::memory_order_seq_cst)) {
    case kAwake:
        return;
    case kOnFutex:
        FutexWakeAll(seq_);
        return;
    case kOnExternal:
        if (ExternalWaiter* external = external_.load(std::memory_order_acquire))
            external->Wake();
        return;
    }
}

void WakeSignal::SetExternalWaiter(ExternalWaiter* waiter)
{
    external_.store(waiter, std::memory_order_release);
}

bool WakeSignal::PumpExternal()
{
    ExternalWaiter* external = external_.load(std::memory_order_acquire);
    return external && external->Pump();
}

void WakeSignal::SleepOnce(uint32_t seen, std::optional<std::chrono::microseconds> timeout)
{
    ExternalWaiter* external = external_.load(std::memory_order_acquire);
    sleep_.store(external ? kOnExternal : kOnFutex, std::memory_order_seq_cst);
    if (seq_.load(std::memory_order_seq_cst) == seen) {
        if (external) {
            std::optional<uint32_t> ms;
            if (timeout)
                ms = static_cast<uint32_t>(
                    std::clamp<int64_t>(std::chrono::ceil<std::chrono::milliseconds>(*timeout).count(), 0, 0x7FFFFFFF));
            external->Wait(ms);
        } else if (timeout) {
            const timespec t = ToTimespec(*timeout);
            FutexWait(seq_, seen, &t);
        } else {
            FutexWait(seq_, seen, nullptr);
        }
    }
    // Only the owner sleeps here, so nobody else can have announced a sleep meanwhile.
    sleep_.store(kAwake, std::memory_order_relaxed);
}

bool WakeSignal::WaitChanged(uint64_t seen, std::optional<uint64_t> deadlineMs)
{
    const auto seen32 = static_cast<uint32_t>(seen);
    while (seq_.load(std::memory_order_seq_cst) == seen32) {
        std::optional<std::chrono::microseconds> sleep;
        if (deadlineMs) {
            const Clock& clock = CurrentClock();
            const uint64_t now = clock.NowMs();
            if (now >= *deadlineMs)
                return false;
            sleep = std::chrono::milliseconds(IsSteady(clock) ? *deadlineMs - now : kManualClockPollMs);
        }
        SleepOnce(seen32, sleep);
    }
    return true;
}

bool WakeSignal::WaitChangedFor(uint64_t seen, std::chrono::microseconds timeout)
{
    using Steady = std::chrono::steady_clock;
    const auto seen32 = static_cast<uint32_t>(seen);
    const auto deadline = Steady::now() + timeout;
    for (;;) {
        if (seq_.load(std::memory_order_seq_cst) != seen32)
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Steady::now());
        if (left.count() <= 0)
            return false;
        const bool external = external_.load(std::memory_order_acquire) != nullptr;
        SleepOnce(seen32, left);
        if (external) // the display's wait may end for its own input: the caller looks
            return seq_.load(std::memory_order_seq_cst) != seen32;
    }
}

} // namespace platform
