#include "uni/allowed_networks.h"

#include "uni/log.h"
#include "uni/number_text.h"

#include <cstdlib>

namespace uni {
namespace {

const char* const kWhitespace = " \t\r\n\v\f";

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(kWhitespace);
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(kWhitespace);
    return text.substr(first, last - first + 1);
}

/// Decimal 0..32 and nothing else: no sign, no spaces inside, no trailing junk.
int parsePrefix(const std::string& text)
{
    std::uint32_t value = 0;
    if (text.size() > 2 || !text::parseUnsignedDecimal(text, value) || value > 32)
        return -1;
    return static_cast<int>(value);
}

bool parseEntry(const std::string& entry, AllowedNetworks::Network& out)
{
    const auto slash = entry.find('/');
    const std::string addressPart = trimmed(entry.substr(0, slash));
    const int prefix = slash == std::string::npos ? 32 : parsePrefix(trimmed(entry.substr(slash + 1)));
    const auto address = ipv4::parseAddress(addressPart);
    const auto mask = ipv4::maskFromPrefix(prefix);
    if (!address || !mask)
        return false;
    out.address = *address & *mask;
    out.mask = *mask;
    return true;
}

AllowedNetworks loadProcessWide()
{
    AllowedNetworks allowed = AllowedNetworks::fromEnvironment();
    for (const auto& entry : allowed.rejectedEntries()) {
        UNI_LOG("tnnetobs", log::warning)
            << AllowedNetworks::kEnvironmentVariable << ": ignoring invalid network '" << entry << "'";
    }
    if (allowed.allowsNothing()) {
        UNI_LOG("tnnetobs", log::warning)
            << AllowedNetworks::kEnvironmentVariable << " is set but names no valid network; no address is allowed";
    } else if (allowed.restricted()) {
        UNI_LOG("tnnetobs", log::info) << "Allowed networks: " << allowed.toString();
    }
    return allowed;
}

} // namespace

std::string AllowedNetworks::Network::toString() const
{
    return ipv4::addressText(address) + "/" + std::to_string(ipv4::prefixFromMask(mask));
}

AllowedNetworks AllowedNetworks::parse(const std::string& text)
{
    AllowedNetworks result;
    result.m_restricted = true;
    std::string::size_type start = 0;
    while (start <= text.size()) {
        auto end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string entry = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (entry.empty())
            continue;
        Network network;
        if (parseEntry(entry, network))
            result.m_networks.push_back(network);
        else
            result.m_rejected.push_back(entry);
    }
    return result;
}

AllowedNetworks AllowedNetworks::fromEnvironment()
{
    const char* value = std::getenv(kEnvironmentVariable);
    if (value == nullptr)
        return AllowedNetworks();
    return parse(value);
}

const AllowedNetworks& AllowedNetworks::process()
{
    static const AllowedNetworks instance = loadProcessWide();
    return instance;
}

bool AllowedNetworks::isAllowed(std::uint32_t address) const
{
    if (!m_restricted)
        return true;
    for (const auto& network : m_networks) {
        if ((address & network.mask) == network.address)
            return true;
    }
    return false;
}

bool AllowedNetworks::isAllowed(const std::string& address) const
{
    const auto value = ipv4::parseAddress(address);
    return value && isAllowed(*value);
}

bool AllowedNetworks::isAllowed(const ipv4::IpAddressPair& pair) const
{
    return isAllowed(pair.address());
}

ipv4::IpAddressPairList AllowedNetworks::filter(const ipv4::IpAddressPairList& pairs) const
{
    ipv4::IpAddressPairList kept;
    for (const auto& pair : pairs) {
        if (isAllowed(pair))
            kept.push_back(pair);
    }
    return kept;
}

std::string AllowedNetworks::toString() const
{
    if (!m_restricted)
        return "any";
    if (m_networks.empty())
        return "none";
    std::string text;
    for (const auto& network : m_networks) {
        if (!text.empty())
            text += ",";
        text += network.toString();
    }
    return text;
}

} // namespace uni
