// zamo2ctl nodes and the nodes the computer hears but cannot reach as they are: a node outside
// the network the scan goes out on is listed with what is wrong and the fix, and the fix works;
// a node that answers no broadcast is found once its address is remembered.

#include "support/net.h"
#include "support/node_sim.h"
#include "support/site.h"
#include "support/zamo2ctl_run.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using z2e::test::expectRun;
using z2e::test::freeClientBasePort;
using z2e::test::holds;
using z2e::test::NodeSimProcess;
using z2e::test::occurrences;
using z2e::test::SimSite;

TEST(Zamo2ctlNodeIpSettings, ANodeOutsideTheScannedNetworkIsListedWithTheFixAndTheFixWorks)
{
    const char* const far = "127.0.5.7";
    const SimSite site;
    const std::uint16_t port = freeClientBasePort({far, "127.0.1.2"});
    NodeSimProcess node;
    ASSERT_TRUE(node.start(far, {"--name", "Far-Node", "--netmask", "255.255.0.0"}, port)) << node.output();
    const std::string common = " --base-port " + std::to_string(port) + " --scan-ms 1500";
    const std::string narrow = common + " --local-network 127.0.1.1/24";

    const auto table = expectRun(0, "nodes" + narrow,
                                 "Far-Node (127.0.5.7): Inconsistent IP settings: node "
                                 "127.0.5.7/16 is not in this computer's 127.0.1.0/24",
                                 site.environment());
    EXPECT_TRUE(holds(table.out, "fix: Change Node IP to 127.0.1.2 mask 255.255.255.0: zamo2ctl --node 127.0.5.7 "
                                 "node ip --mode static --ip-version 4 --address 127.0.1.2 --mask 255.255.255.0"));
    const auto json = expectRun(0, "nodes --json" + narrow, "\"ipSettings\":{\"status\":\"Inconsistent IP settings\"",
                                site.environment());
    EXPECT_TRUE(holds(json.out, "\"fix\":{\"action\":\"Change Node IP\",\"address\":\"127.0.1.2\""));
    // Through every interface (loopback's 127.0.0.0/8) the same node is in reach.
    expectRun(0, "nodes --json" + common, "\"ipSettings\":{\"status\":\"ok\"}", site.environment());

    expectRun(0,
              "--node 127.0.5.7 node ip --mode static --ip-version 4 --address 127.0.1.2 --mask 255.255.255.0 "
              "--yes" +
                  common,
              "", site.environment());
    const auto fixed = expectRun(0, "nodes --json" + narrow, "\"address\":\"127.0.1.2\"", site.environment());
    EXPECT_EQ(occurrences(fixed.out, "\"ipSettings\":{\"status\":\"ok\"}"), 1u) << fixed.out;
}

TEST(Zamo2ctlNodeIpSettings, TwoNodesClaimingOneAddressAreBothListedAsAConflictEachWithAFixOfItsOwn)
{
    const SimSite site;
    const std::uint16_t port = freeClientBasePort({"127.0.7.1", "127.0.7.2"});
    NodeSimProcess left;
    NodeSimProcess right;
    ASSERT_TRUE(left.start("127.0.7.1", {"--name", "Left", "--claim", "127.0.7.9"}, port)) << left.output();
    ASSERT_TRUE(right.start("127.0.7.2", {"--name", "Right", "--claim", "127.0.7.9"}, port)) << right.output();

    const auto json = expectRun(0, "nodes --json --scan-ms 1500 --base-port " + std::to_string(port),
                                "\"address\":\"127.0.7.9\"", site.environment());
    EXPECT_EQ(occurrences(json.out, "\"address\":\"127.0.7.9\""), 2u) << json.out;
    EXPECT_EQ(occurrences(json.out, "\"problem\":\"address 127.0.7.9 is claimed by 2 nodes ("), 2u);
    EXPECT_EQ(occurrences(json.out, "\"conflict\":true"), 2u);
    // Loopback's network is 127.0.0.0/8: the first free addresses past 127.0.0.1.
    EXPECT_TRUE(holds(json.out, "\"fix\":{\"action\":\"Change Node IP\",\"address\":\"127.0.0.2\""));
    EXPECT_TRUE(holds(json.out, "\"fix\":{\"action\":\"Change Node IP\",\"address\":\"127.0.0.3\""));
}

TEST(Zamo2ctlRememberedNodes, ANodeBeyondTheBroadcastsIsFoundOnceItsAddressIsRemembered)
{
    const char* const hidden = "127.0.6.9";
    const SimSite site;
    const std::uint16_t port = freeClientBasePort({hidden});
    NodeSimProcess node;
    ASSERT_TRUE(node.start(hidden, {"--name", "Hidden", "--fault", "no-broadcast"}, port)) << node.output();
    const std::string common = " --base-port " + std::to_string(port) + " --scan-ms 1500";
    const auto& env = site.environment();

    expectRun(0, "nodes" + common, "no network nodes found", env);
    expectRun(0, "nodes --add 127.0.6.9" + common, "127.0.6.9 remembered; it is asked at every scan", env);
    const auto again = expectRun(0, "nodes --json" + common, "\"name\":\"Hidden\",\"address\":\"127.0.6.9\"", env);
    expectRun(0, "nodes --add 127.0.6.9" + common, "127.0.6.9 is already remembered", env);
    expectRun(0, "nodes --add 127.0.6.10" + common, "no node answered at 127.0.6.10 within 1500 ms", env);

    for (const char* bad : {"127.0.6", "0.0.0.0", "255.255.255.255", "127.255.255.255"})
        expectRun(64, std::string("nodes --add ") + bad + common, "nodes --add: ", env);
    expectRun(64, "tree --add 127.0.6.9", "--add and --remove apply to nodes", env);

    expectRun(0, "nodes --remove 127.0.6.9" + common, "127.0.6.9 forgotten", env);
    expectRun(0, "nodes --remove 127.0.6.9" + common, "nothing to remove", env);
    const auto gone = expectRun(0, "nodes --json" + common, "\"nodes\":[", env);
    EXPECT_EQ(occurrences(gone.out, "\"address\":\"127.0.6.9\""), 0u) << gone.out;
}

} // namespace
