// zamo2ctl as a program: its command line, exit status and output on the scripted driver, and
// on the driver stand-in checked against the model the window uses.

#include "support/eventually.h"
#include "support/fake_driver.h"
#include "support/zamo2ctl_run.h"

#include "config/qorin_cfg_handler.h"
#include "core/application_status.h"
#include "core/system_model.h"
#include "core/tree_row_list.h"
#include "qorinet_api/client/qorinet_local_client_node.h"
#include "xpugi/untrusted_parse.h"
#include "zmpxi/driver_api.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <chrono>
#include <sstream>
#include <string>

namespace z2e {
namespace {

using test::Args;
using test::ctl;
using test::expectRun;
using test::fakeDriverPath;
using test::holds;
using test::ProcessResult;
using test::zamo2ctl;

// Exit status and standard output: what scripts would parse.
std::string shown(const std::string& line)
{
    const ProcessResult run = ctl(line);
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

// Raw access needs no driver for the texts of results, and exits with the driver's result.
TEST(Zamo2ctl, RawAccessTellsAndExitsWithTheDriverResult)
{
    const std::string fake = "--driver " + fakeDriverPath() + " ";
    const std::pair<std::string, std::string> runs[] = {
        {"--driver /nonexistent.so driver-text 1", "0 ERR_HARDWARE_ALREADY_IN_USE (0x0001)\n"},
        {"driver-text 0xAAE69", "0 ERR_UNI_OSAL_ERROR\n"},
        {"driver-text 1028", "1 "},
        {"driver-text --json -400000",
         "0 {\"code\":-400000,\"known\":true,\"text\":\"WARNING_LAST_CONFIG_NOT_FOUND (- 400000)\"}\n"},
        // The simulation mode is set before the driver starts.
        {fake + "--simulation off get fake modeAtInit", "0 SIMMODE_OFF\n"},
        {fake + "get fake modeAtInit", "0 unset\n"},
        {fake + "--json set BoardID0 x a\"b", "0 {\"argument1\":\"BoardID0\",\"argument2\":\"x\",\"argument3\":"
                                              "\"a\\\"b\",\"result\":0,\"resultText\":\"ERR_NONE (0)\"}\n"},
    };
    for (const auto& [line, expected] : runs)
        EXPECT_EQ(shown(line), expected) << line;
    expectRun(0, fake + "set-i32 0 773 -1");
    expectRun(64, fake + "set-i32 zero 773 0");
    expectRun(63, fake + "get NoSuchTarget item"); // 100008 does not fit an exit status
}

TEST(Zamo2ctl, LocalReportsTheConnectedSystem)
{
    EXPECT_EQ(zamo2ctl({"--driver", fakeDriverPath(), "--json", "local"}, {"QORINET_FAKE_BOARDS=-3"}).out,
              "{\"boardCount\":3,\"enclosureCount\":1,\"simulation\":true,\"driverVersion\":\"9.9.9-fake\","
              "\"result\":0,\"resultText\":\"ERR_NONE (0)\"}\n");
    expectRun(2, "--driver /nonexistent/libnothing.so local",
              "zmpxi_api_x64.dll (libzmpxi_api_x64.so) could not be loaded; looked for in "
              "/nonexistent/libnothing.so: ");
    // A FIFO would hold the loader until the time-out.
    test::ScratchFolder folder("z2e-driver");
    const std::string fifo = folder / "libfifo.so";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    expectRun(2, "--driver " + fifo + " local", fifo + ": a FIFO (named pipe), not a library file");
}

class Zamo2ctlOnSite : public ::testing::Test {
protected:
    void SetUp() override { site.enter(); }
    void TearDown() override { unloadDriverApi(); }

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
    const auto stopped =
        expectRun(75, "--timeout 2 firmware update --board 0", "no result within 2 s (--timeout 2)", slow());
    EXPECT_LT(stopped.elapsed.count(), 20000);
    const std::string history =
        expectRun(0, "history", "firmware-update  4110 interrupted: firmware-update was started but did not end").out;
    EXPECT_EQ(history.find("firmware-update", history.find("[interrupted]\n")), std::string::npos) << history;
    expectRun(64, "--timeout 0 local");
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
        const std::string history = ctl("history --serial 10A80001").out;
        EXPECT_FALSE(pending());
        EXPECT_EQ(test::occurrences(history, "firmware-update  4110 interrupted: "), signal == SIGINT ? 2u : 1u)
            << history;
    }
}

// Red rows are marked, so that a pipe still shows them.
TEST_F(Zamo2ctlOnSite, TreePrintsTheRowsTheWindowShows)
{
    std::vector<std::string> lines;
    std::istringstream text(expectRun(0, "tree --system local").out);
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
    const std::size_t rows = test::occurrences(expectRun(0, "tree --system demo --format text").out, "\n");
    ASSERT_GT(rows, 10u);
    const std::string json =
        expectRun(0, "tree --system demo --format json", "],\"tree\":[{\"text\":\"Demo System\"").out;
    EXPECT_EQ(test::occurrences(json, "\"depth\":"), 2 * rows) << json;
    const std::string csv = expectRun(0, "tree --system demo --format csv").out;
    EXPECT_EQ(csv.rfind("depth,kind,red,name,value,text\r\n0,system,0,Demo System,,Demo System\r\n", 0), 0u) << csv;
    EXPECT_EQ(test::occurrences(csv, "\r\n"), rows + 1);
    expectRun(64, "tree --format xml");
}

// A board is replaced only when told; an import takes a whole configuration.
TEST_F(Zamo2ctlOnSite, DemoCommandsEditAndSaveTheConfiguration)
{
    const std::string whole = site / "whole.xml";
    test::writeFile(whole, test::readFile(site.configFile()));
    EXPECT_TRUE(holds(expectRun(63, "demo put-board 1 2 QC-3104", "holds QD-5032; --replace").err, "516"));
    EXPECT_EQ(test::readFile(site.configFile()), test::readFile(whole));
    for (const auto& [status, line, says] :
         std::vector<std::tuple<int, std::string, std::string>>{{0, "demo put-board 1 2 QC-3104 --replace", ""},
                                                                {0, "demo add-enclosure qe-d2", "enclosure 2: QE-D2"},
                                                                {0, "demo put-board 2 3 QC-3104", ""},
                                                                {0, "demo remove 0", ""},
                                                                {64, "demo", ""},
                                                                {64, "demo frob", ""},
                                                                {64, "demo remove 1 2 3", ""},
                                                                {64, "demo put-board x 2 QC-3104", ""}})
        expectRun(status, line, says);
    EXPECT_EQ(expectRun(63, "demo put-board 1 9 QC-3104", "513").out, "");

    readSavedConfiguration();
    ASSERT_EQ(enclosures.size(), 2u);
    EXPECT_TRUE(holds(enclosures[1].key, "QE-D2"));
    ASSERT_EQ(boards.size(), 3u) << "QE-P4's two boards and the new one";
    EXPECT_EQ(boards[2].boardName, "QC-3104");
    EXPECT_EQ(boards[2].encNumber, 1);

    const std::string file = site / "exported.xml";
    for (const std::string& line : {"demo export " + file, std::string("demo remove 1"), "demo import " + file})
        expectRun(0, line);
    readSavedConfiguration();
    EXPECT_EQ(enclosures.size(), 2u);
    // set-type leaves an empty enclosure of the new type.
    expectRun(0, "demo set-type 1 qe-p4");
    readSavedConfiguration();
    ASSERT_EQ(enclosures.size(), 2u);
    EXPECT_TRUE(holds(enclosures[1].key, "QE-P4"));
    EXPECT_EQ(boards.size(), 2u);
    expectRun(0, "demo import " + whole);
    readSavedConfiguration();
    ASSERT_EQ(boards.size(), 6u);
    EXPECT_EQ(boards[4].boardName, "QD-5032");

    // The configuration now lives behind a link into a folder that has gone: the edit is
    // reported as not saved, with the system's reason, and never as done.
    const std::string config = site.configFile();
    const std::string moved = site / "elsewhere.xml";
    ASSERT_EQ(std::rename(config.c_str(), moved.c_str()), 0);
    ASSERT_EQ(::symlink((site / "gone/zmpxi_api_config.xml").c_str(), config.c_str()), 0);
    const ProcessResult unsaved = ctl("demo add-enclosure qe-d2");
    EXPECT_NE(unsaved.exitCode, 0);
    EXPECT_EQ(unsaved.out, "");
    EXPECT_EQ(unsaved.err.find("done"), std::string::npos) << unsaved.err;
    EXPECT_TRUE(holds(unsaved.err, "No such file or directory"));
}

// Millions of tiny elements fit under the size cap and would take gigabytes to parse: such a
// file is refused in words, by the import and by the check, and the configuration stays.
TEST_F(Zamo2ctlOnSite, FilesOfMillionsOfTinyElementsAreRefusedInWords)
{
    const std::string crowded = site / "crowded.xml";
    std::string text = "<zmpxi_api_config>";
    for (std::size_t i = 0; i < xpugi::kMaxNodes; ++i)
        text += "<a/>";
    test::writeFile(crowded, text + "</zmpxi_api_config>");
    const std::string before = test::readFile(site.configFile());
    const std::string found =
        "more than " + std::to_string(xpugi::kMaxNodes) + " elements and attributes, far more than any ";
    expectRun(63, "demo import " + crowded, "demo file " + crowded + ": " + found + "demo file holds; not read");
    EXPECT_EQ(test::readFile(site.configFile()), before);
    expectRun(1, "config check " + crowded,
              "zamo2ctl: " + crowded + ": " + found + "driver configuration holds; not read\n");
}

TEST_F(Zamo2ctlOnSite, BrokenConfigurationIsToldAndKeptAtTheFirstSave)
{
    const std::string broken = "<zmpxi_api_config>\n<Definition>\n</zmpxi_api_config>";
    test::writeFile(site.configFile(), broken);
    EXPECT_TRUE(holds(ctl("tree --system demo").err,
                      "zamo2ctl: Driver configuration not usable, defaults in use: " + site.configFile() +
                          ": not XML: Start-end tags mismatch at line 3, column 3"));
    const std::string added = expectRun(0, "demo add-enclosure qe-d2", "kept:").out;
    const std::size_t at = added.find("kept:");
    std::string kept = added.substr(at + 5, added.find('\n', at) - at - 5);
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
    const ProcessResult refused = ctl("--json local");
    EXPECT_NE(refused.exitCode, 0);
    const std::string pid = std::to_string(holder.pid());
    EXPECT_TRUE(holds(refused.err, "zamo2ctl: Held by process " + pid + " (core_hardware_h).\n"));
    EXPECT_TRUE(holds(refused.out, "\"holderPid\":" + pid + ",\"holderName\""));
    EXPECT_EQ(holder.finish(), 0) << holder.output();
    // Freed, the hardware is this computer's boards again; forced, the demo system.
    expectRun(0, "--json local", "\"simulation\":false");
    expectRun(0, "--simulation force --json local", "\"simulation\":true");
}

} // namespace
} // namespace z2e
