#pragma once
// The computer's network interfaces the client can be bound to, as plain texts, so that a
// settings window can offer them without knowing how the platform lists interfaces.

#include <cstdint>
#include <string>
#include <vector>

namespace uni {
class IfNetIfProvider;
}

namespace qorinet_api {

/// One IPv4 address of an interface.
struct LocalInterface {
    std::uint32_t index = 0;
    std::string description;
    std::string address;
    std::string mask;
};

class LocalInterfaceList {
public:
    /// The computer's interfaces, within QORINET_ALLOWED_NETWORKS.
    LocalInterfaceList();
    /// The interfaces `provider` reports; it is not owned and outlives this list. Implicit, so
    /// that a test's fixed interfaces stand in wherever a list is taken.
    LocalInterfaceList(const uni::IfNetIfProvider& provider); // NOLINT(google-explicit-constructor)

    /// Every interface with a hardware address other than all zeros and an IPv4 address, in
    /// interface order, one entry per address.
    std::vector<LocalInterface> choosable() const;

private:
    const uni::IfNetIfProvider& m_provider;
};

} // namespace qorinet_api
