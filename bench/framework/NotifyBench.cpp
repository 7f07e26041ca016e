// Costs of the server-message road: the dispatcher alone per notification (generic ids, targets
// that only count), and the relay from another thread through the communication thread to the
// main window until the handler is entered (p50 and p99 as counters).
#include "tests/framework/FakeGameWinApp.h"
#include "tests/framework/NotifyRecords.h"

#include "engine/gui/CGameBase.h"
#include "framework/app/AppMessages.h"
#include "framework/app/CommThread.h"
#include "framework/connection/CGameConnect.h"
#include "framework/notify/CGameNotify.h"
#include "framework/window/CGameFrameWnd.h"
#include "net/SocketClient.h"
#include "platform/HeadlessWindow.h"
#include "platform/MessageLoop.h"
#include "platform/Window.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

using frametest::Record;

struct Counter : Lumora::CGameBase {
    int OnEvent(const Lumora::EventRecord&) override
    {
        ++events;
        return 1;
    }
    size_t events = 0;
};

void BM_DispatchGenericIds(benchmark::State& state)
{
    frametest::FakeGameWinApp app;
    frametest::Installed installed(app);
    Counter scene, panel;
    app.scene = &scene;
    app.panel = &panel;
    app.hall.players[1].SetUserId(1002);
    app.hall.players[1].SetName("乙");
    CGameNotify notify;
    const std::pair<uint32_t, Record> mix[] = {
        {201210, Record(128)},
        {211030, Record(20 + 4 * 52).Word(0, 4).Word(20, 1002)},
        {211200, Record(128)},
        {214100, Record(64)},
        {201213, Record(24).Word(0, 1002).Word(16, 1003).Word(20, 1)},
        {211242, Record(12)},
    };
    size_t i = 0;
    for (auto _ : state) {
        const auto& [id, record] = mix[i++ % std::size(mix)];
        benchmark::DoNotOptimize(notify.OnNotify(id, record.Data(), record.Size()));
        app.lines.clear();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DispatchGenericIds);

// Stamps the time a message was posted in its data and records when its handler is entered.
struct StampNotify : CGameNotify {
    bool OnNotify(uint32_t, const uint8_t* data, uint32_t length) override
    {
        int64_t sent = 0;
        if (length >= sizeof sent)
            std::memcpy(&sent, data, sizeof sent);
        latencies.push_back(Now() - sent);
        return true;
    }
    static int64_t Now()
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    std::vector<int64_t> latencies;
};

void BM_RelayToHandler(benchmark::State& state)
{
    frametest::FakeGameWinApp app;
    frametest::Installed installed(app);
    CGameConnect connect(nullptr, 0, 0, 0);
    connect.SetConnectionTag(3);
    StampNotify notify;
    app.connect = &connect;
    app.notify = &notify;
    CGameFrameWnd wnd;
    wnd.Create(std::make_unique<platform::HeadlessWindow>(platform::Rect{0, 0, 320, 240}));
    wnd.StartEngine(new Lumora::CGameBase);
    NotifyGate gate;
    std::unique_ptr<CGameCommThread> comm = CGameCommThread::Start(gate);
    platform::PostToThread(comm->Id(), app_msg::kCommSetTarget, wnd.GetMessageWindow());
    for (auto _ : state) {
        auto* context = new net::SocketContextRecord;
        context->tag = 3;
        auto* message = new net::SocketMessageRecord;
        message->head = net::MessageHead::WithId(211230);
        message->length = 8;
        message->data = new uint8_t[8];
        const int64_t now = StampNotify::Now();
        std::memcpy(message->data, &now, 8);
        const size_t before = notify.latencies.size();
        platform::PostToThread(comm->Id(), net::WM_SOCKET_NOTIFY, reinterpret_cast<uintptr_t>(context),
                               reinterpret_cast<intptr_t>(message));
        platform::Message m;
        while (notify.latencies.size() == before && platform::GetNextMessage(m))
            platform::Dispatch(m);
    }
    comm->Stop();
    std::vector<int64_t> sorted = notify.latencies;
    std::sort(sorted.begin(), sorted.end());
    if (!sorted.empty()) {
        state.counters["p50_us"] = double(sorted[sorted.size() / 2]) / 1000.0;
        state.counters["p99_us"] = double(sorted[sorted.size() * 99 / 100]) / 1000.0;
    }
}
BENCHMARK(BM_RelayToHandler)->Iterations(2000)->UseRealTime();

// Times each engine frame while another thread pushes 1000 notifications a second (chat lines and
// user-info changes) through the communication thread: the frame time's p99 as a counter.
struct TimedFrameWnd : CGameFrameWnd {
    void OnEngineTimer() override
    {
        const auto start = std::chrono::steady_clock::now();
        CGameFrameWnd::OnEngineTimer();
        frames.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::vector<double> frames;
};

void BM_FramesUnderSustainedPushes(benchmark::State& state)
{
    frametest::FakeGameWinApp app;
    frametest::Installed installed(app);
    Counter panel;
    app.panel = &panel;
    app.hall.players[1].SetUserId(1002);
    CGameConnect connect(nullptr, 0, 0, 0);
    connect.SetConnectionTag(3);
    CGameNotify notify;
    app.connect = &connect;
    app.notify = &notify;
    TimedFrameWnd wnd;
    wnd.Create(std::make_unique<platform::HeadlessWindow>(platform::Rect{0, 0, 1024, 768}));
    wnd.StartEngine(new Lumora::CGameBase);
    NotifyGate gate;
    std::unique_ptr<CGameCommThread> comm = CGameCommThread::Start(gate);
    platform::PostToThread(comm->Id(), app_msg::kCommSetTarget, wnd.GetMessageWindow());
    const platform::ThreadId commId = comm->Id();
    const Record users = Record(20 + 4 * 52).Word(0, 4).Word(20, 1002);
    for (auto _ : state) {
        std::atomic<bool> stop{false};
        std::thread pusher([&] {
            auto next = std::chrono::steady_clock::now();
            for (int i = 0; !stop.load(); ++i) {
                auto* context = new net::SocketContextRecord;
                context->tag = 3;
                auto* message = new net::SocketMessageRecord;
                const bool chat = i % 2 == 0;
                message->head = net::MessageHead::WithId(chat ? 201210 : 211030);
                message->length = int32_t(chat ? 128 : users.Size());
                message->data = new uint8_t[size_t(message->length)]();
                if (!chat)
                    std::memcpy(message->data, users.Data(), users.Size());
                if (!platform::PostToThread(commId, net::WM_SOCKET_NOTIFY, reinterpret_cast<uintptr_t>(context),
                                            reinterpret_cast<intptr_t>(message)))
                    net::ReleaseSocketNotify(reinterpret_cast<uintptr_t>(context), reinterpret_cast<intptr_t>(message));
                next += std::chrono::microseconds(1000);
                std::this_thread::sleep_until(next);
            }
        });
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        platform::Message m;
        while (std::chrono::steady_clock::now() < end && platform::GetNextMessage(m))
            platform::Dispatch(m);
        stop = true;
        pusher.join();
    }
    comm->Stop();
    std::vector<double> sorted = wnd.frames;
    std::sort(sorted.begin(), sorted.end());
    if (!sorted.empty()) {
        state.counters["frames"] = double(sorted.size());
        state.counters["p50_frame_us"] = sorted[sorted.size() / 2];
        state.counters["p99_frame_us"] = sorted[sorted.size() * 99 / 100];
    }
    state.counters["handled"] = double(panel.events);
}
BENCHMARK(BM_FramesUnderSustainedPushes)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
