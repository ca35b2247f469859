#pragma once
// The client's local address list and its mode word: what the scans walk and what a node's
// local address is guessed from.

#include "uni/ip_address_pair.h"

#include <cstdint>

namespace qorinet_api {

class IfIpConfigStorage {
public:
    virtual ~IfIpConfigStorage() = default;
    /// The local address pairs in order.
    virtual uni::ipv4::IpAddressPairList ipConfigAddresses() const = 0;
    /// 0: an explicit address list; 1: all local interfaces, following address changes.
    virtual std::uint32_t ipConfigMode() const = 0;
};

} // namespace qorinet_api
