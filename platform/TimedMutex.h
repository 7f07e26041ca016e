#pragma once
// Locks of the program: a critical section is a recursive mutex, and the notification lock is a
// recursive mutex whose acquisition can give up after a time-out.
#include "platform/Message.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace platform {

using CriticalSection = std::recursive_mutex;

class TimedMutex {
public:
    // True when the calling thread holds the lock (once more) within `timeoutMs` of real time
    // (kInfinite: waits as long as it takes).
    bool Lock(uint32_t timeoutMs = kInfinite);
    // Releases one level; only the holder may call it.
    void Unlock();

    // For std::lock_guard / std::unique_lock.
    void lock() { Lock(); }
    bool try_lock() { return Lock(0); }
    void unlock() { Unlock(); }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    std::thread::id owner_;
    uint32_t depth_ = 0;
};

} // namespace platform
