#include "net/ProxyRequests.h"

#include <cstring>

#include "net/Base64Coding.h"


namespace net {

namespace {

std::string Base64Unbroken(const std::string& in)
{
    const auto encoded = CBase64Coding().EncodeToBytes(std::vector<uint8_t>(in.begin(), in.end()));
    return std::string(encoded.begin(), encoded.end());
}

void PutPort(ProxyBytes& b, uint16_t port)
{
    b.push_back(uint8_t(port >> 8));
    b.push_back(uint8_t(port));
}

void PutAddress(ProxyBytes& b, uint32_t networkOrder)
{
    const auto* p = reinterpret_cast<const uint8_t*>(&networkOrder);
    b.insert(b.end(), p, p + 4);
}

void PutCounted(ProxyBytes& b, const std::string& s)
{
    b.push_back(uint8_t(s.size()));
    b.insert(b.end(), s.begin(), s.end());
}

} // namespace

ProxyBytes BuildSocks4Request(uint8_t command, uint16_t port, uint32_t address, const std::string& host)
{
    ProxyBytes b{4, command};
    PutPort(b, port);
    if (address != 0) {
        PutAddress(b, address);
        b.push_back(0);
    } else {
        b.insert(b.end(), {0, 0, 0, 1, 0});
        b.insert(b.end(), host.begin(), host.end());
        b.push_back(0);
    }
    return b;
}

ProxyBytes BuildSocks5Greeting(bool withCredentials)
{
    return withCredentials ? ProxyBytes{5, 2, 2, 0} : ProxyBytes{5, 1, 0};
}

std::optional<ProxyBytes> BuildSocks5Auth(const std::string& user, const std::string& password)
{
    if (user.size() > 255 || password.size() > 255)
        return std::nullopt;
    ProxyBytes b{1};
    PutCounted(b, user);
    PutCounted(b, password);
    return b;
}

std::optional<ProxyBytes> BuildSocks5Request(uint8_t command, uint32_t address, const std::string& host, uint16_t port)
{
    ProxyBytes b{5, command, 0};
    if (address != 0) {
        b.push_back(1);
        PutAddress(b, address);
    } else {
        if (host.size() > 255)
            return std::nullopt;
        b.push_back(3);
        PutCounted(b, host);
    }
    PutPort(b, port);
    return b;
}

std::optional<std::string> BuildHttpConnect(const std::string& host, uint16_t port,
                                            const std::string* user, const std::string& password)
{
    if (host.empty() || host.find_first_of("\r\n ") != std::string::npos)
        return std::nullopt;
    const std::string target = host + ":" + std::to_string(port);
    std::string text = "CONNECT " + target + " HTTP/1.1\r\nHost: " + target + "\r\n";
    if (user) {
        const std::string credentials = Base64Unbroken(*user + ":" + password);
        text += "Authorization: Basic " + credentials + "\r\n";
        text += "Proxy-Authorization: Basic " + credentials + "\r\n";
    }
    return text + "\r\n";
}

size_t Socks5ReplyLength(const uint8_t* firstFive)
{
    switch (firstFive[3]) {
    case 1:
        return 10;
    case 3:
        return 7 + size_t(firstFive[4]);
    case 4:
        return 22;
    default:
        return 0;
    }
}

std::optional<Socks5Endpoint> ParseSocks5Endpoint(const uint8_t* reply, size_t size)
{
    if (size < 5 || Socks5ReplyLength(reply) != size)
        return std::nullopt;
    Socks5Endpoint e;
    if (reply[3] == 1)
        std::memcpy(&e.address, reply + 4, 4);
    e.port = uint16_t(reply[size - 2] << 8 | reply[size - 1]);
    return e;
}

} // namespace net
