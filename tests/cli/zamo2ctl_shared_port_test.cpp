// zamo2ctl finds its nodes while another program on this computer holds the port the nodes
// answer scans to (the window does): it asks them on a port of its own, and the node of --node
// directly, whichever simulator process on the machine runs it and whether broadcasts reach it
// or not.
#include "support/net.h"
#include "support/node_sim.h"
#include "support/zamo2ctl_run.h"

#include <gtest/gtest.h>

namespace z2e {
namespace {

TEST(Zamo2ctlSharedPort, NodesAreFoundWhileAnotherProgramHoldsTheAnswerPort)
{
    const std::string first = "127.0.0.51";
    const std::string second = "127.0.0.52";
    const std::string routed = "127.0.0.53";
    const std::uint16_t port = test::freeClientBasePort({first, second, routed});
    ASSERT_NE(port, 0);
    // Two simulator processes on the same ports: a scan sent to one address must reach the
    // process of that node, not the one that bound the shared scan port last.
    test::NodeSimProcess bayA;
    test::NodeSimProcess bayB;
    ASSERT_TRUE(bayA.start(first, {"--name", "Bay-A"}, port)) << bayA.output();
    ASSERT_TRUE(bayB.start(second, {"--name", "Bay-B"}, port)) << bayB.output();
    test::NodeSimProcess behindRouter;
    ASSERT_TRUE(behindRouter.start(routed, {"--name", "Bay-C", "--fault", "no-broadcast"}, port))
        << behindRouter.output();
    const test::HeldUdpPort window(static_cast<std::uint16_t>(port + 2));
    ASSERT_NE(window.port(), 0);

    const test::Environment loopback = {"QORINET_ALLOWED_NETWORKS=127.0.0.0/8"};
    const std::string common = "--base-port " + std::to_string(port) + " --scan-ms 5000 ";
    for (const auto& [address, name] :
         {std::pair{first, "Bay-A"}, std::pair{second, "Bay-B"}, std::pair{routed, "Bay-C"}}) {
        const test::ProcessResult tree = test::ctl(common + "--node " + address + " tree", loopback);
        EXPECT_EQ(tree.exitCode, 0) << address << "\n" << tree.err;
        EXPECT_TRUE(test::holds(tree.out, std::string("Node Name:   ") + name));
    }
    const test::ProcessResult scan =
        test::ctl("--base-port " + std::to_string(port) + " --scan-ms 1500 --json nodes", loopback);
    EXPECT_EQ(scan.exitCode, 0) << scan.err;
    EXPECT_TRUE(test::holds(scan.out, "\"name\":\"Bay-A\""));
    EXPECT_TRUE(test::holds(scan.out, "\"name\":\"Bay-B\""));
    EXPECT_EQ(scan.out.find("Bay-C"), std::string::npos) << "a broadcast reached the node behind the router";
    EXPECT_EQ(scan.err, "");
}

} // namespace
} // namespace z2e
