// The communication thread's relay: 10^5 pushed messages (64 B and 4 KiB) posted by a socket
// thread stand-in, relayed through the gate to a window on the benchmark's thread; latency from
// the post to the window's handler (median, p99) and the rate: paced pushes for the latency,
// a burst for the rate, and a burst held at the closed gate for a second and then let through
// (in order). And the
// largest start record (8 players, 64 look-on users, 32 rooms: 26 KiB) deciphered and applied.
#include "framework/app/CommThread.h"
#include "framework/app/HallCipher.h"
#include "framework/app/HallState.h"
#include "framework/app/AppMessages.h"
#include "net/Message.h"
#include "net/SocketClient.h"
#include "platform/MessageLoop.h"
#include "platform/Window.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

void BM_RelayToUiThread(benchmark::State& state)
{
    const size_t bytes = static_cast<size_t>(state.range(0));
    const bool holdGate = state.range(1) != 0;
    // Paced: one push every 10 µs (100,000 a second), as a busy server might push; unpaced: all
    // at once, for the rate.
    const bool paced = state.range(2) != 0;
    constexpr int kCount = 100000;
    for (auto _ : state) {
        NotifyGate gate;
        auto comm = CGameCommThread::Start(gate);
        std::vector<int64_t> latencies;
        latencies.reserve(kCount);
        uint32_t expected = 0;
        bool inOrder = true;
        platform::WindowId window =
            platform::MakeWindow([&](platform::WindowId, uint32_t msg, uintptr_t w, intptr_t l) -> intptr_t {
                if (msg == net::WM_SOCKET_NOTIFY) {
                    auto* m = reinterpret_cast<net::SocketMessageRecord*>(l);
                    int64_t sent;
                    std::memcpy(&sent, m->data, sizeof sent);
                    latencies.push_back(NowNs() - sent);
                    inOrder = inOrder && m->head.Id() == expected++;
                    net::ReleaseSocketNotify(w, l);
                }
                return 0;
            });
        platform::PostToThread(comm->Id(), app_msg::kCommSetTarget, window);
        if (holdGate)
            gate.Close();
        auto start = Clock::now();
        std::thread socketThread([&] {
            const auto begin = Clock::now();
            for (uint32_t i = 0; i < kCount; ++i) {
                while (paced && Clock::now() - begin < std::chrono::microseconds(10 * i)) {
                }
                auto* context = new net::SocketContextRecord;
                auto* message = new net::SocketMessageRecord;
                message->head = net::MessageHead::WithId(i);
                message->length = static_cast<int32_t>(bytes);
                message->data = new uint8_t[bytes]();
                int64_t now = NowNs();
                std::memcpy(message->data, &now, sizeof now);
                if (!platform::PostToThread(comm->Id(), net::WM_SOCKET_NOTIFY, reinterpret_cast<uintptr_t>(context),
                                            reinterpret_cast<intptr_t>(message)))
                    net::ReleaseSocketNotify(reinterpret_cast<uintptr_t>(context), reinterpret_cast<intptr_t>(message));
            }
        });
        if (holdGate) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            gate.Open();
        }
        platform::Message m;
        while (latencies.size() < kCount && platform::GetNextMessage(m))
            platform::Dispatch(m);
        auto elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        socketThread.join();
        comm->Stop();
        platform::DestroyWindow(window);
        std::sort(latencies.begin(), latencies.end());
        state.counters["median_us"] = latencies[kCount / 2] / 1000.0;
        state.counters["p99_us"] = latencies[kCount * 99 / 100] / 1000.0;
        state.counters["per_second"] = kCount / elapsed;
        state.counters["in_order"] = inOrder ? 1 : 0;
    }
}
BENCHMARK(BM_RelayToUiThread)
    ->Args({64, 0, 1})
    ->Args({4096, 0, 1})
    ->Args({64, 0, 0})
    ->Args({4096, 0, 0})
    ->Args({64, 1, 0})
    ->ArgNames({"bytes", "gate_held", "paced"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

std::vector<uint8_t> LargestStartRecord()
{
    hall::RoomRecord room;
    room.SetI32(hall::RoomRecord::kRoomListCount, 32);
    room.SetI32(hall::RoomRecord::kKeepTexts, 1);
    hall::TableRecord table;
    table.SetI32(hall::TableRecord::kPlayerCount, 8);
    table.SetI32(hall::TableRecord::kLookOnCount, 64);
    std::vector<uint8_t> out(room.bytes.begin(), room.bytes.end());
    out.insert(out.end(), table.bytes.begin(), table.bytes.end());
    for (int i = 0; i < 72; ++i) {
        Lumora::GameUserRecord u;
        u.SetUserId(1000 + i);
        u.SetChair(i < 8 ? i : 0);
        u.SetLookOn(i < 8 ? 0 : 1);
        out.insert(out.end(), u.Data(), u.Data() + 320);
    }
    std::string texts;
    for (int i = 0; i < 59; ++i)
        texts += "t" + std::to_string(i) + "|";
    texts.resize(hall::kTextBlockSize, '\0');
    out.insert(out.end(), texts.begin(), texts.end());
    hall::RoomListHeader header;
    header.SetI32(hall::RoomListHeader::kCount, 32);
    out.insert(out.end(), header.bytes.begin(), header.bytes.end());
    out.resize(out.size() + 32 * 64, 1);
    return hall::EncryptHallData(out);
}

void BM_ApplyLargestStartRecord(benchmark::State& state)
{
    auto record = LargestStartRecord();
    hall::HallState hall;
    for (auto _ : state) {
        auto plain = hall::DecryptHallData(record);
        benchmark::DoNotOptimize(hall::ApplyOrdinaryStartData(hall, *plain, {1000, 0, 0}));
    }
    state.counters["bytes"] = static_cast<double>(record.size());
}
BENCHMARK(BM_ApplyLargestStartRecord)->Unit(benchmark::kMicrosecond);

} // namespace

