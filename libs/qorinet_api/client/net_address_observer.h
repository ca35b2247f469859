#pragma once
// Keeps the local address pairs of every interface and tells, when the platform reports a
// change on one, what changed. Only addresses the allowed networks admit count; a loopback
// interface counts only under an explicit restriction that admits it (test and demo set-ups
// with simulators on 127.x), never in an unrestricted production run.

#include "uni/allowed_networks.h"
#include "uni/if_net_if_provider.h"

#include <map>
#include <vector>

namespace qorinet_api {

enum class NetInterfaceAction { ADDITION, UPDATE, REMOVAL, IGNORE_ITF };

/// "ADDITION", "UPDATE", "REMOVAL", "IGNORE_ITF".
const char* netInterfaceActionName(NetInterfaceAction action);

class NetAddressObserver {
public:
    struct Change {
        unsigned index = 0;
        NetInterfaceAction action = NetInterfaceAction::IGNORE_ITF;
        uni::ipv4::IpAddressPairList removed; ///< pairs gone from the interface
        uni::ipv4::IpAddressPairList added;   ///< pairs new on the interface
    };

    NetAddressObserver(const uni::IfNetIfProvider& provider, const uni::AllowedNetworks& allowed);

    /// Reads every interface afresh and forgets the stored state. 0 or the provider's failure.
    int reset();
    /// The stored pairs of all interfaces, in interface order.
    uni::ipv4::IpAddressPairList pairs() const;

    /// Compares interface `index` now with what is stored, stores the new state and tells the
    /// difference: only additions ADDITION, only removals REMOVAL, both UPDATE, none IGNORE_ITF.
    Change observe(unsigned index);
    /// observe() for every interface stored or present now (after lost notifications). Only
    /// changes other than IGNORE_ITF are returned.
    std::vector<Change> resync();

private:
    uni::NetInterfaceList current() const;
    uni::ipv4::IpAddressPairList counted(const uni::NetInterface& netIf) const;
    Change compare(unsigned index, const uni::ipv4::IpAddressPairList& now);

    const uni::IfNetIfProvider& m_provider;
    const uni::AllowedNetworks m_allowed;
    std::map<unsigned, uni::ipv4::IpAddressPairList> m_stored;
};

} // namespace qorinet_api
