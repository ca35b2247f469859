#pragma once
// Between a system tree and the plain records of the demo system that the driver
// configuration stores: the tree is written as records, and records read back become a tree.

#include "config/simulated_system.h"

#include <vector>

namespace z2e {

class RootNode;

class SimulatedSystemConverter {
public:
    /// Records of every enclosure of `root` in tree order, with every slot in slot order.
    static SimulatedSystem toRecords(const RootNode& root);

    /// Clears `root` and builds it from configuration entries. Enclosures are parsed from
    /// their KEY and entry; a board is placed at slot position SlotNumber - 2 of enclosure
    /// EncNumber and skipped when that place is not in the tree or already taken.
    /// Returns the number of boards placed.
    static std::size_t fromRecords(const std::vector<SimulatedEnclosureEntry>& enclosures,
                                   const std::vector<SimulatedBoardEntry>& boards, RootNode& root);
};

} // namespace z2e
