#include "cli_tools_command.h"

#include "cli_commands.h"
#include "cli_output.h"
#include "cli_tool_runner.h"
#include "cli_tool_support.h"

#include "core/app_paths.h"
#include "core/node_result_text.h"
#include "driver/command/driver_result.h"
#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/board_test_procedure.h"
#include "tools/firmware_updater.h"
#include "tools/journal_line_reader.h"
#include "tools/maintenance_journal.h"
#include "tools/test_result_files.h"
#include "tools/test_verdict.h"
#include "driver/command/app_status.h"

#include <algorithm>
#include <iomanip>
#include <iostream>
#include <sstream>

namespace z2e {
namespace cli {

namespace {

const std::atomic<bool> kNeverCancelled{false};

std::vector<std::uint32_t> chosenBoards(const CliOptions& options)
{
    if (options.board < 0)
        return {};
    return {static_cast<std::uint32_t>(options.board)};
}

// A stopped procedure's status and reason on stderr.
void reportStop(std::int32_t status, const std::string& message, QorinNodeUtilWrapper& wrapper)
{
    std::cerr << "zamo2ctl: " << status;
    if (!message.empty())
        std::cerr << " " << message;
    else
        std::cerr << " " << statusWords(status, &wrapper);
    std::cerr << "\n";
}

int testExitStatus(const BoardTestOutcome& outcome)
{
    if (outcome.status != 0)
        return exitStatusOf(outcome.status);
    // A test that does not apply to a board (an excitation test of a board without
    // excitation) is no failure of it.
    for (const BoardTestRow& row : outcome.rows) {
        const bool passed = row.status == " PASSED" || row.status == "  PASSED" || row.status == " NOT APPLICABLE";
        if (!passed)
            return EXIT_TOOL_FAILED;
    }
    return EXIT_OK;
}

void printTestOutcome(const CliOptions& options, const BoardTestOutcome& outcome)
{
    if (options.json) {
        std::ostringstream out;
        out << "{\"status\":" << outcome.status << ",\"boards\":[";
        for (std::size_t i = 0; i < outcome.rows.size(); ++i) {
            const BoardTestRow& row = outcome.rows[i];
            out << (i ? "," : "") << "{\"board\":" << row.board.index << ",\"slot\":";
            if (row.board.slot == BoardIdentity::kUnknownSlot)
                out << "null";
            else
                out << row.board.slot;
            out << ",\"name\":" << jsonString(row.board.name) << ",\"serial\":" << jsonString(row.board.serial)
                << ",\"status\":" << jsonString(TestVerdict::word(row.status)) << ",\"details\":[";
            for (std::size_t d = 0; d < row.details.size(); ++d)
                out << (d ? "," : "") << jsonString(row.details[d]);
            out << "],\"enclosure\":" << row.board.enclosure << ",\"label\":" << jsonString(row.board.label()) << "}";
        }
        out << "]}\n";
        std::cout << out.str();
        return;
    }
    for (const BoardTestRow& row : outcome.rows) {
        // Named as the tree and the label on the board name it; the driver's words as it gave them.
        std::cout << oneLine(row.board.label() + (row.status.empty() ? "" : ": " + row.status)) << "\n";
        for (const std::string& detail : row.details)
            std::cout << "  " << terminalText(detail) << "\n";
    }
}

int saveResults(const CliOptions& options, const BoardTestOutcome& outcome)
{
    if (options.saveDir.empty())
        return EXIT_OK;
    const OutputDestination::Result folder = OutputDestination::prepareFolder(options.saveDir);
    if (folder.refused())
        return refusedDestination(folder);
    if (!folder.ok()) {
        std::cerr << "zamo2ctl: cannot create " << options.saveDir << ": " << folder.message << "\n";
        return exitStatusOf(AppStatus::SaveFailed);
    }
    // A refused file leaves the others to be saved; the run then ends with 73.
    int status = EXIT_OK;
    for (const BoardTestRow& row : outcome.rows) {
        if (row.document.empty())
            continue;
        const std::string path = TestResultFiles::proposedName(options.saveDir, outcome.testName, row);
        std::string why;
        const std::int32_t saved = TestResultFiles::saveSingle(path, row, &why, options.force);
        if (saved == AppStatus::DestinationRefused) {
            std::cerr << "zamo2ctl: refused: " << oneLine(why) << "\n";
            status = EXIT_CANNOT_CREATE;
            continue;
        }
        if (saved != AppStatus::Ok) {
            std::cerr << "zamo2ctl: cannot write " << path << ": " << why << "\n";
            return exitStatusOf(AppStatus::SaveFailed);
        }
        std::cerr << "saved: " << path << "\n";
    }
    return status;
}

// Whether the procedure sent anything to a board: a change whose start could not be recorded
// sends nothing, and its journal failure is no record missing from a run.
bool sentTo(const BoardTestRow& row)
{
    return !row.status.empty() && !row.snapshotFailed;
}

bool sentToABoard(const BoardTestOutcome& outcome)
{
    return std::any_of(outcome.rows.begin(), outcome.rows.end(), sentTo);
}

int runTest(const CliOptions& options, BoardTest test)
{
    return runOnNode(options, [&](QorinNodeUtilWrapper& wrapper) -> int {
        MaintenanceJournal journal(MaintenanceJournal::defaultFolder(), MaintenanceJournal::nodeOf(wrapper));
        journal.setSnapshotsEnabled(!options.noSnapshot);
        BoardTestProcedure procedure(wrapper, &journal);
        BoardTestOutcome outcome = procedure.run(test, chosenBoards(options), terminalProgress(), kNeverCancelled);
        const bool unjournalled = outcome.status == AppStatus::JournalFailed && sentToABoard(outcome);
        if (unjournalled) {
            // The procedure ran to its end; only the record of it is missing.
            std::string boards;
            for (const BoardTestRow& row : outcome.rows) {
                if (sentTo(row))
                    boards += (boards.empty() ? "" : ", ") + row.board.label();
            }
            std::cerr << "zamo2ctl: " << BoardTestProcedure::operationName(test) << " ran on " << boards
                      << " and its results stand, but its journal lines could not be written: " << outcome.message
                      << "\n";
        } else if (outcome.status != 0) {
            reportStop(outcome.status, outcome.message, wrapper);
        }
        printTestOutcome(options, outcome);
        const int saved = saveResults(options, outcome);
        if (unjournalled)
            return static_cast<int>(EXIT_JOURNAL_FAILED);
        const int status = testExitStatus(outcome);
        return status != EXIT_OK ? status : saved;
    });
}

int selftest(const CliOptions& options)
{
    const BoardTest test = options.excitation ? BoardTest::ExcitationTest
                           : options.factory  ? BoardTest::FactoryTest
                                              : BoardTest::SelfTest;
    return runTest(options, test);
}

// The three-wire offset needs the calibration connector on the board.
bool threeWireConfirmed(const CliOptions& options)
{
    return confirmed(options.yes, "calibrate threewire", "Three wire offest", BoardTestProcedure::threeWireQuestion());
}

int calibrate(const CliOptions& options)
{
    const std::string& what = options.arguments[0];
    BoardTest test = BoardTest::AutoZero;
    if (what == "gaincal")
        test = BoardTest::GainCal;
    else if (what == "threewire")
        test = BoardTest::ThreeWire;
    else if (what == "reset-defaults")
        test = BoardTest::ResetDefaults;
    else if (what != "autozero")
        return usageError("calibrate needs autozero, gaincal, threewire or reset-defaults");
    if (test == BoardTest::ThreeWire && !threeWireConfirmed(options)) {
        std::cerr << "zamo2ctl: three-wire offset not run; nothing was sent\n";
        return EXIT_TOOL_FAILED;
    }
    return runTest(options, test);
}

std::string firmwareRowsJson(const std::vector<FirmwareRow>& rows)
{
    std::ostringstream out;
    out << "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const FirmwareRow& row = rows[i];
        out << (i ? "," : "") << "{\"board\":" << row.board.index << ",\"enclosure\":" << row.board.enclosure
            << ",\"label\":" << jsonString(row.board.label()) << ",\"serial\":" << jsonString(row.board.serial)
            << ",\"name\":" << jsonString(row.board.name)
            << ",\"installed\":" << jsonString(FirmwareRow::shown(row.installed))
            << ",\"latest\":" << jsonString(FirmwareRow::shown(row.latest)) << ",\"status\":" << jsonString(row.status)
            << ",\"result\":" << jsonString(row.result) << ",\"info\":" << jsonString(row.info)
            << ",\"plan\":" << jsonString(FirmwareUpdater::planName(row.plan))
            << ",\"planText\":" << jsonString(FirmwareUpdater::planText(row))
            << ",\"snapshotFailed\":" << (row.snapshotProblem.empty() ? "false" : "true") << "}";
    }
    out << "]";
    return out.str();
}

// The table of the rows; `planned` shows the plan of each row instead of its result and info.
void printFirmwareTable(const std::vector<FirmwareRow>& rows, bool planned = false)
{
    std::vector<std::vector<std::string>> cells = {{"Board", "Installed", "Latest", "Status", "Result", "Info"}};
    if (planned)
        cells[0] = {"Board", "Installed", "Latest", "Status", "Plan"};
    for (const FirmwareRow& row : rows) {
        cells.push_back(
            {row.board.label(), FirmwareRow::shown(row.installed), FirmwareRow::shown(row.latest), row.status});
        if (planned && row.plan == FirmwarePlan::None)
            cells.back().push_back("Not retried: its last update here did not fail (or there was none)");
        else if (planned)
            cells.back().push_back(FirmwareUpdater::planText(row));
        else
            cells.back().insert(cells.back().end(), {row.result, row.info});
    }
    std::cout << alignedColumns(cells);
}

int printFirmwareOutcome(const CliOptions& options, std::int32_t status, const std::string& message,
                         const std::vector<FirmwareRow>& rows, bool updatedWithoutJournal = false)
{
    const bool finished = status == AppStatus::FirmwareUpdated || status == AppStatus::FirmwareSkipped ||
                          status == AppStatus::FirmwareUpdateFailed;
    const std::string text = finished ? FirmwareUpdater::statusText(status) : std::to_string(status) + " " + message;
    if (options.json) {
        std::cout << "{\"status\":" << status << ",\"statusText\":" << jsonString(text)
                  << ",\"boards\":" << firmwareRowsJson(rows) << "}\n";
    } else {
        printFirmwareTable(rows);
        (finished ? std::cout : std::cerr) << (finished ? "" : "zamo2ctl: ") << oneLine(text) << "\n";
    }
    if (status == AppStatus::FirmwareUpdated || status == AppStatus::FirmwareSkipped)
        return EXIT_OK;
    if (status == AppStatus::JournalFailed && updatedWithoutJournal)
        return EXIT_JOURNAL_FAILED;
    return status == AppStatus::FirmwareUpdateFailed ? EXIT_TOOL_FAILED : exitStatusOf(status);
}

int firmwareCheck(const CliOptions& options, FirmwareUpdater& updater, QorinNodeUtilWrapper& wrapper)
{
    std::vector<FirmwareRow> rows;
    const std::int32_t status = updater.check(chosenBoards(options), rows);
    if (status != 0) {
        std::cerr << "zamo2ctl: " << status << " " << updater.message() << "\n";
        return exitStatusOf(status);
    }
    // A board that could not be asked is no board found up to date.
    int exitStatus = EXIT_OK;
    for (FirmwareRow& row : rows) {
        if (row.checkResult < 1)
            continue;
        row.info = "not checked: " + statusWords(row.checkResult, &wrapper);
        exitStatus = EXIT_TOOL_FAILED;
    }
    if (options.json)
        std::cout << "{\"boards\":" << firmwareRowsJson(rows) << "}\n";
    else
        printFirmwareTable(rows);
    return exitStatus;
}

int firmwareList(const CliOptions& options, FirmwareUpdater& updater, QorinNodeUtilWrapper& wrapper)
{
    std::vector<std::string> files;
    const std::int32_t result = updater.listing(files);
    if (!DriverResult::succeeded(result)) {
        std::cerr << "zamo2ctl: firmware listing: " << result << " " << statusWords(result, &wrapper) << "\n";
        return exitStatusOf(result);
    }
    if (options.json) {
        std::cout << "{\"files\":[";
        for (std::size_t i = 0; i < files.size(); ++i)
            std::cout << (i ? "," : "") << jsonString(files[i]);
        std::cout << "]}\n";
    } else {
        for (const std::string& file : files)
            std::cout << file << "\n";
    }
    return EXIT_OK;
}

// --dry-run: what update would do with each board, from the check alone (nothing is sent but
// reads, nothing snapshotted or journalled). With --retry-failed the boards it would leave out
// say so.
int printFirmwarePlan(const CliOptions& options, std::vector<FirmwareRow>& rows)
{
    for (FirmwareRow& row : rows) {
        FirmwareUpdater::plan(row, options.keepNewer);
        if (options.retryFailed && row.outcome != AppStatus::FirmwareUpdateFailed)
            row.plan = FirmwarePlan::None;
    }
    if (options.json) {
        std::cout << "{\"dryRun\":true,\"keepNewer\":" << (options.keepNewer ? "true" : "false")
                  << ",\"boards\":" << firmwareRowsJson(rows) << "}\n";
        return EXIT_OK;
    }
    printFirmwareTable(rows, true);
    std::cout << "Dry run: nothing was sent, snapshotted or journalled.\n";
    return EXIT_OK;
}

int firmwareUpdate(const CliOptions& options, FirmwareUpdater& updater, MaintenanceJournal& journal)
{
    std::vector<FirmwareRow> rows;
    std::int32_t status = updater.check(chosenBoards(options), rows);
    // The failed rows of an earlier run are the boards whose last update on this node failed.
    if (status == 0 && options.retryFailed && FirmwareUpdater::markFailedFromJournal(rows, journal) == 0) {
        const std::string words =
            "nothing to retry: the journal (" + journal.folder() +
            ") records no failed or interrupted firmware update of " +
            (options.board < 0 ? std::string("any board") : "board " + std::to_string(options.board)) +
            " on this node; nothing was sent";
        if (options.json)
            std::cout << "{\"status\":" << AppStatus::FirmwareSkipped << ",\"statusText\":" << jsonString(words)
                      << ",\"boards\":[],\"exitStatus\":" << EXIT_NOTHING_TO_DO << "}\n";
        else
            std::cerr << "zamo2ctl: " << words << "\n";
        return EXIT_NOTHING_TO_DO;
    }
    if (status == 0 && options.dryRun)
        return printFirmwarePlan(options, rows);
    if (status == 0)
        status = updater.update(rows, options.retryFailed, terminalProgress(), kNeverCancelled);
    return printFirmwareOutcome(options, status, updater.message(), rows, updater.updatedWithoutJournal());
}

int firmwareUpdateFile(const CliOptions& options, FirmwareUpdater& updater)
{
    if (options.board < 0)
        return usageError("firmware update-file needs --board B");
    if (options.autoSelect == (options.arguments.size() == 2))
        return usageError("firmware update-file takes either FILE, VERSION or --auto");
    if (!options.autoSelect && options.arguments[1].empty())
        return usageError("firmware update-file needs a FILE or VERSION that is not empty");
    std::vector<FirmwareRow> rows;
    std::int32_t status = updater.check(chosenBoards(options), rows);
    if (status == 0) {
        std::string selection = options.autoSelect ? std::string() : options.arguments[1];
        if (options.autoSelect)
            updater.autoSelection(rows[0].board.index, selection);
        if (selection.empty())
            return printFirmwareOutcome(options, AppStatus::FirmwareSkipped, "", rows);
        status = updater.updateWith(rows[0], selection, terminalProgress());
    }
    return printFirmwareOutcome(options, status, updater.message(), rows, updater.updatedWithoutJournal());
}

int firmware(const CliOptions& options)
{
    const std::string& what = options.arguments[0];
    if (what != "check" && what != "list" && what != "update" && what != "update-file")
        return usageError("firmware needs check, list, update or update-file");
    if (what != "update-file" && options.arguments.size() > 1)
        return usageError("firmware " + what + " takes no further argument");
    return runOnNode(options, [&](QorinNodeUtilWrapper& wrapper) {
        MaintenanceJournal journal(MaintenanceJournal::defaultFolder(), MaintenanceJournal::nodeOf(wrapper));
        journal.setSnapshotsEnabled(!options.noSnapshot);
        FirmwareUpdater updater(wrapper, &journal);
        updater.setKeepNewer(options.keepNewer);
        if (what == "check")
            return firmwareCheck(options, updater, wrapper);
        if (what == "list")
            return firmwareList(options, updater, wrapper);
        if (what == "update")
            return firmwareUpdate(options, updater, journal);
        return firmwareUpdateFile(options, updater);
    });
}

// The serial number of board --board, on the local driver or the node of --node.
int boardSerial(const CliOptions& options, std::string& serial)
{
    return runOnNode(options, [&](QorinNodeUtilWrapper& wrapper) {
        serial = BoardIdentity::read(wrapper, static_cast<std::uint32_t>(options.board)).serial;
        if (!serial.empty())
            return EXIT_OK;
        std::cerr << "zamo2ctl: board " << options.board << " has no serial number to look up its history by "
                  << "(no such board, or its EEPROM cannot be read); use --serial\n";
        return EXIT_TOOL_FAILED;
    });
}

// A board by its place as the tree names it; older lines by index and slot.
void printHistoryLine(const std::string& line)
{
    using J = MaintenanceJournal;
    const std::string enclosure = J::field(line, "enclosure");
    std::string place = enclosure.empty() ? "board " + J::field(line, "board") : "enclosure " + enclosure;
    if (enclosure.empty() && !J::field(line, "place").empty())
        place = J::field(line, "place");
    else if (enclosure.empty() && J::field(line, "slot") != "null")
        place += " slot " + J::field(line, "slot");
    std::string firmware;
    if (!J::field(line, "firmwareBefore").empty() || !J::field(line, "firmwareAfter").empty())
        firmware = "  " + J::field(line, "firmwareBefore") + " -> " + J::field(line, "firmwareAfter");
    std::string shown = J::field(line, "time") + "  " + J::field(line, "node") + "  " + place + "  " +
                        J::field(line, "model") + " " + J::field(line, "serial") + "  " + J::field(line, "operation") +
                        "  " + J::field(line, "result") + " " + J::field(line, "status") + firmware;
    if (!J::field(line, "verification").empty())
        shown += "  [" + J::field(line, "verification") + "]";
    // Anyone who can write the history file could otherwise drive this terminal.
    std::cout << oneLine(shown) << "\n";
}

int history(const CliOptions& options)
{
    std::string serial = options.serial;
    if (options.board >= 0 && !serial.empty())
        return usageError("history takes either --serial or --board");
    if (options.board >= 0) {
        const int found = boardSerial(options, serial);
        if (found != EXIT_OK)
            return found;
    }
    const MaintenanceJournal journal(MaintenanceJournal::defaultFolder(), "");
    // Printed as read: a history of years is never held whole.
    std::size_t count = 0;
    const JournalHistory read = journal.visit(serial, [&](const std::string& line) {
        if (options.json)
            std::cout << (count == 0 ? "[\n" : ",\n") << line;
        else
            printHistoryLine(line);
        ++count;
    });
    if (!read.error.empty()) {
        std::cerr << "zamo2ctl: " << read.error << "\n";
        return EXIT_JOURNAL_FAILED;
    }
    if (read.damaged != 0)
        std::cerr << "zamo2ctl: " << JournalLineReader::damagedText(read.damaged) << " in " << journal.folder()
                  << "/history.jsonl\n";
    if (options.json)
        std::cout << (count == 0 ? "[]\n" : "\n]\n");
    else if (count == 0)
        std::cerr << "zamo2ctl: no journal entries in " << journal.folder() << "\n";
    return EXIT_OK;
}

} // namespace

int toolsCommand(const CliOptions& options)
{
    const std::string& c = options.command;
    if (c == "selftest")
        return selftest(options);
    if (c == "calibrate")
        return calibrate(options);
    if (c == "firmware")
        return firmware(options);
    return history(options);
}

const CliToolRunner kRunner({"selftest", "calibrate", "firmware", "history"}, toolsCommand);

} // namespace cli
} // namespace z2e
