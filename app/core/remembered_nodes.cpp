#include "core/remembered_nodes.h"

#include "config/atomic_file_writer.h"
#include "config/bounded_file_reader.h"
#include "core/app_paths.h"

#include "uni/allowed_networks.h"
#include "uni/net_if_provider.h"

#include <arpa/inet.h>

#include <algorithm>
#include <sstream>

namespace z2e {

namespace {

// Far more than kMaxAddresses lines of at most 15 characters.
constexpr std::size_t kMaxFileBytes = 64 * 1024;
constexpr std::uint32_t kMulticastFirst = 0xE0000000u; // 224.0.0.0 and above: groups and reserved

} // namespace

RememberedNodes::RememberedNodes(std::string folder) : m_folder(std::move(folder)), m_path(m_folder + "/" + kFileName)
{
}

std::string RememberedNodes::defaultFolder()
{
    return expandedAppPath(AppPathKind::DataFolder);
}

std::vector<std::string> RememberedNodes::addresses() const
{
    std::vector<std::string> kept;
    std::string unused;
    loaded(kept, unused);
    return kept;
}

// A file that is there but cannot be read is left as it is: a change would replace it with a
// list that lacks what it held.
bool RememberedNodes::loaded(std::vector<std::string>& kept, std::string& message) const
{
    std::string text;
    std::string error;
    const BoundedFileReader::Status status = BoundedFileReader::read(m_path, kMaxFileBytes, text, &error);
    if (status == BoundedFileReader::Status::Missing)
        return true;
    if (status != BoundedFileReader::Status::Ok) {
        message = "the list of remembered nodes " + m_path + " cannot be read (" +
                  (error.empty() ? BoundedFileReader::statusText(status) : error) +
                  "); it is left as it is - remove it to start a new list";
        return false;
    }
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line) && kept.size() < kMaxAddresses) {
        line.erase(0, line.find_first_not_of(" \t\r"));
        line.erase(line.find_last_not_of(" \t\r") + 1);
        const auto value = uni::ipv4::parseAddress(line);
        if (!value || !refusal(line, {}).empty())
            continue;
        // One spelling per address: "127.0.0.010" and "127.0.0.10" are one node.
        const std::string address = uni::ipv4::addressText(*value);
        if (std::find(kept.begin(), kept.end(), address) == kept.end())
            kept.push_back(address);
    }
    return true;
}

RememberedNodes::Outcome RememberedNodes::add(const std::string& address, std::string& message) const
{
    const std::string why = refusal(address);
    if (!why.empty()) {
        message = why;
        return Outcome::Refused;
    }
    const std::string canonical = uni::ipv4::addressText(*uni::ipv4::parseAddress(address));
    std::vector<std::string> list;
    if (!loaded(list, message))
        return Outcome::Failed;
    if (std::find(list.begin(), list.end(), canonical) != list.end()) {
        message = canonical + " is already remembered; it is asked at every scan";
        return Outcome::AlreadyThere;
    }
    if (list.size() >= kMaxAddresses) {
        message = "at most " + std::to_string(kMaxAddresses) + " node addresses are remembered; remove one first";
        return Outcome::Refused;
    }
    list.push_back(canonical);
    if (!store(list, message))
        return Outcome::Failed;
    message = canonical + " remembered; it is asked at every scan";
    return Outcome::Added;
}

RememberedNodes::Outcome RememberedNodes::remove(const std::string& address, std::string& message) const
{
    const auto value = uni::ipv4::parseAddress(address);
    const std::string canonical = value ? uni::ipv4::addressText(*value) : address;
    std::vector<std::string> list;
    if (!loaded(list, message))
        return Outcome::Failed;
    const auto found = std::find(list.begin(), list.end(), canonical);
    if (found == list.end()) {
        message = canonical + " is not among the remembered node addresses; nothing to remove";
        return Outcome::NotThere;
    }
    list.erase(found);
    if (!store(list, message))
        return Outcome::Failed;
    message = canonical + " forgotten; it is no longer asked directly";
    return Outcome::Removed;
}

bool RememberedNodes::store(const std::vector<std::string>& addresses, std::string& message) const
{
    std::string text;
    for (const std::string& address : addresses)
        text += address + "\n";
    std::string error;
    if (ensureDirectory(m_folder) && AtomicFileWriter::write(m_path, text, &error))
        return true;
    message = "the list of remembered nodes could not be written to " + m_path +
              (error.empty() ? std::string() : " (" + error + ")") + "; check that the folder is writable";
    return false;
}

std::string RememberedNodes::refusal(const std::string& address, const uni::ipv4::IpAddressPairList& locals)
{
    const auto value = uni::ipv4::parseAddress(address);
    if (!value)
        return "\"" + address + "\" is not an IPv4 address; give the node's address as four numbers, e.g. 192.168.1.20";
    const std::uint32_t host = ntohl(*value);
    if (host == 0)
        return "0.0.0.0 names no node; give the node's own address";
    if (host >= kMulticastFirst)
        return address + " is a broadcast, multicast or reserved address, not one node's; give the node's own address";
    for (const auto& local : locals) {
        const std::string network = uni::ipv4::addressText(local.network().value_or(0)) + "/" +
                                    std::to_string(uni::ipv4::prefixFromMask(local.netmask()));
        if (local.netmask() == 0xFFFFFFFFu || ntohl(local.netmask()) == 0xFFFFFFFEu || !local.contains(*value))
            continue;
        if (local.network() == value)
            return address + " is the network address of this computer's network " + network +
                   "; give a node's address";
        if (local.broadcast() == value)
            return address + " is the broadcast address of this computer's network " + network +
                   "; give a node's address";
    }
    const uni::AllowedNetworks& allowed = uni::AllowedNetworks::process();
    if (!allowed.isAllowed(*value))
        return address + " is outside the networks this program may use (" + allowed.toString() + ", set in " +
               uni::AllowedNetworks::kEnvironmentVariable + ")";
    return {};
}

std::string RememberedNodes::refusal(const std::string& address)
{
    // Networks left out by the allowed networks need no look: their addresses are refused anyway.
    uni::ipv4::IpAddressPairList locals;
    uni::NetIfProvider().localAddressPairs(locals);
    return refusal(address, locals);
}

} // namespace z2e
