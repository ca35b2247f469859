#include "uni/if_net_if_provider.h"

#include "uni/osal.h"

#include <utility>

namespace uni {

int IfNetIfProvider::interfaces(NetInterfaceList& out, const AllowedNetworks& allowed) const
{
    out.clear();
    NetInterfaceList all;
    const int result = allInterfaces(all);
    if (result != 0)
        return result;
    for (auto& netIf : all) {
        netIf.addresses = allowed.filter(netIf.addresses);
        if (allowed.restricted() && netIf.addresses.empty())
            continue;
        out.push_back(std::move(netIf));
    }
    return 0;
}

int IfNetIfProvider::findInterface(unsigned index, NetInterface& out, const AllowedNetworks& allowed) const
{
    NetInterfaceList list;
    const int result = interfaces(list, allowed);
    if (result != 0)
        return result;
    for (auto& netIf : list) {
        if (netIf.index == index) {
            out = std::move(netIf);
            return 0;
        }
    }
    return -(osal::ERR_UNI_OSAL_ENODATA - osal::ERR_UNI_OSAL_BASE);
}

int IfNetIfProvider::localAddressPairs(ipv4::IpAddressPairList& out, const AllowedNetworks& allowed) const
{
    out.clear();
    NetInterfaceList list;
    const int result = interfaces(list, allowed);
    if (result != 0)
        return result;
    for (const auto& netIf : list)
        out.insert(out.end(), netIf.addresses.begin(), netIf.addresses.end());
    return 0;
}

} // namespace uni
