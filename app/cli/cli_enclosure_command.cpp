#include "cli_enclosure_command.h"

#include "cli_commands.h"
#include "cli_demo_command.h"
#include "cli_output.h"
#include "cli_tool_runner.h"
#include "cli_tool_support.h"

#include "core/application_status.h"
#include "core/demo_status.h"
#include "core/demo_system_editor.h"
#include "core/node_result_text.h"
#include "core/slot_node.h"
#include "core/system_model.h"
#include "driver/command/driver_result.h"
#include "driver/command/app_status.h"
#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/board_cross_grade.h"
#include "tools/board_features.h"
#include "tools/channel_module_choice.h"
#include "tools/enclosure_data_tool.h"
#include "tools/maintenance_journal.h"
#include "uni/number_text.h"

#include <iostream>
#include <memory>
#include <sstream>

namespace z2e {
namespace cli {

namespace {

// A refusal or failure: the status text (and why) on stderr.
int refuse(std::int32_t status, const std::string& text, const std::string& detail)
{
    std::cerr << "zamo2ctl: " << status << " " << oneLine(text);
    if (!detail.empty())
        std::cerr << " (" << detail << ")";
    std::cerr << "\n";
    return exitStatusOf(status);
}

int refuse(std::int32_t status, const std::string& detail = std::string())
{
    return refuse(status, statusMessage(status), detail);
}

// Prints a change's outcome; 0 only when it is `done` and its read-back verified it.
int printChange(const CliOptions& options, std::int32_t status, const std::string& text,
                const std::string& verification, bool done, const std::string& place,
                const std::string& extraJson = std::string(), const std::string& message = std::string())
{
    ChangeReport change;
    change.place = place;
    change.answered = done;
    change.journalFailed = status == AppStatus::JournalFailed;
    change.status = status;
    change.text = text;
    change.message = message;
    change.verification = verification;
    // Nothing changed for want of a snapshot is a failed change, as for the board tools.
    change.failureExit = status == AppStatus::SnapshotFailed ? EXIT_TOOL_FAILED : exitStatusOf(status);
    change.extraJson = extraJson;
    const int exit = reportChange(options, change);
    if (exit == EXIT_OK && !options.json)
        std::cout << "read back: " << verification << "\n";
    return exit;
}

std::unique_ptr<MaintenanceJournal> journalOf(const CliOptions& options, QorinNodeUtilWrapper& wrapper)
{
    auto journal =
        std::make_unique<MaintenanceJournal>(MaintenanceJournal::defaultFolder(), MaintenanceJournal::nodeOf(wrapper));
    journal->setSnapshotsEnabled(!options.noSnapshot);
    return journal;
}

// ---- enclosure show | write ----

const char* kindText(EnclosureKind kind)
{
    switch (kind) {
    case EnclosureKind::NetworkNode: return "network node";
    case EnclosureKind::NotWritable: return "not writable";
    default: return "local";
    }
}

std::string offeredText(const EnclosureOptionState& option)
{
    std::string text;
    for (const auto& [value, name] : option.offered)
        text += name + " (" + std::to_string(value) + "), ";
    return text + "None";
}

void printEnclosure(const CliOptions& options, const EnclosureRecord& record)
{
    if (options.json) {
        std::ostringstream out;
        out << "{\"enclosure\":" << record.index << ",\"name\":" << jsonString(record.name)
            << ",\"kind\":" << jsonString(kindText(record.kind)) << ",\"type\":" << record.type
            << ",\"version\":" << record.version
            << ",\"serial\":" << jsonString(uni::text::hex8(record.serialNumber, true))
            << ",\"serialNumberText\":" << jsonString(record.serialText) << ",\"options\":[";
        for (std::size_t i = 0; i < record.options.size(); ++i) {
            const EnclosureOptionState& option = record.options[i];
            out << (i ? "," : "") << "{\"name\":" << jsonString(option.name)
                << ",\"value\":" << (option.value ? std::to_string(*option.value) : "null")
                << ",\"valueText\":" << jsonString(option.valueText()) << ",\"offered\":[";
            for (std::size_t v = 0; v < option.offered.size(); ++v)
                out << (v ? "," : "") << "{\"value\":" << option.offered[v].first
                    << ",\"text\":" << jsonString(option.offered[v].second) << "}";
            out << "]}";
        }
        out << "],\"userData\":" << jsonString(record.userData) << "}\n";
        std::cout << out.str();
        return;
    }
    // The driver's texts: the user data may have been written by anyone, with anything.
    std::cout << "Enclosure " << record.index << ": " << oneLine(record.name) << " (" << kindText(record.kind) << ")\n"
              << "Type: " << record.type << "\n"
              << "Version: " << record.version << "\n"
              << "Serial Number: " << uni::text::hex8(record.serialNumber, true) << "\n"
              << "Serial Number text: " << oneLine(record.serialText) << "\n"
              << "Options:\n";
    for (const EnclosureOptionState& option : record.options)
        std::cout << "  " << oneLine(option.name + ": " + option.valueText() + "  [" + offeredText(option) + "]")
                  << "\n";
    std::cout << "User Data: " << oneLine(record.userData) << "\n";
}

// The enclosure numbered `text` on the node; a failure is reported and its exit status set.
bool readEnclosure(QorinNodeUtilWrapper& wrapper, const std::string& text, EnclosureRecord& record, int& exitStatus)
{
    std::int32_t number = 0;
    const std::uint32_t count = wrapper.getEnclosureCount();
    if (!uni::text::parseSignedDecimal(text, number) || number < 0 || static_cast<std::uint32_t>(number) >= count) {
        exitStatus = refuse(AppStatus::EnclosurePropertiesFailed,
                            "no enclosure " + text + " (the node has " + std::to_string(count) + ")");
        return false;
    }
    const std::int32_t result = EnclosureDataTool(wrapper, nullptr).read(static_cast<std::uint32_t>(number), record);
    if (result != AppStatus::Ok) {
        exitStatus = refuse(result);
        return false;
    }
    return true;
}

// The command line's changes on top of what the enclosure holds; false (1101) for an option
// the enclosure does not have or a value it does not offer.
bool applyEdits(const EnclosureCliOptions& edits, EnclosureRecord& record, std::string& detail)
{
    if (!edits.type.empty())
        uni::text::parseSignedDecimal(edits.type, record.type);
    if (!edits.version.empty())
        uni::text::parseSignedDecimal(edits.version, record.version);
    if (edits.clearUserData)
        record.userData = " "; // a single blank clears the stored text
    else if (edits.userDataGiven)
        record.userData = edits.userData;
    for (const std::string& word : edits.options) {
        const std::string name = word.substr(0, word.find('='));
        const std::string value = word.substr(word.find('=') + 1);
        EnclosureOptionState* option = record.option(name);
        if (!option) {
            detail = "enclosure " + std::to_string(record.index) + " has no option " + name;
            return false;
        }
        if (!EnclosureDataTool::choose(*option, value)) {
            detail = "option " + name + " offers " + offeredText(*option) + ", not " + value;
            return false;
        }
    }
    return true;
}

int enclosure(const CliOptions& options)
{
    const std::string& what = options.arguments[0];
    const EnclosureCliOptions& edits = options.enclosureTools;
    if (what != "show" && what != "write")
        return usageError("enclosure needs show or write");
    std::int32_t number = 0;
    if ((!edits.type.empty() && !uni::text::parseSignedDecimal(edits.type, number)) ||
        (!edits.version.empty() && !uni::text::parseSignedDecimal(edits.version, number)))
        return usageError("--type and --version need a decimal number");
    if (edits.userDataGiven && edits.clearUserData)
        return usageError("enclosure write takes either --user-data or --clear-user-data");
    return runOnNode(options, [&](QorinNodeUtilWrapper& wrapper) -> int {
        EnclosureRecord record;
        int exitStatus = EXIT_OK;
        if (!readEnclosure(wrapper, options.arguments[1], record, exitStatus))
            return exitStatus;
        if (what == "show") {
            printEnclosure(options, record);
            return EXIT_OK;
        }
        std::string detail;
        if (!applyEdits(edits, record, detail))
            return refuse(AppStatus::InvalidSerialNumber, detail);
        const std::string serial = options.serial.empty() ? uni::text::hex8(record.serialNumber, true) : options.serial;
        const std::unique_ptr<MaintenanceJournal> journalPointer = journalOf(options, wrapper);
        MaintenanceJournal& journal = *journalPointer;
        EnclosureDataTool tool(wrapper, &journal);
        const std::int32_t status = tool.write(record, serial);
        const bool done = status == AppStatus::EnclosureUpdated || status == AppStatus::EnclosureUpdatedNodeRestarts;
        if (!done && (status == AppStatus::InvalidSerialNumber || status == AppStatus::EnclosureNotWritable))
            return refuse(status, tool.message());
        const bool journalFailed = status == AppStatus::JournalFailed;
        const std::string text = done || tool.message().empty() || journalFailed
                                     ? statusMessage(status)
                                     : std::to_string(status) + " " + tool.message();
        return printChange(options, status, text, tool.verification(), done,
                           "enclosure " + std::to_string(record.index) + " (serial " + serial + ")", std::string(),
                           journalFailed ? tool.message() : std::string());
    });
}

// ---- crossgrade ----

int crossgrade(const CliOptions& options)
{
    if (options.board < 0)
        return usageError("crossgrade needs --board B");
    const auto board = static_cast<std::uint32_t>(options.board);
    const std::string& to = options.enclosureTools.to;
    return runOnNode(options, [&](QorinNodeUtilWrapper& wrapper) -> int {
        const std::unique_ptr<MaintenanceJournal> journalPointer = journalOf(options, wrapper);
        MaintenanceJournal& journal = *journalPointer;
        BoardCrossGrade tool(wrapper, &journal);
        std::string target;
        std::string question;
        if (to.empty()) {
            const std::string baseId = tool.storedBaseId(board);
            if (BoardCrossGrade::simpleTarget(baseId, target) != AppStatus::Ok)
                return refuse(AppStatus::CrossGradeNotSupported,
                              "board " + std::to_string(board) + " has the base identifier '" + baseId + "'");
            question = "This board is going to be changed into a BASE board.\nPlease confirm to continue.";
        } else {
            std::vector<BaseEepromEntry> entries;
            const std::int32_t listed = tool.entries(entries);
            if (!DriverResult::succeeded(listed))
                return refuse(listed, statusWords(listed, &wrapper), "list of base EEPROM generations");
            for (const BaseEepromEntry& entry : entries) {
                if (entry.id == to)
                    question = "Board " + std::to_string(board) + " is going to be changed into " + entry.name + " (" +
                               entry.id + ").\nPlease confirm to continue.";
            }
            if (question.empty())
                return usageError(to + " is no known base EEPROM generation; nothing was sent");
            target = to;
        }
        if (!confirmed(options.yes, "crossgrade", "Board Cross Grade", question)) {
            std::cerr << "zamo2ctl: cross grade not confirmed; nothing was sent\n";
            return EXIT_TOOL_FAILED;
        }
        const std::int32_t status =
            to.empty() ? tool.runSimple(board, terminalProgress()) : tool.run(board, target, terminalProgress());
        const bool done = status == AppStatus::CrossGradeDone;
        const bool journalFailed = status == AppStatus::JournalFailed;
        const std::string text = tool.message().empty() || journalFailed
                                     ? statusMessage(status)
                                     : std::to_string(status) + " " + tool.message();
        return printChange(options, status, text, tool.readBack().verification, done, boardPlace(wrapper, board),
                           ",\"displayName\":" + jsonString(tool.readBack().identity.model),
                           journalFailed ? tool.message() : std::string());
    });
}

// ---- features ----

void printFeatures(const CliOptions& options, std::uint32_t board, const std::string& label, const FeatureTable& table)
{
    if (options.json) {
        std::ostringstream out;
        out << "{\"board\":" << board << ",\"label\":" << jsonString(label)
            << ",\"featureSet\":" << jsonString(uni::text::hex8(table.featureSet, false)) << ",\"features\":[";
        for (std::size_t i = 0; i < table.rows.size(); ++i) {
            const FeatureRow& row = table.rows[i];
            const int selected = row.selected(table.featureSet);
            out << (i ? "," : "") << "{\"name\":" << jsonString(row.name)
                << ",\"mask\":" << jsonString(uni::text::hex8(row.mask, false)) << ",\"selected\":"
                << (selected < 0 ? "null" : jsonString(row.values[static_cast<std::size_t>(selected)].text))
                << ",\"values\":[";
            for (std::size_t v = 0; v < row.values.size(); ++v)
                out << (v ? "," : "") << "{\"value\":" << jsonString(uni::text::hex8(row.values[v].value, false))
                    << ",\"text\":" << jsonString(row.values[v].text) << "}";
            out << "]}";
        }
        out << "]}\n";
        std::cout << out.str();
        return;
    }
    std::cout << label << "\nFeature set: " << uni::text::hex8(table.featureSet, false) << "\n";
    for (const FeatureRow& row : table.rows) {
        const int selected = row.selected(table.featureSet);
        std::cout << row.name << ": "
                  << (selected < 0 ? std::string("(none)") : row.values[static_cast<std::size_t>(selected)].text)
                  << "  [";
        for (std::size_t v = 0; v < row.values.size(); ++v)
            std::cout << (v ? ", " : "") << row.values[v].text;
        std::cout << "]\n";
    }
}

// The feature set the NAME=VALUE words choose, applied row by row in the table's order.
bool chosenFeatureSet(const std::vector<std::string>& words, const FeatureTable& table, std::uint32_t& featureSet,
                      std::string& detail)
{
    std::vector<const FeatureChoice*> choices(table.rows.size(), nullptr);
    for (const std::string& word : words) {
        const auto equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : word.substr(equals + 1);
        bool found = false;
        for (std::size_t r = 0; r < table.rows.size() && !found; ++r) {
            if (table.rows[r].name != name)
                continue;
            found = true;
            const int index = table.rows[r].find(value);
            if (index < 0) {
                detail = "feature '" + name + "' has no value '" + value + "'";
                return false;
            }
            choices[r] = &table.rows[r].values[static_cast<std::size_t>(index)];
        }
        if (!found) {
            detail = "no feature '" + name + "' (see features --board B)";
            return false;
        }
    }
    featureSet = table.featureSet;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        if (choices[r])
            featureSet = BoardFeatures::apply(featureSet, table.rows[r].mask, choices[r]->value);
    }
    return true;
}

int features(const CliOptions& options)
{
    if (options.board < 0)
        return usageError("features needs --board B");
    const auto board = static_cast<std::uint32_t>(options.board);
    return runOnNode(options, [&](QorinNodeUtilWrapper& wrapper) -> int {
        const std::unique_ptr<MaintenanceJournal> journalPointer = journalOf(options, wrapper);
        MaintenanceJournal& journal = *journalPointer;
        BoardFeatures tool(wrapper, &journal);
        FeatureTable table;
        const std::int32_t read = tool.read(board, table);
        if (read != AppStatus::Ok)
            return refuse(read, statusWords(read, &wrapper), tool.message());
        if (options.arguments.empty()) {
            printFeatures(options, board, boardPlace(wrapper, board), table);
            return EXIT_OK;
        }
        std::uint32_t featureSet = 0;
        std::string detail;
        if (!chosenFeatureSet(options.arguments, table, featureSet, detail))
            return usageError(detail + "; nothing was sent");
        const std::string place = boardPlace(wrapper, board);
        const std::int32_t result = tool.write(board, featureSet);
        const bool done = DriverResult::succeeded(result);
        const std::string text = done ? "Feature set " + uni::text::hex8(table.featureSet, false) + " -> " +
                                            uni::text::hex8(featureSet, false) + "; board now " +
                                            tool.readBack().identity.model
                                      : std::to_string(result) + " " +
                                            (tool.message().empty() ? statusWords(result, &wrapper) : tool.message());
        return printChange(options, result, text, tool.readBack().verification, done, place,
                           ",\"featureSet\":" + jsonString(uni::text::hex8(featureSet, false)) +
                               ",\"displayName\":" + jsonString(tool.readBack().identity.model),
                           result == AppStatus::JournalFailed ? tool.message() : std::string());
    });
}

// ---- channel-module ----

int channelModule(const CliOptions& options)
{
    const EnclosureCliOptions& place = options.enclosureTools;
    if (place.enclosure < 0 || place.slot < 0)
        return usageError("channel-module needs --enc E and --slot S");
    SystemModel model(false);
    DemoSystemEditor editor(model);
    int exitStatus = EXIT_OK;
    if (!startDemoSystem(options, model, true, exitStatus))
        return exitStatus;
    SlotNode* slot = editor.slotAt(place.enclosure, place.slot);
    if (!slot || !slot->holdsBoard())
        return refuse(DemoStatus::NoSuchElement, demoStatusText(DemoStatus::NoSuchElement),
                      "no board in slot " + std::to_string(place.slot) + " of demo enclosure " +
                          std::to_string(place.enclosure));
    const std::vector<std::string> offered = ChannelModuleChoice::offered(*slot);
    if (options.arguments.empty()) {
        if (options.json) {
            std::cout << "{\"channelModule\":" << jsonString(ChannelModuleChoice::current(*slot)) << ",\"offered\":[";
            for (std::size_t i = 0; i < offered.size(); ++i)
                std::cout << (i ? "," : "") << jsonString(offered[i]);
            std::cout << "]}\n";
        } else {
            std::cout << "Channel Module: " << ChannelModuleChoice::current(*slot) << "\n";
            for (const std::string& module : offered)
                std::cout << "  " << module << "\n";
        }
        return EXIT_OK;
    }
    std::string detail;
    std::int32_t status = ChannelModuleChoice::apply(model, editor, *slot, options.arguments[0], detail);
    const bool save = status == DemoStatus::Ok && editor.hasUnsavedChanges();
    if (save) {
        status = editor.saveConfiguration();
        detail = editor.lastError();
    }
    if (status != DemoStatus::Ok)
        return refuse(status, demoStatusText(status), detail);
    Report out;
    out.add("channelModule", options.arguments[0]);
    out.add("saved", save ? model.configFilePath() : std::string("(unchanged)"));
    std::cout << out.render(options.json);
    return EXIT_OK;
}

} // namespace

int enclosureCommand(const CliOptions& options)
{
    const std::string& c = options.command;
    if (c == "enclosure")
        return enclosure(options);
    if (c == "crossgrade")
        return crossgrade(options);
    if (c == "features")
        return features(options);
    return channelModule(options);
}

const CliToolRunner kRunner({"enclosure", "crossgrade", "features", "channel-module"}, enclosureCommand);

} // namespace cli
} // namespace z2e
