#include "cli_fleet_action_command.h"

#include "cli_output.h"
#include "cli_remote_session.h"
#include "command_watchdog.h"

#include "core/local_node_session.h"
#include "core/node_link.h"
#include "core/remote_node_session.h"
#include "driver/command/app_status.h"
#include "driver/command/driver_result.h"
#include "tools/fleet_action.h"
#include "tools/fleet_sources.h"
#include "tools/fleet_scan.h"
#include "tools/maintenance_journal.h"
#include "tools/system_lock.h"
#include "uni/ip_address_pair.h"

#include <algorithm>
#include <iostream>
#include <memory>

namespace z2e {
namespace cli {

namespace {

std::string joined(const std::vector<std::string>& texts)
{
    std::string list;
    for (const std::string& text : texts)
        list += (list.empty() ? "" : ", ") + text;
    return list;
}

const char* resultWord(FleetBoardResult result)
{
    switch (result) {
    case FleetBoardResult::Succeeded: return "succeeded";
    case FleetBoardResult::Failed: return "failed";
    case FleetBoardResult::Refused: return "refused";
    case FleetBoardResult::Unjournalled: return "unjournalled";
    }
    return "";
}

int boardExit(FleetBoardResult result)
{
    switch (result) {
    case FleetBoardResult::Succeeded: return EXIT_OK;
    case FleetBoardResult::Failed: return EXIT_TOOL_FAILED;
    case FleetBoardResult::Refused: return EXIT_CANNOT_CREATE;
    case FleetBoardResult::Unjournalled: return EXIT_JOURNAL_FAILED;
    }
    return EXIT_TOOL_FAILED;
}

const char* endWord(FleetSystemEnd end)
{
    switch (end) {
    case FleetSystemEnd::Finished: return "finished";
    case FleetSystemEnd::Unreachable: return "unreachable";
    case FleetSystemEnd::Busy: return "busy";
    case FleetSystemEnd::Stopped: return "stopped";
    case FleetSystemEnd::NotStarted: return "not-begun";
    case FleetSystemEnd::NoBoards: return "no-boards";
    }
    return "";
}

// How the summary tells a system that was not done whole.
const char* endWords(FleetSystemEnd end)
{
    switch (end) {
    case FleetSystemEnd::Finished: return "finished";
    case FleetSystemEnd::Unreachable: return "could not be reached";
    case FleetSystemEnd::Busy: return "was busy";
    case FleetSystemEnd::Stopped: return "stopped early";
    case FleetSystemEnd::NotStarted: return "was not begun";
    case FleetSystemEnd::NoBoards: return "had no board to do";
    }
    return "";
}

// The lines of a run as its outcomes come, the summary and the exit status.
class Tally {
public:
    Tally(const CliOptions& options, const std::vector<FleetTarget>& targets, std::string tool)
        : m_options(options), m_targets(targets), m_tool(std::move(tool))
    {
    }

    void board(const FleetBoardOutcome& outcome)
    {
        const FleetTarget& target = m_targets[outcome.target];
        ++m_boards;
        m_succeeded += outcome.result == FleetBoardResult::Succeeded;
        m_status = std::max(m_status, boardExit(outcome.result));
        if (m_options.json) {
            const BoardIdentity& board = outcome.board;
            std::cout << "{\"system\":" << jsonString(target.system) << ",\"address\":" << jsonString(target.address)
                      << ",\"board\":" << board.index << ",\"enclosure\":" << board.enclosure << ",\"slot\":";
            if (board.slot == BoardIdentity::kUnknownSlot)
                std::cout << "null";
            else
                std::cout << board.slot;
            std::cout << ",\"place\":" << jsonString(board.label()) << ",\"model\":" << jsonString(board.model)
                      << ",\"serial\":" << jsonString(board.serial) << ",\"tool\":" << jsonString(m_tool)
                      << ",\"result\":" << jsonString(resultWord(outcome.result))
                      << ",\"verdict\":" << jsonString(outcome.verdict) << "}\n";
        } else {
            std::cout << oneLine(who(target) + "  " + outcome.board.label() + "  " + m_tool + "  " + outcome.verdict)
                      << "\n";
        }
        std::cout.flush();
    }

    void system(const FleetSystemOutcome& outcome)
    {
        if (outcome.end == FleetSystemEnd::Finished)
            return;
        const FleetTarget& target = m_targets[outcome.target];
        const int exit = systemExit(target, outcome);
        m_status = std::max(m_status, exit);
        m_notDone += outcome.notDone.size();
        std::string words = outcome.message;
        if (!outcome.notDone.empty())
            words += "; not done: " + joined(outcome.notDone);
        m_troubles.emplace_back(outcome.target, named(target) + " " + endWords(outcome.end));
        std::cerr << "zamo2ctl: " << who(target) << ": " << oneLine(words) << "\n";
        if (m_options.json) {
            std::cout << "{\"system\":" << jsonString(target.system) << ",\"address\":" << jsonString(target.address)
                      << ",\"end\":" << jsonString(endWord(outcome.end)) << ",\"message\":" << jsonString(words)
                      << ",\"notDone\":[";
            for (std::size_t i = 0; i < outcome.notDone.size(); ++i)
                std::cout << (i ? "," : "") << jsonString(outcome.notDone[i]);
            std::cout << "],\"exitStatus\":" << exit << "}\n";
        }
        std::cout.flush();
    }

    /// Prints the summary; the exit status of the whole run.
    int finish(int stopStatus)
    {
        m_status = std::max(m_status, stopStatus);
        std::string text = std::to_string(m_boards) + (m_boards == 1 ? " board" : " boards") + " on " +
                           std::to_string(m_targets.size()) + (m_targets.size() == 1 ? " system" : " systems") + ": " +
                           std::to_string(m_succeeded) + " succeeded, " + std::to_string(m_boards - m_succeeded) +
                           " failed";
        if (m_notDone != 0)
            text += ", " + std::to_string(m_notDone) + " not done";
        if (m_boards == 0 && m_notDone == 0 && m_options.retryFailed) {
            m_status = std::max(m_status, int(EXIT_NOTHING_TO_DO));
            text += "; nothing to retry on any system";
        } else if (m_boards == 0 && m_notDone == 0 && m_options.boardAddress.kind() == BoardAddress::Kind::Serial) {
            m_status = std::max(m_status, int(EXIT_TOOL_FAILED));
            text += "; no system holds the board " + m_options.boardAddress.text();
        }
        // In the order the systems were given, however they ended.
        std::sort(m_troubles.begin(), m_troubles.end());
        for (const auto& trouble : m_troubles)
            text += "; " + trouble.second;
        if (stopStatus == EXIT_INTERRUPTED)
            text += "; interrupted (Ctrl+C): no further system was begun";
        else if (stopStatus == EXIT_TIMEOUT)
            text += "; --timeout passed: no further system was begun";
        if (m_options.json) {
            std::cout << "{\"summary\":" << jsonString(text) << ",\"boards\":" << m_boards
                      << ",\"systems\":" << m_targets.size() << ",\"succeeded\":" << m_succeeded
                      << ",\"failed\":" << (m_boards - m_succeeded) << ",\"notDone\":" << m_notDone
                      << ",\"exitStatus\":" << m_status << "}\n";
        } else {
            std::cout << text << "\n";
        }
        return m_status;
    }

private:
    // "local", or "<name> <address>", as the lines begin.
    static std::string who(const FleetTarget& target)
    {
        const bool plain = target.address.empty() || target.address == target.system;
        return plain ? oneLine(target.system) : oneLine(target.system) + " " + target.address;
    }

    static std::string named(const FleetTarget& target)
    {
        return target.address.empty() ? std::string("this computer") : "node " + who(target);
    }

    // The status the command gives for this system alone.
    int systemExit(const FleetTarget& target, const FleetSystemOutcome& outcome) const
    {
        const bool node = !target.address.empty();
        switch (outcome.end) {
        case FleetSystemEnd::Finished: return EXIT_OK;
        case FleetSystemEnd::Unreachable: return node ? EXIT_NODE_UNAVAILABLE : exitStatusOf(outcome.result);
        case FleetSystemEnd::Busy: return EXIT_TIMEOUT;
        case FleetSystemEnd::NotStarted:
            return EXIT_OK; // the stop's own status counts
        // Nothing to retry on one node is no failure while another had something.
        case FleetSystemEnd::NoBoards: return m_options.retryFailed ? EXIT_OK : EXIT_TOOL_FAILED;
        case FleetSystemEnd::Stopped: break;
        }
        if (outcome.result == AppStatus::JournalFailed)
            return EXIT_JOURNAL_FAILED;
        if (outcome.result == AppStatus::Cancelled)
            return EXIT_OK;
        if (node && DriverResult::linkFailed(outcome.result))
            return EXIT_NODE_UNAVAILABLE;
        return outcome.result != 0 ? std::max(exitStatusOf(outcome.result), int(EXIT_TOOL_FAILED)) : EXIT_TOOL_FAILED;
    }

    const CliOptions& m_options;
    const std::vector<FleetTarget>& m_targets;
    std::string m_tool;
    std::size_t m_boards = 0;
    std::size_t m_succeeded = 0;
    std::size_t m_notDone = 0;
    std::vector<std::pair<std::size_t, std::string>> m_troubles;
    int m_status = EXIT_OK;
};

// A --node that did not appear: a target that is not opened.
FleetTarget missingTarget(const std::string& asked, std::uint32_t scanMs)
{
    return {asked, asked, nullptr,
            "did not appear within " + std::to_string(scanMs) +
                " ms (networks: " + RemoteNodeSession::allowedNetworks() +
                "); check that it is on and reachable (zamo2ctl nodes "
                "lists those that answer)"};
}

// The nodes of the several --node, in the order given; EXIT_OK, or a usage error when two name
// one node or a name is ambiguous.
int chosenNodes(const CliOptions& options, RemoteNodeSession& session, std::uint32_t scanMs, std::uint32_t ceilingMs,
                std::vector<FleetTarget>& targets)
{
    std::vector<std::string> addresses;
    bool names = false;
    for (const std::string& asked : options.nodes) {
        if (uni::ipv4::parseAddress(asked))
            addresses.push_back(asked);
        else
            names = true;
    }
    // A name is known only from the answers, so every node is waited for then.
    const std::vector<NetworkNodeSummary> seen =
        names ? session.discover(scanMs) : session.discoverAll(addresses, scanMs);
    std::vector<std::string> taken;
    for (const std::string& asked : options.nodes) {
        std::vector<const NetworkNodeSummary*> matching;
        for (const NetworkNodeSummary& node : seen) {
            if (node.address == asked || sameNodeName(node.name, asked))
                matching.push_back(&node);
        }
        if (matching.size() > 1)
            return usageError("several network nodes are named " + asked + "; give their addresses");
        if (matching.empty()) {
            targets.push_back(missingTarget(asked, scanMs));
            continue;
        }
        const NetworkNodeSummary& node = *matching.front();
        if (std::find(taken.begin(), taken.end(), node.address) != taken.end())
            return usageError("--node " + asked + " names " + node.name + " " + node.address +
                              " a second time; name each node once");
        taken.push_back(node.address);
        targets.push_back(FleetSources::nodeTarget(session, node, ceilingMs));
    }
    return EXIT_OK;
}

// What the tool needs beyond the systems; EXIT_OK or the usage error.
int settingsOf(const CliOptions& options, FleetActionSettings& settings)
{
    const std::string what = options.arguments.empty() ? std::string() : options.arguments[0];
    settings.boards = options.boardAddress;
    settings.journalFolder = MaintenanceJournal::defaultFolder();
    settings.snapshots = !options.noSnapshot;
    settings.lockFolder = SystemLock::defaultFolder();
    if (options.command == "selftest") {
        if (!options.saveDir.empty())
            return usageError("selftest --save-dir applies to one system; leave out --all-nodes or the further --node");
        settings.tool = FleetTool::SelfTest;
        settings.test = options.excitation ? BoardTest::ExcitationTest
                        : options.factory  ? BoardTest::FactoryTest
                                           : BoardTest::SelfTest;
        return EXIT_OK;
    }
    if (options.command == "firmware") {
        if (options.dryRun)
            return usageError("firmware update --dry-run applies to one system; leave out --all-nodes or the "
                              "further --node");
        settings.tool = what == "check" ? FleetTool::FirmwareCheck : FleetTool::FirmwareUpdate;
        settings.keepNewer = options.keepNewer;
        settings.retryFailed = options.retryFailed;
        if (settings.tool == FleetTool::FirmwareUpdate)
            settings.activity = "updating firmware";
        return EXIT_OK;
    }
    settings.tool = FleetTool::EepromBackup;
    if (options.which == "both")
        settings.which = {EepromWhich::Base, EepromWhich::Connector};
    else if (options.which == "con")
        settings.which = {EepromWhich::Connector};
    else if (options.which != "base")
        return usageError("eeprom backup needs --which base, con or both");
    if (options.dir.empty())
        return usageError("eeprom backup needs --dir DIR");
    settings.backupFolder = options.dir;
    settings.replace = options.force;
    return EXIT_OK;
}

} // namespace

bool fleetActionApplies(const CliOptions& options)
{
    const std::string what = options.arguments.empty() ? std::string() : options.arguments[0];
    return options.command == "selftest" || (options.command == "firmware" && (what == "check" || what == "update")) ||
           (options.command == "eeprom" && what == "backup");
}

std::string fleetActionTool(const CliOptions& options)
{
    const bool many = options.allNodes || options.nodes.size() > 1;
    if (!many || !fleetActionApplies(options))
        return {};
    return options.command == "selftest" ? options.command : options.command + " " + options.arguments[0];
}

int fleetActionCommand(const CliOptions& options)
{
    FleetActionSettings settings;
    const int set = settingsOf(options, settings);
    if (set != EXIT_OK)
        return set;
    if (settings.tool == FleetTool::EepromBackup) {
        const OutputDestination::Result folder = OutputDestination::prepareFolder(options.dir);
        if (folder.refused())
            return refusedDestination(folder);
        if (!folder.ok()) {
            std::cerr << "zamo2ctl: cannot create " << options.dir << ": " << folder.message << "\n";
            return EXIT_CANNOT_CREATE;
        }
    }
    const std::uint32_t scanMs = options.scanMs != 0 ? options.scanMs : RemoteSession::kDefaultScanMs;
    const std::uint32_t limit = commandTimeoutSeconds(options);
    const std::uint32_t ceilingMs = (limit != 0 ? limit : RemoteSession::kNodeWaitSeconds) * 750u;

    std::vector<FleetTarget> targets;
    std::unique_ptr<LocalNodeSession> local;
    if (options.allNodes) {
        local = std::make_unique<LocalNodeSession>(options.driverPath, options.simulation);
        targets.push_back(FleetSources::localTarget(local->wrapper(), local->result()));
    }
    std::vector<std::string> addresses;
    for (const std::string& asked : options.nodes) {
        if (uni::ipv4::parseAddress(asked))
            addresses.push_back(asked);
    }
    RemoteNodeSession remote(options.basePort, addresses);
    const std::int32_t started = remote.start();
    int status = EXIT_OK;
    if (!DriverResult::succeeded(started)) {
        std::cerr << "zamo2ctl: the network client did not start (" << started << " "
                  << DriverResult::networkName(started) << "); no network node was asked\n";
        if (!options.allNodes)
            return EXIT_NODE_UNAVAILABLE;
        status = EXIT_NODE_UNAVAILABLE;
    } else if (options.allNodes) {
        for (const NetworkNodeSummary& node : remote.discover(scanMs))
            targets.push_back(FleetSources::nodeTarget(remote, node, ceilingMs));
    } else {
        const int chosen = chosenNodes(options, remote, scanMs, ceilingMs, targets);
        if (chosen != EXIT_OK)
            return chosen;
    }

    const std::string tool = fleetActionTool(options);
    Tally tally(options, targets, tool);
    FleetAction action(
        settings, [&tally](const FleetBoardOutcome& outcome) { tally.board(outcome); },
        [&tally](const FleetSystemOutcome& outcome) { tally.system(outcome); });
    std::atomic<bool> stop{false};
    CommandWatchdog::stopGently(&stop);
    const unsigned parallel = options.parallel > 0 ? unsigned(options.parallel) : FleetScan::kDefaultParallel;
    action.run(targets, parallel, stop);
    CommandWatchdog::stopGently(nullptr);
    return std::max(status, tally.finish(CommandWatchdog::stopStatus()));
}

} // namespace cli
} // namespace z2e
