#pragma once
// The documents that describe one board: properties (the board description), model key,
// EEPROM summary and firmware check.

#include <cstdint>
#include <string>

#include <pugixml.hpp>

#include "sim_board.h"

namespace zmpxi_sim {

/// Where a board sits, for its description.
struct BoardPlacement {
    int boardId = -1;
    int enclosureNo = -1;
    int slotNo = -1;
    int channelStart = 0;
};

class BoardDocuments {
public:
    /// The board description: root "Properties" with BoardInfo, BoardFeatures, SystemInfo
    /// and ChannelProperties.
    static std::string properties(SimBoard& board, const BoardPlacement& placement);
    /// The model key: a "KEY" element as the configuration's board entries carry it.
    static std::string key(const SimBoard& board);
    /// Appends a KEY element for a model generation below `parent`.
    static void appendKey(pugi::xml_node parent, const BoardModel& model, const std::string& baseVersion,
                          std::uint32_t featureSet, const std::string& displayName);
    /// Root "BaseEEPROM" with Name, BoardInfo and Source ("E2Prom", "Backup" or "Default").
    static std::string eepromSummary(const SimBoard& board);
    /// Installed and latest firmware; `status` gets 0, -260901 (older) or -260902 (newer).
    static std::string firmwareCheck(const SimBoard& board, std::int32_t& status);
};

} // namespace zmpxi_sim
