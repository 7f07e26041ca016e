#pragma once
// The one point a thread sleeps on: a counter that every post, sent call or signalled event bumps,
// so "something changed since I looked" is never lost between a check and a wait.
//
// Only the thread that owns the signal waits on it (its queue's owner, or the thread of a
// WaitAny); any thread bumps. The counter is the sleeper's futex word and a bump takes no lock:
// it wakes the owner only when the owner said it sleeps, and only the first bump after that pays
// for the wake, so a burst of posts to a thread that is already awake costs no system call.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

namespace platform {

// Lets a thread that must also watch another source of events (a window system's event queue)
// sleep there instead of on a condition variable. Wake may be called from any thread and must make
// a Wait that is in progress, or the next one, return.
class ExternalWaiter {
public:
    virtual ~ExternalWaiter() = default;
    // Sleeps until Wake or until `timeoutMs` elapsed (nullopt: no limit). May return early.
    virtual void Wait(std::optional<uint32_t> timeoutMs) = 0;
    virtual void Wake() = 0;
    // Hands over what the other source holds already, without sleeping; true when it held any.
    virtual bool Pump() { return false; }
};

class WakeSignal {
public:
    uint64_t Seq() const;
    void Bump();

    // Sleeps while the counter still equals `seen`, at most until `deadlineMs` of the current
    // clock. True when the counter moved, false when the deadline passed first.
    bool WaitChanged(uint64_t seen, std::optional<uint64_t> deadlineMs);
    // The same for at most `timeout` of real time, whatever clock is installed: for a loop that
    // moves a manual clock with real time and must sleep until its next step or a post.
    bool WaitChangedFor(uint64_t seen, std::chrono::microseconds timeout);

    // Installed by the owner thread only; nullptr returns to the futex.
    void SetExternalWaiter(ExternalWaiter* waiter);
    // The owner thread only: the external waiter's Pump; false without one.
    bool PumpExternal();

private:
    enum Sleep : uint32_t { kAwake, kOnFutex, kOnExternal };

    // Sleeps once until a bump or the time-out (nullopt: no limit); may return early.
    void SleepOnce(uint32_t seen, std::optional<std::chrono::microseconds> timeout);

    // 32 bits: the futex word. Seq hands it out widened; it wraps only after 2^32 bumps, far
    // more than can come between one look and the next wait.
    std::atomic<uint32_t> seq_{0};
    std::atomic<uint32_t> sleep_{kAwake}; // how the owner sleeps; the first bump takes it back
    std::atomic<ExternalWaiter*> external_{nullptr};
};

} // namespace platform
