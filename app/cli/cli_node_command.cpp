#include "cli_node_command.h"

#include "cli_output.h"
#include "cli_remote_session.h"

#include "core/node_action_rules.h"
#include "core/node_result_text.h"

#include "driver/command/driver_result.h"
#include "driver/command/qorin_node_util_wrapper.h"

#include <unistd.h>

#include <iostream>

namespace z2e {
namespace cli {
namespace {

int refused(const std::string& message)
{
    std::cerr << "zamo2ctl: " << message << "\nnothing was sent\n";
    return EXIT_TOOL_FAILED;
}

// The window's question: asked on a terminal, else only --yes answers it.
bool confirmed(const CliOptions& options, const std::string& question)
{
    if (options.yes)
        return true;
    if (!::isatty(STDIN_FILENO)) {
        std::cerr << "zamo2ctl: node " << options.arguments[0] << " needs --yes when not run on a terminal:\n"
                  << question << "\n";
        return false;
    }
    std::cerr << question << " [yes/no] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "yes" || answer == "OK" || answer == "ok";
}

int report(const CliOptions& options, const std::string& done, const char* failurePrefix, std::int32_t result)
{
    if (options.json) {
        Report out;
        out.add("node", options.node);
        out.add("action", options.arguments[0]);
        out.add("result", static_cast<std::int64_t>(result));
        const bool ok = DriverResult::meaningOf(result) == ResultMeaning::Ok;
        out.add("resultText", ok ? std::string() : resultWords(result, nullptr));
        std::cout << out.render(true);
    }
    if (DriverResult::meaningOf(result) != ResultMeaning::Ok) {
        std::cerr << "zamo2ctl: " << oneLine(NodeActionRules::failureText(failurePrefix, result)) << "\n";
        return exitStatusOf(result) == EXIT_OK ? EXIT_TOOL_FAILED : exitStatusOf(result);
    }
    if (!options.json)
        std::cout << done << "\n";
    return EXIT_OK;
}

int rename(const CliOptions& options)
{
    if (options.arguments.size() != 2)
        return usageError("node rename takes the new NAME");
    const std::string& name = options.arguments[1];
    switch (NodeActionRules::checkName(name)) {
    case NodeActionRules::NameCheck::TooLong: return refused(oneLine(NodeActionRules::kNameTooLong));
    case NodeActionRules::NameCheck::BadCharacter: return refused(oneLine(NodeActionRules::kNameBadCharacter));
    case NodeActionRules::NameCheck::Ok: break;
    }
    if (!confirmed(options, NodeActionRules::kRenameQuestion))
        return refused("not confirmed");
    RemoteSession session(options);
    const int opened = session.open();
    if (opened != EXIT_OK)
        return opened;
    const std::int32_t result = session.session().maintenance()->setNodeName(name);
    return report(options, "node " + options.node + " renamed to " + name, NodeActionRules::kRenameFailed, result);
}

// The IP settings of the command line, over the node's own where not given.
bool editedSettings(const CliOptions& options, const NodeIpSettings& current, NodeIpSettings& edited,
                    std::string& error)
{
    if (options.mode != "dhcp" && options.mode != "static") {
        error = "node ip needs --mode dhcp or --mode static";
        return false;
    }
    if (options.ipVersion != "4" && options.ipVersion != "6") {
        error = "node ip needs --ip-version 4 or --ip-version 6";
        return false;
    }
    edited.mode = options.mode == "dhcp" ? "DHCP" : "Static";
    edited.version = options.ipVersion == "4" ? "IPv4" : "IPv6";
    edited.address = options.address.empty() ? current.address : options.address;
    edited.mask = options.mask.empty() ? current.mask : options.mask;
    return true;
}

int changeIp(const CliOptions& options)
{
    NodeIpSettings edited;
    std::string error;
    if (options.arguments.size() != 1 || !editedSettings(options, {}, edited, error))
        return usageError(error.empty() ? "node ip takes no argument" : error);
    RemoteSession session(options);
    const int located = session.locate(true);
    if (located != EXIT_OK)
        return located;
    const NetworkNodeRecord record = session.session().record(false);
    const NodeIpSettings current{record.address, record.netMask, record.ipVersion, record.ipMode};
    editedSettings(options, current, edited, error);
    switch (NodeActionRules::checkIp(edited)) {
    case NodeActionRules::IpCheck::BadMask:
        return refused(std::string(NodeActionRules::kMaskHintText) + " (" + edited.mask + ")");
    case NodeActionRules::IpCheck::BadAddress:
        return refused(std::string(NodeActionRules::kAddressHintText) + " (" + edited.address + ")");
    case NodeActionRules::IpCheck::Ok: break;
    }
    if (NodeActionRules::unchanged(current, edited)) {
        std::cout << "node " << options.node << " already has this IP configuration; nothing was sent\n";
        return EXIT_OK;
    }
    if (!confirmed(options, NodeActionRules::kChangeIpQuestion))
        return refused("not confirmed");
    const std::int32_t result = NodeActionRules::sendIpConfig(*session.session().maintenance(), edited);
    return report(options,
                  "node " + options.node + " took " + edited.mode + " " + edited.version + " " + edited.address + "/" +
                      edited.mask,
                  NodeActionRules::kIpFailed, result);
}

int restart(const CliOptions& options, bool reboot)
{
    if (options.arguments.size() != 1)
        return usageError("node " + options.arguments[0] + " takes no argument");
    if (!confirmed(options, reboot ? NodeActionRules::kRebootQuestion : NodeActionRules::kRestartQuestion))
        return refused("not confirmed");
    RemoteSession session(options);
    const int located = session.locate(true);
    if (located != EXIT_OK)
        return located;
    const std::shared_ptr<QorinNodeUtilWrapper> node = session.session().maintenance();
    const std::int32_t result = reboot ? node->rebootSystem() : node->restartServer();
    return report(options,
                  reboot ? "node " + options.node + " reboots" : "node " + options.node + " restarts its server",
                  reboot ? NodeActionRules::kRebootFailed : NodeActionRules::kRestartFailed, result);
}

} // namespace

int nodeCommand(const CliOptions& options)
{
    const std::string& what = options.arguments[0];
    if (what == "rename")
        return rename(options);
    if (what == "ip")
        return changeIp(options);
    if (what == "restart-server" || what == "reboot")
        return restart(options, what == "reboot");
    return usageError("node takes rename, ip, restart-server or reboot");
}

} // namespace cli
} // namespace z2e
