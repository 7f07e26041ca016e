#pragma once
// A proxied connect that blocks its caller until the proxy handshake has finished, failed, or
// its single deadline has passed, while the caller's thread keeps dispatching its messages
// (timers and windows stay alive; a quit message ends the wait). The handshake's own
// notifications (OnProxyFailed and the like) run on a short-lived driver thread meanwhile.
#include "net/AsyncProxySocket.h"

#include <cstdint>
#include <string>

namespace net {

class CSyncProxySocket : public CAsyncProxySocket {
public:
    // Connects to host:port through the proxy (type 0 connects directly). Credentials are
    // used for SOCKS5 and HTTP whenever user is given, even empty. The whole handshake shares
    // one deadline of timeoutSeconds; a refusal ends the wait at once. On success the socket is
    // connected to the destination and ready for Detach.
    bool ConnectThroughProxy(const std::string& host, uint16_t port, int proxyType, const std::string& proxyHost,
                             uint32_t proxyPort, const std::string* user, const std::string* password,
                             int timeoutSeconds, int spare = 0);
};

} // namespace net
