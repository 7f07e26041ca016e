// Bytes from a proxy: whatever a SOCKS4, SOCKS5 or HTTP proxy answers to a connect or (bit 0x40
// of the first byte, SOCKS only) a bind, the handshake ends (done or failed) without reading
// outside what arrived or buffering without bound.
#include "net/AsyncProxySocket.h"
#include "platform/SocketListener.h"
#include "platform/SocketPoller.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static platform::SocketListener proxy;
    if (size < 1 || size > 32768 || !proxy.Valid())
        return 0;
    static const int types[] = {net::PROXYTYPE_SOCKS4, net::PROXYTYPE_SOCKS4A, net::PROXYTYPE_SOCKS5,
                                net::PROXYTYPE_SOCKS5, net::PROXYTYPE_HTTP11};
    const int type = types[data[0] % 5];
    net::CAsyncProxySocket s;
    if (data[0] & 0x80)
        s.SetProxy(type, "127.0.0.1", proxy.Port(), "user", "password");
    else
        s.SetProxy(type, "127.0.0.1", proxy.Port());
    const bool bind = (data[0] & 0x40) && type != net::PROXYTYPE_HTTP11;
    if (!s.Create())
        return 0;
    if (bind ? !s.ListenThroughProxy({platform::LoopbackAddress(), 0}) : !s.Connect("127.0.0.1", 4242))
        return 0;
    platform::TcpSocket server = proxy.Accept(1000);
    if (!server.Valid())
        abort();
    // The whole answer is there before the handshake starts, then the proxy hangs up.
    if (!server.SendAll(data + 1, size - 1, 1000))
        abort();
    server.Close();
    platform::SocketPoller poller(s.Fd());
    std::vector<platform::SocketNotice> notices;
    for (int round = 0; round < 1000 && !s.HandshakeDone() && !s.HandshakeFailed(); ++round) {
        notices.clear();
        poller.Wait(100, notices);
        for (const auto& n : notices)
            if (!s.HandshakeDone() && !s.HandshakeFailed())
                s.OnNotice(n);
    }
    if (!s.HandshakeDone() && !s.HandshakeFailed())
        abort(); // a handshake that neither ends nor fails on a closed stream is a hang
    return 0;
}
