#include "cli_commands.h"

#include "cli_config_command.h"
#include "cli_demo_command.h"
#include "cli_nodes_command.h"
#include "cli_output.h"
#include "cli_remote_session.h"
#include "cli_tree_command.h"

#include "core/driver_library.h"
#include "driver/command/qorin_node_util_wrapper.h"
#include "qorinet_api/client/qorinet_local_client_node.h"
#include "qorinet_api/common/qorinet_result_codes.h"
#include "uni/number_text.h"
#include "uni/osal.h"

#include <cstdlib>
#include <iostream>
#include <memory>

namespace z2e {
namespace cli {

namespace {

using qorinet_api::QORINetLocalClientNode;

constexpr std::uint32_t kNodeId = 1;

// The binding's table first; the driver may know texts of its own beyond it.
std::string resultText(std::int32_t result, qorinet_api::QORINetIfClientNode* node)
{
    std::string text;
    if (DriverLibrary::resultText(result, text))
        return text;
    if (result == 2)
        return "driver library or entry point not loaded";
    // Network failures of a remote node; the node's driver knows nothing of them.
    if (result >= uni::osal::ERR_UNI_OSAL_BASE && result <= uni::osal::ERR_UNI_OSAL_ECOMMAND)
        return uni::osal::errorName(result);
    if (result == qorinet_api::ERR_QORINET_NODE_TAINTED)
        return "network node tainted";
    if (node && node->ErrorConstantToString(result, text) == 0 && !text.empty())
        return text;
    return "unknown result";
}

void addResult(Report& report, std::int32_t result, qorinet_api::QORINetIfClientNode* node)
{
    report.add("result", static_cast<std::int64_t>(result));
    report.add("resultText", resultText(result, node));
}

void printAnswer(const std::string& text)
{
    std::cout << text;
    if (!text.empty() && text.back() != '\n')
        std::cout << '\n';
}

int usageError(const std::string& message)
{
    std::cerr << "zamo2ctl: " << message << "\n";
    return EXIT_USAGE;
}

// A connected local node with the command layer on top; disconnects when it goes away.
class LocalSession {
public:
    explicit LocalSession(const CliOptions& options)
        : m_node(std::make_shared<QORINetLocalClientNode>(kNodeId)), m_wrapper(m_node)
    {
        if (!options.driverPath.empty())
            DriverLibrary::useFile(options.driverPath);
        // The mode is read by the driver's init, so it goes in between load and connect.
        if (!options.simulation.empty() && DriverLibrary::load()) {
            const std::int32_t set = m_node->SetParamStruct_str("driver/api/config/simulation", "mode",
                                                                options.simulation);
            if (set >= 1)
                std::cerr << "zamo2ctl: simulation mode not accepted: " << set << " " << resultText(set, m_node.get())
                          << "\n";
        }
        m_result = m_node->connect();
        m_wrapper.setReady(m_result <= 0);
    }
    ~LocalSession()
    {
        m_wrapper.setReady(false);
        if (m_node->isConnected())
            m_node->disconnect();
    }
    LocalSession(const LocalSession&) = delete;
    LocalSession& operator=(const LocalSession&) = delete;

    bool connected() const { return m_result <= 0; }
    std::int32_t result() const { return m_result; }
    QORINetLocalClientNode& node() { return *m_node; }
    QorinNodeUtilWrapper& wrapper() { return m_wrapper; }

    /// Reports a failed connect and returns the exit status it means.
    int reportConnectFailure(const CliOptions& options)
    {
        if (m_result == 2)
            std::cerr << "zamo2ctl: driver library not loadable: " << DriverLibrary::loadError() << "\n";
        std::cerr << "zamo2ctl: connect failed: " << m_result << " " << resultText(m_result, nullptr) << "\n";
        if (options.json) {
            Report report;
            report.add("stage", std::string("connect"));
            addResult(report, m_result, nullptr);
            std::cout << report.render(true);
        }
        return exitStatusOf(m_result);
    }

private:
    std::shared_ptr<QORINetLocalClientNode> m_node;
    QorinNodeUtilWrapper m_wrapper;
    std::int32_t m_result = 0;
};

// Runs `run(node, wrapper)` on the network node of --node, else on the local node.
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
        return run(static_cast<qorinet_api::QORINetIfClientNode&>(session.node()), session.wrapper());
    }
    LocalSession session(options);
    if (!session.connected())
        return session.reportConnectFailure(options);
    return run(static_cast<qorinet_api::QORINetIfClientNode&>(session.node()), session.wrapper());
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
    LocalSession session(options);
    if (!session.connected())
        return session.reportConnectFailure(options);
    std::string version;
    const std::int32_t versionResult = session.wrapper().getParamStructStr("driver/api", "version", version);
    Report report;
    report.add("boardCount", static_cast<std::int64_t>(session.node().getBoardCount()));
    report.add("enclosureCount", static_cast<std::int64_t>(session.node().getEnclosureCount()));
    report.addFlag("simulation", session.node().isSimulation());
    report.add("driverVersion", versionResult <= 0 ? version : std::string());
    addResult(report, session.result(), &session.node());
    std::cout << report.render(options.json);
    return exitStatusOf(session.result());
}

// The answer text goes to stdout alone so that it can be redirected into a file.
int printOutcome(const CliOptions& options, std::int32_t result, const std::string* answer,
                 qorinet_api::QORINetIfClientNode& node)
{
    if (options.json) {
        Report report;
        for (std::size_t i = 0; i < options.arguments.size(); ++i)
            report.add("argument" + std::to_string(i + 1), options.arguments[i]);
        if (answer)
            report.add("answer", result <= 0 ? *answer : std::string());
        addResult(report, result, &node);
        std::cout << report.render(true);
    } else {
        if (answer && result <= 0)
            printAnswer(*answer);
        std::cout.flush(); // keeps the result line after the answer on a terminal
        std::cerr << "result: " << result << " " << resultText(result, &node) << "\n";
    }
    return exitStatusOf(result);
}

int get(const CliOptions& options, bool xml)
{
    return onNode(options, [&](qorinet_api::QORINetIfClientNode& node, QorinNodeUtilWrapper& wrapper) {
        std::string answer;
        const std::string& target = options.arguments[0];
        const std::string& item = options.arguments[1];
        const std::int32_t result =
            xml ? node.GetParamXML_str(target, item, answer) : wrapper.getParamStructStr(target, item, answer);
        return printOutcome(options, result, &answer, node);
    });
}

int set(const CliOptions& options)
{
    return onNode(options, [&](qorinet_api::QORINetIfClientNode& node, QorinNodeUtilWrapper& wrapper) {
        const std::int32_t result =
            wrapper.setParamStructStr(options.arguments[0], options.arguments[1], options.arguments[2]);
        return printOutcome(options, result, nullptr, node);
    });
}

int setI32(const CliOptions& options)
{
    std::int32_t numbers[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (!uni::text::parseDecimalOrHex(options.arguments[static_cast<std::size_t>(i)], numbers[i]))
            return usageError("BOARD, COMMAND and VALUE must be numbers");
    }
    return onNode(options, [&](qorinet_api::QORINetIfClientNode& node, QorinNodeUtilWrapper& wrapper) {
        return printOutcome(options, wrapper.setParamI32(numbers[0], numbers[1], numbers[2]), nullptr, node);
    });
}

} // namespace

int runCommand(const CliOptions& options)
{
    const std::string& c = options.command;
    if (c == "driver-text")
        return driverText(options);
    if (c == "local")
        return local(options);
    if (c == "get" || c == "get-xml")
        return get(options, c == "get-xml");
    if (c == "set")
        return set(options);
    if (c == "set-i32")
        return setI32(options);
    if (c == "config")
        return configCommand(options);
    if (c == "tree")
        return treeCommand(options);
    if (c == "demo")
        return demoCommand(options);
    if (c == "nodes")
        return nodesCommand(options);
    return usageError("unknown command " + c);
}

} // namespace cli
} // namespace z2e
