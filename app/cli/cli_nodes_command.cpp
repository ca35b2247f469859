#include "cli_nodes_command.h"

#include "cli_output.h"
#include "cli_remote_session.h"

#include <algorithm>
#include <iostream>
#include <sstream>

namespace z2e {
namespace cli {
namespace {

using NodeList = std::vector<NetworkNodeSummary>;

std::string scanStateText(const NetworkNodeSummary& node)
{
    std::string text = std::to_string(node.scanState) + " " + node.scanStateName;
    return node.tainted ? text + ", tainted" : text;
}

void printJson(const NodeList& nodes, std::uint32_t scanMs)
{
    std::ostringstream out;
    out << "{\"scanMs\":" << scanMs << ",\"networks\":" << jsonString(RemoteNodeSession::allowedNetworks())
        << ",\"nodes\":[";
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const NetworkNodeSummary& node = nodes[i];
        out << (i ? "," : "") << "{\"id\":" << node.id << ",\"name\":" << jsonString(node.name)
            << ",\"address\":" << jsonString(node.address) << ",\"netMask\":" << jsonString(node.netMask)
            << ",\"scanState\":" << node.scanState << ",\"scanStateText\":" << jsonString(node.scanStateName)
            << ",\"tainted\":" << (node.tainted ? "true" : "false") << ",\"syncState\":" << node.syncState
            << ",\"simulation\":" << (node.simulation ? "true" : "false") << ",\"boardCount\":" << node.boardCount
            << ",\"boards\":[";
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
std::string printable(std::string text)
{
    for (char& c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f)
            c = '?';
    }
    return text;
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

void printTable(const NodeList& nodes, std::uint32_t scanMs)
{
    if (nodes.empty()) {
        std::cout << "no network nodes found within " << scanMs
                  << " ms (networks: " << RemoteNodeSession::allowedNetworks() << ")\n";
        return;
    }
    const std::vector<std::string> titles = {"ID", "NAME", "ADDRESS", "SCAN", "SYNC", "BOARDS", "SIMULATION"};
    std::vector<std::vector<std::string>> rows;
    for (const auto& node : nodes) {
        rows.push_back({std::to_string(node.id), shortened(printable(node.name)), node.address, scanStateText(node),
                        std::to_string(node.syncState), std::to_string(node.boardCount),
                        node.simulation ? "yes" : "no"});
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
}

} // namespace

int nodesCommand(const CliOptions& options)
{
    RemoteSession session(options);
    if (!session.start())
        return EXIT_NODE_UNAVAILABLE;
    const NodeList nodes = session.discover();
    if (session.session().listenFailed()) {
        std::cerr << "zamo2ctl: the scan could not open a UDP socket for the nodes' answers, so no node can be "
                     "found; see the log (--log FILE) for why\n";
        return EXIT_NODE_UNAVAILABLE;
    }
    if (options.json)
        printJson(nodes, session.scanMs());
    else
        printTable(nodes, session.scanMs());
    return EXIT_OK;
}

} // namespace cli
} // namespace z2e
