#include "node_sim_options.h"

#include "uni/ip_address_pair.h"
#include "uni/number_text.h"

#include <functional>
#include <map>
#include <set>

namespace nodesim {

namespace {

bool parseUnsigned(const std::string& text, unsigned long max, unsigned long& value)
{
    std::uint64_t parsed = 0;
    if (!uni::text::parseUnsignedDecimal(text, parsed) || parsed > max)
        return false;
    value = static_cast<unsigned long>(parsed);
    return true;
}

template <typename T>
std::function<bool(const std::string&)> number(T& target, unsigned long min, unsigned long max)
{
    return [&target, min, max](const std::string& text) {
        unsigned long value = 0;
        if (!parseUnsigned(text, max, value) || value < min)
            return false;
        target = static_cast<T>(value);
        return true;
    };
}

std::function<bool(const std::string&)> text(std::string& target)
{
    return [&target](const std::string& value) {
        target = value;
        return !value.empty();
    };
}

std::function<bool(const std::string&)> address(std::string& target)
{
    return [&target](const std::string& value) {
        if (!uni::ipv4::parseAddress(value))
            return false;
        target = value;
        return true;
    };
}

std::function<bool(const std::string&)> maskText(std::string& target)
{
    return [&target](const std::string& value) {
        const auto mask = uni::ipv4::parseAddress(value);
        if (!mask || uni::ipv4::prefixFromMask(*mask) < 0)
            return false;
        target = value;
        return true;
    };
}

// Why the options given do not go together; empty when they do.
std::string conflict(const NodeSimOptions& options, const std::set<std::string>& seen)
{
    if (options.fleet > 0 && !options.fleetDir.empty())
        return "--fleet and --fleet-dir exclude each other: choose one";
    if (seen.count("--seed") && options.fleet == 0)
        return "--seed goes with --fleet only";
    if (!options.runsFleet())
        return std::string();
    if (seen.count("--nodes"))
        return "--nodes runs nodes in one process and does not go with a fleet of processes";
    if (seen.count("--claim"))
        return "--claim names one address for the nodes of one process; run one simulator per claim";
    if (seen.count("--hardware") || seen.count("--config-dir"))
        return "--hardware and --config-dir are one node's files; a fleet gives every node its own";
    if (!options.fleetDir.empty() && options.simulation)
        return "--simulation would serve each node's configured boards instead of its hardware file; "
               "leave it out with --fleet-dir";
    return std::string();
}

} // namespace

bool NodeSimOptions::parse(int argc, const char* const* argv, NodeSimOptions& out, std::string& error)
{
    NodeSimOptions options;
    // The base port leaves room for the highest derived port (+10).
    const std::map<std::string, std::function<bool(const std::string&)>> valued = {
        {"--base-port", number(options.basePort, 1, 65525)},
        {"--bind", address(options.bindAddress)},
        {"--netmask", maskText(options.netmask)},
        {"--claim", address(options.claimAddress)},
        {"--name", text(options.name)},
        {"--nodes", number(options.nodes, 1, kMaxNodes)},
        {"--fleet", number(options.fleet, 1, kMaxNodes)},
        {"--seed", number(options.seed, 0, 0xFFFFFFFFul)},
        {"--fleet-dir", text(options.fleetDir)},
        {"--fault", [&options](const std::string& value) { return parseNodeFault(value, options.fault); }},
        {"--fault-delay-ms", number(options.faultDelayMs, 0, 600000)},
        {"--delay-ms", number(options.delayMs, 0, 600000)},
        {"--heartbeat-ms", number(options.heartbeatMs, 10, 10000)},
        {"--reboot-ms", number(options.rebootMs, 0, 600000)},
        {"--data-every-ms", number(options.dataEveryMs, 1, 10000)},
        {"--work-dir", text(options.workDir)},
        {"--config-dir", text(options.configDir)},
        {"--hardware", text(options.hardwareFile)},
        {"--log", text(options.logFile)},
    };
    std::set<std::string> seen;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        seen.insert(arg);
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg == "--simulation") {
            options.simulation = true;
            continue;
        }
        const auto found = valued.find(arg);
        if (found == valued.end()) {
            error = "unknown option " + arg;
            return false;
        }
        if (i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        if (!found->second(value)) {
            error = "bad value for " + arg + ": '" + value + "'";
            return false;
        }
    }
    error = conflict(options, seen);
    if (!error.empty())
        return false;
    out = options;
    return true;
}

std::string NodeSimOptions::usage()
{
    return "Usage: qorinet-node-sim [options]\n"
           "Simulates QORINet nodes on this machine: discovery answers, the control connection\n"
           "and the maintenance port, backed by the simulated driver.\n"
           "\n"
           "  --base-port P        control port P; scans on P+1, answers to P+2, maintenance on\n"
           "                       P+6, data port P+10 (default 9237)\n"
           "  --bind ADDRESS       address of the (first) node (default 127.0.0.1)\n"
           "  --netmask MASK       netmask of the node addresses (default 255.0.0.0)\n"
           "  --claim ADDRESS      discovery names ADDRESS as the node's address instead of its\n"
           "                       own, to which it stays bound (two simulators claiming one\n"
           "                       address are an address conflict)\n"
           "  --name NAME          node name (fleet: NAME-<index>)\n"
           "  --simulation         serve simulated boards (the node reports simulation 1)\n"
           "  --nodes N            N nodes on consecutive addresses in this process, sharing\n"
           "                       one driver and its boards (max 1024)\n"
           "  --fleet N            N nodes on consecutive addresses, each a process with boards\n"
           "                       of its own generated from the seed (max 1024; names\n"
           "                       NAME-001 on, default Fleet)\n"
           "  --seed S             what the fleet's boards derive from (default 1)\n"
           "  --fleet-dir DIR      one node process per hardware file DIR/*.xml, in name order\n"
           "  --fault KIND         never-answer | wrong-digest | short-datagram | heartbeats-only |\n"
           "                       close-mid-frame | slow | unrelated-frames | trickle |\n"
           "                       no-broadcast\n"
           "  --fault-delay-ms MS  how late the slow fault answers, and the pause between the\n"
           "                       bytes of a trickled answer (default 1500)\n"
           "  --delay-ms MS        every driver command takes MS longer, with heartbeats\n"
           "  --heartbeat-ms MS    heartbeat period during long commands (default 300)\n"
           "  --reboot-ms MS       how long a reboot keeps the node away (default 5000)\n"
           "  --data-every-ms MS   how often the data connection forwards what the buses\n"
           "                       received (default 20; a slow node drops what its driver\n"
           "                       cannot hold meanwhile, and says how much)\n"
           "  --work-dir DIR       folder for the driver configuration and state (fleet: for\n"
           "                       the generated hardware files and one folder per node)\n"
           "  --config-dir DIR     use this driver configuration folder as it is\n"
           "  --hardware FILE      use this hardware description as it is\n"
           "  --log FILE           write a log file (fleet: FILE.001 and on, one per node)\n"
           "  --help               this text\n"
           "\n"
           "Addresses outside QORINET_ALLOWED_NETWORKS (loopback when unset) are refused.\n"
           "Prints \"ready\" once every node listens; SIGINT or SIGTERM stop it, SIGUSR1 toggles\n"
           "the sync state the nodes report. A fleet passes these signals on to its nodes,\n"
           "reports a node that ends early, and ends when every node has ended.\n";
}

} // namespace nodesim
