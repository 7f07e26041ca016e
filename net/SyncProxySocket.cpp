#include "net/SyncProxySocket.h"

#include "platform/BusyPump.h"
#include "platform/Event.h"
#include "platform/MessageWait.h"

#include <atomic>
#include <chrono>
#include <thread>
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
    // One limit for the whole connect: the names' lookups, the proxy's connect and its handshake.
    const uint32_t timeoutMs = timeoutSeconds > 0 ? static_cast<uint32_t>(timeoutSeconds) * 1000u : 0u;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    if (!Create())
        return false;
    if (!Connect(host, port, timeoutMs)) { // refused before anything was sent: no need to wait
        Close();
        return false;
    }
    platform::SocketPoller poller(Fd());
    if (!poller.Valid()) {
        Close();
        return false;
    }
    // The handshake runs on a driver thread while this thread waits once, for the whole
    // time-out, dispatching its own messages meanwhile. The driver ends as soon as the
    // handshake is over either way, so a refusal does not wait for the time-out.
    platform::Event finished(platform::Event::Mode::kManual);
    std::atomic<bool> cancel{false};
    std::thread driver([&] {
        std::vector<platform::SocketNotice> notices;
        while (!cancel && !HandshakeDone() && !HandshakeFailed() && Valid()) {
            notices.clear();
            poller.Wait(-1, notices);
            for (const auto& n : notices) {
                if (cancel || HandshakeDone() || HandshakeFailed() || !Valid())
                    break;
                OnNotice(n);
            }
        }
        finished.Set();
    });
    platform::Event* events[] = {&finished};
    const platform::PumpWaitResult waited = platform::WaitPumping(events, platform::MsUntil(deadline));
    cancel = true;
    poller.Wake();
    driver.join();
    if (waited.kind != platform::PumpWaitResult::kEvent || !HandshakeDone()) {
        Close();
        return false;
    }
    return true;
}

} // namespace net
