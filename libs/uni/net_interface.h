#pragma once
// One local network interface as the enumeration reports it.

#include "uni/ip_address_pair.h"

#include <cstdint>
#include <string>
#include <vector>

namespace uni {

struct NetInterface {
    unsigned index = 0;      ///< kernel interface index; 0 when unknown
    std::string name;        ///< e.g. "eth0"
    std::string description; ///< name and kind, e.g. "eth0 [Ethernet]"
    std::vector<std::uint8_t> hardwareAddress;
    bool loopback = false;
    ipv4::IpAddressPairList addresses; ///< IPv4 addresses with their masks

    /// "aa:bb:cc:dd:ee:ff"; "00:00:00:00:00:00" for loopback; empty when the link has none.
    std::string hardwareAddressText() const;
};

using NetInterfaceList = std::vector<NetInterface>;

} // namespace uni
