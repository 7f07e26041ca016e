// The socket client's bind: a proxy (or the loopback itself) listens for one connection that
// then becomes the client's connection, as an attached socket does.
#include "net/SocketConnection.h"
#include "platform/BusyPump.h"

#include <chrono>

namespace net {

namespace {

constexpr uint32_t kBindTimeoutMs = 10000; // as long as a proxied connect may take

} // namespace

bool CBindSocket::DriveUntil(const std::function<bool()>& done, uint32_t timeoutMs)
{
    using Steady = std::chrono::steady_clock;
    const auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    platform::SocketPoller poller(Fd());
    std::vector<platform::SocketNotice> notices;
    while (poller.Valid() && !done() && !failed && Valid()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
        if (left <= 0)
            return false;
        notices.clear();
        poller.Wait(static_cast<int>(left), notices);
        for (const auto& n : notices)
            if (!done() && !failed && Valid())
                OnNotice(n);
    }
    return done();
}

void CSocketClient::SetBindProxy(int type, const std::string& host, uint32_t port, const std::string* user,
                                 const std::string* password)
{
    bindProxy_ = {type, host, port, user != nullptr, user ? *user : std::string(),
                  password ? *password : std::string()};
}

platform::Ipv4Endpoint CSocketClient::BoundEndpoint() const
{
    return bound_ && bound_->listening ? bound_->bound : platform::Ipv4Endpoint{};
}

bool CSocketClient::Bind(const std::string& host, uint16_t)
{
    bound_ = std::make_unique<CBindSocket>();
    CBindSocket& b = *bound_;
    const BindProxy& p = bindProxy_;
    if (p.type == PROXYTYPE_NOPROXY) {
        if (!b.Listen())
            return false;
        b.listening = true;
        b.bound = {platform::LoopbackAddress(), b.ListenPort()};
        return true;
    }
    if (p.withCredentials && p.type == PROXYTYPE_SOCKS5)
        b.SetProxy(p.type, p.host, p.port, p.user, p.password);
    else
        b.SetProxy(p.type, p.host, p.port);
    // The lookups (the peer's and the proxy's) pump as a connect's do, within the bind's limit.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBindTimeoutMs);
    const auto peer = platform::ResolveBusy(host, kBindTimeoutMs);
    if (!peer || !b.Create() || !b.ListenThroughProxy({*peer, 0}, platform::MsUntil(deadline)) ||
        !b.DriveUntil([&b] { return b.listening; }, platform::MsUntil(deadline))) {
        bound_.reset();
        return false;
    }
    return true;
}

bool CSocketClient::AcceptBound(platform::WindowId ownerWindow, platform::ThreadId ownerThread, bool waitGreeting,
                                const void* greeting, uint32_t greetingLength, uint32_t greetingTimeoutMs,
                                int timeoutSeconds)
{
    std::unique_ptr<CBindSocket> b = std::move(bound_);
    if (!b || !b->listening)
        return false;
    const uint32_t timeoutMs = timeoutSeconds > 0 ? static_cast<uint32_t>(timeoutSeconds) * 1000u : 0u;
    CBindSocket taker;
    if (!b->DriveUntil([&b] { return b->accepted; }, timeoutMs) || !b->AcceptThroughProxy(taker))
        return false;
    return Attach(taker.Detach(), ownerWindow, ownerThread, waitGreeting, greeting, greetingLength,
                  greetingTimeoutMs, "", 0, timeoutSeconds);
}

} // namespace net
