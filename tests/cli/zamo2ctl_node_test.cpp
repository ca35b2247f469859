// zamo2ctl's network commands end to end: the program as a child process against two node
// simulators on loopback, all on one free base port.

#include "cli_run.h"

#include "support/net.h"
#include "support/node_sim.h"
#include "support/site.h"

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace {

using z2e::test::freeClientBasePort;
using z2e::test::NodeSimProcess;
using z2e::test::ProcessResult;
using z2e::test::SimSite;

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
    static std::string port() { return std::to_string(s_bench->port); }

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
    EXPECT_NE(out.find("\"name\":\"Bench-North\",\"address\":\"127.0.0.2\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"name\":\"Bench-South\",\"address\":\"127.0.0.3\""), std::string::npos) << out;
    // Both answered a scan; only the south one runs simulated boards; each lists its four boards.
    EXPECT_EQ(occurrences(out, "\"scanState\":5"), 2u) << out;
    EXPECT_NE(nodeObject(kNorth).find("\"simulation\":false"), std::string::npos) << out;
    EXPECT_NE(nodeObject(kSouth).find("\"simulation\":true"), std::string::npos) << out;
    EXPECT_EQ(occurrences(out, "\"boardCount\":4"), 2u) << out;
    EXPECT_FALSE(firstSerialOf(kNorth).empty());
    EXPECT_NE(firstSerialOf(kNorth), firstSerialOf(kSouth));
}

TEST_F(Zamo2ctlNodes, SaysSoWhenNoNodeAnswers)
{
    // A base port no simulator listens on.
    const std::uint16_t empty = freeClientBasePort({});
    const ProcessResult run = zamo2ctl({"nodes", "--base-port", std::to_string(empty), "--scan-ms", "600"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("no network nodes found within 600 ms"), std::string::npos) << run.out;
}

TEST_F(Zamo2ctlNodes, TreeOfANodeShowsItsBoardsAndInformation)
{
    const ProcessResult run = zamo2ctl({"tree", "--node", kSouth, "--base-port", port()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* row :
         {"Remote System", "Enclosure 0:   QORINet QN-N6", "Slot 2:   QA-4016", "Slot 3:   QN-6222-COMBO",
          "Slot 4:   QC-3108-TS", "Slot 5:   QD-5032", "Slot 7:   Empty", "Node Name:   Bench-South",
          "IP Address:   127.0.0.3", "Access State:   Free", "BaseBoard:   ", "degC"})
        EXPECT_NE(run.out.find(row), std::string::npos) << row << "\n" << run.out;
    EXPECT_NE(run.out.find("SerialNumber:   " + firstSerialOf(kSouth)), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(firstSerialOf(kNorth)), std::string::npos) << run.out;
    // The link is up: no rows explaining a broken one.
    EXPECT_EQ(run.out.find("Communication problem"), std::string::npos) << run.out;
}

TEST_F(Zamo2ctlNodes, RawCommandsGoToTheNode)
{
    const ProcessResult count = zamo2ctl({"get", "--node", kNorth, "--base-port", port(), "System", "EnclosureCount"});
    ASSERT_EQ(count.exitCode, 0) << count.err;
    EXPECT_EQ(count.out, "1\n");
    EXPECT_NE(count.err.find("result: 0"), std::string::npos) << count.err;

    // The board document of the node at that address, not of any other board set.
    const ProcessResult board =
        zamo2ctl({"get", "--node", kNorth, "--base-port", port(), "BoardID0", "BoardProperties"});
    ASSERT_EQ(board.exitCode, 0) << board.err;
    EXPECT_NE(board.out.find(firstSerialOf(kNorth)), std::string::npos) << board.out;
    EXPECT_EQ(board.out.find(firstSerialOf(kSouth)), std::string::npos) << board.out;

    // A board the node does not have is refused with the node's result.
    const ProcessResult refused =
        zamo2ctl({"set-i32", "--json", "--node", kNorth, "--base-port", port(), "9", "1", "1"});
    EXPECT_EQ(refused.exitCode, 63) << refused.err;
    EXPECT_NE(refused.out.find("\"result\":256"), std::string::npos) << refused.out;
}

TEST_F(Zamo2ctlNodes, AbsentNodeFailsClearlyWithinTheWait)
{
    for (const char* command : {"tree", "get"}) {
        std::vector<std::string> args = {command, "--node", "127.0.0.77", "--base-port", port(), "--scan-ms", "800"};
        if (std::string(command) == "get")
            args.insert(args.end(), {"System", "EnclosureCount"});
        const ProcessResult run = zamo2ctl(args);
        EXPECT_EQ(run.exitCode, 69) << command;
        EXPECT_NE(run.err.find("no network node at 127.0.0.77 appeared within 800 ms"), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        // Bounded: far below the 30 s after which the helper kills it.
        EXPECT_LT(run.elapsed.count(), 15000) << command;
    }
}

// A node that only ever sends heartbeats: the request ends within --timeout and says so.
TEST(Zamo2ctlNodeTimeout, HeartbeatsForeverEndWithinTheTimeout)
{
    const std::string address = "127.0.0.26";
    const std::uint16_t port = freeClientBasePort({address});
    NodeSimProcess sim;
    ASSERT_TRUE(sim.start(address, {"--fault", "heartbeats-only", "--heartbeat-ms", "100"}, port)) << sim.output();
    const ProcessResult run = zamo2ctl({"--timeout", "4", "get", "--node", address, "--base-port", std::to_string(port),
                                        "BoardID0", "boardproperties"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.err.find("700008"), std::string::npos) << run.err;
    EXPECT_LT(run.elapsed.count(), 20000);
}

// A name of hundreds of characters stays whole in JSON and is cut in the table.
TEST(Zamo2ctlNodeNames, LongNamesAreCutInTheTableOnly)
{
    const std::string address = "127.0.0.27";
    const std::string name = "Rig-" + std::string(200, 'x');
    const std::uint16_t port = freeClientBasePort({address});
    NodeSimProcess sim;
    ASSERT_TRUE(sim.start(address, {"--name", name}, port)) << sim.output();
    const Args scan = {"nodes", "--base-port", std::to_string(port), "--scan-ms", "1500"};
    const ProcessResult table = zamo2ctl(scan);
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_NE(table.out.find("Rig-" + std::string(33, 'x') + "..."), std::string::npos) << table.out;
    EXPECT_EQ(table.out.find(name), std::string::npos);
    Args json = scan;
    json.push_back("--json");
    const ProcessResult listed = zamo2ctl(json);
    EXPECT_NE(listed.out.find("\"name\":\"" + name + "\""), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("\"listFull\":false"), std::string::npos);
}

// Each way a node fails to answer has its own words, in the tree's rows and on stderr, and the
// versions it never told are not called a mismatch.
TEST(Zamo2ctlNodeFailures, EachFaultIsNamedInWords)
{
    const struct {
        const char* fault;
        const char* words;
    } cases[] = {
        {"never-answer", "no answer within 1 s (700008)"},
        {"wrong-digest", "answer damaged (digest mismatch) (700019)"},
        {"close-mid-frame", "connection closed by the node (700015)"},
    };
    const std::string address = "127.0.0.28";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        const std::uint16_t port = freeClientBasePort({address});
        NodeSimProcess sim;
        ASSERT_TRUE(sim.start(address, {"--fault", c.fault}, port)) << sim.output();
        const ProcessResult run = zamo2ctl({"tree", "--node", address, "--base-port", std::to_string(port)});
        EXPECT_EQ(run.exitCode, 69);
        EXPECT_NE(run.err.find(std::string("could not be read: ") + c.words), std::string::npos) << run.err;
        EXPECT_NE(run.out.find(std::string("Failure:   ") + c.words), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("version mismatch"), std::string::npos) << run.out;
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

    ProcessResult run(const Args& args) const { return zamo2ctl(args, m_site.environment()); }
    ProcessResult onNode(Args args) const
    {
        args.insert(args.end(), {"--node", kNode, "--base-port", std::to_string(m_port)});
        return run(args);
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
    const ProcessResult local = run({"tree", "--system", "local"});
    ASSERT_EQ(local.exitCode, 0) << local.err;
    const ProcessResult remote = onNode({"tree"});
    ASSERT_EQ(remote.exitCode, 0) << remote.err;

    const std::set<std::string> here = slotPlaces(local.out);
    EXPECT_TRUE(here.count("QE-R16 / Slot 3: QA-4116-STRAIN")) << local.out;
    EXPECT_TRUE(here.count("QE-R16 / Slot 17: Empty")) << local.out;
    EXPECT_EQ(slotPlaces(remote.out), here) << local.out << "\n" << remote.out;
}

// demo import-node copies the node's enclosures and boards into the demo system, as the window's
// "Use Selected System as Demo" does with a node shown, and saves the configuration: the copy of
// the node is the copy import-local makes of the same hardware here.
TEST_F(Zamo2ctlSameHardware, DemoImportNodeCopiesTheNodeAsImportLocalCopiesThisComputer)
{
    EXPECT_EQ(run({"demo", "import-node"}).exitCode, 64);
    EXPECT_EQ(onNode({"demo", "import-local"}).exitCode, 64);
    const std::string before = z2e::test::readFile(m_site.configFile());

    const ProcessResult imported = onNode({"demo", "import-node", "--json"});
    ASSERT_EQ(imported.exitCode, 0) << imported.out << imported.err;
    EXPECT_NE(imported.out.find("\"done\":\"node 127.0.0.4: 3 enclosure(s), 8 board(s)\""), std::string::npos)
        << imported.out;
    EXPECT_NE(z2e::test::readFile(m_site.configFile()), before);
    const ProcessResult fromNode = run({"tree", "--system", "demo"});
    ASSERT_EQ(fromNode.exitCode, 0) << fromNode.err;

    ASSERT_EQ(run({"demo", "import-local"}).exitCode, 0);
    const ProcessResult fromHere = run({"tree", "--system", "demo"});
    std::string node = fromNode.out;
    ASSERT_NE(node.find("00B1F116"), std::string::npos) << node;
    for (std::size_t at = node.find("00B1F116"); at != std::string::npos; at = node.find("00B1F116", at))
        node.replace(at, 8, "00B1E116");
    EXPECT_EQ(node, fromHere.out);
    EXPECT_NE(fromNode.out.find("Slot 3:   QA-4116-STRAIN"), std::string::npos) << fromNode.out;
}

} // namespace
