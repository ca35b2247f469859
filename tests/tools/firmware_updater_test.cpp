#include "tools_fixture.h"

#include "tools/board_identity.h"
#include "tools/firmware_updater.h"
#include "tools/maintenance_journal.h"
#include "driver/command/app_status.h"
#include "support/local_node_fixture.h"
#include "xpugi/untrusted_parse.h"

namespace z2e {
namespace {

using namespace testing_tools;

TEST(FirmwareDecision, InfoCodesAndDurations)
{
    const std::pair<std::int32_t, std::int32_t> codes[] = {{0, 0},          {260003, 3005},  {260009, 3003},
                                                           {260010, 3004},  {-260002, 3004}, {-260005, 3006},
                                                           {-260006, 3007}, {260004, 1}};
    for (const auto& [answer, code] : codes)
        EXPECT_EQ(FirmwareUpdater::infoCode(answer), code) << answer;
    EXPECT_EQ(FirmwareUpdater::infoText(0), "");
    EXPECT_EQ(FirmwareUpdater::infoText(-260002), "Firmware file not found!");
    EXPECT_EQ(FirmwareUpdater::infoCodeText(-1), "");
    EXPECT_EQ(FirmwareUpdater::expectedSeconds("QC-3104"), 30.0);
    EXPECT_EQ(FirmwareUpdater::expectedSeconds("QN-6204-CAN E2PROM-ERROR"), 30.0);
    EXPECT_EQ(FirmwareUpdater::expectedSeconds("QA-4008.BNC"), 120.0);
}

// A node's listing of millions of files is not read; it would take gigabytes.
TEST(FirmwareListing, AListingOfTooManyElementsIsNotRead)
{
    std::vector<std::string> names;
    ASSERT_TRUE(FirmwareUpdater::readListing("<FirmwareListing><File Name=\"a.bin\"/></FirmwareListing>", names));
    EXPECT_EQ(names, std::vector<std::string>{"a.bin"});
    std::string crowded = "<FirmwareListing>";
    for (std::size_t i = 0; i < xpugi::kMaxNodes / 2; ++i)
        crowded += "<File Name=\"x\"/>";
    EXPECT_FALSE(FirmwareUpdater::readListing(crowded + "</FirmwareListing>", names));
    EXPECT_TRUE(names.empty());
}

TEST(FirmwarePlanning, EachPairOfVersionsHasOnePlanAndWords)
{
    const struct {
        const char* installed;
        const char* latest;
        bool keepNewer;
        FirmwarePlan plan;
        const char* text;
    } cases[] = {
        {"0251", "0254", false, FirmwarePlan::Update, "Will update: 0251 → 0254"},
        {"0251", "0254", true, FirmwarePlan::Update, "Will update: 0251 → 0254"},
        {"0300", "02F4", false, FirmwarePlan::GoBack, "Will go back to the release: 0300 → 02F4"},
        {"0300", "02F4", true, FirmwarePlan::KeepNewer, "Will skip: 0300 is newer than the release 02F4: kept"},
        {"02f4", "02F4", false, FirmwarePlan::Current, "Will skip: 02f4 is the release already"},
        {"", "0254", false, FirmwarePlan::Unknown, "Will skip: installed version unknown; the release is 0254"},
        {"", "", false, FirmwarePlan::Unknown, "Will skip: installed version unknown"},
        {"0251", "", false, FirmwarePlan::Unknown, "Will skip: no release known; 0251 installed"},
        {"0251", "x1", true, FirmwarePlan::Unknown, "Will skip: the release 'x1' is no version; 0251 installed"},
    };
    for (const auto& c : cases) {
        FirmwareRow row;
        row.installed = c.installed;
        row.latest = c.latest;
        FirmwareUpdater::plan(row, c.keepNewer);
        EXPECT_EQ(row.plan, c.plan) << c.installed << " " << c.latest;
        EXPECT_EQ(FirmwareUpdater::planText(row), c.text);
        EXPECT_EQ(row.before, c.installed);
        EXPECT_EQ(row.target, c.latest);
    }
    EXPECT_STREQ(FirmwareUpdater::planName(FirmwarePlan::Update), "update");
    EXPECT_EQ(FirmwareUpdater::planText(FirmwareRow()), "");
    EXPECT_EQ(FirmwareUpdater::versions("", "0254"), "Unknown → 0254");
}

class FirmwareUpdaterTest : public ToolsTest {
protected:
    std::string firmwareOf(std::uint32_t board) { return BoardIdentity::read(m_session->wrapper(), board).firmware; }
};

TEST_F(FirmwareUpdaterTest, UpdateFollowsTheCheckOfEachBoard)
{
    QorinNodeUtilWrapper& wrapper =
        connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0251", "10A80001") +
                        boardEntry(1, "QA-4016", 3, "0251", "10A80002", firmwareCheckLiteral("1A", "1A")) +
                        boardEntry(2, "QA-4016", 4, "0251", "10A80003", firmwareCheckLiteral("20", "1F")) +
                        boardEntry(3, "QA-4016", 5, "0251", "10A80004", firmwareCheckLiteral("zz", "0254")));
    FirmwareUpdater updater(wrapper, nullptr);
    std::vector<FirmwareRow> rows;
    ASSERT_EQ(updater.check({}, rows), 0);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].installed + " " + rows[0].latest + " " + rows[0].fileName, "0251 0254 qa4008bnc_0254.zfw");

    std::vector<std::string> texts;
    EXPECT_EQ(updater.update(
                  rows, false,
                  [&](const std::string& t, double, double s) {
                      if (!t.empty())
                          texts.push_back(t + " " + std::to_string(static_cast<int>(s)));
                  },
                  kGo),
              AppStatus::FirmwareUpdateFailed);
    EXPECT_EQ(texts.front(), " Updating Board 1/4 120");
    // "1F" is no release of this model: the driver's refusal proves the version text was sent.
    const struct {
        const char* result;
        std::int32_t outcome;
        const char* firmware;
        const char* info;
    } expected[] = {{"OK", 3000, "0254", "0251 → 0254 updated"},
                    {"Skipped", 3001, "0251", "1A is the release already"},
                    {"Error!", 3002, "0251", "20 → 1F failed: Selected firmware revision not found."},
                    {"Skipped", 3001, "0251", "the installed 'zz' is no version; the release is 0254"}};
    for (std::uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(rows[i].result, expected[i].result) << i;
        EXPECT_EQ(rows[i].outcome, expected[i].outcome) << i;
        EXPECT_EQ(firmwareOf(i), expected[i].firmware) << i; // nothing sent to the skipped ones
        EXPECT_EQ(rows[i].info, expected[i].info);
    }
    EXPECT_EQ(rows[2].answer, -260006);
}

// An update the driver answers as done is only done when the board then reports the release.
TEST_F(FirmwareUpdaterTest, UpdateWhoseBoardStillReportsTheOldVersionFailed)
{
    QorinNodeUtilWrapper& wrapper =
        connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0251", "10A80001", firmwareCheckLiteral("0251", "0254")));
    MaintenanceJournal journal(maintenance(), "local");
    FirmwareUpdater updater(wrapper, &journal);
    std::vector<FirmwareRow> rows;
    ASSERT_EQ(updater.check({}, rows), 0);
    EXPECT_EQ(updater.update(rows, false, nullptr, kGo), AppStatus::FirmwareUpdateFailed);
    EXPECT_EQ(rows[0].answer, 0);
    EXPECT_EQ(rows[0].result, "Error!");
    EXPECT_EQ(rows[0].info, "0251 → 0254 failed: read-back: the board reports 0251, not 0254");
    EXPECT_EQ(fieldOf(journal.history("10A80001"), "result"), Strings{"3002"});
}

TEST_F(FirmwareUpdaterTest, RetryTouchesOnlyTheFailedRows)
{
    QorinNodeUtilWrapper& wrapper = connectHardware(
        boardEntry(0, "QA-4008.BNC", 2, "0251", "10A80001") +
        boardEntry(1, "QN-6202-UART", 3, "0441", "10A80008", "<Faults><FirmwareUpdate>1</FirmwareUpdate></Faults>"));
    MaintenanceJournal journal(maintenance(), "local");
    FirmwareUpdater updater(wrapper, &journal);
    std::vector<FirmwareRow> rows;
    ASSERT_EQ(updater.check({}, rows), 0);
    EXPECT_EQ(updater.update(rows, false, nullptr, kGo), AppStatus::FirmwareUpdateFailed);
    EXPECT_EQ(rows[0].outcome, 3000);
    EXPECT_EQ(rows[1].outcome, 3002);
    EXPECT_EQ(firmwareOf(1), "0441");

    EXPECT_EQ(updater.update(rows, true, nullptr, kGo), AppStatus::FirmwareUpdated);
    EXPECT_EQ(rows[1].result, "OK");
    EXPECT_EQ(firmwareOf(1), "0444");
    EXPECT_EQ(journal.history("10A80001").size(), 1u);
    EXPECT_EQ(journal.history("10A80008").size(), 2u);

    // Nothing failed last time: a retry has nothing to do.
    EXPECT_EQ(updater.update(rows, true, nullptr, kGo), AppStatus::FirmwareSkipped);
    EXPECT_EQ(journal.history("").size(), 3u);
}

// What the journal remembers as failed: a failed or interrupted last update, never a skipped
// or updated one, and never for a board without a serial (whose lines cannot be told apart).
TEST(FirmwareRetryFromJournal, OnlyABoardsOwnFailedLastUpdateCounts)
{
    test::ScratchFolder folder;
    MaintenanceJournal journal(folder / "maintenance", "local");
    const auto line = [&journal](const std::string& serial, std::int32_t result) {
        ASSERT_TRUE(journal.append(entryOf(serial, "firmware-update", result)));
    };
    line("S1", AppStatus::FirmwareUpdateFailed);
    line("S1", AppStatus::FirmwareSkipped);
    line("S2", AppStatus::FirmwareUpdated);
    line("S3", AppStatus::FirmwareUpdated);
    line("S3", AppStatus::FirmwareUpdateFailed);
    line("", AppStatus::FirmwareUpdateFailed);
    std::vector<FirmwareRow> rows(4);
    const char* serials[] = {"S1", "S2", "S3", ""};
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].board.serial = serials[i];
    EXPECT_EQ(FirmwareUpdater::markFailedFromJournal(rows, journal), 1u);
    EXPECT_EQ(rows[2].outcome, AppStatus::FirmwareUpdateFailed);
    for (const std::size_t kept : {0u, 1u, 3u})
        EXPECT_NE(rows[kept].outcome, AppStatus::FirmwareUpdateFailed) << serials[kept];
}

TEST_F(FirmwareUpdaterTest, SingleBoardUpdateWithAListedFile)
{
    QorinNodeUtilWrapper& wrapper = connectHardware(boardEntry(0, "QC-3104", 2, "02F4", "10A80006"));
    FirmwareUpdater updater(wrapper, nullptr);
    std::vector<std::string> files;
    ASSERT_EQ(updater.listing(files), 0);
    EXPECT_EQ(files.size(), 26u);
    std::string automatic;
    updater.autoSelection(0, automatic);
    EXPECT_EQ(automatic, "qc3104_02F4.zfw");

    FirmwareRow row;
    row.board = BoardIdentity::read(wrapper, 0);
    EXPECT_EQ(updater.updateWith(row, "", nullptr), AppStatus::FirmwareSkipped);
    EXPECT_EQ(updater.updateWith(row, "qc3104_02F1.zfw", nullptr), AppStatus::FirmwareUpdated);
    EXPECT_EQ(firmwareOf(0), "02F1");
    EXPECT_EQ(row.info, "02F4 → 02F1 updated");
    EXPECT_EQ(updater.updateWith(row, "qa4016_0254.zfw", nullptr), AppStatus::FirmwareUpdateFailed);
    EXPECT_EQ(row.info, "02F1 → qa4016_0254.zfw failed: Unknown board model.");
}

// The example's counter board has 0300, newer than its release 02F4: it goes back, and says so
// everywhere; kept newer, it is skipped with the versions; the plan tells both before.
TEST_F(FirmwareUpdaterTest, NewerFirmwareGoesBackVisiblyOrIsKept)
{
    QorinNodeUtilWrapper& wrapper = connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0251", "10A80001") +
                                                    boardEntry(1, "QC-3104", 3, "0300", "10A80006"));
    MaintenanceJournal journal(maintenance(), "local");
    FirmwareUpdater updater(wrapper, &journal);
    std::vector<FirmwareRow> rows;
    ASSERT_EQ(updater.check({}, rows), 0);
    updater.setKeepNewer(true);
    updater.plan(rows);
    EXPECT_EQ(FirmwareUpdater::planText(rows[0]), "Will update: 0251 → 0254");
    EXPECT_EQ(FirmwareUpdater::planText(rows[1]), "Will skip: 0300 is newer than the release 02F4: kept");
    EXPECT_FALSE(fs::exists(maintenance())); // planning reads only

    EXPECT_EQ(updater.update(rows, false, nullptr, kGo), AppStatus::FirmwareUpdated);
    EXPECT_EQ(rows[1].result, "Skipped");
    EXPECT_EQ(rows[1].info, "0300 is newer than the release 02F4: kept");
    EXPECT_EQ(firmwareOf(1), "0300");

    updater.setKeepNewer(false);
    updater.plan(rows);
    EXPECT_EQ(FirmwareUpdater::planText(rows[1]), "Will go back to the release: 0300 → 02F4");
    EXPECT_EQ(FirmwareUpdater::planText(rows[0]), "Will skip: 0254 is the release already");
    EXPECT_EQ(updater.update(rows, false, nullptr, kGo), AppStatus::FirmwareUpdated);
    EXPECT_EQ(rows[1].result, "OK");
    EXPECT_EQ(rows[1].info, "0300 → 02F4 went back to the release");
    EXPECT_EQ(rows[0].info, "0254 is the release already");
    EXPECT_EQ(firmwareOf(1), "02F4");
    EXPECT_EQ(fieldOf(journal.history("10A80006"), "parameters"), (Strings{"latest, keep newer", "back to 02F4"}));
}

// A board whose EEPROM cannot be read gets nothing and says why (and how to go on); the board
// after it is still updated. With the snapshots off it is updated like any other.
TEST_F(FirmwareUpdaterTest, UnreadableEepromLeavesOnlyThatBoardOut)
{
    QorinNodeUtilWrapper& wrapper = connectHardware(
        boardEntry(0, "QN-6202-UART", 2, "0441", "10A80008", "<Faults><ConEEPROM>blank</ConEEPROM></Faults>") +
        boardEntry(1, "QA-4008.BNC", 3, "0251", "10A80001"));
    MaintenanceJournal journal(maintenance(), "local");
    FirmwareUpdater updater(wrapper, &journal);
    std::vector<FirmwareRow> rows;
    ASSERT_EQ(updater.check({}, rows), 0);
    EXPECT_EQ(updater.update(rows, false, nullptr, kGo), AppStatus::FirmwareUpdateFailed);
    EXPECT_EQ(rows[0].result, "Error!");
    EXPECT_EQ(rows[0].outcome, AppStatus::FirmwareUpdateFailed);
    EXPECT_EQ(rows[0].snapshotProblem.rfind("cannot read the connector EEPROM of 0/2  QN-6202-UART 10A80008 (", 0), 0u)
        << rows[0].snapshotProblem;
    EXPECT_TRUE(holds(rows[0].snapshotProblem, "--no-snapshot"));
    EXPECT_EQ(rows[0].info, "0441 → 0444 not updated: " + rows[0].snapshotProblem);
    EXPECT_EQ(firmwareOf(0), "0441");
    EXPECT_FALSE(fs::exists(fs::path(maintenance()) / "10A80008")) << "no half snapshot stays";
    EXPECT_EQ(rows[1].info, "0251 → 0254 updated");
    EXPECT_EQ(firmwareOf(1), "0254");
    EXPECT_EQ(fieldOf(journal.history("10A80008"), "result"), Strings{"4009"});
    EXPECT_EQ(fieldOf(journal.history("10A80008"), "status"), Strings{rows[0].info});

    // The single-board update stops the same way, with the snapshot's own status.
    FirmwareRow row = rows[0];
    EXPECT_EQ(updater.updateWith(row, "qn6202uart_0444.zfw", nullptr), AppStatus::SnapshotFailed);
    EXPECT_EQ(row.snapshotProblem, rows[0].snapshotProblem);
    EXPECT_EQ(firmwareOf(0), "0441");

    journal.setSnapshotsEnabled(false);
    EXPECT_EQ(updater.update(rows, true, nullptr, kGo), AppStatus::FirmwareUpdated);
    EXPECT_TRUE(rows[0].snapshotProblem.empty());
    EXPECT_EQ(rows[0].info, "0441 → 0444 updated");
    EXPECT_EQ(firmwareOf(0), "0444");
}

using FirmwareOverTheWireTest = ScriptedToolsTest;

// A node that drops the link mid-update answers with a network failure: that row names it, and
// the boards after it are still tried.
TEST_F(FirmwareOverTheWireTest, NetworkFailureNamesTheRowAndTheOthersStillRun)
{
    connectReady(2);
    for (const char* board : {"BoardID0/Base", "BoardID1/Base"})
        test::fakeDriver().setText(
            board, "FWCheck",
            "<FWCheck><InstalledVersion>0251</InstalledVersion><LatestVersion>0254</LatestVersion>"
            "<FileName>qa4016_0254.zfw</FileName></FWCheck>");
    test::fakeDriver().setResults[::FakeDriverState::key(false, "BoardID0/Base", "FWUpdate")] = 700015;
    m_journal.setSnapshotsEnabled(false);
    FirmwareUpdater updater(m_wrapper, &m_journal);
    std::vector<FirmwareRow> rows;
    ASSERT_EQ(updater.check({}, rows), 0);
    EXPECT_EQ(updater.update(rows, false, nullptr, kGo), AppStatus::FirmwareUpdateFailed);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].result, "Error!");
    EXPECT_TRUE(holds(rows[0].info, "(700015)"));
    EXPECT_EQ(rows[0].info.find("internal error"), std::string::npos) << rows[0].info;
    EXPECT_EQ(rows[1].answer, 0); // tried and answered (the scripted check still reports 0251)
    EXPECT_EQ(test::fakeDriver().callsNamed("SetParamStruct_str").size(), 2u);
    // The journal says the update was interrupted by the lost link, not that it failed on its own.
    const Strings status = fieldOf(m_journal.history(""), "status");
    ASSERT_EQ(status.size(), 2u);
    EXPECT_EQ(status[0].rfind("interrupted: the connection to the node was lost during the change (700015 ", 0), 0u)
        << status[0];
    EXPECT_EQ(status[1], "Error! 0251 → 0254 failed: read-back: the board reports 0251, not 0254");
    EXPECT_TRUE(test::filesIn(m_scratch / "maintenance/intents").empty());
}

// A check lost on the wire tells nothing of the installed version: the row fails with the
// reason instead of being skipped as "version unknown", and nothing is sent to the board.
TEST_F(FirmwareOverTheWireTest, ACheckLostOnTheWireFailsTheRowInsteadOfSkippingIt)
{
    connectReady(1);
    test::fakeDriver().setText("BoardID0/Base", "FWCheck", "", 700008);
    m_journal.setSnapshotsEnabled(false);
    FirmwareUpdater updater(m_wrapper, &m_journal);
    std::vector<FirmwareRow> rows;
    ASSERT_EQ(updater.check({}, rows), 0);
    EXPECT_EQ(updater.update(rows, false, nullptr, kGo), AppStatus::FirmwareUpdateFailed);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].result, "Error!");
    EXPECT_TRUE(holds(rows[0].info, "not checked: the board's firmware could not be checked: no answer within 1 s"))
        << rows[0].info;
    EXPECT_TRUE(test::fakeDriver().callsNamed("SetParamStruct_str").empty());
}

} // namespace
} // namespace z2e
