#include "cli_eeprom_command.h"

#include "cli_commands.h"
#include "cli_output.h"
#include "cli_tool_runner.h"
#include "cli_tool_support.h"

#include "core/app_paths.h"
#include "core/application_status.h"
#include "driver/command/app_status.h"
#include "driver/command/driver_result.h"
#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/board_selection.h"
#include "tools/eeprom_backup.h"
#include "tools/eeprom_editor.h"
#include "tools/eeprom_restore.h"
#include "tools/maintenance_journal.h"

#include <iostream>

namespace z2e {
namespace cli {

namespace {

// A refusal or failure: the status text, then why, on stderr.
int refused(const std::string& text, const std::string& why)
{
    std::cerr << "zamo2ctl: " << oneLine(text);
    if (!why.empty())
        std::cerr << " (" << why << ")";
    std::cerr << "\n";
    return EXIT_TOOL_FAILED;
}

bool whichOf(const CliOptions& options, EepromWhich& which)
{
    if (options.which == "base")
        which = EepromWhich::Base;
    else if (options.which == "con")
        which = EepromWhich::Connector;
    else
        return false;
    return true;
}

int backup(const CliOptions& options, QorinNodeUtilWrapper& wrapper, MaintenanceJournal& journal, EepromWhich which)
{
    const OutputDestination::Result folder = OutputDestination::prepareFolder(options.dir);
    if (folder.refused())
        return refusedDestination(folder);
    if (!folder.ok())
        return refused(statusMessage(AppStatus::SnapshotFailed), folder.message);
    EepromBackup tool(wrapper, &journal);
    std::string path;
    const std::int32_t status =
        tool.run(static_cast<std::uint32_t>(options.board), which, options.dir, path, options.force);
    // A driver's answer has no message of the program's own: its name, the board, and what to do.
    const std::string words =
        statusKnown(status)
            ? statusMessage(status)
            : boardPlace(wrapper, static_cast<std::uint32_t>(options.board)) + ": " + tool.message() +
                  (DriverResult::linkFailed(wrapper.lastCause())
                       ? std::string()
                       : "; if the EEPROM is damaged, put it back with eeprom auto-restore, or eeprom restore FILE "
                         "from a backup");
    if (options.json)
        std::cout << "{\"status\":" << status << ",\"statusText\":" << jsonString(words)
                  << ",\"path\":" << jsonString(path) << ",\"message\":" << jsonString(tool.message()) << "}\n";
    else if (status == AppStatus::Ok)
        std::cout << path << "\n";
    else if (status == AppStatus::DestinationRefused)
        std::cerr << "zamo2ctl: refused: " << oneLine(tool.message()) << "\n";
    else
        refused(words, statusKnown(status) ? tool.message() : std::string());
    if (status == AppStatus::DestinationRefused)
        return EXIT_CANNOT_CREATE;
    return status == AppStatus::Ok ? EXIT_OK : EXIT_TOOL_FAILED;
}

int restore(const CliOptions& options, QorinNodeUtilWrapper& wrapper, MaintenanceJournal& journal, EepromWhich which,
            bool automatic)
{
    EepromRestore tool(wrapper, &journal);
    const auto board = static_cast<std::uint32_t>(options.board);
    tool.allowOtherBoard(options.force);
    const std::int32_t status =
        automatic ? tool.automatic(board, which) : tool.fromFile(board, which, options.arguments[1]);
    ChangeReport change;
    change.place = boardPlace(wrapper, board);
    change.answered = DriverResult::succeeded(status);
    change.journalFailed = status == AppStatus::JournalFailed;
    change.status = status;
    change.text = EepromRestore::outcomeText(status);
    // A backup of another board is written only when the operator says so.
    change.message =
        tool.otherBoard() ? tool.message() + " - add --force to restore it onto this board anyway" : tool.message();
    change.verification = tool.verification();
    return reportChange(options, change);
}

int models(const CliOptions& options, EepromEditor& editor)
{
    if (!editor.writable()) {
        const std::int32_t failed =
            !DriverResult::succeeded(editor.summaryResult()) ? editor.summaryResult() : editor.typeCodeResult();
        return refused("Base EEPROM Configuration not possible: " + editor.serialFieldText(),
                       "result " + std::to_string(failed));
    }
    const std::vector<std::string> texts = editor.comboTexts();
    if (options.json) {
        std::cout << "{\"typeCode\":" << editor.typeCode() << ",\"serial\":" << jsonString(editor.serialFieldText())
                  << ",\"models\":[";
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const EepromModelList::Entry& entry = editor.offered()[i];
            std::cout << (i ? "," : "") << "{\"name\":" << jsonString(entry.name)
                      << ",\"model\":" << jsonString(entry.baseModel)
                      << ",\"revision\":" << jsonString(entry.baseVersion) << ",\"text\":" << jsonString(texts[i])
                      << "}";
        }
        std::cout << "]}\n";
    } else {
        for (const std::string& text : texts)
            std::cout << text << "\n";
    }
    return EXIT_OK;
}

int edit(const CliOptions& options, QorinNodeUtilWrapper& wrapper, MaintenanceJournal& journal, const std::string& what)
{
    EepromEditor editor(wrapper, &journal);
    editor.load(static_cast<std::uint32_t>(options.board));
    if (what == "models")
        return models(options, editor);
    if (!editor.writable())
        return refused("Base EEPROM Configuration not possible: " + editor.serialFieldText(), "");
    if (what == "write-default") {
        const std::int32_t status = editor.writeDefault(options.model, options.revision, options.serial);
        if (!editor.actionDone()) // refused before anything was sent
            return refused(statusMessage(status), editor.message());
    } else {
        editor.erase();
    }
    const EepromEditorOutcome shown = EepromEditor::outcome(editor.actionDone(), editor.result(), &wrapper);
    ChangeReport change;
    change.place = boardPlace(wrapper, static_cast<std::uint32_t>(options.board));
    change.answered = shown.kind == EepromEditorOutcome::Kind::Success;
    change.journalFailed = editor.result() == AppStatus::JournalFailed;
    change.status = editor.result();
    change.text = shown.text;
    change.message = editor.message();
    change.verification = editor.verification();
    return reportChange(options, change);
}

} // namespace

int eepromCommand(const CliOptions& options)
{
    const std::string& what = options.arguments[0];
    const bool fileTaken = what == "restore";
    if (what != "backup" && what != "restore" && what != "auto-restore" && what != "models" &&
        what != "write-default" && what != "erase")
        return usageError("eeprom needs backup, restore, auto-restore, models, write-default or erase");
    if (options.arguments.size() != (fileTaken ? 2u : 1u))
        return usageError(fileTaken ? "eeprom restore needs FILE" : "eeprom " + what + " takes no further argument");
    if (options.board < 0)
        return usageError("eeprom " + what + " needs --board B");
    EepromWhich which = EepromWhich::Base;
    const bool whichTaken = what == "backup" || what == "restore" || what == "auto-restore";
    // A backup may take both EEPROMs of a board at once.
    const bool both = what == "backup" && options.which == "both";
    if (whichTaken && !both && !whichOf(options, which))
        return usageError("eeprom " + what + " needs --which base or --which con" +
                          (what == "backup" ? " (or both)" : ""));
    if (what == "backup" && options.dir.empty())
        return usageError("eeprom backup needs --dir DIR");
    if (what == "write-default") {
        if (options.model.empty() || options.revision.empty() || options.serial.empty())
            return usageError("eeprom write-default needs --model M, --revision R and --serial HEX");
        if (!EepromEditor::validSerial(options.serial))
            return refused(statusMessage(AppStatus::InvalidSerialNumber),
                           "1 to 8 of 0-9 A-F, upper case; nothing was sent");
    }
    if (what == "erase" && !options.yes)
        return refused("eeprom erase needs --yes", "nothing was sent");
    return runOnNode(options, [&](QorinNodeUtilWrapper& wrapper) {
        std::vector<std::uint32_t> chosen;
        std::string message;
        if (!BoardSelection::choose({static_cast<std::uint32_t>(options.board)}, wrapper.getBoardCount(), chosen,
                                    message))
            return refused(message, "");
        MaintenanceJournal journal(MaintenanceJournal::defaultFolder(), MaintenanceJournal::nodeOf(wrapper));
        journal.setSnapshotsEnabled(!options.noSnapshot);
        if (what == "backup" && both) {
            const int base = backup(options, wrapper, journal, EepromWhich::Base);
            const int con = backup(options, wrapper, journal, EepromWhich::Connector);
            return base != EXIT_OK ? base : con;
        }
        if (what == "backup")
            return backup(options, wrapper, journal, which);
        if (what == "restore" || what == "auto-restore")
            return restore(options, wrapper, journal, which, what == "auto-restore");
        return edit(options, wrapper, journal, what);
    });
}

const CliToolRunner kRunner({"eeprom"}, eepromCommand);

} // namespace cli
} // namespace z2e
