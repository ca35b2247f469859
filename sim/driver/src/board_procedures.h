#pragma once
// The board operations that take time or change what the board stores: firmware update,
// self test and calibration, EEPROM commits and restores, feature sets and cross-grade.

#include <cstdint>
#include <string>

#include "command_context.h"

namespace zmpxi_sim {

class BoardProcedures {
public:
    BoardProcedures(CommandContext& context, SimBoard& board);

    /// `request`: empty (latest), a version, a listed file name or a firmware file path.
    std::int32_t updateFirmware(const std::string& request);
    /// `kind`: "", "factorytest" or "excitationtest".
    std::int32_t selfTest(const std::string& kind);
    std::int32_t autoZero(const std::string& settleTime);
    std::int32_t gainCalibration();
    std::int32_t threeWire();
    /// Integer command 773: the self calibration goes back to the factory values.
    std::int32_t resetCalibration();

    /// Set "baseeeprom" / "coneeprom": checks and stages a document.
    std::int32_t stageEeprom(bool base, const std::string& document);
    /// Integer commands 1025 / 1026.
    std::int32_t commitEeprom(bool base);
    /// Integer commands 1028 / 1029: restore from the automatic backup.
    std::int32_t restoreFromBackup(bool base);
    /// Integer command 1044.
    std::int32_t eraseBase();
    std::int32_t stageFeatureSet(const std::string& text);
    /// Integer command 1027.
    std::int32_t commitFeatureSet();
    /// Set "rebase": the board becomes the base EEPROM generation `id`.
    std::int32_t rebase(const std::string& id);

private:
    /// Keeps the board busy and lets `ms` of simulated time pass. `ready` may refuse once the
    /// board is held and before the time passes; `done` does the work after it.
    template <class Ready, class Done>
    std::int32_t timed(double ms, Ready ready, Done done);
    /// A timed EEPROM write that the write fault setting fails with `failure`.
    template <class Done>
    std::int32_t timedWrite(double ms, std::int32_t failure, Done done);
    /// A self calibration of an analog board: `adjust` turns the current values into the new ones,
    /// `report` writes the result document kept under `resultKey`.
    template <class Report, class Adjust>
    std::int32_t recalibrate(const char* resultKey, double ms, Report report, Adjust adjust);
    std::int32_t baseReadable() const;
    /// Stores what an operation changed.
    std::int32_t finish();
    bool persist();
    std::int32_t analogOnly(const char* root, const char* resultKey);
    int boardId() const { return m_board.index(); }

    CommandContext& m_context;
    SimBoard& m_board;
};

} // namespace zmpxi_sim
