// zamo2ctl's node actions against a node simulator of their own on loopback: what the node
// takes, and what is refused before anything is sent.

#include "cli_run.h"

#include "support/net.h"
#include "support/node_sim.h"

#include <gtest/gtest.h>

namespace {

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

    ProcessResult onNode(Args args) const
    {
        args.insert(args.begin(), {"--node", kAddress, "--base-port", std::to_string(m_port)});
        return zamo2ctl(args);
    }

    std::string nodeList() const
    {
        return zamo2ctl({"nodes", "--base-port", std::to_string(m_port), "--scan-ms", "1500"}).out;
    }

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
    const ProcessResult tooLong = onNode({"node", "rename", "Bench-East-12345678", "--yes"});
    EXPECT_EQ(tooLong.exitCode, 65);
    EXPECT_NE(tooLong.err.find("Node name too long.  Max. 18 characters allowed."), std::string::npos) << tooLong.err;
    EXPECT_EQ(onNode({"node", "rename", "Bench\x1b[2J"}).exitCode, 65);
    // Not on a terminal, only --yes answers the question.
    const ProcessResult unasked = onNode({"node", "rename", "Bench-East"});
    EXPECT_EQ(unasked.exitCode, 65);
    EXPECT_NE(unasked.err.find("Rename Net Node?"), std::string::npos) << unasked.err;
    EXPECT_NE(nodeList().find("Bench-North"), std::string::npos);

    const ProcessResult renamed = onNode({"node", "rename", "Bench-East", "--yes"});
    ASSERT_EQ(renamed.exitCode, 0) << renamed.err;
    const std::string listed = nodeList();
    EXPECT_NE(listed.find("Bench-East"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("Bench-North"), std::string::npos) << listed;
}

TEST_F(Zamo2ctlNodeActions, IpSettingsAreCheckedFirstAndTheTreeShowsTheModeTheNodeTook)
{
    for (const char* bad : {"256.1.1.1", "1.2.3", "fe80::1"}) {
        const ProcessResult refused =
            onNode({"node", "ip", "--mode", "static", "--ip-version", "4", "--address", bad, "--yes"});
        EXPECT_EQ(refused.exitCode, 65) << bad;
        EXPECT_NE(refused.err.find("-> Please check the IP Address!!"), std::string::npos) << refused.err;
    }
    EXPECT_EQ(onNode({"node", "ip", "--mode", "auto", "--ip-version", "4"}).exitCode, 64);
    EXPECT_NE(onNode({"node", "ip", "--mode", "static", "--ip-version", "4"}).out.find("nothing was sent"),
              std::string::npos);

    const ProcessResult dhcp = onNode({"node", "ip", "--mode", "dhcp", "--ip-version", "4", "--yes"});
    ASSERT_EQ(dhcp.exitCode, 0) << dhcp.err;
    const std::string tree = onNode({"tree"}).out;
    EXPECT_NE(tree.find("IP Mode:   DHCP"), std::string::npos) << tree;
    EXPECT_NE(tree.find("IP Address:   127.0.0.4"), std::string::npos) << tree;

    // The simulator has no IPv6: the node's refusal comes back with its text.
    const ProcessResult ipv6 = onNode({"node", "ip", "--mode", "dhcp", "--ip-version", "6", "--yes"});
    EXPECT_NE(ipv6.exitCode, 0);
    EXPECT_NE(ipv6.err.find("Net Node IP Settings Failed.  [ERR_UNI_OSAL_ENOT_IMPL (700012)]"), std::string::npos)
        << ipv6.err;
}

TEST_F(Zamo2ctlNodeActions, RestartServerAndRebootSendTheirOwnCommands)
{
    EXPECT_EQ(zamo2ctl({"node", "restart-server", "--yes"}).exitCode, 64);
    const ProcessResult restarted = onNode({"node", "restart-server", "--yes"});
    EXPECT_EQ(restarted.exitCode, 0) << restarted.err;
    EXPECT_NE(restarted.out.find("restarts its server"), std::string::npos);
    EXPECT_TRUE(received("0x11aa"));
    EXPECT_FALSE(received("0x12aa"));
    const ProcessResult rebooted = onNode({"node", "reboot", "--yes"});
    EXPECT_EQ(rebooted.exitCode, 0) << rebooted.err;
    EXPECT_NE(rebooted.out.find("reboots"), std::string::npos) << rebooted.out;
    EXPECT_TRUE(received("0x12aa"));
}

} // namespace
