// Initialisation: simulation modes, the configuration and hardware description files,
// malformed input and the init-level fault settings.

#include <cstdlib>

#include "sim_driver_fixture.h"

namespace sim_test {
namespace {

constexpr int32_t kHardwareInUse = 1;
constexpr int32_t kParamInvalid = 100007;

int countEntries(const std::string& configText)
{
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(configText.c_str()));
    int count = 0;
    for (pugi::xml_node entry : doc.select_node("//SimulatedBoards").node().children()) {
        if (std::string(entry.name()).rfind("ID", 0) == 0)
            ++count;
    }
    return count;
}

// The example configuration with its Simulation section replaced.
std::string configWithSimulation(const std::string& simulation)
{
    std::string text = readFile(exampleFile("zmpxi_api_config.xml"));
    const std::size_t begin = text.find("<Simulation>");
    const std::size_t end = text.find("</Simulation>") + std::string("</Simulation>").size();
    return text.replace(begin, end - begin, simulation);
}

const char* const kRackEntry = R"(<ID0><KEY EncName="0000E108"><Name>QE-R8</Name><SubVersion>0</SubVersion>
  <UserSlotCnt>8</UserSlotCnt><SlotNoOffset>2</SlotNoOffset><StarHubSlot>0</StarHubSlot><SystemInfo/></KEY>
  <SerialNumber>1</SerialNumber><UserData/><EncType>1</EncType><EncVersion>2</EncVersion></ID0>)";

std::string boardEntry(const char* id, const char* encNumber, const char* slot, const char* displayName = "QD-5032")
{
    return std::string("<") + id + R"(><KEY BaseModel="QBD-32" BaseVersion="1" ConModel="QPD-32-D37" ConVersion="1">
  <FamilyName>QD</FamilyName><Type>5032</Type><ConBv/><DisplayName>)" +
           displayName + R"(</DisplayName></KEY>
  <EncNumber>)" +
           encNumber + "</EncNumber><SlotNumber>" + slot + "</SlotNumber><FWRevision>0394</FWRevision>" +
           "<SerialNumber>" + id + "77</SerialNumber></" + id + ">";
}

class InitTest : public SimDriverTest {};

TEST_F(InitTest, ForcedSimulationReportsTheConfiguredBoardsAsNegativeCount)
{
    useExampleConfig();
    int32_t count = 0;
    ASSERT_EQ(init("SIMMODE_FORCE", count), 0);
    EXPECT_EQ(count, -countEntries(readFile(exampleFile("zmpxi_api_config.xml"))));
    EXPECT_EQ(count, -6);
    EXPECT_EQ(text("System", "EnclosureCount"), "2");
    EXPECT_EQ(text("System/Config", "Path"), m_configDir);

    // Boards come in the order of their entries, each where its entry puts it.
    pugi::xml_document doc;
    pugi::xml_node props = getDocument("BoardID1", "boardproperties", doc);
    EXPECT_EQ(at(props, "BoardInfo/BoardName"), "QA-2208-MULTI");
    EXPECT_EQ(at(props, "BoardInfo/SerialNumber"), "00A40002");
    EXPECT_EQ(at(props, "ChannelProperties/AI2/ChannelModule"), "QM-BRIDGE");
    EXPECT_EQ(text("BoardID4", "chassisno"), "1");
    EXPECT_EQ(text("BoardID4", "slotno"), "2");
    pugi::xml_document encDoc;
    EXPECT_EQ(at(getDocument("EnclosureId0", "enclosureproperties", encDoc), "EnclosureInfo/UserData"), "Test bench A");
}

TEST_F(InitTest, ModesChooseBetweenHardwareAndSimulation)
{
    useExampleConfig();
    useExampleHardware();
    int32_t count = 0;
    ASSERT_EQ(init("SIMMODE_OFF", count), 0);
    EXPECT_EQ(count, 8);
    EXPECT_EQ(text("System", "EnclosureCount"), "3");

    ASSERT_EQ(init("SIMMODE_NORMAL", count), 0);
    EXPECT_EQ(count, 8) << "hardware is preferred when present";

    ASSERT_EQ(init("SIMMODE_FORCE", count), 0);
    EXPECT_EQ(count, -6);

    unsetenv("ZMPXI_SIM_HARDWARE");
    ASSERT_EQ(init("SIMMODE_NORMAL", count), 0);
    EXPECT_EQ(count, -6) << "no hardware: the simulated system stands in";
    ASSERT_EQ(init("SIMMODE_OFF", count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(text("System", "EnclosureCount"), "0");
}

TEST_F(InitTest, ConfiguredModeAppliesUntilTheProgramSetsOne)
{
    std::string config = readFile(exampleFile("zmpxi_api_config.xml"));
    const std::string normal = "<SimulationMode>SIMMODE_NORMAL</SimulationMode>";
    config.replace(config.find(normal), normal.size(), "<SimulationMode>SIMMODE_OFF</SimulationMode>");
    writeConfig(config);
    int32_t count = 0;
    ASSERT_EQ(init("", count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(text("driver/api/config/simulation", "mode"), "SIMMODE_OFF");
    ASSERT_EQ(init("SIMMODE_FORCE", count), 0);
    EXPECT_EQ(count, -6);
    EXPECT_EQ(text("driver/api/config/simulation", "mode"), "SIMMODE_FORCE");
    EXPECT_EQ(set("driver/api/config/simulation", "mode", "simmode_force"), kParamInvalid);
    EXPECT_EQ(set("driver/api/config/xml", "AllowCachedMergeResult", "maybe"), kParamInvalid);
}

TEST_F(InitTest, MalformedConfigurationStartsWithoutSimulatedBoards)
{
    const std::string malformed[] = {
        "<zmpxi_api_config><Configuration><Simulation>",
        configWithSimulation("<Simulation><SimulationMode>simmode_force</SimulationMode>"
                             "<SimulatedEnclosures/><SimulatedBoards/></Simulation>"),
        configWithSimulation(std::string("<Simulation><SimulatedEnclosures>") + kRackEntry +
                             "</SimulatedEnclosures><SimulatedBoards>" + boardEntry("ID0", "1a", "2") +
                             "</SimulatedBoards></Simulation>"),
        configWithSimulation(std::string("<Simulation><SimulatedEnclosures>") + kRackEntry +
                             "<Rack/></SimulatedEnclosures><SimulatedBoards/></Simulation>"),
        configWithSimulation("<Simulation><SimulatedEnclosures/><SimulatedBoards><AIScale>80%</AIScale>"
                             "</SimulatedBoards></Simulation>"),
    };
    for (const std::string& config : malformed) {
        writeConfig(config);
        testing::internal::CaptureStderr();
        int32_t count = 0;
        EXPECT_EQ(init("SIMMODE_FORCE", count), 0);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(count, 0) << config;
        EXPECT_NE(log.find("malformed"), std::string::npos) << log;
        EXPECT_EQ(text("System", "EnclosureCount"), "0");
    }
}

TEST_F(InitTest, MalformedHardwareDescriptionGivesNoHardwareBoards)
{
    useExampleConfig();
    for (const char* hardware : {"<SimulatedHardware><SimulatedBoards><ID0>", "<Nothing/>",
                                 "<H><SimulatedBoards><ID0><EncNumber>0</EncNumber></ID0></SimulatedBoards></H>"}) {
        writeHardware(hardware);
        testing::internal::CaptureStderr();
        int32_t count = -1;
        EXPECT_EQ(init("SIMMODE_OFF", count), 0);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(count, 0) << hardware;
    }
    setenv("ZMPXI_SIM_HARDWARE", (m_root + "/does-not-exist.xml").c_str(), 1);
    testing::internal::CaptureStderr();
    int32_t count = -1;
    EXPECT_EQ(init("SIMMODE_NORMAL", count), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(count, -6) << "without hardware the simulated system is used";
}

TEST_F(InitTest, EntriesWithoutModelOrFreeSlotAreLeftOut)
{
    writeConfig(configWithSimulation(
        std::string("<Simulation><SimulatedEnclosures>") + kRackEntry + "</SimulatedEnclosures><SimulatedBoards>" +
        boardEntry("ID0", "0", "2") + boardEntry("ID1", "0", "2") + boardEntry("ID2", "3", "2") +
        boardEntry("ID3", "0", "10") + boardEntry("ID4", "0", "9") + "</SimulatedBoards></Simulation>"));
    testing::internal::CaptureStderr();
    int32_t count = 0;
    ASSERT_EQ(init("SIMMODE_FORCE", count), 0);
    testing::internal::GetCapturedStderr();
    // Taken slot 2, missing enclosure 3 and slot 10 of an 8-slot rack are dropped.
    EXPECT_EQ(count, -2);
    EXPECT_EQ(text("BoardID1", "slotno"), "9");
}

TEST_F(InitTest, ConfigurationChangesAreSeenByTheNextInit)
{
    useExampleConfig();
    int32_t count = 0;
    ASSERT_EQ(init("SIMMODE_FORCE", count), 0);
    ASSERT_EQ(count, -6);
    writeConfig(configWithSimulation(std::string("<Simulation><SimulatedEnclosures>") + kRackEntry +
                                     "</SimulatedEnclosures><SimulatedBoards>" + boardEntry("ID0", "0", "4") +
                                     "</SimulatedBoards></Simulation>"));
    ASSERT_EQ(init("SIMMODE_FORCE", count), 0);
    EXPECT_EQ(count, -1);
}

TEST_F(InitTest, FolderDefaultsFollowTheEnvironment)
{
    unsetenv("ZMPXI_API_CONFIG_DIR");
    setenv("XDG_CONFIG_HOME", (m_root + "/xdg").c_str(), 1);
    EXPECT_EQ(text("System/Config", "Path"), m_root + "/xdg/zmpxi_api");
    unsetenv("XDG_CONFIG_HOME");
    const z2e::test::EnvOverride home("HOME", m_root);
    EXPECT_EQ(text("System/Config", "Path"), m_root + "/.config/zmpxi_api");

    // Without a state folder of its own the driver keeps its state below the configuration folder.
    unsetenv("ZMPXI_SIM_STATE_DIR");
    useExampleHardware();
    int32_t count = 0;
    ASSERT_EQ(init("SIMMODE_OFF", count), 0);
    ASSERT_EQ(set("BoardID0/Base", "FWUpdate", ""), 0);
    EXPECT_FALSE(readFile(m_root + "/.config/zmpxi_api/state/boards/hw_10A80001.xml").empty());
}

TEST_F(InitTest, InitFaultsOfTheHardwareDescription)
{
    useExampleConfig();
    const std::string boards = readFile(exampleFile("hardware.xml"));
    std::string busy = boards;
    busy.insert(busy.rfind("</SimulatedHardware>"), "<Faults><InitBusy>2</InitBusy></Faults>");
    writeHardware(busy);
    int32_t count = 0;
    EXPECT_EQ(init("SIMMODE_OFF", count), kHardwareInUse);
    EXPECT_EQ(init("SIMMODE_OFF", count), kHardwareInUse);
    EXPECT_EQ(init("SIMMODE_OFF", count), 0);
    EXPECT_EQ(count, 8);

    std::string warning = boards;
    warning.insert(warning.rfind("</SimulatedHardware>"), "<Faults><InitWarning>-100017</InitWarning></Faults>");
    writeHardware(warning);
    EXPECT_EQ(init("SIMMODE_OFF", count), -100017);
    EXPECT_EQ(count, 8);

    for (const char* countText : {"+2", "", "two"}) {
        std::string odd = boards;
        odd.insert(odd.rfind("</SimulatedHardware>"),
                   std::string("<Faults><EnclosureCount>") + countText + "</EnclosureCount></Faults>");
        writeHardware(odd);
        ASSERT_EQ(init("SIMMODE_OFF", count), 0);
        std::string answer = "unchanged";
        EXPECT_EQ(get("System", "EnclosureCount", answer), 0);
        EXPECT_EQ(answer, countText);
    }
}

} // namespace
} // namespace sim_test
