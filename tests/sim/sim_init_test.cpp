// Initialisation: simulation modes, the configuration and hardware description files,
// malformed input and the init-level fault settings.

#include <cstdlib>

#include "sim_driver_fixture.h"

namespace sim_test {
namespace {

constexpr int32_t kHardwareInUse = 1;
constexpr int32_t kParamInvalid = 100007;

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

// The example configuration with its Simulation section replaced.
std::string configWithSimulation(const std::string& simulation)
{
    std::string text = readFile(exampleFile("zmpxi_api_config.xml"));
    const std::size_t begin = text.find("<Simulation>");
    const std::size_t end = text.find("</Simulation>") + std::string("</Simulation>").size();
    return text.replace(begin, end - begin, simulation);
}

// A rack with the given board entries.
std::string rackWith(const std::string& boards)
{
    return configWithSimulation(std::string("<Simulation><SimulatedEnclosures>") + kRackEntry +
                                "</SimulatedEnclosures><SimulatedBoards>" + boards + "</SimulatedBoards></Simulation>");
}

class InitTest : public SimDriverTest {};

TEST_F(InitTest, ForcedSimulationReportsTheConfiguredBoardsAsNegativeCount)
{
    useExampleConfig();
    EXPECT_EQ(started("SIMMODE_FORCE"), -6) << "the six entries of the example";
    EXPECT_EQ(text("System", "EnclosureCount"), "2");
    EXPECT_EQ(text("System/Config", "Path"), m_configDir);

    // Boards come in the order of their entries, each where its entry puts it.
    pugi::xml_node props = doc("BoardID1", "boardproperties");
    EXPECT_EQ(at(props, "BoardInfo/BoardName"), "QA-2208-MULTI");
    EXPECT_EQ(at(props, "BoardInfo/SerialNumber"), "00A40002");
    EXPECT_EQ(at(props, "ChannelProperties/AI2/ChannelModule"), "QM-BRIDGE");
    EXPECT_EQ(text("BoardID4", "chassisno"), "1");
    EXPECT_EQ(text("BoardID4", "slotno"), "2");
    EXPECT_EQ(at(doc("EnclosureId0", "enclosureproperties"), "EnclosureInfo/UserData"), "Test bench A");
}

TEST_F(InitTest, ModesChooseBetweenHardwareAndSimulation)
{
    useExampleConfig();
    useExampleHardware();
    EXPECT_EQ(started("SIMMODE_OFF"), 8);
    EXPECT_EQ(text("System", "EnclosureCount"), "3");
    EXPECT_EQ(started("SIMMODE_NORMAL"), 8) << "hardware is preferred when present";
    EXPECT_EQ(started("SIMMODE_FORCE"), -6);

    unsetenv("ZMPXI_SIM_HARDWARE");
    EXPECT_EQ(started("SIMMODE_NORMAL"), -6) << "no hardware: the simulated system stands in";
    EXPECT_EQ(started("SIMMODE_OFF"), 0);
    EXPECT_EQ(text("System", "EnclosureCount"), "0");
}

TEST_F(InitTest, ConfiguredModeAppliesUntilTheProgramSetsOne)
{
    writeConfig(replaced(readFile(exampleFile("zmpxi_api_config.xml")), "<SimulationMode>SIMMODE_NORMAL<",
                         "<SimulationMode>SIMMODE_OFF<"));
    EXPECT_EQ(started(""), 0);
    EXPECT_EQ(text("driver/api/config/simulation", "mode"), "SIMMODE_OFF");
    EXPECT_EQ(started("SIMMODE_FORCE"), -6);
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
        rackWith(boardEntry("ID0", "1a", "2")),
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
        EXPECT_EQ(started("SIMMODE_OFF"), 0) << hardware;
    }
    setenv("ZMPXI_SIM_HARDWARE", (m_root + "/does-not-exist.xml").c_str(), 1);
    EXPECT_EQ(started("SIMMODE_NORMAL"), -6) << "without hardware the simulated system is used";
}

TEST_F(InitTest, EntriesWithoutModelOrFreeSlotAreLeftOut)
{
    writeConfig(rackWith(boardEntry("ID0", "0", "2") + boardEntry("ID1", "0", "2") + boardEntry("ID2", "3", "2") +
                         boardEntry("ID3", "0", "10") + boardEntry("ID4", "0", "9")));
    // Taken slot 2, missing enclosure 3 and slot 10 of an 8-slot rack are dropped.
    EXPECT_EQ(started("SIMMODE_FORCE"), -2);
    EXPECT_EQ(text("BoardID1", "slotno"), "9");
}

TEST_F(InitTest, ConfigurationChangesAreSeenByTheNextInit)
{
    useExampleConfig();
    ASSERT_EQ(started("SIMMODE_FORCE"), -6);
    writeConfig(rackWith(boardEntry("ID0", "0", "4")));
    EXPECT_EQ(started("SIMMODE_FORCE"), -1);
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
    started("SIMMODE_OFF");
    ASSERT_EQ(set("BoardID0/Base", "FWUpdate", ""), 0);
    EXPECT_FALSE(readFile(m_root + "/.config/zmpxi_api/state/boards/hw_10A80001.xml").empty());
}

TEST_F(InitTest, InitFaultsOfTheHardwareDescription)
{
    useExampleConfig();
    const std::string boards = readFile(exampleFile("hardware.xml"));
    const auto withFaults = [&boards](const std::string& faults) {
        std::string text = boards;
        return text.insert(text.rfind("</SimulatedHardware>"), "<Faults>" + faults + "</Faults>");
    };
    writeHardware(withFaults("<InitBusy>2</InitBusy>"));
    int32_t count = 0;
    EXPECT_EQ(init("SIMMODE_OFF", count), kHardwareInUse);
    EXPECT_EQ(init("SIMMODE_OFF", count), kHardwareInUse);
    EXPECT_EQ(init("SIMMODE_OFF", count), 0);
    EXPECT_EQ(count, 8);

    writeHardware(withFaults("<InitWarning>-100017</InitWarning>"));
    EXPECT_EQ(init("SIMMODE_OFF", count), -100017);
    EXPECT_EQ(count, 8);

    for (const char* countText : {"+2", "", "two"}) {
        writeHardware(withFaults(std::string("<EnclosureCount>") + countText + "</EnclosureCount>"));
        started("SIMMODE_OFF");
        EXPECT_EQ(text("System", "EnclosureCount"), countText);
    }
}

} // namespace
} // namespace sim_test
