// Waited requests through the whole stack (record, pack, AES, frames, CRC, loopback, the peer,
// reassembly, unpack, wake) with replies of 0, 108, 1104 and 8001 bytes from an in-process C++
// echo peer built from the codec; and the cost of building each request record and reading its
// reply with no socket at all (a connection whose send step hands back a canned reply).
#include "bench/support/GamePeer.h"
#include "framework/connection/CGameConnect.h"
#include "framework/connection/RequestIds.h"
#include "net/FrameSender.h"
#include "net/Packager.h"
#include "net/Pieces.h"
#include "net/WireFrame.h"
#include "platform/Socket.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Answers every request with a reply of the size the request's first word asks for.
class EchoPeer {
public:
    uint16_t Port() const { return peer_.Port(); }

private:
    bool Handle(platform::TcpSocket& s, const net::CBuffer& message)
    {
        net::SocketContextRecord context = net::SocketContextRecord::Decode(message.GetData());
        net::SocketMessageRecord m;
        if (!benchsupport::UnpackClientMessage(message, context, m))
            return false;
        uint32_t size = 0;
        if (m.length >= 4)
            std::memcpy(&size, m.data, 4);
        net::FreeMessageData(m);
        if (context.needsReply)
            Reply(s, context.messageId, std::vector<uint8_t>(size, 7));
        return true;
    }

    void Reply(platform::TcpSocket& s, uint32_t messageId, const std::vector<uint8_t>& data)
    {
        net::CBuffer body, pieces;
        net::PackMessage(net::MessageHead::WithId(ReplyCode::Success), data.data(), uint32_t(data.size()),
                         benchsupport::PeerGameKey(), 128, benchsupport::kPeerAes, 0, body);
        net::SplitBodyIntoPieces(body.GetData(), body.GetSize(), pieces, net::kGamePieceSize);
        std::vector<std::vector<uint8_t>> frames;
        sender_.BuildFrames(pieces.GetData(), pieces.GetSize(), messageId, false, true, frames);
        for (auto& f : frames) {
            // The sender makes request frames; a reply differs in its type word only.
            const uint32_t type = net::kFrameTypeReply;
            std::memcpy(&f[4], &type, 4);
            benchsupport::SealFrame(f);
            s.SendAll(f.data(), f.size(), 5000);
        }
    }

    net::FrameSender sender_{net::kGamePieceSize};
    // Last: its thread starts after the sender and is joined before it goes.
    benchsupport::GamePeer peer_{[this](platform::TcpSocket& s, const net::CBuffer& m) { return Handle(s, m); }};
};

void BM_WaitedRequest(benchmark::State& state)
{
    EchoPeer peer;
    CGameConnect connect(nullptr, 0, 0, 0);
    connect.SetupEncryption();
    int proxyFailed = 0;
    if (!connect.OpenGameChannel("Game", "127.0.0.1", peer.Port(), &proxyFailed)) {
        state.SkipWithError("connect failed");
        return;
    }
    uint8_t record[64] = {};
    const uint32_t size = uint32_t(state.range(0));
    std::memcpy(record, &size, 4);
    std::vector<double> us;
    std::string text;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        GameReply reply;
        if (!connect.SendRequest(text, 100, record, sizeof record, reply, true) || reply.length != int32_t(size)) {
            state.SkipWithError("request failed");
            break;
        }
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    if (!us.empty()) {
        std::sort(us.begin(), us.end());
        state.counters["p50_us"] = us[us.size() / 2];
        state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
    }
    connect.CloseAll();
}
BENCHMARK(BM_WaitedRequest)->Arg(0)->Arg(108)->Arg(1104)->Arg(8001)->UseRealTime();

// A connection whose send step is a copy of a canned reply: what remains is the record
// building and the reply reading of each operation.
class CannedConnect : public CGameConnect {
public:
    CannedConnect() : CGameConnect(nullptr, 0, 0, 0) { SetApp(&app_); }
    bool SendRequest(std::string&, uint32_t, const void*, uint32_t, GameReply& reply, bool wantReply) override
    {
        if (!wantReply)
            return true;
        reply.code = code;
        reply.length = int32_t(data.size());
        reply.data = std::make_unique<uint8_t[]>(data.size());
        std::memcpy(reply.data.get(), data.data(), data.size());
        return true;
    }
    uint32_t code = ReplyCode::Success;
    std::vector<uint8_t> data;

private:
    class App : public IClientApp {
    public:
        App() { own_.SetUserId(1001); }
        uint32_t GetUserID() const override { return 1001; }
        const Lumora::GameUserRecord* GetOwnUserRecord() const override { return &own_; }
        std::span<uint8_t> GetGameInfoBlockA() override { return blockA_; }
        std::string GetMachineID() const override { return "0123456789abcdef0123456789abcdef"; }

    private:
        Lumora::GameUserRecord own_;
        uint8_t blockA_[256] = {};
    } app_;
};

void BM_SendChatRecord(benchmark::State& state)
{
    CannedConnect c;
    for (auto _ : state)
        benchmark::DoNotOptimize(c.SendChat("你好，大家好"));
}
BENCHMARK(BM_SendChatRecord);

void BM_EnterGameAndBlockA(benchmark::State& state)
{
    CannedConnect c;
    c.code = ReplyCode::EnteredPlayer;
    c.data.assign(256, 1);
    std::string text;
    for (auto _ : state)
        benchmark::DoNotOptimize(c.EnterGame(text));
}
BENCHMARK(BM_EnterGameAndBlockA);

void BM_FeatureConfigReply(benchmark::State& state)
{
    CannedConnect c;
    c.data.assign(1104, 0);
    const uint32_t head[12] = {1, 10, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::memcpy(c.data.data(), head, sizeof head);
    const char tokens[] = "1x2!a|3x4!b|5x6!c|7x8!d|!e|f|9x9!g|1x1!h|2x2!i|3x3!j";
    std::memcpy(c.data.data() + 48, tokens, sizeof tokens);
    std::string text;
    for (auto _ : state)
        benchmark::DoNotOptimize(c.GetFeatureConfig(text));
}
BENCHMARK(BM_FeatureConfigReply);

void BM_TakeDepositLimitText(benchmark::State& state)
{
    CannedConnect c;
    c.code = ReplyCode::DailyLimit;
    c.data = {0x10, 0x27, 0, 0, 0x20, 0x4E, 0, 0};
    std::string text;
    for (auto _ : state)
        benchmark::DoNotOptimize(c.TakeDeposit(text, 100, 0));
}
BENCHMARK(BM_TakeDepositLimitText);

} // namespace

