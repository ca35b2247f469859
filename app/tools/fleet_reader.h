#pragma once
// Reads the boards of one system (this computer's driver or a network node's link) as fleet
// rows: three requests per board (properties, place, firmware check). The same on local and
// network nodes.

#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/fleet_board.h"
#include "tools/last_self_tests.h"

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class FleetReader {
public:
    /// Self-test verdicts come from `tests`, which outlives the reader.
    explicit FleetReader(const LastSelfTests& tests) : m_tests(tests) {}

    /// Appends a row for every board behind `wrapper`, named `system` (and `address` for a node).
    /// 0, or the first failure (the node's own when the command layer kept it); that board's
    /// row says so among its warnings, the rows before it stay, and a lost link ends the read.
    std::int32_t read(QorinNodeUtilWrapper& wrapper, const std::string& system, const std::string& address,
                      std::vector<FleetBoard>& boards) const;

    /// A row from a board's properties document and its firmware check document (either may be
    /// empty or damaged: what it holds stays unknown).
    static FleetBoard fromDocuments(std::int32_t index, const std::string& properties, const std::string& check);

private:
    const LastSelfTests& m_tests;
};

} // namespace z2e
