// The documents the driver answers: every target gives well-formed XML with what the
// program reads, the listings hold consistent product data, and the text getters follow
// the buffer-growth contract.

#include <algorithm>
#include <cstring>
#include <iterator>
#include <set>
#include <sstream>
#include <vector>

#include "sim_driver_fixture.h"

namespace sim_test {
namespace {

constexpr int32_t kBufferTooSmall = 230001;
constexpr int32_t kBoardNoNotValid = 100030;

class DocumentsTest : public SimDriverTest {
protected:
    int32_t startHardware()
    {
        useExampleConfig();
        useExampleHardware();
        return started("SIMMODE_OFF");
    }
};

// The program's rule for an EEPROM backup state: 0 healthy, 1 no usable backup, 2 faulty with backup.
int backupState(const pugi::xml_node& eeprom)
{
    const std::string status = at(eeprom, "Status");
    const std::string header = at(eeprom, "HeaderStatus");
    const std::string backup = at(eeprom, "AutoBackupFile");
    if (status.empty() || header.empty() || backup.empty() || header.find("OK") == std::string::npos ||
        backup.find("NO_BACKUP_FILE") != std::string::npos)
        return 1;
    return status.find("OK") != std::string::npos ? 0 : 2;
}

std::string raw(const pugi::xml_node& node)
{
    std::ostringstream out;
    node.print(out, "", pugi::format_raw);
    return out.str();
}

bool isInteger(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789-") == std::string::npos;
}

TEST_F(DocumentsTest, EveryBoardAndEnclosureTargetAnswersItsDocument)
{
    const int32_t boards = startHardware();
    ASSERT_EQ(boards, 8);
    struct Item {
        const char* target;
        const char* item;
        const char* root;
    };
    const Item items[] = {
        {"", "coneeprom", "ConEEPROM"},
        {"", "key", "KEY"},
        {"", "boardproperties", "Properties"},
        {"", "BaseEEPROM", "BaseEEPROM"},
        {"", "HardwareCheck", "HardwareCheck"},
        {"/Base", "FWCheck", "FWCheck"},
        {"/AiALL", "HardwareCheck", "ChannelCheck"},
        {"/AiALL", "AmplifierOffset", "AmplifierOffset"},
        {"/AiALL", "Selfjustage", "Selfjustage"},
        {"/AiALL", "ThreeWireInternalLineResistance", "ThreeWireInternalLineResistance"},
    };
    for (int board = 0; board < boards; ++board) {
        const std::string target = "BoardID" + std::to_string(board);
        for (const Item& item : items) {
            if (board == 7 && std::strcmp(item.item, "coneeprom") == 0)
                continue; // blank panel EEPROM, checked below
            EXPECT_STREQ(doc(target + item.target, item.item).name(), item.root) << target << item.item;
        }
        const pugi::xml_node props = doc(target, "boardproperties");
        EXPECT_EQ(props.attribute("BoardID").as_int(-1), board);
        for (const char* path : {"BoardInfo/BoardName", "BoardInfo/SerialNumber", "BoardInfo/BaseBoard/BaseModel",
                                 "BoardInfo/ConPanel/SerialNumber", "BoardInfo/BaseBoard/SelfCal/FeatureSet",
                                 "BoardInfo/E2PromStatus/BaseE2Prom/Status", "SystemInfo/SlotNo"})
            EXPECT_FALSE(at(props, path).empty()) << target << " " << path;
        EXPECT_TRUE(isInteger(text(target, "chassisno")));
        EXPECT_TRUE(isInteger(text(target, "slotno")));
        EXPECT_FALSE(text(target, "BaseTemp").empty());
        EXPECT_FALSE(text(target, "ConTemp").empty());
        if (board != 3) {
            EXPECT_STREQ(doc(target, "baseeeprom").name(), "BaseEEPROM");
            EXPECT_TRUE(isInteger(text(target + "/BaseEEPROM", "SVNRevision")));
        }
        EXPECT_TRUE(board == 7 || isInteger(text(target + "/ConEEPROM", "SVNRevision")));
    }
    for (int enclosure = 0; enclosure < 3; ++enclosure) {
        const std::string target = "EnclosureId" + std::to_string(enclosure);
        const pugi::xml_node info = doc(target, "enclosureproperties").child("EnclosureInfo");
        EXPECT_FALSE(at(info, "Name").empty());
        EXPECT_TRUE(isInteger(at(info, "UserSlotCnt")) && isInteger(at(info, "SlotNoOffset")));
        EXPECT_EQ(at(doc(target, "key"), "EncName"), at(info, "EncName"));
    }
    std::string answer;
    EXPECT_EQ(get("BoardID8", "boardproperties", answer), kBoardNoNotValid);
    EXPECT_NE(get("EnclosureId3", "key", answer), 0);
    EXPECT_NE(get("BoardID0", "nosuchitem", answer), 0);
    EXPECT_NE(get("NoSuchTarget", "Raw", answer), 0);
}

TEST_F(DocumentsTest, DriverVersionsAnswerTheirDocuments)
{
    startHardware();
    const std::string version = text("driver/api", "version");
    EXPECT_GE(std::count(version.begin(), version.end(), '.'), 2) << version;
    const pugi::xml_node versions = doc("driver/api", "SystemVersions");
    EXPECT_EQ(at(versions, "Component/Version"), version);
    for (pugi::xml_node component : versions.children("Component")) {
        for (const char* field : {"Description", "FileName", "Version"})
            EXPECT_FALSE(at(component, field).empty()) << field;
    }
}

TEST_F(DocumentsTest, ListingsHoldConsistentProductData)
{
    const pugi::xml_node boards = doc("BoardListing/Key2Name", "Raw");
    std::set<std::string> families;
    std::set<std::string> names;
    bool multi = false;
    for (pugi::xml_node model : boards.children("Model")) {
        const std::string name = model.attribute("Name").value();
        names.insert(name);
        families.insert(model.attribute("Family").value());
        multi = multi || name.find("-MULTI") != std::string::npos;
        // The key must pass the configuration checker's board KEY rule.
        const pugi::xml_node key = model.child("KEY");
        for (const char* attribute : {"BaseModel", "BaseVersion", "ConModel", "ConVersion"})
            EXPECT_STRNE(key.attribute(attribute).value(), "") << name;
        for (const char* child : {"FamilyName", "Type", "DisplayName"})
            EXPECT_FALSE(at(key, child).empty()) << name;
        EXPECT_TRUE(key.child("ConBv")) << name;
        EXPECT_EQ(at(key, "DisplayName"), name);
    }
    EXPECT_GE(names.size(), 12u);
    EXPECT_GE(families.size(), 4u);
    EXPECT_TRUE(multi);

    int enclosures = 0;
    bool network = false;
    for (pugi::xml_node model : doc("EnclosureListing/Key2Name", "Raw").children("Model")) {
        ++enclosures;
        const pugi::xml_node key = model.child("KEY");
        network = network || std::string(at(key, "Name")).find("QORINet") != std::string::npos;
        EXPECT_EQ(std::strlen(key.attribute("EncName").value()), 8u);
        for (const char* child : {"SubVersion", "UserSlotCnt", "SlotNoOffset", "StarHubSlot"})
            EXPECT_TRUE(isInteger(at(key, child))) << child;
        EXPECT_TRUE(key.child("SystemInfo"));
    }
    EXPECT_GE(enclosures, 6);
    EXPECT_TRUE(network);
    const pugi::xml_node listing = doc("EnclosureListing/Listing", "Raw");
    EXPECT_STREQ(listing.name(), "EnclosureListing");
    EXPECT_TRUE(listing.find_child_by_attribute("Enclosure", "Kind", "HostPC"));

    // Every generation has a default EEPROM and every model a latest firmware.
    const pugi::xml_node entries = doc("BoardListing/BaseEEPROM", "entries");
    EXPECT_STREQ(entries.name(), "BaseEEPROMEntries");
    for (pugi::xml_node entry : entries.children("Entry")) {
        const std::string model = entry.attribute("BaseModel").value();
        const std::string version = entry.attribute("BaseVersion").value();
        const pugi::xml_node eeprom = doc("BoardListing/baseeeprom", "default/<BaseEEPROM  BaseModel='" + model +
                                                                         "' BaseVersion='" + version + "'/>");
        EXPECT_EQ(at(eeprom, "BoardInfo/BaseModel"), model);
        EXPECT_EQ(at(eeprom, "BoardInfo/BaseVersion"), version);
        EXPECT_EQ(at(eeprom, "BoardInfo/BaseId"), entry.attribute("Id").value());
        EXPECT_EQ(std::strlen(entry.attribute("Id").value()), 8u);
    }
    const pugi::xml_node firmware = doc("FirmwareListing", "FileList");
    for (const std::string& name : names) {
        bool latest = false;
        for (pugi::xml_node file : firmware.children("File"))
            latest = latest || (name == file.attribute("Model").value() && file.attribute("Latest").as_bool());
        EXPECT_TRUE(latest) << name;
    }
}

TEST_F(DocumentsTest, VirtualBoardsAndEnclosuresDescribeEveryListedModel)
{
    for (pugi::xml_node model : doc("BoardListing/Key2Name", "Raw").children("Model")) {
        const std::string request = "<SimulatedBoards><IDDEMO>" + raw(model.child("KEY")) +
                                    "<FWRevision>0100</FWRevision><SerialNumber>00BEEF01</SerialNumber></IDDEMO>"
                                    "</SimulatedBoards>";
        const std::string name = model.attribute("Name").value();
        ASSERT_EQ(set("virtualboard", "key", request), 0) << name;
        EXPECT_EQ(at(doc("virtualboard", "properties"), "BoardInfo/DisplayName"), name);
        EXPECT_EQ(at(doc("virtualboard", "config"), "BoardInfo/SerialNumber"), "00BEEF01");
        std::string answer;
        EXPECT_EQ(get("virtualboard", "firmware", answer), -260901) << "0100 is older than any release";
        EXPECT_NE(answer.find("<InstalledVersion>0100</InstalledVersion>"), std::string::npos) << answer;
        ASSERT_EQ(set("virtualboard", "selftest", request), 0);
        EXPECT_EQ(passed("virtualboard", "HardwareCheck", 0), "true") << name;
    }
    EXPECT_EQ(set("virtualboard", "key", "<KEY BaseModel='nothing'/>"), 100007);
    EXPECT_EQ(set("virtualboard", "key", "QZ-9999"), 100012);

    for (pugi::xml_node model : doc("EnclosureListing/Key2Name", "Raw").children("Model")) {
        ASSERT_EQ(set("virtualenclosure", "key",
                      "<SimulatedEnclosures><IDDEMO>" + raw(model.child("KEY")) +
                          "<SerialNumber>0000ABCD</SerialNumber></IDDEMO></SimulatedEnclosures>"),
                  0);
        const pugi::xml_node info = doc("virtualenclosure", "properties").child("EnclosureInfo");
        EXPECT_EQ(at(info, "Name"), model.attribute("Name").value());
        EXPECT_EQ(at(info, "UserSlotCnt"), model.attribute("Slots").value());
        EXPECT_EQ(at(info, "SerialNumber"), "0000ABCD");
    }
}

TEST_F(DocumentsTest, TextGettersReportTheNeededSizeWhenTheBufferIsTooSmall)
{
    startHardware();
    uint32_t length = 0;
    ASSERT_EQ(api->ZaMoGetParamStruct_strLEN("BoardID0", "boardproperties", &length), 0);
    std::vector<char> buffer(length + 8, 'x');
    ASSERT_EQ(api->ZaMoGetParamStruct_str("BoardID0", "boardproperties", buffer.data(), length), 0);
    EXPECT_EQ(std::strlen(buffer.data()) + 1, length) << "LEN counts the terminating NUL";
    EXPECT_EQ(api->ZaMoGetParamStruct_str("BoardID0", "boardproperties", buffer.data(), length - 1), kBufferTooSmall);
    EXPECT_EQ(api->ZaMoGetParamStruct_str("BoardID0", "boardproperties", nullptr, 0), kBufferTooSmall);
    uint32_t xmlLength = 0;
    ASSERT_EQ(api->ZaMoGetParamXML_strLEN("BoardID0", "boardproperties", &xmlLength), 0);
    EXPECT_EQ(xmlLength, length);

    // A warning answer still has its length asked with success, and arrives whole.
    ASSERT_EQ(api->ZaMoGetParamStruct_strLEN("BoardID0/Base", "FWCheck", &length), 0);
    std::string answer;
    EXPECT_EQ(get("BoardID0/Base", "FWCheck", answer, 1), -260901);
    EXPECT_EQ(answer.size() + 1, length);
    // An error is reported as such, not as a small buffer.
    EXPECT_EQ(api->ZaMoGetParamStruct_str("BoardID9", "key", buffer.data(), 1), kBoardNoNotValid);
    EXPECT_EQ(api->ZaMoGetParamStruct_strLEN("BoardID9", "key", &length), kBoardNoNotValid);
    EXPECT_EQ(api->ZaMoGetParamStruct_strLEN(nullptr, "key", &length), 100007);
}

TEST_F(DocumentsTest, EepromFaultsShowInTheBoardDescription)
{
    startHardware();
    const pugi::xml_node ok = doc("BoardID0", "boardproperties").child("BoardInfo");
    EXPECT_EQ(at(ok, "BoardName"), "QA-4008.BNC");
    EXPECT_EQ(backupState(ok.first_element_by_path("E2PromStatus/BaseE2Prom")), 0);

    const pugi::xml_node base = doc("BoardID3", "boardproperties").child("BoardInfo");
    EXPECT_NE(at(base, "BoardName").find("E2PROM-ERROR"), std::string::npos);
    EXPECT_EQ(backupState(base.first_element_by_path("E2PromStatus/BaseE2Prom")), 2);
    EXPECT_FALSE(readFile(at(base, "E2PromStatus/BaseE2Prom/AutoBackupFile")).empty());
    std::string answer;
    EXPECT_EQ(get("BoardID3", "baseeeprom", answer), 260102);
    EXPECT_EQ(at(doc("BoardID3", "BaseEEPROM"), "Source"), "Backup");

    const pugi::xml_node con = doc("BoardID7", "boardproperties").child("BoardInfo");
    EXPECT_NE(at(con, "BoardName").find("E2PROM-ERROR"), std::string::npos);
    EXPECT_EQ(backupState(con.first_element_by_path("E2PromStatus/ConE2Prom")), 1);
    EXPECT_EQ(at(con, "E2PromStatus/ConE2Prom/AutoBackupFile"), "ERROR_CONEEPROM_NO_BACKUP_FILE");
    EXPECT_EQ(get("BoardID7", "coneeprom", answer), 260105);
}

TEST_F(DocumentsTest, SelfTestVerdictsFollowTheFaults)
{
    startHardware();
    EXPECT_EQ(passed("BoardID0", "HardwareCheck", 0), "undone");
    for (int board : {0, 1, 4})
        ASSERT_EQ(set("BoardID" + std::to_string(board), "HardwareCheck", ""), 0);

    const pugi::xml_node good = doc("BoardID0", "HardwareCheck").child("BoardId0");
    EXPECT_STREQ(good.attribute("Passed").value(), "true");
    const pugi::xml_node reference = good.find_child_by_attribute("Check", "Target", "Reference");
    EXPECT_EQ(std::distance(reference.children().begin(), reference.children().end()), 8) << "one item per channel";
    for (pugi::xml_node item : reference.children()) {
        EXPECT_STRNE(item.attribute("Device").value(), "");
        EXPECT_STRNE(item.attribute("Range").value(), "");
        EXPECT_LE(item.attribute("Value").as_double(), item.attribute("Limit").as_double());
    }

    const pugi::xml_node bad = doc("BoardID1", "HardwareCheck").child("BoardId1");
    EXPECT_STREQ(bad.attribute("Passed").value(), "false");
    EXPECT_STREQ(bad.find_child_by_attribute("Check", "Target", "Reference").attribute("Passed").value(), "false");

    const pugi::xml_node warm = doc("BoardID4", "HardwareCheck").child("BoardId4");
    EXPECT_STREQ(warm.attribute("Passed").value(), "false");
    EXPECT_STREQ(warm.find_child_by_attribute("Check", "Target", "Temperature").attribute("Passed").value(), "false");

    // Relaxed factory limits, and an excitation test where there is no excitation.
    ASSERT_EQ(set("BoardID0", "HardwareCheck", "factorytest"), 0);
    EXPECT_DOUBLE_EQ(
        doc("BoardID0", "HardwareCheck").first_element_by_path("BoardId0/Check").attribute("Limit").as_double(), 0.5);
    ASSERT_EQ(set("BoardID0", "HardwareCheck", "excitationtest"), 0);
    EXPECT_EQ(passed("BoardID0", "HardwareCheck", 0), "na");
    EXPECT_EQ(set("BoardID0", "HardwareCheck", "sometest"), 100007);
}

TEST_F(DocumentsTest, IntegerCommandsAndResultTexts)
{
    startHardware();
    const std::string typeCode = at(doc("BoardID2", "boardproperties"), "BoardInfo/TypeCode");
    int32_t value = 0;
    ASSERT_EQ(api->ZaMoGetParam_i32(2, 1282, &value), 0);
    EXPECT_EQ(std::to_string(value), typeCode);
    int64_t wide = 0;
    ASSERT_EQ(api->ZaMoGetParam_i64(2, 1282, &wide), 0);
    EXPECT_EQ(wide, value);
    // Close before open, open twice, close, an unknown command, no such board, a counter
    // board's calibration.
    const int32_t commands[][3] = {{2, 2, 0x0105},           {2, 1, 0},       {2, 1, 260}, {2, 2, 0}, {2, 4242, 100009},
                                   {8, 1, kBoardNoNotValid}, {5, 773, 100018}};
    for (const auto& c : commands)
        EXPECT_EQ(api->ZaMoSetParam_i32(c[0], c[1], 0), c[2]) << c[0] << " " << c[1];

    EXPECT_STREQ(api->ZaMoErrorConstantToString(1), "ERR_HARDWARE_ALREADY_IN_USE (0x0001)");
    EXPECT_STREQ(api->ZaMoErrorConstantToString(kBufferTooSmall), "ERROR_BUFFER_TOO_SMALL (230001)");
    EXPECT_STREQ(api->ZaMoErrorConstantToString(-260901), "WARNING_INSTALLED_OLDER (-260901)");
    EXPECT_STREQ(api->ZaMoErrorConstantToString(0x040a), "ERR_UART_NOT_STARTED (0x040a)");
    EXPECT_STRNE(api->ZaMoErrorConstantToString(987654), "");
}

} // namespace
} // namespace sim_test
