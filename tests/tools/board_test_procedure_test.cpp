#include "tools_fixture.h"

#include "tools/board_identity.h"
#include "tools/board_identity_parse.h"
#include "tools/board_test_procedure.h"
#include "tools/helper_thread.h"
#include "tools/maintenance_journal.h"
#include "tools/result_judging.h"
#include "tools/test_result_files.h"
#include "tools/test_verdict.h"
#include "xpugi/untrusted_parse.h"
#include "driver/command/app_status.h"
#include "support/local_node_fixture.h"

#include <fstream>
#include <new>
#include <sched.h>

namespace z2e {
namespace {

using namespace testing_tools;

TEST(TestVerdict, StatusTableIgnoresCaseAndFallsBackToNotApplicable)
{
    const std::pair<const char*, const char*> table[] = {
        {"true", " PASSED"},
        {"TRUE", " PASSED"},
        {"False", " FAILED!!"},
        {"undone", " NOT PERFORMED"},
        {"OverLimit", " CALIBRATION ERROR"},
        {"setuperror", " CONFIG ERROR"},
        {"HARDWAREERROR", " HARDWARE FAILURE"},
        {"na", " NOT APPLICABLE"},
        {"maybe", " NOT APPLICABLE"},
        {"", " NOT APPLICABLE"},
    };
    for (const auto& [passed, status] : table)
        EXPECT_EQ(TestVerdict::statusOf(passed), status) << passed;
}

TEST(TestVerdict, DocumentGivesBoardVerdictAndDetailRows)
{
    std::string status;
    std::vector<std::string> details;
    EXPECT_FALSE(TestVerdict::read("<HardwareCheck><BoardId0 Passed=", status, details));
    EXPECT_EQ(status, " UNKNOWN");
    EXPECT_FALSE(TestVerdict::read("", status, details));
    EXPECT_EQ(status, " UNKNOWN");

    const std::string gain =
        "<Selfjustage><BoardId3 Passed=\"True\"><Check Target=\"SelfJustage\" Passed=\"false\" Limit=\"0.002\">"
        "<ID0 Device=\"Excitation\" Range=\"5 V\" Limit=\"0.01\" Meas_Gain=\"0.99\" Old_Gain=\"1.01\" "
        "Passed=\"true\"/><Info Passed=\"false\"/></Check><Check/></BoardId3></Selfjustage>";
    // Gain rows; measured values with their units; the first of two attributes of one name counts.
    const std::string measured =
        "<HardwareCheck><BoardId1 Passed=\"false\"><Check Target=\"Offset\" Passed=\"false\">"
        "<ID1 Device=\"AI3\" Range=\"10 V\" Passed=\"false\" Value=\"0.7\" Unit=\"mV\" "
        "Limit=\"0.5\" Value=\"9\"/><ID2 Value=\"3\" Unit=\"\"/></Check></BoardId1></HardwareCheck>";
    const struct {
        const std::string& document;
        const char* status;
        Strings details;
    } cases[] = {{gain,
                  " PASSED",
                  {"  SelfJustage: FAILED!! (Limit: 0.002)",
                   "    EXC  5 V: PASSED (Meas_Gain: 0.99 Prev_Gain: 1.01) (Limit: 0.01)",
                   "  EmptyNode: EmptyState (Limit: EmptyNode)"}},
                 {measured,
                  " FAILED!!",
                  {"  Offset: FAILED!! (Limit: EmptyNode)", "    AI3  10 V: FAILED!! (Value: 0.7 mV) (Limit: 0.5)",
                   "      EmptyNode: EmptyState (Value: 3) (Limit: EmptyNode)"}}};
    for (const auto& c : cases) {
        ASSERT_TRUE(TestVerdict::read(c.document, status, details));
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(details, c.details);
    }
    // A verdict of millions of tiny elements from a node is not read.
    std::string tiny;
    for (std::size_t i = 0; i < xpugi::kMaxNodes; ++i)
        tiny += "<a/>";
    EXPECT_FALSE(TestVerdict::read(gain.substr(0, gain.size() - 14) + tiny + "</Selfjustage>", status, details));
    EXPECT_EQ(status, " UNKNOWN");
}

// Slot numbers count from 0 in some enclosures; only a missing or negative one is unknown.
TEST(BoardIdentityTest, SlotZeroIsASlot)
{
    const auto slotOf = [](const std::string& slot) {
        return BoardIdentity::fromProperties(3, "<Properties><SystemInfo><SlotNo>" + slot +
                                                    "</SlotNo></SystemInfo>"
                                                    "</Properties>")
            .slot;
    };
    EXPECT_EQ((std::vector<std::uint32_t>{slotOf("0"), slotOf("7"), slotOf("-1"), slotOf("x")}),
              (std::vector<std::uint32_t>{0, 7, BoardIdentity::kUnknownSlot, BoardIdentity::kUnknownSlot}));
}

// A description of millions of tiny elements is not read: it gives the index alone.
TEST(BoardIdentityTest, ADescriptionOfTooManyElementsGivesTheIndexAlone)
{
    std::string tiny;
    for (std::size_t i = 0; i < xpugi::kMaxNodes; ++i)
        tiny += "<a/>";
    const BoardIdentity identity = BoardIdentity::fromProperties(
        3, "<Properties><BoardInfo><SerialNumber>S1</SerialNumber></BoardInfo>" + tiny + "</Properties>");
    EXPECT_EQ(identity.index, 3u);
    EXPECT_EQ(identity.serial, "");
}

// The parse is shared between its thread and the caller: every document is parsed once, as
// its own board, whichever of the two took it.
TEST(BoardIdentityTest, ParseBesideTheProcedureGivesEachBoardItsOwnIdentity)
{
    std::vector<std::string> documents;
    std::vector<std::uint32_t> boards;
    for (std::uint32_t b = 0; b < 300; ++b) {
        documents.push_back("<Properties><BoardInfo><SerialNumber>S" + std::to_string(b) +
                            "</SerialNumber></BoardInfo><SystemInfo><SlotNo>" + std::to_string(b % 17) +
                            "</SlotNo></SystemInfo></Properties>");
        boards.push_back(1000 + b);
    }
    documents[5].clear(); // an unreadable description leaves only the index
    // One too large to keep for the thread is parsed at once, to the same identity.
    documents[7].insert(documents[7].find("<SystemInfo>"),
                        "<Padding>" + std::string(BoardIdentityParse::kLargestKept, ' ') + "</Padding>");
    BoardIdentityParse parse;
    for (std::size_t b = 0; b < documents.size(); ++b)
        parse.add(boards[b], documents[b]);
    parse.start();
    const std::vector<BoardIdentity>& identities = parse.identities();
    ASSERT_EQ(identities.size(), documents.size());
    for (std::size_t b = 0; b < identities.size(); ++b) {
        const BoardIdentity expected = BoardIdentity::fromProperties(boards[b], documents[b]);
        EXPECT_EQ(identities[b].index, expected.index);
        EXPECT_EQ(identities[b].serial + "/" + std::to_string(identities[b].slot),
                  expected.serial + "/" + std::to_string(expected.slot));
    }
    EXPECT_EQ(identities[5].serial, "");
    EXPECT_EQ(identities[7].serial + "/" + std::to_string(identities[7].slot), "S7/7");
}

// What stops a helper's work reaches the caller when it waits, instead of ending the program
// from the helper's thread; an idle helper only takes time nobody else wants.
TEST(HelperThreadTest, AFailureIsThrownOnTheCallerAndAnIdleHelperRunsAtIdlePriority)
{
    HelperThread failing;
    ASSERT_TRUE(failing.start([] { throw std::bad_alloc(); }));
    EXPECT_THROW(failing.join(), std::bad_alloc);
    EXPECT_NO_THROW(failing.join()); // said once

    int policy = -1;
    HelperThread idle;
    ASSERT_TRUE(idle.start([&policy] { policy = ::sched_getscheduler(0); }, HelperThread::Placement::IdlePriority));
    idle.join();
    EXPECT_EQ(policy, SCHED_IDLE);
}

// The verdicts are shared between a thread and the caller: each row added gets the verdict
// of its own document, whichever of the two judged it, and a row not added is left alone.
TEST(ResultJudgingTest, EachRowAddedGetsTheVerdictOfItsOwnDocument)
{
    for (const std::size_t count : {ResultJudging::kLeastForThread - 1, std::size_t{200}}) {
        std::vector<BoardTestRow> rows(count);
        for (std::size_t i = 0; i < count; ++i)
            rows[i].document = "<HardwareCheck><BoardId" + std::to_string(i) + " Passed=\"" +
                               (i % 3 ? "true" : "false") + "\"><Check Target=\"T" + std::to_string(i) +
                               "\" Passed=\"true\"/></BoardId" + std::to_string(i) + "></HardwareCheck>";
        rows[2].document = "<HardwareCheck><BoardId2"; // a broken one
        rows[4].status = " NOT RUN";                   // never added
        ResultJudging judging(rows);
        for (std::size_t i = 0; i < count; ++i) {
            if (i != 4)
                judging.add(i);
        }
        judging.start();
        judging.finish();
        for (std::size_t i = 0; i < count; ++i) {
            std::string status = " NOT RUN";
            std::vector<std::string> details;
            if (i != 4)
                TestVerdict::read(rows[i].document, status, details);
            EXPECT_EQ(rows[i].status, status) << count << " rows, row " << i;
            EXPECT_EQ(rows[i].details, details) << count << " rows, row " << i;
        }
        EXPECT_EQ(rows[1].details, Strings{"  T1: PASSED (Limit: EmptyNode)"});
        EXPECT_EQ(rows[2].status, " UNKNOWN");
        EXPECT_EQ(judging.rows().size(), count - 1);
    }
}

TEST(TestResultFiles, ProposedNameFollowsTheLastProcedure)
{
    BoardTestRow row;
    row.board.name = "QA-4008.BNC";
    row.board.serial = "10A80001";
    const std::pair<std::string, std::string> names[] = {
        {"", "hw_tests"},
        {"Other", "hw_tests"},
        {BoardTestProcedure::testName(BoardTest::ExcitationTest), "Self_Test"},
        {BoardTestProcedure::testName(BoardTest::ResetDefaults), "Reset_Def"}};
    for (const auto& [last, prefix] : names)
        EXPECT_EQ(TestResultFiles::proposedName("/d", last, row), "/d/" + prefix + "_QA-4008.BNC_10A80001.xml");
}

class BoardTestProcedureTest : public ToolsTest {};

TEST_F(BoardTestProcedureTest, SelfTestShowsEachBoardsVerdictAndSavesAllUnderResults)
{
    QorinNodeUtilWrapper& wrapper =
        connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0251", "10A80001") +
                        boardEntry(1, "QA-4016", 3, "0254", "10A80002", "<Faults><SelfTest>fail</SelfTest></Faults>"));
    BoardTestProcedure procedure(wrapper, nullptr);
    std::vector<double> fractions;
    const BoardTestOutcome outcome = procedure.run(
        BoardTest::SelfTest, {}, [&](const std::string&, double f, double) { fractions.push_back(f); }, kGo);
    ASSERT_EQ(outcome.status, 0) << outcome.message;
    ASSERT_EQ(outcome.rows.size(), 2u);
    EXPECT_EQ(outcome.rows[0].text(), "Slot 2:  QA-4008.BNC:  PASSED");
    EXPECT_EQ(outcome.rows[1].board.label(), "0/3  QA-4016 10A80002"); // its own description, its place
    EXPECT_EQ(outcome.rows[1].status, " FAILED!!");
    EXPECT_FALSE(outcome.rows[1].details.empty());
    EXPECT_EQ(fractions.back(), 1.0);

    const fs::path all = m_dir / "all.xml";
    ASSERT_EQ(TestResultFiles::saveAll(all.string(), outcome.rows), 0);
    const std::string text = test::readFile(all);
    EXPECT_TRUE(holds(text, "\n<Results>\n\t<HardwareCheck Kind=\"standard\">\n\t\t<BoardId0 "));
    EXPECT_TRUE(holds(text, "\t\t<BoardId1 Passed=\"false\""));
    EXPECT_EQ(TestResultFiles::saveAll((m_dir / "no/such/folder.xml").string(), outcome.rows), 1001);
    // A result document of millions of tiny elements is left out of the collection.
    std::vector<BoardTestRow> crowded(outcome.rows);
    for (std::size_t i = 0; i < xpugi::kMaxNodes; ++i)
        crowded[1].document += "<a/>";
    ASSERT_EQ(TestResultFiles::saveAll((m_dir / "crowded.xml").string(), crowded), 0);
    const std::string collected = test::readFile(m_dir / "crowded.xml");
    EXPECT_TRUE(holds(collected, "<BoardId0 "));
    EXPECT_FALSE(holds(collected, "<BoardId1 ")) << collected.size() << " bytes";
    // Rows without a result document give nothing to save, and no file.
    std::vector<BoardTestRow> none(outcome.rows);
    for (BoardTestRow& row : none)
        row.document.clear();
    EXPECT_EQ(TestResultFiles::saveAll((m_dir / "none.xml").string(), none), AppStatus::NothingToCollect);
    EXPECT_FALSE(fs::exists(m_dir / "none.xml"));
    const fs::path single = m_dir / "one.xml";
    ASSERT_EQ(TestResultFiles::saveSingle(single.string(), outcome.rows[0]), 0);
    EXPECT_EQ(test::readFile(single), outcome.rows[0].document);
}

TEST_F(BoardTestProcedureTest, ResetDefaultsReportsEachBoardsDriverResult)
{
    QorinNodeUtilWrapper& wrapper = connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001") +
                                                    boardEntry(1, "QC-3104", 3, "02F4", "10A80006"));
    MaintenanceJournal journal(maintenance(), "local");
    const BoardTestOutcome outcome =
        BoardTestProcedure(wrapper, &journal).run(BoardTest::ResetDefaults, {}, nullptr, kGo);
    ASSERT_EQ(outcome.status, 0) << outcome.message;
    ASSERT_EQ(outcome.rows.size(), 2u);
    EXPECT_EQ(outcome.rows[0].status + "|" + outcome.rows[1].status, "  PASSED|  FAILED100018"); // not analog
    EXPECT_TRUE(outcome.rows[0].document.empty());
    EXPECT_EQ(journal.history("10A80006").size(), 1u);
}

TEST_F(BoardTestProcedureTest, SimulatedBoardsRunOnlyTheSelfTest)
{
    useExampleHardware();
    QorinNodeUtilWrapper& wrapper = connect("SIMMODE_FORCE");
    ASSERT_TRUE(wrapper.node()->isSimulation());
    MaintenanceJournal journal(maintenance(), "local");
    BoardTestProcedure procedure(wrapper, &journal);
    for (BoardTest test : {BoardTest::AutoZero, BoardTest::GainCal, BoardTest::ThreeWire, BoardTest::ResetDefaults}) {
        const BoardTestOutcome refused = procedure.run(test, {}, nullptr, kGo);
        EXPECT_EQ(refused.status, AppStatus::SimulatedRefused) << BoardTestProcedure::testName(test);
        EXPECT_TRUE(refused.rows.empty());
    }
    EXPECT_FALSE(fs::exists(maintenance()));
    const BoardTestOutcome outcome = procedure.run(BoardTest::SelfTest, {0}, nullptr, kGo);
    ASSERT_EQ(outcome.status, 0) << outcome.message;
    ASSERT_EQ(outcome.rows.size(), 1u);
    EXPECT_EQ(outcome.rows[0].status, " PASSED");
    EXPECT_TRUE(holds(outcome.rows[0].document, "<HardwareCheck"));
}

// A board whose EEPROM cannot be read is often the one being repaired: the calibration leaves
// it out, says why and how to go on, and runs on the others. Without snapshots it runs there too.
TEST_F(BoardTestProcedureTest, UnreadableEepromLeavesOnlyThatBoardOut)
{
    QorinNodeUtilWrapper& wrapper = connectHardware(
        boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001") +
        boardEntry(1, "QA-4008.BNC", 3, "0254", "10A80002", "<Faults><BaseEEPROM>blank</BaseEEPROM></Faults>") +
        boardEntry(2, "QA-4008.BNC", 4, "0254", "10A80003"));
    MaintenanceJournal journal(maintenance(), "local");
    BoardTestProcedure procedure(wrapper, &journal);
    const BoardTestOutcome outcome = procedure.run(BoardTest::AutoZero, {}, nullptr, kGo);
    ASSERT_EQ(outcome.status, 0) << outcome.message;
    ASSERT_EQ(outcome.rows.size(), 3u);
    const BoardTestRow& left = outcome.rows[1];
    EXPECT_TRUE(left.snapshotFailed);
    EXPECT_EQ(left.status, " NOT RUN");
    EXPECT_EQ(left.result, AppStatus::SnapshotFailed);
    ASSERT_EQ(left.details.size(), 1u);
    EXPECT_EQ(left.details[0].rfind("not run: cannot read the base EEPROM of 0/3  QA-4008.BNC 10A80002 ", 0), 0u)
        << left.details[0];
    for (const char* part : {"10A80002", "--no-snapshot", "; nothing was sent"})
        EXPECT_TRUE(holds(left.details[0], part));
    EXPECT_TRUE(left.document.empty());
    EXPECT_TRUE(left.snapshots.empty());
    for (const std::size_t ran : {0u, 2u}) {
        EXPECT_FALSE(outcome.rows[ran].snapshotFailed);
        EXPECT_EQ(outcome.rows[ran].snapshots.size(), 2u);
        EXPECT_TRUE(holds(outcome.rows[ran].document, "BoardId"));
    }
    EXPECT_EQ(fieldOf(journal.history("10A80002"), "result"), Strings{"4009"});
    EXPECT_EQ(fieldOf(journal.history("10A80002"), "status"), Strings{left.details[0]});
    EXPECT_EQ(fieldOf(journal.history("10A80003"), "result"), Strings{"0"});

    // With only the left-out board chosen there is no change to record: a journal that cannot
    // record one does not stop the run, nor the offer to go on without snapshots.
    fs::remove_all(maintenance() + "/intents");
    std::ofstream(maintenance() + "/intents") << "not a folder";
    const BoardTestOutcome none = procedure.run(BoardTest::AutoZero, {1}, nullptr, kGo);
    EXPECT_EQ(none.status, 0) << none.message;
    ASSERT_EQ(none.rows.size(), 1u);
    EXPECT_EQ(none.rows[0].status, " NOT RUN");
    fs::remove(maintenance() + "/intents");

    journal.setSnapshotsEnabled(false);
    const BoardTestOutcome again = procedure.run(BoardTest::AutoZero, {1}, nullptr, kGo);
    ASSERT_EQ(again.rows.size(), 1u);
    EXPECT_FALSE(again.rows[0].snapshotFailed);
    EXPECT_NE(again.rows[0].status, " NOT RUN");
    EXPECT_EQ(journal.history("10A80002").size(), 3u);
}

// A board a stopped run never reached gets no verdict, and the journal says why nothing was sent.
TEST_F(BoardTestProcedureTest, BoardsARunDidNotTouchSayWhyInTheJournal)
{
    QorinNodeUtilWrapper& wrapper = connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0254", "10A80001"));
    MaintenanceJournal journal(maintenance(), "local");
    const std::atomic<bool> stop{true};
    const BoardTestOutcome outcome = BoardTestProcedure(wrapper, &journal).run(BoardTest::SelfTest, {}, nullptr, stop);
    EXPECT_EQ(outcome.status, AppStatus::Cancelled);
    ASSERT_EQ(outcome.rows.size(), 1u);
    EXPECT_TRUE(outcome.rows[0].status.empty());
    EXPECT_EQ(fieldOf(journal.history(""), "status"),
              Strings{"not run: cancelled before this board was started; nothing was sent to it"});
}

using ScriptedResultTest = ScriptedToolsTest;

// Reset to the factory calibration of every board sends nothing to the board left out.
TEST_F(ScriptedResultTest, ResetOfAllBoardsSkipsTheBoardWithoutSnapshot)
{
    connectReady(3);
    for (const char* board : {"BoardID0", "BoardID1", "BoardID2"}) {
        test::fakeDriver().setText(board, "baseeeprom", "<BaseEEPROM/>");
        test::fakeDriver().setText(board, "coneeprom", "<ConEEPROM/>");
    }
    test::fakeDriver().setText("BoardID1", "baseeeprom", "", 260001);
    const BoardTestOutcome outcome =
        BoardTestProcedure(m_wrapper, &m_journal).run(BoardTest::ResetDefaults, {}, nullptr, kGo);
    ASSERT_EQ(outcome.rows.size(), 3u);
    std::vector<std::int64_t> reset;
    for (const FakeCall& call : test::fakeDriver().callsNamed("SetParam_i32")) {
        if (call.command == 773)
            reset.push_back(call.board);
    }
    EXPECT_EQ(reset, (std::vector<std::int64_t>{0, 2}));
    EXPECT_EQ(outcome.rows[0].status + "|" + outcome.rows[1].status + "|" + outcome.rows[2].status,
              "  PASSED| NOT RUN|  PASSED");
}

// A driver answer of any size reaches the tools; one beyond 16 MiB is no result to judge or keep.
TEST_F(ScriptedResultTest, ResultDocumentBeyond16MiBIsRefused)
{
    connectReady(1);
    test::fakeDriver().setText("BoardID0", "HardwareCheck",
                               "<HardwareCheck><BoardId0 Passed='true'/><Pad>" + std::string(17u << 20, 'x') +
                                   "</Pad></HardwareCheck>");
    // The start must not overwrite the scripted answer: a refused Set keeps it.
    test::fakeDriver().setResults[::FakeDriverState::key(false, "BoardID0", "HardwareCheck")] = 1;
    const BoardTestOutcome outcome = BoardTestProcedure(m_wrapper, nullptr).run(BoardTest::SelfTest, {}, nullptr, kGo);
    ASSERT_EQ(outcome.rows.size(), 1u) << outcome.message;
    EXPECT_EQ(outcome.rows[0].status, " UNKNOWN");
    EXPECT_EQ(outcome.rows[0].result, AppStatus::DocumentTooLarge);
    EXPECT_TRUE(outcome.rows[0].document.empty());
}

} // namespace
} // namespace z2e
