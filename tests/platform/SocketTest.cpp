#include "platform/Socket.h"
#include "platform/SocketAddress.h"
#include "platform/SocketListener.h"
#include "platform/SocketPoller.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace platform;

namespace {

struct Pair {
    SocketListener listener;
    TcpSocket client;
    TcpSocket server;
    Pair()
    {
        client = TcpSocket::Open();
        EXPECT_EQ(client.Connect({LoopbackAddress(), listener.Port()}, 2000), 0);
        server = listener.Accept(2000);
        EXPECT_TRUE(server.Valid());
    }
};

std::vector<SocketNotice> WaitNotices(SocketPoller& poller, int timeoutMs)
{
    std::vector<SocketNotice> out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.empty() && std::chrono::steady_clock::now() < deadline)
        poller.Wait(20, out);
    return out;
}

bool Has(const std::vector<SocketNotice>& v, SocketEvent e)
{
    for (const auto& n : v)
        if (n.event == e)
            return true;
    return false;
}

} // namespace

TEST(SocketAddress, ResolvesLiteralsAndLocalhostRefusesEmptyAndHonoursTheSeam)
{
    EXPECT_EQ(CurrentResolver().Resolve("127.0.0.1"), LoopbackAddress());
    EXPECT_EQ(CurrentResolver().Resolve("localhost"), LoopbackAddress());
    EXPECT_FALSE(CurrentResolver().Resolve("").has_value());
    EXPECT_FALSE(ParseAddressLiteral("localhost").has_value());
    EXPECT_EQ(AddressText(LoopbackAddress()), "127.0.0.1");

    struct Nothing final : Resolver {
        std::optional<uint32_t> Resolve(const std::string&) const override { return std::nullopt; }
    } nothing;
    SetCurrentResolver(&nothing);
    EXPECT_FALSE(CurrentResolver().Resolve("127.0.0.1").has_value());
    SetCurrentResolver(nullptr);
    EXPECT_TRUE(CurrentResolver().Resolve("127.0.0.1").has_value());
}

TEST(TcpSocket, ConnectReportsRealOutcome)
{
    SocketListener listener;
    ASSERT_TRUE(listener.Valid());
    TcpSocket ok = TcpSocket::Open();
    EXPECT_EQ(ok.Connect({LoopbackAddress(), listener.Port()}, 2000), 0);
    EXPECT_TRUE(ok.IsConnected());

    // A port nobody listens on: refused, not "writable therefore connected".
    const uint16_t freePort = listener.Port();
    listener.Close();
    TcpSocket refused = TcpSocket::Open();
    EXPECT_EQ(refused.Connect({LoopbackAddress(), freePort}, 2000), ECONNREFUSED);
    EXPECT_FALSE(refused.IsConnected());

    // The unspecified address would reach this host on Linux; it is refused instead.
    TcpSocket any = TcpSocket::Open();
    EXPECT_EQ(any.Connect({0, 80}, 100), EINVAL);
}

TEST(TcpSocket, OwnershipMovesAndCloseIsIdempotent)
{
    TcpSocket a = TcpSocket::Open();
    const int fd = a.Fd();
    TcpSocket b = std::move(a);
    EXPECT_FALSE(a.Valid());
    EXPECT_EQ(b.Fd(), fd);
    const int released = b.Release();
    EXPECT_FALSE(b.Valid());
    b.Close();
    TcpSocket c(released);
    c.Close();
    c.Close();
    EXPECT_FALSE(c.Valid());
}

TEST(SocketPoller, WriteNoticeOnceThenOnlyWhenWanted)
{
    Pair p;
    SocketPoller poller(p.client.Fd());
    ASSERT_TRUE(poller.Valid());
    auto first = WaitNotices(poller, 1000);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].event, SocketEvent::Write);
    // Still writable, but no second notice: an idle socket must not spin.
    std::vector<SocketNotice> none;
    poller.Wait(50, none);
    EXPECT_TRUE(none.empty());

    // Fill the socket until it would block, ask for a write notice, then drain the peer.
    std::vector<char> chunk(65536, 'x');
    while (p.client.Send(chunk.data(), chunk.size()).status == IoStatus::Done) {
    }
    poller.WantWrite();
    std::atomic<bool> done{false};
    std::thread drain([&] {
        char buf[65536];
        for (int i = 0; i < 300 && !done; ++i) {
            p.server.WaitReadable(10);
            while (p.server.Receive(buf, sizeof buf).status == IoStatus::Done) {
            }
        }
    });
    auto again = WaitNotices(poller, 3000);
    done = true;
    drain.join();
    EXPECT_TRUE(Has(again, SocketEvent::Write));
}

TEST(SocketPoller, DataBeforeCloseIsReadThenCloseComesOnce)
{
    Pair p;
    SocketPoller poller(p.client.Fd());
    WaitNotices(poller, 1000); // the first write notice
    ASSERT_TRUE(p.server.SendAll("last words", 10, 1000));
    p.server.Close();
    std::vector<SocketNotice> got;
    for (int i = 0; i < 50 && !poller.Finished(); ++i)
        poller.Wait(20, got);
    ASSERT_TRUE(poller.Finished());
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got.front().event, SocketEvent::Read);
    EXPECT_EQ(got.back().event, SocketEvent::Close);
    char buf[32];
    const IoResult r = p.client.Receive(buf, sizeof buf);
    ASSERT_EQ(r.status, IoStatus::Done);
    EXPECT_EQ(std::string(buf, r.bytes), "last words");
    EXPECT_EQ(p.client.Receive(buf, sizeof buf).status, IoStatus::Closed);

    // Nothing more is reported, and the wait really waits (no busy loop on end of stream).
    std::vector<SocketNotice> after;
    const auto t0 = std::chrono::steady_clock::now();
    poller.Wait(60, after);
    EXPECT_TRUE(after.empty());
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(40));
}

TEST(SocketPoller, ResetIsAnErrorAndWakeInterruptsTheWait)
{
    Pair p;
    SocketPoller poller(p.client.Fd());
    WaitNotices(poller, 1000);

    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        poller.Wake();
    });
    std::vector<SocketNotice> woken;
    const auto t0 = std::chrono::steady_clock::now();
    poller.Wait(5000, woken);
    waker.join();
    EXPECT_TRUE(woken.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(2000));

    linger hard{1, 0};
    ::setsockopt(p.server.Fd(), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    p.server.Close();
    std::vector<SocketNotice> got;
    for (int i = 0; i < 50 && !poller.Finished(); ++i)
        poller.Wait(20, got);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back().event, SocketEvent::Error);
    EXPECT_EQ(got.back().error, ECONNRESET);
}
