// zamo2ctl report-package with --node: the network node is in the inventory beside the local
// and demo systems; a node that is not there makes no package.

#include "cli_run.h"

#include "support/net.h"
#include "support/node_sim.h"
#include "support/report_archive.h"
#include "support/site.h"

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

namespace z2e {
namespace {

namespace pt = boost::property_tree;
using test::ProcessResult;

const char* const kNode = "127.0.0.3";

TEST(Zamo2ctlReportNode, PackageListsTheNodesBoards)
{
    test::SimSite site;
    std::filesystem::create_directories(site.configFolder() + "/log");
    test::writeFile(site.configFolder() + "/log/ZaMoQorin.log", "line\n");
    const std::string port = std::to_string(test::freeClientBasePort({kNode}));
    test::NodeSimProcess node;
    ASSERT_TRUE(node.start(kNode, {"--name", "Bench-South", "--simulation"}, static_cast<std::uint16_t>(std::stoi(port))))
        << node.output();

    const std::string file = site / "report.zip";
    const ProcessResult run =
        zamo2ctl({"report-package", file, "--node", kNode, "--base-port", port}, site.environment());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto entries = test::readArchive(file);
    pt::ptree inventory;
    std::istringstream json(entries.at("inventory.json").content);
    ASSERT_NO_THROW(pt::read_json(json, inventory));
    std::vector<std::string> systems;
    std::set<std::string> models;
    std::set<std::string> serials;
    for (const auto& [unused, system] : inventory.get_child("systems")) {
        systems.push_back(system.get<std::string>("name"));
        if (systems.back() != std::string("node ") + kNode)
            continue;
        for (const auto& [unused2, enclosure] : system.get_child("enclosures")) {
            for (const auto& [unused3, board] : enclosure.get_child("boards")) {
                models.insert(board.get<std::string>("model"));
                serials.insert(board.get<std::string>("serial"));
            }
        }
    }
    EXPECT_EQ(systems, (std::vector<std::string>{"local", "demo", "node 127.0.0.3"}));
    EXPECT_EQ(models, (std::set<std::string>{"QA-4016", "QC-3108-TS", "QD-5032", "QN-6222-COMBO"}));
    const ProcessResult tree = zamo2ctl({"tree", "--node", kNode, "--base-port", port}, site.environment());
    ASSERT_EQ(serials.size(), 4u);
    for (const std::string& serial : serials)
        EXPECT_NE(tree.out.find("SerialNumber:   " + serial), std::string::npos) << serial << "\n" << tree.out;

    const std::string none = site / "none.zip";
    EXPECT_EQ(zamo2ctl({"report-package", none, "--node", "127.0.0.9", "--base-port", port, "--scan-ms", "300"},
                       site.environment())
                  .exitCode,
              69);
    EXPECT_FALSE(std::filesystem::exists(none));
}

} // namespace
} // namespace z2e
