#pragma once
// What the window's network client is started with, in plain terms: which networks it works on
// and the choices a test makes. NetworkClientHost turns it into the client's configuration.

#include <cstdint>
#include <string>

namespace z2e {

/// Choices of the window's client that are not operator settings (tests pick their own).
struct NetworkClientTuning {
    /// 0: the default port triple (9237); the node simulators of a demo run use it too.
    std::uint32_t basePort = 0;
    /// 0: the client's default scan interval.
    std::uint32_t scanIntervalMs = 0;
};

struct NetworkClientSettings {
    enum class Networks {
        AllInterfaces, ///< every interface, following address changes
        OneAddress,    ///< only `address` with `mask`
        Off,           ///< no network side at all
    };
    Networks networks = Networks::AllInterfaces;
    std::string address; ///< dotted IPv4 (OneAddress)
    std::string mask;    ///< dotted IPv4 (OneAddress)
    NetworkClientTuning tuning;
};

} // namespace z2e
