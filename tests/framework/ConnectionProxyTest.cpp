// The game channel through each kind of proxy the hall's settings can name, to the game-server
// stand-in: the tunnel is handed to the transport, the greeting and the version check pass
// through it, and closing leaves nothing open.
#include "net/LocalDaemons.h"
#include "support/FakeClientApp.h"
#include "support/GameServerStandIn.h"

#include "framework/connection/CGameConnect.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

std::string HallIni(int kind, uint16_t port, const std::string& host = "127.0.0.1", const std::string& user = "",
                    const std::string& password = "")
{
    const std::string path = std::string(XL_BINARY_DIR) + "/GameHall-" + std::to_string(kind) + ".ini";
    std::ofstream(path) << "[PROXY]\r\nNeed=1\r\nSock=" << kind << "\r\nPort=" << port << "\r\nHost=" << host
                        << "\r\nUser=" << user << "\r\npwd=" << password << "\r\n";
    return path;
}

void ExpectVersionCheckThrough(const std::string& ini, uint16_t serverPort)
{
    FakeClientApp app;
    CGameConnect connect(nullptr, 0, 0, 0);
    connect.SetApp(&app);
    connect.LoadProxySettings(ini);
    connect.SetupEncryption();
    int proxyFailed = 0;
    ASSERT_TRUE(connect.OpenGameChannel("Game", "127.0.0.1", serverPort, &proxyFailed)) << ini;
    EXPECT_EQ(proxyFailed, 0);
    std::string text;
    int major = 0;
    int minor = 0;
    EXPECT_TRUE(connect.CheckVersion(text, &major, &minor)) << text;
    connect.CloseAll();
    EXPECT_FALSE(connect.IsConnected());
}

#define DAEMON_OR_SKIP(d)                                                                                              \
    if (!(d)->Ok())                                                                                                    \
    GTEST_SKIP() << (d)->Error()

TEST(ConnectionProxyTest, Socks5WithCredentials)
{
    standin::GameServer server;
    const auto proxy = nettest::LocalDaemon::Microsocks("tuser", "tpass");
    DAEMON_OR_SKIP(proxy);
    ExpectVersionCheckThrough(HallIni(3, proxy->Port(), "127.0.0.1", "tuser", "tpass"), server.Port());
}

TEST(ConnectionProxyTest, Socks4)
{
    standin::GameServer server;
    const auto proxy = nettest::LocalDaemon::Danted();
    DAEMON_OR_SKIP(proxy);
    ExpectVersionCheckThrough(HallIni(1, proxy->Port()), server.Port());
}

TEST(ConnectionProxyTest, Socks4aThroughSshDynamicForward)
{
    standin::GameServer server;
    const auto proxy = nettest::LocalDaemon::SshDynamic();
    DAEMON_OR_SKIP(proxy);
    ExpectVersionCheckThrough(HallIni(2, proxy->Port()), server.Port());
}

TEST(ConnectionProxyTest, HttpConnect)
{
    standin::GameServer server;
    const auto proxy = nettest::LocalDaemon::Tinyproxy(server.Port(), "huser", "hpass");
    DAEMON_OR_SKIP(proxy);
    ExpectVersionCheckThrough(HallIni(4, proxy->Port(), "127.0.0.1", "huser", "hpass"), server.Port());
}

} // namespace
