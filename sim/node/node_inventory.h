#pragma once
// What a node tells about its hardware in discovery documents: enclosures and boards as the
// driver reports them, plus the driver's version.

#include "qorinet_api/client/qorinet_if_client_node.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nodesim {

struct InventoryEnclosure {
    std::string name;
    std::string serial;
    std::uint32_t slotCount = 0;
    std::uint32_t slotOffset = 0; ///< number of the first slot in the driver's numbering
};

struct InventoryBoard {
    std::string name;
    std::string serial;
    std::string firmware;
    std::uint32_t slotIndex = 0; ///< zero-based within its enclosure
    std::uint32_t enclosureIndex = 0;
};

class NodeInventory {
public:
    /// Reads the enclosure and board descriptions through `node`; entries whose description
    /// is missing or broken are skipped. `boardCount` and `enclosureCount` bound the reads.
    static NodeInventory read(qorinet_api::QORINetIfClientNode& node, std::uint32_t boardCount,
                              std::uint32_t enclosureCount);

    const std::vector<InventoryEnclosure>& enclosures() const { return m_enclosures; }
    const std::vector<InventoryBoard>& boards() const { return m_boards; }
    const std::string& driverVersion() const { return m_driverVersion; }

    /// Builds an inventory directly (tests, synthetic nodes).
    void addEnclosure(const InventoryEnclosure& enclosure) { m_enclosures.push_back(enclosure); }
    void addBoard(const InventoryBoard& board) { m_boards.push_back(board); }

private:
    std::vector<InventoryEnclosure> m_enclosures;
    std::vector<InventoryBoard> m_boards;
    std::string m_driverVersion;
};

} // namespace nodesim
