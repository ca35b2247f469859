// zamo2ctl as a program: its command line, exit status and output on the scripted driver, and
// on the driver stand-in checked against the model the window uses.

#include "cli_run.h"
#include "support/eventually.h"

#include "support/fake_driver.h"

#include "config/qorin_cfg_handler.h"
#include "core/application_status.h"
#include "core/system_model.h"
#include "core/tree_row_list.h"
#include "qorinet_api/client/qorinet_local_client_node.h"
#include "zmpxi/driver_api.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <chrono>
#include <sstream>
#include <string>

namespace z2e {
namespace {

using test::fakeDriverPath;
using test::ProcessResult;

// Exit status and standard output: what scripts would parse.
std::string shown(const ProcessResult& run)
{
    return std::to_string(run.exitCode) + " " + run.out;
}

TEST(Zamo2ctl, BadCommandLinesExit64)
{
    const Args lines[] = {{},
                          {"frobnicate"},
                          {"get", "System"},
                          {"set-i32", "0", "1"},
                          {"--simulation", "maybe", "local"},
                          {"--driver"},
                          {"--bogus", "local"},
                          {"driver-text", "twelve"},
                          {"config", "verify", "x"},
                          {"selftest", "--board", "-1"},
                          {"nodes", "--node", "127.0.0.2"},
                          {"get", "--node", "127.0.0.300", "System", "EnclosureCount"},
                          {"nodes", "--base-port", "65530"},
                          {"nodes", "--scan-ms", "0"},
                          {"local", "--scan-ms", "100"},
                          {"tree", "--system", "demo", "--node", "127.0.0.2"},
                          {"calibrate"}};
    const std::string pointer = " - see zamo2ctl --help\n";
    for (const Args& args : lines) {
        // One line that says what is wrong, not the whole help.
        const ProcessResult bad = zamo2ctl(args);
        EXPECT_EQ(64, bad.exitCode) << (args.empty() ? "" : args[0] + " " + args.back());
        EXPECT_EQ(bad.err.rfind("zamo2ctl: ", 0), 0u) << bad.err;
        EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1) << bad.err;
        EXPECT_TRUE(bad.err.size() > pointer.size() &&
                    bad.err.compare(bad.err.size() - pointer.size(), std::string::npos, pointer) == 0)
            << bad.err;
        EXPECT_EQ(bad.out, "");
    }
    const ProcessResult help = zamo2ctl({"--help"});
    EXPECT_EQ(0, help.exitCode);
    EXPECT_NE(std::string::npos, help.out.find("Usage: zamo2ctl"));
}

TEST(Zamo2ctl, DriverTextNeedsNoDriver)
{
    EXPECT_EQ("0 ERR_HARDWARE_ALREADY_IN_USE (0x0001)\n",
              shown(zamo2ctl({"--driver", "/nonexistent.so", "driver-text", "1"})));
    EXPECT_EQ("0 ERR_UNI_OSAL_ERROR\n", shown(zamo2ctl({"driver-text", "0xAAE69"})));
    EXPECT_EQ("1 ", shown(zamo2ctl({"driver-text", "1028"})));
    EXPECT_EQ("0 {\"code\":-400000,\"known\":true,\"text\":\"WARNING_LAST_CONFIG_NOT_FOUND (- 400000)\"}\n",
              shown(zamo2ctl({"driver-text", "--json", "-400000"})));
}

TEST(Zamo2ctl, LocalReportsTheConnectedSystem)
{
    EXPECT_EQ("0 {\"boardCount\":3,\"enclosureCount\":1,\"simulation\":true,\"driverVersion\":\"9.9.9-fake\","
              "\"result\":0,\"resultText\":\"ERR_NONE (0)\"}\n",
              shown(zamo2ctl({"--driver", fakeDriverPath(), "--json", "local"}, {"QORINET_FAKE_BOARDS=-3"})));
    const auto missing = zamo2ctl({"--driver", "/nonexistent/libnothing.so", "local"});
    EXPECT_EQ(2, missing.exitCode);
    EXPECT_NE(missing.err.find("zmpxi_api_x64.dll (libzmpxi_api_x64.so) could not be loaded; looked for in "
                               "/nonexistent/libnothing.so: "),
              std::string::npos)
        << missing.err;
}

TEST(Zamo2ctl, SimulationModeIsSetBeforeTheDriverStarts)
{
    const std::string fake = fakeDriverPath();
    EXPECT_EQ("0 SIMMODE_OFF\n",
              shown(zamo2ctl({"--driver", fake, "--simulation", "off", "get", "fake", "modeAtInit"})));
    EXPECT_EQ("0 unset\n", shown(zamo2ctl({"--driver", fake, "get", "fake", "modeAtInit"})));
}

TEST(Zamo2ctl, RawAccessExitsWithTheDriverResult)
{
    const std::string fake = fakeDriverPath();
    EXPECT_EQ(63, zamo2ctl({"--driver", fake, "get", "NoSuchTarget", "item"}).exitCode)
        << "100008 does not fit an exit status";
    EXPECT_EQ("0 {\"argument1\":\"BoardID0\",\"argument2\":\"x\",\"argument3\":\"a\\\"b\",\"result\":0,"
              "\"resultText\":\"ERR_NONE (0)\"}\n",
              shown(zamo2ctl({"--driver", fake, "--json", "set", "BoardID0", "x", "a\"b"})));
    EXPECT_EQ(0, zamo2ctl({"--driver", fake, "set-i32", "0", "773", "-1"}).exitCode);
    EXPECT_EQ(64, zamo2ctl({"--driver", fake, "set-i32", "zero", "773", "0"}).exitCode);
}

class Zamo2ctlOnSite : public ::testing::Test {
protected:
    void SetUp() override { site.enter(); }
    void TearDown() override { unloadDriverApi(); }

    ProcessResult run(const Args& args) { return zamo2ctl(args, site.environment()); }

    /// The site's environment with the driver's waits in real time.
    test::Environment slow() const
    {
        test::Environment slow;
        for (const std::string& entry : site.environment())
            slow.push_back(entry.rfind("ZMPXI_SIM_SPEED", 0) == 0 ? "ZMPXI_SIM_SPEED=1" : entry);
        return slow;
    }

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

// A firmware update in real time outlasts --timeout: the run is stopped with its own status
// and message, and the journal keeps whole lines only: one that says the update was interrupted.
TEST_F(Zamo2ctlOnSite, TimeoutStopsACommandThatDoesNotEnd)
{
    const ProcessResult stopped = zamo2ctl({"--timeout", "2", "firmware", "update", "--board", "0"}, slow());
    EXPECT_EQ(stopped.exitCode, 75) << stopped.err;
    EXPECT_NE(stopped.err.find("no result within 2 s (--timeout 2)"), std::string::npos) << stopped.err;
    EXPECT_LT(stopped.elapsed.count(), 20000);
    const ProcessResult history = run({"history"});
    EXPECT_NE(history.out.find("firmware-update  4110 interrupted: firmware-update was started but did not end"),
              std::string::npos)
        << history.out;
    EXPECT_EQ(history.out.find("firmware-update", history.out.find("[interrupted]\n")), std::string::npos)
        << history.out;
    EXPECT_EQ(run({"--timeout", "0", "local"}).exitCode, 64);
}

// A run killed during a change (kill -9: nothing of it runs any more) or stopped by Ctrl+C
// leaves the change journalled as interrupted: Ctrl+C at once, kill -9 at the next start.
TEST_F(Zamo2ctlOnSite, KilledOrInterruptedUpdateIsJournalledInterrupted)
{
    const std::string intents = site / "documents/Norvale/zamo2explorer/maintenance/intents";
    // A change under way: its intent in place (not only the temporary it is written as).
    const auto pending = [&] {
        if (!std::filesystem::exists(intents))
            return false;
        for (const std::string& name : test::filesIn(intents)) {
            if (name.size() > 7 && name.compare(name.size() - 7, 7, ".intent") == 0)
                return true;
        }
        return false;
    };
    for (const int signal : {SIGKILL, SIGINT}) {
        test::BackgroundProcess update;
        ASSERT_TRUE(update.start(test::besideMe("zamo2ctl"), {"firmware", "update", "--board", "0"}, slow()));
        ASSERT_TRUE(test::eventually(pending, std::chrono::seconds(60)));
        update.signal(signal);
        ASSERT_TRUE(update.waitForEnd(std::chrono::seconds(30)));
        EXPECT_EQ(update.finish(), signal == SIGINT ? 130 : -1);
        EXPECT_EQ(signal == SIGINT, !pending()) << "Ctrl+C journals it at once";
        const ProcessResult history = run({"history", "--serial", "10A80001"});
        EXPECT_FALSE(pending());
        std::size_t interrupted = 0;
        for (std::size_t at = history.out.find("firmware-update  4110 interrupted: "); at != std::string::npos;
             at = history.out.find("firmware-update  4110 interrupted: ", at + 1))
            ++interrupted;
        EXPECT_EQ(interrupted, signal == SIGINT ? 2u : 1u) << history.out;
    }
}

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

// The export formats carry the rows the text lists: JSON as a flat list and as a tree, CSV a line
// per row.
TEST_F(Zamo2ctlOnSite, TreeFormatsGiveTheSameRows)
{
    const ProcessResult text = run({"tree", "--system", "demo", "--format", "text"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    const std::size_t rows = occurrences(text.out, "\n");
    ASSERT_GT(rows, 10u);
    const ProcessResult json = run({"tree", "--system", "demo", "--format", "json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(occurrences(json.out, "\"depth\":"), 2 * rows) << json.out;
    EXPECT_NE(json.out.find("],\"tree\":[{\"text\":\"Demo System\""), std::string::npos) << json.out;
    const ProcessResult csv = run({"tree", "--system", "demo", "--format", "csv"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    EXPECT_EQ(csv.out.rfind("depth,kind,red,name,value,text\r\n0,system,0,Demo System,,Demo System\r\n", 0), 0u)
        << csv.out;
    EXPECT_EQ(occurrences(csv.out, "\r\n"), rows + 1);
    EXPECT_EQ(run({"tree", "--format", "xml"}).exitCode, 64);
}

// A board is replaced only when told; an import takes a whole configuration.
TEST_F(Zamo2ctlOnSite, DemoCommandsEditAndSaveTheConfiguration)
{
    const std::string whole = site / "whole.xml";
    test::writeFile(whole, test::readFile(site.configFile()));
    const ProcessResult occupied = run({"demo", "put-board", "1", "2", "QC-3104"});
    EXPECT_EQ(occupied.exitCode, 63);
    EXPECT_NE(occupied.err.find("516"), std::string::npos) << occupied.err;
    EXPECT_NE(occupied.err.find("holds QD-5032; --replace"), std::string::npos) << occupied.err;
    EXPECT_EQ(test::readFile(site.configFile()), test::readFile(whole));
    ASSERT_EQ(run({"demo", "put-board", "1", "2", "QC-3104", "--replace"}).exitCode, 0);
    const ProcessResult added = run({"demo", "add-enclosure", "qe-d2"});
    ASSERT_EQ(added.exitCode, 0) << added.out;
    EXPECT_NE(added.out.find("enclosure 2: QE-D2"), std::string::npos) << added.out;
    ASSERT_EQ(run({"demo", "put-board", "2", "3", "QC-3104"}).exitCode, 0);
    ASSERT_EQ(run({"demo", "remove", "0"}).exitCode, 0);
    const ProcessResult refused = run({"demo", "put-board", "1", "9", "QC-3104"});
    EXPECT_EQ(refused.exitCode, 63);
    EXPECT_NE(refused.err.find("513"), std::string::npos) << refused.err;
    EXPECT_EQ(refused.out, "");
    const Args wrong[] = {
        {"demo"}, {"demo", "frob"}, {"demo", "remove", "1", "2", "3"}, {"demo", "put-board", "x", "2", "QC-3104"}};
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
    // set-type leaves an empty enclosure of the new type.
    const ProcessResult typed = run({"demo", "set-type", "1", "qe-p4"});
    ASSERT_EQ(typed.exitCode, 0) << typed.err;
    readSavedConfiguration();
    ASSERT_EQ(enclosures.size(), 2u);
    EXPECT_NE(enclosures[1].key.find("QE-P4"), std::string::npos) << enclosures[1].key;
    EXPECT_EQ(boards.size(), 2u);
    ASSERT_EQ(run({"demo", "import", whole}).exitCode, 0);
    readSavedConfiguration();
    ASSERT_EQ(boards.size(), 6u);
    EXPECT_EQ(boards[4].boardName, "QD-5032");

    // The configuration now lives behind a link into a folder that has gone: the edit is
    // reported as not saved, with the system's reason, and never as done.
    const std::string config = site.configFile();
    const std::string moved = site / "elsewhere.xml";
    ASSERT_EQ(std::rename(config.c_str(), moved.c_str()), 0);
    ASSERT_EQ(::symlink((site / "gone/zmpxi_api_config.xml").c_str(), config.c_str()), 0);
    const ProcessResult unsaved = run({"demo", "add-enclosure", "qe-d2"});
    EXPECT_NE(unsaved.exitCode, 0);
    EXPECT_EQ(unsaved.out + unsaved.err, unsaved.err);
    EXPECT_EQ(unsaved.err.find("done"), std::string::npos) << unsaved.err;
    EXPECT_NE(unsaved.err.find("No such file or directory"), std::string::npos) << unsaved.err;
}

TEST_F(Zamo2ctlOnSite, BrokenConfigurationIsToldAndKeptAtTheFirstSave)
{
    const std::string broken = "<zmpxi_api_config>\n<Definition>\n</zmpxi_api_config>";
    test::writeFile(site.configFile(), broken);
    const ProcessResult tree = run({"tree", "--system", "demo"});
    EXPECT_NE(tree.err.find("zamo2ctl: Driver configuration not usable, defaults in use: " + site.configFile() +
                            ": not XML: Start-end tags mismatch at line 3, column 3"),
              std::string::npos)
        << tree.err;

    const ProcessResult added = run({"demo", "add-enclosure", "qe-d2"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    const std::size_t at = added.out.find("kept:");
    ASSERT_NE(at, std::string::npos) << added.out;
    std::string kept = added.out.substr(at + 5, added.out.find('\n', at) - at - 5);
    kept.erase(0, kept.find_first_not_of(' '));
    EXPECT_EQ(kept.rfind(site.configFile() + ".invalid-", 0), 0u) << kept;
    EXPECT_EQ(test::readFile(kept), broken);
}

// While another program holds the hardware, `local` names it instead of a bare "in use".
TEST_F(Zamo2ctlOnSite, LocalNamesTheProgramThatHoldsTheHardware)
{
    test::BackgroundProcess holder;
    ASSERT_TRUE(holder.start(test::besideMe("core_hardware_holder"), {}, site.environment()));
    ASSERT_TRUE(holder.waitForOutput("held\n", std::chrono::seconds(30))) << holder.output();
    const ProcessResult refused = run({"--json", "local"});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_NE(refused.err.find("zamo2ctl: Held by process " + std::to_string(holder.pid()) + " (core_hardware_h).\n"),
              std::string::npos)
        << refused.err;
    EXPECT_NE(refused.out.find("\"holderPid\":" + std::to_string(holder.pid()) + ",\"holderName\""), std::string::npos)
        << refused.out;
    EXPECT_EQ(holder.finish(), 0) << holder.output();
    // Freed, the hardware is this computer's boards again; forced, the demo system.
    EXPECT_NE(run({"--json", "local"}).out.find("\"simulation\":false"), std::string::npos);
    EXPECT_NE(run({"--simulation", "force", "--json", "local"}).out.find("\"simulation\":true"), std::string::npos);
}

} // namespace
} // namespace z2e
