// Message post + get between two threads: round-trip latency (post to a worker, which posts back)
// and one-way throughput (a stream of posts the worker takes with its blocking get); and the
// processor time of a loop that only serves a 5 ms timer (it must sleep between firings).
#include "platform/Event.h"
#include "platform/MessageLoop.h"
#include "platform/MessageQueue.h"
#include "platform/MessageThread.h"
#include "platform/Window.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <vector>

namespace {

using namespace platform;

constexpr uint32_t kPing = kMsgUser + 1;
constexpr uint32_t kPong = kMsgUser + 2;

// The worker answers every ping with a pong to the sender thread.
class EchoThread {
public:
    EchoThread()
        : thread_([this] {
              Message m;
              PeekNextMessage(m, false); // make the queue before telling the starter
              ready_.Set();
              while (GetNextMessage(m))
                  if (m.id == kPing)
                      PostToThread(static_cast<ThreadId>(m.wparam), kPong, 0, m.lparam);
          })
    {
        ready_.Wait();
    }
    ~EchoThread()
    {
        PostToThread(thread_.Id(), kMsgQuit);
        thread_.Join();
    }
    ThreadId Id() const { return thread_.Id(); }

private:
    Event ready_{Event::Mode::kManual};
    MessageThread thread_;
};

// One-way latency is half of a ping-pong round trip; reported as the median over the run.
void BM_PostGetRoundTrip(benchmark::State& state)
{
    Message m;
    PeekNextMessage(m, false);
    EchoThread echo;
    const ThreadId self = CurrentThreadId();
    std::vector<double> roundTripsUs;
    roundTripsUs.reserve(1 << 20);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        PostToThread(echo.Id(), kPing, self, 1);
        while (GetNextMessage(m) && m.id != kPong) {
        }
        const auto end = std::chrono::steady_clock::now();
        roundTripsUs.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    if (!roundTripsUs.empty()) {
        auto mid = roundTripsUs.begin() + static_cast<std::ptrdiff_t>(roundTripsUs.size() / 2);
        std::nth_element(roundTripsUs.begin(), mid, roundTripsUs.end());
        state.counters["median_round_trip_us"] = *mid;
        state.counters["median_one_way_us"] = *mid / 2;
    }
}
BENCHMARK(BM_PostGetRoundTrip)->UseRealTime();

// A producer posts `batch` messages; the worker takes them all with its blocking get.
void BM_PostGetThroughput(benchmark::State& state)
{
    const int batch = static_cast<int>(state.range(0));
    Event drained(Event::Mode::kAuto);
    Event ready(Event::Mode::kManual);
    std::atomic<int> target{0};
    MessageThread consumer([&] {
        Message m;
        PeekNextMessage(m, false);
        ready.Set();
        int taken = 0;
        while (GetNextMessage(m)) {
            if (++taken == target.load(std::memory_order_acquire)) {
                taken = 0;
                drained.Set();
            }
        }
    });
    ready.Wait();
    for (auto _ : state) {
        target.store(batch, std::memory_order_release);
        for (int i = 0; i < batch; ++i)
            PostToThread(consumer.Id(), kPing, static_cast<uintptr_t>(i));
        drained.Wait();
    }
    PostToThread(consumer.Id(), kMsgQuit);
    consumer.Join();
    state.SetItemsProcessed(state.iterations() * batch);
    state.counters["messages_per_s"] = benchmark::Counter(static_cast<double>(state.iterations() * batch), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PostGetThroughput)->Arg(1000)->UseRealTime();

double ThreadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// One second of a message loop whose only work is a 5 ms timer with an empty handler.
void BM_IdleTimerLoopCpu(benchmark::State& state)
{
    for (auto _ : state) {
        int fired = 0;
        const double cpuStart = ThreadCpuMs();
        const WindowId w = MakeWindow([&](WindowId, uint32_t msg, uintptr_t, intptr_t) -> intptr_t {
            if (msg == kMsgTimer && ++fired == 200)
                PostQuit(0);
            return 0;
        });
        StartTimer(w, 1, 5);
        RunMessageLoop();
        DestroyWindow(w);
        const double cpuMs = ThreadCpuMs() - cpuStart;
        state.counters["timer_firings"] = fired;
        state.counters["cpu_percent_of_one_core"] = cpuMs / (fired * 5.0) * 100.0;
    }
}
BENCHMARK(BM_IdleTimerLoopCpu)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

