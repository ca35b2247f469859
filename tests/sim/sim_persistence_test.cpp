// What the simulated hardware remembers: EEPROM writes and restores, firmware updates,
// cross-grades, feature sets, calibration and enclosure data survive a re-initialisation
// and a new process.

#include <sstream>
#include <tuple>
#include <utility>

#include <sys/wait.h>
#include <unistd.h>

#include "sim_driver_fixture.h"

namespace sim_test {
namespace {

class PersistenceTest : public SimDriverTest {
protected:
    void SetUp() override
    {
        SimDriverTest::SetUp();
        useExampleConfig();
        useExampleHardware();
        restart();
    }

    void restart() { ASSERT_EQ(started("SIMMODE_OFF"), 8); }

    std::string property(int board, const char* path)
    {
        return at(doc("BoardID" + std::to_string(board), "boardproperties"), path);
    }

    /// Runs `check` in a child process against a fresh initialisation; true when it returned true.
    template <class Check>
    bool inNewProcess(Check check)
    {
        api->ZaMoDriverDeInit();
        const pid_t child = fork();
        if (child == 0) {
            int32_t count = 0;
            api->ZaMoSetParamStruct_str("driver/api/config/simulation", "mode", "SIMMODE_OFF");
            const bool ok = api->ZaMoDriverInit(&count) == 0 && count == 8 && check();
            api->ZaMoDriverDeInit();
            _exit(ok ? 0 : 1);
        }
        int status = -1;
        waitpid(child, &status, 0);
        restart();
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
};

std::string answerOf(const z2e::DriverEntryPoints* api, const char* target, const char* item)
{
    uint32_t length = 0;
    if (api->ZaMoGetParamStruct_strLEN(target, item, &length) != 0)
        return std::string();
    std::string buffer(length, '\0');
    if (api->ZaMoGetParamStruct_str(target, item, buffer.data(), length) > 0)
        return std::string();
    return buffer.c_str();
}

TEST_F(PersistenceTest, EepromBackupRestoreAndRereadRoundTrip)
{
    const std::string backup = text("BoardID0", "baseeeprom");
    const std::string backupFile = m_root + "/Baseeeprom_Brd0.xml";
    writeFile(backupFile, backup + "\n");

    ASSERT_EQ(api->ZaMoSetParam_i32(0, 1044, 0), 0);
    EXPECT_EQ(property(0, "BoardInfo/BoardName"), "E2PROM-ERROR");
    std::string answer;
    EXPECT_EQ(get("BoardID0", "baseeeprom", answer), 260105);
    restart();
    EXPECT_EQ(property(0, "BoardInfo/BoardName"), "E2PROM-ERROR") << "the erase is remembered";

    EXPECT_EQ(api->ZaMoSetParam_i32(0, 1025, 0), 220001) << "nothing staged";
    EXPECT_EQ(set("BoardID0", "baseeeprom", text("BoardID0", "coneeprom")), 100007) << "a panel document";
    ASSERT_EQ(set("BoardID0", "baseeeprom", readFile(backupFile)), 0);
    ASSERT_EQ(api->ZaMoSetParam_i32(0, 1025, 0), 0);
    EXPECT_EQ(text("BoardID0", "baseeeprom"), backup);
    EXPECT_EQ(property(0, "BoardInfo/BoardName"), "QA-4008.BNC");
    restart();
    EXPECT_EQ(text("BoardID0", "baseeeprom"), backup);
    EXPECT_TRUE(inNewProcess([&] { return answerOf(api, "BoardID0", "baseeeprom") == backup; }));

    // The blank panel EEPROM of board 7 takes a document from another board's backup.
    std::string panel = text("BoardID6", "coneeprom");
    ASSERT_EQ(set("BoardID7", "coneeprom", panel), 0);
    ASSERT_EQ(api->ZaMoSetParam_i32(7, 1026, 0), 0);
    EXPECT_EQ(property(7, "BoardInfo/BoardName"), "QN-6202-UART");
    restart();
    EXPECT_EQ(text("BoardID7", "coneeprom"), panel);
}

TEST_F(PersistenceTest, DefaultEepromWithNewSerialNumber)
{
    const pugi::xml_node summary = doc("BoardID2", "BaseEEPROM");
    EXPECT_EQ(at(summary, "Source"), "E2Prom");
    const std::string request = "default/<BaseEEPROM  BaseModel='" + at(summary, "BoardInfo/BaseModel") +
                                "' BaseVersion='" + at(summary, "BoardInfo/BaseVersion") + "'/>";
    pugi::xml_document defaults;
    pugi::xml_node root = getDocument("BoardListing/baseeeprom", request, defaults);
    root.first_element_by_path("BoardInfo/SerialNumber").text() = "00C0FFEE";
    std::ostringstream out;
    defaults.save(out);
    ASSERT_EQ(set("BoardID2", "baseeeprom", out.str()), 0);
    ASSERT_EQ(api->ZaMoSetParam_i32(2, 1025, 0), 0);
    restart();
    EXPECT_EQ(at(doc("BoardID2", "BaseEEPROM"), "BoardInfo/SerialNumber"), "00C0FFEE");
    EXPECT_EQ(property(2, "BoardInfo/SerialNumber"), "00C0FFEE");
}

TEST_F(PersistenceTest, AutomaticRestoreFromBackup)
{
    ASSERT_EQ(api->ZaMoSetParam_i32(3, 1028, 0), 0);
    EXPECT_EQ(property(3, "BoardInfo/BoardName"), "QN-6204-CAN");
    restart();
    EXPECT_EQ(property(3, "BoardInfo/E2PromStatus/BaseE2Prom/Status"), "OK");
    EXPECT_EQ(api->ZaMoSetParam_i32(7, 1029, 0), 220002) << "the blank panel never had a backup";
}

TEST_F(PersistenceTest, FirmwareUpdateSurvivesRestartAndNewProcess)
{
    const pugi::xml_node before = doc("BoardID0/Base", "FWCheck");
    const std::string latest = at(before, "LatestVersion");
    ASSERT_NE(at(before, "InstalledVersion"), latest);

    ASSERT_EQ(set("BoardID0/Base", "FWUpdate", ""), 0);
    std::string answer;
    EXPECT_EQ(get("BoardID0/Base", "FWCheck", answer), 0);
    restart();
    EXPECT_EQ(property(0, "BoardInfo/FWRevision"), latest);
    EXPECT_TRUE(inNewProcess([&] {
        return answerOf(api, "BoardID0/Base", "FWCheck").find("<InstalledVersion>" + latest + "<") != std::string::npos;
    }));
}

TEST_F(PersistenceTest, FirmwareSelection)
{
    // Back to the release before, by version, then forward by file name of the listing.
    ASSERT_EQ(set("BoardID5/Base", "FWUpdate", "02F1"), 0);
    EXPECT_EQ(property(5, "BoardInfo/FWRevision"), "02F1");
    ASSERT_EQ(set("BoardID5/Base", "FWUpdate", "qc3104_02F4.zfw"), 0);
    EXPECT_EQ(property(5, "BoardInfo/FWRevision"), "02F4");
    const std::pair<std::string, int32_t> refused[] = {
        {"0999", -260006}, {"qa4016_0254.zfw", -260005}, {m_root + "/missing.zfw", -260002}};
    for (const auto& [which, result] : refused)
        EXPECT_EQ(set("BoardID5/Base", "FWUpdate", which), result) << which;

    const std::string file = m_root + "/custom.zfw";
    writeFile(file, "ZFW1 model=QC-3104 version=02F7\nimage");
    ASSERT_EQ(set("BoardID5/Base", "FWUpdate", file), 0);
    EXPECT_EQ(property(5, "BoardInfo/FWRevision"), "02F7");
    writeFile(file, "not a firmware image");
    EXPECT_EQ(set("BoardID5/Base", "FWUpdate", file), 260003);

    // Board 7 fails its first update and succeeds on the retry.
    EXPECT_EQ(set("BoardID7/Base", "FWUpdate", ""), 260004);
    EXPECT_EQ(property(7, "BoardInfo/FWRevision"), "0441");
    EXPECT_EQ(set("BoardID7/Base", "FWUpdate", ""), 0);
}

TEST_F(PersistenceTest, CrossGradeToBaseBoard)
{
    EXPECT_EQ(property(2, "BoardInfo/BaseBoard/BaseId"), "21401602");
    const std::string serial = property(2, "BoardInfo/SerialNumber");
    EXPECT_EQ(set("BoardID2", "rebase", "10100001"), 0x0105) << "the board must be opened first";
    ASSERT_EQ(api->ZaMoSetParam_i32(2, 1, 0), 0);
    EXPECT_EQ(set("BoardID2", "rebase", "99999999"), 220001);
    ASSERT_EQ(set("BoardID2", "rebase", "10100001"), 0);
    ASSERT_EQ(api->ZaMoSetParam_i32(2, 2, 0), 0);
    EXPECT_EQ(property(2, "BoardInfo/DisplayName"), "QX-1000");
    EXPECT_EQ(property(2, "BoardInfo/BaseBoard/BaseId"), "10100001");
    EXPECT_EQ(property(2, "BoardInfo/SerialNumber"), serial);
    restart();
    EXPECT_EQ(property(2, "BoardInfo/DisplayName"), "QX-1000");
    EXPECT_STREQ(doc("BoardID2", "key").attribute("BaseModel").value(), "QBX-00");

    // A counter board cannot become an analog board.
    ASSERT_EQ(api->ZaMoSetParam_i32(5, 1, 0), 0);
    EXPECT_EQ(set("BoardID5", "rebase", "21401603"), 100018);
}

TEST_F(PersistenceTest, CrossGradeFailsWhenTheEepromCannotBeWritten)
{
    std::string hardware = readFile(exampleFile("hardware.xml"));
    const std::string anchor = "<SerialNumber>10A80003</SerialNumber>";
    hardware.insert(hardware.find(anchor) + anchor.size(), "<Faults><EEPROMWrite>fail</EEPROMWrite></Faults>");
    writeHardware(hardware);
    restart();
    ASSERT_EQ(api->ZaMoSetParam_i32(2, 1, 0), 0);
    EXPECT_EQ(set("BoardID2", "rebase", "10100001"), 220003);
    EXPECT_EQ(property(2, "BoardInfo/DisplayName"), "QA-4016");
    ASSERT_EQ(set("BoardID2", "baseeeprom", text("BoardID2", "baseeeprom")), 0);
    EXPECT_EQ(api->ZaMoSetParam_i32(2, 1025, 0), 260104);
}

TEST_F(PersistenceTest, FeatureSetChangesNameAndPersists)
{
    EXPECT_EQ(api->ZaMoSetParam_i32(0, 1027, 0), 220001) << "no feature set staged";
    ASSERT_EQ(api->ZaMoSetParamXML_str("BoardID0/BaseEEPROMSelfCal", "BoardInfo/SelfCal/FeatureSet", "00000006"), 0);
    ASSERT_EQ(api->ZaMoSetParam_i32(0, 1027, 0), 0);
    ASSERT_EQ(api->ZaMoSetParam_i32(0, 1056, 0), 0);
    EXPECT_EQ(property(0, "BoardInfo/BaseBoard/SelfCal/FeatureSet"), "00000006");
    EXPECT_EQ(property(0, "BoardInfo/DisplayName"), "QA-4008.BNC-HS");
    EXPECT_EQ(property(0, "BoardFeatures/AntiAliasFilter"), "On");
    restart();
    EXPECT_STREQ(doc("BoardID0", "key").attribute("FeatureSet").value(), "00000006");
    EXPECT_EQ(api->ZaMoSetParamXML_str("BoardID0/BaseEEPROMSelfCal", "BoardInfo/SelfCal/FeatureSet", "xyz"), 100007);
}

TEST_F(PersistenceTest, GainCalibrationAndFactoryReset)
{
    ASSERT_EQ(set("BoardID0/AIAll", "Selfjustage", ""), 0);
    const pugi::xml_node item = doc("BoardID0/AiALL", "Selfjustage").first_element_by_path("BoardId0/Check/ID0");
    ASSERT_TRUE(item);
    EXPECT_STRNE(item.attribute("Meas_Gain").value(), "");
    EXPECT_STRNE(item.attribute("Old_Gain").value(), "");
    EXPECT_STREQ(doc("BoardID0", "baseeeprom").first_element_by_path("SelfCal/ID0").attribute("Gain").value(),
                 item.attribute("New_Gain").value());
    ASSERT_EQ(api->ZaMoSetParam_i32(0, 773, 0), 0);
    restart();
    const pugi::xml_node root = doc("BoardID0", "baseeeprom");
    EXPECT_STREQ(root.first_element_by_path("SelfCal/ID3").attribute("Gain").value(),
                 root.first_element_by_path("FactoryCal/ID3").attribute("Gain").value());

    ASSERT_EQ(set("BoardID0/AIAll", "AmplifierOffset", "200 ms"), 0);
    EXPECT_EQ(passed("BoardID0/AiALL", "AmplifierOffset", 0), "true");
    EXPECT_EQ(set("BoardID5/AIAll", "Selfjustage", ""), 100018);
    EXPECT_EQ(passed("BoardID5/AiALL", "Selfjustage", 5), "na");
}

TEST_F(PersistenceTest, EnclosureDataWriteSequence)
{
    const std::string target = "EnclosureId0";
    for (const auto& [where, item, value] : {std::tuple{"", "EncType", "2"},
                                             {"", "EncVersion", "5"},
                                             {"", "EncName", "1F"},
                                             {"/Options", "Clear", ""},
                                             {"/Options", "FanMode", "1"},
                                             {"", "RegenXML", ""}})
        ASSERT_EQ(set(target + where, item, value), 0) << item;
    EXPECT_EQ(set(target + "/Options", "Turbo", "1"), 100007);
    ASSERT_EQ(api->ZaMoSetParamXML_str((target + "/EncProperties").c_str(), "EnclosureInfo/SerialNumber", "0000001F"),
              0);
    ASSERT_EQ(api->ZaMoSetParamXML_str((target + "/EncProperties").c_str(), "EnclosureInfo/UserData", "cell 4"), 0);
    ASSERT_EQ(set(target, "StoreData", ""), 0);
    restart();
    const pugi::xml_node info = doc(target, "enclosureproperties").child("EnclosureInfo");
    // SyncMaster was cleared and not written again.
    for (const auto& [path, value] : {std::pair{"EncName", "0000001F"},
                                      {"EncVersion", "5"},
                                      {"SerialNumber", "0000001F"},
                                      {"UserData", "cell 4"},
                                      {"Options/FanMode", "1"},
                                      {"Options/SyncMaster", ""}})
        EXPECT_EQ(at(info, path), value) << path;
    EXPECT_EQ(set("EnclosureId1", "EncType", "1"), 0x0306) << "a computer has no enclosure data memory";
}

} // namespace
} // namespace sim_test
