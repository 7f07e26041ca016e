#include "platform/MessageThread.h"

#include "platform/MessageQueue.h"

namespace platform {

MessageThread::MessageThread(std::function<void()> body)
{
    thread_ = std::thread([this, body = std::move(body)] {
        id_ = CurrentThreadId();
        started_.Set();
        body();
        CloseCurrentQueue();
        finished_.Set();
    });
    started_.Wait();
}

MessageThread::~MessageThread()
{
    if (thread_.joinable())
        thread_.join();
}

bool MessageThread::Join(uint32_t timeoutMs)
{
    if (!finished_.Wait(timeoutMs))
        return false;
    if (thread_.joinable())
        thread_.join();
    return true;
}

} // namespace platform
