// Fleets of node processes on the wire: each node with boards of its own, generated from a
// seed or read from a folder of hardware files, and what happens when one of them dies.

#include "node_sim/scan_socket.h"
#include "support/eventually.h"
#include "support/node_sim.h"
#include "support/site.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace z2e::test {
namespace {

using namespace std::chrono_literals;

/// What a node tells a scan: its name, enclosure serials and boards (serial and firmware).
struct NodeSeen {
    std::string name;
    std::vector<std::string> enclosures;
    std::vector<std::string> boards;
    bool operator==(const NodeSeen& other) const
    {
        return name == other.name && enclosures == other.enclosures && boards == other.boards;
    }
};
using FleetSeen = std::map<std::string, NodeSeen>; // by address

FleetSeen scanFleet(std::uint16_t base, std::size_t nodes, int waitMs = 3000)
{
    ScanSocket scan(base);
    EXPECT_TRUE(scan.ok());
    scan.collect(nodes, 200); // the announcements
    scan.sendScan(std::to_string(base + 2));
    FleetSeen seen;
    for (const Datagram& d : scan.collect(nodes, waitMs)) {
        std::uint16_t command = 0;
        pugi::xml_document doc;
        if (!parseDatagram(d.bytes, command, doc) || command != kScanAnswer)
            continue;
        const pugi::xml_node node = doc.child("Cmd").child("Node");
        NodeSeen& entry = seen[d.sender];
        entry.name = node.child_value("name");
        for (const pugi::xml_node enclosure : node.child("EnclosureList").children("Enclosure"))
            entry.enclosures.push_back(enclosure.child_value("enc_serial"));
        for (const pugi::xml_node board : node.child("BoardList").children("Board"))
            entry.boards.push_back(std::string(board.child_value("board_serial")) + " " +
                                   board.child_value("board_firmware"));
    }
    return seen;
}

FleetSeen runFleet(const std::vector<std::string>& options, std::size_t nodes)
{
    NodeSimProcess sim;
    if (!sim.start("127.0.4.254", options)) {
        ADD_FAILURE() << sim.output();
        return {};
    }
    FleetSeen seen = scanFleet(sim.basePort(), nodes);
    EXPECT_EQ(sim.stop(), 0) << sim.output();
    return seen;
}

std::string hardwareFile(const std::vector<std::string>& serials)
{
    std::ostringstream out;
    out << "<SimulatedHardware><SimulatedEnclosures><ID0><Model>QORINet QN-N6</Model><SerialNumber>00EE"
        << serials.front() << "</SerialNumber><UserData/><EncType>4</EncType><EncVersion>3</EncVersion></ID0>"
        << "</SimulatedEnclosures><SimulatedBoards>";
    for (std::size_t i = 0; i < serials.size(); ++i) {
        out << "<ID" << i << "><Model>QD-5032</Model><EncNumber>0</EncNumber><SlotNumber>" << i + 2
            << "</SlotNumber><FWRevision>0394</FWRevision><SerialNumber>" << serials[i] << "</SerialNumber></ID" << i
            << ">";
    }
    out << "</SimulatedBoards></SimulatedHardware>";
    return out.str();
}

/// The node processes of fleet process `parent`.
std::vector<pid_t> childrenOf(pid_t parent)
{
    std::ifstream list("/proc/" + std::to_string(parent) + "/task/" + std::to_string(parent) + "/children");
    std::vector<pid_t> pids;
    for (pid_t pid = 0; list >> pid;)
        pids.push_back(pid);
    return pids;
}

bool gone(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string skip;
    char state = 'Z';
    stat >> skip >> skip >> state;
    return !stat || state == 'Z';
}

TEST(NodeSimFleetTest, NodesHaveBoardsOfTheirOwnThatFollowTheSeed)
{
    const FleetSeen first = runFleet({"--fleet", "3", "--seed", "11"}, 3);
    ASSERT_EQ(first.size(), 3u);
    // Host numbers .255 and .0 are skipped as in a fleet of one process.
    EXPECT_EQ(first.count("127.0.4.254") + first.count("127.0.5.1") + first.count("127.0.5.2"), 3u);
    EXPECT_EQ(first.at("127.0.5.2").name, "Fleet-003");
    std::set<std::string> serials;
    std::size_t boards = 0;
    for (const auto& [address, node] : first) {
        EXPECT_FALSE(node.boards.empty()) << address;
        boards += node.boards.size() + node.enclosures.size();
        serials.insert(node.boards.begin(), node.boards.end());
        serials.insert(node.enclosures.begin(), node.enclosures.end());
    }
    EXPECT_EQ(serials.size(), boards) << "no serial number twice in the fleet";

    // The simulated boards of the configuration are the same as those of the hardware files.
    EXPECT_EQ(runFleet({"--fleet", "3", "--seed", "11", "--simulation"}, 3), first);
    const FleetSeen other = runFleet({"--fleet", "3", "--seed", "12"}, 3);
    ASSERT_EQ(other.size(), 3u);
    EXPECT_NE(other.at("127.0.4.254").boards, first.at("127.0.4.254").boards);
}

TEST(NodeSimFleetTest, FleetDirFollowsABoardMovedBetweenFiles)
{
    ScratchFolder folder("z2e-fleetdir");
    writeFile(folder / "a.xml", hardwareFile({"0000A001", "0000A002"}));
    writeFile(folder / "b.xml", hardwareFile({"0000B001"}));
    writeFile(folder / "notes.txt", "not a node");
    FleetSeen seen = runFleet({"--fleet-dir", folder.path()}, 2);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen["127.0.4.254"].boards, (std::vector<std::string>{"0000A001 0394", "0000A002 0394"}));
    EXPECT_EQ(seen["127.0.5.1"].boards, (std::vector<std::string>{"0000B001 0394"}));

    writeFile(folder / "a.xml", hardwareFile({"0000A001"}));
    writeFile(folder / "b.xml", hardwareFile({"0000B001", "0000A002"}));
    seen = runFleet({"--fleet-dir", folder.path()}, 2);
    EXPECT_EQ(seen["127.0.4.254"].boards, (std::vector<std::string>{"0000A001 0394"}));
    EXPECT_EQ(seen["127.0.5.1"].boards, (std::vector<std::string>{"0000B001 0394", "0000A002 0394"}));
}

TEST(NodeSimFleetTest, ANodeThatDiesIsReportedAndTheOthersGoOn)
{
    NodeSimProcess sim;
    ASSERT_TRUE(sim.start("127.0.4.254", {"--fleet", "2"})) << sim.output();
    EXPECT_NE(sim.output().find("node 1 127.0.5.1 " + std::to_string(sim.basePort()) + " Fleet-002\n"),
              std::string::npos)
        << "numbered by the fleet: " << sim.output();
    std::vector<pid_t> nodes = childrenOf(sim.pid());
    ASSERT_EQ(nodes.size(), 2u);
    ::kill(nodes[0], SIGKILL);
    EXPECT_TRUE(eventually([&] { return sim.output().find("ended early") != std::string::npos; }, 5s));
    EXPECT_NE(sim.output().find("Fleet-00"), std::string::npos) << "the report names the node";
    EXPECT_EQ(scanFleet(sim.basePort(), 2, 1000).size(), 1u);
    EXPECT_EQ(sim.stop(), 1) << "a node was lost";
    EXPECT_TRUE(gone(nodes[1]));

    // Nodes die with the fleet process, however it ends.
    NodeSimProcess killed;
    ASSERT_TRUE(killed.start("127.0.4.254", {"--fleet", "2"})) << killed.output();
    nodes = childrenOf(killed.pid());
    ASSERT_EQ(nodes.size(), 2u);
    killed.signal(SIGKILL);
    EXPECT_TRUE(eventually([&] { return gone(nodes[0]) && gone(nodes[1]); }, 5s));
}

TEST(NodeSimFleetTest, OptionsThatDoNotMakeAFleetAreRefusedInWords)
{
    ScratchFolder empty("z2e-fleetdir");
    ScratchFolder full("z2e-fleetdir");
    writeFile(full / "a.xml", hardwareFile({"0000A001"}));
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--fleet", "0"}, "bad value for --fleet"},
        {{"--fleet", "1025"}, "bad value for --fleet"},
        {{"--seed", "3"}, "--seed goes with --fleet"},
        {{"--fleet", "2", "--seed", "-1"}, "bad value for --seed"},
        {{"--fleet", "2", "--nodes", "2"}, "--nodes"},
        {{"--fleet", "2", "--fleet-dir", full.path()}, "exclude each other"},
        {{"--fleet", "2", "--hardware", full / "a.xml"}, "a fleet gives every node its own"},
        {{"--fleet-dir", full.path(), "--simulation"}, "leave it out with --fleet-dir"},
        {{"--fleet-dir", empty.path()}, "no hardware files"},
        {{"--fleet-dir", empty / "missing"}, "cannot read the folder"},
        {{"--fleet", "2", "--bind", "192.0.2.1"}, "outside the allowed networks"},
    };
    for (const auto& [args, words] : cases) {
        const ProcessResult run = runProcess(besideMe("qorinet-node-sim"), args, {}, 10s);
        EXPECT_EQ(run.exitCode, 2) << args.front() << " " << args.back() << ": " << run.err;
        EXPECT_NE(run.err.find(words), std::string::npos) << run.err;
        EXPECT_EQ(run.out.find("ready"), std::string::npos);
    }
}

} // namespace
} // namespace z2e::test
