#pragma once
// Gathers the facts of a discovery diagnosis: reads the interfaces and the allowed networks,
// tries the ports the network client binds (before a client of its own holds them), then runs a
// network client of its own for a bounded time, on a private answer port so that the window or
// another program holding the usual one does not keep the answers away, and reads what it sent
// and heard. Blocks the calling thread for at most the scan time: never the GUI thread.

#include "core/discovery_facts.h"
#include "core/network_client_settings.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace uni {
class IfNetIfProvider;
}

namespace z2e {

class DiscoveryProbe {
public:
    struct Options {
        /// The networks to look on and the base port (0: the default 9237).
        NetworkClientSettings settings;
        /// Node addresses asked by unicast at every scan.
        std::vector<std::string> rememberedNodes;
        /// How long to listen for answers; kept within kMinScanMs .. kMaxScanMs.
        std::uint32_t scanMs = kDefaultScanMs;
    };

    static constexpr std::uint32_t kDefaultScanMs = 2500;
    static constexpr std::uint32_t kMinScanMs = 300;
    static constexpr std::uint32_t kMaxScanMs = 5000;

    /// `provider` stands in for the machine's interfaces (tests); null: the machine's.
    explicit DiscoveryProbe(std::shared_ptr<const uni::IfNetIfProvider> provider = nullptr);

    /// The facts; a `cancel` set meanwhile (any thread) ends the listening early.
    DiscoveryFacts examine(const Options& options, const std::atomic<bool>& cancel) const;

private:
    void readInterfaces(const Options& options, DiscoveryFacts& facts) const;
    static void checkPorts(std::uint16_t basePort, DiscoveryFacts& facts);
    void listen(const Options& options, const std::atomic<bool>& cancel, DiscoveryFacts& facts) const;

    std::shared_ptr<const uni::IfNetIfProvider> m_provider;
};

} // namespace z2e
