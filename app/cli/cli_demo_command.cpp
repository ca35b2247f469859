#include "cli_demo_command.h"

#include "cli_output.h"
#include "cli_remote_session.h"

#include "core/board_list_item.h"
#include "core/demo_system_editor.h"
#include "core/demo_texts.h"
#include "core/enclosure_list_item.h"
#include "core/enclosure_node.h"
#include "core/node_types.h"
#include "core/root_node.h"
#include "core/slot_node.h"
#include "core/system_model.h"
#include "core/driver_library.h"
#include "driver/command/qorin_node_util_wrapper.h"
#include "uni/number_text.h"

#include <iostream>
#include <map>
#include <sstream>

namespace z2e {
namespace cli {
namespace {

struct SubCommand {
    std::size_t minArguments; ///< counting the sub-command itself
    std::size_t maxArguments;
    std::size_t numbers; ///< arguments after the sub-command that must be numbers
    bool edits;          ///< saves the configuration after a successful change
};

const std::map<std::string, SubCommand>& subCommands()
{
    static const std::map<std::string, SubCommand> commands = {
        {"list-models", {1, 1, 0, false}}, {"add-enclosure", {2, 2, 0, true}}, {"set-type", {3, 3, 1, true}},
        {"put-board", {4, 4, 2, true}},    {"remove", {2, 3, 2, true}},        {"import-local", {1, 1, 0, true}},
        {"import-node", {1, 1, 0, true}},  {"export", {2, 2, 0, false}},       {"import", {2, 2, 0, true}},
    };
    return commands;
}

int demoUsageError(const std::string& message)
{
    return usageError("demo: " + message);
}

// The numbers after the sub-command (checked before start-up by demoCommand).
void numbersOf(const std::vector<std::string>& words, std::int32_t (&values)[2])
{
    for (std::size_t i = 1; i < words.size() && i <= 2; ++i)
        uni::text::parseSignedDecimal(words[i], values[i - 1]);
}

std::string modelList(const ModelPicker::ItemList& enclosures, const ModelPicker::ItemList& boards, std::int32_t status,
                      bool json)
{
    std::ostringstream out;
    if (json) {
        out << "{\"status\":" << status << ",\"statusText\":" << jsonString(demoStatusText(status))
            << ",\"enclosures\":[";
        for (std::size_t i = 0; i < enclosures.size(); ++i) {
            const auto& item = static_cast<const EnclosureListItem&>(*enclosures[i]);
            out << (i ? "," : "") << "{\"name\":" << jsonString(item.name)
                << ",\"slots\":" << jsonString(item.slotCount) << "}";
        }
        out << "],\"boards\":[";
        for (std::size_t i = 0; i < boards.size(); ++i) {
            const auto& item = static_cast<const BoardListItem&>(*boards[i]);
            out << (i ? "," : "") << "{\"name\":" << jsonString(item.name) << ",\"family\":" << jsonString(item.family)
                << "}";
        }
        out << "]}\n";
        return out.str();
    }
    out << "Enclosure types:\n";
    for (const auto& item : enclosures)
        out << "  " << item->name << "  (" << static_cast<const EnclosureListItem&>(*item).slotCount << " slots)\n";
    out << "Board models:\n";
    for (const auto& item : boards)
        out << "  " << item->name << "  (" << static_cast<const BoardListItem&>(*item).family << ")\n";
    return out.str();
}

// The program's start-up, then one demo operation on its system model.
class DemoSession {
public:
    explicit DemoSession(const CliOptions& options) : m_options(options), m_model(false), m_editor(m_model) {}

    /// Start-up; false (with the exit status) when the demo system is out of reach.
    bool start(int& exitStatus)
    {
        return startDemoSystem(m_options, m_model, subCommand() != "import-local", exitStatus);
    }

    int run()
    {
        const std::string& sub = subCommand();
        if (sub == "list-models")
            return listModels();
        std::int32_t status = DemoStatus::Ok;
        std::string done;
        if (sub == "add-enclosure")
            status = addEnclosure(done);
        else if (sub == "set-type")
            status = setType(done);
        else if (sub == "put-board")
            status = putBoard(done);
        else if (sub == "remove")
            status = remove(done);
        else if (sub == "import-local")
            status = m_editor.importLocalHardware();
        else if (sub == "import-node")
            return importNode();
        else if (sub == "export")
            status = m_editor.saveDemoFile(argument(1), m_options.force);
        else if (sub == "import")
            status = m_editor.loadDemoFile(argument(1), true);
        return report(status, done);
    }

private:
    const std::string& subCommand() const { return m_options.arguments[0]; }
    const std::string& argument(std::size_t i) const { return m_options.arguments[i]; }

    int listModels()
    {
        ModelPicker::ItemList enclosures;
        ModelPicker::ItemList boards;
        std::int32_t status = ModelPicker::load(m_model.wrapper(), PickerKind::Enclosure, enclosures);
        if (status == DemoStatus::Ok)
            status = ModelPicker::load(m_model.wrapper(), PickerKind::Board, boards);
        std::cout << modelList(enclosures, boards, status, m_options.json);
        if (status != DemoStatus::Ok && !m_options.json)
            std::cerr << "zamo2ctl: demo: " << status << " " << demoStatusText(status) << "\n";
        return exitStatusOf(status);
    }

    // The model named `name` in the list `nodeType` calls for; null with `status` set if none.
    const ModelPickerItem* model(std::uint32_t nodeType, const std::string& name, std::int32_t& status)
    {
        status = m_editor.picker().fill(m_model.wrapper(), nodeType);
        if (status != DemoStatus::Ok)
            return nullptr;
        const ModelPickerItem* item = m_editor.picker().find(name);
        if (!item) {
            status = DemoStatus::NoSuchElement;
            m_detail = "no model named '" + name + "' (see demo list-models)";
        }
        return item;
    }

    std::int32_t addEnclosure(std::string& done)
    {
        std::int32_t status = DemoStatus::Ok;
        const ModelPickerItem* item = model(NodeType::Root, argument(1), status);
        if (!item)
            return status;
        EnclosureNode* added = nullptr;
        status = m_editor.addEnclosure(*item, &added);
        if (added)
            done = "enclosure " + std::to_string(added->number) + ": " + added->firstValue();
        return status;
    }

    std::int32_t setType(std::string& done)
    {
        std::int32_t place[2] = {};
        numbersOf(m_options.arguments, place);
        EnclosureNode* enclosure = m_editor.enclosureAt(place[0]);
        if (!enclosure)
            return missing("no enclosure " + argument(1));
        std::int32_t status = DemoStatus::Ok;
        const ModelPickerItem* item = model(NodeType::Enclosure, argument(2), status);
        if (!item)
            return status;
        status = m_editor.changeEnclosureType(*enclosure, *item);
        done = "enclosure " + argument(1) + ": " + enclosure->firstValue();
        return status;
    }

    std::int32_t putBoard(std::string& done)
    {
        std::int32_t place[2] = {};
        numbersOf(m_options.arguments, place);
        SlotNode* slot = m_editor.slotAt(place[0], place[1]);
        if (!slot)
            return missing("no slot " + argument(2) + " in enclosure " + argument(1));
        if (slot->holdsBoard() && !m_options.replace) {
            m_detail = "slot " + argument(2) + " of enclosure " + argument(1) + " holds " + slot->firstValue() +
                       "; --replace puts the new board in its place";
            return DemoStatus::SlotOccupied;
        }
        std::int32_t status = DemoStatus::Ok;
        const ModelPickerItem* item = model(slot->nodeType, argument(3), status);
        if (!item)
            return status;
        status = m_editor.putBoard(*slot, *item);
        done = "enclosure " + argument(1) + " slot " + argument(2) + ": " + slot->firstValue();
        return status;
    }

    std::int32_t remove(std::string& done)
    {
        std::int32_t place[2] = {};
        numbersOf(m_options.arguments, place);
        if (m_options.arguments.size() == 2) {
            done = "enclosure " + argument(1) + " removed";
            return m_editor.removeEnclosure(place[0]);
        }
        SlotNode* slot = m_editor.slotAt(place[0], place[1]);
        if (!slot || !slot->holdsBoard())
            return missing("no board in slot " + argument(2) + " of enclosure " + argument(1));
        done = "enclosure " + argument(1) + " slot " + argument(2) + " emptied";
        return m_editor.removeBoard(*slot);
    }

    // The node of --node is read as the window reads a selected one, then copied.
    int importNode()
    {
        RemoteSession remote(m_options);
        const int opened = remote.open();
        if (opened != EXIT_OK)
            return opened;
        RootNode hardware(SystemKind::Remote);
        std::int32_t status = DemoSystemEditor::readNodeHardware(remote.wrapper(), hardware, m_detail);
        std::string done;
        if (status == DemoStatus::Ok) {
            status = m_editor.importHardware(hardware);
            const DemoSystemEditor::SystemSize copied = DemoSystemEditor::sizeOf(m_model.demoRoot());
            done = "node " + m_options.node + ": " + std::to_string(copied.enclosures) + " enclosure(s), " +
                   std::to_string(copied.boards) + " board(s)";
        }
        return report(status, done);
    }

    std::int32_t missing(const std::string& message)
    {
        m_detail = message;
        return DemoStatus::NoSuchElement;
    }

    int report(std::int32_t status, const std::string& done)
    {
        if (m_detail.empty())
            m_detail = m_editor.lastError();
        std::string saved;
        const auto it = subCommands().find(subCommand());
        if (status == DemoStatus::Ok && it->second.edits && m_editor.hasUnsavedChanges()) {
            status = m_editor.saveConfiguration();
            if (status == DemoStatus::Ok)
                saved = m_model.configFilePath();
            else
                m_detail = m_editor.lastError();
        }
        Report out;
        out.add("operation", subCommand());
        // An edit whose save failed is not done: the file still holds the old system.
        if (!done.empty() && status == DemoStatus::Ok)
            out.add("done", done);
        if (!saved.empty())
            out.add("saved", saved);
        if (!saved.empty() && !m_model.keptConfigurationFile().empty())
            out.add("kept", m_model.keptConfigurationFile());
        out.add("status", static_cast<std::int64_t>(status));
        out.add("statusText", demoStatusText(status));
        if (status != DemoStatus::Ok && !m_detail.empty())
            out.add("detail", m_detail);
        // Scripts read the JSON object on standard output, failed or not.
        (status == DemoStatus::Ok || m_options.json ? std::cout : std::cerr) << out.render(m_options.json);
        // A refused destination, as for every file zamo2ctl writes.
        if (status == DemoStatus::DemoFileRefused)
            return EXIT_CANNOT_CREATE;
        return exitStatusOf(status);
    }

    const CliOptions& m_options;
    SystemModel m_model;
    DemoSystemEditor m_editor;
    std::string m_detail;
};

} // namespace

bool startDemoSystem(const CliOptions& options, SystemModel& model, bool simulatedOnly, int& exitStatus)
{
    if (!options.driverPath.empty())
        DriverLibrary::useFile(options.driverPath);
    const std::int32_t status = model.initializeSystem();
    // Demo editing needs the simulated system only.
    if (status == AppStatus::HardwareInUse && simulatedOnly)
        model.reconnectSimulatedOnly();
    if (status != AppStatus::Ok)
        std::cerr << "zamo2ctl: start-up: " << status << " " << statusMessage(status) << "\n";
    warnConfigurationProblem(model);
    if (model.wrapper().isReady() && !model.configFilePath().empty())
        return true;
    exitStatus = exitStatusOf(status == AppStatus::Ok ? DemoStatus::DriverNotReady : status);
    return false;
}

void warnConfigurationProblem(const SystemModel& model)
{
    if (!model.configurationProblem().empty())
        std::cerr << "zamo2ctl: "
                  << oneLine(DemoTexts::configurationFallbackLine(model.configFilePath(), model.configurationProblem()))
                  << "\n";
}

int demoCommand(const CliOptions& options)
{
    if (options.arguments.empty())
        return demoUsageError("needs a sub-command");
    const auto it = subCommands().find(options.arguments[0]);
    if (it == subCommands().end())
        return demoUsageError("unknown sub-command " + options.arguments[0]);
    const std::size_t count = options.arguments.size();
    if (count < it->second.minArguments || count > it->second.maxArguments)
        return demoUsageError(options.arguments[0] + ": wrong number of arguments (see --help)");
    std::int32_t value = 0;
    for (std::size_t i = 1; i <= it->second.numbers && i < count; ++i) {
        if (!uni::text::parseSignedDecimal(options.arguments[i], value))
            return demoUsageError("ENC and SLOT must be numbers");
    }
    // Only the copy of a network node goes to one.
    if (options.arguments[0] == "import-node" && options.node.empty())
        return demoUsageError("import-node needs --node ADDRESS");
    if (options.arguments[0] != "import-node" && !options.node.empty())
        return demoUsageError("--node applies to import-node only");
    DemoSession session(options);
    int exitStatus = EXIT_OK;
    if (!session.start(exitStatus))
        return exitStatus;
    return session.run();
}

} // namespace cli
} // namespace z2e
