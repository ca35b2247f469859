// Demo system editing against the driver stand-in: edits, files, import of this computer's
// hardware, and that a failed load, import or save leaves everything as it was.

#include "support/site.h"

#include "config/qorin_cfg_handler.h"
#include "core/demo_system_editor.h"
#include "core/enclosure_node.h"
#include "core/slot_node.h"
#include "core/system_model.h"
#include "core/tree_row_list.h"
#include "zmpxi/driver_api.h"
#include "driver/command/qorin_node_util_wrapper.h"
#include "qorinet_api/client/qorinet_client_node.h"
#include "qorinet_api/client/qorinet_local_client_node.h"
#include "xpugi/element.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace z2e {
namespace {

namespace fs = std::filesystem;
using test::readFile;

class DemoEditorTest : public ::testing::Test {
protected:
    void SetUp() override { m_site.enter(); }
    void TearDown() override
    {
        m_editor.reset();
        m_model.reset();
        unloadDriverApi();
    }

    void start()
    {
        auto node = std::make_shared<qorinet_api::QORINetLocalClientNode>(0);
        node->setRetryWait([](std::chrono::milliseconds) {});
        m_model = std::make_unique<SystemModel>(false, node);
        ASSERT_EQ(m_model->initializeSystem(), AppStatus::Ok);
        m_editor = std::make_unique<DemoSystemEditor>(*m_model);
    }

    std::string configFile() const { return m_site.configFile(); }

    const ModelPickerItem& model(std::uint32_t nodeType, const std::string& name)
    {
        EXPECT_EQ(m_editor->fillPicker(nodeType), DemoStatus::Ok);
        const ModelPickerItem* item = m_editor->picker().find(name);
        if (!item)
            throw std::runtime_error("no model " + name);
        return *item;
    }

    // Enclosures and slots as the tree shows them, with the serial numbers.
    static std::vector<std::string> layout(const RootNode& root)
    {
        std::vector<std::string> lines;
        for (const auto& child : root.children()) {
            const auto* enclosure = dynamic_cast<const EnclosureNode*>(child.get());
            if (!enclosure)
                continue;
            lines.push_back(std::to_string(enclosure->number) + " " + enclosure->firstValue() + " " +
                            enclosure->serialNumber);
            for (std::size_t i = 0; i < enclosure->slotCount(); ++i) {
                const SlotNode* slot = enclosure->slotAt(i);
                lines.push_back("  " + std::to_string(enclosure->slotNumber(slot->index)) + " " +
                                (slot->holdsBoard() ? slot->firstValue() + " " + slot->serialNumber : "-"));
            }
        }
        return lines;
    }

    std::string document() const { return xpugi::printNode(m_model->configHandler().document()); }

    // Every row of the tree as the window shows it, indented by depth.
    static std::vector<std::string> shownRows(const RootNode& root)
    {
        std::vector<std::string> rows;
        for (const TreeRow& row : TreeRowList::collect(root))
            rows.push_back(std::string(2 * row.depth, ' ') + (row.row.red ? "! " : "") + row.row.text);
        return rows;
    }

    test::SimSite m_site;
    fs::path m_dir{m_site.root()};
    std::unique_ptr<SystemModel> m_model;
    std::unique_ptr<DemoSystemEditor> m_editor;
};

TEST_F(DemoEditorTest, AddPutRemoveRenumberAndSave)
{
    start();
    RootNode& demo = m_model->demoRoot();
    ASSERT_EQ(demo.childCount(), 2u);
    EXPECT_FALSE(m_editor->hasUnsavedChanges());

    // The root takes an enclosure type; a board model on the root is refused.
    EXPECT_EQ(m_editor->add(demo, model(NodeType::EmptySlot, "QC-3104")), DemoStatus::NotEditable);
    EXPECT_EQ(demo.childCount(), 2u);
    ASSERT_EQ(m_editor->add(demo, model(NodeType::Root, "QE-D2")), DemoStatus::Ok);
    EnclosureNode* added = m_editor->enclosureAt(2);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->typeCode, 0xE402u);
    EXPECT_TRUE(m_editor->hasUnsavedChanges());

    const std::size_t overviewRows = demo.boardOverview.size();
    SlotNode* last = m_editor->slotAt(2, 3);
    ASSERT_NE(last, nullptr);
    ASSERT_EQ(m_editor->add(*last, model(NodeType::EmptySlot, "QC-3104")), DemoStatus::Ok);
    EXPECT_EQ(last->boardIndex, -1);
    EXPECT_FALSE(last->firmwareRevision.empty());
    EXPECT_EQ(demo.boardOverview.size(), overviewRows + 1);
    EXPECT_EQ(DemoSystemEditor::nextSlot(*last), nullptr) << "the last slot keeps the selection";
    EXPECT_EQ(DemoSystemEditor::nextSlot(*m_editor->slotAt(2, 2)), last);

    // Another type for the first enclosure drops its boards; removing the second of three
    // renumbers the third.
    ASSERT_EQ(m_editor->add(*m_editor->enclosureAt(0), model(NodeType::Enclosure, "QE-P4")), DemoStatus::Ok);
    ASSERT_EQ(m_editor->remove(*m_editor->enclosureAt(1)), DemoStatus::Ok);
    EXPECT_EQ(layout(demo), (std::vector<std::string>{"0 QE-P4 00000000", "  2 -", "  3 -", "  4 -", "  5 -",
                                                      "1 QE-D2 00000000", "  2 -", "  3 QC-3104 00000000"}));
    EXPECT_EQ(m_editor->enclosureAt(1), added);
    EXPECT_EQ(added->index, 1);
    EXPECT_EQ(m_editor->removeEnclosure(5), DemoStatus::NoSuchElement);
    EXPECT_EQ(demo.boardOverview.size(), 2u) << "titles and the one board left";

    // Nodes of the local system are not edited.
    EXPECT_EQ(m_editor->add(m_model->localRoot(), model(NodeType::Root, "QE-D2")), DemoStatus::NotEditable);
    EXPECT_EQ(m_editor->remove(*m_model->localRoot().childAt(0)), DemoStatus::NotEditable);

    ASSERT_EQ(m_editor->saveConfiguration(), DemoStatus::Ok);
    EXPECT_FALSE(m_editor->hasUnsavedChanges());
    const pugi::xml_node entries = xpugi::selectFirst(m_model->configHandler().document().document_element(),
                                                      "Configuration/Simulation/SimulatedEnclosures");
    EXPECT_TRUE(entries.child("ID1") && !entries.child("ID2")) << "entries are numbered without a gap";

    // What was saved reads back as the same system.
    const std::vector<std::string> edited = layout(demo);
    TearDown();
    start();
    EXPECT_EQ(layout(m_model->demoRoot()), edited);
    last = m_editor->slotAt(1, 3);
    ASSERT_EQ(m_editor->remove(*last), DemoStatus::Ok);
    EXPECT_EQ(last->nodeType, NodeType::EmptySlot);
    EXPECT_TRUE(last->children().empty());
    EXPECT_EQ(m_editor->remove(*last), DemoStatus::NotEditable) << "an empty slot has nothing to remove";
}

TEST_F(DemoEditorTest, DemoFileRoundTripAndUnusableFiles)
{
    start();
    const std::vector<std::string> original = layout(m_model->demoRoot());
    const fs::path file = m_dir / "demo.xml";
    ASSERT_EQ(m_editor->saveDemoFile(file.string()), DemoStatus::Ok);
    EXPECT_FALSE(m_editor->hasUnsavedChanges()) << "a demo file is no configuration save";

    ASSERT_EQ(m_editor->removeEnclosure(0), DemoStatus::Ok);
    ASSERT_NE(layout(m_model->demoRoot()), original);
    ASSERT_EQ(m_editor->loadDemoFile(file.string()), DemoStatus::Ok);
    EXPECT_EQ(layout(m_model->demoRoot()), original);
    EXPECT_EQ(m_model->demoRoot().boardOverview.size(), 7u);

    // Whatever is wrong with the file, tree and configuration stay as they are.
    std::ofstream(m_dir / "broken.xml") << "<Simulation>\n  <SimulatedEnclosures>\n  <ID0></KEY>";
    std::ofstream(m_dir / "unknown.xml")
        << "<Simulation><SimulatedEnclosures><ID0><KEY EncName=\"0000E108\"><Name>QE-R8</Name><SubVersion>0</SubVersion>"
           "<UserSlotCnt>8</UserSlotCnt><SlotNoOffset>2</SlotNoOffset><StarHubSlot>0</StarHubSlot><SystemInfo/></KEY>"
           "<SerialNumber>1</SerialNumber><UserData/><EncType>1</EncType><EncVersion>2</EncVersion></ID0>"
           "</SimulatedEnclosures><SimulatedBoards><ID0><KEY BaseModel=\"QBZ-1\" BaseVersion=\"1\" ConModel=\"QPZ-1\" "
           "ConVersion=\"1\" FeatureSet=\"0\"><FamilyName>QZ</FamilyName><Type>1</Type><ConBv/><DisplayName>QZ-1"
           "</DisplayName></KEY><EncNumber>0</EncNumber><SlotNumber>2</SlotNumber><FWRevision>0100</FWRevision>"
           "<SerialNumber>1</SerialNumber></ID0></SimulatedBoards></Simulation>";

    ASSERT_EQ(m_editor->removeEnclosure(1), DemoStatus::Ok);
    m_editor->setUnsavedChanges(false);
    const std::vector<std::string> before = layout(m_model->demoRoot());
    const std::string configuration = document();
    for (const char* name : {"missing.xml", "unknown.xml", "broken.xml"}) {
        EXPECT_EQ(m_editor->loadDemoFile((m_dir / name).string()), DemoStatus::SimulationLoadFailed) << name;
        EXPECT_EQ(layout(m_model->demoRoot()), before) << name;
        EXPECT_EQ(document(), configuration) << name;
        EXPECT_NE(m_editor->lastError().find((m_dir / name).string()), std::string::npos) << m_editor->lastError();
    }
    EXPECT_NE(m_editor->lastError().find("line 3, column 10"), std::string::npos) << m_editor->lastError();
    EXPECT_FALSE(m_editor->hasUnsavedChanges());
}

// Each edit can be taken back, to the row and to the byte of the configuration; a failed
// operation does not replace what undo brings back.
TEST_F(DemoEditorTest, UndoRestoresTheExactPreviousConfiguration)
{
    start();
    RootNode& demo = m_model->demoRoot();
    const std::string saveBefore = (m_dir / "before.xml").string();
    ASSERT_EQ(m_editor->saveConfiguration(nullptr, saveBefore), DemoStatus::Ok);
    const std::string configuration = document();
    const std::vector<std::string> rows = shownRows(demo);
    EXPECT_FALSE(m_editor->canUndo());
    EXPECT_EQ(m_editor->undo(), DemoStatus::NothingToUndo);

    // Undone after a save: the file holds the edit, so the flag is set and the next save
    // writes what the save before the edit wrote.
    ASSERT_EQ(m_editor->removeEnclosure(1), DemoStatus::Ok);
    ASSERT_EQ(m_editor->saveConfiguration(), DemoStatus::Ok);
    ASSERT_NE(readFile(configFile()), readFile(saveBefore));
    ASSERT_EQ(m_editor->undo(), DemoStatus::Ok);
    EXPECT_EQ(shownRows(demo), rows);
    EXPECT_EQ(document(), configuration);
    EXPECT_TRUE(m_editor->hasUnsavedChanges());
    ASSERT_EQ(m_editor->saveConfiguration(), DemoStatus::Ok);
    EXPECT_EQ(readFile(configFile()), readFile(saveBefore));

    // Undone before a save: as it was, with nothing to save.
    const std::string saved = document();
    ASSERT_EQ(m_editor->removeEnclosure(0), DemoStatus::Ok);
    ASSERT_EQ(m_editor->undo(), DemoStatus::Ok);
    EXPECT_EQ(shownRows(demo), rows);
    EXPECT_EQ(document(), saved);
    EXPECT_FALSE(m_editor->hasUnsavedChanges());

    // A failed load changes nothing, so undo takes back the edit before it; one level only.
    ASSERT_EQ(m_editor->putBoard(*m_editor->slotAt(0, 6), model(NodeType::EmptySlot, "QC-3104")), DemoStatus::Ok);
    const std::vector<std::string> withBoard = shownRows(demo);
    ASSERT_EQ(m_editor->removeEnclosure(0), DemoStatus::Ok);
    std::ofstream(m_dir / "broken.xml") << "<Simulation>";
    ASSERT_EQ(m_editor->loadDemoFile((m_dir / "broken.xml").string()), DemoStatus::SimulationLoadFailed);
    ASSERT_EQ(m_editor->undo(), DemoStatus::Ok);
    EXPECT_EQ(shownRows(demo), withBoard);
    EXPECT_FALSE(m_editor->canUndo());
}

// The driver describes a demo enclosure without its place; its rows tell the place it has.
TEST_F(DemoEditorTest, EnclosureNumberAndBoardCountRowsFollowEdits)
{
    start();
    const auto child = [](const ModelNode& node, const std::string& name) -> const ModelNode* {
        for (const auto& each : node.children()) {
            if (each->name == name)
                return each.get();
        }
        return nullptr;
    };
    const auto row = [&child](const ModelNode& node, const std::string& name) {
        const ModelNode* found = child(node, name);
        return found ? found->firstValue() : "(none)";
    };
    ASSERT_EQ(m_editor->addEnclosure(model(NodeType::Root, "QE-D2")), DemoStatus::Ok);
    ASSERT_EQ(m_editor->putBoard(*m_editor->slotAt(2, 3), model(NodeType::EmptySlot, "QC-3104")), DemoStatus::Ok);
    ASSERT_EQ(m_editor->removeEnclosure(0), DemoStatus::Ok);
    const EnclosureNode* moved = m_editor->enclosureAt(1);
    EXPECT_EQ(row(*moved, "EnclosureNo"), "1");
    EXPECT_EQ(row(*moved, "BoardCount"), "1");
    const ModelNode* slot = m_editor->slotAt(1, 3);
    ASSERT_NE(slot, nullptr);
    const ModelNode* location = child(*slot, "BoardLocation");
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(row(*location, "EnclosureNo") + "/" + row(*location, "SlotNo"), "1/3");
    EXPECT_EQ(row(*m_editor->enclosureAt(0), "EnclosureNo"), "0");
    EXPECT_EQ(DemoSystemEditor::boardCount(*m_editor->enclosureAt(0)), 2u);
    EXPECT_EQ(row(*m_editor->enclosureAt(0), "BoardCount"), "2");
}

TEST_F(DemoEditorTest, ImportOfTheLocalHardware)
{
    start();
    ASSERT_TRUE(m_editor->canImportLocalHardware());
    const fs::path demoFile = m_dir / "demo.xml";
    ASSERT_EQ(m_editor->saveDemoFile(demoFile.string()), DemoStatus::Ok);

    // An enclosure the driver cannot describe (its key lacks SystemInfo) fails the import and changes nothing.
    auto stranger = std::make_unique<EnclosureNode>(SystemKind::Local);
    stranger->key = "<KEY EncName=\"0000F999\"><Name>QE-Z9</Name><SubVersion>0</SubVersion><UserSlotCnt>2</UserSlotCnt>"
                    "<SlotNoOffset>2</SlotNoOffset><StarHubSlot>0</StarHubSlot></KEY>";
    ModelNode* added = m_model->localRoot().addChild(std::move(stranger));
    const std::vector<std::string> demoBefore = layout(m_model->demoRoot());
    const std::string configuration = document();
    EXPECT_EQ(m_editor->importLocalHardware(), DemoStatus::HardwareImportFailed);
    EXPECT_EQ(layout(m_model->demoRoot()), demoBefore);
    EXPECT_EQ(document(), configuration);
    EXPECT_FALSE(m_editor->hasUnsavedChanges());
    m_model->localRoot().removeChild(m_model->localRoot().childCount() - 1);
    (void)added;

    ASSERT_EQ(m_editor->importLocalHardware(), DemoStatus::Ok);
    EXPECT_TRUE(m_editor->hasUnsavedChanges());
    const std::vector<std::string> demo = layout(m_model->demoRoot());
    for (const char* line : {"0 QE-R16 ", "1 Host PC ", "2 QORINet QN-N6 ", "  3 QA-4116-STRAIN ", "  17 -"})
        EXPECT_TRUE(std::any_of(demo.begin(), demo.end(), [&](const std::string& t) { return t.rfind(line, 0) == 0; }))
            << line;
    // Same boards with the same serial numbers, described as simulated ones (no warnings).
    std::vector<std::string> local = layout(m_model->localRoot());
    for (std::string& text : local) {
        for (const char* mark : {"  [WARNING: Firmware old.]", "  [WARNING: Firmware newer.]"}) {
            const std::size_t at = text.find(mark);
            if (at != std::string::npos)
                text.erase(at, std::string(mark).size());
        }
    }
    ASSERT_EQ(demo.size(), local.size());
    for (std::size_t i = 0; i < demo.size(); ++i) {
        if (local[i].find("E2PROM-ERROR") == std::string::npos) {
            EXPECT_EQ(demo[i].substr(0, demo[i].rfind(' ')), local[i].substr(0, local[i].rfind(' ')));
        }
        EXPECT_EQ(demo[i].substr(demo[i].rfind(' ')), local[i].substr(local[i].rfind(' ')));
    }

    // The local tree goes to a demo file without becoming the configuration's demo system.
    ASSERT_EQ(m_editor->loadDemoFile(demoFile.string()), DemoStatus::Ok);
    const std::string demoConfiguration = document();
    ASSERT_EQ(m_editor->saveLocalSystemFile((m_dir / "local.xml").string()), DemoStatus::Ok);
    EXPECT_EQ(document(), demoConfiguration);
    EXPECT_NE(readFile((m_dir / "local.xml").string()).find("QE-R16"), std::string::npos);
}

TEST_F(DemoEditorTest, FailedSaveKeepsTheOldFileAndTheFlag)
{
    start();
    const std::string before = readFile(configFile());
    ASSERT_EQ(m_editor->removeEnclosure(0), DemoStatus::Ok);
    DriverLogSettings window = m_model->logSettings();
    window.level = "LogOff";

    std::int32_t demoFile = 0;
    std::int32_t failed = 0;
    ASSERT_TRUE(test::underFileSizeLimit(256, [&] {
        demoFile = m_editor->saveDemoFile(m_site.configFolder() + "/demo.xml");
        failed = m_editor->saveConfiguration(&window);
    }));

    EXPECT_EQ(failed, DemoStatus::ConfigurationNotSaved);
    EXPECT_EQ(demoFile, DemoStatus::DemoFileNotSaved);
    EXPECT_NE(m_editor->lastError().find(configFile()), std::string::npos);
    // The configuration itself is never a demo file's destination, not even when asked to replace.
    EXPECT_EQ(m_editor->saveDemoFile(configFile(), true), DemoStatus::DemoFileRefused);
    EXPECT_EQ(readFile(configFile()), before);
    EXPECT_EQ(test::filesIn(m_site.configFolder()), std::vector<std::string>{"zmpxi_api_config.xml"})
        << "temporary left";
    EXPECT_TRUE(m_editor->hasUnsavedChanges());

    // The log level of the logging dialog is what closing asks about, until it is saved.
    EXPECT_TRUE(m_editor->needsSaveOnClose(window));
    ASSERT_EQ(m_editor->saveConfiguration(&window), DemoStatus::Ok);
    EXPECT_FALSE(m_editor->needsSaveOnClose(window));
    window.level = "LogOnError";
    EXPECT_TRUE(m_editor->needsSaveOnClose(window));
    EXPECT_NE(readFile(configFile()).find("<LogLevel>LogOff</LogLevel>"), std::string::npos);
    EXPECT_EQ(m_editor->configFolder(), m_site.configFolder());
}

TEST_F(DemoEditorTest, NothingToImportWithoutHardware)
{
    ::unsetenv("ZMPXI_SIM_HARDWARE");
    start();
    EXPECT_FALSE(m_editor->canImportLocalHardware());
    const std::vector<std::string> before = layout(m_model->demoRoot());
    EXPECT_EQ(m_editor->importLocalHardware(), DemoStatus::NoHardwareToImport);
    EXPECT_EQ(layout(m_model->demoRoot()), before);
}

// A network node that cannot be asked is not taken for one without enclosures, and leaves no
// half-read tree behind.
TEST(DemoFromNetworkNode, ANodeThatCannotBeAskedIsNotRead)
{
    auto node = std::make_shared<qorinet_api::QORINetClientNode>(nullptr, 7, 0, 0, true);
    QorinNodeUtilWrapper wrapper(node);
    wrapper.setReady(true);
    RootNode hardware(SystemKind::Remote);
    hardware.addChild(std::make_unique<EnclosureNode>(SystemKind::Remote));
    std::string detail;
    EXPECT_EQ(DemoSystemEditor::readNodeHardware(wrapper, hardware, detail), DemoStatus::HardwareImportFailed);
    EXPECT_EQ(detail.rfind("the network node could not be read: ", 0), 0u) << detail;
    EXPECT_EQ(hardware.childCount(), 0u);
}

} // namespace
} // namespace z2e
