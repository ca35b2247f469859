#pragma once
// What discovery knows of a network node, as plain values for listing it.

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

struct NetworkNodeSummary {
    struct Board {
        std::string name;
        std::string serial;
        std::uint32_t enclosure = 0;
        std::uint32_t slot = 0;
    };

    std::uint32_t id = 0;
    std::string name;
    std::string address;
    std::string netMask;
    /// This computer's address as the node saw it; "" when the node did not tell.
    std::string clientAddress;
    std::uint32_t scanState = 0;
    /// "announced", "held", "free" or "unknown".
    std::string scanStateName;
    bool tainted = false;
    std::uint32_t syncState = 0;
    bool simulation = false;
    std::uint32_t boardCount = 0;
    std::vector<Board> boards;
};

} // namespace z2e
