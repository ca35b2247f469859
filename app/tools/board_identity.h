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
    std::string name;  ///< the caption ("BoardName")
    std::string model; ///< model name with feature suffixes ("DisplayName")
    std::string serial;
    std::string firmware; ///< installed firmware version text

    /// Fills what the properties document holds; a failing read leaves the texts empty.
    static BoardIdentity read(QorinNodeUtilWrapper& wrapper, std::uint32_t board);
    /// Same, from a document already read.
    static BoardIdentity fromProperties(std::uint32_t board, const std::string& document);
};

} // namespace z2e
