#include "net/SyncProxySocket.h"

#include <chrono>
#include <vector>

namespace net {

bool CSyncProxySocket::ConnectThroughProxy(const std::string& host, uint16_t port, int proxyType,
                                           const std::string& proxyHost, uint32_t proxyPort,
                                           const std::string* user, const std::string* password,
                                           int timeoutSeconds, int /*spare*/)
{
    switch (proxyType) {
    case PROXYTYPE_NOPROXY:
    case PROXYTYPE_SOCKS4:
    case PROXYTYPE_SOCKS4A:
        SetProxy(proxyType, proxyHost, proxyPort);
        break;
    case PROXYTYPE_SOCKS5:
    case PROXYTYPE_HTTP11:
        if (user)
            SetProxy(proxyType, proxyHost, proxyPort, *user, password ? *password : std::string());
        else
            SetProxy(proxyType, proxyHost, proxyPort);
        break;
    default:
        return false;
    }
    if (!Create())
        return false;
    if (!Connect(host, port)) {
        Close();
        return false;
    }
    platform::SocketPoller poller(Fd());
    if (!poller.Valid()) {
        Close();
        return false;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
    std::vector<platform::SocketNotice> notices;
    while (!HandshakeDone() && !HandshakeFailed()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        notices.clear();
        poller.Wait(static_cast<int>(left), notices);
        for (const auto& n : notices) {
            OnNotice(n);
            if (HandshakeDone() || HandshakeFailed() || !Valid())
                break;
        }
    }
    if (!HandshakeDone()) {
        Close();
        return false;
    }
    return true;
}

} // namespace net
