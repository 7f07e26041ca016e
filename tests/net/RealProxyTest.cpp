// The proxied connect against real proxy servers from Debian, with an echo server behind them.
#include "LoopbackPeers.h"
#include "LocalDaemons.h"
#include "SocketClientFixture.h"

#include "net/ConnectionKeys.h"
#include "net/SocketClient.h"
#include "net/SyncProxySocket.h"
#include "net/WireFrame.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

using nettest::EchoServer;
using nettest::LocalDaemon;

using namespace net;

namespace {

// Our resolver knows no names, so "localhost" must travel to the proxy (SOCKS4A, ATYP 3).
struct LiteralsOnly final : platform::Resolver {
    std::optional<uint32_t> Resolve(const std::string& host) const override
    {
        return platform::ParseAddressLiteral(host);
    }
};

struct NamesOnlyTheProxyKnows {
    LiteralsOnly resolver;
    NamesOnlyTheProxyKnows() { platform::SetCurrentResolver(&resolver); }
    ~NamesOnlyTheProxyKnows() { platform::SetCurrentResolver(nullptr); }
};

// Connects through the proxy and proves the tunnel by an echoed round trip. Returns the last
// proxy error, 0 on success, -1 when the tunnel did not carry the bytes.
int Tunnel(const LocalDaemon& proxy, int type, const std::string& host, uint16_t port,
           const std::string* user = nullptr, const std::string* password = nullptr)
{
    CSyncProxySocket s;
    if (!s.ConnectThroughProxy(host, port, type, "127.0.0.1", proxy.Port(), user, password, 10))
        return s.GetLastProxyError() ? s.GetLastProxyError() : -2;
    platform::TcpSocket t = s.Detach();
    const std::string ping = "ping through the proxy";
    char back[64] = {};
    if (!t.SendAll(ping.data(), ping.size(), 5000) || !t.ReceiveExact(back, ping.size(), 5000))
        return -1;
    return std::string(back, ping.size()) == ping ? 0 : -1;
}

// Processes of the group that still run (not ended and waiting for their parent to collect them).
int LivingInGroup(pid_t group)
{
    int living = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        // Plain reads: a process that ends meanwhile makes the read fail, which a stream throws.
        char buf[512] = {};
        FILE* f = std::fopen(("/proc/" + pid + "/stat").c_str(), "r");
        const size_t n = f ? std::fread(buf, 1, sizeof buf - 1, f) : 0;
        if (f)
            std::fclose(f);
        const std::string stat(buf, n);
        const size_t name = stat.rfind(')');
        if (name == std::string::npos)
            continue;
        std::istringstream fields(stat.substr(name + 1));
        char state = 0;
        pid_t parent = 0, pgrp = 0;
        fields >> state >> parent >> pgrp;
        living += pgrp == group && state != 'Z' && state != 'X';
    }
    return living;
}

} // namespace

TEST(RealProxy, MicrosocksSocks5WithoutAndWithCredentials)
{
    EchoServer echo;
    const auto open = LocalDaemon::Microsocks();
    ASSERT_TRUE(open->Ok()) << open->Error();
    const std::string empty;
    EXPECT_EQ(Tunnel(*open, PROXYTYPE_NOPROXY, "127.0.0.1", echo.Port()), 0); // straight to the target
    EXPECT_EQ(Tunnel(*open, PROXYTYPE_SOCKS5, "127.0.0.1", echo.Port()), 0);
    EXPECT_EQ(Tunnel(*open, PROXYTYPE_SOCKS5, "127.0.0.1", echo.Port(), &empty, &empty), 0); // offers {2,0}, gets 0
    {
        NamesOnlyTheProxyKnows names;
        EXPECT_EQ(Tunnel(*open, PROXYTYPE_SOCKS5, "localhost", echo.Port()), 0); // ATYP 3
    }

    const auto locked = LocalDaemon::Microsocks("tuser", "tpass");
    ASSERT_TRUE(locked->Ok()) << locked->Error();
    const std::string user = "tuser", good = "tpass", bad = "nope";
    EXPECT_EQ(Tunnel(*locked, PROXYTYPE_SOCKS5, "127.0.0.1", echo.Port(), &user, &good), 0);
    EXPECT_EQ(Tunnel(*locked, PROXYTYPE_SOCKS5, "127.0.0.1", echo.Port(), &user, &bad), PROXYERROR_AUTHFAILED);
    EXPECT_EQ(Tunnel(*locked, PROXYTYPE_SOCKS5, "127.0.0.1", echo.Port()), PROXYERROR_AUTHTYPEUNKNOWN);
}

// The guard ends the daemon's whole group itself: a watchdog that does not act on its signal
// (stopped here; slow in a sanitized build) leaves no daemon behind.
TEST(RealProxy, AGuardEndsItsDaemonEvenWhenTheWatchdogDoesNotAnswer)
{
    auto proxy = LocalDaemon::Microsocks();
    ASSERT_TRUE(proxy->Ok()) << proxy->Error();
    const pid_t group = proxy->Group();
    ASSERT_EQ(::kill(group, SIGSTOP), 0);
    proxy.reset();
    EXPECT_EQ(LivingInGroup(group), 0) << "the daemon's group is still there";
}

TEST(RealProxy, DantedSocks4AndSocks5)
{
    EchoServer echo;
    const auto dante = LocalDaemon::Danted();
    ASSERT_TRUE(dante->Ok()) << dante->Error();
    EXPECT_EQ(Tunnel(*dante, PROXYTYPE_SOCKS4, "127.0.0.1", echo.Port()), 0);
    EXPECT_EQ(Tunnel(*dante, PROXYTYPE_SOCKS4A, "localhost", echo.Port()), 0); // resolved here: plain SOCKS4
    EXPECT_EQ(Tunnel(*dante, PROXYTYPE_SOCKS5, "127.0.0.1", echo.Port()), 0);
    NamesOnlyTheProxyKnows names;
    EXPECT_EQ(Tunnel(*dante, PROXYTYPE_SOCKS5, "localhost", echo.Port()), 0);
    EXPECT_EQ(Tunnel(*dante, PROXYTYPE_SOCKS4, "localhost", echo.Port()), PROXYERROR_CANTRESOLVEHOST);
}

TEST(RealProxy, SshDynamicForwardTakesSocks4aNames)
{
    EchoServer echo;
    const auto ssh = LocalDaemon::SshDynamic();
    ASSERT_TRUE(ssh->Ok()) << ssh->Error();
    NamesOnlyTheProxyKnows names;
    EXPECT_EQ(Tunnel(*ssh, PROXYTYPE_SOCKS4A, "localhost", echo.Port()), 0);
    EXPECT_EQ(Tunnel(*ssh, PROXYTYPE_SOCKS4A, "127.0.0.1", echo.Port()), 0);
}

TEST(RealProxy, TinyproxyHttpConnectWithBasicCredentials)
{
    EchoServer echo;
    const auto open = LocalDaemon::Tinyproxy(echo.Port());
    ASSERT_TRUE(open->Ok()) << open->Error();
    EXPECT_EQ(Tunnel(*open, PROXYTYPE_HTTP11, "127.0.0.1", echo.Port()), 0); // "HTTP/1.0 200 Connection established"
    EXPECT_EQ(Tunnel(*open, PROXYTYPE_HTTP11, "127.0.0.1", nettest::FreePort()), PROXYERROR_REQUESTFAILED); // 403

    // The longest credentials the settings allow: their Base64 is longer than one 72-character line.
    const std::string user(31, 'u'), pass(31, 'p'), bad = "wrong";
    const auto locked = LocalDaemon::Tinyproxy(echo.Port(), user, pass);
    ASSERT_TRUE(locked->Ok()) << locked->Error();
    EXPECT_EQ(Tunnel(*locked, PROXYTYPE_HTTP11, "127.0.0.1", echo.Port(), &user, &pass), 0);
    EXPECT_EQ(Tunnel(*locked, PROXYTYPE_HTTP11, "127.0.0.1", echo.Port(), &user, &bad), PROXYERROR_REQUESTFAILED); // 401
    EXPECT_EQ(Tunnel(*locked, PROXYTYPE_HTTP11, "127.0.0.1", echo.Port()), PROXYERROR_REQUESTFAILED);             // 407
}

// The whole road: client -> real proxy -> game peer, greeting first, then a request and its
// reply and a pushed message, on the socket the proxied connect handed over.
TEST(RealProxy, GameChannelThroughEachProxy)
{
    auto peer = LocalDaemon::GamePeer(nettest::PeerSettings());
    ASSERT_TRUE(peer->Ok()) << peer->Error();
    const std::string user = "tuser", pass = "tpass";
    struct Road {
        std::unique_ptr<LocalDaemon> proxy;
        int type;
        std::string host;
        bool credentials;
    };
    std::vector<Road> roads;
    roads.push_back({LocalDaemon::Microsocks(user, pass), PROXYTYPE_SOCKS5, "127.0.0.1", true});
    roads.push_back({LocalDaemon::Danted(), PROXYTYPE_SOCKS4, "127.0.0.1", false});
    roads.push_back({LocalDaemon::SshDynamic(), PROXYTYPE_SOCKS4A, "localhost", false});
    roads.push_back({LocalDaemon::Tinyproxy(peer->Port(), user, pass), PROXYTYPE_HTTP11, "127.0.0.1", true});
    for (Road& road : roads) {
        ASSERT_TRUE(road.proxy->Ok()) << road.proxy->Error();
        nettest::OwnerThread owner;
        CSyncProxySocket proxied;
        {
            NamesOnlyTheProxyKnows names; // "localhost" goes to the proxy as a name
            ASSERT_TRUE(proxied.ConnectThroughProxy(road.host, peer->Port(), road.type, "127.0.0.1",
                                                    road.proxy->Port(), road.credentials ? &user : nullptr,
                                                    road.credentials ? &pass : nullptr, 10))
                << road.type << " error " << proxied.GetLastProxyError();
        }
        CDefSocketClient client(ConnectionKeyBlock(kGameKeyBlock), kConnectionKeyBits, 0x100, 0);
        ASSERT_TRUE(client.Attach(proxied.Detach(), 0, owner.Id(), false, kGameGreeting, kGameGreetingLength, 0,
                                  road.host, peer->Port(), 10));
        proxied.Close(); // owns nothing any more: must not close the client's socket
        const nettest::Reply r = nettest::Request(client, nettest::kPushAndReply, nettest::U32s({1, 50}));
        ASSERT_TRUE(r.ok) << road.type;
        EXPECT_EQ(r.data, (std::vector<uint8_t>{'d', 'o', 'n', 'e'}));
        EXPECT_TRUE(owner.WaitCount(1));
        EXPECT_TRUE(nettest::Request(client, nettest::kEcho, nettest::U32s({3})).ok) << road.type;
        client.Close();
    }
}
