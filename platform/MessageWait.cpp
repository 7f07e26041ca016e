#include "platform/MessageWait.h"

#include "platform/Clock.h"
#include "platform/MessageLoop.h"
#include "platform/MessageQueue.h"
#include "platform/Window.h"

#include <algorithm>

namespace platform {

PumpWaitResult WaitPumping(std::span<Event* const> events, uint32_t timeoutMs)
{
    const auto deadline = DeadlineAfter(timeoutMs);
    MessageQueue& queue = CurrentQueue();
    WakeSignal& signal = *queue.Signal();
    EventWatch watch(events, queue.Signal());
    for (;;) {
        const uint64_t seen = signal.Seq();
        if (int i = watch.TakeFirst(); i >= 0)
            return {PumpWaitResult::kEvent, i};
        bool pumped = false;
        Message m;
        while (PeekNextMessage(m)) {
            if (m.id == kMsgQuit) {
                PostQuit(static_cast<int>(m.wparam));
                return {PumpWaitResult::kQuit};
            }
            Dispatch(m);
            pumped = true;
        }
        if (pumped)
            continue; // a handler may have set an event
        if (deadline && CurrentClock().NowMs() >= *deadline)
            return {PumpWaitResult::kTimeout};
        auto wake = queue.NextTimerDeadline();
        if (deadline)
            wake = wake ? std::min(*wake, *deadline) : *deadline;
        signal.WaitChanged(seen, wake);
    }
}

} // namespace platform
