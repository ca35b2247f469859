#pragma once
// The machine's interface list, read with getifaddrs in the calling thread's network namespace.

#include "uni/if_net_if_provider.h"

namespace uni {

class NetIfProvider : public IfNetIfProvider {
public:
    /// Up interfaces sorted by index; link data from the AF_PACKET entries, addresses from AF_INET.
    int allInterfaces(NetInterfaceList& out) const override;
};

} // namespace uni
