#pragma once
// An IPv4 address with its netmask, as used for local interfaces and node addresses.
// All 32-bit values here are in network byte order, the form the socket API takes them in.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace uni {
namespace ipv4 {

/// Dotted-quad text to a network-order value; nullopt for anything that is not exactly a.b.c.d.
std::optional<std::uint32_t> parseAddress(const std::string& text);

/// Network-order value to dotted-quad text.
std::string addressText(std::uint32_t networkOrder);

/// Netmask (network order) of a prefix length 0..32; nullopt outside that range.
std::optional<std::uint32_t> maskFromPrefix(int prefixLength);

/// Prefix length of a contiguous netmask (network order); -1 when the mask has holes.
int prefixFromMask(std::uint32_t networkOrderMask);

class IpAddressPair {
public:
    IpAddressPair() = default;
    /// Keeps the text as given; use valid() or fromText() where the text comes from outside.
    IpAddressPair(std::string address, std::uint32_t netmask);
    IpAddressPair(std::uint32_t address, std::uint32_t netmask);

    /// Both parts as text; nullopt when either is not a dotted quad.
    static std::optional<IpAddressPair> fromText(const std::string& address, const std::string& mask);

    const std::string& address() const { return m_address; }
    std::uint32_t netmask() const { return m_netmask; }
    std::string maskText() const { return addressText(m_netmask); }

    /// True when the address text is a dotted quad.
    bool valid() const { return addressValue().has_value(); }
    std::optional<std::uint32_t> addressValue() const { return parseAddress(m_address); }

    /// Address AND mask.
    std::optional<std::uint32_t> network() const;
    /// Directed broadcast: address OR NOT mask.
    std::optional<std::uint32_t> broadcast() const;

    /// True when `address` (network order) lies in this pair's network; false for an invalid pair.
    bool contains(std::uint32_t address) const;
    bool contains(const std::string& address) const;

    /// "address/mask", for log lines.
    std::string toString() const;

    bool operator==(const IpAddressPair& other) const
    {
        return m_netmask == other.m_netmask && m_address == other.m_address;
    }
    bool operator!=(const IpAddressPair& other) const { return !(*this == other); }

private:
    std::string m_address;
    std::uint32_t m_netmask = 0;
};

using IpAddressPairList = std::vector<IpAddressPair>;

std::ostream& operator<<(std::ostream& out, const IpAddressPair& pair);
/// Space-separated pairs, for the address observer's log lines.
std::ostream& operator<<(std::ostream& out, const IpAddressPairList& pairs);

} // namespace ipv4
} // namespace uni
