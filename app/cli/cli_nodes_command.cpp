#include "cli_nodes_command.h"

#include "cli_output.h"
#include "cli_remote_session.h"

#include "core/node_address_check.h"
#include "core/remembered_nodes.h"

#include <algorithm>
#include <iostream>
#include <sstream>

namespace z2e {
namespace cli {
namespace {

using NodeList = std::vector<NetworkNodeSummary>;
using Verdicts = std::vector<NodeAddressCheck::Verdict>;

// What happened to the address of --add: remembered, and whether a node answered there.
struct Remembered {
    std::string address;
    std::string message;
    bool answered = false;
};

Verdicts judged(const NodeList& nodes, RemoteNodeSession& session)
{
    std::vector<NodeAddressCheck::Node> claims;
    for (const NetworkNodeSummary& node : nodes)
        claims.push_back({node.name, node.address, node.netMask, node.clientAddress});
    return NodeAddressCheck(session.localNetworks()).judge(claims);
}

std::string fixCommand(const NetworkNodeSummary& node, const NodeAddressCheck::Verdict& verdict)
{
    return "zamo2ctl --node " + node.address + " node ip --mode static --ip-version 4 --address " +
           verdict.freeAddress + " --mask " + verdict.freeMask;
}

std::string verdictJson(const NetworkNodeSummary& node, const NodeAddressCheck::Verdict& verdict)
{
    if (verdict.consistent())
        return "{\"status\":\"ok\"}";
    std::string json = "{\"status\":" + jsonString(verdict.status) + ",\"problem\":" + jsonString(verdict.problem) +
                       ",\"conflict\":" + (verdict.conflict ? "true" : "false");
    if (!verdict.freeAddress.empty())
        json += ",\"fix\":{\"action\":\"Change Node IP\",\"address\":" + jsonString(verdict.freeAddress) +
                ",\"mask\":" + jsonString(verdict.freeMask) + ",\"command\":" + jsonString(fixCommand(node, verdict)) +
                "}";
    return json + "}";
}

std::string scanStateText(const NetworkNodeSummary& node)
{
    std::string text = std::to_string(node.scanState) + " " + node.scanStateName;
    return node.tainted ? text + ", tainted" : text;
}

void printJson(const NodeList& nodes, const Verdicts& verdicts, std::uint32_t scanMs, const Remembered& remembered)
{
    std::ostringstream out;
    out << "{\"scanMs\":" << scanMs << ",\"networks\":" << jsonString(RemoteNodeSession::allowedNetworks());
    if (!remembered.address.empty())
        out << ",\"added\":{\"address\":" << jsonString(remembered.address)
            << ",\"message\":" << jsonString(remembered.message)
            << ",\"answered\":" << (remembered.answered ? "true" : "false") << "}";
    out << ",\"nodes\":[";
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const NetworkNodeSummary& node = nodes[i];
        out << (i ? "," : "") << "{\"id\":" << node.id << ",\"name\":" << jsonString(node.name)
            << ",\"address\":" << jsonString(node.address) << ",\"netMask\":" << jsonString(node.netMask)
            << ",\"scanState\":" << node.scanState << ",\"scanStateText\":" << jsonString(node.scanStateName)
            << ",\"tainted\":" << (node.tainted ? "true" : "false") << ",\"syncState\":" << node.syncState
            << ",\"simulation\":" << (node.simulation ? "true" : "false") << ",\"boardCount\":" << node.boardCount
            << ",\"ipSettings\":" << verdictJson(node, verdicts[i]) << ",\"boards\":[";
        const std::vector<NetworkNodeSummary::Board>& boards = node.boards;
        for (std::size_t b = 0; b < boards.size(); ++b) {
            out << (b ? "," : "") << "{\"name\":" << jsonString(boards[b].name)
                << ",\"serial\":" << jsonString(boards[b].serial) << ",\"enclosure\":" << boards[b].enclosure
                << ",\"slot\":" << boards[b].slot << "}";
        }
        out << "]}";
    }
    out << "],\"listFull\":" << (nodes.size() >= RemoteNodeSession::maxNodes() ? "true" : "false") << "}\n";
    std::cout << out.str();
}

// Names come from the network: no terminal control sequences get through.
std::string printable(const std::string& text)
{
    std::string shown = terminalText(text);
    std::replace(shown.begin(), shown.end(), '\n', '?');
    return shown;
}

// A name of thousands of characters must not push the table off every screen.
std::string shortened(const std::string& text)
{
    constexpr std::size_t kShown = 40;
    if (text.size() <= kShown)
        return text;
    std::size_t cut = kShown - 3;
    // Never in the middle of a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0u) == 0x80u)
        --cut;
    return text.substr(0, cut) + "...";
}

std::string padded(const std::string& text, std::size_t width)
{
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

// Below the table: each node that cannot be reached as it is, what is wrong and the fix.
void printVerdicts(const NodeList& nodes, const Verdicts& verdicts)
{
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const NodeAddressCheck::Verdict& verdict = verdicts[i];
        if (verdict.consistent())
            continue;
        std::cout << shortened(printable(nodes[i].name)) << " (" << nodes[i].address << "): " << verdict.status << ": "
                  << printable(verdict.problem) << '\n';
        if (verdict.freeAddress.empty())
            std::cout << "  fix: give the node an address of this computer's network (node ip); none is free\n";
        else
            std::cout << "  fix: Change Node IP to " << verdict.freeAddress << " mask " << verdict.freeMask << ": "
                      << fixCommand(nodes[i], verdict) << '\n';
    }
}

void printTable(const NodeList& nodes, const Verdicts& verdicts, std::uint32_t scanMs)
{
    if (nodes.empty()) {
        std::cout << "no network nodes found within " << scanMs
                  << " ms (networks: " << RemoteNodeSession::allowedNetworks() << ")\n";
        return;
    }
    const std::vector<std::string> titles = {"ID",   "NAME",   "ADDRESS",    "SCAN",
                                             "SYNC", "BOARDS", "SIMULATION", "IP SETTINGS"};
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const NetworkNodeSummary& node = nodes[i];
        rows.push_back({std::to_string(node.id), shortened(printable(node.name)), node.address, scanStateText(node),
                        std::to_string(node.syncState), std::to_string(node.boardCount), node.simulation ? "yes" : "no",
                        verdicts[i].consistent() ? "ok" : verdicts[i].status});
    }
    std::vector<std::size_t> widths(titles.size());
    for (std::size_t c = 0; c < titles.size(); ++c) {
        widths[c] = titles[c].size() + 2;
        for (const auto& row : rows)
            widths[c] = std::max(widths[c], row[c].size() + 2);
    }
    rows.insert(rows.begin(), titles);
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c)
            line += c + 1 < row.size() ? padded(row[c], widths[c]) : row[c];
        std::cout << line << '\n';
    }
    if (nodes.size() >= RemoteNodeSession::maxNodes())
        std::cout << "(the list is full at " << RemoteNodeSession::maxNodes()
                  << " nodes; more may be on the network)\n";
    printVerdicts(nodes, verdicts);
}

// --remove: nothing is scanned.
int forgetNode(const CliOptions& options)
{
    std::string message;
    const RememberedNodes::Outcome outcome = RememberedNodes().remove(options.removeNode, message);
    if (outcome == RememberedNodes::Outcome::Failed) {
        std::cerr << "zamo2ctl: " << message << '\n';
        return EXIT_CANNOT_CREATE;
    }
    if (options.json)
        std::cout << "{\"removed\":{\"address\":" << jsonString(options.removeNode)
                  << ",\"wasRemembered\":" << (outcome == RememberedNodes::Outcome::Removed ? "true" : "false")
                  << ",\"message\":" << jsonString(message) << "}}\n";
    else
        std::cout << message << '\n';
    return EXIT_OK;
}

// --add: remembered before the scan, so that the scan asks it too.
int rememberNode(const CliOptions& options, Remembered& remembered)
{
    const RememberedNodes::Outcome outcome = RememberedNodes().add(options.addNode, remembered.message);
    if (outcome == RememberedNodes::Outcome::Refused)
        return usageError("nodes --add: " + remembered.message);
    if (outcome == RememberedNodes::Outcome::Failed) {
        std::cerr << "zamo2ctl: " << remembered.message << '\n';
        return EXIT_CANNOT_CREATE;
    }
    remembered.address = uni::ipv4::addressText(*uni::ipv4::parseAddress(options.addNode));
    return EXIT_OK;
}

void printRemembered(const Remembered& remembered, std::uint32_t scanMs)
{
    std::cout << remembered.message << '\n';
    if (remembered.answered)
        return;
    std::cout << "no node answered at " << remembered.address << " within " << scanMs
              << " ms; check its address and that it is switched on; it stays remembered\n";
}

} // namespace

int nodesCommand(const CliOptions& options)
{
    if (!options.removeNode.empty())
        return forgetNode(options);
    Remembered remembered;
    if (!options.addNode.empty()) {
        const int status = rememberNode(options, remembered);
        if (status != EXIT_OK)
            return status;
    }
    RemoteSession session(options);
    if (!session.start())
        return EXIT_NODE_UNAVAILABLE;
    const NodeList nodes = session.discover();
    if (session.session().listenFailed()) {
        std::cerr << "zamo2ctl: the scan could not open a UDP socket for the nodes' answers, so no node can be "
                     "found; see the log (--log FILE) for why\n";
        return EXIT_NODE_UNAVAILABLE;
    }
    remembered.answered = std::any_of(
        nodes.begin(), nodes.end(), [&](const NetworkNodeSummary& node) { return node.address == remembered.address; });
    const Verdicts verdicts = judged(nodes, session.session());
    if (options.json) {
        printJson(nodes, verdicts, session.scanMs(), remembered);
        return EXIT_OK;
    }
    if (!remembered.address.empty())
        printRemembered(remembered, session.scanMs());
    printTable(nodes, verdicts, session.scanMs());
    return EXIT_OK;
}

} // namespace cli
} // namespace z2e
