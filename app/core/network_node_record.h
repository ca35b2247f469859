#pragma once
// What a network node reports about itself, as a plain record. The network client fills it;
// the tree is built from it (NetworkNodeRows).

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

/// One slot of a network node's enclosure.
struct NetworkSlotRecord {
    std::int32_t slotNumber = 0;
    bool hasBoard = false;
    std::string boardName;
    std::string serialNumber;
    std::int32_t boardIndex = -1;  ///< the board's position in the node's board list
    bool temperaturesRead = false; ///< the readings below came from the node over the link
    std::string baseTemperature;
    std::string conTemperature;
};

/// One enclosure of a network node.
struct NetworkEnclosureRecord {
    std::string name;
    std::string serialNumber;
    std::vector<NetworkSlotRecord> slotRecords;
};

/// One board of a network node, in the node's board order.
struct NetworkBoardRecord {
    std::string name;
    std::string serialNumber;
    std::string firmware; ///< installed firmware as the node announces it; empty: unknown
    std::int32_t enclosureIndex = -1;
    std::int32_t slotNumber = -1;
};

/// Link state of the control connection; below Established the node may be unreachable.
struct NetworkConnectionState {
    enum : std::uint32_t {
        Unknown = 0,
        Announced = 1,   ///< seen, never answered
        Established = 2, ///< answered at least once
    };
};

struct NetworkNodeRecord {
    std::uint32_t nodeId = 0;
    std::string name;
    std::string address; ///< dotted IPv4
    std::string netMask;
    std::string ipMode = "Static"; ///< "Static" or "DHCP", from the mode word the node reports
    std::string ipVersion = "IPv4";
    std::string localAddress; ///< address of this computer's interface toward the node
    std::string localNetMask;

    std::string serverVersion;
    std::string firmwareVersion; ///< empty: unknown
    std::string apiVersion;
    std::string driverVersion; ///< empty: unknown

    std::vector<NetworkEnclosureRecord> enclosures;
    std::vector<NetworkBoardRecord> boards;

    std::uint32_t connectionState = NetworkConnectionState::Unknown;
    /// Why the node could not be linked or read (a node-side code, 700000 + n); 0 when it was.
    std::int32_t failure = 0;
    bool connected = false; ///< this program holds the control connection
    bool occupied = false;  ///< another client holds the node
    bool simulated = false;
};

} // namespace z2e
