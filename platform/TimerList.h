#pragma once
// The timers of one thread's windows. A timer is a deadline, not a queued message: it is looked at
// only when nothing else waits, so it never stands in the queue twice, and after a stall it fires
// once and keeps its cadence instead of catching up.
#include "platform/Message.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

class TimerList {
public:
    // (Re)arms the timer `timerId` of `window`: first due `periodMs` after `nowMs`.
    void Set(WindowId window, uint32_t timerId, uint32_t periodMs, uint64_t nowMs);
    bool Kill(WindowId window, uint32_t timerId);
    void KillAll(WindowId window);

    // The earliest due timer (ties: the one fired longest ago) as a timer message. With `consume`
    // it is rearmed at its first deadline after `nowMs` on its own period grid.
    std::optional<Message> TakeDue(uint64_t nowMs, bool consume);

    std::optional<uint64_t> NextDeadline() const;
    bool Empty() const { return timers_.empty(); }

private:
    struct Timer {
        WindowId window;
        uint32_t id;
        uint32_t periodMs;
        uint64_t dueMs;
        uint64_t order; // arming order, breaks ties between equal deadlines
    };
    std::vector<Timer> timers_;
    uint64_t nextOrder_ = 0;
};

} // namespace platform
