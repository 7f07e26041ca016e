#include "platform/NetAdapters.h"

#include <cstring>
#include <ifaddrs.h>
#include <net/if_arp.h>
#include <netpacket/packet.h>
#include <sys/socket.h>

namespace platform {

std::optional<std::vector<HardwareAddress>> EthernetAdapterAddresses()
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return std::nullopt;
    std::vector<HardwareAddress> found;
    for (const ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_PACKET)
            continue;
        const auto* link = reinterpret_cast<const sockaddr_ll*>(it->ifa_addr);
        if (link->sll_hatype != ARPHRD_ETHER || link->sll_halen != 6)
            continue;
        HardwareAddress address;
        std::memcpy(address.data(), link->sll_addr, 6);
        found.push_back(address);
    }
    ::freeifaddrs(list);
    return found;
}

} // namespace platform
