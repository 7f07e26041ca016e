// Reassembly of one 16 MiB pushed message from checksummed 4000-byte pieces, fed to the receiver
// in the blocks the socket thread reads (4096 bytes). Each iteration takes the message out whole.
#include "net/FrameReceiver.h"
#include "net/SocketClient.h"
#include "net/WireFrame.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

constexpr uint32_t kPiece = 4000;

std::vector<uint8_t> MessageFrames(size_t bodySize)
{
    std::vector<uint8_t> piece(kPiece);
    for (size_t i = 0; i < piece.size(); ++i)
        piece[i] = uint8_t(i * 131 + 7);
    std::vector<uint8_t> stream;
    net::ChunkHeader h;
    h.messageId = 1;
    for (size_t done = 0; done < bodySize;) {
        const uint32_t n = uint32_t(std::min<size_t>(kPiece, bodySize - done));
        done += n;
        ++h.pieceIndex;
        h.lastPiece = done == bodySize ? 1 : 0;
        const auto frame = net::BuildFrame(h, piece.data(), n, true);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    return stream;
}

void BM_Reassemble(benchmark::State& state)
{
    const auto stream = MessageFrames(size_t(state.range(0)));
    net::CBuffer message;
    size_t whole = 0;
    for (auto _ : state) {
        net::FrameReceiver receiver(kPiece);
        for (size_t at = 0; at < stream.size(); at += net::kReceiveBlockSize) {
            receiver.Feed(stream.data() + at, std::min<size_t>(net::kReceiveBlockSize, stream.size() - at));
            while (receiver.Next(message) == net::ReceiveEvent::PushMessage)
                ++whole;
        }
    }
    state.counters["whole"] = benchmark::Counter(double(whole), benchmark::Counter::kAvgIterations);
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Reassemble)->Arg(1 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);

} // namespace
