#include "platform/Event.h"
#include "platform/MessageLoop.h"
#include "platform/MessageQueue.h"
#include "platform/MessageThread.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace {

using namespace platform;

constexpr uint32_t kAsk = kMsgUser + 10;
constexpr uint32_t kAskBack = kMsgUser + 11;

// A thread that owns one window and runs its loop until quit.
class WindowThreadFixture {
public:
    explicit WindowThreadFixture(WindowHandler handler)
        : thread_([this, handler = std::move(handler)] {
              window_ = MakeWindow(handler);
              ready_.Set();
              RunMessageLoop();
          })
    {
        ready_.Wait();
    }
    ~WindowThreadFixture()
    {
        PostToThread(thread_.Id(), kMsgQuit);
        thread_.Join();
    }
    WindowId Window() const { return window_; }
    ThreadId Thread() const { return thread_.Id(); }

private:
    Event ready_{Event::Mode::kManual};
    std::atomic<WindowId> window_{0};
    MessageThread thread_;
};

TEST(Window, SendRunsTheHandlerOnTheOwnerThreadAndReturnsItsResult)
{
    std::atomic<ThreadId> ranOn{0};
    WindowThreadFixture owner([&](WindowId, uint32_t msg, uintptr_t w, intptr_t l) -> intptr_t {
        ranOn = CurrentThreadId();
        return msg == kAsk ? static_cast<intptr_t>(w) * l : 0;
    });
    bool delivered = false;
    EXPECT_EQ(SendToWindow(owner.Window(), kAsk, 6, -7, &delivered), -42);
    EXPECT_TRUE(delivered);
    EXPECT_EQ(ranOn.load(), owner.Thread());
    EXPECT_EQ(WindowThread(owner.Window()), owner.Thread());

    // On the owner thread itself the handler runs directly.
    const WindowId local = MakeWindow([](WindowId, uint32_t, uintptr_t w, intptr_t) -> intptr_t { return static_cast<intptr_t>(w) + 1; });
    EXPECT_EQ(SendToWindow(local, kAsk, 41), 42);
    EXPECT_TRUE(DestroyWindow(local));
    EXPECT_EQ(SendToWindow(local, kAsk, 41, 0, &delivered), 0);
    EXPECT_FALSE(delivered);
}

TEST(Window, SendsBetweenTwoThreadsInBothDirectionsDoNotDeadlock)
{
    // This thread's window answers the other thread's send while this thread waits on its own send.
    const WindowId mine = MakeWindow([](WindowId, uint32_t msg, uintptr_t w, intptr_t) -> intptr_t {
        return msg == kAskBack ? static_cast<intptr_t>(w) * 10 : 0;
    });
    WindowThreadFixture other([mine](WindowId, uint32_t msg, uintptr_t w, intptr_t) -> intptr_t {
        if (msg != kAsk)
            return 0;
        return SendToWindow(mine, kAskBack, w) + 1;
    });
    for (uintptr_t i = 0; i < 50; ++i)
        EXPECT_EQ(SendToWindow(other.Window(), kAsk, i), static_cast<intptr_t>(i * 10 + 1));
    EXPECT_TRUE(DestroyWindow(mine));
}

TEST(Window, SendToAThreadThatEndsBeforeServingItFails)
{
    Event ready(Event::Mode::kManual);
    Event release(Event::Mode::kManual);
    std::atomic<WindowId> window{0};
    MessageThread owner([&] {
        window = MakeWindow([](WindowId, uint32_t, uintptr_t, intptr_t) -> intptr_t { return 1; });
        ready.Set();
        release.Wait(); // never takes a message again
    });
    ASSERT_TRUE(ready.Wait(10000));
    std::atomic<bool> sent{false};
    bool delivered = true;
    intptr_t result = -1;
    MessageThread sender([&] {
        result = SendToWindow(window, kAsk, 0, 0, &delivered);
        sent = true;
    });
    // Let the send reach the owner's queue before the owner goes away.
    const auto ownerQueue = FindQueue(owner.Id());
    ASSERT_TRUE(ownerQueue);
    while (!ownerQueue->HasSentCalls())
        std::this_thread::yield();
    release.Set();
    ASSERT_TRUE(owner.Join(10000));
    ASSERT_TRUE(sender.Join(10000));
    EXPECT_TRUE(sent);
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(delivered);
}

TEST(Window, ASendWhoseHandlerThrowsReleasesTheSender)
{
    Event ready(Event::Mode::kManual);
    std::atomic<WindowId> window{0};
    std::atomic<bool> ownerSawThrow{false};
    MessageThread owner([&] {
        window = MakeWindow([](WindowId, uint32_t msg, uintptr_t, intptr_t) -> intptr_t {
            if (msg == kAsk)
                throw std::runtime_error("handler failed");
            return 0;
        });
        ready.Set();
        try {
            RunMessageLoop();
        } catch (const std::runtime_error&) {
            ownerSawThrow = true;
        }
    });
    ASSERT_TRUE(ready.Wait(10000));
    bool delivered = true;
    EXPECT_EQ(SendToWindow(window, kAsk, 0, 0, &delivered), 0);
    EXPECT_FALSE(delivered);
    ASSERT_TRUE(owner.Join(10000));
    EXPECT_TRUE(ownerSawThrow);
}

TEST(Window, DestroyIsForTheOwnerOnlyAndStopsPostsTimersAndPaint)
{
    int destroyed = 0;
    int other = 0;
    const WindowId w = MakeWindow([&](WindowId, uint32_t msg, uintptr_t, intptr_t) -> intptr_t {
        (msg == kMsgDestroy ? destroyed : other)++;
        return 0;
    });
    std::atomic<bool> foreignDestroy{true};
    MessageThread([&] { foreignDestroy = DestroyWindow(w); }).Join();
    EXPECT_FALSE(foreignDestroy);
    ASSERT_TRUE(StartTimer(w, 1, 1));
    ASSERT_TRUE(InvalidateWindow(w));
    ASSERT_TRUE(PostToWindow(w, kAsk));
    EXPECT_TRUE(DestroyWindow(w));
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(DestroyWindow(w));
    EXPECT_FALSE(PostToWindow(w, kAsk));
    EXPECT_FALSE(StartTimer(w, 1, 1));
    EXPECT_FALSE(InvalidateWindow(w));
    // The message posted before the end is still taken but reaches no handler.
    Message m;
    ASSERT_TRUE(PeekNextMessage(m));
    EXPECT_EQ(Dispatch(m), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    EXPECT_FALSE(PeekNextMessage(m)); // neither the timer nor the paint request outlived it
    EXPECT_EQ(other, 0);
}

TEST(Window, TimersAreForTheOwnerThreadOnly)
{
    const WindowId w = MakeWindow(nullptr);
    std::atomic<bool> started{true};
    MessageThread([&] { started = StartTimer(w, 5, 5); }).Join();
    EXPECT_FALSE(started);
    EXPECT_FALSE(StopTimer(w, 5));
    EXPECT_TRUE(DestroyWindow(w));
}

} // namespace
