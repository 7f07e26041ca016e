// The room-switch decision over a full list: 64 rooms (unsorted, overlapping ranges) and a full
// configuration of 64 tip entries.
#include "framework/switchroom/SwitchRoom.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void BM_SwitchRoomStatus64(benchmark::State& state)
{
    std::vector<switchroom::RoomRange> rooms;
    for (int i = 0; i < 64; ++i)
        rooms.push_back({i + 1, ((i * 37) % 64) * 1000, ((i * 37) % 64) * 1000 + 5000});
    std::vector<int32_t> words(130, 0);
    words[0] = 64;
    words[1] = 600;
    for (int i = 0; i < 64; ++i) {
        words[size_t(2 + 2 * i)] = i + 1;
        words[size_t(3 + 2 * i)] = 1500 + i;
    }
    const auto config = switchroom::Config::FromReply(reinterpret_cast<const uint8_t*>(words.data()), 520);
    int32_t value = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(switchroom::GetSwitchRoomStatus(rooms, 33, config, value));
        value = (value + 997) % 70000;
    }
}
BENCHMARK(BM_SwitchRoomStatus64)->Unit(benchmark::kMicrosecond);

} // namespace
