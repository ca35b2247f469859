#include "qorinet_api/client/net_address_observer.h"

#include "uni/log.h"

#include <algorithm>
#include <set>

namespace qorinet_api {

namespace {

constexpr const char* kChannel = "tnnetobs";

bool contains(const uni::ipv4::IpAddressPairList& list, const uni::ipv4::IpAddressPair& pair)
{
    return std::find(list.begin(), list.end(), pair) != list.end();
}

uni::ipv4::IpAddressPairList missingFrom(const uni::ipv4::IpAddressPairList& from,
                                         const uni::ipv4::IpAddressPairList& in)
{
    uni::ipv4::IpAddressPairList out;
    for (const auto& pair : from)
        if (!contains(in, pair))
            out.push_back(pair);
    return out;
}

} // namespace

const char* netInterfaceActionName(NetInterfaceAction action)
{
    switch (action) {
    case NetInterfaceAction::ADDITION: return "ADDITION";
    case NetInterfaceAction::UPDATE: return "UPDATE";
    case NetInterfaceAction::REMOVAL: return "REMOVAL";
    case NetInterfaceAction::IGNORE_ITF: return "IGNORE_ITF";
    }
    return "IGNORE_ITF";
}

NetAddressObserver::NetAddressObserver(const uni::IfNetIfProvider& provider, const uni::AllowedNetworks& allowed)
    : m_provider(provider), m_allowed(allowed)
{
}

uni::NetInterfaceList NetAddressObserver::current() const
{
    uni::NetInterfaceList list;
    if (m_provider.interfaces(list, m_allowed) != 0)
        UNI_LOG(kChannel, uni::log::warning) << "reading the interface list failed";
    return list;
}

uni::ipv4::IpAddressPairList NetAddressObserver::counted(const uni::NetInterface& netIf) const
{
    if (netIf.loopback && !m_allowed.restricted())
        return {};
    return netIf.addresses;
}

int NetAddressObserver::reset()
{
    m_stored.clear();
    uni::NetInterfaceList list;
    const int result = m_provider.interfaces(list, m_allowed);
    for (const auto& netIf : list) {
        auto pairs = counted(netIf);
        if (!pairs.empty())
            m_stored[netIf.index] = std::move(pairs);
    }
    return result;
}

uni::ipv4::IpAddressPairList NetAddressObserver::pairs() const
{
    uni::ipv4::IpAddressPairList out;
    for (const auto& entry : m_stored)
        out.insert(out.end(), entry.second.begin(), entry.second.end());
    return out;
}

NetAddressObserver::Change NetAddressObserver::observe(unsigned index)
{
    uni::ipv4::IpAddressPairList now;
    for (const auto& netIf : current())
        if (netIf.index == index)
            now = counted(netIf);
    return compare(index, now);
}

std::vector<NetAddressObserver::Change> NetAddressObserver::resync()
{
    const uni::NetInterfaceList list = current();
    std::set<unsigned> indexes;
    for (const auto& entry : m_stored)
        indexes.insert(entry.first);
    for (const auto& netIf : list)
        indexes.insert(netIf.index);
    std::vector<Change> changes;
    for (const unsigned index : indexes) {
        uni::ipv4::IpAddressPairList now;
        for (const auto& netIf : list)
            if (netIf.index == index)
                now = counted(netIf);
        Change change = compare(index, now);
        if (change.action != NetInterfaceAction::IGNORE_ITF)
            changes.push_back(std::move(change));
    }
    return changes;
}

NetAddressObserver::Change NetAddressObserver::compare(unsigned index, const uni::ipv4::IpAddressPairList& now)
{
    Change change;
    change.index = index;
    const auto found = m_stored.find(index);
    const uni::ipv4::IpAddressPairList before =
        found == m_stored.end() ? uni::ipv4::IpAddressPairList{} : found->second;
    change.removed = missingFrom(before, now);
    change.added = missingFrom(now, before);
    if (!change.added.empty() && !change.removed.empty())
        change.action = NetInterfaceAction::UPDATE;
    else if (!change.added.empty())
        change.action = NetInterfaceAction::ADDITION;
    else if (!change.removed.empty())
        change.action = NetInterfaceAction::REMOVAL;
    if (now.empty())
        m_stored.erase(index);
    else
        m_stored[index] = now;
    UNI_LOG(kChannel, uni::log::info) << "interface " << index << ": " << netInterfaceActionName(change.action);
    return change;
}

} // namespace qorinet_api
