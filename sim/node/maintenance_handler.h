#pragma once
// One connection to a node's maintenance port (control port + 6): a single request (restart
// the server, reboot, set the IP configuration), its answer, then the connection closes. The
// caller carries out the action once the answer is out.

#include "uni/ip_address_pair.h"

#include <cstdint>
#include <functional>
#include <string>

namespace uni {
class TCPSocket;
}

namespace nodesim {

class SimNode;

class MaintenanceHandler {
public:
    enum class Action { None, Restart, Reboot, Reconfigure };

    struct Outcome {
        Action action = Action::None;
        uni::ipv4::IpAddressPair address; ///< the node's address after Reconfigure
        std::uint32_t mode = 0;           ///< IP mode word after Reconfigure
    };

    /// True when another node of this process already uses the address (network order).
    using AddressTaken = std::function<bool(std::uint32_t)>;

    /// IP mode bits: automatic configuration and the IPv6 variants.
    static constexpr std::uint32_t kModeAutomatic = 0x1100;
    static constexpr std::uint32_t kModeIpv6 = 0x66;
    /// Longest wait for the request on a fresh connection.
    static constexpr std::uint32_t kReceiveTimeoutMs = 500;

    /// Serves `connection` (already accepted) for `node` and closes it.
    static Outcome serve(uni::TCPSocket& connection, const SimNode& node, const AddressTaken& taken);

    /// The result code of an IP configuration request; fills `outcome` when it is accepted.
    /// 700012 for IPv6, 700005 for a malformed address or mask, 700013 for an address outside
    /// the allowed networks, 700011 for an address another node uses.
    static std::int32_t checkIpConfig(std::uint32_t mode, const std::string& address, const std::string& netmask,
                                      const SimNode& node, const AddressTaken& taken, Outcome& outcome);
};

} // namespace nodesim
