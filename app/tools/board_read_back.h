#pragma once
// A board as it reports itself after a change: its key and properties read again, and what
// the comparison with the written value found.

#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/board_identity.h"

#include <cstdint>
#include <string>

namespace z2e {

class BoardReadBack {
public:
    /// Reads key and properties of `board` again; a failing read leaves its text empty.
    void read(QorinNodeUtilWrapper& wrapper, std::uint32_t board);
    void clear() { *this = BoardReadBack(); }

    /// The read-back's verdict when the properties could not be read again.
    std::string failure() const;

    /// "verified", or the first difference; empty when nothing was compared.
    std::string verification;
    std::int32_t propertiesResult = 0; ///< the driver's answer to the read of the properties
    std::string key;
    std::string properties;
    BoardIdentity identity; ///< `model` is the display name the board now has
};

} // namespace z2e
