#include "uni/net_if_provider.h"

#include "uni/log.h"
#include "uni/osal.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/in.h>
#include <netpacket/packet.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>

namespace uni {
namespace {

std::string kindOf(const std::string& name, unsigned short hardwareType)
{
    switch (hardwareType) {
    case ARPHRD_LOOPBACK: return "Loopback";
    case ARPHRD_ETHER:
        // Wi-Fi links present themselves as Ethernet; sysfs tells them apart.
        return ::access(("/sys/class/net/" + name + "/wireless").c_str(), F_OK) == 0 ? "Wireless" : "Ethernet";
    case ARPHRD_IEEE80211:
    case ARPHRD_IEEE80211_PRISM:
    case ARPHRD_IEEE80211_RADIOTAP: return "Wireless";
    case ARPHRD_PPP: return "PPP";
    case ARPHRD_INFINIBAND: return "InfiniBand";
    case ARPHRD_NONE:
    case ARPHRD_TUNNEL:
    case ARPHRD_TUNNEL6:
    case ARPHRD_SIT:
    case ARPHRD_IPGRE: return "Tunnel";
    default: return "Type " + std::to_string(hardwareType);
    }
}

/// Address labels such as "eth0:1" belong to the link "eth0".
std::string linkName(const char* label)
{
    const std::string text(label);
    return text.substr(0, text.find(':'));
}

struct Collected {
    NetInterface netIf;
    bool haveLink = false;
};

void addLink(std::map<std::string, Collected>& links, const ifaddrs& entry)
{
    const auto* link = reinterpret_cast<const sockaddr_ll*>(entry.ifa_addr);
    Collected& item = links[entry.ifa_name];
    item.haveLink = true;
    item.netIf.index = static_cast<unsigned>(link->sll_ifindex);
    const std::size_t length = std::min<std::size_t>(link->sll_halen, sizeof link->sll_addr);
    item.netIf.hardwareAddress.assign(link->sll_addr, link->sll_addr + length);
    item.netIf.description = std::string(entry.ifa_name) + " [" + kindOf(entry.ifa_name, link->sll_hatype) + "]";
}

void addAddress(std::map<std::string, Collected>& links, const ifaddrs& entry)
{
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry.ifa_addr);
    std::uint32_t mask = 0xffffffffu; // no mask reported: the address stands alone
    if (entry.ifa_netmask != nullptr && entry.ifa_netmask->sa_family == AF_INET)
        mask = reinterpret_cast<const sockaddr_in*>(entry.ifa_netmask)->sin_addr.s_addr;
    links[linkName(entry.ifa_name)].netIf.addresses.emplace_back(address->sin_addr.s_addr, mask);
}

} // namespace

int NetIfProvider::allInterfaces(NetInterfaceList& out) const
{
    out.clear();
    ifaddrs* raw = nullptr;
    if (::getifaddrs(&raw) != 0) {
        UNI_LOG("tnnetobs", log::error) << "getifaddrs failed: " << std::strerror(errno);
        return -(osal::ERR_UNI_OSAL_ERROR - osal::ERR_UNI_OSAL_BASE);
    }
    const std::unique_ptr<ifaddrs, decltype(&::freeifaddrs)> list(raw, &::freeifaddrs);

    std::map<std::string, Collected> links;
    for (const ifaddrs* entry = raw; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_name == nullptr || (entry->ifa_flags & IFF_UP) == 0)
            continue;
        if (entry->ifa_addr->sa_family == AF_PACKET)
            addLink(links, *entry);
        else if (entry->ifa_addr->sa_family == AF_INET)
            addAddress(links, *entry);
        if (entry->ifa_flags & IFF_LOOPBACK)
            links[linkName(entry->ifa_name)].netIf.loopback = true;
    }

    for (auto& [name, item] : links) {
        item.netIf.name = name;
        if (!item.haveLink) {
            // Links without a packet entry still have an index and deserve a readable kind.
            item.netIf.index = ::if_nametoindex(name.c_str());
            item.netIf.description = name + (item.netIf.loopback ? " [Loopback]" : " [Network]");
        }
        out.push_back(std::move(item.netIf));
    }
    std::sort(out.begin(), out.end(), [](const NetInterface& a, const NetInterface& b) { return a.index < b.index; });
    return 0;
}

} // namespace uni
