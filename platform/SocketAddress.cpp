#include "platform/SocketAddress.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>

namespace platform {

uint32_t LoopbackAddress()
{
    return htonl(INADDR_LOOPBACK);
}

std::string AddressText(uint32_t address)
{
    char text[INET_ADDRSTRLEN] = {};
    in_addr a{};
    a.s_addr = address;
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

std::optional<uint32_t> ParseAddressLiteral(const std::string& text)
{
    in_addr a{};
    if (inet_pton(AF_INET, text.c_str(), &a) != 1)
        return std::nullopt;
    return a.s_addr;
}

std::optional<uint32_t> SystemResolver::Resolve(const std::string& host) const
{
    if (host.empty())
        return std::nullopt;
    if (auto literal = ParseAddressLiteral(host))
        return literal;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return std::nullopt;
    const uint32_t address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return address;
}

namespace {
const SystemResolver systemResolver;
std::atomic<const Resolver*> installed{nullptr};
} // namespace

const Resolver& CurrentResolver()
{
    const Resolver* r = installed.load(std::memory_order_acquire);
    return r ? *r : systemResolver;
}

void SetCurrentResolver(const Resolver* resolver)
{
    installed.store(resolver, std::memory_order_release);
}

} // namespace platform
