// The UI thread's busy pump: it runs during blocking waits on the thread that installed it, and
// only there; the waits end on their event or their time-out as plain waits do, the connect on
// its outcome.
#include "platform/BusyPump.h"
#include "platform/SocketListener.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

using namespace platform;

TEST(BusyPump, RunsInTheInstallingThreadsWaitsOnly)
{
    // The pump ends the wait on its third run: how often it runs in a given time depends on the
    // machine's load, but a wait pumps between its 50 ms slices however late each one ends.
    std::atomic<int> pumped{0};
    Event third(Event::Mode::kManual), never(Event::Mode::kManual);
    SetBusyPump([&] {
        if (++pumped == 3)
            third.Set();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(WaitBusy(third, kInfinite));
    EXPECT_EQ(pumped.load(), 3);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3 * kBusyPumpPeriodMs))
        << "a slice's wait before each run";
    EXPECT_FALSE(WaitBusy(never, 120));

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

TEST(BusyPump, AConnectThatHangsPumpsUntilItsTimeOutAndOneThatIsAnsweredEndsAtOnce)
{
    std::atomic<int> pumped{0};
    SetBusyPump([&] { ++pumped; });
    SocketListener open;
    TcpSocket answered = TcpSocket::Open();
    EXPECT_EQ(ConnectBusy(answered, {LoopbackAddress(), open.Port()}, 5000), 0);

    // A listener whose queue is full drops further handshakes: the connect stays in progress.
    SocketListener full(0, 0);
    std::vector<TcpSocket> fillers;
    for (int i = 0; i < 3; ++i) {
        fillers.push_back(TcpSocket::Open());
        fillers.back().StartConnect({LoopbackAddress(), full.Port()});
    }
    {
        TcpSocket late = TcpSocket::Open();
        EXPECT_EQ(ConnectBusy(late, {LoopbackAddress(), full.Port()}, 200), ETIMEDOUT);
    }
    // From its third run on the pump empties the listener's queue, so the system's retry of the
    // hanging handshake is answered: the connect pumps until then however late each slice ends.
    const int before = pumped.load();
    SetBusyPump([&] {
        if (++pumped - before >= 3)
            while (full.Accept(0).Valid()) {
            }
    });
    TcpSocket hanging = TcpSocket::Open();
    EXPECT_EQ(ConnectBusy(hanging, {LoopbackAddress(), full.Port()}, 60000), 0);
    EXPECT_GE(pumped.load() - before, 3);
    SetBusyPump(nullptr);
}

TEST(BusyPump, TheTimeLeftToAPassedDeadlineIsNoneAndToAFarOneIsNeverTheEndlessWait)
{
    // Unclamped, a passed deadline would wrap to a wait of weeks, and a far one to kInfinite.
    const auto now = std::chrono::steady_clock::now();
    EXPECT_EQ(MsUntil(now - std::chrono::seconds(1)), 0u);
    EXPECT_EQ(MsUntil(std::chrono::steady_clock::time_point::max()), kInfinite - 1);
    EXPECT_LE(MsUntil(now + std::chrono::seconds(2)), 2000u);
}
