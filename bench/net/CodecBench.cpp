// Throughput of the transport's ciphers, digests, packager and frame codec.
#include "net/ConnectionKeys.h"
#include "net/Crc32.h"
#include "net/FrameReceiver.h"
#include "net/Packager.h"
#include "net/Pieces.h"
#include "net/WireFrame.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(size_t n, bool compressible = false)
{
    std::mt19937 gen(1);
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = compressible ? static_cast<uint8_t>("tile discard peng gang hu "[i % 26] + (gen() % 8 == 0)) : uint8_t(gen());
    return b;
}

// Pack: message -> body; unpack: body -> message, with the game's AES stage and optionally zlib.
void BM_Pack(benchmark::State& state)
{
    const size_t size = size_t(state.range(0));
    const uint32_t compress = state.range(1) ? net::kZlibFlag : 0;
    const auto data = Bytes(size, compress != 0);
    const uint8_t* key = net::ConnectionKeyBlock(net::kGameKeyBlock);
    net::CBuffer body;
    for (auto _ : state) {
        net::PackMessage(net::MessageHead::WithId(1), data.data(), uint32_t(size), key, 128, 0x100, compress, body);
        benchmark::DoNotOptimize(body.GetData());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}
BENCHMARK(BM_Pack)->ArgsProduct({{1 << 10, 16 << 10, 256 << 10}, {0, 1}});

void BM_Unpack(benchmark::State& state)
{
    const size_t size = size_t(state.range(0));
    const uint32_t compress = state.range(1) ? net::kZlibFlag : 0;
    const auto data = Bytes(size, compress != 0);
    const uint8_t* key = net::ConnectionKeyBlock(net::kGameKeyBlock);
    net::CBuffer body;
    net::PackMessage(net::MessageHead::WithId(1), data.data(), uint32_t(size), key, 128, 0x100, compress, body);
    for (auto _ : state) {
        net::CBuffer copy = body;
        net::CPackager packager(key, 128, 0x100, compress);
        benchmark::DoNotOptimize(packager.Pack(copy, net::kPackDecode));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}
BENCHMARK(BM_Unpack)->ArgsProduct({{1 << 10, 16 << 10, 256 << 10}, {0, 1}});

void BM_FrameBuild(benchmark::State& state)
{
    const auto piece = Bytes(4000);
    net::ChunkHeader h;
    h.messageId = 1;
    h.pieceIndex = 1;
    h.lastPiece = 1;
    for (auto _ : state) {
        auto frame = net::BuildFrame(h, piece.data(), 4000, true);
        benchmark::DoNotOptimize(frame.data());
    }
}
BENCHMARK(BM_FrameBuild);

void BM_FrameValidate(benchmark::State& state)
{
    const auto piece = Bytes(4000);
    net::ChunkHeader h;
    const auto frame = net::BuildFrame(h, piece.data(), 4000, true);
    for (auto _ : state)
        benchmark::DoNotOptimize(net::ValidateFrame(frame.data(), frame.size(), 4000));
}
BENCHMARK(BM_FrameValidate);

// Receive path for one 4000-byte push frame: cut, validate, reassemble.
void BM_FrameReceive(benchmark::State& state)
{
    const auto piece = Bytes(4000);
    net::ChunkHeader h;
    h.messageId = 1;
    h.pieceIndex = 1;
    h.lastPiece = 1;
    const auto frame = net::BuildFrame(h, piece.data(), 4000, true);
    net::FrameReceiver receiver(4000);
    net::CBuffer message;
    for (auto _ : state) {
        receiver.Feed(frame.data(), frame.size());
        benchmark::DoNotOptimize(receiver.Next(message));
    }
}
BENCHMARK(BM_FrameReceive);

void BM_Crc32(benchmark::State& state)
{
    const auto data = Bytes(64 << 20);
    for (auto _ : state)
        benchmark::DoNotOptimize(net::Crc32(data.data(), data.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_Crc32)->Unit(benchmark::kMillisecond);

} // namespace

