#include "platform/ManualLoop.h"
#include "platform/MessageLoop.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace platform;

constexpr uint32_t kWork = kMsgUser + 20;
constexpr uint32_t kGiveUp = kMsgUser + 21;

// Ends the calling thread's message loop with code 1 when the deadline passes first, so that a
// timer that never fires fails its test within seconds instead of at ctest's time-out.
class LoopDeadline {
public:
    explicit LoopDeadline(std::chrono::seconds limit)
        : window_(MakeWindow([](WindowId, uint32_t msg, uintptr_t, intptr_t) -> intptr_t {
              if (msg == kGiveUp)
                  PostQuit(1);
              return 0;
          })),
          watcher_([this, limit] {
              std::unique_lock lock(mutex_);
              if (!doneChanged_.wait_for(lock, limit, [this] { return done_; }))
                  PostToWindow(window_, kGiveUp);
          })
    {
    }
    ~LoopDeadline()
    {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        doneChanged_.notify_all();
        watcher_.join();
        DestroyWindow(window_);
    }

private:
    std::mutex mutex_;
    std::condition_variable doneChanged_;
    bool done_ = false;
    WindowId window_;
    std::thread watcher_;
};

// Records (timer id, time) of every timer message a window gets.
struct TimerLog {
    std::vector<std::pair<uintptr_t, uint64_t>> fired;
    WindowId window = MakeWindow([this](WindowId, uint32_t msg, uintptr_t w, intptr_t) -> intptr_t {
        if (msg == kMsgTimer)
            fired.emplace_back(w, CurrentClock().NowMs());
        return 0;
    });
    ~TimerLog() { DestroyWindow(window); }
};

TEST(Timer, FiveMillisecondTimerFiresOncePerStepAtExactTimes)
{
    ManualClock clock(1000);
    ManualLoop loop(clock);
    TimerLog log;
    ASSERT_TRUE(StartTimer(log.window, 7, 5));
    loop.Advance(4);
    EXPECT_TRUE(log.fired.empty());
    loop.Advance(21); // to 1025
    const std::vector<std::pair<uintptr_t, uint64_t>> want{{7, 1005}, {7, 1010}, {7, 1015}, {7, 1020}, {7, 1025}};
    EXPECT_EQ(log.fired, want);
}

TEST(Timer, SeveralTimersFireInDeadlineOrder)
{
    ManualClock clock;
    ManualLoop loop(clock);
    TimerLog log;
    ASSERT_TRUE(StartTimer(log.window, 1, 10));
    ASSERT_TRUE(StartTimer(log.window, 2, 4));
    loop.Advance(20);
    const std::vector<std::pair<uintptr_t, uint64_t>> want{
        {2, 4}, {2, 8}, {1, 10}, {2, 12}, {2, 16}, {1, 20}, {2, 20}};
    EXPECT_EQ(log.fired, want);

    // Restarting an id takes the new period from now; stopping ends it.
    log.fired.clear();
    ASSERT_TRUE(StartTimer(log.window, 1, 3));
    ASSERT_TRUE(StopTimer(log.window, 2));
    EXPECT_FALSE(StopTimer(log.window, 2));
    loop.Advance(7);
    const std::vector<std::pair<uintptr_t, uint64_t>> after{{1, 23}, {1, 26}};
    EXPECT_EQ(log.fired, after);
}

TEST(Timer, AfterAStallATimerFiresOnceAndKeepsItsCadence)
{
    ManualClock clock;
    ManualLoop loop(clock);
    TimerLog log;
    ASSERT_TRUE(StartTimer(log.window, 1, 5));
    clock.Set(53); // the thread was busy for ten periods
    loop.RunUntilIdle();
    ASSERT_EQ(log.fired.size(), 1u);
    loop.RunUntilIdle();
    EXPECT_EQ(log.fired.size(), 1u) << "a timer never stands in the queue twice";
    loop.Advance(2); // the next deadline stays on the 5 ms grid: 55
    const std::vector<std::pair<uintptr_t, uint64_t>> want{{1, 53}, {1, 55}};
    EXPECT_EQ(log.fired, want);
}

TEST(Timer, FiresOnlyWhenNoOtherMessageWaits)
{
    ManualClock clock;
    ManualLoop loop(clock);
    std::vector<uint32_t> order;
    WindowId w = 0;
    w = MakeWindow([&](WindowId, uint32_t msg, uintptr_t, intptr_t) -> intptr_t {
        order.push_back(msg);
        if (msg == kWork && order.size() < 4)
            PostToWindow(w, kWork); // keeps the queue busy for a while
        return 0;
    });
    ASSERT_TRUE(StartTimer(w, 1, 5));
    clock.Set(5);
    ASSERT_TRUE(InvalidateWindow(w));
    ASSERT_TRUE(PostToWindow(w, kWork));
    loop.RunUntilIdle();
    const std::vector<uint32_t> want{kWork, kWork, kWork, kWork, kMsgPaint, kMsgTimer};
    EXPECT_EQ(order, want);
    DestroyWindow(w);
}

TEST(Timer, ManualLoopStopsAtQuit)
{
    ManualClock clock;
    ManualLoop loop(clock);
    TimerLog log;
    ASSERT_TRUE(StartTimer(log.window, 1, 5));
    loop.Advance(10);
    PostQuit(4);
    loop.Advance(10);
    EXPECT_EQ(loop.QuitCode(), std::optional<int>(4));
    EXPECT_EQ(log.fired.size(), 2u);
}

// Two messages that arrive together open and close a state; the watcher still sees it open.
TEST(Timer, ManualLoopWatcherSeesEachStateOfABatch)
{
    ManualClock clock;
    ManualLoop loop(clock);
    bool open = false;
    std::vector<bool> seen;
    WindowId w = MakeWindow([&](WindowId, uint32_t msg, uintptr_t, intptr_t) -> intptr_t {
        if (msg == kWork)
            open = !open;
        return 0;
    });
    loop.SetAfterEach([&] { seen.push_back(open); });
    ASSERT_TRUE(PostToWindow(w, kWork));
    ASSERT_TRUE(PostToWindow(w, kWork));
    loop.RunUntilIdle();
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
    DestroyWindow(w);
}

TEST(Timer, BlockingGetWakesForTimersUnderTheSteadyClock)
{
    int fired = 0;
    const WindowId w = MakeWindow([&](WindowId self, uint32_t msg, uintptr_t, intptr_t) -> intptr_t {
        if (msg == kMsgTimer && ++fired == 3) {
            StopTimer(self, 1);
            PostQuit(0);
        }
        return 0;
    });
    ASSERT_TRUE(StartTimer(w, 1, 2));
    {
        const LoopDeadline deadline(std::chrono::seconds(5));
        EXPECT_EQ(RunMessageLoop(), 0) << "the timer did not fire three times within 5 s";
    }
    EXPECT_EQ(fired, 3);
    DestroyWindow(w);
}

} // namespace
