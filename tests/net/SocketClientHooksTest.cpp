// The socket client's overridable steps: each is virtual, in the order the framework's
// connection classes expect, and a subclass that overrides one is called on the real paths.
#include "LocalDaemons.h"
#include "SocketClientFixture.h"

#include "net/ConnectionKeys.h"
#include "net/WireFrame.h"
#include "platform/Event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

using namespace nettest;

namespace {

// Itanium C++ ABI: a pointer to a virtual member holds 1 + its byte offset in the vtable.
template <typename M>
ptrdiff_t Slot(M member)
{
    ptrdiff_t raw;
    static_assert(sizeof(M) >= sizeof raw);
    std::memcpy(&raw, &member, sizeof raw);
    return raw;
}

class Probe : public net::CDefSocketClient {
public:
    Probe() : CDefSocketClient(net::ConnectionKeyBlock(net::kGameKeyBlock), 128, 0x100, 0) {}
    ~Probe() override { Close(); } // before this class's overrides go

    static std::vector<ptrdiff_t> Slots()
    {
        using C = Probe;
        return {Slot(&C::Create), Slot(&C::Close), Slot(&C::CloseWait), Slot(&C::Attach), Slot(&C::SendRequest),
                Slot(&C::GetSocket), Slot(&C::GetConnectionTag), Slot(&C::SetConnectionTag), Slot(&C::IsConnected),
                Slot(&C::SetKey), Slot(&C::Connect), Slot(&C::MarkContextsClosing), Slot(&C::ClearContexts),
                Slot(&C::InitContext), Slot(&C::FindContext), Slot(&C::FirstContext), Slot(&C::SetContext),
                Slot(&C::NewSocket), Slot(&C::ConnectTimeout), Slot(&C::Bind), Slot(&C::CreateSocketWindow),
                Slot(&C::WaitThreadReady), Slot(&C::SocketThreadLoop), Slot(&C::ValidateFrame), Slot(&C::OnFrame),
                Slot(&C::DeliverPush), Slot(&C::DeliverReply), Slot(&C::OnSocketError), Slot(&C::OnSocketClose),
                Slot(&C::OnReceive), Slot(&C::OnWritable), Slot(&C::SendMessage), Slot(&C::SendChunk),
                Slot(&C::SendRaw), Slot(&C::RawRecv), Slot(&C::RawSend), Slot(&C::ReceiveLoop), Slot(&C::SendLoop),
                Slot(&C::GetReceiveBlockSize), Slot(&C::OnRawData), Slot(&C::SetAwaitedReply),
                Slot(&C::GetAwaitedReply), Slot(&C::AppendPiece), Slot(&C::WaitGreeting), Slot(&C::OnFirstData),
                Slot(&C::SplitBody), Slot(&C::JoinBody), Slot(&C::SelectKey)};
    }

    int Calls(const std::string& name)
    {
        std::lock_guard lock(lock_);
        return calls_[name];
    }

protected:
    void Count(const char* name)
    {
        std::lock_guard lock(lock_);
        ++calls_[name];
    }
    bool InitContext(const std::string& host, uint16_t port) override
    {
        Count("InitContext");
        return CDefSocketClient::InitContext(host, port);
    }
    platform::TcpSocket NewSocket(int spare) override
    {
        Count("NewSocket");
        return CDefSocketClient::NewSocket(spare);
    }
    bool CreateSocketWindow(Connection& c) override
    {
        Count("CreateSocketWindow");
        return CDefSocketClient::CreateSocketWindow(c);
    }
    bool ValidateFrame(const uint8_t* frame, size_t size, Connection& c) override
    {
        Count("ValidateFrame");
        return CDefSocketClient::ValidateFrame(frame, size, c);
    }
    bool DeliverPush(const net::CBuffer& reassembled, Connection& c) override
    {
        Count("DeliverPush");
        return CDefSocketClient::DeliverPush(reassembled, c);
    }
    bool DeliverReply(const net::CBuffer& reassembled, Connection& c) override
    {
        Count("DeliverReply");
        return CDefSocketClient::DeliverReply(reassembled, c);
    }
    bool SendChunk(Connection& c, const uint8_t* piece, uint32_t length, const net::ChunkHeader& header,
                   int checksumRequest, std::vector<uint8_t>& wire) override
    {
        Count("SendChunk");
        return CDefSocketClient::SendChunk(c, piece, length, header, checksumRequest, wire);
    }
    platform::IoResult RawRecv(Connection& c, void* buffer, size_t size) override
    {
        Count("RawRecv");
        return CDefSocketClient::RawRecv(c, buffer, size);
    }
    // Reads in small blocks: frames then arrive split, which reassembly must not notice.
    size_t GetReceiveBlockSize() const override { return 97; }
    void AppendPiece(net::CBuffer& buffer, const net::ChunkHeader& header, const uint8_t* piece, uint32_t length,
                     const net::ConnectionIdentity& who) override
    {
        Count("AppendPiece");
        CDefSocketClient::AppendPiece(buffer, header, piece, length, who);
    }
    size_t SplitBody(const net::CBuffer& body, net::CBuffer& pieces, uint32_t maxPieceSize) override
    {
        Count("SplitBody");
        return CDefSocketClient::SplitBody(body, pieces, maxPieceSize);
    }
    size_t JoinBody(const uint8_t* pieces, size_t size, net::CBuffer& body, uint32_t maxPieceSize) override
    {
        Count("JoinBody");
        return CDefSocketClient::JoinBody(pieces, size, body, maxPieceSize);
    }

private:
    std::mutex lock_;
    std::map<std::string, int> calls_;
};

bool ConnectToPeer(net::CSocketClient& client, LocalDaemon& peer, OwnerThread& owner)
{
    return peer.Ok() && client.Create("127.0.0.1", peer.Port(), 5, 0, owner.Id(), false, net::kGameGreeting,
                                      net::kGameGreetingLength, 0);
}

} // namespace

TEST(SocketClientHooks, EveryStepIsVirtualInItsOrder)
{
    const auto slots = Probe::Slots();
    ASSERT_EQ(slots.size(), 48u); // 47 steps after the destructor, and the key table's own
    for (size_t i = 0; i < slots.size(); ++i) {
        EXPECT_EQ(slots[i] & 1, 1) << "not virtual: step " << i;
        if (i > 0) {
            EXPECT_EQ(slots[i], slots[i - 1] + ptrdiff_t(sizeof(void*))) << "out of order: step " << i;
        }
    }
}

TEST(SocketClientHooks, OverriddenStepsRunOnTheRealPaths)
{
    auto peer = LocalDaemon::GamePeer(PeerSettings());
    OwnerThread owner;
    Probe client;
    ASSERT_TRUE(ConnectToPeer(client, *peer, owner)) << peer->Error();
    const Reply r = Request(client, kPushAndReply, U32s({1, 9000}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.data, (std::vector<uint8_t>{'d', 'o', 'n', 'e'}));
    ASSERT_TRUE(owner.WaitCount(1));
    EXPECT_EQ(owner.Taken()[0].data.size(), 9000u);
    client.Close();
    for (const char* step : {"InitContext", "NewSocket", "CreateSocketWindow", "ValidateFrame", "DeliverPush",
                             "DeliverReply", "SendChunk", "RawRecv", "AppendPiece", "SplitBody", "JoinBody"})
        EXPECT_GT(client.Calls(step), 0) << step;
    EXPECT_GE(client.Calls("AppendPiece"), 4); // three pieces of the push, one of the reply
}

namespace {

// Writes its own message id into the reassembled record, as a subclass may: the pieces' id
// still decides which request the reply answers and when it stops being awaited.
class OwnRecordIds : public net::CDefSocketClient {
public:
    OwnRecordIds() : CDefSocketClient(net::ConnectionKeyBlock(net::kGameKeyBlock), 128, 0x100, 0) {}
    ~OwnRecordIds() override { Close(); }

protected:
    void AppendPiece(net::CBuffer& buffer, const net::ChunkHeader& header, const uint8_t* piece, uint32_t length,
                     const net::ConnectionIdentity& who) override
    {
        net::ChunkHeader own = header;
        own.messageId = header.messageId + 1000;
        CDefSocketClient::AppendPiece(buffer, own, piece, length, who);
    }
};

// Holds the delivery of the first reply until a second request has gone out, so that the reply
// of a request that gave up reaches the connection while the next request waits.
class LateDelivery : public net::CDefSocketClient {
public:
    LateDelivery() : CDefSocketClient(net::ConnectionKeyBlock(net::kGameKeyBlock), 128, 0x100, 0) {}
    ~LateDelivery() override { Close(); }

protected:
    bool DeliverReply(const net::CBuffer& reassembled, Connection& c) override
    {
        if (deliveries_++ == 0)
            secondSent_.Wait(5000);
        return CDefSocketClient::DeliverReply(reassembled, c);
    }
    bool SendMessage(Connection& c, const net::CBuffer& pieces, bool needsReply, int checksumRequest,
                     uint32_t* messageId) override
    {
        const bool sent = CDefSocketClient::SendMessage(c, pieces, needsReply, checksumRequest, messageId);
        if (++sends_ == 2)
            secondSent_.Set();
        return sent;
    }

private:
    platform::Event secondSent_{platform::Event::Mode::kManual};
    std::atomic<int> sends_{0};
    int deliveries_ = 0; // socket thread
};

} // namespace

TEST(SocketClientHooks, TheReplyIsMatchedAndTakenByThePiecesIdNotTheRecords)
{
    auto peer = LocalDaemon::GamePeer(PeerSettings());
    OwnerThread owner;
    OwnRecordIds client;
    ASSERT_TRUE(ConnectToPeer(client, *peer, owner)) << peer->Error();
    const Reply r = Request(client, kTwice, U32s({9}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.data, U32s({9}));
    // The copy is no longer awaited.
    ASSERT_TRUE(owner.WaitUntil([](const auto& v) { return !v.empty(); }));
    EXPECT_EQ(owner.Taken().back().id, net::kNoticeSocketError);
}

TEST(SocketClientHooks, ARequesterTakesOnlyTheReplyWhoseIdItAwaits)
{
    auto peer = LocalDaemon::GamePeer(PeerSettings());
    OwnerThread owner;
    LateDelivery client;
    ASSERT_TRUE(ConnectToPeer(client, *peer, owner)) << peer->Error();
    Reply r = Request(client, kEcho, U32s({1}), 100);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.timedOut, 1);
    // The first reply is delivered while this request waits; it must wait on for its own.
    r = Request(client, kEcho, U32s({2}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.data, U32s({2}));
    EXPECT_EQ(owner.Notices(), 0u);
}
