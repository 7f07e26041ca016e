#pragma once
// The bytes a proxied socket sends to SOCKS4/4A, SOCKS5 and HTTP CONNECT proxies. Host names,
// users and passwords are raw bytes (GBK as the settings hold them) and are never converted.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace net {

using ProxyBytes = std::vector<uint8_t>;

// SOCKS4 connect (command 1) or bind (2): 04 cmd port(BE) IPv4 00. An address of 0 means the
// proxy resolves: the address goes out as 0.0.0.1 followed by "name\0" (SOCKS4A).
ProxyBytes BuildSocks4Request(uint8_t command, uint16_t port, uint32_t address, const std::string& host);

// SOCKS5 method offer: 05 01 00, or 05 02 02 00 when credentials will be given.
ProxyBytes BuildSocks5Greeting(bool withCredentials);

// RFC 1929: 01 ulen user plen pass. Nothing when a field exceeds 255 bytes.
std::optional<ProxyBytes> BuildSocks5Auth(const std::string& user, const std::string& password);

// 05 cmd 00 01 IPv4 port(BE), or 05 cmd 00 03 len name port(BE) for an address of 0.
// Nothing when the name exceeds 255 bytes.
std::optional<ProxyBytes> BuildSocks5Request(uint8_t command, uint32_t address, const std::string& host, uint16_t port);

// "CONNECT host:port HTTP/1.1", "Host:" and, with credentials, the two Basic lines; the
// credentials are one unbroken Base64 text. Nothing when the host would break the header
// (CR, LF, blank or an empty host).
std::optional<std::string> BuildHttpConnect(const std::string& host, uint16_t port,
                                            const std::string* user, const std::string& password);

// Length in bytes of a whole SOCKS5 request reply, given its first five bytes; 0 for an
// address type this client does not know.
size_t Socks5ReplyLength(const uint8_t* firstFive);

// The endpoint a whole SOCKS5 reply carries: the IPv4 address (network order; 0 when the reply
// gives a host name or an IPv6 address) and the port from its last two bytes. Nothing unless
// `size` is exactly the whole length its first five bytes announce.
struct Socks5Endpoint {
    uint32_t address = 0;
    uint16_t port = 0;
};
std::optional<Socks5Endpoint> ParseSocks5Endpoint(const uint8_t* reply, size_t size);

} // namespace net
