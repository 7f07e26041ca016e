// Our frames and packager against the Python game peer over a loopback TCP connection: the
// peer checks every frame we send, and its answers (right and deliberately wrong) go through
// our receiver.
#include "net/ConnectionKeys.h"
#include "net/FrameReceiver.h"
#include "net/FrameSender.h"
#include "net/Md5.h"
#include "net/Oracle.h"
#include "net/Packager.h"
#include "net/Pieces.h"
#include "net/WireFrame.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace nettest;

namespace {

const uint8_t* GameKey() { return net::ConnectionKeyBlock(net::kGameKeyBlock); }

// The peer runs for one connection; its report lines are read after we hang up.
class Peer {
public:
    explicit Peer(const std::string& options)
    {
        const std::string command = std::string("/usr/bin/python3 ") + XL_SOURCE_DIR +
                                    "/tests/net/peers/channel_peer.py --once --key " + Hex(GameKey(), 16) + " " + options;
        pipe_ = popen(command.c_str(), "r");
        char line[128] = {};
        if (pipe_ && fgets(line, sizeof line, pipe_))
            std::sscanf(line, "LISTENING %d", &port_);
    }
    ~Peer()
    {
        Report(); // to the end: the peer exits once its connection is closed
        if (pipe_)
            pclose(pipe_);
    }
    int Port() const { return port_; }
    std::vector<std::string> Report()
    {
        std::vector<std::string> lines;
        char line[256];
        while (pipe_ && fgets(line, sizeof line, pipe_)) {
            std::string s(line);
            if (!s.empty() && s.back() == '\n')
                s.pop_back();
            lines.push_back(s);
        }
        return lines;
    }

private:
    FILE* pipe_ = nullptr;
    int port_ = 0;
};

class Client {
public:
    explicit Client(int port) : sender_(net::kGamePieceSize), receiver_(net::kGamePieceSize)
    {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        timeval tv{5, 0};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        receiver_.SetIdentity({uint32_t(fd_), 1});
    }
    ~Client() { Close(); }
    bool Connected() const { return connected_; }
    void Close()
    {
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
    }
    bool SendAll(const Bytes& bytes) { return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size()); }
    bool Greet() { return SendAll(net::BuildRawBlock(net::kGameGreeting, net::kGameGreetingLength)); }

    // Packs, cuts and sends one request; a reply, when wanted, is awaited before sending.
    uint32_t Request(uint32_t requestId, const Bytes& data, bool needsReply)
    {
        net::CBuffer body, pieces;
        net::PackMessage(net::MessageHead::WithId(requestId), data.data(), uint32_t(data.size()), GameKey(), 128, 0x100,
                         0, body);
        net::SplitBodyIntoPieces(body.GetData(), body.GetSize(), pieces, net::kGamePieceSize);
        const uint32_t id = sender_.NextMessageId();
        if (needsReply)
            receiver_.Replies().SetAwaitedReply(id);
        std::vector<Bytes> frames;
        sender_.BuildFrames(pieces.GetData(), pieces.GetSize(), id, needsReply, true, frames);
        for (const Bytes& f : frames)
            SendAll(f);
        return id;
    }

    // Reads until the receiver reports something other than NeedMore, or the peer hangs up.
    net::ReceiveEvent Receive(net::SocketMessageRecord& message)
    {
        for (;;) {
            net::CBuffer whole;
            const net::ReceiveEvent event = receiver_.Next(whole);
            if (event == net::ReceiveEvent::PushMessage || event == net::ReceiveEvent::ReplyMessage) {
                net::SocketContextRecord ctx;
                if (!net::UnpackMessage(whole.GetData(), whole.GetSize(), ctx, message, GameKey(), 128, 0x100, 0,
                                        net::kGamePieceSize))
                    return net::ReceiveEvent::Error;
                return event;
            }
            if (event == net::ReceiveEvent::Error)
                return event;
            uint8_t block[4096];
            const ssize_t n = recv(fd_, block, sizeof block, 0);
            if (n <= 0) {
                lastRecv_ = n < 0 ? errno : 0;
                return net::ReceiveEvent::NeedMore;
            }
            receiver_.Feed(block, size_t(n));
        }
    }
    net::FrameReceiver& Receiver() { return receiver_; }
    int LastRecvErrno() const { return lastRecv_; }

private:
    int fd_ = -1;
    bool connected_ = false;
    int lastRecv_ = 0;
    net::FrameSender sender_;
    net::FrameReceiver receiver_;
};

std::string Md5Hex(const Bytes& b)
{
    const auto d = net::MD5Digest(b.data(), b.size());
    return Hex(d.data(), d.size());
}

Bytes PeerPushData(uint32_t id, size_t size)
{
    Bytes b(size);
    for (size_t i = 0; i < size; ++i)
        b[i] = uint8_t((i * 7 + id) & 0xFF);
    return b;
}

TEST(LoopbackPeer, PushesRequestsAndRepliesBothWays)
{
    Peer peer("--push 222170:100,229160:5000,201160:9000");
    ASSERT_GT(peer.Port(), 0);
    Client client(peer.Port());
    ASSERT_TRUE(client.Connected());
    ASSERT_TRUE(client.Greet());
    net::SocketMessageRecord msg;
    const std::pair<uint32_t, size_t> pushes[] = {{222170, 100}, {229160, 5000}, {201160, 9000}};
    for (const auto& [id, size] : pushes) {
        ASSERT_EQ(client.Receive(msg), net::ReceiveEvent::PushMessage);
        EXPECT_EQ(msg.head.Id(), id);
        ASSERT_EQ(size_t(msg.length), size);
        EXPECT_TRUE(std::equal(msg.data, msg.data + size, PeerPushData(id, size).begin()));
        net::FreeMessageData(msg);
    }
    const Bytes notice = RandomBytes(64, 1), request = RandomBytes(9000, 2);
    client.Request(229010, notice, false);
    client.Request(201001, request, true);
    ASSERT_EQ(client.Receive(msg), net::ReceiveEvent::ReplyMessage);
    EXPECT_EQ(msg.head.Id(), 10u);
    ASSERT_EQ(size_t(msg.length), request.size());
    EXPECT_TRUE(std::equal(request.begin(), request.end(), msg.data));
    net::FreeMessageData(msg);
    client.Close();
    const auto report = peer.Report();
    const std::vector<std::string> expected = {"GREETING ok", "MESSAGE 229010 1 0 64 " + Md5Hex(notice),
                                               "MESSAGE 201001 2 1 9000 " + Md5Hex(request), "CLOSED"};
    EXPECT_EQ(report, expected);
}

struct FaultCase {
    const char* fault;
    net::ReceiveEvent expected;
    net::FrameError error;
};

class LoopbackFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(LoopbackFaults, AnswerIsTakenOrRefused)
{
    const FaultCase& c = GetParam();
    Peer peer(std::string("--fault ") + c.fault);
    Client client(peer.Port());
    ASSERT_TRUE(client.Connected());
    client.Greet();
    client.Request(229010, RandomBytes(10, 3), false); // lets a stale reply name message 1
    client.Request(201001, RandomBytes(300, 4), true);
    net::SocketMessageRecord msg;
    EXPECT_EQ(client.Receive(msg), c.expected) << c.fault;
    if (c.expected == net::ReceiveEvent::ReplyMessage) {
        EXPECT_EQ(msg.length, 300);
        net::FreeMessageData(msg);
    }
    if (c.expected == net::ReceiveEvent::Error) {
        EXPECT_EQ(client.Receiver().LastError(), c.error) << c.fault;
    }
    client.Close();
    const auto report = peer.Report();
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report.front(), "GREETING ok");
    EXPECT_EQ(report.back(), "CLOSED");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LoopbackFaults,
    ::testing::Values(FaultCase{"len24", net::ReceiveEvent::ReplyMessage, net::FrameError::None},
                      FaultCase{"stale-reply", net::ReceiveEvent::ReplyMessage, net::FrameError::None},
                      FaultCase{"bad-crc", net::ReceiveEvent::Error, net::FrameError::BadChecksum},
                      FaultCase{"len56", net::ReceiveEvent::Error, net::FrameError::BadLength},
                      FaultCase{"huge-length", net::ReceiveEvent::Error, net::FrameError::BadLength},
                      FaultCase{"ahead-reply", net::ReceiveEvent::Error, net::FrameError::UnexpectedReply},
                      FaultCase{"fin", net::ReceiveEvent::NeedMore, net::FrameError::None}),
    [](const auto& info) {
        std::string name = info.param.fault;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST(LoopbackPeer, OutOfOrderPushIsDroppedAndResetIsSeen)
{
    {
        Peer peer("--fault out-of-order --push 201160:9000,222170:10");
        Client client(peer.Port());
        client.Greet();
        net::SocketMessageRecord msg;
        // The three-piece push arrives 1, 3, 2: dropped without error; the next one is whole.
        ASSERT_EQ(client.Receive(msg), net::ReceiveEvent::PushMessage);
        EXPECT_EQ(msg.head.Id(), 222170u);
        net::FreeMessageData(msg);
    }
    Peer peer("--fault rst");
    Client client(peer.Port());
    client.Greet();
    client.Request(201001, RandomBytes(8, 5), true);
    net::SocketMessageRecord msg;
    EXPECT_EQ(client.Receive(msg), net::ReceiveEvent::NeedMore);
    EXPECT_EQ(client.LastRecvErrno(), ECONNRESET);
}

} // namespace
