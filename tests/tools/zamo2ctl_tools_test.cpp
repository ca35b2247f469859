#include "tools_fixture.h"

#include "tools/change_intent.h"
#include "tools/maintenance_journal.h"

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <algorithm>

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
    std::string out;
    EXPECT_EQ(run("selftest --json --board 1", out), 65);
    EXPECT_EQ(out.rfind("{\"status\":0,\"boards\":[{\"board\":1,\"slot\":3,\"name\":\"QA-4116-STRAIN\","
                        "\"serial\":\"10A80002\",\"status\":\" FAILED!!\",\"details\":[",
                        0),
              0u)
        << out;
    EXPECT_EQ(run("firmware check --board 0 --json", out), 0);
    EXPECT_NE(out.find("\"installed\":\"0251\",\"latest\":\"0254\""), std::string::npos) << out;
    // The counter board has no excitation supply: not applicable is no failure.
    EXPECT_EQ(run("selftest --excitation --board 5", out), 0) << out;
    EXPECT_NE(out.find("QC-3104:  NOT APPLICABLE"), std::string::npos) << out;
    EXPECT_EQ(run("history --serial 10A80002", out), 0);
    EXPECT_NE(out.find("  local  board 1 slot 3  QA-4116-STRAIN 10A80002  selftest  0  FAILED!!\n"), std::string::npos)
        << out;
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
        std::string out;
        ASSERT_EQ(run("history --board 0", out), 0);
        EXPECT_NE(out.find("threewire"), std::string::npos) << yes << ": " << out;
        fs::remove_all(journalFolder());
    }
}

TEST_F(Zamo2ctlTools, ChangesNeedConsentAndRealBoards)
{
    std::string out;
    EXPECT_EQ(run("calibrate threewire --board 0", out), 65);
    EXPECT_FALSE(fs::exists(journalFolder())); // nothing ran, nothing journalled
    EXPECT_EQ(run("--simulation force calibrate autozero", out), 63);
    EXPECT_EQ(run("calibrate frob", out), 64);
    EXPECT_EQ(run("firmware update-file --board 0", out), 64);
    EXPECT_EQ(run("calibrate reset-defaults --board 0 --yes", out), 0);
    EXPECT_NE(out.find("Board 0  Slot 2:  QA-4008.BNC:   PASSED"), std::string::npos) << out;
}

TEST_F(Zamo2ctlTools, FirmwareUpdateReportsFailure)
{
    std::string out;
    // Board 7's panel EEPROM is blank: it cannot be snapshotted, and its first update fails.
    EXPECT_EQ(run("firmware update --no-snapshot --board 7 --json", out), 65);
    EXPECT_NE(out.find("\"status\":3002"), std::string::npos) << out;
}

// The example's counter board (board 5) has 0300, newer than its release 02F4.
TEST_F(Zamo2ctlTools, FirmwarePlanKeepNewerAndGoingBackAreVisible)
{
    std::string out;
    std::string err;
    ASSERT_EQ(run("firmware update --dry-run", out, &err), 0) << err;
    EXPECT_EQ(out.rfind("Board", 0), 0u) << out;
    EXPECT_NE(out.find("Plan\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  Will update: 0251 → 0254\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  Will go back to the release: 0300 → 02F4\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  Will skip: 0274 is the release already\n"), std::string::npos) << out;
    const std::string last = "\nDry run: nothing was sent, snapshotted or journalled.\n";
    ASSERT_GT(out.size(), last.size());
    EXPECT_EQ(out.substr(out.size() - last.size()), last);
    EXPECT_FALSE(fs::exists(journalFolder())); // no snapshot, no journal line

    ASSERT_EQ(run("firmware update --dry-run --keep-newer --board 5 --json", out), 0);
    EXPECT_EQ(out.rfind("{\"dryRun\":true,\"keepNewer\":true,\"boards\":[{\"board\":5,", 0), 0u) << out;
    EXPECT_NE(out.find("\"plan\":\"skip\",\"planText\":\"Will skip: 0300 is newer than the release 02F4: kept\""),
              std::string::npos)
        << out;
    EXPECT_EQ(run("firmware check --dry-run", out), 64);
    EXPECT_EQ(run("selftest --keep-newer", out), 64);
    EXPECT_FALSE(fs::exists(journalFolder()));

    ASSERT_EQ(run("firmware update --board 5 --keep-newer", out, &err), 0) << err;
    EXPECT_NE(out.find("Skipped  0300 is newer than the release 02F4: kept\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Firmware Update skipped."), std::string::npos) << out;
    ASSERT_EQ(run("firmware update --board 5 --json", out, &err), 0) << err;
    EXPECT_NE(out.find("\"installed\":\"02F4\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"result\":\"OK\",\"info\":\"0300 → 02F4 went back to the release\",\"plan\":"
                       "\"back-to-release\""),
              std::string::npos)
        << out;
    ASSERT_EQ(run("history --serial 10A80006", out), 0);
    EXPECT_NE(out.find("firmware-update  3001 Skipped: 0300 is newer than the release 02F4: kept  0300 -> 0300\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("firmware-update  3000 OK 0300 → 02F4 went back to the release  0300 -> 02F4\n"),
              std::string::npos)
        << out;
}

// Boards 3 (base) and 7 (connector panel) have an EEPROM that cannot be read.
TEST_F(Zamo2ctlTools, CalibrationOverAllBoardsLeavesOutOnlyThoseWithoutSnapshot)
{
    std::string out;
    std::string err;
    EXPECT_EQ(run("calibrate autozero", out, &err), 65) << err;
    EXPECT_NE(out.find("Board 3  Slot 5:  E2PROM-ERROR:  NOT RUN\n"
                       "  not run: cannot read the base EEPROM of board 3 (QN-6204-CAN 10A80004) ("),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Board 7  Slot 3:  QN-6202-UART E2PROM-ERROR:  NOT RUN\n"
                       "  not run: cannot read the connector EEPROM of board 7 (QN-6202-UART 10A80008) ("),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("zamo2ctl --no-snapshot"), std::string::npos) << out;
    EXPECT_NE(out.find("Board 0  Slot 2:  QA-4008.BNC:  PASSED\n"), std::string::npos) << out;
    ASSERT_EQ(run("history --serial 10A80004", out), 0);
    EXPECT_NE(out.find("autozero  4009 not run: cannot read the base EEPROM"), std::string::npos) << out;
    ASSERT_EQ(run("history --serial 10A80001", out), 0);
    EXPECT_NE(out.find("autozero  0 "), std::string::npos) << out;

    EXPECT_EQ(run("calibrate autozero --board 7 --no-snapshot", out, &err), 0) << out << err;
    EXPECT_EQ(out.find("NOT RUN"), std::string::npos) << out;
}

// --retry-failed takes the failed boards from the journal: an interrupted update counts, and
// with none to retry nothing is sent and the command says so.
TEST_F(Zamo2ctlTools, RetryFailedRemembersInterruptedUpdatesAndSaysWhenThereIsNothing)
{
    std::string out;
    std::string err;
    EXPECT_EQ(run("firmware update --retry-failed --board 0", out, &err), 66);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("zamo2ctl: nothing to retry: the journal ("), std::string::npos) << err;
    EXPECT_NE(err.find("records no failed or interrupted firmware update of board 0 on this node"), std::string::npos)
        << err;
    EXPECT_FALSE(fs::exists(journalFolder() + "/history.jsonl"));
    EXPECT_EQ(run("firmware update --retry-failed --json", out), 66);
    EXPECT_NE(out.find("\"exitStatus\":66"), std::string::npos) << out;

    MaintenanceJournal journal(journalFolder(), "local");
    JournalEntry entry;
    entry.serial = "10A80001";
    entry.operation = "firmware-update";
    ASSERT_TRUE(journal.append(JournalEntry(entry)));
    entry.result = ChangeIntent::kInterruptedResult;
    ASSERT_TRUE(journal.append(entry));
    EXPECT_EQ(run("firmware update --retry-failed", out, &err), 0) << err;
    EXPECT_NE(out.find("Firmware Update complete."), std::string::npos) << out;
    EXPECT_EQ(journal.history("10A80001").size(), 3u);
    EXPECT_EQ(journal.history("").size(), 3u); // no other board was touched
    EXPECT_EQ(run("firmware update --retry-failed", out), 66);
}

TEST_F(Zamo2ctlTools, HistoryStaysCompleteInAnyCaseAndByBoardWithADamagedJournal)
{
    std::string out;
    std::string err;
    EXPECT_EQ(run("selftest --board 1", out), 65);
    {
        std::ofstream file(MaintenanceJournal::defaultFolder() + "/history.jsonl", std::ios::app | std::ios::binary);
        file << "\x01\x02 garbage\n{\"serial\":\"10A80002\",\"status\":\"\xc3\"}\n{\"serial\":\"10A8";
    }
    EXPECT_EQ(run("selftest --board 1", out), 65);
    EXPECT_EQ(run("history --serial 10a80002 --json", out, &err), 0);
    EXPECT_NE(err.find("3 damaged lines skipped"), std::string::npos) << err;
    pt::ptree lines;
    std::istringstream json(out);
    ASSERT_NO_THROW(pt::read_json(json, lines)) << out;
    EXPECT_EQ(lines.size(), 2u) << out;
    EXPECT_EQ(run("history --board 1", out, &err), 0) << err;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
    EXPECT_NE(out.find("QA-4116-STRAIN 10A80002  selftest"), std::string::npos) << out;
    EXPECT_EQ(run("history --board 1 --serial 10A80002", out), 64);
    EXPECT_EQ(run("history --board 99", out, &err), 65);
    EXPECT_NE(err.find("board 99 has no serial number"), std::string::npos) << err;
    EXPECT_EQ(test::runProcess(test::besideMe("zamo2ctl"), {"firmware", "update-file", "--board", "0", ""}).exitCode,
              64);
}

} // namespace
} // namespace z2e
