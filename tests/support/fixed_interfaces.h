#pragma once
// Network interfaces chosen by the test in place of the machine's. Header only: the support
// library itself stays free of the product.

#include "uni/if_net_if_provider.h"

#include <string>
#include <utility>
#include <vector>

namespace z2e::test {

class FixedInterfaces : public uni::IfNetIfProvider {
public:
    explicit FixedInterfaces(uni::NetInterfaceList interfaces = {}) : list(std::move(interfaces)) {}
    int allInterfaces(uni::NetInterfaceList& out) const override
    {
        out = list;
        return 0;
    }
    uni::NetInterfaceList list;
};

/// One interface named after the first word of `description`, with (address, mask) texts.
inline uni::NetInterface netInterface(unsigned index, const std::string& description, std::vector<std::uint8_t> mac,
                                      const std::vector<std::pair<const char*, const char*>>& addresses,
                                      bool loopback = false)
{
    uni::NetInterface entry;
    entry.index = index;
    entry.name = description.substr(0, description.find(' '));
    entry.description = description;
    entry.hardwareAddress = std::move(mac);
    entry.loopback = loopback;
    for (const auto& [address, mask] : addresses)
        entry.addresses.push_back(*uni::ipv4::IpAddressPair::fromText(address, mask));
    return entry;
}

} // namespace z2e::test
