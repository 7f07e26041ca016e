#pragma once
// A thread with a message queue that plays the owner of a socket client: it takes every
// WM_SOCKET_NOTIFY, keeps a copy of what came and frees the records as an owner must.
#include "platform/Message.h"
#include "platform/MessageThread.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace nettest {

struct Delivered {
    uint32_t id;               // notification id, or 1 / 2 for the connection notices
    std::vector<uint8_t> data;
    int32_t tag;
};

class OwnerThread {
public:
    OwnerThread();
    ~OwnerThread();
    platform::ThreadId Id() const { return thread_->Id(); }

    // Waits until the predicate holds for what has come so far.
    bool WaitUntil(const std::function<bool(const std::vector<Delivered>&)>& done, int timeoutMs = 5000);
    bool WaitCount(size_t n, int timeoutMs = 5000);
    std::vector<Delivered> Taken();
    // Connection notices (ids 1 and 2) among what has come.
    size_t Notices();

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<Delivered> got_;
    std::unique_ptr<platform::MessageThread> thread_;
};

} // namespace nettest
