// zamo2ctl on the driver stand-in, checked against the model the window uses: the tree it
// prints and the demo system it edits.

#include "cli_run.h"

#include "config/qorin_cfg_handler.h"
#include "core/application_status.h"
#include "core/system_model.h"
#include "core/tree_row_list.h"
#include "qorinet_api/client/qorinet_local_client_node.h"
#include "zmpxi/driver_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace z2e {
namespace {

using test::ProcessResult;

class Zamo2ctlOnSite : public ::testing::Test {
protected:
    void SetUp() override { site.enter(); }
    void TearDown() override { unloadDriverApi(); }

    ProcessResult run(const Args& args) { return zamo2ctl(args, site.environment()); }

    void readSavedConfiguration()
    {
        QorinCfgHandler saved;
        ASSERT_TRUE(saved.loadConfig(site.configFile()));
        ASSERT_TRUE(saved.readSimulatedEnclosures(enclosures));
        ASSERT_TRUE(saved.readSimulatedBoards(boards));
    }

    test::SimSite site;
    std::vector<SimulatedEnclosureEntry> enclosures;
    std::vector<SimulatedBoardEntry> boards;
};

// Red rows are marked, so that a pipe still shows them.
TEST_F(Zamo2ctlOnSite, TreePrintsTheRowsTheWindowShows)
{
    const ProcessResult printed = run({"tree", "--system", "local"});
    ASSERT_EQ(printed.exitCode, 0) << printed.err;
    std::vector<std::string> lines;
    std::istringstream text(printed.out);
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);

    auto node = std::make_shared<qorinet_api::QORINetLocalClientNode>(0);
    node->setRetryWait([](std::chrono::milliseconds) {});
    SystemModel model(false, node);
    ASSERT_EQ(model.initializeSystem(), AppStatus::Ok);
    std::vector<std::string> expected;
    for (const TreeRow& row : TreeRowList::collect(model.localRoot())) {
        if (row.row.text.find('\n') == std::string::npos)
            expected.push_back((row.row.red ? "! " : "  ") + std::string(2 * row.depth, ' ') + row.row.text);
    }
    for (const std::string& line : expected)
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    EXPECT_EQ(lines.size(), expected.size());
}

TEST_F(Zamo2ctlOnSite, DemoCommandsEditAndSaveTheConfiguration)
{
    const ProcessResult added = run({"demo", "add-enclosure", "qe-d2"});
    ASSERT_EQ(added.exitCode, 0) << added.out;
    EXPECT_NE(added.out.find("enclosure 2: QE-D2"), std::string::npos) << added.out;
    ASSERT_EQ(run({"demo", "put-board", "2", "3", "QC-3104"}).exitCode, 0);
    ASSERT_EQ(run({"demo", "remove", "0"}).exitCode, 0);
    const ProcessResult refused = run({"demo", "put-board", "1", "9", "QC-3104"});
    EXPECT_EQ(refused.exitCode, 63);
    EXPECT_NE(refused.out.find("513"), std::string::npos) << refused.out;
    const Args wrong[] = {{"demo"}, {"demo", "frob"}, {"demo", "remove", "1", "2", "3"},
                          {"demo", "put-board", "x", "2", "QC-3104"}};
    for (const Args& args : wrong)
        EXPECT_EQ(run(args).exitCode, 64) << args.back();

    readSavedConfiguration();
    ASSERT_EQ(enclosures.size(), 2u);
    EXPECT_NE(enclosures[1].key.find("QE-D2"), std::string::npos);
    ASSERT_EQ(boards.size(), 3u) << "QE-P4's two boards and the new one";
    EXPECT_EQ(boards[2].boardName, "QC-3104");
    EXPECT_EQ(boards[2].encNumber, 1);

    const std::string file = site / "exported.xml";
    ASSERT_EQ(run({"demo", "export", file}).exitCode, 0);
    ASSERT_EQ(run({"demo", "remove", "1"}).exitCode, 0);
    ASSERT_EQ(run({"demo", "import", file}).exitCode, 0);
    readSavedConfiguration();
    EXPECT_EQ(enclosures.size(), 2u);
}

} // namespace
} // namespace z2e
