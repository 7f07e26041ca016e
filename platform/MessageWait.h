#pragma once
// Waiting for events on a thread that must keep its messages flowing meanwhile (a blocking connect
// on a thread that owns windows): the thread's messages, timers included, are dispatched during
// the wait.
#include "platform/Event.h"

#include <cstdint>
#include <span>

namespace platform {

struct PumpWaitResult {
    enum Kind { kEvent, kTimeout, kQuit } kind;
    int index = -1; // the signalled event for kEvent
};

// Waits up to `timeoutMs` (in total) for any of `events`, dispatching the calling thread's
// messages as they come. A quit message ends the wait with kQuit and is posted again, so the
// enclosing message loop ends as well.
PumpWaitResult WaitPumping(std::span<Event* const> events, uint32_t timeoutMs);

} // namespace platform
