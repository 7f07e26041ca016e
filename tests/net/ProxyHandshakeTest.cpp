// The proxied connect against scripted proxies: replies in pieces, refusals, misbehaviour.
#include "LoopbackPeers.h"
#include "LocalDaemons.h"

#include "net/SyncProxySocket.h"
#include "platform/BusyPump.h"
#include "platform/MessageLoop.h"
#include "platform/MessageQueue.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

using nettest::Bytes;
using nettest::ReadN;
using nettest::ReadUntil;
using nettest::ScriptedServer;
using nettest::Write;

using namespace net;

namespace {

using Clock = std::chrono::steady_clock;

struct Outcome {
    bool ok;
    int error;
    Clock::duration took;
};

Outcome ConnectVia(CSyncProxySocket& s, int type, uint16_t proxyPort, const std::string& host = "127.0.0.1",
                   const std::string* user = nullptr, const std::string* password = nullptr, int timeoutSeconds = 5)
{
    const auto t0 = Clock::now();
    const bool ok = s.ConnectThroughProxy(host, 4242, type, "127.0.0.1", proxyPort, user, password, timeoutSeconds);
    return {ok, s.GetLastProxyError(), Clock::now() - t0};
}

// Sends bytes one at a time, so that every reply arrives in pieces.
void Trickle(platform::TcpSocket& s, const Bytes& b)
{
    for (uint8_t c : b) {
        Write(s, Bytes{c});
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

const auto kFast = std::chrono::seconds(4); // well under every time-out used here
// Scripted proxies hold their side open far beyond kFast, so a failure that waited for the
// proxy to close would show.
constexpr int kHoldMs = 8000;

} // namespace

TEST(ProxyHandshake, Socks5WithCredentialsInOneBytePiecesLeavesTheStreamUntouched)
{
    Bytes request;
    ScriptedServer proxy([&](platform::TcpSocket& s) {
        EXPECT_EQ(ReadN(s, 4), (Bytes{5, 2, 2, 0}));
        Trickle(s, {5, 2});
        EXPECT_EQ(ReadN(s, 7), (Bytes{1, 2, 'u', 's', 2, 'p', 'w'}));
        Trickle(s, {1, 0});
        request = ReadN(s, 10);
        Trickle(s, {5, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}); // IPv6: 22 bytes
        Write(s, std::string("after"));
        ReadN(s, 1);
    });
    CSyncProxySocket sock;
    const std::string user = "us", pass = "pw";
    const Outcome o = ConnectVia(sock, PROXYTYPE_SOCKS5, proxy.Port(), "127.0.0.1", &user, &pass);
    ASSERT_TRUE(o.ok) << o.error;
    EXPECT_EQ(request, (Bytes{5, 1, 0, 1, 127, 0, 0, 1, 0x10, 0x92}));
    platform::TcpSocket t = sock.Detach();
    EXPECT_FALSE(sock.Valid());
    EXPECT_EQ(ReadN(t, 5), (Bytes{'a', 'f', 't', 'e', 'r'}));
    Write(t, Bytes{0});
}

TEST(ProxyHandshake, Socks5MethodAndAuthFailuresGiveTheirCodesAtOnce)
{
    struct Case {
        Bytes methodReply;
        bool withUser;
        Bytes authReply;
        int expected;
    } cases[] = {
        {{5, 0xFF}, true, {}, PROXYERROR_AUTHTYPEUNKNOWN},
        {{4, 0}, true, {}, PROXYERROR_AUTHTYPEUNKNOWN},
        {{5, 1}, true, {}, PROXYERROR_AUTHNOTSUPPORTED},
        {{5, 2}, false, {}, PROXYERROR_AUTHNOLOGON},
        {{5, 2}, true, {1, 1}, PROXYERROR_AUTHFAILED},
    };
    for (const Case& c : cases) {
        ScriptedServer proxy([&](platform::TcpSocket& s) {
            ReadN(s, c.withUser ? 4 : 3);
            Write(s, c.methodReply);
            if (!c.authReply.empty()) {
                ReadN(s, 5);
                Write(s, c.authReply);
            }
            ReadN(s, 1, kHoldMs); // hold the connection: failure must not wait for a close
        });
        CSyncProxySocket sock;
        const std::string user = "u", pass = "p";
        const Outcome o = c.withUser ? ConnectVia(sock, PROXYTYPE_SOCKS5, proxy.Port(), "127.0.0.1", &user, &pass)
                                     : ConnectVia(sock, PROXYTYPE_SOCKS5, proxy.Port());
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.error, c.expected);
        EXPECT_LT(o.took, kFast);
        EXPECT_FALSE(sock.Valid());
    }
}

TEST(ProxyHandshake, RefusalsEndTheWaitAtOnce)
{
    { // SOCKS4 request rejected (91)
        ScriptedServer proxy([](platform::TcpSocket& s) {
            ReadN(s, 9);
            Write(s, Bytes{0, 91, 0, 0, 0, 0, 0, 0});
            ReadN(s, 1, kHoldMs);
        });
        CSyncProxySocket sock;
        const Outcome o = ConnectVia(sock, PROXYTYPE_SOCKS4, proxy.Port());
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.error, PROXYERROR_REQUESTFAILED);
        EXPECT_LT(o.took, kFast);
    }
    { // the proxy closes mid-handshake
        ScriptedServer proxy([](platform::TcpSocket& s) { ReadN(s, 3); });
        CSyncProxySocket sock;
        const Outcome o = ConnectVia(sock, PROXYTYPE_SOCKS5, proxy.Port());
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.error, PROXYERROR_REQUESTFAILED);
        EXPECT_LT(o.took, kFast);
    }
    { // nobody listens on the proxy port
        CSyncProxySocket sock;
        const Outcome o = ConnectVia(sock, PROXYTYPE_SOCKS5, nettest::FreePort());
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.error, PROXYERROR_NOCONN);
        EXPECT_LT(o.took, kFast);
    }
}

TEST(ProxyHandshake, HttpStatusRulesAndTheCapOnEndlessHeaders)
{
    struct Case {
        std::string reply;
        bool ok;
    } cases[] = {
        {"HTTP/1.0 200 Connection established\r\nProxy-agent: x\r\n\r\n", true},
        {"HTTP/1.1 407 Proxy Authentication Required\r\n\r\n", false},
        {"HTTX/1.1 200 OK\r\n\r\n", false},
        {"HTTP/1.1200\r\n\r\n", false},
    };
    for (const Case& c : cases) {
        ScriptedServer proxy([&](platform::TcpSocket& s) {
            ReadUntil(s, "\r\n\r\n");
            Write(s, c.reply + "tunnel");
            ReadN(s, 1, kHoldMs);
        });
        CSyncProxySocket sock;
        const Outcome o = ConnectVia(sock, PROXYTYPE_HTTP11, proxy.Port());
        EXPECT_EQ(o.ok, c.ok) << c.reply;
        EXPECT_LT(o.took, kFast);
        if (c.ok) {
            platform::TcpSocket t = sock.Detach();
            EXPECT_EQ(ReadN(t, 6), (Bytes{'t', 'u', 'n', 'n', 'e', 'l'})); // nothing past the header consumed
            Write(t, Bytes{0});
        }
    }
    // A proxy that streams header lines without end is cut off, not buffered for the whole wait.
    ScriptedServer endless([](platform::TcpSocket& s) {
        ReadUntil(s, "\r\n\r\n");
        Write(s, std::string("HTTP/1.1 200 OK\r\n"));
        for (int i = 0; i < 2000 && Write(s, std::string("X-Filler: 0123456789\r\n")); ++i) {
        }
    });
    CSyncProxySocket sock;
    const Outcome o = ConnectVia(sock, PROXYTYPE_HTTP11, endless.Port());
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.error, PROXYERROR_REQUESTFAILED);
    EXPECT_LT(o.took, kFast);
}

TEST(ProxyHandshake, OneDeadlineForASilentProxy)
{
    ScriptedServer silent([](platform::TcpSocket& s) {
        ReadN(s, 3);
        ReadN(s, 1, kHoldMs); // answers nothing
    });
    CSyncProxySocket sock;
    const Outcome o = ConnectVia(sock, PROXYTYPE_SOCKS5, silent.Port(), "127.0.0.1", nullptr, nullptr, 1);
    EXPECT_FALSE(o.ok);
    EXPECT_GE(o.took, std::chrono::milliseconds(900));
    EXPECT_LT(o.took, kFast);
    EXPECT_FALSE(sock.Valid());
}

// A name server that never answers, for the target or for the proxy, through every proxy type:
// the UI thread pumps meanwhile and the connect ends at its own limit, the lookup still hanging.
TEST(ProxyHandshake, ANameThatIsNeverAnsweredPumpsAndEndsWithTheConnectsLimit)
{
    const struct Case {
        int type;
        std::string target, proxy;
    } cases[] = {
        {PROXYTYPE_NOPROXY, "game.test", "127.0.0.1"},  {PROXYTYPE_SOCKS4, "game.test", "127.0.0.1"},
        {PROXYTYPE_SOCKS4A, "game.test", "127.0.0.1"},  {PROXYTYPE_SOCKS5, "game.test", "127.0.0.1"},
        {PROXYTYPE_HTTP11, "game.test", "127.0.0.1"},   {PROXYTYPE_SOCKS4, "127.0.0.1", "proxy.test"},
        {PROXYTYPE_SOCKS4A, "127.0.0.1", "proxy.test"}, {PROXYTYPE_SOCKS5, "127.0.0.1", "proxy.test"},
        {PROXYTYPE_HTTP11, "127.0.0.1", "proxy.test"},
    };
    nettest::StalledNames names;
    int pumped = 0;
    platform::SetBusyPump([&] { ++pumped; });
    int asked = 0;
    for (const Case& c : cases) {
        pumped = 0;
        CSyncProxySocket sock;
        EXPECT_FALSE(
            sock.ConnectThroughProxy(c.target, 4242, c.type, c.proxy, nettest::FreePort(), nullptr, nullptr, 1))
            << c.type << " " << c.target;
        EXPECT_EQ(names.Asked(), ++asked) << c.type << " " << c.target;
        EXPECT_EQ(names.Hanging(), asked) << c.type << " " << c.target << ": the connect waited for the lookup";
        EXPECT_GT(pumped, 0) << c.type << " " << c.target;
        EXPECT_EQ(sock.GetLastSocketError(), ETIMEDOUT) << c.type << " " << c.target;
        EXPECT_FALSE(sock.Valid());
    }
    platform::SetBusyPump(nullptr);
}

// A slow lookup of the proxy's name and a silent proxy share the connect's one limit.
TEST(ProxyHandshake, ASlowLookupAndASilentProxyShareTheLimit)
{
    ScriptedServer silent([](platform::TcpSocket& s) {
        ReadN(s, 3);
        ReadN(s, 1, kHoldMs); // answers nothing
    });
    nettest::StalledNames names(1500);
    CSyncProxySocket sock;
    const auto t0 = Clock::now();
    EXPECT_FALSE(sock.ConnectThroughProxy("127.0.0.1", 4242, PROXYTYPE_SOCKS5, "proxy.test", silent.Port(), nullptr,
                                          nullptr, 2));
    const auto took = Clock::now() - t0;
    EXPECT_EQ(names.Asked(), 1);
    EXPECT_GE(took, std::chrono::milliseconds(1900));
    EXPECT_LT(took, std::chrono::milliseconds(3000)) << "the handshake was given a limit of its own";
}

// A socket made anew forgets the last connect's lookup limit: its proxy's name is looked up again
// however long ago that limit ran out.
TEST(ProxyHandshake, ASocketMadeAnewForgetsTheLastLookupLimit)
{
    ScriptedServer proxy([](platform::TcpSocket& s) { ReadN(s, 3); });
    nettest::StalledNames names(300);
    CAsyncProxySocket sock;
    sock.SetProxy(PROXYTYPE_SOCKS5, "proxy.test", proxy.Port());
    ASSERT_TRUE(sock.Create());
    EXPECT_FALSE(sock.Connect("127.0.0.1", 4242, 0));
    ASSERT_TRUE(sock.Create());
    EXPECT_TRUE(sock.ConnectToAddress({platform::LoopbackAddress(), 4242}));
    EXPECT_EQ(names.Asked(), 2);
}

TEST(ProxyHandshake, BadTargetsAreRefusedBeforeAnythingIsSent)
{
    struct NoNames final : platform::Resolver {
        std::optional<uint32_t> Resolve(const std::string& host) const override
        {
            return platform::ParseAddressLiteral(host);
        }
    } noNames;
    platform::SetCurrentResolver(&noNames);
    const uint16_t unused = nettest::FreePort(); // nothing listens: a request sent would fail with code 1
    CSyncProxySocket sock;
    EXPECT_FALSE(ConnectVia(sock, PROXYTYPE_SOCKS4, unused, "game.invalid").ok);
    EXPECT_EQ(sock.GetLastProxyError(), PROXYERROR_CANTRESOLVEHOST);
    EXPECT_FALSE(ConnectVia(sock, PROXYTYPE_SOCKS5, unused, std::string(256, 'h')).ok);
    EXPECT_EQ(sock.GetLastProxyError(), PROXYERROR_REQUESTFAILED);
    const std::string longUser(256, 'u'), pass = "p";
    EXPECT_FALSE(ConnectVia(sock, PROXYTYPE_SOCKS5, unused, "127.0.0.1", &longUser, &pass).ok);
    EXPECT_EQ(sock.GetLastProxyError(), PROXYERROR_REQUESTFAILED);
    EXPECT_FALSE(ConnectVia(sock, PROXYTYPE_HTTP11, unused, "host\r\nX: y").ok);
    EXPECT_EQ(sock.GetLastProxyError(), PROXYERROR_REQUESTFAILED);
    EXPECT_FALSE(ConnectVia(sock, 9, unused).ok);
    platform::SetCurrentResolver(nullptr);
}

TEST(ProxyHandshake, Socks4aAndSocks5SendTheNameTheClientCannotResolve)
{
    struct NoNames final : platform::Resolver {
        std::optional<uint32_t> Resolve(const std::string& host) const override
        {
            return platform::ParseAddressLiteral(host);
        }
    } noNames;
    platform::SetCurrentResolver(&noNames);
    Bytes socks4a, socks5;
    {
        ScriptedServer proxy([&](platform::TcpSocket& s) {
            socks4a = ReadN(s, 8 + 1 + 9 + 1);
            Write(s, Bytes{0, 90, 0, 0, 0, 0, 0, 0});
        });
        CSyncProxySocket sock;
        EXPECT_TRUE(ConnectVia(sock, PROXYTYPE_SOCKS4A, proxy.Port(), "game.test").ok);
    }
    {
        ScriptedServer proxy([&](platform::TcpSocket& s) {
            ReadN(s, 3);
            Write(s, Bytes{5, 0});
            socks5 = ReadN(s, 5 + 9 + 2);
            Write(s, Bytes{5, 0, 0, 3, 2, 'o', 'k', 0, 1});
        });
        CSyncProxySocket sock;
        EXPECT_TRUE(ConnectVia(sock, PROXYTYPE_SOCKS5, proxy.Port(), "game.test").ok);
    }
    platform::SetCurrentResolver(nullptr);
    EXPECT_EQ(socks4a, (Bytes{4, 1, 0x10, 0x92, 0, 0, 0, 1, 0, 'g', 'a', 'm', 'e', '.', 't', 'e', 's', 't', 0}));
    EXPECT_EQ(socks5, (Bytes{5, 1, 0, 3, 9, 'g', 'a', 'm', 'e', '.', 't', 'e', 's', 't', 0x10, 0x92}));
}

TEST(ProxyHandshake, TheWaitingThreadKeepsItsMessagesFlowingAndQuitEndsTheWait)
{
    std::atomic<int> handled{0};
    ScriptedServer slow([&](platform::TcpSocket& s) {
        ReadN(s, 3);
        // The handshake stays open until the waiting thread has dispatched the posted message.
        for (const auto until = Clock::now() + std::chrono::seconds(10); handled == 0 && Clock::now() < until;)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        Write(s, Bytes{5, 0});
        ReadN(s, 10);
        Write(s, Bytes{5, 0, 0, 1, 127, 0, 0, 1, 0, 1});
    });
    const platform::WindowId window = platform::MakeWindow([&](platform::WindowId, uint32_t message, uintptr_t, intptr_t) {
        if (message == platform::kMsgUser + 1)
            ++handled;
        return intptr_t(0);
    });
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        platform::PostToWindow(window, platform::kMsgUser + 1);
    });
    CSyncProxySocket sock;
    const Outcome o = ConnectVia(sock, PROXYTYPE_SOCKS5, slow.Port());
    poster.join();
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(handled.load(), 1); // dispatched during the handshake, not after it
    platform::DestroyWindow(window);

    // Messages that keep coming do not stretch the deadline.
    ScriptedServer mute([](platform::TcpSocket& s) { ReadN(s, 4, kHoldMs); });
    const platform::ThreadId self = platform::CurrentThreadId();
    std::atomic<bool> posting{true};
    std::thread chatter([&] {
        while (posting) {
            platform::PostToThread(self, platform::kMsgUser + 2);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    CSyncProxySocket busy;
    const Outcome b = ConnectVia(busy, PROXYTYPE_SOCKS5, mute.Port(), "127.0.0.1", nullptr, nullptr, 1);
    posting = false;
    chatter.join();
    EXPECT_FALSE(b.ok);
    EXPECT_GE(b.took, std::chrono::milliseconds(900));
    EXPECT_LT(b.took, kFast);
    platform::Message drained;
    while (platform::PeekNextMessage(drained)) {
    }

    // A quit message ends the wait at once and stays queued for the enclosing loop.
    ScriptedServer silent([](platform::TcpSocket& s) { ReadN(s, 4, kHoldMs); });
    const platform::ThreadId me = platform::CurrentThreadId();
    std::thread quitter([me] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        platform::PostToThread(me, platform::kMsgQuit);
    });
    CSyncProxySocket quitting;
    const Outcome q = ConnectVia(quitting, PROXYTYPE_SOCKS5, silent.Port(), "127.0.0.1", nullptr, nullptr, 10);
    quitter.join();
    EXPECT_FALSE(q.ok);
    EXPECT_LT(q.took, kFast);
    platform::Message m;
    EXPECT_FALSE(platform::GetNextMessage(m)); // the quit is still there
}

TEST(ProxyHandshake, BindThroughSocks5AndSocks4HandsTheIncomingConnectionOver)
{
    struct Binder final : CAsyncProxySocket {
        uint32_t boundAddress = 0;
        uint16_t boundPort = 0;
        int accepted = 0;
        int failed = 0;
        void OnProxyListenReady(uint32_t address, uint16_t port) override
        {
            boundAddress = address;
            boundPort = port;
        }
        void OnAccept(int) override { ++accepted; }
        void OnProxyFailed(int) override { ++failed; }
    };
    auto drive = [](Binder& b) {
        platform::SocketPoller poller(b.Fd());
        std::vector<platform::SocketNotice> notices;
        for (int i = 0; i < 200 && !b.HandshakeDone() && !b.HandshakeFailed(); ++i) {
            notices.clear();
            poller.Wait(20, notices);
            for (const auto& n : notices)
                if (!b.HandshakeDone() && !b.HandshakeFailed())
                    b.OnNotice(n);
        }
    };
    Bytes socks5Request, socks4Request;
    ScriptedServer socks5([&](platform::TcpSocket& s) {
        ReadN(s, 3);
        Write(s, Bytes{5, 0});
        socks5Request = ReadN(s, 10);
        Write(s, Bytes{5, 0, 0, 1, 127, 0, 0, 1, 0x30, 0x39}); // listening on 127.0.0.1:12345
        Write(s, Bytes{5, 0, 0, 1, 127, 0, 0, 1, 0x99, 0x99}); // the peer has connected
        Write(s, std::string("hi"));
        ReadN(s, 1, kHoldMs);
    });
    Binder b5, taker;
    b5.SetProxy(PROXYTYPE_SOCKS5, "127.0.0.1", socks5.Port());
    ASSERT_TRUE(b5.Create());
    ASSERT_TRUE(b5.ListenThroughProxy({platform::LoopbackAddress(), 0}));
    drive(b5);
    EXPECT_EQ(socks5Request, (Bytes{5, 2, 0, 1, 127, 0, 0, 1, 0, 0}));
    EXPECT_EQ(b5.boundAddress, platform::LoopbackAddress());
    EXPECT_EQ(b5.boundPort, 12345);
    EXPECT_EQ(b5.accepted, 1);
    ASSERT_TRUE(b5.AcceptThroughProxy(taker));
    EXPECT_FALSE(b5.Valid());
    char hi[2];
    ASSERT_TRUE(taker.Detach().ReceiveExact(hi, 2, 2000));
    EXPECT_EQ(std::string(hi, 2), "hi");

    // Replies that name the bound address by host name are shorter or longer than ten bytes;
    // the port is their last two bytes and nothing past them is taken from the stream.
    ScriptedServer named([&](platform::TcpSocket& s) {
        ReadN(s, 3);
        Write(s, Bytes{5, 0});
        ReadN(s, 10);
        Write(s, Bytes{5, 0, 0, 3, 0, 0x30, 0x3A});          // an empty name, port 12346
        Write(s, Bytes{5, 0, 0, 3, 2, 'a', 'b', 0x99, 0x99}); // the peer has connected
        Write(s, std::string("hi"));
        ReadN(s, 1, kHoldMs);
    });
    Binder byName, namedTaker;
    byName.SetProxy(PROXYTYPE_SOCKS5, "127.0.0.1", named.Port());
    ASSERT_TRUE(byName.Create());
    ASSERT_TRUE(byName.ListenThroughProxy({platform::LoopbackAddress(), 0}));
    drive(byName);
    EXPECT_EQ(byName.boundAddress, platform::LoopbackAddress()); // the proxy's own
    EXPECT_EQ(byName.boundPort, 12346);
    EXPECT_EQ(byName.accepted, 1);
    ASSERT_TRUE(byName.AcceptThroughProxy(namedTaker));
    ASSERT_TRUE(namedTaker.Detach().ReceiveExact(hi, 2, 2000));
    EXPECT_EQ(std::string(hi, 2), "hi");

    ScriptedServer socks4([&](platform::TcpSocket& s) {
        socks4Request = ReadN(s, 9);
        Write(s, Bytes{0, 90, 0x30, 0x39, 0, 0, 0, 0}); // address 0: the proxy's own
        Write(s, Bytes{0, 91, 0, 0, 0, 0, 0, 0});       // then refused
        ReadN(s, 1, kHoldMs);
    });
    Binder b4;
    b4.SetProxy(PROXYTYPE_SOCKS4, "127.0.0.1", socks4.Port());
    ASSERT_TRUE(b4.Create());
    ASSERT_TRUE(b4.ListenThroughProxy({platform::LoopbackAddress(), 0}));
    drive(b4);
    EXPECT_EQ(socks4Request, (Bytes{4, 2, 0, 0, 127, 0, 0, 1, 0}));
    EXPECT_EQ(b4.boundAddress, platform::LoopbackAddress());
    EXPECT_EQ(b4.boundPort, 12345);
    EXPECT_EQ(b4.accepted, 0);
    EXPECT_EQ(b4.failed, 1);
    EXPECT_EQ(b4.GetLastProxyError(), PROXYERROR_REQUESTFAILED);
}

TEST(ProxyHandshake, ListeningWithoutAProxyAcceptsOnTheLoopback)
{
    struct Listener final : CAsyncProxySocket {
        int accepted = 0;
        void OnAccept(int) override { ++accepted; }
    };
    Listener l, taker;
    EXPECT_FALSE(l.AcceptThroughProxy(taker)); // nothing to take yet
    ASSERT_TRUE(l.Listen());
    ASSERT_NE(l.ListenPort(), 0);
    platform::TcpSocket peer = platform::TcpSocket::Open();
    ASSERT_EQ(peer.Connect({platform::LoopbackAddress(), l.ListenPort()}, 2000), 0);
    platform::SocketPoller poller(l.Fd());
    std::vector<platform::SocketNotice> notices;
    for (int i = 0; i < 100 && l.accepted == 0; ++i) {
        notices.clear();
        poller.Wait(20, notices);
        for (const auto& n : notices)
            l.OnNotice(n);
    }
    EXPECT_EQ(l.accepted, 1);
    ASSERT_TRUE(l.AcceptThroughProxy(taker));
    EXPECT_TRUE(taker.HandshakeDone());
    ASSERT_TRUE(peer.SendAll("hi", 2, 2000));
    char hi[2];
    ASSERT_TRUE(taker.Detach().ReceiveExact(hi, 2, 2000));
    EXPECT_EQ(std::string(hi, 2), "hi");
    l.Close();
    EXPECT_EQ(l.ListenPort(), 0);
    EXPECT_FALSE(l.Valid());
}
