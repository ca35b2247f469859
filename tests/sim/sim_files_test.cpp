// The hardware description's extras (model shorthand, literal documents, fault values,
// calibration dates), the configuration's logger and legacy switch, and many callers at once.

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "sim_driver_fixture.h"

namespace sim_test {
namespace {

class FilesTest : public SimDriverTest {};

const char* const kLiteralHardware = R"(<Stand-in>
  <SimulatedEnclosures>
    <ID0><Model>QE-D2</Model><SerialNumber>00000D02</SerialNumber><UserData/><EncType>5</EncType>
      <EncVersion>1</EncVersion><Faults><DataWrite>fail</DataWrite></Faults>
      <Literals><Document Item="key"><KEY EncName="CUSTOMER"><Name>Their box</Name></KEY></Document></Literals>
    </ID0>
  </SimulatedEnclosures>
  <SimulatedBoards>
    <ID0><Model>QC-3104</Model><EncNumber>0</EncNumber><SlotNumber>2</SlotNumber><FWRevision>02F4</FWRevision>
      <SerialNumber>0C0FFEE0</SerialNumber>
      <Literals>
        <Document Item="boardproperties"><![CDATA[<Properties BoardID="0"><BoardInfo><BoardName>Customer  board</BoardName></BoardInfo></Properties>]]></Document>
        <Document Suffix="base" Item="FWCheck"><FWCheck><InstalledVersion>0042</InstalledVersion></FWCheck></Document>
      </Literals>
    </ID0>
  </SimulatedBoards>
</Stand-in>)";

TEST_F(FilesTest, LiteralDocumentsAreReturnedInsteadOfGeneratedOnes)
{
    writeHardware(kLiteralHardware);
    ASSERT_EQ(started("SIMMODE_OFF"), 1);
    EXPECT_EQ(text("BoardID0", "boardproperties"),
              R"(<Properties BoardID="0"><BoardInfo><BoardName>Customer  board</BoardName></BoardInfo></Properties>)");
    EXPECT_EQ(at(doc("BoardID0/Base", "FWCheck"), "InstalledVersion"), "0042") << "suffixes match ignoring case";
    EXPECT_STREQ(doc("EnclosureId0", "key").attribute("EncName").value(), "CUSTOMER");
    // Items without a literal are still generated, from the model named by the shorthand.
    EXPECT_EQ(at(doc("BoardID0", "key"), "DisplayName"), "QC-3104");
    EXPECT_EQ(at(doc("EnclosureId0", "enclosureproperties"), "EnclosureInfo/Name"), "QE-D2");

    ASSERT_EQ(set("EnclosureId0", "EncVersion", "2"), 0);
    EXPECT_EQ(set("EnclosureId0", "StoreData", ""), 240001);
}

// Every keyword fault value, written the way a person might type it.
TEST_F(FilesTest, FaultValuesAreReadIgnoringCase)
{
    writeHardware(R"(<Stand-in><SimulatedEnclosures>
    <ID0><Model>QE-D2</Model><SerialNumber>00000D02</SerialNumber><UserData/><EncType>5</EncType>
      <EncVersion>1</EncVersion><Faults><DataWrite>FAIL</DataWrite></Faults></ID0>
  </SimulatedEnclosures><SimulatedBoards>
    <ID0><Model>QC-3104</Model><EncNumber>0</EncNumber><SlotNumber>2</SlotNumber><FWRevision>02F4</FWRevision>
      <SerialNumber>0C0FFEE0</SerialNumber><Faults><BaseEEPROM>CORRUPT</BaseEEPROM><BaseBackup>False</BaseBackup>
      <ConEEPROM>Blank</ConEEPROM><ConBackup>MISSING</ConBackup><SelfTest>Fail</SelfTest>
      <FirmwareUpdate>FAIL</FirmwareUpdate><EEPROMWrite>FAIL</EEPROMWrite></Faults></ID0>
  </SimulatedBoards></Stand-in>)");
    started("SIMMODE_OFF");
    std::string answer;
    EXPECT_EQ(get("BoardID0", "baseeeprom", answer), 260102);
    EXPECT_EQ(get("BoardID0", "coneeprom", answer), 260105);
    const pugi::xml_node info = doc("BoardID0", "boardproperties").child("BoardInfo");
    EXPECT_EQ(at(info, "E2PromStatus/BaseE2Prom/AutoBackupFile"), "ERROR_BASEEEPROM_NO_BACKUP_FILE");
    EXPECT_EQ(at(info, "E2PromStatus/ConE2Prom/AutoBackupFile"), "ERROR_CONEEPROM_NO_BACKUP_FILE");
    ASSERT_EQ(set("BoardID0", "HardwareCheck", ""), 0);
    EXPECT_EQ(passed("BoardID0", "HardwareCheck", 0), "false");
    EXPECT_EQ(set("BoardID0/Base", "FWUpdate", ""), 260004);
    ASSERT_EQ(set("BoardID0", "coneeprom", "<ConEEPROM><BoardInfo/></ConEEPROM>"), 0);
    EXPECT_EQ(api->ZaMoSetParam_i32(0, 1026, 0), 260104);
    EXPECT_EQ(set("EnclosureId0", "StoreData", ""), 240001);
}

// A board's calibration date is that of its new EEPROMs; a date that is none spoils the file.
TEST_F(FilesTest, CalibrationDateOfTheDescriptionIsTheFactoryDate)
{
    const auto board = [](const std::string& date) {
        return "<Stand-in><SimulatedEnclosures><ID0><Model>QE-D2</Model><SerialNumber>00000D02</SerialNumber>"
               "<UserData/><EncType>5</EncType><EncVersion>1</EncVersion></ID0></SimulatedEnclosures>"
               "<SimulatedBoards><ID0><Model>QA-4008.BNC</Model><EncNumber>0</EncNumber><SlotNumber>2</SlotNumber>"
               "<FWRevision>0254</FWRevision><SerialNumber>0CA1DA7E</SerialNumber><CalDate>" +
               date + "</CalDate></ID0></SimulatedBoards></Stand-in>";
    };
    writeHardware(board("2024-02-29"));
    ASSERT_EQ(started("SIMMODE_OFF"), 1);
    const pugi::xml_node info = doc("BoardID0", "boardproperties").child("BoardInfo");
    EXPECT_EQ(at(info, "BaseBoard/BaseCal/Date"), "2024-02-29");
    EXPECT_EQ(at(info, "BaseBoard/BaseTest/Date"), "2024-02-29");
    EXPECT_EQ(at(info, "ConPanel/ConCal/Date"), "2024-02-29");
    EXPECT_EQ(at(doc("BoardID0", "baseeeprom"), "SelfCal/Date"), "2024-02-29");

    for (const char* bad : {"2023-02-29", "2024-13-01", "2024-1-015", "24-01-01", "2024-01-0x"}) {
        writeHardware(board(bad));
        EXPECT_EQ(started("SIMMODE_OFF"), 0) << bad;
    }
}

TEST_F(FilesTest, LegacySwitchAndLoggerSettingsOfTheConfiguration)
{
    std::string config = readFile(exampleFile("zmpxi_api_config.xml"));
    const std::string commandLog = m_root + "/logs/commands.log";
    config = replaced(config, "<SimulationMode>SIMMODE_NORMAL</SimulationMode>", "");
    config = replaced(config, "<Enabled>true<", "<Enabled>force<");
    config = replaced(config, "<LogLevel>LogOnError<", "<LogLevel>LogCommand<");
    writeConfig(replaced(config, "<CmdLogFile>ZaMoQorin.log<", "<CmdLogFile>" + commandLog + "<"));
    std::filesystem::create_directories(m_root + "/logs");

    useExampleHardware();
    EXPECT_EQ(started(""), -6) << "Enabled=force simulates although hardware is present";
    text("BoardID2", "boardproperties");
    api->ZaMoDriverDeInit();
    EXPECT_NE(readFile(commandLog).find("BoardID2 boardproperties"), std::string::npos);
    EXPECT_FALSE(readFile(m_configDir + "/log/ZaMoQorin_Dev.Log").empty()) << "a bare name goes into the log folder";
}

TEST_F(FilesTest, StateFilesAreCompleteDocuments)
{
    useExampleHardware();
    started("SIMMODE_OFF");
    ASSERT_EQ(set("BoardID1/Base", "FWUpdate", "0271"), 0);
    ASSERT_EQ(set("EnclosureId0", "StoreData", ""), 0);
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_stateDir)) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        EXPECT_EQ(entry.path().extension(), ".xml") << entry.path() << " is left over";
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_file(entry.path().c_str())) << entry.path();
    }
    EXPECT_GE(files, 2 + 15) << "board, enclosure and the automatic backups";
}

TEST_F(FilesTest, ManyCallersAtOnce)
{
    useExampleConfig();
    useExampleHardware();
    started("SIMMODE_OFF");
    ASSERT_EQ(set("driver/api/config/thread", "Enabled", "true"), 0);
    std::atomic<int> failures{0};
    std::vector<std::thread> callers;
    for (int t = 0; t < 4; ++t) {
        callers.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                const std::string board = "BoardID" + std::to_string((t + round) % 8);
                uint32_t length = 0;
                if (api->ZaMoGetParamStruct_strLEN(board.c_str(), "boardproperties", &length) != 0)
                    ++failures;
                const int32_t test = set(board, "HardwareCheck", "");
                if (test != 0 && test != 260101)
                    ++failures;
                const int32_t update = set(board + "/Base", "FWUpdate", "");
                if (update != 0 && update != 260101 && update != 260004)
                    ++failures;
            }
        });
    }
    for (std::thread& caller : callers)
        caller.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(started("SIMMODE_OFF"), 8) << "the driver is still usable";
}

} // namespace
} // namespace sim_test
