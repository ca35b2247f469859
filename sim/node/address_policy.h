#pragma once
// Which addresses the simulator may bind to, announce on and answer: those of
// QORINET_ALLOWED_NETWORKS when it is set, else loopback only. A simulator never speaks on a
// real network unless told to.

#include <cstdint>
#include <string>

namespace nodesim {

class AddressPolicy {
public:
    /// `networkOrder` may be used.
    static bool allowed(std::uint32_t networkOrder);
    /// Dotted text; false for anything that is not a dotted quad.
    static bool allowed(const std::string& address);
    /// The allowed networks, for messages.
    static std::string describe();
};

} // namespace nodesim
