#pragma once
// The networks this process may touch. QORINET_ALLOWED_NETWORKS holds comma-separated CIDRs
// ("127.0.0.0/8, 10.1.0.0/16"); nothing outside them is enumerated, bound, scanned or answered.
// Unset means no restriction; set but without a single valid entry means nothing is allowed.

#include "uni/ip_address_pair.h"

#include <cstdint>
#include <string>
#include <vector>

namespace uni {

class AllowedNetworks {
public:
    static constexpr const char* kEnvironmentVariable = "QORINET_ALLOWED_NETWORKS";

    /// One allowed network; both values in network order, the address already masked.
    struct Network {
        std::uint32_t address = 0;
        std::uint32_t mask = 0;
        /// "a.b.c.d/n"
        std::string toString() const;
    };

    /// No restriction: every address is allowed.
    AllowedNetworks() = default;

    /// Parses a CIDR list. A bare address counts as /32, host bits are masked off, empty entries
    /// are ignored, and invalid entries are skipped and kept in rejectedEntries().
    static AllowedNetworks parse(const std::string& text);

    /// Reads the environment variable now: unset gives no restriction, anything else parse().
    static AllowedNetworks fromEnvironment();

    /// The process-wide instance, read from the environment on first use (thread-safe). Invalid
    /// entries and a list that allows nothing are logged once, as warnings.
    static const AllowedNetworks& process();

    /// False when every address is allowed.
    bool restricted() const { return m_restricted; }
    /// True when restricted and no valid network remains: nothing is allowed.
    bool allowsNothing() const { return m_restricted && m_networks.empty(); }

    const std::vector<Network>& networks() const { return m_networks; }
    const std::vector<std::string>& rejectedEntries() const { return m_rejected; }

    /// `address` in network order.
    bool isAllowed(std::uint32_t address) const;
    /// Text that is not a dotted quad is never allowed.
    bool isAllowed(const std::string& address) const;
    bool isAllowed(const ipv4::IpAddressPair& pair) const;

    /// The pairs whose address is allowed, in their original order.
    ipv4::IpAddressPairList filter(const ipv4::IpAddressPairList& pairs) const;

    /// "any" when unrestricted, "none" when nothing is allowed, else the networks comma-separated.
    std::string toString() const;

private:
    bool m_restricted = false;
    std::vector<Network> m_networks;
    std::vector<std::string> m_rejected;
};

} // namespace uni
