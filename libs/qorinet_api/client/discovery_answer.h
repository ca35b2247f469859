#pragma once
// The document of a scan answer or node announcement, read into plain fields. Everything comes
// from the network: numbers that do not parse count as absent, lists are capped.

#include "uni/ip_address_pair.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qorinet_api {

struct DiscoveryBoard {
    std::string name;
    std::string serial;
    std::string firmware;
    std::uint32_t slotIndex = 0;
    std::uint32_t enclosureIndex = 0;
};

struct DiscoveryEnclosure {
    std::string name;
    std::string serial;
    std::uint32_t slotCount = 0;
    /// Number of the first slot as the node's driver counts its slots; absent when not told.
    std::optional<std::uint32_t> slotNoOffset;
};

/// "NetClient": the client that holds the node at the moment.
struct DiscoveryHolder {
    std::string address;
    std::string mask;
    std::optional<std::uint32_t> controlPort;
};

struct DiscoveryAnswer {
    /// Entries read from each list at most; a datagram cannot hold more anyway.
    static constexpr std::size_t kMaxListEntries = 256;

    // "NetBase"
    std::optional<std::uint32_t> cmdVersion;
    std::string swVersion;
    uni::ipv4::IpAddressPair node; ///< "net-addr" / "net-mask"
    std::uint16_t controlPort = 0;
    std::uint16_t dataPort = 0; ///< control port + 10 when absent
    std::optional<std::uint32_t> mode;
    std::string clientAddress; ///< empty when absent or not a dotted quad

    // "Node"
    std::uint32_t boardCount = 0;
    bool simulation = false;
    std::uint32_t enclosureCount = 0;
    std::string name;
    std::optional<std::uint32_t> syncState;
    std::string firmware;
    std::string driver;
    std::string enclosureAccess;
    std::string enclosureSerial;
    std::vector<DiscoveryEnclosure> enclosures;
    std::vector<DiscoveryBoard> boards;

    std::optional<DiscoveryHolder> holder;

    /// Reads `length` bytes of XML. False when it is no document with root "Cmd" and a
    /// "NetBase" that names a valid address, mask and control port; `out` is then unspecified.
    static bool parse(const char* data, std::size_t length, DiscoveryAnswer& out);
};

} // namespace qorinet_api
