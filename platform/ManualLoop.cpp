#include "platform/ManualLoop.h"

#include "platform/MessageLoop.h"
#include "platform/MessageQueue.h"
#include "platform/Window.h"

namespace platform {

ManualLoop::ManualLoop(ManualClock& clock) : clock_(clock), installed_(clock) {}

ManualLoop::~ManualLoop() = default;

size_t ManualLoop::RunUntilIdle()
{
    size_t count = 0;
    Message m;
    while (!quitCode_ && PeekNextMessage(m)) {
        if (m.id == kMsgQuit) {
            quitCode_ = static_cast<int>(m.wparam);
            break;
        }
        Dispatch(m);
        ++count;
        if (afterEach_)
            afterEach_();
    }
    return count;
}

void ManualLoop::Advance(uint64_t ms)
{
    const uint64_t target = clock_.NowMs() + ms;
    MessageQueue& queue = CurrentQueue();
    RunUntilIdle();
    while (!quitCode_) {
        const auto next = queue.NextTimerDeadline();
        if (!next || *next > target)
            break;
        if (*next > clock_.NowMs())
            clock_.Set(*next);
        RunUntilIdle();
    }
    clock_.Set(target);
    RunUntilIdle();
}

} // namespace platform
