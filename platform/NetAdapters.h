#pragma once
// Hardware addresses of the machine's Ethernet adapters, the raw material of the machine
// identity.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

using HardwareAddress = std::array<uint8_t, 6>;

// Ethernet adapters in the kernel's interface order (loopback, tunnels and other link types
// are left out). Empty optional when the adapter list cannot be read at all.
std::optional<std::vector<HardwareAddress>> EthernetAdapterAddresses();

} // namespace platform
