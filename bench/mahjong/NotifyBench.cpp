// The table's notifications and actions: CPU of the tile-thrown handler on a dealt table (the
// seat's hand redrawn, five claim buttons, two sounds), a burst of 1000 table notifications
// with an engine frame after every 20 (total and p99 frame, CPU of the UI thread), and waited draw requests against
// the game-server stand-in (p50 and p99 round trip).
#include "tests/mahjong/DealtTable.h"

#include "tests/support/FakeClientApp.h"
#include "tests/support/GameServerStandIn.h"

#include "framework/connection/RequestIds.h"
#include "mahjong/notify/CMJGameNotify2.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <vector>

using namespace Lumora;
using mahjongtest::DealtTable;
using mahjongtest::TestScene;

namespace {

std::vector<uint8_t> Rec(size_t size, std::initializer_list<std::pair<size_t, int32_t>> words)
{
    std::vector<uint8_t> r(size);
    for (auto [offset, value] : words)
        std::memcpy(r.data() + offset, &value, 4);
    return r;
}

// The calling thread's CPU time in milliseconds: the UI thread's own work, whatever else the
// machine is doing.
double ThreadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double Percentile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(q * double(v.size())))];
}

void BM_CardThrownHandler(benchmark::State& state)
{
    DealtTable t("bench_thrown", mahjongtest::kSurfaces[3]);
    TestScene& s = *t.rig.scene;
    int tile = 0;
    for (auto _ : state) {
        // Chair 1 (seat 0) throws; the own chair may peng, gang, hu and pass.
        t.notify.Send(CMJGameNotify2::kCardThrown, Rec(88, {{4, 1}, {24, 0x2B}, {84, tile}}));
        state.PauseTiming();
        s.ReturnToPool(s.thrown[0]);
        s.CatchWallCard(0, -1, kNoTile); // the seat's hand refilled from the pool
        tile = (tile + 1) % 108;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CardThrownHandler)->Unit(benchmark::kMicrosecond);

void BM_BurstOf1000Notifications(benchmark::State& state)
{
    DealtTable t("bench_burst", mahjongtest::kSurfaces[3]);
    for (auto _ : state) {
        std::vector<double> frames;
        double frameStart = ThreadCpuMs();
        int pos = 53;
        for (int i = 0; i < 1000; ++i) {
            const int chair = (i / 2) % 4;
            const int tile = chair == 0 ? (i * 7) % 108 : kNoTile;
            if (i % 2 == 0)
                t.notify.Send(CMJGameNotify2::kCardCaught, Rec(16, {{0, chair}, {4, tile}, {8, pos < 108 ? pos++ : 0}}));
            else
                t.notify.Send(CMJGameNotify2::kCardThrown, Rec(88, {{4, chair}, {84, (i * 5) % 108}}));
            if (i % 20 == 19) {
                t.rig.engine.Tick();
                const double now = ThreadCpuMs();
                frames.push_back(now - frameStart);
                frameStart = now;
            }
        }
        state.counters["p50_frame_ms"] = Percentile(frames, 0.5);
        state.counters["p99_frame_ms"] = Percentile(frames, 0.99);
        state.counters["first_frame_ms"] = frames.empty() ? 0 : frames.front();
        state.counters["misfiled"] = t.rig.Misfiled();
    }
}
BENCHMARK(BM_BurstOf1000Notifications)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CatchCardRoundTrips(benchmark::State& state)
{
    standin::GameServer server;
    FakeClientApp client;
    CMJGameConnect2 connect;
    connect.SetApp(&client);
    connect.SetupEncryption();
    int proxyFailed = 0;
    std::string text;
    if (!connect.OpenGameChannel("Game", "127.0.0.1", server.Port(), &proxyFailed) || !connect.EnterGame(text)) {
        state.SkipWithError("stand-in not reached");
        return;
    }
    server.Command(R"({"op":"fault","id":229000,"reply_hex":"000000002c0000003c0000000000000028000000000000000000000000000000"})");
    uint8_t record[96] = {};
    const uint32_t head[4] = {1001, 1, 1, 0};
    std::memcpy(record, head, sizeof head);
    for (auto _ : state) {
        std::vector<double> trips;
        for (int i = 0; i < 1000; ++i) {
            uint8_t draw[CMJGameConnect2::kDrawRecordSize];
            const auto t0 = std::chrono::steady_clock::now();
            connect.CatchCard(text, record, draw);
            trips.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
        }
        state.counters["p50_us"] = Percentile(trips, 0.5);
        state.counters["p99_us"] = Percentile(trips, 0.99);
    }
    connect.CloseAll();
}
BENCHMARK(BM_CatchCardRoundTrips)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
