#include "platform/Event.h"
#include "platform/MessageLoop.h"
#include "platform/MessageQueue.h"
#include "platform/MessageThread.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

using namespace platform;

constexpr uint32_t kPing = kMsgUser + 1;

std::vector<uint32_t> TakeAllIds()
{
    std::vector<uint32_t> ids;
    Message m;
    while (PeekNextMessage(m))
        ids.push_back(m.id);
    return ids;
}

TEST(MessageQueue, ThreadPostsArriveInOrderWithPointerSizedParameters)
{
    Event done(Event::Mode::kManual);
    std::vector<Message> got;
    MessageThread worker([&] {
        Message m;
        while (GetNextMessage(m))
            got.push_back(m);
        done.Set();
    });
    // The worker has no queue until it asks for one: posts fail until then, as callers expect.
    while (!PostToThread(worker.Id(), kPing, 1, 0))
        std::this_thread::yield();
    const uintptr_t big = ~uintptr_t{0} - 5;
    const intptr_t neg = -123456789012345;
    ASSERT_TRUE(PostToThread(worker.Id(), kPing + 1, big, neg));
    ASSERT_TRUE(PostToThread(worker.Id(), kMsgQuit, 7));
    ASSERT_TRUE(done.Wait(10000));
    ASSERT_TRUE(worker.Join(10000));
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].id, kPing);
    EXPECT_EQ(got[0].wparam, 1u);
    EXPECT_EQ(got[1].id, kPing + 1);
    EXPECT_EQ(got[1].wparam, big);
    EXPECT_EQ(got[1].lparam, neg);
    EXPECT_EQ(got[1].window, 0u);
    // The thread is gone: a post must fail so that the sender frees what it points to.
    EXPECT_FALSE(PostToThread(worker.Id(), kPing));
    EXPECT_FALSE(PostToThread(0, kPing));
}

TEST(MessageQueue, QuitComesAfterPostedMessagesAndBeforePaint)
{
    std::vector<uint32_t> seen;
    const WindowId w = MakeWindow([&](WindowId, uint32_t msg, uintptr_t, intptr_t) -> intptr_t {
        seen.push_back(msg);
        return 0;
    });
    ASSERT_TRUE(InvalidateWindow(w));
    ASSERT_TRUE(InvalidateWindow(w)); // two requests, one paint
    PostQuit(3);
    ASSERT_TRUE(PostToWindow(w, kPing));
    ASSERT_TRUE(PostToThread(CurrentThreadId(), kPing + 1));
    Message m;
    EXPECT_TRUE(GetNextMessage(m));
    EXPECT_EQ(m.id, kPing);
    EXPECT_EQ(m.window, w);
    EXPECT_TRUE(GetNextMessage(m));
    EXPECT_EQ(m.id, kPing + 1);
    EXPECT_FALSE(GetNextMessage(m));
    EXPECT_EQ(m.wparam, 3u);
    EXPECT_EQ(TakeAllIds(), std::vector<uint32_t>{kMsgPaint});
    EXPECT_TRUE(DestroyWindow(w));
    EXPECT_EQ(seen, std::vector<uint32_t>{kMsgDestroy});
}

TEST(MessageQueue, PeekWithoutRemovalLeavesTheMessage)
{
    Message m;
    EXPECT_FALSE(PeekNextMessage(m)); // also makes this thread's queue if it had none
    ASSERT_TRUE(PostToThread(CurrentThreadId(), kPing, 9));
    ASSERT_TRUE(PeekNextMessage(m, false));
    EXPECT_EQ(m.wparam, 9u);
    ASSERT_TRUE(PeekNextMessage(m, true));
    EXPECT_EQ(m.wparam, 9u);
    EXPECT_FALSE(PeekNextMessage(m));
}

TEST(MessageQueue, BlockedGetWakesOnPostFromAnotherThread)
{
    Event ready(Event::Mode::kManual);
    std::atomic<int> handled{0};
    std::atomic<WindowId> window{0};
    MessageThread ui([&] {
        window = MakeWindow([&](WindowId, uint32_t msg, uintptr_t w, intptr_t) -> intptr_t {
            if (msg == kPing)
                handled += static_cast<int>(w);
            return 0;
        });
        ready.Set();
        RunMessageLoop();
    });
    ASSERT_TRUE(ready.Wait(10000));
    for (int i = 1; i <= 100; ++i)
        ASSERT_TRUE(PostToWindow(window, kPing, static_cast<uintptr_t>(i)));
    ASSERT_TRUE(PostToThread(ui.Id(), kMsgQuit));
    ASSERT_TRUE(ui.Join(10000));
    EXPECT_EQ(handled.load(), 5050);
    // The owner thread ended: its windows went with it.
    EXPECT_FALSE(IsWindowAlive(window));
    EXPECT_FALSE(PostToWindow(window, kPing));
}

TEST(MessageQueue, ExternalWaiterIsWokenByPosts)
{
    struct FakeWaiter : ExternalWaiter {
        std::mutex m;
        std::condition_variable cv;
        bool woken = false;
        std::atomic<int> waits{0};
        void Wait(std::optional<uint32_t>) override
        {
            ++waits;
            std::unique_lock lock(m);
            cv.wait(lock, [&] { return woken; });
            woken = false;
        }
        void Wake() override
        {
            std::lock_guard lock(m);
            woken = true;
            cv.notify_all();
        }
    } waiter;
    Event ready(Event::Mode::kManual);
    std::atomic<uintptr_t> got{0};
    MessageThread t([&] {
        CurrentQueue().Signal()->SetExternalWaiter(&waiter);
        ready.Set();
        Message m;
        while (GetNextMessage(m))
            got = m.wparam;
        CurrentQueue().Signal()->SetExternalWaiter(nullptr);
    });
    ASSERT_TRUE(ready.Wait(10000));
    ASSERT_TRUE(PostToThread(t.Id(), kPing, 42));
    ASSERT_TRUE(PostToThread(t.Id(), kMsgQuit));
    ASSERT_TRUE(t.Join(10000));
    EXPECT_EQ(got.load(), 42u);
}

// A burst posted to a sleeping owner wakes it once (for the display: one event, not one a post),
// and the owner takes the whole burst in order on that one wake.
TEST(MessageQueue, ABurstWakesASleepingOwnerOnceAndArrivesWholeInOrder)
{
    struct HeldWaiter : ExternalWaiter {
        std::mutex m;
        std::condition_variable cv;
        bool woken = false, released = false;
        int waits = 0, wakes = 0;
        void Wait(std::optional<uint32_t>) override
        {
            std::unique_lock lock(m);
            ++waits;
            cv.notify_all();
            cv.wait(lock, [&] { return woken && released; });
            woken = false;
        }
        void Wake() override
        {
            std::lock_guard lock(m);
            woken = true;
            ++wakes;
            cv.notify_all();
        }
        void AwaitWaits(int n)
        {
            std::unique_lock lock(m);
            cv.wait(lock, [&] { return waits >= n; });
        }
    } waiter;
    std::vector<uintptr_t> got;
    int wakesWhenDrained = 0;
    MessageThread t([&] {
        CurrentQueue().Signal()->SetExternalWaiter(&waiter);
        Message m;
        while (GetNextMessage(m)) {
            got.push_back(m.wparam);
            if (got.size() == 10) {
                std::lock_guard lock(waiter.m);
                wakesWhenDrained = waiter.wakes;
            }
        }
        CurrentQueue().Signal()->SetExternalWaiter(nullptr);
    });
    waiter.AwaitWaits(1); // asleep on an empty queue
    for (uintptr_t i = 1; i <= 10; ++i)
        ASSERT_TRUE(PostToThread(t.Id(), kPing, i));
    {
        std::lock_guard lock(waiter.m);
        waiter.released = true;
        waiter.cv.notify_all();
    }
    waiter.AwaitWaits(2); // the burst taken, asleep again
    ASSERT_TRUE(PostToThread(t.Id(), kMsgQuit));
    ASSERT_TRUE(t.Join(10000));
    EXPECT_EQ(got, (std::vector<uintptr_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(wakesWhenDrained, 1);
}

} // namespace
