#include "platform/Event.h"
#include "platform/MessageThread.h"
#include "platform/TimedMutex.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

using namespace platform;

TEST(TimedMutex, IsRecursiveAndOtherThreadsTimeOutUntilFullyReleased)
{
    TimedMutex lock;
    ASSERT_TRUE(lock.Lock());
    ASSERT_TRUE(lock.Lock(0)); // the owner enters again at once
    auto tryFromOtherThread = [&](uint32_t timeoutMs) {
        std::atomic<bool> got{false};
        MessageThread([&] {
            got = lock.Lock(timeoutMs);
            if (got)
                lock.Unlock();
        }).Join();
        return got.load();
    };
    EXPECT_FALSE(tryFromOtherThread(0));
    EXPECT_FALSE(tryFromOtherThread(10));
    lock.Unlock();
    EXPECT_FALSE(tryFromOtherThread(0)) << "still held once";
    lock.Unlock();
    EXPECT_TRUE(tryFromOtherThread(0));
}

TEST(TimedMutex, AWaiterGetsTheLockWhenItIsReleased)
{
    TimedMutex lock;
    Event holding(Event::Mode::kManual), release(Event::Mode::kManual);
    MessageThread holder([&] {
        std::lock_guard guard(lock);
        holding.Set();
        release.Wait();
    });
    ASSERT_TRUE(holding.Wait(10000));
    release.Set();
    EXPECT_TRUE(lock.Lock(10000));
    lock.Unlock();
}

} // namespace
