// --node takes a node's name as well as its address: the one node answering by that name; and
// problems --all-nodes asks every node that answers.
#include "support/zamo2ctl_run.h"
#include "support/net.h"
#include "support/node_sim.h"

#include <gtest/gtest.h>

namespace z2e {
namespace {

TEST(Zamo2ctlNodeName, ANameFindsItsNodeAndAMissingOneNamesThoseThatAnswered)
{
    const char* const address = "127.0.0.47";
    const std::uint16_t port = test::freeClientBasePort({address});
    test::NodeSimProcess node;
    ASSERT_TRUE(node.start(address, {"--name", "Bay-5"}, port)) << node.output();
    const test::Environment loopback = {"QORINET_ALLOWED_NETWORKS=127.0.0.0/8"};
    const std::vector<std::string> common = {"--base-port", std::to_string(port), "--scan-ms", "2000"};

    std::vector<std::string> args = common;
    args.insert(args.end(), {"--node", "bay-5", "tree"});
    const test::ProcessResult found = test::zamo2ctl(args, loopback);
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_NE(found.out.find("Node Name:   Bay-5"), std::string::npos) << found.out;

    args = common;
    args.insert(args.end(), {"--node", "Bay-6", "tree"});
    const test::ProcessResult missing = test::zamo2ctl(args, loopback);
    EXPECT_EQ(missing.exitCode, 69);
    EXPECT_NE(missing.err.find("no network node named Bay-6 answered within 2000 ms (nodes that did: Bay-5 (" +
                               std::string(address) + "))"),
              std::string::npos)
        << missing.err;

    // Every node that answers, one JSON object per system and line.
    args = common;
    args.insert(args.end(), {"--all-nodes", "--json", "problems"});
    const test::ProcessResult everywhere = test::zamo2ctl(args, loopback);
    EXPECT_NE(everywhere.out.find("{\"system\":\"" + std::string(address) + "\",\"problems\":[]}\n"), std::string::npos)
        << everywhere.out << everywhere.err;
}

} // namespace
} // namespace z2e
