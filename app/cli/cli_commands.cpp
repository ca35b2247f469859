#include "cli_commands.h"

#include "cli_assets_command.h"
#include "cli_change_lock.h"
#include "cli_config_command.h"
#include "cli_demo_command.h"
#include "cli_doctor_command.h"
#include "cli_fleet_command.h"
#include "cli_fleet_action_command.h"
#include "cli_node_command.h"
#include "cli_nodes_command.h"
#include "cli_output.h"
#include "cli_remote_session.h"
#include "cli_problems_command.h"
#include "cli_report_command.h"
#include "cli_tool_runner.h"
#include "cli_tree_command.h"

#include "core/driver_library.h"
#include "core/hardware_holder.h"
#include "core/local_node_session.h"
#include "core/node_result_text.h"
#include "core/tool_registry.h"
#include "driver/command/driver_result.h"
#include "driver/command/qorin_node_util_wrapper.h"
#include "uni/ip_address_pair.h"
#include "uni/number_text.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <optional>

namespace z2e {
namespace cli {

namespace {

void addResult(Report& report, std::int32_t result, const QorinNodeUtilWrapper* node)
{
    report.add("result", static_cast<std::int64_t>(result));
    report.add("resultText", resultWords(result, node));
    const std::string next = nextStep(result);
    if (!next.empty())
        report.add("nextStep", next);
}

void printAnswer(const std::string& text)
{
    std::cout << text;
    if (!text.empty() && text.back() != '\n')
        std::cout << '\n';
}

// The local node with the command line's reports of what went wrong.
class LocalSession {
public:
    explicit LocalSession(const CliOptions& options) : m_session(options.driverPath, options.simulation)
    {
        const std::int32_t set = m_session.simulationModeResult();
        if (!DriverResult::succeeded(set))
            std::cerr << "zamo2ctl: simulation mode not accepted: " << set << " "
                      << resultWords(set, &m_session.wrapper()) << "\n";
    }

    LocalNodeSession& session() { return m_session; }

    /// Reports a failed connect and returns the exit status it means.
    int reportConnectFailure(const CliOptions& options)
    {
        const std::int32_t result = m_session.result();
        const ResultMeaning meaning = DriverResult::meaningOf(result);
        if (meaning == ResultMeaning::NotLoaded && !DriverLibrary::loaded())
            std::cerr << "zamo2ctl: " << DriverLibrary::loadFailure() << "\n";
        std::cerr << "zamo2ctl: connect failed: " << result << " " << resultWords(result, nullptr) << "\n";
        std::optional<HardwareHolder> holder;
        if (meaning == ResultMeaning::HardwareBusy) {
            holder = HardwareHolderLookup::find();
            std::cerr << "zamo2ctl: " << HardwareHolderLookup::describe(holder) << "\n";
        }
        if (options.json) {
            Report report;
            report.add("stage", std::string("connect"));
            if (holder) {
                report.add("holderPid", static_cast<std::int64_t>(holder->pid));
                report.add("holderName", holder->name);
            }
            addResult(report, result, nullptr);
            std::cout << report.render(true);
        }
        return exitStatusOf(result);
    }

private:
    LocalNodeSession m_session;
};

// Runs `run(wrapper)` on the network node of --node, else on the local node.
template <class Run>
int onNode(const CliOptions& options, Run&& run)
{
    if (!options.node.empty()) {
        if (!options.simulation.empty() || !options.driverPath.empty())
            std::cerr << "zamo2ctl: --simulation and --driver do not apply to a network node\n";
        RemoteSession session(options);
        const int opened = session.open();
        if (opened != EXIT_OK)
            return opened;
        return run(session.wrapper());
    }
    LocalSession session(options);
    if (!session.session().connected())
        return session.reportConnectFailure(options);
    return run(session.session().wrapper());
}

int driverText(const CliOptions& options)
{
    std::int32_t code = 0;
    if (!uni::text::parseDecimalOrHex(options.arguments[0], code))
        return usageError("CODE must be a decimal or 0x hexadecimal number");
    std::string text;
    const bool known = DriverLibrary::resultText(code, text);
    if (options.json) {
        Report report;
        report.add("code", static_cast<std::int64_t>(code));
        report.addFlag("known", known);
        if (known)
            report.add("text", text);
        std::cout << report.render(true);
    } else if (known) {
        std::cout << text << "\n";
    } else {
        std::cerr << "zamo2ctl: no driver text for " << code << "\n";
    }
    return known ? EXIT_OK : EXIT_UNKNOWN_CODE;
}

int local(const CliOptions& options)
{
    LocalSession local(options);
    LocalNodeSession& session = local.session();
    if (!session.connected())
        return local.reportConnectFailure(options);
    std::string version;
    const std::int32_t versionResult = session.wrapper().getParamStructStr("driver/api", "version", version);
    Report report;
    report.add("boardCount", static_cast<std::int64_t>(session.boardCount()));
    report.add("enclosureCount", static_cast<std::int64_t>(session.enclosureCount()));
    report.addFlag("simulation", session.isSimulation());
    report.add("driverVersion", DriverResult::succeeded(versionResult) ? version : std::string());
    addResult(report, session.result(), &session.wrapper());
    std::cout << report.render(options.json);
    return exitStatusOf(session.result());
}

// The answer text goes to stdout alone so that it can be redirected into a file.
int printOutcome(const CliOptions& options, std::int32_t result, const std::string* answer,
                 const QorinNodeUtilWrapper& node)
{
    if (options.json) {
        Report report;
        for (std::size_t i = 0; i < options.arguments.size(); ++i)
            report.add("argument" + std::to_string(i + 1), options.arguments[i]);
        if (answer)
            report.add("answer", DriverResult::succeeded(result) ? *answer : std::string());
        addResult(report, result, &node);
        std::cout << report.render(true);
    } else {
        if (answer && DriverResult::succeeded(result))
            printAnswer(*answer);
        std::cout.flush(); // keeps the result line after the answer on a terminal
        const std::string next = nextStep(result);
        std::cerr << "result: " << result << " " << resultWords(result, &node) << (next.empty() ? "" : "; " + next)
                  << "\n";
    }
    return exitStatusOf(result);
}

int get(const CliOptions& options, bool xml)
{
    return onNode(options, [&](QorinNodeUtilWrapper& wrapper) {
        std::string answer;
        const std::string& target = options.arguments[0];
        const std::string& item = options.arguments[1];
        const std::int32_t result =
            xml ? wrapper.getParamXmlStr(target, item, answer) : wrapper.getParamStructStr(target, item, answer);
        return printOutcome(options, result, &answer, wrapper);
    });
}

int set(const CliOptions& options)
{
    return onNode(options, [&](QorinNodeUtilWrapper& wrapper) {
        const std::int32_t result =
            wrapper.setParamStructStr(options.arguments[0], options.arguments[1], options.arguments[2]);
        return printOutcome(options, result, nullptr, wrapper);
    });
}

int setI32(const CliOptions& options)
{
    std::int32_t numbers[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (!uni::text::parseDecimalOrHex(options.arguments[static_cast<std::size_t>(i)], numbers[i]))
            return usageError("BOARD, COMMAND and VALUE must be numbers");
    }
    return onNode(options, [&](QorinNodeUtilWrapper& wrapper) {
        return printOutcome(options, wrapper.setParamI32(numbers[0], numbers[1], numbers[2]), nullptr, wrapper);
    });
}

} // namespace

int runOnNode(const CliOptions& options, const std::function<int(QorinNodeUtilWrapper&)>& run)
{
    return onNode(options, run);
}

namespace {

int getText(const CliOptions& options)
{
    return get(options, false);
}

int getXml(const CliOptions& options)
{
    return get(options, true);
}

std::string demoActivity(const std::vector<std::string>& arguments)
{
    const std::string first = arguments.empty() ? std::string() : arguments.front();
    return first == "list-models" || first == "export" ? std::string() : std::string("editing the demo system");
}

std::string nodeActivity(const std::vector<std::string>& arguments)
{
    static const std::map<std::string, std::string> changes = {
        {"rename", "renaming the node"},
        {"ip", "changing the node's IP configuration"},
        {"restart-server", "restarting the node's server"},
        {"reboot", "rebooting the node"},
    };
    const auto it = arguments.empty() ? changes.end() : changes.find(arguments.front());
    return it != changes.end() ? it->second : std::string();
}

std::vector<CliCommand> makeCommandTable()
{
    const ToolTimeLimit read = ToolTimeLimit::Read;
    // Demo editing and the configuration work on files and the simulated system only; a report
    // package of gigabytes of logs takes as long as it takes.
    const ToolTimeLimit none = ToolTimeLimit::None;
    std::vector<CliCommand> table = {
        {"tree", 0, 0, "tree", read, nullptr, treeCommand},
        {"get", 2, 2, "get", read, nullptr, getText},
        {"set", 3, 3, "set", read, nullptr, set},
        {"get-xml", 2, 2, "get-xml", read, nullptr, getXml},
        {"set-i32", 3, 3, "set-i32", read, nullptr, setI32},
        {"driver-text", 1, 1, "", read, nullptr, driverText},
        {"local", 0, 0, "", read, nullptr, local},
        {"config", 2, 2, "", none, nullptr, configCommand},
        {"nodes", 0, 0, "", read, nullptr, nodesCommand},
        {"doctor", 0, 0, "doctor", read, nullptr, doctorCommand},
        {"demo", 1, 99, "demo import-node", none, demoActivity, demoCommand},
    };
    for (const ToolDescription& tool : ToolRegistry::tools())
        table.push_back({tool.verb, tool.leastArguments, tool.mostArguments, tool.networkNode, tool.timeLimit,
                         tool.changeActivity, CliToolRunner::find(tool.verb), tool.onePlacedBoard});
    table.insert(table.end(), {
                                  {"report-package", 1, 1, "report-package", none, nullptr, reportPackageCommand},
                                  {"node", 1, 2, "node", read, nodeActivity, nodeCommand},
                                  {"versions", 0, 0, "", read, nullptr, versionsCommand},
                                  {"logging", 1, 1, "", read, nullptr, loggingCommand},
                                  {"overview", 0, 0, "", read, nullptr, overviewCommand},
                                  {"problems", 0, 0, "problems", read, nullptr, problemsCommand},
                                  {"fleet", 0, 0, "", read, nullptr, fleetCommand},
                                  {"assets", 0, 1, "", read, nullptr, assetsCommand},
                              });
    return table;
}

} // namespace

const std::vector<CliCommand>& commandTable()
{
    static const std::vector<CliCommand> table = makeCommandTable();
    return table;
}

const CliCommand* findCommand(const std::string& verb)
{
    for (const CliCommand& command : commandTable()) {
        if (verb == command.verb)
            return &command;
    }
    return nullptr;
}

// The boards --board names by place, serial or "all", as driver indices of the system.
static int boardsNamed(const CliOptions& options, std::vector<std::uint32_t>& boards)
{
    std::string error;
    const int found = onNode(options, [&](QorinNodeUtilWrapper& wrapper) {
        return options.boardAddress.resolve(wrapper, boards, error) ? EXIT_OK : EXIT_TOOL_FAILED;
    });
    if (!error.empty())
        std::cerr << "zamo2ctl: " << error << "\n";
    return found;
}

static int dispatch(const CliOptions& options)
{
    const CliCommand* command = findCommand(options.command);
    if (!command || !command->run)
        return usageError("unknown command " + options.command);
    const BoardAddress::Kind kind = options.boardAddress.kind();
    if (kind == BoardAddress::Kind::None || kind == BoardAddress::Kind::Index)
        return command->run(options);
    const ToolDescription* tool = ToolRegistry::find(options.command);
    if (command->onePlacedBoard && kind == BoardAddress::Kind::Every)
        return usageError(options.command + " works on one board: --board ENCLOSURE/SLOT or a serial number");
    if (!tool && !command->onePlacedBoard)
        return usageError("--board " + options.boardAddress.text() + " applies to the board tools");
    // Every board at once: the tool's own run over the whole system, in one table.
    if (kind == BoardAddress::Kind::Every && tool->everyBoardWithoutBoard)
        return command->run(options);
    std::vector<std::uint32_t> boards;
    const int found = boardsNamed(options, boards);
    if (found != EXIT_OK)
        return found;
    // One run per board; the first failure is the exit status, and the other boards go on.
    int status = EXIT_OK;
    for (const std::uint32_t board : boards) {
        CliOptions one = options;
        one.board = static_cast<std::int32_t>(board);
        const int ran = command->run(one);
        if (status == EXIT_OK)
            status = ran;
    }
    return status;
}

// --node NAME: the address of the one node that answers by that name (any case), so that the
// lock, the journal and every message name the node as an address does.
static int addressOfNamedNode(const CliOptions& options, std::string& address)
{
    RemoteSession session(options);
    if (!session.start())
        return EXIT_NODE_UNAVAILABLE;
    std::vector<std::string> matching;
    std::string seen;
    for (const NetworkNodeSummary& node : session.discover()) {
        seen += (seen.empty() ? "" : ", ") + oneLine(node.name) + " (" + node.address + ")";
        if (sameNodeName(node.name, options.node))
            matching.push_back(node.address);
    }
    if (matching.size() == 1) {
        address = matching.front();
        return EXIT_OK;
    }
    if (matching.empty()) {
        std::cerr << "zamo2ctl: no network node named " << options.node << " answered within " << session.scanMs()
                  << " ms (nodes that did: " << (seen.empty() ? std::string("none") : seen) << ")\n";
        return EXIT_NODE_UNAVAILABLE;
    }
    std::string both;
    for (const std::string& each : matching)
        both += (both.empty() ? "" : ", ") + each;
    return usageError("several network nodes are named " + options.node + " (" + both + "); give the address");
}

int runCommand(const CliOptions& options)
{
    // Each system's lock and names are the run's own business there.
    if (!fleetActionTool(options).empty())
        return fleetActionCommand(options);
    if (!options.node.empty() && !uni::ipv4::parseAddress(options.node)) {
        CliOptions named = options;
        const int found = addressOfNamedNode(options, named.node);
        return found != EXIT_OK ? found : runCommand(named);
    }
    std::unique_ptr<SystemLock> lock;
    const int locked = lockChangedSystem(options, lock);
    return locked != EXIT_OK ? locked : dispatch(options);
}

} // namespace cli
} // namespace z2e
