#pragma once
// The enclosures and boards the driver reports after an initialisation, simulated or
// physical stand-ins, and the builder that makes them from entry lists.

#include <memory>
#include <string>
#include <vector>

#include "board_documents.h"
#include "driver_log.h"
#include "sim_board.h"
#include "sim_enclosure.h"

namespace zmpxi_sim {

class SimSystem {
public:
    explicit SimSystem(bool simulated);

    bool simulated() const { return m_simulated; }
    std::vector<std::shared_ptr<SimBoard>>& boards() { return m_boards; }
    SystemFaults& faults() { return m_faults; }

    /// Null when the index is out of range.
    std::shared_ptr<SimBoard> board(int index) const;
    std::shared_ptr<SimEnclosure> enclosure(int index) const;
    BoardPlacement placement(const SimBoard& board) const;
    int boardCountIn(int enclosureIndex) const;
    /// The answer of "System" / "EnclosureCount".
    std::string enclosureCountText() const;

    /// Builds the system from entries; entries that name no known model or no free slot are
    /// logged and left out.
    static std::shared_ptr<SimSystem> build(const SimulationSection& section, bool simulated,
                                            std::shared_ptr<StateStore> store, DriverLog& log);
    static const BoardModel* resolveBoard(const BoardEntry& entry);
    static const EnclosureModel* resolveEnclosure(const EnclosureEntry& entry);

private:
    bool m_simulated;
    std::vector<std::shared_ptr<SimEnclosure>> m_enclosures;
    std::vector<std::shared_ptr<SimBoard>> m_boards;
    SystemFaults m_faults;
};

} // namespace zmpxi_sim
