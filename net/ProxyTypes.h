#pragma once
// Kinds of proxy, their handshake outcomes and the request a proxied socket makes.
#include <cstdint>

namespace net {

enum ProxyType : int32_t {
    PROXYTYPE_NOPROXY = 0,
    PROXYTYPE_SOCKS4 = 1,
    PROXYTYPE_SOCKS4A = 2,
    PROXYTYPE_SOCKS5 = 3,
    PROXYTYPE_HTTP11 = 4,
};

// The last proxy error of a proxied socket.
enum ProxyError : int32_t {
    PROXYERROR_NOERROR = 0,
    PROXYERROR_NOCONN = 1,        // the connection to the proxy itself failed
    PROXYERROR_REQUESTFAILED = 2, // incomplete send, failed read, unexpected data, refusal
    PROXYERROR_AUTHTYPEUNKNOWN = 3,
    PROXYERROR_AUTHNOTSUPPORTED = 4,
    PROXYERROR_AUTHFAILED = 5,
    PROXYERROR_AUTHNOLOGON = 6,
    PROXYERROR_CANTRESOLVEHOST = 7,
};

enum ProxyRequest : int32_t {
    PROXYREQUEST_NONE = 0,
    PROXYREQUEST_CONNECT = 1,
    PROXYREQUEST_BIND = 2,
};

} // namespace net
