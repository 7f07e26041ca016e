#pragma once
// A thread whose id is known as soon as it is constructed, so the starter can post to it (posts
// fail until the thread has made its queue) and wait for it to end with a time-out.
#include "platform/Event.h"
#include "platform/Message.h"

#include <atomic>
#include <functional>
#include <thread>

namespace platform {

class MessageThread {
public:
    explicit MessageThread(std::function<void()> body);
    ~MessageThread(); // waits for the thread
    MessageThread(const MessageThread&) = delete;
    MessageThread& operator=(const MessageThread&) = delete;

    ThreadId Id() const { return id_; }

    // True when the thread has ended within the time-out; its queue is closed by then.
    bool Join(uint32_t timeoutMs = kInfinite);

private:
    std::atomic<ThreadId> id_{0};
    Event started_{Event::Mode::kManual};
    Event finished_{Event::Mode::kManual};
    std::thread thread_;
};

} // namespace platform
