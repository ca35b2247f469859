#pragma once
// Result documents of the board procedures: self test, channel check, auto zero, gain
// calibration and three-wire offset. One "BoardId<n>" element per board with a "Passed"
// verdict, "Check" elements with Target/Passed/Limit and "ID<n>" measurements below them.

#include <string>
#include <vector>

#include "eeprom_documents.h"
#include "sim_board.h"

namespace zmpxi_sim {

class TestDocuments {
public:
    /// `kind` is "", "factorytest" (relaxed limits) or "excitationtest".
    static std::string selfTest(const SimBoard& board, int boardId, const std::string& kind);
    static std::string channelCheck(const SimBoard& board, int boardId);
    static std::string autoZero(const SimBoard& board, int boardId, const std::vector<ChannelCal>& before,
                                const std::vector<ChannelCal>& after);
    static std::string gainCalibration(const SimBoard& board, int boardId, const std::vector<ChannelCal>& before,
                                       const std::vector<ChannelCal>& after);
    static std::string threeWire(const SimBoard& board, int boardId);
    /// A document whose board verdict is `verdict` ("undone" before a run, "na" where the
    /// procedure does not apply) and which carries no checks.
    static std::string verdictOnly(const SimBoard& board, int boardId, const char* root, const char* verdict);
};

} // namespace zmpxi_sim
