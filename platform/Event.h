#pragma once
// A signalled/unsignalled flag threads wait on. A manual-reset event stays signalled and releases
// every waiter until Reset; an auto-reset event releases exactly one waiter and resets itself.
#include "platform/Message.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace platform {

class WakeSignal;

class Event {
public:
    enum class Mode { kManual, kAuto };
    explicit Event(Mode mode, bool initiallySet = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;

    // True when it was (or became) signalled within the time-out (kInfinite: no limit).
    bool Wait(uint32_t timeoutMs = kInfinite);

    // Takes the signal if it is there now: an auto-reset event resets.
    bool TryTake();

    // Waiters register here to be told of Set. Set bumps them after letting go of its lock, so
    // the woken waiter does not block on it; the shared ownership keeps a signal alive while a
    // Set that saw it registered still bumps it after its waiter has left.
    void AddWatcher(const std::shared_ptr<WakeSignal>& signal);
    void RemoveWatcher(const WakeSignal* signal);

private:
    const bool manual_;
    mutable std::mutex mutex_;
    bool set_;
    std::vector<std::shared_ptr<WakeSignal>> watchers_;
};

inline constexpr int kWaitTimeout = -1;

// Index of the first signalled event (taking an auto-reset one's signal), or kWaitTimeout.
int WaitAny(std::span<Event* const> events, uint32_t timeoutMs);

// Keeps an event list's watchers registered for a scope.
class EventWatch {
public:
    EventWatch(std::span<Event* const> events, const std::shared_ptr<WakeSignal>& signal);
    ~EventWatch();
    EventWatch(const EventWatch&) = delete;
    EventWatch& operator=(const EventWatch&) = delete;
    // Index of the first event whose signal could be taken, else -1.
    int TakeFirst() const;

private:
    std::span<Event* const> events_;
    const std::shared_ptr<WakeSignal>& signal_;
};

// The deadline, in the current clock, of a time-out starting now; nullopt for kInfinite.
std::optional<uint64_t> DeadlineAfter(uint32_t timeoutMs);

} // namespace platform
