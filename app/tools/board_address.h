#pragma once
// How an operator names a board: "E/S" (enclosure and slot as the tree numbers them), its
// serial number (any case), "all", or a bare number, the driver's board index. The tree's
// numbers and the label on the board are what a technician sees; the index is the driver's.

#include "driver/command/qorin_node_util_wrapper.h"

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class BoardAddress {
public:
    enum class Kind { None, Index, Place, Serial, Every };

    /// False, with the reason in words, for a text that names no board in any of the ways.
    static bool parse(const std::string& text, BoardAddress& address, std::string& error);

    /// None until parse() gave it a board.
    Kind kind() const { return m_kind; }
    std::uint32_t index() const { return m_index; }
    const std::string& text() const { return m_text; }

    /// The driver indices of the boards it names on the wrapper's system, in index order;
    /// false, with the reason and the boards there are, when it names none.
    bool resolve(QorinNodeUtilWrapper& wrapper, std::vector<std::uint32_t>& boards, std::string& error) const;

private:
    bool names(QorinNodeUtilWrapper& wrapper, std::uint32_t board, std::string& place, std::int32_t& result) const;

    Kind m_kind = Kind::None;
    std::uint32_t m_index = 0;
    std::int32_t m_enclosure = -1;
    std::int32_t m_slot = -1;
    std::string m_text;
};

} // namespace z2e
