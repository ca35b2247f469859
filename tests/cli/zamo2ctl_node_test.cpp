// zamo2ctl's network commands end to end: the program as a child process against two node
// simulators on loopback, all on one free base port.

#include "support/net.h"
#include "support/node_sim.h"
#include "support/site.h"
#include "support/zamo2ctl_run.h"

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace {

using z2e::test::Args;
using z2e::test::ctl;
using z2e::test::expectRun;
using z2e::test::freeClientBasePort;
using z2e::test::holds;
using z2e::test::NodeSimProcess;
using z2e::test::occurrences;
using z2e::test::ProcessResult;
using z2e::test::SimSite;
using z2e::test::zamo2ctl;

const char* const kNorth = "127.0.0.2";
const char* const kSouth = "127.0.0.3";

// The two simulators and their node list, made once for all tests of the suite.
struct Bench {
    std::uint16_t port = freeClientBasePort({kNorth, kSouth});
    NodeSimProcess north, south;
    bool started = north.start(kNorth, {"--name", "Bench-North"}, port) &&
                   south.start(kSouth, {"--name", "Bench-South", "--simulation"}, port);
    ProcessResult nodes = zamo2ctl({"nodes", "--json", "--base-port", std::to_string(port), "--scan-ms", "2000"});
};

class Zamo2ctlNodes : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_bench = std::make_unique<Bench>(); }
    static void TearDownTestSuite() { s_bench.reset(); }
    void SetUp() override { ASSERT_TRUE(s_bench->started) << s_bench->north.output() << s_bench->south.output(); }

    static const ProcessResult& nodeList() { return s_bench->nodes; }
    /// " --base-port PORT" of the bench.
    static std::string port() { return " --base-port " + std::to_string(s_bench->port); }

    /// The JSON object of the node at `address` in the node list; empty when it is not listed.
    static std::string nodeObject(const std::string& address)
    {
        const std::string& out = nodeList().out;
        const std::size_t at = out.find("\"address\":\"" + address + "\"");
        if (at == std::string::npos)
            return {};
        const std::size_t begin = out.rfind("{\"id\":", at);
        const std::size_t end = out.find("]}", at);
        return begin == std::string::npos || end == std::string::npos ? std::string() : out.substr(begin, end - begin);
    }

    /// The first board serial the node at `address` reported in the node list.
    static std::string firstSerialOf(const std::string& address)
    {
        const std::string node = nodeObject(address);
        const std::string key = "\"serial\":\"";
        const std::size_t at = node.find(key);
        if (at == std::string::npos)
            return {};
        const std::size_t begin = at + key.size();
        return node.substr(begin, node.find('"', begin) - begin);
    }

    static std::unique_ptr<Bench> s_bench;
};

std::unique_ptr<Bench> Zamo2ctlNodes::s_bench;

TEST_F(Zamo2ctlNodes, ListsExactlyTheTwoSimulatorsWithTheirNamesAndAddresses)
{
    ASSERT_EQ(nodeList().exitCode, 0) << nodeList().err;
    const std::string& out = nodeList().out;
    EXPECT_EQ(occurrences(out, "\"id\":"), 2u) << out;
    EXPECT_TRUE(holds(out, "\"name\":\"Bench-North\",\"address\":\"127.0.0.2\""));
    EXPECT_TRUE(holds(out, "\"name\":\"Bench-South\",\"address\":\"127.0.0.3\""));
    // Both answered a scan; only the south one runs simulated boards; each lists its four boards.
    EXPECT_EQ(occurrences(out, "\"scanState\":5"), 2u) << out;
    EXPECT_TRUE(holds(nodeObject(kNorth), "\"simulation\":false"));
    EXPECT_TRUE(holds(nodeObject(kSouth), "\"simulation\":true"));
    EXPECT_EQ(occurrences(out, "\"boardCount\":4"), 2u) << out;
    EXPECT_FALSE(firstSerialOf(kNorth).empty());
    EXPECT_NE(firstSerialOf(kNorth), firstSerialOf(kSouth));
    // A base port no simulator listens on.
    expectRun(0, "nodes --scan-ms 600 --base-port " + std::to_string(freeClientBasePort({})),
              "no network nodes found within 600 ms");
}

TEST_F(Zamo2ctlNodes, TreeOfANodeShowsItsBoardsAndInformation)
{
    const std::string tree = expectRun(0, std::string("tree --node ") + kSouth + port()).out;
    for (const char* row :
         {"Remote System", "Enclosure 0:   QORINet QN-N6", "Slot 2:   QA-4016", "Slot 3:   QN-6222-COMBO",
          "Slot 4:   QC-3108-TS", "Slot 5:   QD-5032", "Slot 7:   Empty", "Node Name:   Bench-South",
          "IP Address:   127.0.0.3", "Access State:   Free", "BaseBoard:   ", "degC"})
        EXPECT_TRUE(holds(tree, row));
    EXPECT_TRUE(holds(tree, "SerialNumber:   " + firstSerialOf(kSouth)));
    EXPECT_EQ(tree.find(firstSerialOf(kNorth)), std::string::npos) << tree;
    // The link is up: no rows explaining a broken one.
    EXPECT_EQ(tree.find("Communication problem"), std::string::npos) << tree;
}

TEST_F(Zamo2ctlNodes, RawCommandsGoToTheNode)
{
    const std::string north = std::string(" --node ") + kNorth + port();
    const ProcessResult count = expectRun(0, "get System EnclosureCount" + north);
    EXPECT_EQ(count.out, "1\n");
    EXPECT_TRUE(holds(count.err, "result: 0"));

    // The board document of the node at that address, not of any other board set.
    const std::string board = expectRun(0, "get BoardID0 BoardProperties" + north, firstSerialOf(kNorth)).out;
    EXPECT_EQ(board.find(firstSerialOf(kSouth)), std::string::npos) << board;

    // A board the node does not have is refused with the node's result.
    EXPECT_TRUE(holds(expectRun(63, "set-i32 --json 9 1 1" + north).out, "\"result\":256"));
}

TEST_F(Zamo2ctlNodes, AbsentNodeFailsClearlyWithinTheWait)
{
    for (const char* command : {"tree", "get System EnclosureCount"}) {
        const ProcessResult run = expectRun(69, std::string(command) + " --node 127.0.0.77 --scan-ms 800" + port(),
                                            "no network node at 127.0.0.77 appeared within 800 ms");
        EXPECT_TRUE(run.out.empty()) << run.out;
        // Bounded: far below the 30 s after which the helper kills it.
        EXPECT_LT(run.elapsed.count(), 15000) << command;
    }
}

// A simulator of its own at `address` with `options`; its " --node ADDRESS --base-port PORT",
// or "" when it did not start.
std::string startSim(NodeSimProcess& sim, const std::string& address, const Args& options)
{
    const std::uint16_t port = freeClientBasePort({address});
    return sim.start(address, options, port) ? " --node " + address + " --base-port " + std::to_string(port) : "";
}

// A node that only ever sends heartbeats: the request ends within --timeout and says so.
TEST(Zamo2ctlNodeTimeout, HeartbeatsForeverEndWithinTheTimeout)
{
    NodeSimProcess sim;
    const std::string node = startSim(sim, "127.0.0.26", {"--fault", "heartbeats-only", "--heartbeat-ms", "100"});
    ASSERT_FALSE(node.empty()) << sim.output();
    const ProcessResult run = ctl("--timeout 4 get BoardID0 boardproperties" + node);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(holds(run.err, "700007 the node kept saying it was busy but never answered; its server may be stuck"))
        << run.err;
    EXPECT_LT(run.elapsed.count(), 20000);
}

// A name of hundreds of characters stays whole in JSON and is cut in the table.
TEST(Zamo2ctlNodeNames, LongNamesAreCutInTheTableOnly)
{
    const std::string name = "Rig-" + std::string(200, 'x');
    NodeSimProcess sim;
    const std::string node = startSim(sim, "127.0.0.27", {"--name", name});
    ASSERT_FALSE(node.empty()) << sim.output();
    const std::string scan = "nodes --scan-ms 1500" + node.substr(node.find(" --base-port"));
    const std::string table = expectRun(0, scan, "Rig-" + std::string(33, 'x') + "...").out;
    EXPECT_EQ(table.find(name), std::string::npos);
    const std::string listed = expectRun(0, scan + " --json", "\"name\":\"" + name + "\"").out;
    EXPECT_TRUE(holds(listed, "\"listFull\":false"));
}

// Each way a node fails to answer has its own words and next step, in the tree's rows and on
// stderr, from every command; and the versions it never told are not called a mismatch.
TEST(Zamo2ctlNodeFailures, EachFaultIsNamedInWords)
{
    const struct {
        const char* fault;
        const char* words;
        const char* next;
    } cases[] = {
        {"never-answer", "no answer within 1 s (700008)", "; check that the node is on and reachable"},
        {"wrong-digest", "answer damaged (digest mismatch) (700019)", "; the link or the node's server damages"},
        {"close-mid-frame", "answer cut short or malformed, connection closed (700015)",
         "; check the node's network cable"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        NodeSimProcess sim;
        const std::string node = startSim(sim, "127.0.0.28", {"--fault", c.fault});
        ASSERT_FALSE(node.empty()) << sim.output();
        const ProcessResult run = expectRun(69, "tree" + node, std::string("could not be read: ") + c.words + c.next);
        EXPECT_TRUE(holds(run.out, std::string("Failure:   ") + c.words));
        EXPECT_EQ(run.out.find("version mismatch"), std::string::npos) << run.out;
        // The code in front, as scripts read it, then the same words.
        const std::string words(c.words);
        const std::string code = words.substr(words.size() - 7, 6);
        expectRun(63, "get driver/api version" + node,
                  "result: " + code + " " + words.substr(0, words.size() - 9) + c.next);
        expectRun(65, "firmware check --board 0/2" + node, std::string("could not be read: ") + c.words + c.next);
        const ProcessResult check = expectRun(65, "firmware check --board 1" + node, "");
        // The failure behind the status the command layer maps it to, with its code.
        EXPECT_TRUE(holds(check.out, "not checked: the board's firmware could not be checked: "));
        EXPECT_TRUE(holds(check.out, " (7000"));
        const std::string tested = expectRun(65, "selftest --board 1" + node, "").out;
        EXPECT_TRUE(holds(tested, "board 1:  UNKNOWN\n  no result: ")); // nothing known but its index
    }
}

// A node names itself: the control characters of its name never reach the terminal, in any
// command that prints it.
TEST(Zamo2ctlNodeNames, ControlCharactersNeverReachTheTerminal)
{
    NodeSimProcess sim;
    const std::string node = startSim(sim, "127.0.0.39",
                                      {"--name", "Rig\x1b[2J\xc2\x9b"
                                                 "K"});
    ASSERT_FALSE(node.empty()) << sim.output();
    const std::string port = node.substr(node.find(" --base-port"));
    // The nodes that did answer a name asked for.
    for (const std::string& command : {"fleet --scan-ms 1500" + port, "doctor --scan-ms 1500" + node,
                                       "firmware check --all-nodes --scan-ms 1500" + port,
                                       "nodes --scan-ms 1500" + port, "tree --scan-ms 1500 --node nameless" + port}) {
        SCOPED_TRACE(command);
        const ProcessResult run = ctl(command);
        EXPECT_TRUE(holds(run.out + run.err, "Rig?[2J?K")) << run.out;
        EXPECT_EQ((run.out + run.err).find('\x1b'), std::string::npos);
        EXPECT_EQ((run.out + run.err).find("\xc2\x9b"), std::string::npos);
    }
}

// "ENCLOSURE / Slot N: BOARD" for every slot row of a printed tree: the enclosure's name and
// the first word of what the slot holds ("Empty" for none).
std::set<std::string> slotPlaces(const std::string& tree)
{
    std::set<std::string> places;
    std::string enclosure;
    std::istringstream lines(tree);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t start = line.find_first_not_of("! ");
        if (start == std::string::npos)
            continue;
        const std::string row = line.substr(start);
        const std::size_t value = row.find(":   ");
        if (value == std::string::npos)
            continue;
        const std::string word = row.substr(value + 4, row.find(' ', value + 4) - value - 4);
        if (row.rfind("Enclosure ", 0) == 0)
            enclosure = row.substr(value + 4);
        else if (row.rfind("Slot ", 0) == 0 && row.size() > 5 && std::isdigit(static_cast<unsigned char>(row[5])))
            places.insert(enclosure + " / " + row.substr(0, value) + ": " + word);
    }
    return places;
}

// This computer with the example hardware, and a node simulator on loopback running the same
// hardware, but for the serial number of one enclosure (so that a copy tells where it came from).
class Zamo2ctlSameHardware : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string hardware = z2e::test::readFile(z2e::test::simExamplesDir() + "/hardware.xml");
        const std::size_t serial = hardware.find(kLocalSerial);
        ASSERT_NE(serial, std::string::npos);
        z2e::test::writeFile(m_hardware, hardware.replace(serial, std::string(kLocalSerial).size(), kNodeSerial));
        ASSERT_TRUE(m_node.start(kNode, {"--hardware", m_hardware}, m_port)) << m_node.output();
    }

    ProcessResult run(int status, const std::string& line, const std::string& says = {}) const
    {
        return expectRun(status, line, says, m_site.environment());
    }
    ProcessResult onNode(int status, const std::string& line, const std::string& says = {}) const
    {
        return run(status, line + " --node " + kNode + " --base-port " + std::to_string(m_port), says);
    }

    static constexpr const char* kNode = "127.0.0.4";
    static constexpr const char* kLocalSerial = "<SerialNumber>00B1E116</SerialNumber>";
    static constexpr const char* kNodeSerial = "<SerialNumber>00B1F116</SerialNumber>";
    SimSite m_site;
    const std::string m_hardware = m_site / "hardware.xml";
    const std::uint16_t m_port = freeClientBasePort({kNode});
    NodeSimProcess m_node;
};

// The same enclosure models are shown with the same slot numbers here and on the node.
TEST_F(Zamo2ctlSameHardware, ANodeNumbersTheSlotsOfAnEnclosureModelAsThisComputerDoes)
{
    const std::string local = run(0, "tree --system local").out;
    const std::set<std::string> here = slotPlaces(local);
    EXPECT_TRUE(here.count("QE-R16 / Slot 3: QA-4116-STRAIN")) << local;
    EXPECT_TRUE(here.count("QE-R16 / Slot 17: Empty")) << local;
    EXPECT_EQ(slotPlaces(onNode(0, "tree").out), here) << local;
}

// demo import-node copies the node's enclosures and boards into the demo system, as the window's
// "Use Selected System as Demo" does with a node shown, and saves the configuration: the copy of
// the node is the copy import-local makes of the same hardware here.
TEST_F(Zamo2ctlSameHardware, DemoImportNodeCopiesTheNodeAsImportLocalCopiesThisComputer)
{
    run(64, "demo import-node");
    onNode(64, "demo import-local");
    const std::string before = z2e::test::readFile(m_site.configFile());
    onNode(0, "demo import-node --json", "\"done\":\"node 127.0.0.4: 3 enclosure(s), 8 board(s)\"");
    EXPECT_NE(z2e::test::readFile(m_site.configFile()), before);
    std::string node = run(0, "tree --system demo", "Slot 3:   QA-4116-STRAIN").out;

    run(0, "demo import-local");
    ASSERT_TRUE(holds(node, "00B1F116"));
    for (std::size_t at = node.find("00B1F116"); at != std::string::npos; at = node.find("00B1F116", at))
        node.replace(at, 8, "00B1E116");
    EXPECT_EQ(node, run(0, "tree --system demo").out);
}

} // namespace
