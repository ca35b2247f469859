#pragma once
// What a board tool dialog works on: the command layer of one node, the boards of the chosen
// tree row in row order, and where the journal and the files go. The main window fills it from
// the row the tool was opened for.

#include "driver/command/qorin_node_util_wrapper.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace z2e {

struct ToolTarget {
    /// What the tree tells of a board.
    struct BoardFacts {
        std::string place; ///< "Enclosure 0, Slot 2: QA-4008.BNC"
        bool can = false;  ///< its description counts CAN channels
        bool uart = false; ///< ... UART channels
    };

    std::shared_ptr<QorinNodeUtilWrapper> wrapper;
    std::vector<std::uint32_t> boards; ///< driver board indices, in row order
    std::vector<BoardFacts> facts;     ///< one for each of `boards`, or none
    std::int32_t enclosure = -1;       ///< driver enclosure index of an enclosure row, else -1
    bool multiBoard = false;           ///< an enclosure or the whole system, not one board
    bool simulated = false;            ///< the boards are the driver's simulated ones
    std::string folder;                ///< where file dialogs start
    std::string nodeText = "local";    ///< the node as the journal names it
    std::string journalFolder;         ///< ".../maintenance"; empty: nothing is journalled
    bool snapshots = true;             ///< EEPROM snapshots before a change
    bool interruptible = false;        ///< a network node: a long wait may be cancelled
};

} // namespace z2e
