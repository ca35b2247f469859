#include "tools_fixture.h"

#include "tools/change_intent.h"
#include "tools/maintenance_journal.h"

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <algorithm>
#include <fstream>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

namespace z2e {
namespace {

using namespace testing_tools;

using Zamo2ctlTools = Zamo2ctlTest;
namespace pt = boost::property_tree;

TEST_F(Zamo2ctlTools, SelfTestAndFirmwareShowTheFailingAndTheOldBoard)
{
    EXPECT_EQ(expectRun(65, "selftest --json --board 1")
                  .out.rfind("{\"status\":0,\"boards\":[{\"board\":1,\"slot\":3,\"name\":"
                             "\"QA-4116-STRAIN\",\"serial\":\"10A80002\",\"status\":"
                             "\"FAILED!!\",\"details\":[",
                             0),
              0u);
    expectRun(0, "firmware check --board 0 --json", "\"installed\":\"0251\",\"latest\":\"0254\"");
    // The counter board has no excitation supply: not applicable is no failure.
    expectRun(0, "selftest --excitation --board 5", "1/3  QC-3104 10A80006:  NOT APPLICABLE");
    expectRun(0, "history --serial 10A80002", "  local  0/3  QA-4116-STRAIN 10A80002  selftest  0 FAILED!!\n");
}

// zamo2ctl with a terminal for standard input that already holds `answer`; its exit status.
int runOnTerminal(const std::vector<std::string>& args, const std::string& answer)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return -1;
    const std::string terminal = ::ptsname(master);
    const std::string program = test::besideMe("zamo2ctl");
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        const int in = ::open(terminal.c_str(), O_RDWR);
        const int none = ::open("/dev/null", O_WRONLY);
        if (in < 0 || none < 0 || ::dup2(in, STDIN_FILENO) < 0 || ::dup2(none, STDOUT_FILENO) < 0 ||
            ::dup2(none, STDERR_FILENO) < 0)
            ::_exit(120);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(121);
    }
    const std::string line = answer + "\n";
    const bool sent = ::write(master, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    int status = -1;
    // The echo of the answer is read away so that the terminal never blocks the child.
    char echo[256];
    while (::waitpid(child, &status, WNOHANG) == 0) {
        pollfd ready{master, POLLIN, 0};
        if (::poll(&ready, 1, 50) > 0 && ::read(master, echo, sizeof echo) <= 0)
            break;
    }
    if (::waitpid(child, &status, 0) != child && !WIFEXITED(status))
        status = -1;
    ::close(master);
    return sent && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// On a terminal the question is asked: "yes" and "OK" go on, anything else sends nothing.
TEST_F(Zamo2ctlTools, OnATerminalTheAnswerDecides)
{
    const std::vector<std::string> threeWire{"calibrate", "threewire", "--board", "0"};
    EXPECT_EQ(runOnTerminal(threeWire, "no"), 65);
    EXPECT_FALSE(fs::exists(journalFolder()));
    for (const char* yes : {"yes", "OK"}) {
        EXPECT_EQ(runOnTerminal(threeWire, yes), 0) << yes;
        expectRun(0, "history --board 0", "threewire");
        fs::remove_all(journalFolder());
    }
}

TEST_F(Zamo2ctlTools, ChangesNeedConsentAndRealBoards)
{
    expectRun(65, "calibrate threewire --board 0");
    EXPECT_FALSE(fs::exists(journalFolder())); // nothing ran, nothing journalled
    for (const auto& [status, line] :
         std::vector<std::pair<int, std::string>>{{63, "--simulation force calibrate autozero"},
                                                  {64, "calibrate frob"},
                                                  {64, "firmware update-file --board 0"},
                                                  {64, "firmware check --dry-run"},
                                                  {64, "selftest --keep-newer"},
                                                  {64, "history --board 1 --serial 10A80002"}})
        expectRun(status, line);
    expectRun(0, "calibrate reset-defaults --board 0 --yes", "0/2  QA-4008.BNC 10A80001:   PASSED");
    // Board 7's panel EEPROM is blank: it cannot be snapshotted, and its first update fails.
    EXPECT_TRUE(holds(expectRun(65, "firmware update --no-snapshot --board 7 --json").out, "\"status\":3002"));
}

// The example's counter board (board 5) has 0300, newer than its release 02F4.
TEST_F(Zamo2ctlTools, FirmwarePlanKeepNewerAndGoingBackAreVisible)
{
    const std::string plan = expectRun(0, "firmware update --dry-run", "Plan\n").out;
    EXPECT_EQ(plan.rfind("Board", 0), 0u) << plan;
    for (const char* line : {"  Will update: 0251 → 0254\n", "  Will go back to the release: 0300 → 02F4\n",
                             "  Will skip: 0274 is the release already\n"})
        EXPECT_TRUE(holds(plan, line));
    const std::string last = "\nDry run: nothing was sent, snapshotted or journalled.\n";
    ASSERT_GT(plan.size(), last.size());
    EXPECT_EQ(plan.substr(plan.size() - last.size()), last);

    const std::string json = expectRun(0, "firmware update --dry-run --keep-newer --board 5 --json",
                                       "\"plan\":\"skip\",\"planText\":\"Will skip: 0300 is newer than the release "
                                       "02F4: kept\"")
                                 .out;
    EXPECT_EQ(json.rfind("{\"dryRun\":true,\"keepNewer\":true,\"boards\":[{\"board\":5,", 0), 0u) << json;
    EXPECT_FALSE(fs::exists(journalFolder())); // no snapshot, no journal line

    const std::string kept =
        expectRun(0, "firmware update --board 5 --keep-newer", "Skipped  0300 is newer than the release 02F4: kept\n")
            .out;
    EXPECT_TRUE(holds(kept, "Firmware Update skipped."));
    const std::string back = expectRun(0, "firmware update --board 5 --json", "\"installed\":\"02F4\"").out;
    EXPECT_TRUE(holds(back, "\"result\":\"OK\",\"info\":\"0300 → 02F4 went back to the release\",\"plan\":"
                            "\"back-to-release\""));
    const std::string history = expectRun(0, "history --serial 10A80006").out;
    EXPECT_TRUE(
        holds(history, "firmware-update  3001 Skipped: 0300 is newer than the release 02F4: kept  0300 -> 0300\n"));
    EXPECT_TRUE(holds(history, "firmware-update  3000 OK 0300 → 02F4 went back to the release  0300 -> 02F4\n"));
}

TEST_F(Zamo2ctlTools, CalibrationOverAllBoardsLeavesOutOnlyThoseWithoutSnapshot)
{
    const std::string out = expectRun(65, "calibrate autozero").out;
    for (const char* said : {"0/5  QN-6204-CAN 10A80004:  NOT RUN\n"
                             "  not run: cannot read the base EEPROM of 0/5  QN-6204-CAN 10A80004 (",
                             "2/3  QN-6202-UART 10A80008:  NOT RUN\n"
                             "  not run: cannot read the connector EEPROM of 2/3  QN-6202-UART 10A80008 (",
                             "zamo2ctl --no-snapshot", "0/2  QA-4008.BNC 10A80001:  PASSED\n"})
        EXPECT_TRUE(holds(out, said));
    expectRun(0, "history --serial 10A80004", "autozero  4009 not run: cannot read the base EEPROM");
    expectRun(0, "history --serial 10A80001", "autozero  0 ");
    EXPECT_EQ(expectRun(0, "calibrate autozero --board 7 --no-snapshot").out.find("NOT RUN"), std::string::npos);
}

// A change whose start cannot be recorded sends nothing: no claim that it ran, the way
// around the safety net named, and not the status of a change made but unjournalled (74).
TEST_F(Zamo2ctlTools, ACalibrationWhoseStartCannotBeRecordedSaysNothingWasSent)
{
    fs::create_directories(journalFolder());
    std::ofstream(journalFolder() + "/intents") << "a file where the folder belongs";
    const test::ProcessResult run = expectRun(63, "calibrate autozero --board 0");
    EXPECT_FALSE(holds(run.err, " ran on ")) << run.err;
    EXPECT_TRUE(holds(run.err, "cannot record the change's start")) << run.err;
    EXPECT_TRUE(holds(run.err, "nothing was sent - to change the board anyway, turn the snapshots off")) << run.err;
}

// --retry-failed takes the failed boards from the journal: an interrupted update counts, and
// with none to retry nothing is sent and the command says so.
TEST_F(Zamo2ctlTools, RetryFailedRemembersInterruptedUpdatesAndSaysWhenThereIsNothing)
{
    const auto none = expectRun(66, "firmware update --retry-failed --board 0",
                                "records no failed or interrupted firmware update of board 0 on this node");
    EXPECT_EQ(none.out, "");
    EXPECT_TRUE(holds(none.err, "zamo2ctl: nothing to retry: the journal ("));
    EXPECT_FALSE(fs::exists(journalFolder() + "/history.jsonl"));
    EXPECT_TRUE(holds(expectRun(66, "firmware update --retry-failed --json").out, "\"exitStatus\":66"));

    MaintenanceJournal journal(journalFolder(), "local");
    ASSERT_TRUE(journal.append(entryOf("10A80001", "firmware-update")));
    ASSERT_TRUE(journal.append(entryOf("10A80001", "firmware-update", ChangeIntent::kInterruptedResult)));
    expectRun(0, "firmware update --retry-failed", "Firmware Update complete.");
    EXPECT_EQ(journal.history("10A80001").size(), 3u);
    EXPECT_EQ(journal.history("").size(), 3u); // no other board was touched
    expectRun(66, "firmware update --retry-failed");
}

TEST_F(Zamo2ctlTools, HistoryStaysCompleteInAnyCaseAndByBoardWithADamagedJournal)
{
    expectRun(65, "selftest --board 1");
    {
        std::ofstream file(MaintenanceJournal::defaultFolder() + "/history.jsonl", std::ios::app | std::ios::binary);
        file << "\x01\x02 garbage\n{\"serial\":\"10A80002\",\"status\":\"\xc3\"}\n{\"serial\":\"10A8";
    }
    expectRun(65, "selftest --board 1");
    const auto json = expectRun(0, "history --serial 10a80002 --json");
    EXPECT_TRUE(holds(json.err, "3 damaged lines skipped"));
    pt::ptree lines;
    std::istringstream text(json.out);
    ASSERT_NO_THROW(pt::read_json(text, lines)) << json.out;
    EXPECT_EQ(lines.size(), 2u) << json.out;
    EXPECT_EQ(expectRun(0, "history --serial NOSUCH --json").out, "[]\n");
    const std::string table = expectRun(0, "history --board 1", "QA-4116-STRAIN 10A80002  selftest").out;
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 2) << table;
    expectRun(65, "history --board 99", "board 99 has no serial number");
    EXPECT_EQ(test::zamo2ctl({"firmware", "update-file", "--board", "0", ""}).exitCode, 64);
}

} // namespace
} // namespace z2e
