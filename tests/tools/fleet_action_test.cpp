// One board tool across many systems: what a system that cannot be done tells (busy, not
// reached, not begun, a refused file), and zamo2ctl's --all-nodes and several --node over this
// computer and node simulators, one of them never answering.
#include "tools_fixture.h"

#include "support/net.h"
#include "support/node_sim.h"
#include "driver/command/driver_result.h"
#include "tools/fleet_action.h"
#include "tools/system_lock.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sstream>

namespace z2e {
namespace {

using namespace testing_tools;
using test::occurrences;

class FleetActionTest : public ToolsTest {
protected:
    void SetUp() override
    {
        ToolsTest::SetUp();
        m_wrapper = &connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0251", "10A80001") +
                                     boardEntry(1, "QA-4016", 3, "0254", "10A80002"));
        m_settings.journalFolder = maintenance();
        m_settings.lockFolder = m_site / "locks";
        m_settings.lockWait = std::chrono::seconds(0);
    }

    /// This computer, and a node that cannot be opened.
    std::vector<FleetTarget> targets()
    {
        return {{"local",
                 "",
                 [this](const std::function<void(QorinNodeUtilWrapper&)>& run) {
                     run(*m_wrapper);
                     return std::int32_t{0};
                 },
                 {}},
                {"Gone",
                 "127.0.0.99",
                 [](const std::function<void(QorinNodeUtilWrapper&)>&) {
                     return DriverResult::codeOf(ResultMeaning::Unreachable);
                 },
                 {}}};
    }

    void run(const std::atomic<bool>& cancel = kGo)
    {
        FleetAction action(
            m_settings, [this](const FleetBoardOutcome& outcome) { m_boards.push_back(outcome); },
            [this](const FleetSystemOutcome& outcome) { m_systems.push_back(outcome); });
        action.run(targets(), 1, cancel);
    }

    FleetSystemOutcome systemOf(std::size_t target) const
    {
        for (const FleetSystemOutcome& outcome : m_systems) {
            if (outcome.target == target)
                return outcome;
        }
        ADD_FAILURE() << "no outcome of target " << target;
        return {};
    }

    QorinNodeUtilWrapper* m_wrapper = nullptr;
    FleetActionSettings m_settings;
    std::vector<FleetBoardOutcome> m_boards;
    std::vector<FleetSystemOutcome> m_systems;
};

TEST_F(FleetActionTest, EachBoardIsToldAndASystemNotDoneSaysWhy)
{
    m_settings.tool = FleetTool::FirmwareUpdate;
    m_settings.activity = "updating firmware";
    {
        // Another program changing this computer: nothing is sent to it.
        SystemLock other(m_settings.lockFolder, SystemLock::localSystem());
        ASSERT_EQ(other.tryAcquire("zamo2", "calibrating"), SystemLock::Outcome::Held);
        run();
    }
    ASSERT_EQ(m_systems.size(), 2u);
    EXPECT_TRUE(m_boards.empty());
    EXPECT_EQ(systemOf(0).end, FleetSystemEnd::Busy);
    EXPECT_TRUE(holds(systemOf(0).message, "calibrating; nothing was changed there"));
    EXPECT_EQ(systemOf(1).end, FleetSystemEnd::Unreachable);
    EXPECT_TRUE(holds(systemOf(1).message, "could not be reached: "));
    EXPECT_TRUE(MaintenanceJournal(maintenance(), "local").history("").empty());

    m_systems.clear();
    run();
    ASSERT_EQ(m_boards.size(), 2u);
    EXPECT_EQ(m_boards[0].result, FleetBoardResult::Succeeded);
    EXPECT_TRUE(holds(m_boards[0].verdict, "0251 \u2192 0254")) << m_boards[0].verdict;
    EXPECT_EQ(m_boards[1].board.serial, "10A80002");
    EXPECT_EQ(systemOf(0).end, FleetSystemEnd::Finished);
    EXPECT_TRUE(systemOf(0).notDone.empty());

    // Stopped before it began: no system is begun, and each says so.
    m_systems.clear();
    m_boards.clear();
    const std::atomic<bool> stopped{true};
    run(stopped);
    EXPECT_TRUE(m_boards.empty());
    EXPECT_EQ(systemOf(0).end, FleetSystemEnd::NotStarted);
    EXPECT_EQ(systemOf(1).end, FleetSystemEnd::NotStarted);
}

TEST_F(FleetActionTest, ABackupOverAnExistingFileIsRefusedAndBoardsNotThereAreNamed)
{
    m_settings.tool = FleetTool::EepromBackup;
    m_settings.backupFolder = m_site / "backups";
    std::filesystem::create_directories(m_settings.backupFolder);
    run();
    ASSERT_EQ(m_boards.size(), 2u);
    EXPECT_EQ(m_boards[0].result, FleetBoardResult::Succeeded);
    EXPECT_EQ(test::filesIn(m_settings.backupFolder).size(), 2u);

    m_boards.clear();
    m_settings.boards = {};
    std::string error;
    ASSERT_TRUE(BoardAddress::parse("0/3", m_settings.boards, error)) << error;
    run();
    ASSERT_EQ(m_boards.size(), 1u);
    EXPECT_EQ(m_boards[0].result, FleetBoardResult::Refused);
    EXPECT_TRUE(holds(m_boards[0].verdict, "not saved: ")) << m_boards[0].verdict;

    m_systems.clear();
    ASSERT_TRUE(BoardAddress::parse("0/9", m_settings.boards, error)) << error;
    run();
    EXPECT_EQ(systemOf(0).end, FleetSystemEnd::NoBoards);
    EXPECT_FALSE(systemOf(0).message.empty());
}

class Zamo2ctlFleetAction : public Zamo2ctlTest {
protected:
    /// A node simulator per address with its options; "--base-port P --scan-ms 1500 " for
    /// them, or "" when one did not start (the test fails then).
    std::string startNodes(const std::vector<std::pair<std::string, test::Args>>& nodes)
    {
        std::vector<std::string> addresses;
        for (const auto& node : nodes)
            addresses.push_back(node.first);
        const std::uint16_t port = test::freeClientBasePort(addresses);
        for (const auto& [address, options] : nodes) {
            m_nodes.push_back(std::make_unique<test::NodeSimProcess>());
            if (!m_nodes.back()->start(address, options, port)) {
                ADD_FAILURE() << m_nodes.back()->output();
                return {};
            }
        }
        return "--base-port " + std::to_string(port) + " --scan-ms 1500 ";
    }

    const test::Environment environment = {"QORINET_ALLOWED_NETWORKS=127.0.0.0/8"};
    std::vector<std::unique_ptr<test::NodeSimProcess>> m_nodes;
};

// Every board of this computer and of two nodes, each journalled under its system; a backup
// file per board.
TEST_F(Zamo2ctlFleetAction, EveryBoardOfEverySystemHasItsLineAndJournalLine)
{
    const std::string common = startNodes({{"127.0.0.71", {"--name", "North"}}, {"127.0.0.72", {"--name", "South"}}});
    ASSERT_FALSE(common.empty());

    // Two boards of the example hardware fail their self test: the single run's status.
    const std::string tested = expectRun(65, common + "selftest --all-nodes --parallel 2", "", environment).out;
    EXPECT_EQ(occurrences(tested, "  selftest  "), 16u) << tested;
    EXPECT_TRUE(holds(tested, "local  0/3  QA-4116-STRAIN 10A80002  selftest  FAILED!!\n"));
    EXPECT_TRUE(holds(tested, "local  0/2  QA-4008.BNC 10A80001  selftest  PASSED\n"));
    EXPECT_EQ(occurrences(tested, "North 127.0.0.71  0/"), 4u);
    EXPECT_EQ(occurrences(tested, "South 127.0.0.72  0/"), 4u);
    EXPECT_TRUE(holds(tested, "\n16 boards on 3 systems: 14 succeeded, 2 failed\n"));
    const Strings nodes = fieldOf(MaintenanceJournal(journalFolder(), "").history(""), "node");
    EXPECT_EQ(std::count(nodes.begin(), nodes.end(), "local"), 8);
    EXPECT_EQ(std::count(nodes.begin(), nodes.end(), "127.0.0.71 North"), 4);
    EXPECT_EQ(std::count(nodes.begin(), nodes.end(), "127.0.0.72 South"), 4);

    const std::string backups = m_site / "backups";
    // A serial is the one board of the system that holds it.
    const std::string checked =
        expectRun(0, common + "--all-nodes --board 10a80003 firmware check", "", environment).out;
    EXPECT_EQ(occurrences(checked, "  firmware check  "), 1u) << checked;
    EXPECT_TRUE(holds(checked, "local  0/4  QA-4016 10A80003  firmware check  "));
    expectRun(65, common + "--all-nodes --board 7E570009 firmware check", "", environment);

    const std::string updated =
        expectRun(0, common + "--node North --node 127.0.0.72 firmware update", "", environment).out;
    EXPECT_EQ(occurrences(updated, "  firmware update  "), 8u) << updated;
    const Strings operations = fieldOf(MaintenanceJournal(journalFolder(), "").history(""), "operation");
    EXPECT_EQ(std::count(operations.begin(), operations.end(), "firmware-update"), 8);

    // One board of the example hardware has a damaged base EEPROM: no backup of it.
    const std::string saved =
        expectRun(65, common + "eeprom backup --all-nodes --which base --json --dir " + backups, "", environment).out;
    EXPECT_EQ(test::filesIn(backups).size(), 15u);
    EXPECT_EQ(occurrences(saved, "\"result\":\"succeeded\""), 15u) << saved;
    EXPECT_TRUE(holds(saved, "\"system\":\"South\",\"address\":\"127.0.0.72\",\"board\":0,\"enclosure\":0,"));
    EXPECT_TRUE(holds(saved, "\"serial\":\"10A80004\",\"tool\":\"eeprom backup\",\"result\":\"failed\","));
    EXPECT_TRUE(holds(saved, "\"succeeded\":15,\"failed\":1,\"notDone\":0,\"exitStatus\":65}\n"));
}

// Nodes chosen by name and address: one that never answers and one that is not there are named,
// the other finishes.
TEST_F(Zamo2ctlFleetAction, ANodeThatNeverAnswersIsNamedAndTheOthersFinish)
{
    const std::string common = startNodes(
        {{"127.0.0.73", {"--name", "East"}}, {"127.0.0.74", {"--name", "Quiet", "--fault", "never-answer"}}});
    ASSERT_FALSE(common.empty());

    const test::ProcessResult run =
        ctl(common + "--node east --node 127.0.0.74 --node 127.0.0.75 --timeout 60 selftest --json", environment);
    EXPECT_EQ(run.exitCode, 69) << run.out << run.err;
    EXPECT_EQ(occurrences(run.out, "\"system\":\"East\",\"address\":\"127.0.0.73\",\"board\":"), 4u) << run.out;
    // Each system's own status: one lost mid-run, one never seen.
    EXPECT_TRUE(holds(run.out, "\"system\":\"Quiet\",\"address\":\"127.0.0.74\",\"end\":\"stopped\","));
    EXPECT_TRUE(holds(run.out, "board 2\",\"board 3\"],\"exitStatus\":69}\n"));
    EXPECT_TRUE(holds(run.out, "\"end\":\"unreachable\",\"message\":\"did not appear within 1500 ms"));
    EXPECT_TRUE(holds(run.out, "reachable (zamo2ctl nodes lists those that answer); nothing was done there\","
                               "\"notDone\":[],\"exitStatus\":69}\n"));
    EXPECT_TRUE(holds(run.err, "zamo2ctl: Quiet 127.0.0.74: "));
    EXPECT_TRUE(holds(run.err, "zamo2ctl: 127.0.0.75: did not appear within 1500 ms"));
    EXPECT_TRUE(holds(run.err, "zamo2ctl: Quiet 127.0.0.74: stopped: "));
    EXPECT_TRUE(holds(run.err, "not done: board 0, board 1, board 2, board 3\n"));
    EXPECT_TRUE(holds(run.out, "{\"summary\":\"4 boards on 3 systems: 4 succeeded, 0 failed, 4 not done; node Quiet "
                               "127.0.0.74 stopped early; node 127.0.0.75 could not be reached\","));
}

// Ctrl+C and the time-out: the running node stops at its next step, no further one is begun,
// and the run ends with its summary.
TEST_F(Zamo2ctlFleetAction, CtrlCOrTheTimeOutBeginsNoFurtherNodeAndEndsWithTheSummary)
{
    const std::string common = startNodes({{"127.0.0.81", {"--fleet", "3", "--seed", "5", "--delay-ms", "100"}}});
    ASSERT_FALSE(common.empty());
    test::Args args;
    std::istringstream words(common + "--parallel 1 --node 127.0.0.81 --node 127.0.0.82 --node 127.0.0.83 selftest");
    for (std::string word; words >> word;)
        args.push_back(word);
    test::BackgroundProcess run;
    ASSERT_TRUE(run.start(test::besideMe("zamo2ctl"), args, environment));
    ASSERT_TRUE(run.waitForOutput("127.0.0.81  ", std::chrono::seconds(60))) << run.errors();
    run.signal(SIGINT);
    ASSERT_TRUE(run.waitForEnd(std::chrono::seconds(30)));
    EXPECT_EQ(run.finish(), 130) << run.output() << run.errors();
    EXPECT_TRUE(holds(run.errors(), "zamo2ctl: interrupted: no further system is begun"));
    EXPECT_TRUE(holds(run.errors(), "127.0.0.83: not begun: the run was stopped"));
    EXPECT_TRUE(holds(run.output(), "node Fleet-003 127.0.0.83 was not begun; interrupted (Ctrl+C)"));

    // The time-out stops as gently, with its own status.
    const test::ProcessResult late =
        ctl(common + "--timeout 1 --parallel 1 --node 127.0.0.81 --node 127.0.0.82 selftest", environment);
    EXPECT_EQ(late.exitCode, 75) << late.out << late.err;
    EXPECT_TRUE(holds(late.out, "node Fleet-002 127.0.0.82 was not begun; --timeout passed"));
}

TEST_F(Zamo2ctlFleetAction, CombinationsThatDoNotFitAreRefusedInWords)
{
    expectRun(64, "--all-nodes --node 127.0.0.1 selftest", "--all-nodes takes no --node");
    expectRun(64, "--all-nodes calibrate autozero", "--all-nodes apply to selftest, firmware check, firmware update");
    expectRun(64, "--node 127.0.0.1 --node 127.0.0.2 firmware list", "several --node apply to selftest");
    expectRun(64, "--node Bay-1 --node bay-1 selftest", "--node bay-1 is given twice; name each node once");
    expectRun(64, "--all-nodes selftest --save-dir out", "selftest --save-dir applies to one system");
    expectRun(64, "--all-nodes eeprom backup --dir out", "eeprom backup needs --which base, con or both");
    expectRun(64, "--parallel 2 selftest", "--parallel applies to fleet, and to a board tool with --all-nodes");
    expectRun(64, "--all-nodes --parallel 2 local", "--parallel applies to fleet");
}

} // namespace
} // namespace z2e
