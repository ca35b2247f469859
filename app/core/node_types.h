#pragma once
// Numbers that identify the system a node belongs to and what a node stands for. They are
// handed around as unsigned 32-bit values; a node stores them in 16 bits each.

#include <cstdint>

namespace z2e {

/// Which system a node belongs to; a child always takes its parent's kind.
struct SystemKind {
    enum : std::uint32_t {
        Local = 1,  ///< boards of this computer
        Demo = 2,   ///< the simulated system kept in the driver configuration
        Remote = 3, ///< a network node
    };
};

/// What a node stands for; decides its row text and icon.
struct NodeType {
    enum : std::uint32_t {
        Root = 1,
        Enclosure = 2,
        BoardSlot = 3, ///< a slot holding a board
        EmptySlot = 4,
        Property = 5,
        OrphanBoard = 6, ///< a board no enclosure slot could take
        NodeInfo = 7,    ///< information line of a network node
        Temperature = 8,
        SlotState = 9, ///< slot row of a network node's enclosure
        NodeName = 10,
        CommunicationProblem = 11,
    };
};

} // namespace z2e
