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
    std::string out;
    std::string err;
    EXPECT_EQ(run("selftest --board 1", out), 65); // a journal with a failed verdict
    const std::string package = m_site / "report.zip";
    ASSERT_EQ(run("report-package " + package, out, &err), 0) << err;

    const auto entries = readArchive(package);
    for (const char* name : {"inventory.json", "inventory.html", "maintenance/history.jsonl"})
        EXPECT_EQ(entries.count(name), 1u) << name << "\n" << out;
    bool driverLog = false;
    for (const auto& file : fs::recursive_directory_iterator(m_site.configFolder() + "/log"))
        driverLog = driverLog || entries.count(fs::relative(file.path(), m_site.configFolder() + "/log").string()) == 1;
    EXPECT_TRUE(driverLog) << out;
    EXPECT_NE(out.find("  inventory.json  "), std::string::npos) << out;

    const std::string json = entries.at("inventory.json").content;
    EXPECT_TRUE(validUtf8Text(json));
    pt::ptree inventory;
    std::istringstream text(json);
    ASSERT_NO_THROW(pt::read_json(text, inventory)) << json;
    const auto serials = inventorySerials(inventory);
    EXPECT_EQ(serials.at("local").size(), 8u);
    EXPECT_EQ(serials.at("demo").size(), 6u);
    EXPECT_NE(json.find("\"serial\":\"10A80002\",\"conSerial\":\"10C80002\",\"firmware\":{\"installed\":\"0274\","
                        "\"latest\":\"0274\"}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"operation\":\"selftest\",\"result\":0,\"verdict\":\" FAILED!!\""), std::string::npos)
        << json;
    EXPECT_EQ(inventory.get_child("versions").front().second.get<std::string>("component"), "ZAMO2Explorer");

    const std::string html = entries.at("inventory.html").content;
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("10A80002"), std::string::npos);
    for (const char* external : {"<script", "src=", "href=", "@import", "url("})
        EXPECT_EQ(html.find(external), std::string::npos) << external;
}

TEST_F(Zamo2ctlReport, LoggingSettingsAndAPackageWithNothingToCollect)
{
    std::string out;
    std::string err;
    ASSERT_EQ(run("logging set --file trace --level LogOff", out, &err), 0) << err;
    EXPECT_NE(out.find("file:      trace.log\n"), std::string::npos) << out;
    const std::string config = test::readFile(m_site.configFile());
    EXPECT_NE(config.find("<LogLevel>LogOff</LogLevel>"), std::string::npos) << config;
    EXPECT_NE(config.find("<CmdLogFile>trace.log</CmdLogFile>"), std::string::npos) << config;
    EXPECT_NE(config.find("<LogFile>trace_Dev.log</LogFile>"), std::string::npos) << config;
    EXPECT_EQ(run("logging set --level LogLoud", out, &err), 64);
    EXPECT_EQ(test::readFile(m_site.configFile()), config);

    // The driver logs nothing now; its folder holds only its lock.
    const std::string logs = m_site.configFolder() + "/log";
    fs::remove_all(logs);
    fs::create_directories(logs);
    test::writeFile(logs + "/lock_file", "");
    const std::string package = m_site / "report.zip";
    EXPECT_EQ(run("report-package " + package, out, &err), 9);
    EXPECT_NE(err.find("Warning! No files to collect for report package!"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(package));

    test::writeFile(logs + "/ZaMoQorin.log", "line\n");
    EXPECT_EQ(run("report-package " + (m_site / "missing/report.zip"), out, &err), 73);
    EXPECT_NE(err.find("Error! Cannot create package file in requested directory!"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(m_site / "missing"));
}

TEST_F(Zamo2ctlReport, VersionsAndOverview)
{
    std::string out;
    ASSERT_EQ(run("versions --json", out), 0);
    EXPECT_EQ(out.rfind("{\"versions\":[{\"component\":\"ZAMO2Explorer\",", 0), 0u) << out;
    EXPECT_NE(out.find("{\"component\":\"Acquisition API\",\"fileName\":\"libzmpxi_api_x64.so\""), std::string::npos)
        << out;
    ASSERT_EQ(run("--driver /nonexistent/libnone.so versions --json", out), 0);
    EXPECT_NE(out.find("\"version\":\"Driver Not Loaded\""), std::string::npos) << out;

    // The report as saved: each board's enclosure and slot (as the tree numbers them) first.
    ASSERT_EQ(run("overview --csv", out), 0);
    EXPECT_EQ(out.substr(0, out.find('\n') + 1), "Enclosure,Slot,Board Name,Base Serial,Base Cal Date,Con Serial\r\n");
    EXPECT_NE(out.find("\r\n0,3,QA-4116-STRAIN,"), std::string::npos) << out;
    EXPECT_NE(out.find("\r\n1,3,QC-3104,"), std::string::npos) << out;
    ASSERT_EQ(run("overview --extended --json --system demo", out), 0);
    pt::ptree overview;
    std::istringstream text(out);
    ASSERT_NO_THROW(pt::read_json(text, overview)) << out;
    EXPECT_EQ(overview.get_child("columns").size(), 19u);
    EXPECT_EQ(overview.get_child("rows").size(), 6u);
    EXPECT_EQ(run("overview --json --csv", out), 64);
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
            if (name.rfind(TemporaryFiles::kPrefix, 0) == 0 || name.find(".tmp") != std::string::npos)
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
    std::string said;
    std::string err;
    EXPECT_EQ(run("selftest --board 1", said), 65); // a journal to protect
    const std::string history = journalFolder() + "/history.jsonl";
    const std::string journalText = test::readFile(history);
    ASSERT_FALSE(journalText.empty());

    // A FIFO without a reader: refused at once, never opened, still there.
    const std::string fifo = out() + "/fifo.zip";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const test::ProcessResult piped =
        test::runProcess(test::besideMe("zamo2ctl"), {"report-package", fifo, "--force"}, {}, 30s);
    EXPECT_EQ(piped.exitCode, 73) << piped.err;
    EXPECT_LT(piped.elapsed, 20s);
    EXPECT_NE(piped.err.find("zamo2ctl: refused: " + fifo +
                             " is a FIFO (named pipe), not a regular file; it is "
                             "left as it is"),
              std::string::npos)
        << piped.err;
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));

    EXPECT_EQ(run("report-package /dev/null --force", said, &err), 73);
    EXPECT_NE(err.find("/dev/null is a device"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    // An existing file only with --force.
    const std::string existing = out() + "/existing.zip";
    test::writeFile(existing, "an older package");
    // Refused before anything is collected: one line, nothing built.
    EXPECT_EQ(run("report-package " + existing, said, &err), 73);
    EXPECT_EQ(err,
              "zamo2ctl: refused: " + existing + " exists; it is replaced only when asked to (zamo2ctl --force)\n");
    EXPECT_EQ(test::readFile(existing), "an older package");
    ASSERT_EQ(run("report-package " + existing + " --force", said, &err), 0) << err;
    EXPECT_EQ(test::readArchive(existing).count("inventory.json"), 1u);

    // The journal, by a link to it, through a linked folder or a ".." path: never.
    fs::create_symlink(history, out() + "/history.zip");
    fs::create_symlink(journalFolder(), out() + "/alias");
    for (const std::string& name : {history, out() + "/history.zip", out() + "/alias/package.zip",
                                    out() + "/../documents/Norvale/zamo2explorer/maintenance/package.zip"}) {
        EXPECT_EQ(run("report-package " + name + " --force", said, &err), 73) << name;
        EXPECT_NE(err.find("kept by the program itself"), std::string::npos) << err;
    }
    // The driver configuration and its log folder are its own too.
    EXPECT_EQ(run("report-package " + m_site.configFile() + " --force", said, &err), 73);
    EXPECT_NE(err.find("is the driver configuration"), std::string::npos) << err;
    EXPECT_EQ(run("report-package " + m_site.configFolder() + "/log/package.zip", said, &err), 73);
    EXPECT_NE(err.find("driver's log folder"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(m_site.configFolder() + "/log/package.zip"));

    EXPECT_EQ(test::readFile(history), journalText);
    EXPECT_FALSE(fs::exists(journalFolder() + "/package.zip"));
    EXPECT_TRUE(fs::is_symlink(out() + "/history.zip"));
    EXPECT_TRUE(temporaries(out()).empty());
    EXPECT_TRUE(temporaries(journalFolder()).empty());
}

TEST_F(Zamo2ctlFiles, AnInterruptedReportPackageLeavesNoTemporaryFile)
{
    std::string said;
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
    std::string said;
    EXPECT_EQ(run("versions", said), 0);
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
    EXPECT_NE(limited.err.find("Failed to create data package"), std::string::npos) << limited.err;
    EXPECT_FALSE(fs::exists(package));
    EXPECT_TRUE(temporaries(out()).empty()) << temporaries(out()).front();
}

TEST_F(Zamo2ctlFiles, TheNextRunRemovesTheTemporaryFilesOfAKilledRunOnly)
{
    std::string said;
    const std::string package = out() + "/report.zip";
    test::BackgroundProcess killed;
    const std::string left = startHeld(killed, {"report-package", package}, "report-package");
    EXPECT_EQ(stopWith(killed, SIGKILL), -1);
    ASSERT_FALSE(temporaries(out()).empty()); // kill -9 leaves it
    (void)left;

    // One of a process that is still running stays.
    const long self = ::getpid();
    const std::string live = out() + "/" + TemporaryFiles::kPrefix + std::to_string(self) + "-" +
                             std::to_string(TemporaryFiles::processStart(self)) + "-0000beef";
    test::writeFile(live, "being written");
    ASSERT_EQ(run("report-package " + package, said), 0);
    EXPECT_EQ(temporaries(out()), std::vector<std::string>{live});
    EXPECT_EQ(test::readFile(live), "being written");

    // The journal's board folders too: a snapshot left half by a killed run goes with the next one.
    test::BackgroundProcess snapshot;
    const std::string half =
        startHeld(snapshot, {"calibrate", "reset-defaults", "--board", "0", "--yes"}, "temporary:/maintenance/");
    EXPECT_EQ(fs::path(half).parent_path(), fs::path(journalFolder()) / "10A80001");
    EXPECT_EQ(stopWith(snapshot, SIGKILL), -1);
    ASSERT_EQ(temporaries(journalFolder()).size(), 1u);
    ASSERT_EQ(run("calibrate reset-defaults --board 0 --yes", said), 0);
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

TEST_F(Zamo2ctlFiles, SelfTestResultsAndBackupsReplaceAFileOnlyWithForce)
{
    std::string said;
    std::string err;
    const std::string results = m_site / "results";
    ASSERT_EQ(run("selftest --board 0 --save-dir " + results, said, &err), 0) << err;
    const std::string file = results + "/Self_Test_QA-4008.BNC_10A80001.xml";
    ASSERT_TRUE(fs::exists(file));
    test::writeFile(file, "kept");
    EXPECT_EQ(run("selftest --board 0 --save-dir " + results, said, &err), 73);
    EXPECT_NE(err.find("zamo2ctl: refused: " + file + " exists"), std::string::npos) << err;
    EXPECT_EQ(test::readFile(file), "kept");
    ASSERT_EQ(run("selftest --board 0 --save-dir " + results + " --force", said, &err), 0) << err;
    EXPECT_NE(test::readFile(file), "kept");
    test::writeFile(m_site / "plain", "x");
    EXPECT_EQ(run("selftest --board 0 --save-dir " + (m_site / "plain"), said, &err), 73);
    EXPECT_NE(err.find("not a folder"), std::string::npos) << err;
    EXPECT_EQ(run("selftest --board 0 --save-dir " + journalFolder(), said, &err), 73);
    EXPECT_NE(err.find("kept by the program itself"), std::string::npos) << err;

    const std::string backups = m_site / "backups";
    ASSERT_EQ(run("eeprom backup --board 0 --which base --dir " + backups, said, &err), 0) << err;
    const std::string backup = backups + "/Baseeeprom_Brd0_QA-4008.BNC_10A80001.xml";
    test::writeFile(backup, "an older backup");
    EXPECT_EQ(run("eeprom backup --board 0 --which base --dir " + backups, said, &err), 73);
    EXPECT_NE(err.find(backup + " exists"), std::string::npos) << err;
    EXPECT_EQ(test::readFile(backup), "an older backup");
    ASSERT_EQ(run("eeprom backup --board 0 --which base --dir " + backups + " --force", said, &err), 0) << err;
    EXPECT_NE(test::readFile(backup).find("<BaseEEPROM"), std::string::npos);
    EXPECT_EQ(run("eeprom backup --board 0 --which base --dir " + journalFolder() + "/10A80001", said, &err), 73);
    EXPECT_NE(err.find("kept by the program itself"), std::string::npos) << err;
    EXPECT_TRUE(temporaries(backups).empty());
}

TEST_F(Zamo2ctlFiles, DemoExportAndLogFileNamesAreRefusedInWords)
{
    std::string said;
    std::string err;
    const std::string demo = out() + "/demo.xml";
    ASSERT_EQ(run("demo export " + demo, said, &err), 0) << err;
    test::writeFile(demo, "an older demo");
    EXPECT_EQ(run("demo export " + demo, said, &err), 73);
    EXPECT_NE(err.find(demo + " exists"), std::string::npos) << err;
    EXPECT_EQ(test::readFile(demo), "an older demo");
    ASSERT_EQ(run("demo export " + demo + " --force", said, &err), 0) << err;
    EXPECT_NE(test::readFile(demo).find("<Simulation>"), std::string::npos);
    EXPECT_EQ(run("demo export " + m_site.configFile() + " --force", said, &err), 73);

    const std::string config = test::readFile(m_site.configFile());
    EXPECT_EQ(run("logging set --file nowhere/elsewhere", said, &err), 64);
    EXPECT_NE(err.find("may not hold '/'"), std::string::npos) << err;
    EXPECT_EQ(run("logging set --file my_lock_file", said, &err), 64);
    const std::string logs = m_site.configFolder() + "/log";
    fs::create_directories(logs);
    ASSERT_EQ(::mkfifo((logs + "/trace.log").c_str(), 0600), 0);
    EXPECT_EQ(run("logging set --file trace", said, &err), 73);
    EXPECT_NE(err.find(logs + "/trace.log is a FIFO (named pipe), not a plain log file"), std::string::npos) << err;
    fs::create_directories(logs + "/bench_Dev.log");
    EXPECT_EQ(run("logging set --file bench", said, &err), 73);
    EXPECT_NE(err.find("bench_Dev.log is a folder"), std::string::npos) << err;
    EXPECT_EQ(test::readFile(m_site.configFile()), config);
    ASSERT_EQ(run("logging set --file plain", said, &err), 0) << err;
}

} // namespace
} // namespace z2e
