#include "cli_options.h"

#include "cli_commands.h"
#include "cli_fleet_action_command.h"
#include "core/tool_registry.h"
#include "tools/site_register.h"

#include "uni/allowed_networks.h"
#include "uni/ip_address_pair.h"
#include "uni/number_text.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace z2e {
namespace cli {

namespace {

// An address, or a node's name: no control characters, as a node keeps it (and a little longer).
bool nodeNameOrAddress(const std::string& text)
{
    constexpr std::size_t kLongestName = 64;
    if (uni::ipv4::parseAddress(text))
        return true;
    const bool digitsAndDots = text.find_first_not_of("0123456789.") == std::string::npos;
    return !text.empty() && text.size() <= kLongestName && !digitsAndDots &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return c >= 0x20 && c != 0x7F; });
}

bool simulationModeText(const std::string& word, std::string& mode)
{
    static const std::map<std::string, std::string> modes = {
        {"force", "SIMMODE_FORCE"}, {"off", "SIMMODE_OFF"}, {"normal", "SIMMODE_NORMAL"}};
    const auto it = modes.find(word);
    if (it == modes.end())
        return false;
    mode = it->second;
    return true;
}

} // namespace

bool sameNodeName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::optional<uni::ipv4::IpAddressPair> localNetworkOf(const std::string& text)
{
    const auto slash = text.find('/');
    std::int32_t prefix = -1;
    if (slash == std::string::npos || !uni::text::parseSignedDecimal(text.substr(slash + 1), prefix))
        return std::nullopt;
    const auto mask = uni::ipv4::maskFromPrefix(prefix);
    const std::string address = text.substr(0, slash);
    if (!mask || !uni::ipv4::parseAddress(address))
        return std::nullopt;
    return uni::ipv4::IpAddressPair(address, *mask);
}

bool optionValue(const std::string& arg, const std::string& name, int argc, const char* const argv[], int& i,
                 std::string& value, bool& matched)
{
    matched = false;
    if (arg == name) {
        matched = true;
        if (i + 1 >= argc)
            return false;
        value = argv[++i];
        return true;
    }
    if (arg.compare(0, name.size() + 1, name + "=") == 0) {
        matched = true;
        value = arg.substr(name.size() + 1);
        return true;
    }
    return true;
}

bool parseBoundedOption(const std::string& arg, int argc, const char* const argv[], int& i,
                        const std::vector<BoundedOption>& numbers, std::string& error, bool& matched)
{
    for (const BoundedOption& number : numbers) {
        std::string value;
        std::int32_t parsed = 0;
        if (!optionValue(arg, number.name, argc, argv, i, value, matched) ||
            (matched &&
             !(uni::text::parseSignedDecimal(value, parsed) && parsed >= number.low && parsed <= number.high))) {
            error = std::string(number.name) + " needs " + number.what;
            return false;
        }
        if (matched) {
            *number.target = parsed;
            return true;
        }
    }
    return true;
}

namespace {

bool boundedNumber(const std::string& text, std::int32_t low, std::int32_t high, std::int32_t& value)
{
    return uni::text::parseSignedDecimal(text, value) && value >= low && value <= high;
}

// --node, --scan-ms and --base-port; `matched` tells whether `arg` was one of them.
bool parseNetworkOption(const std::string& arg, int argc, const char* const argv[], int& i, CliOptions& options,
                        std::string& error, bool& matched)
{
    std::string value;
    if (!optionValue(arg, "--node", argc, argv, i, value, matched) || (matched && !nodeNameOrAddress(value))) {
        error = "--node needs a node's IPv4 address (a.b.c.d) or its name";
        return false;
    }
    const auto givenBefore = [&options](const std::string& text) {
        return std::any_of(options.nodes.begin(), options.nodes.end(),
                           [&text](const std::string& given) { return sameNodeName(given, text); });
    };
    if (matched && givenBefore(value)) {
        error = "--node " + value + " is given twice; name each node once";
        return false;
    }
    // A name is looked up among the nodes that answer (runCommand), then checked as an address.
    if (matched && !uni::ipv4::parseAddress(value)) {
        options.node = options.node.empty() ? value : options.node;
        options.nodes.push_back(value);
        return true;
    }
    if (matched) {
        // Discovery never looks outside the allowed networks, so waiting for the node is futile.
        const uni::AllowedNetworks allowed = uni::AllowedNetworks::fromEnvironment();
        if (!allowed.isAllowed(value)) {
            error = "--node " + value + " is outside the allowed networks (" + allowed.toString() + "; set " +
                    uni::AllowedNetworks::kEnvironmentVariable + " to include it)";
            return false;
        }
        options.node = options.node.empty() ? value : options.node;
        options.nodes.push_back(value);
        return true;
    }
    std::int32_t number = 0;
    if (!optionValue(arg, "--scan-ms", argc, argv, i, value, matched) ||
        (matched && !boundedNumber(value, 1, 600000, number))) {
        error = "--scan-ms needs a number of milliseconds, 1 to 600000";
        return false;
    }
    if (matched) {
        options.scanMs = static_cast<std::uint32_t>(number);
        return true;
    }
    if (!optionValue(arg, "--timeout", argc, argv, i, value, matched) ||
        (matched && !boundedNumber(value, 1, 86400, number))) {
        error = "--timeout needs a number of seconds, 1 to 86400";
        return false;
    }
    if (matched) {
        options.timeoutSeconds = static_cast<std::uint32_t>(number);
        return true;
    }
    // The client uses ports up to P + 10.
    if (!optionValue(arg, "--base-port", argc, argv, i, value, matched) ||
        (matched && !boundedNumber(value, 1, 65525, number))) {
        error = "--base-port needs a port number, 1 to 65525";
        return false;
    }
    if (matched)
        options.basePort = static_cast<std::uint16_t>(number);
    return true;
}

// "a, b and c".
std::string listed(const std::vector<std::string>& names)
{
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i)
        list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return list;
}

// "tree, get, ... and history --board": those that go plainly to the node first, then those
// that go there only in one form.
std::string networkNodeCommands()
{
    std::vector<std::string> names;
    for (const bool qualified : {false, true}) {
        for (const CliCommand& command : commandTable()) {
            const std::string name = command.networkNode;
            if (!name.empty() && (name.find(' ') != std::string::npos) == qualified)
                names.push_back(name);
        }
    }
    return listed(names);
}

// The tools that change boards of a real system (the demo's edits take no snapshot).
std::string boardChangingCommands()
{
    std::vector<std::string> names;
    for (const ToolDescription& tool : ToolRegistry::tools()) {
        if (tool.changeActivity && *tool.networkNode != '\0')
            names.push_back(tool.verb);
    }
    return listed(names);
}

// An option's explanation, wrapped into the help's second column.
std::string optionText(const std::string& text)
{
    constexpr std::size_t kColumn = 33;
    constexpr std::size_t kWidth = 88;
    std::string out;
    std::size_t lineLength = kColumn;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(start, end - start);
        if (lineLength > kColumn && lineLength + 1 + word.size() > kWidth) {
            out += "\n" + std::string(kColumn, ' ');
            lineLength = kColumn;
        } else if (lineLength > kColumn) {
            out += ' ';
            ++lineLength;
        }
        out += word;
        lineLength += word.size();
        start = end + 1;
    }
    return out + "\n";
}

// The network options fit only some commands.
bool checkNetworkOptions(const CliOptions& options, std::string& error)
{
    const CliCommand* command = findCommand(options.command);
    if (!options.node.empty() && (!command || *command->networkNode == '\0')) {
        error = "--node applies to " + networkNodeCommands();
        return false;
    }
    if (options.command == "node" && options.node.empty()) {
        error = "node needs --node ADDRESS";
        return false;
    }
    if (!options.node.empty() && !options.system.empty()) {
        error = "tree takes either --system or --node";
        return false;
    }
    const bool doctor = options.command == "doctor";
    if (doctor && std::any_of(options.nodes.begin(), options.nodes.end(),
                              [](const std::string& node) { return !uni::ipv4::parseAddress(node); })) {
        error = "doctor --node takes a node's IPv4 address (a.b.c.d): a name is only known once the node answers";
        return false;
    }
    const bool manyNodes = !doctor && (options.allNodes || options.nodes.size() > 1);
    if (options.allNodes && !options.node.empty()) {
        error = "--all-nodes takes no --node: it is every node that answers";
        return false;
    }
    if (manyNodes && !fleetActionApplies(options) && !(options.allNodes && options.command == "problems")) {
        error = std::string(options.allNodes ? "--all-nodes" : "several --node") +
                " apply to selftest, firmware check, firmware update and eeprom backup" +
                (options.allNodes ? " (and problems)" : "");
        return false;
    }
    if ((!options.addNode.empty() || !options.removeNode.empty()) && options.command != "nodes") {
        error = "--add and --remove apply to nodes";
        return false;
    }
    if (!options.addNode.empty() && !options.removeNode.empty()) {
        error = "nodes takes either --add or --remove";
        return false;
    }
    if (!options.localNetwork.empty() && options.node.empty() && options.command != "nodes") {
        error = "--local-network applies to nodes and to commands with --node";
        return false;
    }
    if (!options.localNetwork.empty() && !localNetworkOf(options.localNetwork)) {
        error = "--local-network needs this computer's address and the prefix length of its network, e.g. "
                "192.168.1.10/24";
        return false;
    }
    // --base-port is taken by every command, so that a script can pass it always.
    if (options.scanMs != 0 && options.node.empty() && options.command != "nodes" && options.command != "fleet" &&
        !doctor && !options.allNodes) {
        error = "--scan-ms applies to nodes, fleet, doctor and to commands with --node";
        return false;
    }
    return true;
}

// Options that take a text: --which, --dir, --model and --revision of eeprom; --file, --level,
// --type and --mode of logging set; --mode, --ip-version, --address and --mask of node ip;
// --add and --remove of nodes; --local-network.
// `matched` tells whether `arg` was one of them.
bool parseValueOption(const std::string& arg, int argc, const char* const argv[], int& i, CliOptions& options,
                      std::string& error, bool& matched)
{
    const std::pair<const char*, std::string*> named[] = {{"--which", &options.which},
                                                          {"--dir", &options.dir},
                                                          {"--model", &options.model},
                                                          {"--revision", &options.revision},
                                                          {"--file", &options.logName},
                                                          {"--level", &options.logLevel},
                                                          {"--type", &options.logType},
                                                          {"--mode", &options.mode},
                                                          {"--ip-version", &options.ipVersion},
                                                          {"--address", &options.address},
                                                          {"--mask", &options.mask},
                                                          {"--format", &options.format},
                                                          {"--add", &options.addNode},
                                                          {"--remove", &options.removeNode},
                                                          {"--local-network", &options.localNetwork},
                                                          {"--register", &options.registerAt}};
    for (const auto& [name, target] : named) {
        std::string value;
        if (!optionValue(arg, name, argc, argv, i, value, matched) || (matched && value.empty())) {
            error = std::string(name) + " needs a value";
            return false;
        }
        if (matched) {
            *target = value;
            return true;
        }
    }
    return true;
}

// --due, --interval and --parallel of fleet; `matched` tells whether `arg` was one of them.
bool parseFleetOption(const std::string& arg, int argc, const char* const argv[], int& i, CliOptions& options,
                      std::string& error, bool& matched)
{
    const std::vector<BoundedOption> numbers = {
        {"--due", 0, 36500, &options.dueDays, "a number of days, 0 to 36500"},
        {"--interval", 1, 120, &options.intervalMonths, "a number of months, 1 to 120"},
        {"--parallel", 1, 64, &options.parallel, "a number of nodes, 1 to 64"}};
    return parseBoundedOption(arg, argc, argv, i, numbers, error, matched);
}

bool parseOption(const std::string& arg, int argc, const char* const argv[], int& i, CliOptions& options,
                 std::string& error)
{
    if (arg == "-h" || arg == "--help") {
        options.help = true;
        return true;
    }
    if (arg == "--json") {
        options.json = true;
        return true;
    }
    const std::pair<const char*, bool*> switches[] = {
        {"--factory", &options.factory},   {"--excitation", &options.excitation},
        {"--yes", &options.yes},           {"--retry-failed", &options.retryFailed},
        {"--auto", &options.autoSelect},   {"--no-snapshot", &options.noSnapshot},
        {"--extended", &options.extended}, {"--csv", &options.csv},
        {"--html", &options.html},         {"--replace", &options.replace},
        {"--dry-run", &options.dryRun},    {"--keep-newer", &options.keepNewer},
        {"--force", &options.force},       {"--all-nodes", &options.allNodes},
        {"--rebuild", &options.rebuild},   {"--sync", &options.sync},
        {"--site", &options.site},
    };
    for (const auto& [name, flag] : switches) {
        if (arg == name) {
            *flag = true;
            return true;
        }
    }
    bool matched = false;
    std::string value;
    if (!optionValue(arg, "--board", argc, argv, i, value, matched)) {
        error = "--board needs ENCLOSURE/SLOT (0/2), a serial number, all, or the driver's board index";
        return false;
    }
    if (matched) {
        if (!BoardAddress::parse(value, options.boardAddress, error))
            return false;
        if (options.boardAddress.kind() == BoardAddress::Kind::Index)
            options.board = static_cast<std::int32_t>(options.boardAddress.index());
        return true;
    }
    for (auto* target : {&options.saveDir, &options.serial}) {
        const std::string name = target == &options.saveDir ? "--save-dir" : "--serial";
        if (!optionValue(arg, name, argc, argv, i, value, matched) || (matched && value.empty())) {
            error = name + " needs a value";
            return false;
        }
        if (matched) {
            *target = value;
            return true;
        }
    }
    if (!parseValueOption(arg, argc, argv, i, options, error, matched))
        return false;
    if (matched)
        return true;
    if (!parseFleetOption(arg, argc, argv, i, options, error, matched))
        return false;
    if (matched)
        return true;
    if (!optionValue(arg, "--simulation", argc, argv, i, value, matched) ||
        (matched && !simulationModeText(value, options.simulation))) {
        error = "--simulation needs force, off or normal";
        return false;
    }
    if (matched)
        return true;
    if (!parseNetworkOption(arg, argc, argv, i, options, error, matched))
        return false;
    if (matched)
        return true;
    if (!optionValue(arg, "--system", argc, argv, i, options.system, matched) ||
        (matched && options.system != "local" && options.system != "demo")) {
        error = "--system needs local or demo";
        return false;
    }
    if (matched)
        return true;
    for (auto* target : {&options.driverPath, &options.logFile}) {
        const std::string name = target == &options.driverPath ? "--driver" : "--log";
        if (!optionValue(arg, name, argc, argv, i, value, matched) || (matched && value.empty())) {
            error = name + " needs a file name";
            return false;
        }
        if (matched) {
            *target = value;
            return true;
        }
    }
    if (!parseEnclosureOption(arg, argc, argv, i, options.enclosureTools, error, matched))
        return false;
    if (matched)
        return true;
    if (!parseBusOption(arg, argc, argv, i, options.bus, error, matched))
        return false;
    if (matched)
        return true;
    error = "unknown option " + arg;
    return false;
}

} // namespace

std::uint32_t commandTimeoutSeconds(const CliOptions& options)
{
    if (options.timeoutSeconds != 0)
        return options.timeoutSeconds;
    const CliCommand* command = findCommand(options.command);
    if (!command)
        return 60;
    switch (command->timeLimit) {
    case ToolTimeLimit::None: return 0;
    case ToolTimeLimit::BoardTool: return 360;
    case ToolTimeLimit::Read: break;
    }
    return 60;
}

bool jsonRequested(int argc, const char* const argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--")
            return false;
        if (arg == "--json")
            return true;
    }
    return false;
}

bool parseCliOptions(int argc, const char* const argv[], CliOptions& options, std::string& error)
{
    bool optionsEnded = false;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9')) {
            if (!parseOption(arg, argc, argv, i, options, error))
                return false;
        } else {
            words.push_back(arg);
        }
    }
    if (options.help)
        return true;
    if (words.empty()) {
        error = "no command given";
        return false;
    }
    options.command = words.front();
    options.arguments.assign(words.begin() + 1, words.end());
    const CliCommand* command = findCommand(options.command);
    if (!command) {
        error = "unknown command " + options.command;
        return false;
    }
    const std::size_t count = options.arguments.size();
    const std::size_t least = command->leastArguments;
    const std::size_t most = command->mostArguments;
    if (count < least || count > most) {
        error = options.command + " takes " +
                (least == most ? std::to_string(least)
                 : most == 99  ? "at least " + std::to_string(least)
                               : std::to_string(least) + " to " + std::to_string(most)) +
                " argument(s)";
        return false;
    }
    if (options.factory && options.excitation) {
        error = "selftest takes either --factory or --excitation";
        return false;
    }
    if (options.bus.any() && options.command != "can" && options.command != "uart") {
        error = "--channel, --count, --every, --send, --send-channel, --ids, --ring and --trace apply to can and uart";
        return false;
    }
    if (options.rebuild && options.command != "assets") {
        error = "--rebuild applies to assets";
        return false;
    }
    if (options.sync && options.command != "assets") {
        error = "--sync applies to assets";
        return false;
    }
    if (options.site && options.command != "fleet") {
        error = "--site applies to fleet";
        return false;
    }
    if (!options.registerAt.empty() && options.command != "assets" && options.command != "fleet") {
        error = "--register applies to assets and fleet";
        return false;
    }
    if (!options.registerAt.empty() && !SiteRegister::isSite(options.registerAt)) {
        error = "--register needs a PostgreSQL connection string postgresql://[USER@]HOST[:PORT]/DATABASE";
        return false;
    }
    if ((options.dryRun || options.keepNewer) && (options.command != "firmware" || options.arguments[0] != "update")) {
        error = "--dry-run and --keep-newer apply to firmware update";
        return false;
    }
    if ((options.dueDays >= 0 || options.intervalMonths != 0) && options.command != "fleet") {
        error = "--due, --interval and --parallel apply to fleet";
        return false;
    }
    if (options.parallel != 0 && options.command != "fleet" && fleetActionTool(options).empty()) {
        error = "--parallel applies to fleet, and to a board tool with --all-nodes or several --node";
        return false;
    }
    return checkNetworkOptions(options, error);
}

namespace {

std::string toolHelp()
{
    std::string help;
    for (const ToolDescription& tool : ToolRegistry::tools())
        help += tool.help;
    return help;
}

} // namespace

std::string usageText()
{
    std::string text = "Usage: zamo2ctl [OPTIONS] COMMAND [ARGUMENTS]\n"
                       "\n"
                       "Service access to the acquisition boards of this computer through the driver,\n"
                       "and to the network nodes on the local network.\n"
                       "\n"
                       "Commands:\n"
                       "  driver-text CODE             the driver's result text of CODE (decimal or 0x hex)\n"
                       "  local                        connect; print board count, enclosure count,\n"
                       "                               simulation flag and driver version\n"
                       "  get TARGET ITEM              read a text parameter and print it\n"
                       "  set TARGET ITEM VALUE        write a text parameter\n"
                       "  get-xml TARGET ITEM          read a parameter of the XML tree and print it\n"
                       "  set-i32 BOARD COMMAND VALUE  send an integer command to a board\n"
                       "  config check FILE            validate a driver configuration file; exit 0 valid,\n"
                       "                               1 invalid, unreadable or no driver configuration at\n"
                       "                               all (every fault is listed; --json: an array of\n"
                       "                               problems, \"truncated\" when not all are listed);\n"
                       "                               valid means the program keeps all of it: nesting\n"
                       "                               deeper than 64 levels, more than 64 MiB, and\n"
                       "                               simulated boards or enclosures the demo system\n"
                       "                               cannot place (and its next save would drop) are\n"
                       "                               problems too\n"
                       "  tree [--system local|demo]   run the start-up scan and print that system's tree;\n"
                       "                               red rows are marked \"!\" (red on a terminal)\n"
                       "  tree --format json|csv|text  the tree as JSON (each row's name, value, kind, red\n"
                       "                               flag, depth and children besides its text), as CSV\n"
                       "                               (one line per row) or as text (the default)\n"
                       "  tree --node ADDRESS          connect to the network node at ADDRESS and print its\n"
                       "                               tree (enclosures, slots, node information)\n"
                       "  nodes                        discover network nodes for a while (--scan-ms) and\n"
                       "                               list id, name, address, scan and sync state, boards\n"
                       "                               and simulation flag of each, and what is wrong with\n"
                       "                               the IP settings of a node this computer cannot reach\n"
                       "  nodes --add ADDRESS          remember a node's address: it is asked directly at\n"
                       "                               every scan (behind a router, where broadcasts are\n"
                       "                               blocked); then discover as above\n"
                       "  nodes --remove ADDRESS       forget a remembered node address\n"
                       "  doctor [--node ADDRESS]...   why no network node shows up: interfaces, allowed\n"
                       "                               networks, ports taken by other programs (named),\n"
                       "                               scans sent, nodes that answer or not (each --node is\n"
                       "                               asked by address), duplicate and link-local node\n"
                       "                               addresses; listens --scan-ms (300 to 5000, default\n"
                       "                               2500); exit 0 when every finding is ok, else 1\n"
                       "  demo list-models             the enclosure types and board models the driver offers\n"
                       "  demo add-enclosure TYPE      append an enclosure of TYPE to the demo system\n"
                       "  demo set-type ENC TYPE       turn enclosure ENC into an empty one of TYPE\n"
                       "  demo put-board ENC SLOT MODEL [--replace]\n"
                       "                               put a board of MODEL into slot SLOT of enclosure ENC;\n"
                       "                               a slot that holds a board needs --replace\n"
                       "  demo remove ENC [SLOT]       remove enclosure ENC (the rest are renumbered), or\n"
                       "                               the board in its slot SLOT\n"
                       "  demo import-local            make the demo system a copy of this computer's hardware\n"
                       "  demo import-node             (with --node) make the demo system a copy of the\n"
                       "                               network node's enclosures and boards\n"
                       "  demo export FILE [--force]   write the demo system to a demo file\n"
                       "  demo import FILE             replace the demo system by a demo file's (or by the\n"
                       "                               simulated system of a driver configuration file)\n"
                       "                               (demo edits save the driver configuration at once)\n";
    text += toolHelp();
    text += "  versions                     the software versions: this program (with its build's\n"
            "                               revision and source hash), then the driver's parts\n"
            "  logging show                 the driver's logging settings, their allowed values\n"
            "                               and the folder of its log files\n"
            "  logging set [--file NAME] [--level L] [--type T] [--mode M]\n"
            "                               change them in the driver configuration (saved at\n"
            "                               once); a NAME without a dot gets \".log\"; NAME is a\n"
            "                               plain file name in the driver's log folder (no '/')\n"
            "  report-package FILE          pack the driver's log files, inventory.json and\n"
            "                               inventory.html (every system seen, with --node also\n"
            "                               that node) and the maintenance journal into the ZIP\n"
            "                               file FILE and list what went in; FILE appears only\n"
            "                               complete; an existing FILE only with --force\n"
            "  overview [--system local|demo] [--extended] [--json|--csv]\n"
            "                               the system report: each board's enclosure and slot,\n"
            "                               then board name, serial and calibration date\n"
            "                               (--extended: all 17 overview columns)\n"
            "  problems [--node ADDRESS|--all-nodes]\n"
            "                               everything wrong with this computer's system (or the\n"
            "                               node's; with --all-nodes this computer's and every\n"
            "                               node's that answers), one line each: where\n"
            "                               (enclosure/slot, model, serial), what, and what to do;\n"
            "                               exit 0 when there is none, 1 when there are some\n"
            "  fleet [--json|--csv|--html] [--due DAYS] [--interval MONTHS] [--parallel N]\n"
            "                               every board of this computer and of every node that\n"
            "                               answers (--scan-ms), one line each: system, place,\n"
            "                               model, serial, firmware and the release, calibration\n"
            "                               date and when it is due (every 12 months, or\n"
            "                               --interval), last self test, temperatures, warnings;\n"
            "                               --due: only boards due within DAYS or overdue;\n"
            "                               N nodes are read at once (64); exit 0 when every\n"
            "                               system was read, 69 when one could not be\n"
            "  fleet --site [--due DAYS]    the boards of the site register (--register), each\n"
            "                               with its last place and computer and its latest\n"
            "                               calibration date; nothing is read from hardware\n"
            "  assets [SERIAL]              the asset register: every board seen here (by the\n"
            "                               tools, in any system) with its model, last place and\n"
            "                               when it was last seen; with SERIAL (any case) that\n"
            "                               board's places with first and last seen, firmware\n"
            "                               over time, calibration dates and journal events;\n"
            "                               exit 1 when SERIAL was never seen\n"
            "  assets --rebuild             make the asset register anew from the maintenance\n"
            "                               journal\n"
            "  assets --sync                send the site register (--register postgresql://...\n"
            "                               or $ZAMO2_REGISTER) what this computer recorded since\n"
            "                               the last upload; exit 0 when it got there, 69 when\n"
            "                               the server could not be reached (nothing is lost);\n"
            "                               with a site register, assets lists every computer's\n"
            "                               records, each place and event marked by computer\n"
            "  node rename NAME             (with --node) give the node a new name: at most 18\n"
            "                               characters, no control characters\n"
            "  node ip --mode dhcp|static --ip-version 4|6 [--address A --mask M]\n"
            "                               (with --node) change the node's IP configuration;\n"
            "                               address and mask default to the node's own and are\n"
            "                               checked first (dotted quads for IPv4); unchanged\n"
            "                               values send nothing\n"
            "  node restart-server          (with --node) restart the node's server\n"
            "  node reboot                  (with --node) reboot the node\n"
            "                               each node command asks first (on a terminal) or\n"
            "                               needs --yes\n"
            "\n"
            "TARGET and ITEM (get, set, get-xml) name one parameter of the driver:\n"
            "  TARGET  what the parameter belongs to: System; a board, BoardID and its index\n"
            "          (BoardID0 is the first board), with a part after a slash where the\n"
            "          parameter lives there (BoardID3/Base); an enclosure, EnclosureId and its\n"
            "          index (EnclosureId0); or a fixed name (System/Config, driver/api)\n"
            "  ITEM    the parameter's name within TARGET (EnclosureCount, key, BaseTemp, Path)\n"
            "  zamo2ctl get System EnclosureCount      how many enclosures the driver found\n"
            "  zamo2ctl get BoardID0 key               the model key of the first board\n"
            "  zamo2ctl get BoardID0 BaseTemp          its base board temperature\n"
            "  zamo2ctl get System/Config Path         the driver configuration's folder\n"
            "\n"
            "Options:\n"
            "  --simulation force|off|normal  simulation mode the driver starts in\n"
            "  --driver FILE                  load this driver library instead of the default\n"
            "  --log FILE                     append the program's log (every severity) to FILE, a\n"
            "                                 regular file or a new one (anything else: 73)\n"
            "  --json                         print one JSON object instead of text\n"
            "  --node ADDRESS|NAME            " +
            optionText(networkNodeCommands() +
                       " go to the network node at ADDRESS (or the one answering by NAME, any case) instead of "
                       "the local driver (report-package "
                       "adds it, demo import-node copies it). An ADDRESS outside "
                       "QORINET_ALLOWED_NETWORKS is refused at once") +
            "  --all-nodes                    " +
            optionText("selftest, firmware check, firmware update and eeprom backup: on this computer and every "
                       "node that answers (--scan-ms), at most --parallel N (8) nodes at once, each node's boards "
                       "in order; one line per board, one per system not done (and why), and a summary; exit 0 "
                       "only when every board succeeded, else the worst status of one system. Ctrl+C begins no "
                       "further node. --node given several times does the same on those nodes. problems: every "
                       "node's problems too") +
            "  --board B                      the board of a board tool: ENCLOSURE/SLOT as the\n"
            "                                 tree numbers them (0/2), its serial number (any\n"
            "                                 case), all, or a bare number, the driver's board\n"
            "                                 index (0 is the first). For E/S, a serial or all\n"
            "                                 the tool runs once per board named (--json: one\n"
            "                                 object per line); the first failure is the exit\n"
            "                                 status, and the other boards still run\n"
            "  --scan-ms N                    how long nodes discovers, and the longest wait for\n"
            "                                 the node of --node (default 2500)\n"
            "  --base-port P                  ports of the network client and its nodes (P..P+10;\n"
            "                                 default 9237); taken by every command, used by those\n"
            "                                 that reach the network\n"
            "  --local-network A.B.C.D/N      nodes and --node: look for nodes only through this\n"
            "                                 computer's address A.B.C.D on its N-bit network,\n"
            "                                 instead of through every interface\n"
            "  --timeout SECONDS              end the command with exit status 75 when it has not\n"
            "                                 finished after SECONDS (default 60; 360 for the board\n"
            "                                 tools); also how long a network node's heartbeats may\n"
            "                                 keep one request waiting\n"
            "  --force                        report-package, demo export, selftest --save-dir,\n"
            "                                 eeprom backup and can/uart monitor --trace: replace\n"
            "                                 an existing regular file of\n"
            "                                 the name (never a device, FIFO, socket, folder,\n"
            "                                 link, read-only file or the program's own data);\n"
            "                                 eeprom restore: write a backup of another board\n"
            "  --no-snapshot                  " +
            optionText(boardChangingCommands() +
                       ": change without saving the EEPROMs (the enclosure's data) first; the journal "
                       "line stays. Without it a board whose EEPROM cannot be read is refused (the line "
                       "says so); in a run over several boards it is reported and the others go on "
                       "(exit 65)") +
            "  -h, --help                     show this text\n"
            "\n"
            "Texts go to standard output; the result line of get/set goes to standard error.\n"
            "\n"
            "Commands that change a system (the changing forms of the tools, such as firmware\n"
            "update, eeprom restore or features with values; demo edits; node actions) hold that\n"
            "system's lock (this computer's driver, or the node of --node) while they run;\n"
            "another program changing it is named and waited for up to --timeout (60 s where\n"
            "there is no limit). Reads take no lock.\n"
            "\n"
            "Exit status:\n"
            "  0      success (a driver warning counts as success)\n"
            "  1..62  the driver's or the command layer's result itself, e.g. 1 hardware in\n"
            "         use by another program, 2 driver library not loadable;\n"
            "         for driver-text, 1 means the code is unknown; for problems, 1 there\n"
            "         are some; for assets SERIAL, 1 the board was never seen; for report-package,\n"
            "         8 the package could not be made, 9 there were no log files to collect\n"
            "  63     any larger result (printed in full)\n"
            "  64     bad command line: one line on standard error (with --json also\n"
            "         {\"error\":\"usage\",\"message\":...,\"exitStatus\":64} on standard output)\n"
            "  65     selftest or calibrate: a board failed or has no verdict (a test that\n"
            "         does not apply to a board counts as passed); firmware: an update failed\n"
            "         (3002); calibrate or firmware: a board was not changed because its\n"
            "         EEPROMs could not be saved first; a three-wire offset or a cross grade\n"
            "         that was not confirmed; eeprom: refused (bad serial, wrong backup file,\n"
            "         a backup of another board without --force, a document deeper or larger\n"
            "         than a board keeps) or failed; any change whose read-back differs or\n"
            "         could not be made: nothing then says \"finished\" or \"complete\"; node: a name\n"
            "         or address refused, or a question not confirmed\n"
            "  66     firmware update --retry-failed: the journal names no board of the\n"
            "         selection whose last update on this node failed\n"
            "  69     the network client did not start, or the node of --node did not\n"
            "         appear in time or could not be reached\n"
            "  71     memory ran out: the command was stopped\n"
            "  73     a file or folder the command writes was refused (something other than\n"
            "         a regular file stands there, a file exists and --force was not given,\n"
            "         a read-only file, or the program's own journal, snapshots, logs or\n"
            "         driver configuration) - nothing was touched; or report-package: FILE\n"
            "         could not be created; or the lock file of the system cannot be used;\n"
            "         or assets: the asset register cannot be used (the message says why)\n"
            "  74     a change was made and verified, but its journal line could not be\n"
            "         written (e.g. disk full); the message names the board\n"
            "  75     --timeout passed before the command finished, or the system stayed\n"
            "         busy until then (\"busy: zamo2ctl pid 4711 is updating firmware\")\n"
            "  130    interrupted (Ctrl+C)\n"
            "\n"
            "The network client keeps to the networks in QORINET_ALLOWED_NETWORKS (comma-\n"
            "separated CIDRs); only with it set to include 127.0.0.0/8 are nodes on this\n"
            "computer's loopback found.\n"
            "\n"
            "Examples:\n"
            "  zamo2ctl local                          is the driver there, how many boards?\n"
            "  zamo2ctl tree --system demo             the demo system as the window shows it\n"
            "  zamo2ctl selftest --board 0 --json      self test of the first board, for a script\n"
            "  zamo2ctl config check zmpxi_api_config.xml\n"
            "                                          would the driver accept this file?\n"
            "  QORINET_ALLOWED_NETWORKS=192.168.10.0/24 zamo2ctl nodes\n"
            "                                          the network nodes of that network\n"
            "  QORINET_ALLOWED_NETWORKS=192.168.10.0/24 zamo2ctl tree --node 192.168.10.20\n"
            "                                          the tree of one of them\n";
    return text;
}

} // namespace cli
} // namespace z2e
