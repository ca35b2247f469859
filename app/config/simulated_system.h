#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Plain records of the simulated ("demo") system as the configuration document stores it.
// The configuration layer knows nothing of the node model: the core converts its nodes to
// these records before writing and builds nodes from them after reading.
namespace z2e {

/// A name/value pair: an enclosure option, or a channel and the module fitted to it.
struct SimulatedNamedValue {
    std::string name;
    std::string value;
};

/// One board, as written from a slot and as read back from a board entry.
struct SimulatedBoardEntry {
    /// Board description element ("<KEY BaseModel=... >...</KEY>") as XML text.
    std::string key;
    std::string firmwareRevision;
    /// Empty when writing: the running board index is stored as "%08X" instead.
    std::string serialNumber;
    /// Empty when writing: "00000000" is stored instead.
    std::string conSerialNumber;
    /// One per channel with a module (channel name, module name). Written only when not
    /// empty; an empty list removes a stale ChannelModules element.
    std::vector<SimulatedNamedValue> channelModules;

    // Filled by reading only.
    int encNumber = -1;    ///< index of the enclosure that holds the board
    int slotNumber = -1;   ///< slot number (first slot is 2)
    int boardIndex = -1;   ///< running index over the boards read, from 0
    std::string boardName; ///< model name built from the KEY (see readSimulatedBoards)
};

/// One slot of an enclosure, in slot order, as handed to writeSimulatedSystem.
struct SimulatedSlotEntry {
    int slotNumber = 0;
    bool hasBoard = false;
    SimulatedBoardEntry board; ///< used only when hasBoard
};

/// One enclosure, as written from the tree and as read back from an enclosure entry.
struct SimulatedEnclosureEntry {
    /// Enclosure type code; compared, as "%08X", with the stored KEY's EncName.
    std::uint32_t nameCode = 0;
    /// Enclosure description element ("<KEY EncName=...>...</KEY>") as XML text.
    std::string key;
    std::string serialNumber;
    std::string userData;
    std::int32_t encType = 0;
    std::int32_t encVersion = 0;
    /// Enclosure options in the enclosure's option order.
    std::vector<SimulatedNamedValue> options;
    /// Every slot in slot order (writing only).
    std::vector<SimulatedSlotEntry> slots;

    // Filled by reading only.
    int index = -1;       ///< running enclosure number, from 0
    std::string entryXml; ///< the whole ID entry printed raw, for the description parser
};

/// A whole system in tree order: the input of writeSimulatedSystem.
struct SimulatedSystem {
    std::vector<SimulatedEnclosureEntry> enclosures;
};

} // namespace z2e
