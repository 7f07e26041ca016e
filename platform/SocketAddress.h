#pragma once
// IPv4 endpoints and the name resolution behind every connect, with a seam so that tests can
// present names that only a proxy (not this process) can resolve.
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// An IPv4 address in network byte order and a port in host byte order.
struct Ipv4Endpoint {
    uint32_t address = 0;
    uint16_t port = 0;
};

// The IPv4 address of 127.0.0.1 in network byte order.
uint32_t LoopbackAddress();

// Dotted text of an address in network byte order ("127.0.0.1").
std::string AddressText(uint32_t address);

// Parses a dotted IPv4 literal only; no lookup.
std::optional<uint32_t> ParseAddressLiteral(const std::string& text);

// Turns a host text into an IPv4 address (network order). The empty text resolves to nothing:
// callers that mean "any address" say so themselves.
class Resolver {
public:
    virtual ~Resolver() = default;
    virtual std::optional<uint32_t> Resolve(const std::string& host) const = 0;
};

// Literal first, then the system's lookup (getaddrinfo, IPv4 only).
class SystemResolver final : public Resolver {
public:
    std::optional<uint32_t> Resolve(const std::string& host) const override;
};

// The process-wide resolver. Tests may install their own; nullptr restores the system one.
const Resolver& CurrentResolver();
void SetCurrentResolver(const Resolver* resolver);

} // namespace platform
