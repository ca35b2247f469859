// zamo2ctl versions, logging, report-package and overview on the example hardware, and the files
// it writes where the operator names them.

#include "tools_fixture.h"

#include "support/report_archive.h"

#include "config/temporary_file.h"

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <csignal>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

namespace z2e {
namespace {

using namespace testing_tools;
using namespace std::chrono_literals;
using test::readArchive;
using test::validUtf8Text;
namespace pt = boost::property_tree;

using Zamo2ctlReport = Zamo2ctlTest;

// Board serials by system name, as the inventory lists them.
std::map<std::string, std::set<std::string>> inventorySerials(const pt::ptree& inventory)
{
    std::map<std::string, std::set<std::string>> serials;
    for (const auto& [unused, system] : inventory.get_child("systems")) {
        std::set<std::string>& found = serials[system.get<std::string>("name")];
        for (const auto& [unused2, enclosure] : system.get_child("enclosures")) {
            for (const auto& [unused3, board] : enclosure.get_child("boards"))
                found.insert(board.get<std::string>("serial"));
        }
    }
    return serials;
}

TEST_F(Zamo2ctlReport, PackageHoldsTheLogsTheJournalAndAnInventoryOfTheTrees)
{
    expectRun(65, "selftest --board 1"); // a journal with a failed verdict
    const std::string package = m_site / "report.zip";
    const std::string out = expectRun(0, "report-package " + package, "  inventory.json  ").out;

    const auto entries = readArchive(package);
    for (const char* name : {"inventory.json", "inventory.html", "maintenance/history.jsonl"})
        EXPECT_EQ(entries.count(name), 1u) << name << "\n" << out;
    bool driverLog = false;
    for (const auto& file : fs::recursive_directory_iterator(m_site.configFolder() + "/log"))
        driverLog = driverLog || entries.count(fs::relative(file.path(), m_site.configFolder() + "/log").string()) == 1;
    EXPECT_TRUE(driverLog) << out;

    const std::string json = entries.at("inventory.json").content;
    EXPECT_TRUE(validUtf8Text(json));
    pt::ptree inventory;
    std::istringstream text(json);
    ASSERT_NO_THROW(pt::read_json(text, inventory)) << json;
    const auto serials = inventorySerials(inventory);
    EXPECT_EQ(serials.at("local").size(), 8u);
    EXPECT_EQ(serials.at("demo").size(), 6u);
    EXPECT_TRUE(holds(json, "\"serial\":\"10A80002\",\"conSerial\":\"10C80002\",\"firmware\":{\"installed\":\"0274\","
                            "\"latest\":\"0274\"}"));
    EXPECT_TRUE(holds(json, "\"operation\":\"selftest\",\"result\":0,\"verdict\":\"FAILED!!\""));
    EXPECT_EQ(inventory.get_child("versions").front().second.get<std::string>("component"), "ZAMO2Explorer");
    // One version story: the Parts' version, the package and the revision beside it.
    EXPECT_EQ(inventory.get<std::string>("program").rfind("2.5.48441.00 (package ", 0), 0u);
    EXPECT_TRUE(holds(inventory.get<std::string>("program"), ", revision "));

    const std::string html = entries.at("inventory.html").content;
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_TRUE(holds(html, "10A80002"));
    for (const char* external : {"<script", "src=", "href=", "@import", "url("})
        EXPECT_EQ(html.find(external), std::string::npos) << external;
}

TEST_F(Zamo2ctlReport, LoggingSettingsAndAPackageWithNothingToCollect)
{
    expectRun(0, "logging set --file trace --level LogOff", "file:      trace.log\n");
    const std::string config = test::readFile(m_site.configFile());
    for (const char* set :
         {"<LogLevel>LogOff</LogLevel>", "<CmdLogFile>trace.log</CmdLogFile>", "<LogFile>trace_Dev.log</LogFile>"})
        EXPECT_TRUE(holds(config, set));
    expectRun(64, "logging set --level LogLoud");
    EXPECT_EQ(test::readFile(m_site.configFile()), config);

    // The driver logs nothing now; its folder holds only its lock.
    const std::string logs = m_site.configFolder() + "/log";
    fs::remove_all(logs);
    fs::create_directories(logs);
    test::writeFile(logs + "/lock_file", "");
    const std::string package = m_site / "report.zip";
    expectRun(9, "report-package " + package, "Warning! No files to collect for report package!");
    EXPECT_FALSE(fs::exists(package));

    test::writeFile(logs + "/ZaMoQorin.log", "line\n");
    expectRun(73, "report-package " + (m_site / "missing/report.zip"),
              "Error! Cannot create package file in requested directory!");
    EXPECT_FALSE(fs::exists(m_site / "missing"));
}

TEST_F(Zamo2ctlReport, VersionsAndOverview)
{
    const std::string versions =
        expectRun(0, "versions --json", "{\"component\":\"Acquisition API\",\"fileName\":\"libzmpxi_api_x64.so\"").out;
    EXPECT_EQ(versions.rfind("{\"program\":\"2.5.48441.00 (package ", 0), 0u) << versions;
    EXPECT_TRUE(holds(versions, ",\"versions\":[{\"component\":\"ZAMO2Explorer\","));
    expectRun(0, "--driver /nonexistent/libnone.so versions --json", "\"version\":\"Driver Not Loaded\"");

    // The report as saved: each board's enclosure and slot (as the tree numbers them) first.
    const std::string csv = expectRun(0, "overview --csv", "\r\n0,3,QA-4116-STRAIN,").out;
    EXPECT_EQ(csv.substr(0, csv.find('\n') + 1), "Enclosure,Slot,Board Name,Base Serial,Base Cal Date,Con Serial\r\n");
    EXPECT_TRUE(holds(csv, "\r\n1,3,QC-3104,"));
    pt::ptree overview;
    std::istringstream text(expectRun(0, "overview --extended --json --system demo").out);
    ASSERT_NO_THROW(pt::read_json(text, overview));
    EXPECT_EQ(overview.get_child("columns").size(), 19u);
    EXPECT_EQ(overview.get_child("rows").size(), 6u);
    expectRun(64, "overview --json --csv");
}

// Files zamo2ctl writes where the operator names them, and into its own folders: nothing that
// stands there is destroyed (exit status 73, in words), the program's own data is never a
// destination, and no temporary file stays, whether the run fails, is interrupted or killed.
class Zamo2ctlFiles : public Zamo2ctlTest {
protected:
    void SetUp() override
    {
        Zamo2ctlTest::SetUp();
        fs::create_directories(out());
    }

    std::string out() const { return m_site / "out"; }

    /// The program's temporary files below `folder`.
    static std::vector<std::string> temporaries(const std::string& folder)
    {
        std::vector<std::string> found;
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
            const std::string name = entry.path().filename().string();
            if (name.find(TemporaryFiles::kPrefix) != std::string::npos || name.find(".tmp") != std::string::npos)
                found.push_back(entry.path().string());
        }
        return found;
    }

    /// zamo2ctl with `arguments` held at the test hold `point`; the path the hold names.
    std::string startHeld(test::BackgroundProcess& child, const std::vector<std::string>& arguments,
                          const std::string& point)
    {
        EXPECT_TRUE(child.start(test::besideMe("zamo2ctl"), arguments, {"ZAMO2_TEST_HOLD=" + point}));
        EXPECT_TRUE(child.waitForOutput("test hold: ", 60s)) << child.output() << child.errors();
        const std::string said = child.output();
        const std::size_t at = said.find("test hold: ");
        const std::size_t blank = said.find(' ', at + 11);
        return said.substr(blank + 1, said.find('\n', blank) - blank - 1);
    }

    /// Stops a held child with `signal`; its exit status.
    static int stopWith(test::BackgroundProcess& child, int signal)
    {
        child.signal(signal);
        EXPECT_TRUE(child.waitForEnd(20s));
        return child.stop();
    }
};

TEST_F(Zamo2ctlFiles, AReportPackageNeverReplacesWhatIsNotAPlainFileOrTheJournal)
{
    expectRun(65, "selftest --board 1"); // a journal to protect
    const std::string history = journalFolder() + "/history.jsonl";
    const std::string journalText = test::readFile(history);
    ASSERT_FALSE(journalText.empty());

    // A FIFO without a reader: refused at once, never opened, still there.
    const std::string fifo = out() + "/fifo.zip";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto piped =
        expectRun(73, "report-package " + fifo + " --force",
                  "zamo2ctl: refused: " + fifo + " is a FIFO (named pipe), not a regular file; it is left as it is");
    EXPECT_LT(piped.elapsed, 20s);
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));
    expectRun(73, "report-package /dev/null --force", "/dev/null is a device");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    // An existing file only with --force, refused before anything is collected: one line.
    const std::string existing = out() + "/existing.zip";
    test::writeFile(existing, "an older package");
    EXPECT_EQ(expectRun(73, "report-package " + existing).err,
              "zamo2ctl: refused: " + existing + " exists; it is replaced only when asked to (zamo2ctl --force)\n");
    EXPECT_EQ(test::readFile(existing), "an older package");
    expectRun(0, "report-package " + existing + " --force");
    EXPECT_EQ(test::readArchive(existing).count("inventory.json"), 1u);

    // The journal, by a link to it, through a linked folder or a ".." path: never.
    fs::create_symlink(history, out() + "/history.zip");
    fs::create_symlink(journalFolder(), out() + "/alias");
    for (const std::string& name : {history, out() + "/history.zip", out() + "/alias/package.zip",
                                    out() + "/../documents/Norvale/zamo2explorer/maintenance/package.zip"})
        expectRun(73, "report-package " + name + " --force", "kept by the program itself");
    // The driver configuration and its log folder are its own too.
    expectRun(73, "report-package " + m_site.configFile() + " --force", "is the driver configuration");
    expectRun(73, "report-package " + m_site.configFolder() + "/log/package.zip", "driver's log folder");
    EXPECT_FALSE(fs::exists(m_site.configFolder() + "/log/package.zip"));

    EXPECT_EQ(test::readFile(history), journalText);
    EXPECT_FALSE(fs::exists(journalFolder() + "/package.zip"));
    EXPECT_TRUE(fs::is_symlink(out() + "/history.zip"));
    EXPECT_TRUE(temporaries(out()).empty());
    EXPECT_TRUE(temporaries(journalFolder()).empty());
}

TEST_F(Zamo2ctlFiles, AnInterruptedReportPackageLeavesNoTemporaryFile)
{
    const std::string package = out() + "/report.zip";
    for (const int signal : {SIGTERM, SIGINT}) {
        test::BackgroundProcess child;
        // Held while the archive library writes its own temporary file of the package's name.
        const std::string temporary = startHeld(child, {"report-package", package}, "report-package");
        ASSERT_EQ(fs::path(temporary).parent_path(), fs::path(out()));
        ASSERT_FALSE(temporaries(out()).empty());
        EXPECT_EQ(stopWith(child, signal), 130) << child.errors();
        EXPECT_NE(child.errors().find("zamo2ctl: interrupted"), std::string::npos);
        EXPECT_TRUE(temporaries(out()).empty()) << temporaries(out()).front();
        EXPECT_FALSE(fs::exists(package));
    }
    // The time-out ends it the same way.
    test::BackgroundProcess child;
    ASSERT_TRUE(child.start(test::besideMe("zamo2ctl"), {"--timeout", "1", "report-package", package},
                            {"ZAMO2_TEST_HOLD=report-package"}));
    ASSERT_TRUE(child.waitForEnd(30s));
    EXPECT_EQ(child.stop(), 75) << child.errors();
    EXPECT_NE(child.output().find("test hold: report-package"), std::string::npos);
    EXPECT_TRUE(temporaries(out()).empty());
    EXPECT_FALSE(fs::exists(package));
}

TEST_F(Zamo2ctlFiles, AFileSizeLimitEndsThePackageWithoutATemporaryFile)
{
    expectRun(0, "versions", "ZAMO2Explorer  2.5.48441.00 (package ");
    // A log the archive cannot shrink: the package outgrows a limit of 64 KiB.
    std::string noise(400000, '\0');
    std::uint32_t state = 12345;
    for (char& c : noise)
        c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
    test::writeFile(m_site.configFolder() + "/log/noise.log", noise);
    const std::string package = out() + "/report.zip";
    const test::ProcessResult limited = test::runProcess(
        "/bin/sh", {"-c", "ulimit -f 64 && exec \"$0\" \"$@\"", test::besideMe("zamo2ctl"), "report-package", package});
    EXPECT_EQ(limited.exitCode, 8) << limited.err;
    EXPECT_TRUE(holds(limited.err, "Failed to create data package"));
    // Why, and not the log folder, which is fine.
    EXPECT_TRUE(holds(limited.err, "cannot write the archive in " + out() + ": ")) << limited.err;
    EXPECT_TRUE(holds(limited.err, "File too large")) << limited.err;
    EXPECT_FALSE(fs::exists(package));
    EXPECT_TRUE(temporaries(out()).empty()) << temporaries(out()).front();
}

TEST_F(Zamo2ctlFiles, TheNextRunRemovesTheTemporaryFilesOfAKilledRunOnly)
{
    const std::string package = out() + "/report.zip";
    test::BackgroundProcess killed;
    startHeld(killed, {"report-package", package}, "report-package");
    EXPECT_EQ(stopWith(killed, SIGKILL), -1);
    ASSERT_FALSE(temporaries(out()).empty()); // kill -9 leaves it

    // One of a process that is still running stays.
    const long self = ::getpid();
    const std::string live = out() + "/" + TemporaryFiles::kPrefix + std::to_string(self) + "-" +
                             std::to_string(TemporaryFiles::processStart(self)) + "-0000beef";
    test::writeFile(live, "being written");
    expectRun(0, "report-package " + package);
    EXPECT_EQ(temporaries(out()), std::vector<std::string>{live});
    EXPECT_EQ(test::readFile(live), "being written");

    // The journal's board folders too: a snapshot left half by a killed run goes with the next one.
    test::BackgroundProcess snapshot;
    const std::string half =
        startHeld(snapshot, {"calibrate", "reset-defaults", "--board", "0", "--yes"}, "temporary:/maintenance/");
    EXPECT_EQ(fs::path(half).parent_path(), fs::path(journalFolder()) / "10A80001");
    EXPECT_EQ(stopWith(snapshot, SIGKILL), -1);
    ASSERT_EQ(temporaries(journalFolder()).size(), 1u);
    expectRun(0, "calibrate reset-defaults --board 0 --yes");
    EXPECT_TRUE(temporaries(journalFolder()).empty()) << temporaries(journalFolder()).front();
}

TEST_F(Zamo2ctlFiles, AnInterruptedSnapshotOrResultLeavesNoTemporaryFile)
{
    test::BackgroundProcess snapshot;
    const std::string half =
        startHeld(snapshot, {"calibrate", "reset-defaults", "--board", "0", "--yes"}, "temporary:/maintenance/");
    ASSERT_TRUE(fs::exists(half));
    EXPECT_EQ(stopWith(snapshot, SIGTERM), 130);
    EXPECT_FALSE(fs::exists(half));
    EXPECT_TRUE(temporaries(journalFolder()).empty());

    const std::string results = m_site / "results";
    test::BackgroundProcess selftest;
    const std::string result =
        startHeld(selftest, {"selftest", "--board", "0", "--save-dir", results}, "temporary:/results/");
    ASSERT_TRUE(fs::exists(result));
    EXPECT_EQ(stopWith(selftest, SIGINT), 130);
    EXPECT_TRUE(temporaries(results).empty());
    EXPECT_TRUE(fs::is_empty(results));
}

// Reads take no lock: a run that loads the driver configuration while another saves it leaves
// that save's temporary file alone, and clears only the one of a killed save.
TEST_F(Zamo2ctlFiles, ALoadOfTheConfigurationLeavesTheSaveOfAnotherRunAlone)
{
    test::BackgroundProcess saving;
    const std::string temporary =
        startHeld(saving, {"demo", "set-type", "1", "QE-D2"}, "temporary:" + m_site.configFile());
    ASSERT_TRUE(fs::exists(temporary));
    expectRun(0, "tree --system demo");
    EXPECT_TRUE(fs::exists(temporary));
    EXPECT_EQ(stopWith(saving, SIGKILL), -1);
    expectRun(0, "tree --system demo");
    EXPECT_FALSE(fs::exists(temporary));
}

// Each writer refuses an existing file without --force (and keeps it), takes it with --force,
// and never writes into the program's own folders.
TEST_F(Zamo2ctlFiles, SelfTestResultsBackupsAndDemoExportReplaceAFileOnlyWithForce)
{
    const std::string results = m_site / "results";
    const std::string backups = m_site / "backups";
    const struct {
        std::string command;
        std::string file;
        std::string written;
        std::string own;
        std::string ownSays;
    } writers[] = {
        {"selftest --board 0 --save-dir " + results, results + "/Self_Test_QA-4008.BNC_10A80001.xml", "<",
         "selftest --board 0 --save-dir " + journalFolder(), "kept by the program itself"},
        {"eeprom backup --board 0 --which base --dir " + backups, backups + "/Baseeeprom_Brd0_QA-4008.BNC_10A80001.xml",
         "<BaseEEPROM", "eeprom backup --board 0 --which base --dir " + journalFolder() + "/10A80001",
         "kept by the program itself"},
        {"demo export " + out() + "/demo.xml", out() + "/demo.xml", "<Simulation>",
         "demo export " + m_site.configFile() + " --force", ""},
    };
    for (const auto& w : writers) {
        SCOPED_TRACE(w.command);
        expectRun(0, w.command);
        ASSERT_TRUE(fs::exists(w.file));
        test::writeFile(w.file, "kept");
        expectRun(73, w.command, w.file + " exists");
        EXPECT_EQ(test::readFile(w.file), "kept");
        expectRun(0, w.command + " --force");
        EXPECT_TRUE(holds(test::readFile(w.file), w.written));
        expectRun(73, w.own, w.ownSays);
        EXPECT_TRUE(temporaries(fs::path(w.file).parent_path()).empty());
    }
    test::writeFile(m_site / "plain", "x");
    expectRun(73, "selftest --board 0 --save-dir " + (m_site / "plain"), "not a folder");
}

// The program's log is appended to a plain file: a FIFO would hold the run, and the journal is
// the program's own.
TEST_F(Zamo2ctlFiles, AProgramLogThatIsNoPlainFileIsRefusedBeforeTheRun)
{
    const std::string fifo = out() + "/log.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(expectRun(73, "--log " + fifo + " tree", fifo + " is a FIFO (named pipe)").out, "");
    expectRun(73, "--log " + out() + " tree", out() + " is a folder");
    expectRun(65, "selftest --board 1"); // a journal to protect
    const std::string history = journalFolder() + "/history.jsonl";
    const std::string journalText = test::readFile(history);
    expectRun(73, "--log " + history + " tree", "kept by the program itself");
    EXPECT_EQ(test::readFile(history), journalText);

    const std::string log = out() + "/run.log";
    expectRun(0, "--log " + log + " tree");
    expectRun(0, "--log " + log + " tree");
    EXPECT_EQ(test::occurrences(test::readFile(log), "driver version"), 2u);
}

TEST_F(Zamo2ctlFiles, LogFileNamesAreRefusedInWords)
{
    const std::string config = test::readFile(m_site.configFile());
    expectRun(64, "logging set --file nowhere/elsewhere", "may not hold '/'");
    expectRun(64, "logging set --file my_lock_file");
    // The driver's XML parser would refuse the whole configuration.
    expectRun(64, "logging set --file trace\xff", "broken UTF-8");
    const std::string logs = m_site.configFolder() + "/log";
    fs::create_directories(logs);
    ASSERT_EQ(::mkfifo((logs + "/trace.log").c_str(), 0600), 0);
    expectRun(73, "logging set --file trace", logs + "/trace.log is a FIFO (named pipe), not a plain log file");
    fs::create_directories(logs + "/bench_Dev.log");
    expectRun(73, "logging set --file bench", "bench_Dev.log is a folder");
    EXPECT_EQ(test::readFile(m_site.configFile()), config);
    expectRun(0, "logging set --file plain");
}

} // namespace
} // namespace z2e
