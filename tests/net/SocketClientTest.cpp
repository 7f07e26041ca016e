// The socket client against the Python game peer: greeting, requests and replies, pushed
// messages, and a peer that misbehaves in every way it can.
#include "LoopbackPeers.h"
#include "SocketClientFixture.h"

#include "net/ConnectionKeys.h"

#include "net/Pieces.h"
#include "net/WireFrame.h"
#include "platform/BusyPump.h"
#include "platform/MessageLoop.h"
#include "platform/SocketListener.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace nettest;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<uint8_t> Pattern(size_t n, uint32_t seed)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = uint8_t(i * 131 + seed);
    return v;
}

// The data the peer gives push i of a PUSH request.
std::vector<uint8_t> PushData(uint32_t i, uint32_t size)
{
    std::vector<uint8_t> v = U32s({i});
    for (uint32_t j = 0; j + 4 < size; ++j)
        v.push_back(uint8_t(i + j));
    return v;
}

#define CONNECT_OR_FAIL(t) ASSERT_TRUE((t).Connect()) << (t).peer->Error()

} // namespace

TEST(SocketClient, RequestsRepliesAndPushesWithAesAndZlib)
{
    for (uint32_t compress : {0u, 0x400u}) {
        GameClientTest t(compress);
        CONNECT_OR_FAIL(t);
        EXPECT_TRUE(t.client.IsConnected());
        EXPECT_NE(t.client.GetConnectionTag(), 0);

        const auto data = Pattern(300, compress);
        Reply r = Request(t.client, kEcho, data);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.code, 10u);
        EXPECT_EQ(r.data, data);

        // A reply of many pieces, and one exactly at and one past the piece size.
        for (uint32_t size : {20000u, 4000u - 68u, 4001u}) {
            r = Request(t.client, kBigReply, U32s({size}));
            ASSERT_TRUE(r.ok) << size;
            ASSERT_EQ(r.data.size(), size);
            EXPECT_EQ(r.data[size - 1], uint8_t((size - 1) * 7));
        }

        // Pushes of one and of many pieces reach the owner whole and in order.
        r = Request(t.client, kPushAndReply, U32s({3, 9000}));
        ASSERT_TRUE(r.ok);
        ASSERT_TRUE(t.owner.WaitCount(3));
        const auto got = t.owner.Taken();
        for (uint32_t i = 0; i < 3; ++i) {
            EXPECT_EQ(got[i].id, kPeerPushId);
            EXPECT_EQ(got[i].data, PushData(i, 9000));
            EXPECT_EQ(got[i].tag, t.client.GetConnectionTag());
        }
        t.client.Close();
        EXPECT_EQ(t.client.GetConnectionTag(), 0);
        EXPECT_FALSE(t.client.IsConnected());
        EXPECT_FALSE(Request(t.client, kEcho, data).ok);
    }
}

TEST(SocketClient, RepliesGoOnlyToTheirOwnRequest)
{
    GameClientTest t;
    CONNECT_OR_FAIL(t);
    // A reply piece under an older message id (ids start at 1, so not the first) is ignored.
    Reply r = Request(t.client, kEcho, U32s({6}));
    ASSERT_TRUE(r.ok);
    r = Request(t.client, kStaleFirst, U32s({7}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.data, U32s({7}));

    // A reply that comes after its time-out is never handed to the next request.
    r = Request(t.client, kLate, U32s({400}), 100);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.timedOut, 1);
    r = Request(t.client, kEcho, U32s({8}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.data, U32s({8}));

    // Without a reply wanted, the request returns when sent; the peer's pushes still come.
    const auto t0 = Clock::now();
    r = Request(t.client, kPush, U32s({2, 10}), 5000, false);
    EXPECT_TRUE(r.ok);
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(3));
    EXPECT_TRUE(t.owner.WaitCount(2));
    EXPECT_EQ(t.owner.Notices(), 0u);
}

TEST(SocketClient, AReplyThatCannotBeUnpackedLeavesItsRequesterToTimeOut)
{
    GameClientTest t;
    CONNECT_OR_FAIL(t);
    // The peer repeats the reply intact; the repeat is ignored, not taken for a broken stream.
    Reply r = Request(t.client, kUnreadable, U32s({3}), 300);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.timedOut, 1);
    r = Request(t.client, kEcho, U32s({4}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.data, U32s({4}));
    EXPECT_EQ(t.owner.Notices(), 0u);
}

TEST(SocketClient, ACopyOfAReplyAlreadyTakenBreaksTheStream)
{
    GameClientTest t;
    CONNECT_OR_FAIL(t);
    const Reply r = Request(t.client, kTwice, U32s({5}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.data, U32s({5}));
    // Nobody awaits the copy: an unsolicited reply, as if the id had never been asked for.
    ASSERT_TRUE(t.owner.WaitUntil([](const auto& v) { return !v.empty(); }));
    EXPECT_EQ(t.owner.Taken().back().id, net::kNoticeSocketError);
}

TEST(SocketClient, TheConnectionsChecksumSettingReachesTheWire)
{
    // The peer hangs up on any frame without a valid CRC.
    GameClientTest t;
    CONNECT_OR_FAIL(t);
    const Reply r = Request(t.client, kEcho, U32s({5}), 5000, true, 0);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.data, U32s({5}));
}

TEST(SocketClient, OutOfOrderPushIsDroppedAndTheStreamGoesOn)
{
    GameClientTest t;
    CONNECT_OR_FAIL(t);
    const Reply r = Request(t.client, kOutOfOrder, {});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.data, (std::vector<uint8_t>{'a', 'f', 't', 'e', 'r'}));
    ASSERT_TRUE(t.owner.WaitCount(1));
    const auto got = t.owner.Taken();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].data, U32s({4242}));
}

TEST(SocketClient, MisbehavingPeersGiveExactlyOneNoticeAndNeverHangClose)
{
    struct Case {
        uint32_t request;
        uint32_t notice;
    } cases[] = {
        {kBadCrc, net::kNoticeSocketError},   {kShortFrame, net::kNoticeSocketError},
        {kAhead, net::kNoticeSocketError},    {kGarbage, net::kNoticeSocketError},
        {kReset, net::kNoticeSocketError},    {kClose, net::kNoticePeerClosed},
    };
    for (const Case& c : cases) {
        GameClientTest t;
        CONNECT_OR_FAIL(t);
        Request(t.client, c.request, {}, 300, c.request == kAhead);
        ASSERT_TRUE(t.owner.WaitUntil([](const auto& v) {
            return !v.empty() && v.back().id <= net::kNoticeSocketError;
        })) << c.request;
        std::this_thread::sleep_for(std::chrono::milliseconds(50)); // room for a wrong second notice
        const auto got = t.owner.Taken();
        EXPECT_EQ(t.owner.Notices(), 1u) << c.request;
        EXPECT_EQ(got.back().id, c.notice) << c.request;
        EXPECT_EQ(got.back().tag, t.client.GetConnectionTag());
        if (c.request == kClose) { // the last push before the close arrives before the notice
            ASSERT_EQ(got.size(), 2u);
            EXPECT_EQ(got[0].data, U32s({9999}));
        }
        const auto t0 = Clock::now();
        t.client.Close();
        EXPECT_LT(Clock::now() - t0, std::chrono::seconds(2)) << c.request;
    }
}

TEST(SocketClient, CloseWakesAWaitingRequestAtOnce)
{
    GameClientTest t;
    CONNECT_OR_FAIL(t);
    Reply r;
    std::thread waiter([&] { r = Request(t.client, kStall, {}, 20000); });
    // The peer's push says the request went out, so the requester is waiting (or about to).
    EXPECT_TRUE(t.owner.WaitCount(1, 10000));
    const auto t0 = Clock::now();
    t.client.Close();
    waiter.join();
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(3));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.timedOut, 1);
    t.client.Close(); // again: nothing left to do
    t.client.CloseWait();
}

TEST(SocketClient, AConnectionThatBreaksWakesTheWaitingRequestAsNotConnected)
{
    for (const uint32_t request : {kClose, kReset}) {
        GameClientTest t;
        CONNECT_OR_FAIL(t);
        const auto t0 = Clock::now();
        const Reply r = Request(t.client, request, {}, 20000);
        EXPECT_LT(Clock::now() - t0, std::chrono::seconds(5)) << request;
        EXPECT_FALSE(r.ok) << request;
        EXPECT_EQ(r.timedOut, 0) << request;
        EXPECT_FALSE(t.client.IsConnected()) << request;
        EXPECT_TRUE(t.owner.WaitUntil([](const auto& v) { return !v.empty() && v.back().id <= net::kNoticeSocketError; }))
            << request;
        // A request after the break fails at once too.
        EXPECT_FALSE(Request(t.client, kEcho, U32s({1}), 20000).ok) << request;
        EXPECT_LT(Clock::now() - t0, std::chrono::seconds(10)) << request;
    }
}

TEST(SocketClient, ConcurrentSendersEachGetTheirOwnReply)
{
    GameClientTest t;
    CONNECT_OR_FAIL(t);
    std::atomic<int> wrong{0};
    std::vector<std::thread> senders;
    for (uint32_t s = 0; s < 4; ++s)
        senders.emplace_back([&, s] {
            for (uint32_t i = 0; i < 100; ++i) {
                const auto data = Pattern(10 + (i * 97) % 6000, s * 1000 + i);
                const Reply r = Request(t.client, kEcho, data);
                if (!r.ok || r.data != data)
                    ++wrong;
            }
        });
    for (auto& s : senders)
        s.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(t.owner.Notices(), 0u);
}

TEST(SocketClient, TenThousandRequestsInARowLoseNothing)
{
    GameClientTest t;
    CONNECT_OR_FAIL(t);
    int wrong = 0;
    for (uint32_t i = 0; i < 10000; ++i) {
        const auto data = U32s({i, i * 2654435761u});
        const Reply r = Request(t.client, kEcho, data);
        wrong += (!r.ok || r.data != data) ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(t.owner.Notices(), 0u);
    EXPECT_GT(t.client.BytesReceived(), 10000u * 60u);
}

TEST(SocketClient, WaitsForTheServersGreetingInstead)
{
    GameClientTest t(0, true);
    ASSERT_TRUE(t.peer->Ok()) << t.peer->Error();
    ASSERT_TRUE(t.client.Create("127.0.0.1", t.peer->Port(), 5, 0, t.owner.Id(), true, nullptr, 0, 3000));
    const Reply r = Request(t.client, kEcho, U32s({1, 2}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.data, U32s({1, 2}));
}

// The name resolves only once the UI thread's pump has run: a lookup that blocked the UI thread
// would never see it run.
TEST(SocketClient, TheNameLookupPumpsTheUiThread)
{
    struct AfterThePump final : platform::Resolver {
        mutable platform::Event pumped{platform::Event::Mode::kManual};
        std::optional<uint32_t> Resolve(const std::string& host) const override
        {
            if (host != "game.test")
                return platform::ParseAddressLiteral(host);
            return pumped.Wait(5000) ? std::optional(platform::LoopbackAddress()) : std::nullopt;
        }
    } resolver;
    GameClientTest t;
    ASSERT_TRUE(t.peer->Ok()) << t.peer->Error();
    platform::SetCurrentResolver(&resolver);
    platform::SetBusyPump([&] { resolver.pumped.Set(); });
    EXPECT_TRUE(t.client.Create("game.test", t.peer->Port(), 5, 0, t.owner.Id(), false, net::kGameGreeting,
                                net::kGameGreetingLength, 0));
    platform::SetBusyPump(nullptr);
    platform::SetCurrentResolver(nullptr);
}

// A lookup that is never answered ends with the connect's limit, not with the lookup.
TEST(SocketClient, ANameThatIsNeverAnsweredEndsWithTheConnectsLimit)
{
    OwnerThread owner;
    net::CDefSocketClient client(nullptr, 0, 0, 0);
    nettest::StalledNames names;
    EXPECT_FALSE(
        client.Create("game.test", 26283, 1, 0, owner.Id(), false, net::kGameGreeting, net::kGameGreetingLength, 0));
    EXPECT_EQ(names.Asked(), 1);
    EXPECT_EQ(names.Hanging(), 1);
    EXPECT_EQ(client.GetSocket(), -1);
}

// A slow lookup and a connect that hangs (a listener whose queue is full) share the one limit.
TEST(SocketClient, ASlowLookupAndAHangingConnectShareTheLimit)
{
    platform::SocketListener full(0, 0);
    std::vector<platform::TcpSocket> fillers;
    for (int i = 0; i < 3; ++i) {
        fillers.push_back(platform::TcpSocket::Open());
        fillers.back().StartConnect({platform::LoopbackAddress(), full.Port()});
    }
    OwnerThread owner;
    net::CDefSocketClient client(nullptr, 0, 0, 0);
    nettest::StalledNames names(1500);
    const auto t0 = Clock::now();
    EXPECT_FALSE(client.Create("game.test", full.Port(), 2, 0, owner.Id(), false, net::kGameGreeting,
                               net::kGameGreetingLength, 0));
    const auto took = Clock::now() - t0;
    EXPECT_EQ(names.Asked(), 1);
    EXPECT_GE(took, std::chrono::milliseconds(1900));
    EXPECT_LT(took, std::chrono::milliseconds(3000)) << "the connect was given a limit of its own";
}

TEST(SocketClient, ConnectFailuresAreReportedAndLeaveNothingBehind)
{
    OwnerThread owner;
    net::CDefSocketClient client(nullptr, 0, 0, 0);
    EXPECT_FALSE(client.Create("", 26283, 1, 0, owner.Id(), false, net::kGameGreeting, net::kGameGreetingLength, 0));
    const auto t0 = Clock::now();
    EXPECT_FALSE(client.Create("127.0.0.1", FreePort(), 5, 0, owner.Id(), false, net::kGameGreeting,
                               net::kGameGreetingLength, 0));
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(3));
    EXPECT_EQ(client.GetConnectionTag(), 0);
    EXPECT_EQ(client.GetSocket(), -1);
    // A server that never greets: the wait ends at its time-out with a full close.
    ScriptedServer silent([](platform::TcpSocket& s) { ReadN(s, 1, 1500); });
    EXPECT_FALSE(client.Create("127.0.0.1", silent.Port(), 5, 0, owner.Id(), true, nullptr, 0, 200));
    EXPECT_EQ(client.GetSocket(), -1);
    client.Close();
}

TEST(SocketClient, DeliveriesToAnOwnerThatIsGoneAreFreed)
{
    auto peer = LocalDaemon::GamePeer(PeerSettings());
    ASSERT_TRUE(peer->Ok()) << peer->Error();
    platform::ThreadId gone;
    {
        OwnerThread owner;
        gone = owner.Id();
    }
    net::CDefSocketClient client(net::ConnectionKeyBlock(net::kGameKeyBlock), 128, 0x100, 0);
    ASSERT_TRUE(client.Create("127.0.0.1", peer->Port(), 5, 0, gone, false, net::kGameGreeting,
                              net::kGameGreetingLength, 0));
    EXPECT_TRUE(Request(client, kPushAndReply, U32s({5, 5000})).ok); // the leak checker watches these
    client.Close();
}

TEST(SocketClient, EachDeliveryReachesExactlyOneReceiver)
{
    auto peer = LocalDaemon::GamePeer(PeerSettings());
    ASSERT_TRUE(peer->Ok()) << peer->Error();
    std::vector<uint32_t> atWindow;
    const platform::WindowId window = platform::MakeWindow([&](platform::WindowId, uint32_t message, uintptr_t w, intptr_t l) {
        if (message == net::WM_SOCKET_NOTIFY) {
            atWindow.push_back(reinterpret_cast<net::SocketMessageRecord*>(l)->head.Id());
            net::ReleaseSocketNotify(w, l);
        }
        return intptr_t(0);
    });
    auto drainWindow = [&] {
        platform::Message m;
        while (platform::PeekNextMessage(m))
            platform::Dispatch(m);
    };
    net::CDefSocketClient client(net::ConnectionKeyBlock(net::kGameKeyBlock), 128, 0x100, 0);
    { // both given: the thread alone receives
        OwnerThread owner;
        ASSERT_TRUE(client.Create("127.0.0.1", peer->Port(), 5, window, owner.Id(), false, net::kGameGreeting,
                                  net::kGameGreetingLength, 0));
        ASSERT_TRUE(Request(client, kPushAndReply, U32s({2, 8})).ok);
        EXPECT_TRUE(owner.WaitCount(2));
        client.Close();
        drainWindow();
        EXPECT_TRUE(atWindow.empty());
    }
    // A window alone receives through its thread's queue.
    ASSERT_TRUE(client.Create("127.0.0.1", peer->Port(), 5, window, 0, false, net::kGameGreeting,
                              net::kGameGreetingLength, 0));
    ASSERT_TRUE(Request(client, kPushAndReply, U32s({2, 8})).ok);
    for (const auto until = Clock::now() + std::chrono::seconds(10); atWindow.size() < 2 && Clock::now() < until;) {
        drainWindow();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(atWindow, (std::vector<uint32_t>{kPeerPushId, kPeerPushId}));
    client.Close();
    drainWindow();
    platform::DestroyWindow(window);
}

TEST(SocketClient, KeepsItsOwnCopyOfTheKeyItIsGiven)
{
    auto peer = LocalDaemon::GamePeer(PeerSettings());
    ASSERT_TRUE(peer->Ok()) << peer->Error();
    OwnerThread owner;
    const uint8_t* gameKey = net::ConnectionKeyBlock(net::kGameKeyBlock);
    auto key = std::make_unique<std::vector<uint8_t>>(gameKey, gameKey + 16);
    net::CSocketClient client(key->data(), 128, 0x100, 0, 1, net::kGamePieceSize);
    std::fill(key->begin(), key->end(), 0);
    ASSERT_TRUE(client.Create("127.0.0.1", peer->Port(), 5, 0, owner.Id(), false, net::kGameGreeting,
                              net::kGameGreetingLength, 0));
    EXPECT_TRUE(Request(client, kEcho, U32s({1})).ok);
    std::vector<uint8_t> again(gameKey, gameKey + 16);
    client.SetKey(again.data(), 128, 0x100, 0);
    again.assign(16, 0);
    key.reset();
    EXPECT_TRUE(Request(client, kEcho, U32s({2})).ok);
}

TEST(SocketClient, KeysComeFromTheBuiltInTable)
{
    auto peer = LocalDaemon::GamePeer(PeerSettings()); // keyed with the game's block
    ASSERT_TRUE(peer->Ok()) << peer->Error();
    OwnerThread owner;
    net::CDefSocketClient client(nullptr, 0, 0, 0);
    EXPECT_FALSE(client.SelectKey(net::kKeyBlockCount, 0x100, 0));
    ASSERT_TRUE(client.SelectKey(net::kGameKeyBlock, 0x100, 0));
    ASSERT_TRUE(client.Create("127.0.0.1", peer->Port(), 5, 0, owner.Id(), false, net::kGameGreeting,
                              net::kGameGreetingLength, 0));
    EXPECT_TRUE(Request(client, kEcho, U32s({5})).ok);
    // No key: the table's first block, which this peer cannot read; it hangs up.
    client.SetKey(nullptr, 0, 0x100, 0);
    EXPECT_FALSE(Request(client, kEcho, U32s({6}), 500).ok);
    EXPECT_TRUE(owner.WaitUntil([](const auto& v) { return !v.empty() && v.back().id == net::kNoticePeerClosed; }));
}
