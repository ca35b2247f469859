#include "core/description_parser.h"
#include "core/enclosure_node.h"
#include "core/root_node.h"
#include "core/slot_node.h"
#include "core/system_report.h"
#include "core/tool_registry.h"
#include "core/tree_context_menu.h"
#include "gui/window/tool_actions.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace z2e {
namespace {

std::vector<MenuEntry> plainEntries(const ContextMenuPlan& plan)
{
    std::vector<MenuEntry> entries;
    for (const MenuItem& item : plan.items)
        entries.push_back(item.entry);
    return entries;
}

// A board slot whose description lists one feature, visible or not.
std::unique_ptr<SlotNode> boardSlot(std::uint32_t kind, bool featureVisible)
{
    auto slot = std::make_unique<SlotNode>(kind);
    std::string caption;
    EXPECT_EQ(DescriptionParser::parseBoardDescription(
                  slot.get(),
                  std::string("<Properties><BoardInfo><FeatureList><FeatureItem Name='Counter' Mask='1' Visible='") +
                      (featureVisible ? "true" : "false") + "'/></FeatureList></BoardInfo></Properties>",
                  caption),
              DescriptionParser::Ok);
    return slot;
}

// An entry the window has no line for would be offered and then do nothing.
TEST(TreeContextMenuTest, EveryToolEntryOfTheRegistryOpensSomething)
{
    for (const ToolDescription& tool : ToolRegistry::tools()) {
        for (const ToolWindowEntry& entry : tool.window)
            EXPECT_TRUE(ToolActions::opens(entry.entry)) << entry.title;
    }
}

TEST(TreeContextMenuTest, BoardEntriesFollowShiftFeaturesAndBackups)
{
    auto board = boardSlot(SystemKind::Local, true);
    RowContext plain;
    EXPECT_EQ(plainEntries(TreeContextMenu::plan(board.get(), plain)),
              (std::vector<MenuEntry>{MenuEntry::SelfTest, MenuEntry::FirmwareUpdate, MenuEntry::BoardConfiguration,
                                      MenuEntry::BoardHistory}));

    auto hidden = boardSlot(SystemKind::Local, false);
    EXPECT_FALSE(TreeContextMenu::plan(hidden.get(), plain).contains(MenuEntry::BoardConfiguration));
    RowContext extended;
    extended.extendedFeatures = true;
    EXPECT_TRUE(TreeContextMenu::plan(hidden.get(), extended).contains(MenuEntry::BoardConfiguration));
    EXPECT_TRUE(TreeContextMenu::toolBar(hidden.get(), extended).shows(MenuEntry::BoardConfiguration));
    EXPECT_FALSE(TreeContextMenu::toolBar(hidden.get(), plain).shows(MenuEntry::BoardConfiguration));

    RowContext shift;
    shift.shift = true;
    board->conEepromState = EepromBackupState::Restorable;
    const ContextMenuPlan service = TreeContextMenu::plan(board.get(), shift);
    EXPECT_EQ(plainEntries(service),
              (std::vector<MenuEntry>{MenuEntry::ConfigureBaseEeprom, MenuEntry::FirmwareUpdatePro,
                                      MenuEntry::CrossGrade, MenuEntry::FactorySelfTest}));
    EXPECT_TRUE(service.eepromManagement);
    EXPECT_TRUE(service.restoreMenu);
    EXPECT_FALSE(service.enabled(MenuEntry::AutoRestoreBase));
    EXPECT_TRUE(service.enabled(MenuEntry::AutoRestoreCon));
    EXPECT_TRUE(service.enabled(MenuEntry::FileRestorePanel));
}

// Bus Test only where there is a bus to test; a network node's enclosure rows show no boards.
TEST(TreeContextMenuTest, BusTestOnlyForBoardsWithCanOrUartAndTheEnclosuresHoldingThem)
{
    const MenuEntry busTest("bus-test");
    const RowContext plain;
    EnclosureNode enclosure(SystemKind::Local);
    auto* can = static_cast<SlotNode*>(enclosure.addChild(std::make_unique<SlotNode>(SystemKind::Local)));
    std::string caption;
    ASSERT_EQ(DescriptionParser::parseBoardDescription(
                  can,
                  "<Properties><BoardInfo/><BoardFeatures><CanChannels>4</CanChannels></BoardFeatures></Properties>",
                  caption),
              DescriptionParser::Ok);
    can->nodeType = NodeType::BoardSlot;
    EXPECT_TRUE(TreeContextMenu::plan(can, plain).contains(busTest));
    EXPECT_TRUE(TreeContextMenu::plan(&enclosure, plain).contains(busTest));

    ASSERT_EQ(DescriptionParser::parseBoardDescription(
                  can,
                  "<Properties><BoardInfo/><BoardFeatures><UartChannels>0</UartChannels></BoardFeatures></Properties>",
                  caption),
              DescriptionParser::Ok);
    EXPECT_FALSE(TreeContextMenu::plan(can, plain).contains(busTest));
    EXPECT_FALSE(TreeContextMenu::plan(&enclosure, plain).contains(busTest));

    EnclosureNode nodeEnclosure(SystemKind::Remote);
    EXPECT_TRUE(TreeContextMenu::plan(&nodeEnclosure, plain).contains(busTest));
}

TEST(TreeContextMenuTest, LockedRemoteRowsLoseTheWritingEntries)
{
    auto board = boardSlot(SystemKind::Remote, true);
    board->locked = true;
    RowContext shift;
    shift.shift = true;
    shift.extendedNetMode = true;

    const ContextMenuPlan locked = TreeContextMenu::plan(board.get(), shift);
    EXPECT_TRUE(locked.items.empty()); // no EEPROM writes, no cross-grade, no factory test
    EXPECT_TRUE(locked.eepromManagement);
    EXPECT_EQ(locked.backup.size(), 2u);
    EXPECT_FALSE(locked.restoreMenu);
    shift.shift = false;
    EXPECT_TRUE(TreeContextMenu::plan(board.get(), shift).empty());

    // Without the extended network mode a held row is not locked, but still no factory test.
    shift.shift = true;
    shift.extendedNetMode = false;
    const ContextMenuPlan held = TreeContextMenu::plan(board.get(), shift);
    EXPECT_TRUE(held.contains(MenuEntry::CrossGrade));
    EXPECT_FALSE(held.contains(MenuEntry::FactorySelfTest));
    EXPECT_TRUE(held.restoreMenu);

    ModelNode temperature(SystemKind::Remote, NodeType::Temperature);
    temperature.locked = true;
    EXPECT_TRUE(TreeContextMenu::plan(&temperature, shift).empty());
    ModelNode localTemperature(SystemKind::Local, NodeType::Temperature);
    localTemperature.locked = true;
    EXPECT_TRUE(TreeContextMenu::plan(&localTemperature, shift).contains(MenuEntry::UpdateTemperatures));
}

TEST(TreeContextMenuTest, RootsAndNodeRows)
{
    RootNode local(SystemKind::Local);
    RowContext context;
    EXPECT_TRUE(TreeContextMenu::plan(&local, context).empty()); // nothing to report without children
    local.addChild(NodeType::Enclosure, "Enclosure");
    EXPECT_TRUE(TreeContextMenu::plan(&local, context).contains(MenuEntry::UseSelectedAsDemo));
    RootNode remote(SystemKind::Remote);
    remote.addChild(NodeType::Enclosure, "Enclosure");
    EXPECT_TRUE(TreeContextMenu::plan(&remote, context).empty());

    ModelNode info(SystemKind::Remote, NodeType::NodeInfo);
    const ContextMenuPlan node = TreeContextMenu::plan(&info, context);
    EXPECT_EQ(plainEntries(node), (std::vector<MenuEntry>{MenuEntry::ChangeNodeIp, MenuEntry::RestartNode,
                                                          MenuEntry::RebootNode, MenuEntry::UpdateNode}));
    EXPECT_FALSE(node.enabled(MenuEntry::UpdateNode));
    ModelNode modules(SystemKind::Demo, NodeType::Property);
    modules.name = "ChannelModule";
    EXPECT_TRUE(TreeContextMenu::plan(&modules, context).contains(MenuEntry::ChannelModules));
    modules.name = "ChannelModules";
    EXPECT_TRUE(TreeContextMenu::plan(&modules, context).empty());

    ModelNode demoEnclosure(SystemKind::Demo, NodeType::Enclosure);
    EXPECT_FALSE(TreeContextMenu::toolBar(&demoEnclosure, context).shows(MenuEntry::SelfTest));
    EXPECT_TRUE(TreeContextMenu::plan(&demoEnclosure, context).contains(MenuEntry::SelfTest));
}

// The saved report leads each board to its enclosure and slot as the tree numbers them; a board
// outside every enclosure keeps both cells empty.
TEST(SystemReportTest, CsvPutsEnclosureAndSlotBeforeTheReportColumnsAndQuotesWhereNeeded)
{
    RootNode root(SystemKind::Local);
    auto* enclosure = static_cast<EnclosureNode*>(root.addChild(std::make_unique<EnclosureNode>(SystemKind::Local)));
    enclosure->number = 1;
    enclosure->slotNoOffset = 2;
    ModelNode* slot = enclosure->addChild(std::make_unique<SlotNode>(SystemKind::Local));
    slot->index = 3;
    RootNode::OverviewRow board{};
    board[0] = "QA-4016";
    board[6] = "00A4,0001";
    board[7] = "said \"ok\"";
    board[16] = "00C40001";
    root.addBoardRow(board, *slot);
    SlotNode orphan(SystemKind::Local);
    board[0] = "QC-3104";
    root.addBoardRow(board, orphan);

    EXPECT_EQ(SystemReport::toCsv(root, false), "Enclosure,Slot,Board Name,Base Serial,Base Cal Date,Con Serial\r\n"
                                                "1,5,QA-4016,\"00A4,0001\",\"said \"\"ok\"\"\",00C40001\r\n"
                                                ",,QC-3104,\"00A4,0001\",\"said \"\"ok\"\"\",00C40001\r\n");
    const std::string extended = SystemReport::toCsv(root, true);
    EXPECT_EQ(extended.substr(0, extended.find("\r\n")),
              "Enclosure,Slot,Board Name,Base SVN Rev,Base Version,Base Serial,Base Cal Date,Base Cal Temp,"
              "Base Test Date,Base Test Temp,Base Test Result,Con SVN Rev,Con Version,Con Serial,Con CalDate,"
              "Con Cal Temp,Con Test Date,Con Test Temp,Con Test Result");
    // A new scan starts the places again with the rows.
    root.resetOverview();
    EXPECT_EQ(SystemReport::toCsv(root, false), "Enclosure,Slot,Board Name,Base Serial,Base Cal Date,Con Serial\r\n");
    root.clear();
    EXPECT_EQ(SystemReport::toCsv(root, true), "");

    std::string error;
    EXPECT_FALSE(SystemReport::save("/nonexistent-folder/report.csv", root, false, error));
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace z2e
