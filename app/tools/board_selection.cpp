#include "tools/board_selection.h"

namespace z2e {

bool BoardSelection::choose(const std::vector<std::uint32_t>& asked, std::uint32_t count,
                            std::vector<std::uint32_t>& chosen, std::string& message)
{
    chosen = asked;
    if (chosen.empty()) {
        for (std::uint32_t b = 0; b < count; ++b)
            chosen.push_back(b);
    }
    for (const std::uint32_t board : chosen) {
        if (board >= count) {
            message = "no board " + std::to_string(board) + " (the node has " + std::to_string(count) + ")";
            return false;
        }
    }
    return true;
}

} // namespace z2e
