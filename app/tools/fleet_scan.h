#pragma once
// Reads many systems at once with a bounded number of threads: each system's boards in order on
// one thread, at most `parallel` systems at a time, so that a node that never answers holds one
// thread and not the whole fleet.

#include "tools/fleet_board.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace z2e {

/// One system to read.
struct FleetSource {
    std::string system;  ///< "local", or the node's name
    std::string address; ///< the node's address; empty for this computer
    /// Opens the system and appends its boards; 0, or why it could not be (completely) read.
    /// Called on a thread of the scan.
    std::function<std::int32_t(std::vector<FleetBoard>& boards)> read;
};

class FleetScan {
public:
    /// Systems changed at once by default: a failure spreads no further than this many.
    static constexpr unsigned kDefaultParallel = 8;
    /// Systems read at once by default: a read holds one link of a node and waits mostly on the
    /// node, so the fleet is read in about the time of its slowest node.
    static constexpr unsigned kDefaultReadParallel = 64;

    /// Called once per source as it ends, one call at a time, on the scan's threads.
    using Done = std::function<void(std::size_t source, std::int32_t result, std::vector<FleetBoard>& boards)>;

    /// Calls `work` with each of 0..count-1, each on one thread, at most `parallel` at a time;
    /// returns when all have ended. Once `cancel` is set, items not yet begun are not begun.
    static void each(std::size_t count, unsigned parallel, const std::function<void(std::size_t index)>& work,
                     const std::atomic<bool>* cancel = nullptr);

    /// Reads every source; returns when all have ended. Once `cancel` is set, sources not yet
    /// begun are not begun (those running end as their reads end).
    static void run(const std::vector<FleetSource>& sources, unsigned parallel, const Done& done,
                    const std::atomic<bool>* cancel = nullptr);
};

} // namespace z2e
