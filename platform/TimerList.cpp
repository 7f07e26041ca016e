#include "platform/TimerList.h"

#include <algorithm>

namespace platform {

void TimerList::Set(WindowId window, uint32_t timerId, uint32_t periodMs, uint64_t nowMs)
{
    periodMs = std::max<uint32_t>(periodMs, 1);
    Timer timer{window, timerId, periodMs, nowMs + periodMs, nextOrder_++};
    for (Timer& t : timers_) {
        if (t.window == window && t.id == timerId) {
            t = timer;
            return;
        }
    }
    timers_.push_back(timer);
}

bool TimerList::Kill(WindowId window, uint32_t timerId)
{
    const auto n = std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == timerId; });
    return n != 0;
}

void TimerList::KillAll(WindowId window)
{
    std::erase_if(timers_, [&](const Timer& t) { return t.window == window; });
}

std::optional<Message> TimerList::TakeDue(uint64_t nowMs, bool consume)
{
    Timer* due = nullptr;
    for (Timer& t : timers_) {
        if (t.dueMs > nowMs)
            continue;
        if (!due || t.dueMs < due->dueMs || (t.dueMs == due->dueMs && t.order < due->order))
            due = &t;
    }
    if (!due)
        return std::nullopt;
    Message m{due->window, kMsgTimer, due->id, 0};
    if (consume) {
        // The next deadline on the timer's own grid after now: late firings are not repeated.
        const uint64_t missed = (nowMs - due->dueMs) / due->periodMs;
        due->dueMs += (missed + 1) * due->periodMs;
        due->order = nextOrder_++;
    }
    return m;
}

std::optional<uint64_t> TimerList::NextDeadline() const
{
    std::optional<uint64_t> next;
    for (const Timer& t : timers_)
        if (!next || t.dueMs < *next)
            next = t.dueMs;
    return next;
}

} // namespace platform
