#include "tools_fixture.h"

#include "support/local_node_fixture.h"

#include "driver/command/app_status.h"
#include "tools/board_cross_grade.h"
#include "tools/board_features.h"
#include "tools/maintenance_journal.h"

namespace z2e {
namespace {

using namespace testing_tools;

// Sample rate in bits 0-1 (one hidden value), a hidden item in bit 4, and a filter whose
// "On" claims a bit outside its mask.
std::string properties(const std::string& featureSet, const std::string& baseId = "21401603")
{
    return "<Properties BoardID=\"0\"><BoardInfo><DisplayName>QA-4016</DisplayName><SerialNumber>10A80002</SerialNumber>"
           "<BaseBoard><BaseId>" +
           baseId + "</BaseId><SelfCal><FeatureSet>" + featureSet +
           "</FeatureSet></SelfCal></BaseBoard>"
           "<FeatureList>"
           "<FeatureItem Name=\"Sample rate\" Mask=\"00000003\" Visible=\"true\">"
           "<FeatureValue Value=\"00000000\" Visible=\"true\">20 kS/s</FeatureValue>"
           "<FeatureValue Value=\"00000001\" Visible=\"true\">50 kS/s</FeatureValue>"
           "<FeatureValue Value=\"00000003\" Visible=\"false\">200 kS/s</FeatureValue>"
           "<FeatureValue Value=\"00000002\" Visible=\"true\">100 kS/s</FeatureValue></FeatureItem>"
           "<FeatureItem Name=\"Service\" Mask=\"00000010\" Visible=\"false\">"
           "<FeatureValue Value=\"00000010\" Visible=\"true\">On</FeatureValue></FeatureItem>"
           "<FeatureItem Name=\"Filter\" Mask=\"00000004\" Visible=\"true\">"
           "<FeatureValue Value=\"00000000\" Visible=\"true\">Off</FeatureValue>"
           "<FeatureValue Value=\"00000008\" Visible=\"true\">On</FeatureValue></FeatureItem>"
           "</FeatureList></BoardInfo></Properties>";
}

TEST(BoardFeatureTable, HiddenEntriesSkippedAndTheMaskArithmetic)
{
    const FeatureTable table = BoardFeatures::parse(properties("00000011"));
    EXPECT_EQ(table.boardId, "0");
    EXPECT_EQ(table.featureSet, 0x11u);
    ASSERT_EQ(table.rows.size(), 2u);
    const FeatureRow& rate = table.rows[0];
    ASSERT_EQ(rate.values.size(), 3u);
    EXPECT_EQ(rate.values[2].text, "100 kS/s");
    EXPECT_EQ(rate.selected(table.featureSet), 1);
    EXPECT_EQ(table.rows[1].name, "Filter");

    // The hidden item's bit 4 stays whatever the visible rows choose.
    EXPECT_EQ(BoardFeatures::apply(0x11, rate.mask, 0x2), 0x12u);
    EXPECT_EQ(BoardFeatures::apply(0x13, rate.mask, 0x0), 0x10u);
    // A value with bits outside its mask changes nothing, not even its own bits.
    EXPECT_EQ(BoardFeatures::apply(0x15, 0x4, 0x8), 0x15u);
    EXPECT_EQ(BoardFeatures::apply(0x11, 0x4, 0x4), 0x15u);
    EXPECT_TRUE(BoardFeatures::parse("<BoardInfo/>").rows.empty());
}

TEST(BoardCrossGradeRule, OnlyTheConvertibleGeneration)
{
    std::string target = "stale";
    EXPECT_EQ(BoardCrossGrade::simpleTarget("21401602", target), AppStatus::Ok);
    EXPECT_EQ(target, "10100001");
    for (const char* other : {"21401603", "2140160", "", "214016020", "10100001"}) {
        EXPECT_EQ(BoardCrossGrade::simpleTarget(other, target), AppStatus::CrossGradeNotSupported) << other;
        EXPECT_TRUE(target.empty());
    }
}

class ScriptedBoardTest : public test::FakeDriverTest {
protected:
    void SetUp() override
    {
        FakeDriverTest::SetUp();
        connectWith(1);
        m_wrapper.setReady(true);
        test::fakeDriver().setText("BoardID0", "baseeeprom", "<BaseEEPROM><BoardInfo/></BaseEEPROM>");
        test::fakeDriver().setText("BoardID0", "coneeprom", "<ConEEPROM><BoardInfo/></ConEEPROM>");
        test::fakeDriver().setText("BoardID0", "key", "<KEY/>");
    }

    static bool anythingSent()
    {
        for (const FakeCall& call : test::fakeDriver().calls) {
            if (call.name.rfind("Set", 0) == 0)
                return true;
        }
        return false;
    }

    QorinNodeUtilWrapper m_wrapper{std::shared_ptr<qorinet_api::QORINetIfClientNode>(&node, [](auto*) {})};
    test::ScratchFolder m_folder{"z2e-features"};
    MaintenanceJournal m_journal{m_folder.path(), "local"};
};

// The driver answers the write, both commands and 1056 with a warning, but the board reports
// its old feature set afterwards.
TEST_F(ScriptedBoardTest, FeatureSetWrittenInLowerCaseThenCommittedAndReadBack)
{
    test::fakeDriver().setText("BoardID0", "boardproperties", properties("00000001"));
    test::fakeDriver().i32Results[{0, 1056}] = -5;
    BoardFeatures tool(m_wrapper, &m_journal);
    EXPECT_EQ(tool.write(0, 0x1F), -5) << tool.message();
    std::vector<std::string> sent;
    for (const FakeCall& call : test::fakeDriver().calls) {
        if (call.name == "SetParamXML_str")
            sent.push_back(call.target + " " + call.item + "=" + call.value);
        else if (call.name == "SetParam_i32")
            sent.push_back(std::to_string(call.command));
    }
    const std::vector<std::string> expected = {"BoardID0/BaseEEPROMSelfCal BoardInfo/SelfCal/FeatureSet=0000001f",
                                               "1027", "1056"};
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(tool.readBack().verification, "feature set: wrote 0000001f, read 00000001");
    EXPECT_EQ(tool.readBack().identity.model, "QA-4016");
    const auto lines = m_journal.history("10A80002");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(MaintenanceJournal::field(lines[0], "verification"), tool.readBack().verification);
    EXPECT_EQ(MaintenanceJournal::field(lines[0], "parameters"), "00000001 -> 0000001f");
}

// A board whose properties cannot be read again is no verified change, nor a difference.
TEST_F(ScriptedBoardTest, FeatureSetThatCannotBeReadBackIsNotVerified)
{
    test::fakeDriver().setText("BoardID0", "boardproperties", "", 700008);
    BoardFeatures tool(m_wrapper, &m_journal);
    EXPECT_EQ(tool.write(0, 0x1F), 0) << tool.message();
    EXPECT_EQ(tool.readBack().verification.rfind("read-back failed: the board's properties could not be read (", 0), 0u)
        << tool.readBack().verification;
}

TEST_F(ScriptedBoardTest, CrossGradeOfAnotherGenerationSendsNothing)
{
    test::fakeDriver().setText("BoardID0", "boardproperties", properties("00000001", "21401603"));
    BoardCrossGrade tool(m_wrapper, &m_journal);
    EXPECT_EQ(tool.runSimple(0, nullptr), AppStatus::CrossGradeNotSupported);
    EXPECT_FALSE(anythingSent());
    EXPECT_TRUE(m_journal.history("").empty());
    EXPECT_EQ(tool.runSimple(1, nullptr), AppStatus::NoSuchBoard);
    EXPECT_FALSE(anythingSent());
}

class CrossGradeTest : public ToolsTest {};

TEST_F(CrossGradeTest, ConvertibleBoardBecomesTheBaseBoard)
{
    useExampleHardware();
    QorinNodeUtilWrapper& wrapper = connect("SIMMODE_OFF");
    MaintenanceJournal journal(maintenance(), "local");
    BoardCrossGrade tool(wrapper, &journal);
    ASSERT_EQ(tool.storedBaseId(2), BoardCrossGrade::kConvertibleId);
    EXPECT_EQ(tool.runSimple(2, nullptr), AppStatus::CrossGradeDone) << tool.message();
    EXPECT_EQ(tool.readBack().verification, "verified");
    EXPECT_EQ(tool.readBack().identity.model, "QX-1000");
    EXPECT_NE(tool.readBack().key.find("BaseModel=\"QBX-00\""), std::string::npos) << tool.readBack().key;
    const auto lines = journal.history(tool.readBack().identity.serial);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(MaintenanceJournal::field(lines[0], "parameters"), "21401602 -> 10100001");
    EXPECT_EQ(MaintenanceJournal::field(lines[0], "result"), "4001");
}

} // namespace
} // namespace z2e
