// What zamo2ctl refuses and how a script learns of it: usage errors as JSON, addresses outside
// the allowed networks, files that are no driver configuration at all.

#include "support/zamo2ctl_run.h"

#include "config/qorin_cfg_handler.h"

#include <gtest/gtest.h>

#include <string>

namespace z2e {
namespace {

using test::ctl;
using test::expectRun;
using test::holds;
using test::ProcessResult;

constexpr auto npos = std::string::npos;

TEST(Zamo2ctlRefusal, UsageErrorsAreJsonWhenJsonIsAsked)
{
    // --json counts even behind the fault that stopped the reading of the line.
    EXPECT_EQ(expectRun(64, "--board x? --json selftest").out,
              "{\"error\":\"usage\",\"message\":\"--board needs ENCLOSURE/SLOT (0/2), a serial number, all, or the "
              "driver's board index\",\"exitStatus\":64}\n");
    // A command's own refusal of its arguments.
    EXPECT_TRUE(holds(expectRun(64, "--json config verify file.xml").out,
                      "\"message\":\"config knows only: config check FILE\""));
    // Behind "--" it is a word, not the option.
    EXPECT_EQ(ctl("frobnicate -- --json").out, "");
}

TEST(Zamo2ctlRefusal, NodeOutsideTheAllowedNetworksIsRefusedWithoutLookingForIt)
{
    // A search would outlast the run's own limit, so a refusal that waits shows as timedOut.
    const ProcessResult refused =
        expectRun(64, "tree --node 10.20.30.40 --scan-ms 600000",
                  "--node 10.20.30.40 is outside the allowed networks (127.0.0.0/8,192.168.7.0/24;",
                  {"QORINET_ALLOWED_NETWORKS=127.0.0.0/8, 192.168.7.0/24"});
    EXPECT_FALSE(refused.timedOut);
}

class Zamo2ctlConfigCheck : public ::testing::Test {
protected:
    std::string file(const std::string& name, const std::string& content)
    {
        const std::string path = folder / name;
        test::writeFile(path, content);
        return path;
    }

    test::ScratchFolder folder{"z2e-check"};
};

// Well-formed XML the rules know nothing of would pass them; it is told apart by its root.
TEST_F(Zamo2ctlConfigCheck, FileThatIsNoDriverConfigurationIsRefusedWithAWarning)
{
    const std::string page =
        file("index.html", "<html><head><title>Boards</title></head><body><p>Hello</p></body></html>");
    EXPECT_EQ(expectRun(1, "config check " + page,
                        "warning: " + page + " is not a driver configuration: the root element is <html>")
                  .out,
              page + ": not a driver configuration\n");
    const std::string demo = file("demo.xml", "<Simulation><SimulatedEnclosures/><SimulatedBoards/></Simulation>");
    EXPECT_TRUE(holds(expectRun(1, "config check --json " + demo).out,
                      "\"valid\":false,\"configuration\":false,\"problemCount\":1,\"problems\":[{\"path\":"
                      "\"/Simulation\",\"reason\":\"not a driver configuration"));
}

TEST_F(Zamo2ctlConfigCheck, JsonListsProblemsAsAnArrayAndTellsWhenItIsCut)
{
    const std::string good = file("good.xml", QorinCfgHandler::templateText());
    EXPECT_EQ(ctl("config check --json " + good).out,
              "{\"file\":\"" + good +
                  "\",\"valid\":true,\"configuration\":true,\"problemCount\":0,\"problems\":[],\"truncated\":false}\n");
    std::string text = QorinCfgHandler::templateText();
    std::string modes;
    for (int i = 0; i < 1001; ++i)
        modes += "<SimulationMode>SIMMODE_SOMETIMES</SimulationMode>";
    const std::size_t at = text.find("<SimulatedEnclosures");
    ASSERT_NE(at, npos);
    text.insert(at, modes);
    const std::string many = expectRun(1, "config check --json " + file("many.xml", text)).out;
    EXPECT_NE(many.find("\"problemCount\":1001,\"problems\":[{\"path\":"), npos) << many.substr(0, 300);
    EXPECT_EQ(test::occurrences(many, "{\"path\":"), 1000u);
    EXPECT_NE(many.find("],\"truncated\":true}"), npos);
}

// Valid means the program keeps it: a board the demo system cannot place would be dropped by
// the next save, and so is a problem; the example configuration has none.
TEST_F(Zamo2ctlConfigCheck, BoardsTheNextSaveWouldDropAreProblems)
{
    std::string text = test::readFile(test::simExamplesDir() + "/zmpxi_api_config.xml");
    expectRun(0, "config check " + file("example.xml", text));
    const std::size_t at = text.find("<EncNumber>0</EncNumber>");
    ASSERT_NE(at, npos);
    text.replace(at, 24, "<EncNumber>9</EncNumber>");
    const std::string checked = expectRun(1, "config check " + file("stray.xml", text)).out;
    EXPECT_TRUE(holds(checked, ": EncNumber 9 names no enclosure (there are "));
    EXPECT_TRUE(holds(checked, "; the next save of the demo system drops it\n"));
}

// Memory that runs out while a file is read ends the command in words, not in an abort. A
// sanitizer reserves far more address space than any limit here would leave.
TEST_F(Zamo2ctlConfigCheck, MemoryThatRunsOutEndsTheCommandInWords)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "address space limits do not work under a sanitizer";
#endif
    // 60 MB of text fit under the 64 MiB cap; 80 MB of address space hold the program, not them.
    const std::string large =
        file("large.xml", "<zmpxi_api_config>" + std::string(60u * 1000u * 1000u, 'x') + "</zmpxi_api_config>");
    const ProcessResult run = test::runProcess(
        "/bin/sh", {"-c", "ulimit -v 80000 && exec \"$0\" config check \"$1\"", test::besideMe("zamo2ctl"), large});
    EXPECT_EQ(run.exitCode, 71) << run.err;
    EXPECT_TRUE(holds(run.err, "zamo2ctl: out of memory: the command was stopped"));
}

} // namespace
} // namespace z2e
