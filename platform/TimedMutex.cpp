#include "platform/TimedMutex.h"

#include <cassert>
#include <chrono>

namespace platform {

bool TimedMutex::Lock(uint32_t timeoutMs)
{
    const auto self = std::this_thread::get_id();
    std::unique_lock lock(mutex_);
    if (depth_ > 0 && owner_ == self) {
        ++depth_;
        return true;
    }
    const auto free = [this] { return depth_ == 0; };
    if (timeoutMs == kInfinite)
        released_.wait(lock, free);
    else if (!released_.wait_for(lock, std::chrono::milliseconds(timeoutMs), free))
        return false;
    owner_ = self;
    depth_ = 1;
    return true;
}

void TimedMutex::Unlock()
{
    {
        std::lock_guard lock(mutex_);
        assert(depth_ > 0 && owner_ == std::this_thread::get_id());
        if (depth_ == 0 || --depth_ > 0)
            return;
        owner_ = {};
    }
    released_.notify_one();
}

} // namespace platform
