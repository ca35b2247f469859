// zamo2ctl's node actions against a node simulator of their own on loopback: what the node
// takes, and what is refused before anything is sent.

#include "support/net.h"
#include "support/node_sim.h"
#include "support/zamo2ctl_run.h"

#include <gtest/gtest.h>

namespace {

using z2e::test::ctl;
using z2e::test::expectRun;
using z2e::test::holds;
using z2e::test::NodeSimProcess;
using z2e::test::ProcessResult;

const char* const kAddress = "127.0.0.4";

class Zamo2ctlNodeActions : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(m_port, 0);
        ASSERT_TRUE(m_node.start(kAddress, {"--name", "Bench-North", "--log", m_log}, m_port)) << m_node.output();
    }

    std::string node() const
    {
        return "--node " + std::string(kAddress) + " --base-port " + std::to_string(m_port) + " ";
    }
    /// `line` on the node ends with `status` and says `says` (as expectRun).
    ProcessResult onNode(int status, const std::string& line, const std::string& says = {}) const
    {
        return expectRun(status, node() + line, says);
    }

    std::string nodeList() const { return ctl("nodes --scan-ms 1500 --base-port " + std::to_string(m_port)).out; }

    /// Whether the simulator logged that it received the maintenance command `code` ("0x12aa").
    bool received(const std::string& code) const
    {
        return z2e::test::readFile(m_log).find("maintenance command " + code) != std::string::npos;
    }

    std::uint16_t m_port = z2e::test::freeClientBasePort({kAddress});
    z2e::test::ScratchFolder m_folder;
    std::string m_log = m_folder / "node.log";
    NodeSimProcess m_node;
};

TEST_F(Zamo2ctlNodeActions, RenameTakesEighteenPrintableCharactersAndNodesListsTheNewName)
{
    onNode(65, "node rename Bench-East-12345678 --yes", "Node name too long.  Max. 18 characters allowed.");
    onNode(65, "node rename Bench\x1b[2J");
    // Not on a terminal, only --yes answers the question.
    onNode(65, "node rename Bench-East", "Rename Net Node?");
    EXPECT_TRUE(holds(nodeList(), "Bench-North"));

    onNode(0, "node rename Bench-East --yes");
    const std::string listed = nodeList();
    EXPECT_TRUE(holds(listed, "Bench-East"));
    EXPECT_EQ(listed.find("Bench-North"), std::string::npos) << listed;
}

TEST_F(Zamo2ctlNodeActions, IpSettingsAreCheckedFirstAndTheTreeShowsTheModeTheNodeTook)
{
    for (const std::string bad : {"256.1.1.1", "1.2.3", "fe80::1"})
        onNode(65, "node ip --mode static --ip-version 4 --yes --address " + bad, "-> Please check the IP Address!!");
    onNode(64, "node ip --mode auto --ip-version 4");
    EXPECT_TRUE(holds(ctl(node() + "node ip --mode static --ip-version 4").out, "nothing was sent"));

    onNode(0, "node ip --mode dhcp --ip-version 4 --yes");
    const std::string tree = onNode(0, "tree", "IP Mode:   DHCP").out;
    EXPECT_TRUE(holds(tree, "IP Address:   127.0.0.4"));

    // The simulator has no IPv6: the node's refusal comes back in the failure box's form, with
    // its words after it.
    const ProcessResult ipv6 = ctl(node() + "node ip --mode dhcp --ip-version 6 --yes");
    EXPECT_NE(ipv6.exitCode, 0);
    EXPECT_TRUE(holds(ipv6.err, "Net Node IP Settings Failed.  [Unknown error encountered! Error code 700012.]    "
                                " the node does not offer this (700012)"));
}

TEST_F(Zamo2ctlNodeActions, RestartServerAndRebootSendTheirOwnCommands)
{
    expectRun(64, "node restart-server --yes");
    onNode(0, "node restart-server --yes", "restarts its server");
    EXPECT_TRUE(received("0x11aa"));
    EXPECT_FALSE(received("0x12aa"));
    onNode(0, "node reboot --yes", "reboots");
    EXPECT_TRUE(received("0x12aa"));
}

} // namespace
