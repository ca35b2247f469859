#pragma once
// Fills a system root from a connected node: every enclosure with its description, then every
// board placed into the slot it reports, with temperatures, firmware state and the overview
// row. A board whose place is not in the tree becomes an orphan row below the root.

#include <cstdint>

namespace z2e {

class QorinNodeUtilWrapper;
class RootNode;
class SlotNode;

class SystemScanner {
public:
    explicit SystemScanner(QorinNodeUtilWrapper& wrapper);

    /// Clears `root` and fills it. 5000 when the wrapper is not ready, else 0: a part that
    /// cannot be read is logged and shown as far as it was read.
    std::int32_t scan(RootNode& root);

private:
    void scanEnclosure(RootNode& root, std::uint32_t enclosure);
    void scanBoard(RootNode& root, std::uint32_t board);
    SlotNode* freeSlotAt(RootNode& root, std::int32_t enclosure, std::int32_t slotNumber) const;
    void readBoardFacts(SlotNode& slot, std::uint32_t board);

    QorinNodeUtilWrapper& m_wrapper;
};

} // namespace z2e
