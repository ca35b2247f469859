#pragma once
// Source of the local interface list. Code that walks interfaces takes this interface so that
// tests can hand in a fixed list instead of the machine's.

#include "uni/allowed_networks.h"
#include "uni/net_interface.h"

namespace uni {

class IfNetIfProvider {
public:
    virtual ~IfNetIfProvider() = default;

    /// Every interface that is up, with all its IPv4 addresses, unfiltered.
    /// 0, or a negative uni result (the list is then empty).
    virtual int allInterfaces(NetInterfaceList& out) const = 0;

    /// allInterfaces() reduced to what `allowed` admits: foreign addresses are dropped, and under
    /// a restriction so is every interface left without an address.
    int interfaces(NetInterfaceList& out, const AllowedNetworks& allowed = AllowedNetworks::process()) const;

    /// The interface with this index as interfaces() reports it. 0, or the negative ENODATA result
    /// when it is not (or no longer) there.
    int findInterface(unsigned index, NetInterface& out,
                      const AllowedNetworks& allowed = AllowedNetworks::process()) const;

    /// The address pairs of all interfaces that interfaces() reports, in interface order.
    int localAddressPairs(ipv4::IpAddressPairList& out,
                          const AllowedNetworks& allowed = AllowedNetworks::process()) const;
};

} // namespace uni
