#pragma once
// Whether the computer can reach a node at the address the node claims: a node heard on the
// wire but outside the network of the computer's address that heard it (or of the chosen
// one), or one of two nodes claiming one address, has inconsistent IP settings. Such nodes are
// listed, with what is wrong in words and a free address of the computer's network to give
// them. "Free" means used by neither this computer nor any node heard: nothing is probed.

#include "uni/ip_address_pair.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace uni {
class IfNetIfProvider;
}

namespace z2e {

class NodeAddressCheck {
public:
    /// One of this computer's addresses with its mask, and the interface it is on ("" unknown).
    struct LocalNetwork {
        uni::ipv4::IpAddressPair pair;
        std::string interfaceName;
    };

    /// A node as discovery heard it.
    struct Node {
        std::string name;
        std::string address;
        std::string mask;
        /// The computer's address as the node saw it ("client-addr"); "" when not told.
        std::string clientAddress;
    };

    struct Verdict {
        /// "" when the node is reachable, else kInconsistent.
        std::string status;
        /// What is wrong, in words ("" when nothing is).
        std::string problem;
        bool conflict = false;
        /// The address and mask "Change Node IP" offers, another for each node of one judgement;
        /// "" when the network has none free.
        std::string freeAddress;
        std::string freeMask;

        bool consistent() const { return status.empty(); }
    };

    static constexpr const char* kInconsistent = "Inconsistent IP settings";

    explicit NodeAddressCheck(std::vector<LocalNetwork> locals);

    /// One verdict per node, in the order given.
    std::vector<Verdict> judge(const std::vector<Node>& nodes) const;

    /// This computer's networks that the client works on: `pairs` named after the interface
    /// of `interfaces` that carries each address.
    static std::vector<LocalNetwork> named(const uni::ipv4::IpAddressPairList& pairs,
                                           const uni::IfNetIfProvider& interfaces);
    /// The same with the computer's interface list, read now.
    static std::vector<LocalNetwork> named(const uni::ipv4::IpAddressPairList& pairs);

private:
    const LocalNetwork* heardBy(const Node& node) const;
    std::string outsideText(const Node& node) const;
    void offerFreeAddress(const LocalNetwork* local, std::set<std::uint32_t>& taken, Verdict& verdict) const;

    std::vector<LocalNetwork> m_locals;
};

} // namespace z2e
