#include "support/local_node_fixture.h"

#include "driver/command/qorin_node_util_wrapper.h"
#include "xpugi/untrusted_parse.h"

#include <functional>
#include <utility>
#include <memory>

namespace {

using z2e::QorinNodeUtilWrapper;
using z2e::test::fakeDriver;
using z2e::test::FakeDriverTest;

// The wrapper over a real local node on the scripted driver; `node` stays in the fixture.
class Wrapper : public FakeDriverTest {
protected:
    void connect(std::int32_t boards)
    {
        connectWith(boards);
        wrapper.setReady(true);
    }
    std::vector<std::string> sentItems()
    {
        std::vector<std::string> items;
        for (const FakeCall& c : fakeDriver().calls)
            items.push_back(c.name == "SetParam_i32"
                                ? "i32:" + std::to_string(c.board) + ":" + std::to_string(c.command)
                                : c.target + "|" + c.item + "=" + c.value);
        return items;
    }
    void failSet(const std::string& target, const std::string& item, std::int32_t result, bool xml = false)
    {
        fakeDriver().setResults[FakeDriverState::key(xml, target, item)] = result;
    }

    // Shares the fixture's node without owning it.
    QorinNodeUtilWrapper wrapper{std::shared_ptr<qorinet_api::QORINetIfClientNode>(&node, [](auto*) {})};
};

TEST_F(Wrapper, NotReadySendsNothing)
{
    connectWith(4);
    std::string text = "keep", code = "12345678";
    z2e::EnclosureData data;
    const std::int32_t results[] = {
        wrapper.getBaseEeprom(0, text),   wrapper.setBaseEeprom(0, "<BaseEEPROM/>"),
        wrapper.crossGrade(0, code),      wrapper.restoreFactoryCalibrationAll(),
        wrapper.writeEnclosureData(data), wrapper.getParamStructStr("System", "EnclosureCount", text)};
    for (std::int32_t result : results)
        EXPECT_EQ(5000, result);
    EXPECT_EQ(0u, wrapper.getEnclosureCount() + wrapper.getBoardCount());
    EXPECT_EQ("keep", text);
    EXPECT_EQ("", code) << "the cross-grade code is cleared in every case";
    EXPECT_TRUE(fakeDriver().calls.empty());
}

TEST_F(Wrapper, BoardWritesBeyondTheBoardCountAreRefused)
{
    connect(4);
    std::string code = "1";
    EXPECT_EQ(700009, wrapper.setBaseEeprom(4, "<BaseEEPROM/>"));
    EXPECT_EQ(700009, wrapper.setConEeprom(4, "<ConEEPROM/>"));
    EXPECT_EQ(700009, wrapper.updateFirmware(4, ""));
    EXPECT_EQ(700009, wrapper.crossGrade(4, code));
    EXPECT_EQ(700009, wrapper.startSelfTest(4, ""));
    EXPECT_EQ(700009, wrapper.startAutoZero(4));
    EXPECT_EQ(700009, wrapper.setSelfCalFeatureSet(4, 1));
    EXPECT_EQ(700009, wrapper.writeDefaultBaseEeprom(4, "M", "1", "0001"));
    EXPECT_TRUE(fakeDriver().calls.empty());
    EXPECT_EQ(0, wrapper.updateFirmware(3, "1F"));
    EXPECT_EQ((std::vector<std::string>{"BoardID3/Base|FWUpdate=1F"}), sentItems());
}

TEST_F(Wrapper, FailuresMapToTheirStatus)
{
    connect(2);
    using Op = std::function<std::int32_t(std::string&)>;
    const std::pair<Op, std::int32_t> cases[] = {
        {[this](std::string& t) { return wrapper.getBaseEeprom(1, t); }, 201},
        {[this](std::string& t) { return wrapper.getBoardKey(1, t); }, 203},
        {[this](std::string& t) { return wrapper.getBoardProperties(1, t); }, 200},
        {[this](std::string& t) { return wrapper.getFirmwareCheck(1, t); }, 202},
        {[this](std::string& t) { return wrapper.getSystemVersions(t); }, 100},
        {[this](std::string& t) { return wrapper.getBoardKeyNames(t); }, 102},
        {[this](std::string& t) { return wrapper.getEnclosureListing(t); }, 103},
        {[this](std::string& t) { return wrapper.getEnclosureKeyNames(t); }, 103},
        {[this](std::string& t) { return wrapper.getConfigFilePath(t); }, 4},
        {[this](std::string& t) { return wrapper.getConEeprom(1, t); }, 100008},
        {[this](std::string& t) { return wrapper.getSelfTestResult(1, t); }, 100008},
        {[this](std::string& t) { return wrapper.getEnclosureKey(0, t); }, 0},
        {[this](std::string&) { return wrapper.startGainCalibration(1); }, 0},
    };
    // Nothing is scripted, so the driver answers 100008 (unknown target) to every Get.
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        std::string text;
        EXPECT_EQ(cases[i].second, cases[i].first(text)) << "case #" << i;
    }
    fakeDriver().setText("BoardID1", "key", "", -4);
    std::string key;
    EXPECT_EQ(-4, wrapper.getBoardKey(1, key)) << "warnings are not failures";
}

TEST_F(Wrapper, CrossGradeOpensRebasesAndClosesOnlyWhatItOpened)
{
    connect(2);
    const std::pair<std::int32_t, std::int32_t> mapping[] = {{0, 4001},      {220001, 4003}, {220003, 4004},
                                                             {260004, 3002}, {100008, 1},    {-3, 1}};
    for (const auto& [answer, status] : mapping) {
        fakeDriver().calls.clear();
        failSet("BoardID1", "rebase", answer);
        std::string code = "00010203";
        EXPECT_EQ(status, wrapper.crossGrade(1, code)) << answer;
        EXPECT_EQ("", code);
        EXPECT_EQ((std::vector<std::string>{"i32:1:1", "BoardID1|rebase=00010203", "i32:1:2"}), sentItems());
    }
    fakeDriver().i32Results[{1, 1}] = 260; // already open: use it, leave it open
    fakeDriver().calls.clear();
    std::string code = "7";
    EXPECT_EQ(1, wrapper.crossGrade(1, code));
    EXPECT_EQ((std::vector<std::string>{"i32:1:1", "BoardID1|rebase=7"}), sentItems());

    fakeDriver().i32Results[{1, 1}] = 258;
    fakeDriver().calls.clear();
    EXPECT_EQ(258, wrapper.crossGrade(1, code));
    EXPECT_EQ((std::vector<std::string>{"i32:1:1"}), sentItems());
}

TEST_F(Wrapper, FactoryCalibrationResultsAreKeptPerBoard)
{
    connect(3);
    fakeDriver().i32Results[{1, 773}] = 260101;
    EXPECT_EQ(0, wrapper.restoreFactoryCalibrationAll());
    EXPECT_EQ((std::vector<std::string>{"i32:0:773", "i32:1:773", "i32:2:773"}), sentItems());
    EXPECT_EQ((std::map<std::uint32_t, std::int32_t>{{0, 0}, {1, 260101}, {2, 0}}), wrapper.boardResults());
    fakeDriver().i32Results[{1, 773}] = 0;
    EXPECT_EQ(0, wrapper.restoreFactoryCalibration(1));
    EXPECT_EQ(0, wrapper.boardResults().at(1));
}

TEST_F(Wrapper, EepromDocumentsAreStagedThenCommitted)
{
    connect(2);
    EXPECT_EQ(0, wrapper.setBaseEeprom(1, "<BaseEEPROM/>"));
    EXPECT_EQ((std::vector<std::string>{"BoardID1|baseeeprom=<BaseEEPROM/>", "i32:1:1025"}), sentItems());
    fakeDriver().i32Results[{1, 1026}] = 260104;
    EXPECT_EQ(4008, wrapper.setConEeprom(1, "<ConEEPROM/>"));
    fakeDriver().i32Results[{1, 1025}] = 260104;
    EXPECT_EQ(4007, wrapper.setBaseEeprom(1, "<BaseEEPROM/>"));
    failSet("BoardID1", "baseeeprom", 260105);
    fakeDriver().calls.clear();
    EXPECT_EQ(4005, wrapper.setBaseEeprom(1, "<BaseEEPROM/>"));
    EXPECT_EQ(1u, fakeDriver().calls.size()) << "no commit after a failed staging";
}

TEST_F(Wrapper, EepromSummaryReadsNameModelSerialAndSource)
{
    connect(1);
    fakeDriver().setText("BoardID0", "BaseEEPROM",
                         "<BaseEEPROM Name='QAI-1608'><BoardInfo><BaseModel>0x2A01</BaseModel>"
                         "<BaseVersion>3</BaseVersion><SerialNumber>0042A7</SerialNumber></BoardInfo>"
                         "<Source>e2PROM</Source></BaseEEPROM>");
    z2e::EepromSummary s;
    ASSERT_EQ(0, wrapper.getBaseEepromSummary(0, s));
    EXPECT_EQ("QAI-1608 0x2A01 3 0042A7", s.name + " " + s.baseModel + " " + s.baseVersion + " " + s.serialNumber);
    EXPECT_TRUE(s.fromEeprom);

    fakeDriver().setText("BoardID0", "BaseEEPROM", "<BaseEEPROM><Source>Default</Source></BaseEEPROM>");
    ASSERT_EQ(0, wrapper.getBaseEepromSummary(0, s));
    EXPECT_FALSE(s.fromEeprom);
    EXPECT_EQ("", s.serialNumber);

    fakeDriver().setText("BoardID0", "BaseEEPROM", "<BaseEEPROM><unclosed>");
    EXPECT_EQ(260803, wrapper.getBaseEepromSummary(0, s));
    fakeDriver().setText("BoardID0", "BaseEEPROM", "", 100013);
    EXPECT_EQ(100013, wrapper.getBaseEepromSummary(0, s));
}

TEST_F(Wrapper, DefaultEepromGetsTheSerialBeforeItIsWritten)
{
    connect(1);
    const std::string item = "default/<BaseEEPROM  BaseModel='QAI-1608' BaseVersion='3'/>";
    fakeDriver().setText(
        "BoardListing/baseeeprom", item,
        "<BaseEEPROM Name='QAI-1608'><BoardInfo><SerialNumber>0</SerialNumber></BoardInfo></BaseEEPROM>");
    EXPECT_EQ(0, wrapper.writeDefaultBaseEeprom(0, "QAI-1608", "3", "00ABCDEF"));
    const auto sets = fakeDriver().callsNamed("SetParamStruct_str");
    ASSERT_EQ(1u, sets.size());
    EXPECT_NE(std::string::npos, sets[0].value.find("<SerialNumber>00ABCDEF</SerialNumber>"));
    EXPECT_EQ(1u, fakeDriver().callsNamed("SetParam_i32").size());

    fakeDriver().setText("BoardListing/baseeeprom", item, "<BaseEEPROM><BoardInfo/></BaseEEPROM>");
    EXPECT_EQ(4005, wrapper.writeDefaultBaseEeprom(0, "QAI-1608", "3", "1"));
    // Nor is a default of millions of tiny elements read, let alone written.
    std::string crowded = "<BaseEEPROM><BoardInfo><SerialNumber>0</SerialNumber></BoardInfo>";
    for (std::size_t i = 0; i < xpugi::kMaxNodes; ++i)
        crowded += "<a/>";
    fakeDriver().setText("BoardListing/baseeeprom", item, crowded + "</BaseEEPROM>");
    EXPECT_EQ(4005, wrapper.writeDefaultBaseEeprom(0, "QAI-1608", "3", "00ABCDEF"));
    EXPECT_EQ(1u, fakeDriver().callsNamed("SetParamStruct_str").size());
}

TEST_F(Wrapper, SequencesSendTheirStepsInOrder)
{
    connect(2);
    fakeDriver().setText("BoardID1", "chassisno", "2");
    fakeDriver().setText("BoardID1", "slotno", "x");
    std::int32_t chassis = 0, slot = 0;
    EXPECT_EQ(0, wrapper.getBoardLocation(1, chassis, slot));
    EXPECT_EQ(std::make_pair(2, -1), std::make_pair(chassis, slot));
    fakeDriver().calls.clear();
    EXPECT_EQ(100008, wrapper.getBoardLocation(0, chassis, slot));
    EXPECT_EQ(-1, chassis);
    EXPECT_EQ(1u, fakeDriver().calls.size()) << "no slot number without a chassis number";

    // A place found is asked once while the link lasts; a new link asks again.
    fakeDriver().setText("BoardID1", "slotno", "4");
    EXPECT_EQ(0, wrapper.getBoardLocation(1, chassis, slot));
    fakeDriver().calls.clear();
    fakeDriver().setText("BoardID1", "slotno", "5");
    EXPECT_EQ(0, wrapper.getBoardLocation(1, chassis, slot));
    EXPECT_EQ(std::make_pair(2, 4), std::make_pair(chassis, slot));
    EXPECT_TRUE(fakeDriver().calls.empty());
    wrapper.setReady(true);
    EXPECT_EQ(0, wrapper.getBoardLocation(1, chassis, slot));
    EXPECT_EQ(std::make_pair(2, 5), std::make_pair(chassis, slot));

    fakeDriver().calls.clear();
    fakeDriver().i32Results[{1, 1056}] = -9;
    EXPECT_EQ(-9, wrapper.setSelfCalFeatureSet(1, 0x1F));
    EXPECT_EQ((std::vector<std::string>{"BoardID1/BaseEEPROMSelfCal|BoardInfo/SelfCal/FeatureSet=0000001f",
                                        "i32:1:1027", "i32:1:1056"}),
              sentItems());

    z2e::EnclosureData data;
    data.enclosureId = 1;
    data.serialNumber = 0x1F;
    data.type = 12;
    data.version = 3;
    data.propertiesSerial = "S-1";
    data.userData = " ";
    data.options = {{"Fan", 2}, {"Display", std::nullopt}};
    fakeDriver().calls.clear();
    EXPECT_EQ(1000, wrapper.writeEnclosureData(data));
    EXPECT_EQ((std::vector<std::string>{
                  "EnclosureId1|EncType=12", "EnclosureId1|EncVersion=3", "EnclosureId1|EncName=0000001F",
                  "EnclosureId1/Options|Clear=", "EnclosureId1/Options|Fan=2", "EnclosureId1/Options|Display=",
                  "EnclosureId1|RegenXML=", "EnclosureId1/EncProperties|EnclosureInfo/SerialNumber=S-1",
                  "EnclosureId1/EncProperties|EnclosureInfo/UserData= ", "EnclosureId1|StoreData="}),
              sentItems());
    failSet("EnclosureId1/EncProperties", "EnclosureInfo/SerialNumber", 100007, true);
    fakeDriver().calls.clear();
    EXPECT_EQ(303, wrapper.writeEnclosureData(data));
    EXPECT_EQ(8u, fakeDriver().calls.size()) << "stops at the failing step";
}

TEST_F(Wrapper, VirtualModelsAndPaths)
{
    connect(1);
    std::string props = "p", config = "c", firmware = "f";
    failSet("virtualboard", "key", 100012);
    EXPECT_EQ(204, wrapper.describeVirtualBoard("K", props, config, firmware));
    EXPECT_EQ("", props + config + firmware);
    failSet("virtualboard", "key", 0);
    fakeDriver().setText("virtualboard", "properties", "<Properties/>");
    fakeDriver().calls.clear();
    EXPECT_EQ(201, wrapper.describeVirtualBoard("K", props, config, firmware));
    EXPECT_EQ("<Properties/>", props);
    EXPECT_EQ(3u, fakeDriver().calls.size()) << "firmware is not asked after the config failed";

    std::string path;
    fakeDriver().setText("System/Config", "Path", "/etc/acq/");
    EXPECT_EQ(0, wrapper.getConfigFilePath(path));
    EXPECT_EQ("/etc/acq/zmpxi_api_config.xml", path);

    std::string address = "10.1.1.2", mask = "255.0.0.0";
    EXPECT_EQ(0, wrapper.setIpConfig(0, address, mask));
    EXPECT_EQ("", address + mask);
}

} // namespace
