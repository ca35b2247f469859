#pragma once
// Who a board is, as the tools report and journal it: read from its properties document.

#include "driver/command/qorin_node_util_wrapper.h"

#include <cstdint>
#include <string>

namespace z2e {

class BoardIdentity {
public:
    static constexpr std::uint32_t kUnknownSlot = 0xFFFFFFFFu;

    std::uint32_t index = 0;
    std::uint32_t slot = kUnknownSlot;
    std::int32_t enclosure = -1; ///< the enclosure's number as the tree shows it; -1 unknown
    std::string name;            ///< the caption ("BoardName")
    std::string model;           ///< model name with feature suffixes ("DisplayName")
    std::string serial;
    std::string firmware; ///< installed firmware version text

    /// Fills what the properties document holds and the enclosure the board sits in; a failing
    /// read leaves the texts empty and the enclosure unknown.
    static BoardIdentity read(QorinNodeUtilWrapper& wrapper, std::uint32_t board);
    /// The board's properties document; empty when it cannot be read.
    static std::string description(QorinNodeUtilWrapper& wrapper, std::uint32_t board);
    /// Asks the node for the enclosure the board sits in (the wrapper keeps it once known).
    void readPlace(QorinNodeUtilWrapper& wrapper);

    /// How the operator names the board: "0/2  QA-4008.BNC 10A80001" (enclosure/slot as the
    /// tree numbers them, model, serial); "board 0  QA-4008.BNC" when its place is unknown.
    std::string label() const;
    /// Same, from a document already read.
    static BoardIdentity fromProperties(std::uint32_t board, const std::string& document);
};

} // namespace z2e
