// What zamo2ctl refuses and how a script learns of it: usage errors as JSON, addresses outside
// the allowed networks, files that are no driver configuration at all.

#include "cli_run.h"

#include "config/qorin_cfg_handler.h"

#include <gtest/gtest.h>

#include <string>

namespace z2e {
namespace {

using test::ProcessResult;

constexpr auto npos = std::string::npos;

TEST(Zamo2ctlRefusal, UsageErrorsAreJsonWhenJsonIsAsked)
{
    // --json counts even behind the fault that stopped the reading of the line.
    const ProcessResult early = zamo2ctl({"--board", "x?", "--json", "selftest"});
    EXPECT_EQ(early.exitCode, 64);
    EXPECT_EQ(early.out, "{\"error\":\"usage\",\"message\":\"--board needs ENCLOSURE/SLOT (0/2), a serial number, all, "
                         "or the driver's board index\",\"exitStatus\":64}\n");
    // A command's own refusal of its arguments.
    const ProcessResult late = zamo2ctl({"--json", "config", "verify", "file.xml"});
    EXPECT_EQ(late.exitCode, 64);
    EXPECT_NE(late.out.find("\"message\":\"config knows only: config check FILE\""), npos) << late.out;
    // Behind "--" it is a word, not the option.
    EXPECT_EQ(zamo2ctl({"frobnicate", "--", "--json"}).out, "");
}

TEST(Zamo2ctlRefusal, NodeOutsideTheAllowedNetworksIsRefusedWithoutLookingForIt)
{
    // A search would outlast the run's own limit, so a refusal that waits shows as timedOut.
    const ProcessResult refused = zamo2ctl({"tree", "--node", "10.20.30.40", "--scan-ms", "600000"},
                                           {"QORINET_ALLOWED_NETWORKS=127.0.0.0/8, 192.168.7.0/24"});
    EXPECT_FALSE(refused.timedOut);
    EXPECT_EQ(refused.exitCode, 64);
    EXPECT_NE(refused.err.find("--node 10.20.30.40 is outside the allowed networks (127.0.0.0/8,192.168.7.0/24;"), npos)
        << refused.err;
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
    const ProcessResult text = zamo2ctl({"config", "check", page});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_EQ(text.out, page + ": not a driver configuration\n");
    EXPECT_NE(text.err.find("warning: " + page + " is not a driver configuration: the root element is <html>"), npos)
        << text.err;
    const std::string demo = file("demo.xml", "<Simulation><SimulatedEnclosures/><SimulatedBoards/></Simulation>");
    const ProcessResult json = zamo2ctl({"config", "check", "--json", demo});
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_NE(json.out.find("\"valid\":false,\"configuration\":false,\"problemCount\":1,\"problems\":[{\"path\":"
                            "\"/Simulation\",\"reason\":\"not a driver configuration"),
              npos)
        << json.out;
}

TEST_F(Zamo2ctlConfigCheck, JsonListsProblemsAsAnArrayAndTellsWhenItIsCut)
{
    const std::string good = file("good.xml", QorinCfgHandler::templateText());
    EXPECT_EQ(zamo2ctl({"config", "check", "--json", good}).out,
              "{\"file\":\"" + good +
                  "\",\"valid\":true,\"configuration\":true,\"problemCount\":0,\"problems\":[],\"truncated\":false}\n");
    std::string text = QorinCfgHandler::templateText();
    std::string modes;
    for (int i = 0; i < 1001; ++i)
        modes += "<SimulationMode>SIMMODE_SOMETIMES</SimulationMode>";
    const std::size_t at = text.find("<SimulatedEnclosures");
    ASSERT_NE(at, npos);
    text.insert(at, modes);
    const ProcessResult many = zamo2ctl({"config", "check", "--json", file("many.xml", text)});
    EXPECT_EQ(many.exitCode, 1);
    EXPECT_NE(many.out.find("\"problemCount\":1001,\"problems\":[{\"path\":"), npos) << many.out.substr(0, 300);
    EXPECT_EQ(occurrences(many.out, "{\"path\":"), 1000u);
    EXPECT_NE(many.out.find("],\"truncated\":true}"), npos);
}

// Valid means the program keeps it: a board the demo system cannot place would be dropped by
// the next save, and so is a problem; the example configuration has none.
TEST_F(Zamo2ctlConfigCheck, BoardsTheNextSaveWouldDropAreProblems)
{
    std::string text = test::readFile(test::simExamplesDir() + "/zmpxi_api_config.xml");
    const ProcessResult example = zamo2ctl({"config", "check", file("example.xml", text)});
    EXPECT_EQ(example.exitCode, 0) << example.out;
    const std::size_t at = text.find("<EncNumber>0</EncNumber>");
    ASSERT_NE(at, npos);
    text.replace(at, 24, "<EncNumber>9</EncNumber>");
    const std::string stray = file("stray.xml", text);
    const ProcessResult checked = zamo2ctl({"config", "check", stray});
    EXPECT_EQ(checked.exitCode, 1);
    EXPECT_NE(checked.out.find(": EncNumber 9 names no enclosure (there are "), npos) << checked.out;
    EXPECT_NE(checked.out.find("; the next save of the demo system drops it\n"), npos) << checked.out;
}

} // namespace
} // namespace z2e
