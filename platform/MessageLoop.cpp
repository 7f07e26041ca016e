#include "platform/MessageLoop.h"

#include "platform/MessageQueue.h"
#include "platform/Window.h"

namespace platform {

bool GetNextMessage(Message& message)
{
    MessageQueue& queue = CurrentQueue();
    for (;;) {
        const uint64_t seen = queue.Signal()->Seq();
        if (auto m = queue.Take(true)) {
            message = *m;
            return message.id != kMsgQuit;
        }
        queue.Signal()->WaitChanged(seen, queue.NextTimerDeadline());
    }
}

bool PeekNextMessage(Message& message, bool remove)
{
    auto m = CurrentQueue().Take(remove);
    if (!m)
        return false;
    message = *m;
    return true;
}

void PostQuit(int exitCode) { CurrentQueue().PostQuit(exitCode); }

int RunMessageLoop()
{
    Message m;
    while (GetNextMessage(m))
        Dispatch(m);
    return static_cast<int>(m.wparam);
}

} // namespace platform
