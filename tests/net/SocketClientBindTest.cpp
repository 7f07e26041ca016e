// The socket client's bind: a peer that connects to where the client listens (on the loopback,
// or through a proxy's bind) becomes the client's connection, and a whole game session runs on it.
#include "LocalDaemons.h"
#include "LoopbackPeers.h"
#include "SocketClientFixture.h"

#include "net/ConnectionKeys.h"
#include "net/ProxyTypes.h"
#include "net/WireFrame.h"
#include "platform/BusyPump.h"
#include "platform/SocketPoller.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace nettest;

namespace {

// Carries bytes both ways between two sockets until either side closes.
class Splice {
public:
    Splice(platform::TcpSocket a, platform::TcpSocket b) : a_(std::move(a)), b_(std::move(b))
    {
        thread_ = std::thread([this] { Run(); });
    }
    ~Splice()
    {
        stop_ = true;
        thread_.join();
    }

private:
    static bool Pass(platform::TcpSocket& from, platform::TcpSocket& to)
    {
        uint8_t buf[8192];
        const platform::IoResult r = from.Receive(buf, sizeof buf);
        if (r.status == platform::IoStatus::WouldBlock)
            return true;
        return r.status == platform::IoStatus::Done && to.SendAll(buf, r.bytes, 2000);
    }
    void Run()
    {
        while (!stop_) {
            if (a_.WaitReadable(10) && !Pass(a_, b_))
                break;
            if (b_.WaitReadable(10) && !Pass(b_, a_))
                break;
        }
        a_.Shutdown();
        b_.Shutdown();
    }
    platform::TcpSocket a_, b_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

platform::TcpSocket Dial(uint32_t address, uint16_t port)
{
    platform::TcpSocket s = platform::TcpSocket::Open();
    return s.Connect({address, port}, 3000) == 0 ? std::move(s) : platform::TcpSocket();
}

// Binds, lets the game peer's connection come in at the bound endpoint and runs requests on it.
void SessionOverBind(net::CSocketClient& client, OwnerThread& owner, const LocalDaemon& peer)
{
    ASSERT_TRUE(client.Bind("127.0.0.1", 0));
    const platform::Ipv4Endpoint at = client.BoundEndpoint();
    ASSERT_NE(at.port, 0);
    platform::TcpSocket toBound = Dial(at.address, at.port);
    platform::TcpSocket toPeer = Dial(platform::LoopbackAddress(), peer.Port());
    ASSERT_TRUE(toBound.Valid() && toPeer.Valid());
    Splice splice(std::move(toBound), std::move(toPeer));
    ASSERT_TRUE(client.AcceptBound(0, owner.Id(), false, net::kGameGreeting, net::kGameGreetingLength, 0, 5));
    EXPECT_NE(client.GetConnectionTag(), 0);
    const Reply r = Request(client, kPushAndReply, U32s({2, 5000}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.data, (std::vector<uint8_t>{'d', 'o', 'n', 'e'}));
    EXPECT_TRUE(owner.WaitCount(2));
    client.Close();
}

} // namespace

TEST(SocketClientBind, APeerThatConnectsToTheLoopbackBecomesTheConnection)
{
    auto peer = LocalDaemon::GamePeer(PeerSettings());
    ASSERT_TRUE(peer->Ok()) << peer->Error();
    OwnerThread owner;
    net::CDefSocketClient client(net::ConnectionKeyBlock(net::kGameKeyBlock), 128, 0x100, 0);
    EXPECT_FALSE(client.AcceptBound(0, owner.Id(), false, nullptr, 0, 0, 1)); // nothing bound
    SessionOverBind(client, owner, *peer);
    EXPECT_EQ(client.BoundEndpoint().port, 0); // taken
}

TEST(SocketClientBind, ThroughDantesBindForSocks5AndSocks4)
{
    auto peer = LocalDaemon::GamePeer(PeerSettings());
    ASSERT_TRUE(peer->Ok()) << peer->Error();
    const auto dante = LocalDaemon::Danted();
    ASSERT_TRUE(dante->Ok()) << dante->Error();
    for (int type : {net::PROXYTYPE_SOCKS5, net::PROXYTYPE_SOCKS4}) {
        OwnerThread owner;
        net::CDefSocketClient client(net::ConnectionKeyBlock(net::kGameKeyBlock), 128, 0x100, 0);
        client.SetBindProxy(type, "127.0.0.1", dante->Port());
        SessionOverBind(client, owner, *peer);
    }
}

TEST(SocketClientBind, AProxyThatRefusesOrNeverCallsBackFails)
{
    OwnerThread owner;
    net::CDefSocketClient client(net::ConnectionKeyBlock(net::kGameKeyBlock), 128, 0x100, 0);
    client.SetBindProxy(net::PROXYTYPE_SOCKS5, "127.0.0.1", FreePort()); // nobody listens there
    EXPECT_FALSE(client.Bind("127.0.0.1", 0));
    const auto dante = LocalDaemon::Danted();
    ASSERT_TRUE(dante->Ok()) << dante->Error();
    client.SetBindProxy(net::PROXYTYPE_SOCKS5, "127.0.0.1", dante->Port());
    ASSERT_TRUE(client.Bind("127.0.0.1", 0));
    EXPECT_FALSE(client.AcceptBound(0, owner.Id(), false, nullptr, 0, 0, 1)); // no peer came
    EXPECT_EQ(client.GetSocket(), -1);
}

// The bind's lookups (the peer's name and the proxy's) pump the UI thread as a connect's do.
TEST(SocketClientBind, ItsNameLookupsPumpTheUiThread)
{
    const auto dante = LocalDaemon::Danted();
    ASSERT_TRUE(dante->Ok()) << dante->Error();
    StalledNames names(300);
    int pumped = 0;
    platform::SetBusyPump([&] { ++pumped; });
    const struct {
        const char* peer;
        const char* proxy;
    } cases[] = {{"game.test", "127.0.0.1"}, {"127.0.0.1", "proxy.test"}};
    for (const auto& c : cases) {
        pumped = 0;
        net::CDefSocketClient client(net::ConnectionKeyBlock(net::kGameKeyBlock), 128, 0x100, 0);
        client.SetBindProxy(net::PROXYTYPE_SOCKS5, c.proxy, dante->Port());
        EXPECT_TRUE(client.Bind(c.peer, 0)) << c.peer;
        EXPECT_GT(pumped, 0) << c.peer;
    }
    platform::SetBusyPump(nullptr);
    EXPECT_EQ(names.Asked(), 2);
}
