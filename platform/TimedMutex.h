#pragma once
// Locks of the program: a critical section is a recursive mutex, and the notification lock is a
// recursive mutex whose acquisition can give up after a time-out.
#include "platform/Message.h"

#include <chrono>
#include <cstdint>
#include <mutex>

namespace platform {

using CriticalSection = std::recursive_mutex;

class TimedMutex {
public:
    // True when the calling thread holds the lock (once more) within `timeoutMs` (kInfinite: wait).
    bool Lock(uint32_t timeoutMs = kInfinite)
    {
        if (timeoutMs == kInfinite) {
            mutex_.lock();
            return true;
        }
        return mutex_.try_lock_for(std::chrono::milliseconds(timeoutMs));
    }
    void Unlock() { mutex_.unlock(); }

    // For std::lock_guard / std::unique_lock.
    void lock() { mutex_.lock(); }
    bool try_lock() { return mutex_.try_lock(); }
    void unlock() { mutex_.unlock(); }

private:
    std::recursive_timed_mutex mutex_;
};

} // namespace platform
