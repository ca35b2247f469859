#include "support/local_node_fixture.h"
#include "support/site.h"

#include "driver/command/app_status.h"
#include "tools/enclosure_data_tool.h"
#include "tools/maintenance_journal.h"
#include "xpugi/untrusted_parse.h"

#include <gtest/gtest.h>

namespace z2e {
namespace {

TEST(EnclosureSerial, ExactlyEightHexDigitsOfEitherCase)
{
    std::uint32_t value = 0;
    EXPECT_TRUE(EnclosureDataTool::parseSerial("0000001f", value) && value == 0x1Fu);
    EXPECT_TRUE(EnclosureDataTool::parseSerial("00B1E116", value) && value == 0x00B1E116u);
    for (const char* bad : {"1F", "", "0000001G", "000000001F", "0x00001F", " 000001F", "-0000001"})
        EXPECT_FALSE(EnclosureDataTool::parseSerial(bad, value)) << bad;
}

TEST(EnclosureOptionChoice, OfferedNumberOrTextOrNone)
{
    EnclosureOptionState option{"FanMode", 2, {{0, "Auto"}, {1, "Quiet"}, {2, "Full"}}};
    EXPECT_TRUE(EnclosureDataTool::choose(option, "Quiet"));
    EXPECT_EQ(option.value, 1);
    EXPECT_TRUE(EnclosureDataTool::choose(option, "0"));
    EXPECT_EQ(option.valueText(), "Auto");
    EXPECT_FALSE(EnclosureDataTool::choose(option, "3"));
    EXPECT_FALSE(EnclosureDataTool::choose(option, "quiet"));
    EXPECT_EQ(option.value, 0);
    EXPECT_TRUE(EnclosureDataTool::choose(option, "NONE"));
    EXPECT_FALSE(option.value.has_value());
    EXPECT_EQ(option.valueText(), "None");
}

// The enclosure's description as the scripted driver answers it, with no element beyond what any
// driver documents; it never follows the writes, so a read-back after a write shows a driver
// that silently kept the old data.
std::string description(const std::string& name)
{
    return "<Properties EnclosureID=\"0\"><EnclosureInfo><Name>" + name +
           "</Name><SerialNumber>00B1E116</SerialNumber>"
           "<UserData>cell 3</UserData><EncName>0000E116</EncName><EncType>2</EncType><EncVersion>1</EncVersion>"
           "<Options><FanMode>2</FanMode><SyncMaster>1</SyncMaster></Options></EnclosureInfo></Properties>";
}

const char* const kListing = "<EnclosureListing><Enclosure Name=\"QE-R16\"><Options>"
                             "<Option Name=\"FanMode\"><ID0 Value=\"0\">Auto</ID0><ID1 Value=\"2\">Full</ID1></Option>"
                             "<Option Name=\"SyncMaster\"><ID0 Value=\"0\">No</ID0><ID1 Value=\"1\">Yes</ID1></Option>"
                             "</Options></Enclosure></EnclosureListing>";

class EnclosureWriteTest : public test::FakeDriverTest {
protected:
    void SetUp() override
    {
        FakeDriverTest::SetUp();
        connectWith(1);
        script("QE-R16");
        test::fakeDriver().setText("EnclosureListing/Listing", "Raw", kListing);
        m_wrapper.setReady(true);
    }

    void script(const std::string& name)
    {
        test::fakeDriver().setText("EnclosureId0", "enclosureproperties", description(name));
    }

    EnclosureRecord current()
    {
        EnclosureRecord record;
        EXPECT_EQ(EnclosureDataTool(m_wrapper, nullptr).read(0, record), AppStatus::Ok);
        test::fakeDriver().calls.clear();
        return record;
    }

    // The writes sent, as "target item=value".
    static std::vector<std::string> writes()
    {
        std::vector<std::string> sent;
        for (const FakeCall& call : test::fakeDriver().calls) {
            if (call.name.rfind("Set", 0) == 0)
                sent.push_back(call.target + " " + call.item + "=" + call.value);
        }
        return sent;
    }

    QorinNodeUtilWrapper m_wrapper{std::shared_ptr<qorinet_api::QORINetIfClientNode>(&node, [](auto*) {})};
};

TEST_F(EnclosureWriteTest, SequenceWithNoneOptionAndReadBackOfTheKeptData)
{
    EnclosureRecord record = current();
    ASSERT_EQ(record.options.size(), 2u);
    EXPECT_EQ(record.options[0].valueText(), "Full");
    record.options[1].value.reset();
    record.userData = " ";
    test::ScratchFolder folder("z2e-enclosure");
    MaintenanceJournal journal(folder.path() + "/maintenance", "local");
    EnclosureDataTool tool(m_wrapper, &journal);
    ASSERT_EQ(tool.write(record, "0000001f"), AppStatus::EnclosureUpdated) << tool.message();
    const std::vector<std::string> expected = {"EnclosureId0 EncType=2",
                                               "EnclosureId0 EncVersion=1",
                                               "EnclosureId0 EncName=0000001F",
                                               "EnclosureId0/Options Clear=",
                                               "EnclosureId0/Options FanMode=2",
                                               "EnclosureId0/Options SyncMaster=",
                                               "EnclosureId0 RegenXML=",
                                               "EnclosureId0/EncProperties EnclosureInfo/SerialNumber=0000001F",
                                               "EnclosureId0/EncProperties EnclosureInfo/UserData= ",
                                               "EnclosureId0 StoreData="};
    EXPECT_EQ(writes(), expected);
    // The properties get the serial written, which this driver does not keep.
    EXPECT_EQ(tool.verification(), "serial number: wrote 0000001F, read 00B1E116");
    const auto lines = journal.history("00B1E116");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\"node\":\"local\",\"enclosure\":0,\"model\":\"QE-R16\""), std::string::npos) << lines[0];
    EXPECT_EQ(MaintenanceJournal::field(lines[0], "verification"), tool.verification());
    EXPECT_EQ(test::filesIn(folder / "maintenance/enclosure_00B1E116").size(), 1u);
}

// A driver's listing or description of millions of tiny elements is not read: the listing
// then offers nothing, the description fails as an unreadable one.
TEST_F(EnclosureWriteTest, DocumentsOfTooManyElementsAreNotRead)
{
    std::string tiny;
    for (std::size_t i = 0; i < xpugi::kMaxNodes; ++i)
        tiny += "<a/>";
    std::string listing = kListing;
    listing.insert(listing.find("</EnclosureListing>"), tiny);
    test::fakeDriver().setText("EnclosureListing/Listing", "Raw", listing);
    const EnclosureRecord record = current();
    ASSERT_EQ(record.options.size(), 2u);
    EXPECT_TRUE(record.options[0].offered.empty());
    EXPECT_TRUE(record.options[1].offered.empty());

    std::string properties = description("QE-R16");
    properties.insert(properties.find("</Properties>"), tiny);
    test::fakeDriver().setText("EnclosureId0", "enclosureproperties", properties);
    EnclosureRecord refused;
    EXPECT_EQ(EnclosureDataTool(m_wrapper, nullptr).read(0, refused), AppStatus::EnclosurePropertiesFailed);
    EXPECT_EQ(refused.name, "");
}

TEST_F(EnclosureWriteTest, RefusalsSendNothingAndAFailingStepStopsTheRest)
{
    EnclosureRecord record = current();
    EnclosureDataTool tool(m_wrapper, nullptr);
    EXPECT_EQ(tool.write(record, "1F"), AppStatus::InvalidSerialNumber);
    record.options[0].value = 5; // not offered
    EXPECT_EQ(tool.write(record, "0000001F"), AppStatus::InvalidSerialNumber);
    EXPECT_TRUE(writes().empty());

    script("Host PC");
    record = current();
    EXPECT_EQ(record.kind, EnclosureKind::NotWritable);
    EXPECT_EQ(tool.write(record, "0000001F"), AppStatus::EnclosureNotWritable);
    EXPECT_TRUE(writes().empty());

    script("QORINet QN-N6");
    record = current();
    test::fakeDriver().setResults[::FakeDriverState::key(false, "EnclosureId0", "EncName")] = 100007;
    EXPECT_EQ(tool.write(record, "0000001F"), AppStatus::EnclosureAccessFailed);
    EXPECT_EQ(writes().back(), "EnclosureId0 EncName=0000001F");
    EXPECT_TRUE(tool.verification().empty());

    test::fakeDriver().setResults.clear();
    test::fakeDriver().calls.clear();
    EXPECT_EQ(tool.write(record, "00B1E116"), AppStatus::EnclosureUpdatedNodeRestarts);
    EXPECT_EQ(tool.verification(), "verified");
}

} // namespace
} // namespace z2e
