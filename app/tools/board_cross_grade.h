#pragma once
// Cross-grade of a board: its base identity rewritten to another base EEPROM generation
// through the driver's rebase. The simple cross-grade turns the one convertible generation
// into the plain base board; the free one takes any listed generation. Journalled like every
// board change: both EEPROMs snapshotted first, the base identity read back afterwards.

#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/board_read_back.h"
#include "tools/tool_progress.h"

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class MaintenanceJournal;

/// One known base EEPROM generation, as the driver lists it.
struct BaseEepromEntry {
    std::string id; ///< eight decimal digits
    std::string name;
    std::string baseModel;
    std::string baseVersion;
    std::string family;
    bool current = false;
};

class BoardCrossGrade {
public:
    /// The generation the simple cross-grade converts, and the one it becomes.
    static constexpr const char* kConvertibleId = "21401602";
    static constexpr const char* kBaseBoardId = "10100001";

    /// `journal` may be null: then nothing is snapshotted or journalled.
    BoardCrossGrade(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal);

    /// The simple cross-grade's target for a board whose stored base identifier is `baseId`:
    /// 0 with `target` set, or 4002 for any other board (also for an identifier shorter than
    /// eight characters).
    static std::int32_t simpleTarget(const std::string& baseId, std::string& target);
    /// The board's stored base identifier ("BaseId" of its base board); empty when unknown.
    std::string storedBaseId(std::uint32_t board);
    /// The known base EEPROM generations, in the driver's order.
    std::int32_t entries(std::vector<BaseEepromEntry>& list);

    /// Rebases `board` to `target`: 4001 done, 4003, 4004, 3002, 1 or 258 as the driver
    /// answers, 4103 for a board the node does not have, 4009 when the snapshot fails
    /// (nothing sent then).
    std::int32_t run(std::uint32_t board, const std::string& target, const ToolProgress& progress);
    /// The simple cross-grade: 4002 (nothing sent) unless the board is of the convertible
    /// generation, else as run() with the base board's identifier.
    std::int32_t runSimple(std::uint32_t board, const ToolProgress& progress);

    /// The board after the last run; its verification compares the base identifier.
    const BoardReadBack& readBack() const { return m_readBack; }
    const std::string& message() const { return m_message; }

    /// "BaseId" of a board properties document.
    static std::string baseIdOf(const std::string& properties);

private:
    bool boardExists(std::uint32_t board);

    QorinNodeUtilWrapper& m_wrapper;
    MaintenanceJournal* m_journal;
    BoardReadBack m_readBack;
    std::string m_message;
};

} // namespace z2e
