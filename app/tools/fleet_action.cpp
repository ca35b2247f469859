#include "tools/fleet_action.h"

#include "core/node_result_text.h"
#include "driver/command/app_status.h"
#include "driver/command/driver_result.h"
#include "tools/eeprom_backup.h"
#include "tools/firmware_updater.h"
#include "tools/fleet_scan.h"
#include "tools/maintenance_journal.h"
#include "tools/system_lock.h"
#include "tools/test_verdict.h"

#include <algorithm>
#include <memory>

namespace z2e {

struct FleetAction::System {
    FleetSystemOutcome outcome;
    /// The chosen boards without an outcome yet.
    std::vector<BoardIdentity> pending;
};

FleetAction::FleetAction(FleetActionSettings settings, BoardDone boardDone, SystemDone systemDone)
    : m_settings(std::move(settings)), m_boardDone(std::move(boardDone)), m_systemDone(std::move(systemDone))
{
}

bool FleetAction::passed(const std::string& status)
{
    const std::string word = TestVerdict::word(status);
    return word == "PASSED" || word == "NOT APPLICABLE";
}

std::string FleetAction::toolName(FleetTool tool)
{
    switch (tool) {
    case FleetTool::SelfTest: return "selftest";
    case FleetTool::FirmwareCheck: return "firmware check";
    case FleetTool::FirmwareUpdate: return "firmware update";
    case FleetTool::EepromBackup: return "eeprom backup";
    }
    return {};
}

void FleetAction::run(const std::vector<FleetTarget>& targets, unsigned parallel, const std::atomic<bool>& cancel)
{
    // Every target is visited, so that one not begun is told as such.
    FleetScan::each(targets.size(), parallel, [&](std::size_t index) { runSystem(targets[index], index, cancel); });
}

void FleetAction::runSystem(const FleetTarget& target, std::size_t index, const std::atomic<bool>& cancel)
{
    System system;
    system.outcome.target = index;
    if (cancel.load()) {
        system.outcome.end = FleetSystemEnd::NotStarted;
        system.outcome.message = "not begun: the run was stopped before it came to this system";
        ended(system);
        return;
    }
    if (!target.missing.empty()) {
        system.outcome.end = FleetSystemEnd::Unreachable;
        system.outcome.result = DriverResult::codeOf(ResultMeaning::Timeout);
        system.outcome.message = target.missing + "; nothing was done there";
        ended(system);
        return;
    }
    std::unique_ptr<SystemLock> lock;
    if (!m_settings.activity.empty()) {
        lock = std::make_unique<SystemLock>(m_settings.lockFolder, target.address.empty()
                                                                       ? SystemLock::localSystem()
                                                                       : SystemLock::nodeSystem(target.address));
        const SystemLock::Outcome held =
            lock->acquire(m_settings.program, m_settings.activity,
                          std::chrono::steady_clock::now() + m_settings.lockWait, {}, &cancel);
        if (held != SystemLock::Outcome::Held) {
            system.outcome.end = FleetSystemEnd::Busy;
            system.outcome.message = (held == SystemLock::Outcome::Busy ? lock->busyText() : lock->error()) +
                                     "; nothing was changed there - run it again for this system later";
            ended(system);
            return;
        }
    }
    const std::int32_t opened =
        target.open([&](QorinNodeUtilWrapper& wrapper) { onWrapper(wrapper, target, system, cancel); });
    if (opened != 0) {
        system.outcome.end = FleetSystemEnd::Unreachable;
        system.outcome.result = opened;
        system.outcome.message = "could not be reached: " + failureAdvice(opened) + "; nothing was done there";
    }
    ended(system);
}

bool FleetAction::chooseBySerial(QorinNodeUtilWrapper& wrapper, const FleetTarget& target, System& system)
{
    std::vector<std::string> missing;
    for (const std::string& serial : target.serials) {
        bool found = false;
        for (std::uint32_t board = 0; board < wrapper.getBoardCount() && !found; ++board) {
            BoardIdentity identity = BoardIdentity::read(wrapper, board);
            found = MaintenanceJournal::serialKey(identity.serial) == MaintenanceJournal::serialKey(serial);
            if (found)
                system.pending.push_back(std::move(identity));
        }
        if (!found)
            missing.push_back(serial);
    }
    if (missing.empty())
        return true;
    // Boards move: one not where the table saw it is not looked for elsewhere.
    system.outcome.end = FleetSystemEnd::NoBoards;
    system.outcome.message =
        "no longer holds " + missing.front() + (missing.size() > 1 ? " and others" : "") + "; read the fleet again";
    system.outcome.notDone = target.serials;
    system.pending.clear();
    return false;
}

void FleetAction::onWrapper(QorinNodeUtilWrapper& wrapper, const FleetTarget& target, System& system,
                            const std::atomic<bool>& cancel)
{
    std::vector<std::uint32_t> chosen;
    const BoardAddress::Kind kind = m_settings.boards.kind();
    if (!target.serials.empty()) {
        if (!chooseBySerial(wrapper, target, system))
            return;
    } else if (kind == BoardAddress::Kind::None || kind == BoardAddress::Kind::Every) {
        for (std::uint32_t board = 0; board < wrapper.getBoardCount(); ++board)
            chosen.push_back(board);
    } else if (!m_settings.boards.resolve(wrapper, chosen, system.outcome.message)) {
        // A serial names a board of one system; the others have nothing to do.
        const bool elsewhere = kind == BoardAddress::Kind::Serial && !DriverResult::linkFailed(wrapper.lastCause());
        system.outcome.end = elsewhere ? FleetSystemEnd::Finished : FleetSystemEnd::NoBoards;
        if (elsewhere)
            system.outcome.message.clear();
        return;
    }
    for (const std::uint32_t board : chosen)
        system.pending.push_back(BoardIdentity::read(wrapper, board));
    if (system.pending.empty())
        return;
    MaintenanceJournal journal(m_settings.journalFolder, MaintenanceJournal::nodeOf(wrapper));
    journal.setSnapshotsEnabled(m_settings.snapshots);
    switch (m_settings.tool) {
    case FleetTool::SelfTest: selfTest(wrapper, journal, system, cancel); break;
    case FleetTool::FirmwareCheck:
    case FleetTool::FirmwareUpdate: firmware(wrapper, journal, system, cancel); break;
    case FleetTool::EepromBackup: backup(wrapper, journal, system); break;
    }
}

namespace {

void stopped(FleetSystemOutcome& outcome, std::int32_t status, const std::string& message,
             QorinNodeUtilWrapper& wrapper)
{
    outcome.end = FleetSystemEnd::Stopped;
    outcome.result = status;
    outcome.message = "stopped: " + (message.empty() ? statusWords(status, &wrapper) : message);
}

std::vector<std::uint32_t> indicesOf(const std::vector<BoardIdentity>& boards)
{
    std::vector<std::uint32_t> indices;
    for (const BoardIdentity& board : boards)
        indices.push_back(board.index);
    return indices;
}

} // namespace

void FleetAction::selfTest(QorinNodeUtilWrapper& wrapper, MaintenanceJournal& journal, System& system,
                           const std::atomic<bool>& cancel)
{
    BoardTestProcedure procedure(wrapper, &journal);
    const BoardTestOutcome outcome = procedure.run(m_settings.test, indicesOf(system.pending), nullptr, cancel);
    const bool unjournalled = outcome.status == AppStatus::JournalFailed;
    const bool lost = DriverResult::linkFailed(wrapper.lastCause());
    for (const BoardTestRow& row : outcome.rows) {
        // A board the procedure never read a result of was not done.
        if ((outcome.status != 0 || lost) && !unjournalled && row.document.empty())
            continue;
        const std::string word = TestVerdict::word(row.status);
        const FleetBoardResult result = unjournalled         ? FleetBoardResult::Unjournalled
                                        : passed(row.status) ? FleetBoardResult::Succeeded
                                                             : FleetBoardResult::Failed;
        board(system, row.board, result,
              (word.empty() ? std::string("no verdict") : word) +
                  (unjournalled ? " (its journal line could not be written: " + outcome.message + ")" : ""));
    }
    if (outcome.status != 0 && !unjournalled)
        stopped(system.outcome, outcome.status, outcome.message, wrapper);
    else if (lost)
        stopped(system.outcome, wrapper.lastCause(), "", wrapper);
}

void FleetAction::firmware(QorinNodeUtilWrapper& wrapper, MaintenanceJournal& journal, System& system,
                           const std::atomic<bool>& cancel)
{
    FirmwareUpdater updater(wrapper, &journal);
    updater.setKeepNewer(m_settings.keepNewer);
    std::vector<FirmwareRow> rows;
    std::int32_t status = updater.check(indicesOf(system.pending), rows);
    if (status != 0)
        return stopped(system.outcome, status, updater.message(), wrapper);
    if (m_settings.tool == FleetTool::FirmwareCheck) {
        for (const FirmwareRow& row : rows) {
            // A board that could not be asked is no board found up to date.
            if (row.checkResult >= 1)
                board(system, row.board, FleetBoardResult::Failed,
                      "not checked: " + statusWords(row.checkResult, &wrapper));
            else
                board(system, row.board, FleetBoardResult::Succeeded,
                      FirmwareRow::shown(row.installed) + ", release " + FirmwareRow::shown(row.latest) +
                          (row.status.empty() ? "" : ": " + row.status));
        }
        return;
    }
    if (m_settings.retryFailed) {
        FirmwareUpdater::markFailedFromJournal(rows, journal);
        system.pending.clear();
        for (const FirmwareRow& row : rows) {
            if (row.outcome == AppStatus::FirmwareUpdateFailed)
                system.pending.push_back(row.board);
        }
        if (system.pending.empty()) {
            system.outcome.end = FleetSystemEnd::NoBoards;
            system.outcome.message = "nothing to retry: the journal records no failed or interrupted firmware "
                                     "update of these boards here";
            return;
        }
    }
    updater.observeRows([&](std::size_t, const FirmwareRow& row) {
        if (row.result == "Updating...")
            return;
        board(system, row.board,
              row.outcome == AppStatus::FirmwareUpdateFailed ? FleetBoardResult::Failed : FleetBoardResult::Succeeded,
              row.info.empty() ? row.result : row.info);
    });
    status = updater.update(rows, m_settings.retryFailed, nullptr, cancel);
    if (status != AppStatus::FirmwareUpdated && status != AppStatus::FirmwareSkipped &&
        status != AppStatus::FirmwareUpdateFailed)
        stopped(system.outcome, status, updater.message(), wrapper);
}

void FleetAction::backup(QorinNodeUtilWrapper& wrapper, MaintenanceJournal& journal, System& system)
{
    const std::vector<BoardIdentity> boards = system.pending;
    for (const BoardIdentity& identity : boards) {
        FleetBoardResult result = FleetBoardResult::Succeeded;
        std::string verdict;
        std::int32_t failure = 0;
        for (const EepromWhich which : m_settings.which) {
            EepromBackup tool(wrapper, &journal);
            std::string path;
            const std::int32_t status =
                tool.run(identity.index, which, m_settings.backupFolder, path, m_settings.replace);
            if (status == AppStatus::DestinationRefused)
                result = FleetBoardResult::Refused;
            else if (status != AppStatus::Ok && result == FleetBoardResult::Succeeded)
                result = FleetBoardResult::Failed;
            failure = status != AppStatus::Ok ? status : failure;
            verdict +=
                (verdict.empty() ? "" : "; ") + (status == AppStatus::Ok ? path : "not saved: " + tool.message());
        }
        board(system, identity, result, verdict);
        // A lost link fails every further board the same way: they are told as not done.
        if (failure != 0 && DriverResult::linkFailed(wrapper.lastCause()))
            return stopped(system.outcome, wrapper.lastCause(), "", wrapper);
    }
}

void FleetAction::board(System& system, const BoardIdentity& board, FleetBoardResult result, const std::string& verdict)
{
    const auto done = std::find_if(system.pending.begin(), system.pending.end(),
                                   [&](const BoardIdentity& each) { return each.index == board.index; });
    if (done != system.pending.end())
        system.pending.erase(done);
    FleetBoardOutcome outcome;
    outcome.target = system.outcome.target;
    outcome.board = board;
    outcome.result = result;
    outcome.verdict = verdict;
    const std::lock_guard<std::mutex> lock(m_telling);
    m_boardDone(outcome);
}

void FleetAction::ended(System& system)
{
    for (const BoardIdentity& board : system.pending)
        system.outcome.notDone.push_back(board.label());
    if (!system.outcome.notDone.empty() && system.outcome.end == FleetSystemEnd::Finished)
        system.outcome.end = FleetSystemEnd::Stopped;
    const std::lock_guard<std::mutex> lock(m_telling);
    m_systemDone(system.outcome);
}

} // namespace z2e
