#pragma once
// One board tool across many systems: this computer and network nodes, each opened on a link of
// its own, at most a set number at once (FleetScan), the boards of one system in order on its
// link. Each system runs the very procedure a single run uses (BoardTestProcedure,
// FirmwareUpdater, EepromBackup) with a journal that names the system as the journal names
// nodes, so every board is journalled as when run alone. Outcomes are told as they end; a
// system that cannot be reached, is busy or dies mid-run gets one outcome naming the boards
// left undone, and the others go on. The same for the window and zamo2ctl.

#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/board_address.h"
#include "tools/board_identity.h"
#include "tools/board_test_procedure.h"
#include "tools/eeprom_which.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace z2e {

class MaintenanceJournal;

/// The board tools an action can run across systems.
enum class FleetTool { SelfTest, FirmwareCheck, FirmwareUpdate, EepromBackup };

struct FleetActionSettings {
    FleetTool tool = FleetTool::SelfTest;
    BoardTest test = BoardTest::SelfTest; ///< the self test's kind
    BoardAddress boards;                  ///< None or Every: every board of each system
    std::string journalFolder;
    bool snapshots = true;
    bool keepNewer = false;   ///< firmware update
    bool retryFailed = false; ///< firmware update: only the boards the journal records as failed
    std::string backupFolder; ///< eeprom backup: an existing folder
    std::vector<EepromWhich> which{EepromWhich::Base};
    bool replace = false; ///< eeprom backup: an existing file of the name is replaced
    /// For a changing tool each system's lock is held while it runs, saying this ("zamo2ctl
    /// pid 4711 is updating firmware"); empty: no lock.
    std::string activity;
    std::string program = "zamo2ctl";
    std::string lockFolder;
    std::chrono::seconds lockWait{10};
};

/// One system an action runs on.
struct FleetTarget {
    std::string system;  ///< "local", or the node's name
    std::string address; ///< the node's address; empty for this computer
    /// Opens the system and calls `run` with its command layer; 0 when `run` was called, else why
    /// the system could not be opened. Called on a thread of the action.
    std::function<std::int32_t(const std::function<void(QorinNodeUtilWrapper&)>& run)> open;
    /// Why the system was not found, in words; it is not opened then.
    std::string missing;
    /// The boards chosen there by serial number (any case), in place of the settings' choice;
    /// a serial the system does not hold is left undone.
    std::vector<std::string> serials{};
};

enum class FleetBoardResult {
    Succeeded,
    Failed,      ///< the board failed or could not be done
    Refused,     ///< a file the tool writes was refused; nothing touched
    Unjournalled ///< done, but its journal line could not be written
};

struct FleetBoardOutcome {
    std::size_t target = 0;
    BoardIdentity board;
    FleetBoardResult result = FleetBoardResult::Succeeded;
    /// In words: "PASSED", "FAILED260105", "0251 → 0254 updated", the backup's path.
    std::string verdict;
};

enum class FleetSystemEnd {
    Finished,    ///< every chosen board has its outcome
    Unreachable, ///< could not be opened; nothing was done
    Busy,        ///< another program held its lock; nothing was done
    Stopped,     ///< the tool stopped early (the link was lost, a record could not be written)
    NotStarted,  ///< the action was cancelled before it began
    NoBoards     ///< the boards asked for are not there, or there is nothing to do
};

struct FleetSystemOutcome {
    std::size_t target = 0;
    FleetSystemEnd end = FleetSystemEnd::Finished;
    std::int32_t result = 0;          ///< why it did not finish: a driver or tool status
    std::string message;              ///< in words, with what to do
    std::vector<std::string> notDone; ///< labels of the chosen boards left without an outcome
};

class FleetAction {
public:
    using BoardDone = std::function<void(const FleetBoardOutcome& outcome)>;
    using SystemDone = std::function<void(const FleetSystemOutcome& outcome)>;

    /// `boardDone` and `systemDone` are called one at a time, on the action's threads, as each
    /// board and each system ends (a system after its boards).
    FleetAction(FleetActionSettings settings, BoardDone boardDone, SystemDone systemDone);

    /// Runs on every target, at most `parallel` at once; returns when all have ended. Once
    /// `cancel` is raised no further system is begun (each gets NotStarted) and the running
    /// tools stop at their next step.
    void run(const std::vector<FleetTarget>& targets, unsigned parallel, const std::atomic<bool>& cancel);

    /// A self-test status that counts as success: passed, or not applicable to the board.
    static bool passed(const std::string& status);
    /// The tool's name in output: "selftest", "firmware check", "firmware update", "eeprom backup".
    static std::string toolName(FleetTool tool);

private:
    struct System;
    void runSystem(const FleetTarget& target, std::size_t index, const std::atomic<bool>& cancel);
    void onWrapper(QorinNodeUtilWrapper& wrapper, const FleetTarget& target, System& system,
                   const std::atomic<bool>& cancel);
    /// The boards of `target` with the serials it names; false, with the system's outcome set,
    /// when one is not there.
    static bool chooseBySerial(QorinNodeUtilWrapper& wrapper, const FleetTarget& target, System& system);
    void selfTest(QorinNodeUtilWrapper& wrapper, MaintenanceJournal& journal, System& system,
                  const std::atomic<bool>& cancel);
    void firmware(QorinNodeUtilWrapper& wrapper, MaintenanceJournal& journal, System& system,
                  const std::atomic<bool>& cancel);
    void backup(QorinNodeUtilWrapper& wrapper, MaintenanceJournal& journal, System& system);
    void board(System& system, const BoardIdentity& board, FleetBoardResult result, const std::string& verdict);
    void ended(System& system);

    FleetActionSettings m_settings;
    BoardDone m_boardDone;
    SystemDone m_systemDone;
    std::mutex m_telling;
};

} // namespace z2e
