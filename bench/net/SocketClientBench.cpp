// Request/reply round trips of the socket client beside a raw TCP ping-pong of the same bytes,
// and the rate at which pushed notifications reach the owner thread. The server side is an
// in-process peer on loopback built from the codec (its cost is small and the same each time).
#include "bench/support/GamePeer.h"
#include "net/Packager.h"
#include "net/Pieces.h"
#include "net/SocketClient.h"
#include "net/WireFrame.h"
#include "platform/MessageLoop.h"
#include "platform/MessageQueue.h"
#include "platform/MessageThread.h"
#include "platform/Socket.h"
#include "platform/Window.h"
#include "platform/SocketListener.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using namespace net;
using Clock = std::chrono::steady_clock;

namespace {

using benchsupport::kPeerAes;
using benchsupport::PeerGameKey;
constexpr uint32_t kRequestId = 100;
constexpr uint32_t kPushRequest = 101;
constexpr size_t kRecordSize = 64; // a typical request record
constexpr uint32_t kPushBurst = 10000;

// The frames of one packed message.
std::vector<uint8_t> Frames(uint32_t type, uint32_t messageId, uint32_t id, const std::vector<uint8_t>& data,
                            uint32_t& serial)
{
    CBuffer body, pieces;
    PackMessage(MessageHead::WithId(id), data.data(), uint32_t(data.size()), PeerGameKey(), 128, kPeerAes, 0, body);
    SplitBodyIntoPieces(body.GetData(), body.GetSize(), pieces, kGamePieceSize);
    std::vector<uint8_t> out;
    const uint8_t* p = pieces.GetData();
    size_t left = pieces.GetSize();
    for (uint32_t index = 1; left >= 5; ++index) {
        uint32_t n;
        std::memcpy(&n, p, 4);
        ChunkHeader h;
        h.type = type;
        h.serial = ++serial;
        h.messageId = messageId;
        h.pieceIndex = index;
        h.lastPiece = left - 4 - n < 5 ? 1 : 0;
        const auto f = BuildFrame(h, p + 4, n, true);
        out.insert(out.end(), f.begin(), f.end());
        p += 4 + n;
        left -= 4 + n;
    }
    return out;
}

// Serves one client: answers request kRequestId with a reply of the same data, and answers
// kPushRequest (data: u32 count) with that many small pushes.
class Peer {
public:
    uint16_t Port() const { return peer_.Port(); }

private:
    bool Handle(platform::TcpSocket& s, const CBuffer& message)
    {
        SocketContextRecord context = SocketContextRecord::Decode(message.GetData());
        if (context.messageId == 1) { // the push request comes first and alone
            SocketMessageRecord m;
            if (!benchsupport::UnpackClientMessage(message, context, m))
                return false;
            FreeMessageData(m);
            if (m.head.Id() == kPushRequest) {
                const std::vector<uint8_t> record(16, 7);
                std::vector<uint8_t> burst;
                for (uint32_t i = 0; i < kPushBurst; ++i) {
                    const auto f = Frames(kFrameTypePush, i + 1, 500, record, serial_);
                    burst.insert(burst.end(), f.begin(), f.end());
                }
                pushing_ = true;
                burst_ = std::move(burst);
            }
        }
        if (pushing_) {
            s.SendAll(burst_.data(), burst_.size(), 10000);
            return true;
        }
        // Replies are packed once; only their message id and CRC change, so the peer costs
        // about what the raw echo costs.
        if (reply_.empty())
            reply_ = Frames(kFrameTypeReply, 1, 10, std::vector<uint8_t>(kRecordSize, 3), serial_);
        std::memcpy(&reply_[4 + 24], &context.messageId, 4);
        benchsupport::SealFrame(reply_);
        s.SendAll(reply_.data(), reply_.size(), 5000);
        return true;
    }

    bool pushing_ = false;
    uint32_t serial_ = 0;
    std::vector<uint8_t> burst_;
    std::vector<uint8_t> reply_;
    // Last: its thread starts after the state above and is joined before it goes.
    benchsupport::GamePeer peer_{[this](platform::TcpSocket& s, const CBuffer& m) { return Handle(s, m); }};
};

// Counts the pushes that reach it and frees their records.
class Owner {
public:
    Owner()
    {
        platform::Event ready(platform::Event::Mode::kManual);
        thread_ = std::make_unique<platform::MessageThread>([this, &ready] {
            platform::CurrentQueue();
            ready.Set();
            platform::Message m;
            while (platform::GetNextMessage(m) && m.id != platform::kMsgUser) {
                if (m.id == WM_SOCKET_NOTIFY) {
                    ReleaseSocketNotify(m.wparam, m.lparam);
                    if (++count_ == target_.load())
                        reached_.Set();
                }
            }
        });
        ready.Wait();
    }
    ~Owner()
    {
        platform::PostToThread(thread_->Id(), platform::kMsgUser);
        thread_.reset();
    }
    platform::ThreadId Id() const { return thread_->Id(); }
    uint64_t Count() const { return count_.load(); }
    // Arms a wait for the count to reach `target`.
    void Expect(uint64_t target)
    {
        reached_.Reset();
        target_ = target;
        if (count_.load() >= target)
            reached_.Set();
    }
    bool Wait(uint32_t ms) { return reached_.Wait(ms); }

private:
    std::atomic<uint64_t> count_{0};
    std::atomic<uint64_t> target_{0};
    platform::Event reached_{platform::Event::Mode::kManual};
    std::unique_ptr<platform::MessageThread> thread_;
};

// Voluntary and involuntary context switches of the whole process so far (every thread).
double ContextSwitches()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_nvcsw + usage.ru_nivcsw);
}

bool Connect(CDefSocketClient& client, const Peer& peer, const Owner& owner, benchmark::State& state)
{
    if (client.Create("127.0.0.1", peer.Port(), 5, 0, owner.Id(), false, kGameGreeting, kGameGreetingLength, 0))
        return true;
    state.SkipWithError("connect failed");
    return false;
}

// The same bytes each way as one request and its reply, over two plain sockets. With a reader
// thread, the reply is read there and handed to the requester, as the client's socket thread
// does: the floor of that design. Without, the requester reads it itself.
class PingPong {
public:
    explicit PingPong(bool readerThread)
    {
        uint32_t serial = 0;
        ping_ = Frames(kFrameTypePush, 1, kRequestId, std::vector<uint8_t>(kRecordSize, 3), serial);
        back_.resize(ping_.size());
        client_ = platform::TcpSocket::Open();
        client_.Connect({platform::LoopbackAddress(), listener_.Port()}, 2000);
        client_.SetNoDelay(true);
        echo_ = std::thread([this] {
            platform::TcpSocket s = listener_.Accept(2000);
            s.SetNoDelay(true);
            std::vector<uint8_t> buf(ping_.size());
            while (!stop_ && s.ReceiveExact(buf.data(), buf.size(), 1000))
                s.SendAll(buf.data(), buf.size(), 1000);
        });
        if (readerThread) {
            // As plainly as a reader can be written: it sleeps in a blocking read of the whole
            // reply and hands it over, with no readiness wait or time-out in between.
            const int fd = client_.Fd();
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            reader_ = std::thread([this, fd] {
                for (;;) {
                    size_t got = 0;
                    while (got < back_.size()) {
                        const ssize_t n = ::recv(fd, back_.data() + got, back_.size() - got, MSG_WAITALL);
                        if (n <= 0)
                            return;
                        got += size_t(n);
                    }
                    {
                        std::lock_guard lock(mutex_);
                        replied_ = true;
                    }
                    arrived_.notify_one();
                }
            });
        }
    }
    ~PingPong()
    {
        stop_ = true;
        if (reader_.joinable()) {
            client_.Shutdown(); // ends the blocking read
            reader_.join();
        }
        client_.Close();
        echo_.join();
    }
    void RoundTrip()
    {
        client_.SendAll(ping_.data(), ping_.size(), 1000);
        if (reader_.joinable()) {
            std::unique_lock lock(mutex_);
            arrived_.wait(lock, [this] { return replied_; });
            replied_ = false;
        } else {
            client_.WaitReadable(1000); // the client thread wakes on readiness, as the socket thread does
            client_.ReceiveExact(back_.data(), back_.size(), 1000);
        }
    }
    size_t Bytes() const { return ping_.size(); }

private:
    std::vector<uint8_t> ping_, back_;
    platform::SocketListener listener_;
    platform::TcpSocket client_;
    std::atomic<bool> stop_{false};
    std::thread echo_, reader_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    bool replied_ = false;
};

// Round trips of the client beside its two floors, taken in turn so that each figure and its
// anchors share the same moments of the machine: a raw blocking ping-pong, and one whose reply is
// handed over by a reader thread (the floor of the socket-thread design). Median and 99th
// percentile of each, and context switches of the whole process a round trip.
void BM_RequestReplyBesideFloors(benchmark::State& state)
{
    Peer peer;
    Owner owner;
    CDefSocketClient client(PeerGameKey(), 128, kPeerAes, 0);
    if (!Connect(client, peer, owner, state))
        return;
    PingPong raw(false), handOff(true);
    std::vector<uint8_t> record(kRecordSize, 3);
    SocketContextRecord context;
    context.needsReply = 1;
    SocketMessageRecord request;
    request.head = MessageHead::WithId(kRequestId);
    request.length = int32_t(record.size());
    request.data = record.data();
    std::vector<double> us[3];
    double switches[3] = {};
    auto timed = [&](int kind, auto roundTrip) {
        const double before = ContextSwitches();
        const auto t0 = Clock::now();
        roundTrip();
        us[kind].push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        switches[kind] += ContextSwitches() - before;
    };
    for (auto _ : state) {
        bool ok = true;
        timed(0, [&] {
            SocketMessageRecord reply;
            int timedOut = 0;
            ok = client.SendRequest(context, request, &reply, &timedOut, 5000, 0, 0, 1);
            FreeMessageData(reply);
        });
        if (!ok) {
            state.SkipWithError("request failed");
            break;
        }
        timed(1, [&] { handOff.RoundTrip(); });
        timed(2, [&] { raw.RoundTrip(); });
    }
    const char* names[3] = {"client", "handoff", "raw"};
    double p50[3] = {};
    for (int k = 0; k < 3; ++k) {
        if (us[k].empty())
            return;
        std::sort(us[k].begin(), us[k].end());
        p50[k] = us[k][us[k].size() / 2];
        state.counters[std::string(names[k]) + "_p50_us"] = p50[k];
        state.counters[std::string(names[k]) + "_p99_us"] = us[k][std::min(us[k].size() - 1, us[k].size() * 99 / 100)];
        state.counters[std::string(names[k]) + "_switches"] = switches[k] / double(us[k].size());
    }
    state.counters["client_x_handoff_p50"] = p50[0] / p50[1];
    state.counters["client_x_raw_p50"] = p50[0] / p50[2];
    state.counters["bytes_each_way"] = double(raw.Bytes());
    client.Close();
}
BENCHMARK(BM_RequestReplyBesideFloors)->UseRealTime()->MinTime(2.0);

// Small pushed records delivered to the owner thread, per second.
void BM_PushedNotifications(benchmark::State& state)
{
    Peer peer;
    Owner owner;
    CDefSocketClient client(PeerGameKey(), 128, kPeerAes, 0);
    if (!Connect(client, peer, owner, state))
        return;
    const uint32_t burst = kPushBurst;
    std::vector<uint8_t> count(4);
    std::memcpy(count.data(), &burst, 4);
    SocketContextRecord context;
    SocketMessageRecord request;
    request.head = MessageHead::WithId(kPushRequest);
    request.length = 4;
    request.data = count.data();
    uint64_t delivered = 0;
    for (auto _ : state) {
        owner.Expect(owner.Count() + burst);
        client.SendRequest(context, request, nullptr, nullptr, 5000, 0, 0, 1);
        if (!owner.Wait(10000)) {
            state.SkipWithError("pushes lost");
            break;
        }
        delivered += burst;
    }
    state.counters["pushes_per_s"] = benchmark::Counter(double(delivered), benchmark::Counter::kIsRate);
    client.Close();
}
BENCHMARK(BM_PushedNotifications)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
