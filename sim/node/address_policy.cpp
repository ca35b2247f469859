#include "address_policy.h"

#include "uni/allowed_networks.h"
#include "uni/ip_address_pair.h"

#include <arpa/inet.h>

namespace nodesim {

namespace {
constexpr std::uint32_t kLoopbackNetwork = 0x7F000000u;
constexpr std::uint32_t kLoopbackMask = 0xFF000000u;
} // namespace

bool AddressPolicy::allowed(std::uint32_t networkOrder)
{
    const uni::AllowedNetworks& networks = uni::AllowedNetworks::process();
    if (networks.restricted())
        return networks.isAllowed(networkOrder);
    return (ntohl(networkOrder) & kLoopbackMask) == kLoopbackNetwork;
}

bool AddressPolicy::allowed(const std::string& address)
{
    const auto value = uni::ipv4::parseAddress(address);
    return value && allowed(*value);
}

std::string AddressPolicy::describe()
{
    const uni::AllowedNetworks& networks = uni::AllowedNetworks::process();
    return networks.restricted() ? networks.toString() : "127.0.0.0/8";
}

} // namespace nodesim
