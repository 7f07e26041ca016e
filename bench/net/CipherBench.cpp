// AES-128-ECB and MD5 beside their anchors measured in the same run: OpenSSL's EVP AES on the
// same megabyte, and the system's md5sum on the same 256 MiB.
#include "net/AesCryptBuffer.h"
#include "net/ConnectionKeys.h"
#include "net/Md5.h"
#include "net/Rijndael.h"
#include "tests/support/TiedChild.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<uint8_t> RandomBytes(size_t n)
{
    std::mt19937_64 gen(7);
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i + 8 <= n; i += 8) {
        const uint64_t v = gen();
        std::memcpy(b.data() + i, &v, 8);
    }
    return b;
}

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Args: 1 encrypts, 0 decrypts; 1 lets the processor's instructions in, 0 takes the portable tables.
void BM_Aes128EcbBesideOpenSsl(benchmark::State& state)
{
    const bool encrypt = state.range(0) != 0;
    net::CRijndael aes(state.range(1) ? net::CRijndael::Engine::Auto : net::CRijndael::Engine::Portable);
    const uint8_t* key = net::ConnectionKeyBlock(net::kGameKeyBlock);
    aes.SetKey(key, 128);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_CipherInit_ex(ctx, EVP_aes_128_ecb(), nullptr, key, nullptr, encrypt ? 1 : 0);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    auto ours = RandomBytes(1 << 20);
    auto theirs = ours;
    double oursSeconds = 0, theirSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        if (encrypt)
            aes.EncryptBlocks(ours.data(), ours.data(), ours.size() / 16);
        else
            aes.DecryptBlocks(ours.data(), ours.data(), ours.size() / 16);
        oursSeconds += Seconds(start);
        start = Clock::now();
        int written = 0;
        EVP_CipherUpdate(ctx, theirs.data(), &written, theirs.data(), int(theirs.size()));
        theirSeconds += Seconds(start);
        benchmark::DoNotOptimize(ours.data());
        benchmark::DoNotOptimize(theirs.data());
    }
    if (ours != theirs)
        state.SkipWithError("our bytes differ from OpenSSL's");
    EVP_CIPHER_CTX_free(ctx);
    const double mib = double(state.iterations());
    state.counters["ours_MiB/s"] = mib / oursSeconds;
    state.counters["openssl_MiB/s"] = mib / theirSeconds;
    state.counters["x_openssl"] = theirSeconds / oursSeconds;
    state.SetLabel(aes.UsesHardware() ? "aes instructions" : "portable tables");
}
BENCHMARK(BM_Aes128EcbBesideOpenSsl)
    ->ArgNames({"encrypt", "hw"})
    ->Args({1, 1})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({0, 0})
    ->MinTime(0.5);

// A 100-byte message through the buffer cipher, as the game channel sends it: the key schedule is
// the connection's, not expanded again for each message.
void BM_AesCryptBufferSmallMessage(benchmark::State& state)
{
    const uint8_t* key = net::ConnectionKeyBlock(net::kGameKeyBlock);
    const auto plain = RandomBytes(100);
    std::vector<uint8_t> cipher(net::AesPaddedLength(plain.size()));
    size_t produced = 0;
    for (auto _ : state) {
        net::AesCryptBuffer(key, 128, plain.data(), plain.size(), cipher.data(), &produced, net::kAesFlag | net::kCryptEncode);
        benchmark::DoNotOptimize(cipher.data());
    }
}
BENCHMARK(BM_AesCryptBufferSmallMessage);

// Best of three each: ours on the bytes in memory, md5sum on the same bytes in a file it reads
// from the page cache (its start-up is a millisecond of the ~half second).
void BM_Md5BesideMd5sum(benchmark::State& state)
{
    const auto data = RandomBytes(size_t(256) << 20);
    const std::string path = (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + std::string("/md5bench_") +
                             std::to_string(::getpid());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    double ours = 1e9, theirs = 1e9;
    std::string ourHex, theirHex;
    for (auto _ : state) {
        for (int i = 0; i < 3; ++i) {
            auto start = Clock::now();
            const auto digest = net::MD5Digest(data.data(), data.size());
            ours = std::min(ours, Seconds(start));
            ourHex.clear();
            for (uint8_t b : digest) {
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02x", b);
                ourHex += hex;
            }
            start = Clock::now();
            const std::string line = xltest::RunProgram({"md5sum", path}).out;
            theirs = std::min(theirs, Seconds(start));
            theirHex = line.substr(0, 32);
        }
    }
    std::remove(path.c_str());
    if (ourHex != theirHex)
        state.SkipWithError("our digest differs from md5sum's");
    const double mib = double(data.size()) / (1 << 20);
    state.counters["ours_MiB/s"] = mib / ours;
    state.counters["md5sum_MiB/s"] = mib / theirs;
    state.counters["x_md5sum"] = theirs / ours;
}
BENCHMARK(BM_Md5BesideMd5sum)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
