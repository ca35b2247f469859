// zamo2ctl report-package with --node: the network node is in the inventory beside the local
// and demo systems; a node that is not there makes no package.

#include "support/net.h"
#include "support/node_sim.h"
#include "support/report_archive.h"
#include "support/site.h"
#include "support/zamo2ctl_run.h"

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>

namespace z2e {
namespace {

namespace pt = boost::property_tree;
using test::expectRun;
using test::ProcessResult;

const char* const kNode = "127.0.0.3";
const char* const kSilentNode = "127.0.0.34";

// A driver log to pack in `site`, and the node simulator started at `address` with `options`;
// its " --node ADDRESS --base-port PORT", or "" when it did not start.
std::string startNode(test::SimSite& site, test::NodeSimProcess& node, const char* address,
                      const std::vector<std::string>& options)
{
    std::filesystem::create_directories(site.configFolder() + "/log");
    test::writeFile(site.configFolder() + "/log/ZaMoQorin.log", "line\n");
    const std::uint16_t port = test::freeClientBasePort({address});
    return node.start(address, options, port)
               ? " --node " + std::string(address) + " --base-port " + std::to_string(port)
               : std::string();
}

TEST(Zamo2ctlReportNode, PackageListsTheNodesBoards)
{
    test::SimSite site;
    test::NodeSimProcess node;
    const std::string onNode = startNode(site, node, kNode, {"--name", "Bench-South", "--simulation"});
    ASSERT_FALSE(onNode.empty()) << node.output();

    const std::string file = site / "report.zip";
    expectRun(0, "report-package " + file + onNode, "", site.environment());
    pt::ptree inventory;
    std::istringstream json(test::readArchive(file).at("inventory.json").content);
    ASSERT_NO_THROW(pt::read_json(json, inventory));
    std::vector<std::string> systems;
    std::set<std::string> models;
    std::set<std::string> serials;
    std::set<std::string> firmware;
    for (const auto& [unused, system] : inventory.get_child("systems")) {
        systems.push_back(system.get<std::string>("name"));
        if (systems.back() != std::string("node ") + kNode)
            continue;
        // The node's section names the node and each board's index and firmware.
        EXPECT_EQ(system.get<std::string>("node.name"), "Bench-South");
        EXPECT_EQ(system.get<std::string>("node.address"), kNode);
        for (const auto& [unused2, enclosure] : system.get_child("enclosures")) {
            for (const auto& [unused3, board] : enclosure.get_child("boards")) {
                models.insert(board.get<std::string>("model"));
                serials.insert(board.get<std::string>("serial"));
                firmware.insert(board.get<std::string>("firmware.installed"));
                EXPECT_GE(board.get<int>("index"), 0);
                EXPECT_EQ(board.get<std::string>("place"), "0/" + board.get<std::string>("slot"));
            }
        }
    }
    EXPECT_EQ(firmware.count("null"), 0u);
    EXPECT_EQ(firmware.count(""), 0u);
    EXPECT_EQ(systems, (std::vector<std::string>{"local", "demo", "node 127.0.0.3"}));
    EXPECT_EQ(models, (std::set<std::string>{"QA-4016", "QC-3108-TS", "QD-5032", "QN-6222-COMBO"}));
    EXPECT_EQ(serials.size(), 4u);

    const std::string none = site / "none.zip";
    expectRun(69,
              "report-package " + none + " --scan-ms 300 --node 127.0.0.9" + onNode.substr(onNode.find(" --base-port")),
              "", site.environment());
    EXPECT_FALSE(std::filesystem::exists(none));
}

// A node that only sends heartbeats keeps no request past three quarters of --timeout: the
// package is made with the node's inventory as far as it was read, and why it stopped.
TEST(Zamo2ctlReportNode, NodeThatOnlySendsHeartbeatsEndsWithinTheTimeout)
{
    test::SimSite site;
    test::NodeSimProcess node;
    const std::string onNode = startNode(site, node, kSilentNode, {"--fault", "heartbeats-only", "--simulation"});
    ASSERT_FALSE(onNode.empty()) << node.output();

    const std::string file = site / "report.zip";
    const ProcessResult run = expectRun(0, "report-package " + file + onNode + " --timeout 20", "", site.environment());
    // The node's part ends after 15 s; a quarter of the time is left for the rest, even under
    // a sanitizer.
    EXPECT_LT(run.elapsed, std::chrono::seconds(20));
    EXPECT_TRUE(test::holds(run.err, std::string("the network node at ") + kSilentNode + " stopped answering"));
    pt::ptree inventory;
    std::istringstream json(test::readArchive(file).at("inventory.json").content);
    ASSERT_NO_THROW(pt::read_json(json, inventory));
    EXPECT_NE(inventory.get_child("systems").back().second.get<int>("status"), 0);
}

} // namespace
} // namespace z2e
