// The UI thread's busy pump: it runs during blocking waits on the thread that installed it, and
// only there; the waits end on their event or their time-out as plain waits do.
#include "platform/BusyPump.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace platform;

TEST(BusyPump, RunsInTheInstallingThreadsWaitsOnly)
{
    std::atomic<int> pumped{0};
    SetBusyPump([&] { ++pumped; });
    Event never(Event::Mode::kManual);
    EXPECT_FALSE(WaitBusy(never, 160));
    EXPECT_GE(pumped.load(), 2) << "every 50 ms while waiting";

    const int before = pumped.load();
    std::thread other([&] { EXPECT_FALSE(WaitBusy(never, 120)); });
    other.join();
    EXPECT_EQ(pumped.load(), before) << "another thread's wait does not run the UI thread's pump";

    Event a(Event::Mode::kManual), b(Event::Mode::kManual, true);
    Event* events[] = {&a, &b};
    EXPECT_EQ(WaitAnyBusy(events, 5000), 1);
    a.Set();
    EXPECT_TRUE(WaitBusy(a, 5000));
    SetBusyPump(nullptr);
    SleepBusy(60);
    EXPECT_EQ(pumped.load(), before) << "removed";
}
