#include "node_sim_options.h"

#include "uni/ip_address_pair.h"
#include "uni/number_text.h"

#include <functional>
#include <map>

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

} // namespace

bool NodeSimOptions::parse(int argc, const char* const* argv, NodeSimOptions& out, std::string& error)
{
    NodeSimOptions options;
    // The base port leaves room for the highest derived port (+10).
    const std::map<std::string, std::function<bool(const std::string&)>> valued = {
        {"--base-port", number(options.basePort, 1, 65525)},
        {"--bind", address(options.bindAddress)},
        {"--netmask", maskText(options.netmask)},
        {"--name", text(options.name)},
        {"--nodes", number(options.nodes, 1, kMaxNodes)},
        {"--fault", [&options](const std::string& value) { return parseNodeFault(value, options.fault); }},
        {"--fault-delay-ms", number(options.faultDelayMs, 0, 600000)},
        {"--delay-ms", number(options.delayMs, 0, 600000)},
        {"--heartbeat-ms", number(options.heartbeatMs, 10, 10000)},
        {"--reboot-ms", number(options.rebootMs, 0, 600000)},
        {"--work-dir", text(options.workDir)},
        {"--config-dir", text(options.configDir)},
        {"--hardware", text(options.hardwareFile)},
        {"--log", text(options.logFile)},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
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
           "  --name NAME          node name (fleet: NAME-<index>)\n"
           "  --simulation         serve simulated boards (the node reports simulation 1)\n"
           "  --nodes N            fleet: N nodes on consecutive addresses, one driver (max 1024)\n"
           "  --fault KIND         never-answer | wrong-digest | short-datagram | heartbeats-only |\n"
           "                       close-mid-frame | slow | unrelated-frames | trickle |\n"
           "                       no-broadcast\n"
           "  --fault-delay-ms MS  how late the slow fault answers, and the pause between the\n"
           "                       bytes of a trickled answer (default 1500)\n"
           "  --delay-ms MS        every driver command takes MS longer, with heartbeats\n"
           "  --heartbeat-ms MS    heartbeat period during long commands (default 300)\n"
           "  --reboot-ms MS       how long a reboot keeps the node away (default 5000)\n"
           "  --work-dir DIR       folder for the driver configuration and state\n"
           "  --config-dir DIR     use this driver configuration folder as it is\n"
           "  --hardware FILE      use this hardware description as it is\n"
           "  --log FILE           write a log file\n"
           "  --help               this text\n"
           "\n"
           "Addresses outside QORINET_ALLOWED_NETWORKS (loopback when unset) are refused.\n"
           "Prints \"ready\" once every node listens; SIGINT or SIGTERM stop it, SIGUSR1 toggles\n"
           "the sync state the nodes report.\n";
}

} // namespace nodesim
