#include "uni/ip_address_pair.h"

#include <arpa/inet.h>

#include <utility>

namespace uni {
namespace ipv4 {

std::optional<std::uint32_t> parseAddress(const std::string& text)
{
    // inet_pton stops at the first NUL; an embedded one must not make "1.2.3.4\0junk" valid.
    if (text.find('\0') != std::string::npos)
        return std::nullopt;
    in_addr parsed{};
    if (inet_pton(AF_INET, text.c_str(), &parsed) != 1)
        return std::nullopt;
    return parsed.s_addr;
}

std::string addressText(std::uint32_t networkOrder)
{
    in_addr value{};
    value.s_addr = networkOrder;
    char buffer[INET_ADDRSTRLEN] = {};
    if (inet_ntop(AF_INET, &value, buffer, sizeof buffer) == nullptr)
        return {};
    return buffer;
}

std::optional<std::uint32_t> maskFromPrefix(int prefixLength)
{
    if (prefixLength < 0 || prefixLength > 32)
        return std::nullopt;
    // Shifting a 32-bit value by 32 is undefined, hence the special case.
    const std::uint32_t host = prefixLength == 0 ? 0u : ~std::uint32_t{0} << (32 - prefixLength);
    return htonl(host);
}

int prefixFromMask(std::uint32_t networkOrderMask)
{
    const std::uint32_t host = ntohl(networkOrderMask);
    const std::uint32_t inverted = ~host;
    // A contiguous mask inverts to 2^n - 1, which has no bit in common with its successor.
    if ((inverted & (inverted + 1)) != 0)
        return -1;
    int length = 0;
    for (std::uint32_t bits = host; bits != 0; bits <<= 1)
        ++length;
    return length;
}

IpAddressPair::IpAddressPair(std::string address, std::uint32_t netmask)
    : m_address(std::move(address)), m_netmask(netmask)
{
}

IpAddressPair::IpAddressPair(std::uint32_t address, std::uint32_t netmask)
    : m_address(addressText(address)), m_netmask(netmask)
{
}

std::optional<IpAddressPair> IpAddressPair::fromText(const std::string& address, const std::string& mask)
{
    const auto maskValue = parseAddress(mask);
    if (!maskValue || !parseAddress(address))
        return std::nullopt;
    return IpAddressPair(address, *maskValue);
}

std::optional<std::uint32_t> IpAddressPair::network() const
{
    const auto value = addressValue();
    if (!value)
        return std::nullopt;
    return *value & m_netmask;
}

std::optional<std::uint32_t> IpAddressPair::broadcast() const
{
    const auto value = addressValue();
    if (!value)
        return std::nullopt;
    return *value | ~m_netmask;
}

bool IpAddressPair::contains(std::uint32_t address) const
{
    const auto net = network();
    return net && (address & m_netmask) == *net;
}

bool IpAddressPair::contains(const std::string& address) const
{
    const auto value = parseAddress(address);
    return value && contains(*value);
}

std::string IpAddressPair::toString() const
{
    return m_address + "/" + maskText();
}

std::ostream& operator<<(std::ostream& out, const IpAddressPair& pair)
{
    return out << pair.toString();
}

std::ostream& operator<<(std::ostream& out, const IpAddressPairList& pairs)
{
    const char* separator = "";
    for (const auto& pair : pairs) {
        out << separator << pair;
        separator = " ";
    }
    return out;
}

} // namespace ipv4
} // namespace uni
