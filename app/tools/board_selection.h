#pragma once
// Which boards a tool runs on: the ones asked for, or every board of the node when none was.

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class BoardSelection {
public:
    /// Fills `chosen` from `asked` (all of 0..count-1 when empty). False, with the reason in
    /// `message`, when a board asked for is not on the node.
    static bool choose(const std::vector<std::uint32_t>& asked, std::uint32_t count, std::vector<std::uint32_t>& chosen,
                       std::string& message);
};

} // namespace z2e
