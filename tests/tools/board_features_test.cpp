#include "tools_fixture.h"

#include "driver/command/app_status.h"
#include "tools/board_cross_grade.h"
#include "tools/board_features.h"
#include "tools/maintenance_journal.h"
#include "xpugi/untrusted_parse.h"

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
    EXPECT_EQ(table.boardId + " " + std::to_string(table.featureSet), "0 17");
    ASSERT_EQ(table.rows.size(), 2u);
    const FeatureRow& rate = table.rows[0];
    ASSERT_EQ(rate.values.size(), 3u);
    EXPECT_EQ(rate.values[2].text, "100 kS/s");
    EXPECT_EQ(rate.selected(table.featureSet), 1);
    EXPECT_EQ(table.rows[1].name, "Filter");

    // The hidden item's bit 4 stays whatever the visible rows choose; a value with bits outside
    // its mask changes nothing, not even its own bits.
    EXPECT_EQ((std::vector<std::uint32_t>{BoardFeatures::apply(0x11, rate.mask, 0x2),
                                          BoardFeatures::apply(0x13, rate.mask, 0x0),
                                          BoardFeatures::apply(0x15, 0x4, 0x8), BoardFeatures::apply(0x11, 0x4, 0x4)}),
              (std::vector<std::uint32_t>{0x12, 0x10, 0x15, 0x15}));
    EXPECT_TRUE(BoardFeatures::parse("<BoardInfo/>").rows.empty());
    // A node's document of millions of tiny elements is not read.
    std::string tiny;
    for (std::size_t i = 0; i < xpugi::kMaxNodes; ++i)
        tiny += "<a/>";
    std::string crowded = properties("00000011");
    crowded.insert(crowded.find("</Properties>"), tiny);
    EXPECT_TRUE(BoardFeatures::parse(crowded).rows.empty());
    EXPECT_EQ(BoardCrossGrade::baseIdOf(properties("00000011")), "21401603");
    EXPECT_EQ(BoardCrossGrade::baseIdOf(crowded), ""); // nor for a cross grade
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

class ScriptedBoardTest : public ScriptedToolsTest {
protected:
    void SetUp() override
    {
        ScriptedToolsTest::SetUp();
        connectReady(1);
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
    EXPECT_EQ(sent, (Strings{"BoardID0/BaseEEPROMSelfCal BoardInfo/SelfCal/FeatureSet=0000001f", "1027", "1056"}));
    EXPECT_EQ(tool.readBack().verification, "feature set: wrote 0000001f, read 00000001");
    EXPECT_EQ(tool.readBack().identity.model, "QA-4016");
    EXPECT_EQ(fieldOf(m_journal.history("10A80002"), "verification"), Strings{tool.readBack().verification});
    EXPECT_EQ(fieldOf(m_journal.history("10A80002"), "parameters"), Strings{"00000001 -> 0000001f"});
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

// The driver's base EEPROM entries are read, but not from a document of millions of tiny elements.
TEST_F(ScriptedBoardTest, CrossGradeEntriesOfTooManyElementsAreNotRead)
{
    const std::string entry = "<Entry Id=\"10100001\" Name=\"QX-1000\" Current=\"true\"/>";
    test::fakeDriver().setText("BoardListing/BaseEEPROM", "entries",
                               "<BaseEEPROMEntries>" + entry + "</BaseEEPROMEntries>");
    BoardCrossGrade tool(m_wrapper, &m_journal);
    std::vector<BaseEepromEntry> list;
    ASSERT_EQ(tool.entries(list), AppStatus::Ok);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "QX-1000");
    EXPECT_TRUE(list[0].current);

    std::string tiny;
    for (std::size_t i = 0; i < xpugi::kMaxNodes; ++i)
        tiny += "<a/>";
    test::fakeDriver().setText("BoardListing/BaseEEPROM", "entries",
                               "<BaseEEPROMEntries>" + entry + tiny + "</BaseEEPROMEntries>");
    EXPECT_EQ(tool.entries(list), AppStatus::XmlParsingFailed);
    EXPECT_TRUE(list.empty());
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
    EXPECT_TRUE(holds(tool.readBack().key, "BaseModel=\"QBX-00\""));
    const auto lines = journal.history(tool.readBack().identity.serial);
    EXPECT_EQ(fieldOf(lines, "parameters"), Strings{"21401602 -> 10100001"});
    EXPECT_EQ(fieldOf(lines, "result"), Strings{"4001"});
}

} // namespace
} // namespace z2e
