#pragma once
// The one point a thread sleeps on: a counter that every post, sent call or signalled event bumps,
// so "something changed since I looked" is never lost between a check and a wait.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
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

    // Installed by the owner thread only; nullptr returns to the condition variable.
    void SetExternalWaiter(ExternalWaiter* waiter);

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t seq_ = 0;
    int sleepers_ = 0;  // threads between their last look at seq_ and waking up
    ExternalWaiter* external_ = nullptr;
};

} // namespace platform
