#include "tools_fixture.h"

#include "tools/maintenance_journal.h"

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <algorithm>

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
    EXPECT_NE(out.find("  local  board 1 slot 3  QA-4116-STRAIN 10A80002  selftest  0  FAILED!!\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(run("history --serial 10A80002 --json", out), 0);
    EXPECT_EQ(out.rfind("[\n{\"time\":", 0), 0u) << out;
    EXPECT_NE(out.find("\"operation\":\"selftest\""), std::string::npos) << out;
}

TEST_F(Zamo2ctlTools, ChangesNeedConsentAndRealBoards)
{
    std::string out;
    EXPECT_EQ(run("calibrate threewire --board 0", out), 65);
    EXPECT_FALSE(fs::exists(maintenance())); // nothing ran, nothing journalled
    EXPECT_EQ(run("--simulation force calibrate autozero", out), 63);
    EXPECT_EQ(run("calibrate frob", out), 64);
    EXPECT_EQ(run("firmware update-file --board 0", out), 64);
    EXPECT_EQ(run("calibrate reset-defaults --board 0 --yes", out), 0);
    EXPECT_NE(out.find("Board 0  Slot 2:  QA-4008.BNC:   PASSED"), std::string::npos) << out;
}

TEST_F(Zamo2ctlTools, FirmwareUpdateReportsFailureAndRetriesOnlyThatBoard)
{
    std::string out;
    // Board 7's panel EEPROM is blank: it cannot be snapshotted, and its first update fails.
    EXPECT_EQ(run("firmware update --no-snapshot --board 7 --json", out), 65);
    EXPECT_NE(out.find("\"status\":3002"), std::string::npos) << out;
    EXPECT_EQ(run("firmware update --board 0", out), 0);
    EXPECT_NE(out.find("Firmware Update complete."), std::string::npos) << out;
    EXPECT_EQ(run("firmware update --retry-failed --no-snapshot --json", out), 65);
    EXPECT_NE(out.find("\"board\":0,\"name\":\"QA-4008.BNC\",\"installed\":\"0254\",\"latest\":\"0254\","
                       "\"status\":\"ERR_NONE (0)\",\"result\":\"\""),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\"board\":7,\"name\":\"QN-6202-UART E2PROM-ERROR\",\"installed\":\"0441\","
                       "\"latest\":\"0444\",\"status\":\"WARNING_INSTALLED_OLDER (-260901)\",\"result\":\"Error!\""),
              std::string::npos)
        << out;
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
