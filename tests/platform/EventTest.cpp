#include "platform/Event.h"
#include "platform/ManualLoop.h"
#include "platform/MessageLoop.h"
#include "platform/MessageThread.h"
#include "platform/MessageWait.h"
#include "platform/WakeSignal.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace platform;

constexpr uint32_t kSetEvent = kMsgUser + 30;

TEST(Event, ManualResetReleasesEveryWaiterAndStaysSet)
{
    Event e(Event::Mode::kManual);
    std::atomic<int> released{0};
    std::vector<std::unique_ptr<MessageThread>> waiters;
    for (int i = 0; i < 4; ++i)
        waiters.push_back(std::make_unique<MessageThread>([&] { released += e.Wait(10000) ? 1 : 0; }));
    e.Set();
    for (auto& w : waiters)
        ASSERT_TRUE(w->Join(10000));
    EXPECT_EQ(released.load(), 4);
    EXPECT_TRUE(e.IsSet());
    EXPECT_TRUE(e.Wait(0));
    e.Reset();
    EXPECT_FALSE(e.Wait(0));
}

TEST(Event, AutoResetReleasesOneWaiterPerSet)
{
    Event e(Event::Mode::kAuto, true);
    EXPECT_TRUE(e.Wait(0));
    EXPECT_FALSE(e.Wait(0)) << "the first wait took the signal";

    std::atomic<int> released{0};
    std::vector<std::unique_ptr<MessageThread>> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.push_back(std::make_unique<MessageThread>([&] {
            if (e.Wait(10000))
                ++released;
        }));
    for (int i = 0; i < 3; ++i)
        e.Set();
    // Sets that come before a waiter arrives are not counted: keep setting until all are through.
    for (auto& w : waiters)
        while (!w->Join(1))
            e.Set();
    EXPECT_EQ(released.load(), 3);
}

TEST(Event, SetsRacingWaitersThatLeaveAndEndTheirThreadsTouchNothingGone)
{
    // Set wakes its waiters after letting go of its lock: a waiter may take the signal, return
    // and end its thread meanwhile. Run under the sanitizers, a wake of anything freed shows.
    Event e(Event::Mode::kAuto);
    std::atomic<bool> stop{false};
    std::thread setter([&] {
        while (!stop)
            e.Set();
    });
    std::atomic<int> taken{0};
    for (int round = 0; round < 25; ++round) {
        std::vector<std::thread> waiters;
        for (int i = 0; i < 8; ++i)
            waiters.emplace_back([&] {
                for (int n = 0; n < 20; ++n)
                    taken += e.Wait(1) ? 1 : 0;
            });
        for (auto& w : waiters)
            w.join();
    }
    stop = true;
    setter.join();
    EXPECT_GT(taken.load(), 0);
}

TEST(Event, WaitAnyGivesTheFirstSignalledAndTimesOut)
{
    Event a(Event::Mode::kManual), b(Event::Mode::kAuto), c(Event::Mode::kManual);
    Event* list[] = {&a, &b, &c};
    EXPECT_EQ(WaitAny(list, 0), kWaitTimeout);
    EXPECT_EQ(WaitAny(list, 5), kWaitTimeout);
    c.Set();
    b.Set();
    EXPECT_EQ(WaitAny(list, kInfinite), 1);
    EXPECT_EQ(WaitAny(list, kInfinite), 2) << "b reset itself, c stays set";

    Event late(Event::Mode::kAuto);
    Event* one[] = {&a, &late};
    MessageThread setter([&] { late.Set(); });
    EXPECT_EQ(WaitAny(one, kInfinite), 1);
}

TEST(Event, TimeOutsFollowTheCurrentClock)
{
    ManualClock clock;
    ScopedClock installed(clock);
    std::atomic<bool> stop{false};
    MessageThread ticker([&] {
        while (!stop) {
            clock.Advance(1);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    Event never(Event::Mode::kManual);
    const uint64_t start = clock.NowMs();
    EXPECT_FALSE(never.Wait(100));
    EXPECT_GE(clock.NowMs() - start, 100u) << "a time-out never ends early";
    stop = true;
    ASSERT_TRUE(ticker.Join(10000));
}

// A loop that moves a manual clock with real time sleeps in real time: until a post, or the time-out
// even though the installed clock stands still.
TEST(WakeSignal, RealTimeWaitEndsOnABumpOrAfterItsTimeOutUnderAStillManualClock)
{
    ManualClock clock;
    ScopedClock installed(clock);
    WakeSignal signal;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(signal.WaitChangedFor(signal.Seq(), std::chrono::milliseconds(20)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
    const uint64_t seen = signal.Seq();
    MessageThread bumper([&] { signal.Bump(); });
    EXPECT_TRUE(signal.WaitChangedFor(seen, std::chrono::seconds(60)));
    ASSERT_TRUE(bumper.Join(10000));
}

TEST(MessageWait, DispatchesMessagesWhileWaitingForAnEvent)
{
    Event e(Event::Mode::kAuto);
    std::vector<uintptr_t> handled;
    const WindowId w = MakeWindow([&](WindowId, uint32_t msg, uintptr_t wp, intptr_t) -> intptr_t {
        handled.push_back(wp);
        if (msg == kSetEvent)
            e.Set();
        return 0;
    });
    MessageThread poster([&] {
        PostToWindow(w, kMsgUser, 1);
        PostToWindow(w, kSetEvent, 2);
        PostToWindow(w, kMsgUser, 3);
    });
    Event* list[] = {&e};
    const PumpWaitResult r = WaitPumping(list, kInfinite);
    EXPECT_EQ(r.kind, PumpWaitResult::kEvent);
    EXPECT_EQ(r.index, 0);
    ASSERT_TRUE(poster.Join(10000));
    ASSERT_GE(handled.size(), 2u);
    EXPECT_EQ(handled[0], 1u);
    EXPECT_EQ(handled[1], 2u);
    Message m;
    while (PeekNextMessage(m))
        Dispatch(m);
    EXPECT_EQ(handled.size(), 3u);
    DestroyWindow(w);
}

TEST(MessageWait, QuitEndsTheWaitAndIsPostedAgain)
{
    Event e(Event::Mode::kManual);
    Event* list[] = {&e};
    PostQuit(9);
    EXPECT_EQ(WaitPumping(list, kInfinite).kind, PumpWaitResult::kQuit);
    Message m;
    EXPECT_FALSE(GetNextMessage(m)) << "the outer loop must still see the quit";
    EXPECT_EQ(m.wparam, 9u);
}

TEST(MessageWait, TimersKeepFiringUntilTheTimeOut)
{
    ManualClock clock;
    ManualLoop loop(clock);
    std::vector<uint64_t> ticks;
    const WindowId w = MakeWindow([&](WindowId, uint32_t msg, uintptr_t, intptr_t) -> intptr_t {
        if (msg == kMsgTimer) {
            ticks.push_back(clock.NowMs());
            if (clock.NowMs() < 25)
                clock.Advance(5); // time passes only while the timer works
        }
        return 0;
    });
    ASSERT_TRUE(StartTimer(w, 1, 5));
    clock.Set(5);
    Event e(Event::Mode::kManual);
    Event* list[] = {&e};
    EXPECT_EQ(WaitPumping(list, 20).kind, PumpWaitResult::kTimeout);
    EXPECT_EQ(ticks, (std::vector<uint64_t>{5, 10, 15, 20, 25}));
    EXPECT_EQ(WaitPumping(list, 0).kind, PumpWaitResult::kTimeout);
    e.Set();
    EXPECT_EQ(WaitPumping(list, 0).kind, PumpWaitResult::kEvent);
    DestroyWindow(w);
}

} // namespace
