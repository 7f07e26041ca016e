#include "platform/WakeSignal.h"

#include "platform/Clock.h"

#include <algorithm>
#include <chrono>

namespace platform {
namespace {

// Under a clock that tests move by hand, real sleeps are kept short so that time moved by another
// thread is noticed; under the steady clock a sleep lasts exactly until the deadline.
constexpr uint64_t kManualClockPollMs = 1;

bool IsSteady(const Clock& clock) { return dynamic_cast<const SteadyClock*>(&clock) != nullptr; }

} // namespace

uint64_t WakeSignal::Seq() const
{
    std::lock_guard lock(mutex_);
    return seq_;
}

void WakeSignal::Bump()
{
    ExternalWaiter* external;
    {
        std::lock_guard lock(mutex_);
        ++seq_;
        // Nobody asleep (the usual case of a thread posting to itself): the next wait sees the
        // new count before it sleeps, so no wake-up is needed, nor an event for the display.
        if (sleepers_ == 0)
            return;
        external = external_;
    }
    changed_.notify_all();
    if (external)
        external->Wake();
}

void WakeSignal::SetExternalWaiter(ExternalWaiter* waiter)
{
    std::lock_guard lock(mutex_);
    external_ = waiter;
}

bool WakeSignal::WaitChanged(uint64_t seen, std::optional<uint64_t> deadlineMs)
{
    std::unique_lock lock(mutex_);
    while (seq_ == seen) {
        std::optional<uint64_t> sleepMs;
        if (deadlineMs) {
            const Clock& clock = CurrentClock();
            const uint64_t now = clock.NowMs();
            if (now >= *deadlineMs)
                return false;
            sleepMs = IsSteady(clock) ? *deadlineMs - now : kManualClockPollMs;
        }
        ++sleepers_;
        if (ExternalWaiter* external = external_) {
            lock.unlock();
            std::optional<uint32_t> timeout;
            if (sleepMs)
                timeout = static_cast<uint32_t>(std::min<uint64_t>(*sleepMs, 0x7FFFFFFF));
            external->Wait(timeout);
            lock.lock();
        } else if (sleepMs) {
            changed_.wait_for(lock, std::chrono::milliseconds(*sleepMs));
        } else {
            changed_.wait(lock);
        }
        --sleepers_;
    }
    return true;
}

bool WakeSignal::WaitChangedFor(uint64_t seen, std::chrono::microseconds timeout)
{
    std::unique_lock lock(mutex_);
    if (seq_ != seen)
        return true;
    ++sleepers_;
    if (ExternalWaiter* external = external_) {
        lock.unlock();
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(timeout).count();
        external->Wait(static_cast<uint32_t>(std::clamp<int64_t>(ms, 0, 0x7FFFFFFF)));
        lock.lock();
    } else {
        changed_.wait_for(lock, timeout, [&] { return seq_ != seen; });
    }
    --sleepers_;
    return seq_ != seen;
}

} // namespace platform
