#include "support/site.h"

#include "config/qorin_cfg_handler.h"
#include "core/enclosure_node.h"
#include "core/root_node.h"
#include "core/simulated_system_converter.h"
#include "core/slot_node.h"
#include "core/tree_row_list.h"

#include <gtest/gtest.h>

namespace z2e {
namespace {

std::vector<std::string> slotRows(const RootNode& root)
{
    std::vector<std::string> texts;
    for (const TreeRow& row : TreeRowList::collect(root)) {
        if (row.depth <= 2 && row.node->nodeType != NodeType::Property)
            texts.push_back(row.row.text);
    }
    return texts;
}

TEST(SimulatedSystemConverter, ExampleDemoSystemFromTheConfiguration)
{
    QorinCfgHandler handler;
    ASSERT_TRUE(handler.loadConfig(test::simExamplesDir() + "/zmpxi_api_config.xml"));
    std::vector<SimulatedEnclosureEntry> enclosures;
    std::vector<SimulatedBoardEntry> boards;
    ASSERT_TRUE(handler.readSimulatedEnclosures(enclosures));
    ASSERT_TRUE(handler.readSimulatedBoards(boards));

    // Entries pointing outside the tree or at a taken slot are left out.
    SimulatedBoardEntry stray = boards.front();
    for (auto [enclosure, slot] : {std::pair{9, 2}, std::pair{0, 1}, std::pair{0, 99}, std::pair{-1, 2},
                                   std::pair{boards.front().encNumber, boards.front().slotNumber}}) {
        stray.encNumber = enclosure;
        stray.slotNumber = slot;
        boards.push_back(stray);
    }

    RootNode root(SystemKind::Demo);
    EXPECT_EQ(SimulatedSystemConverter::fromRecords(enclosures, boards, root), boards.size() - 5);
    const std::vector<std::string> expected{
        "Demo System",          "Enclosure 0:   QE-R8",    "Slot 2:   QA-4016",    "Slot 3:   QA-2208-MULTI",
        "Slot 4:   QC-3108-TS", "Slot 5:   QN-6222-COMBO", "Slot 6:   Empty",      "Slot 7:   Empty",
        "Slot 8:   Empty",      "Slot 9:   Empty",         "Enclosure 1:   QE-P4", "Slot 2:   QD-5032",
        "Slot 3:   QX-1000",    "Slot 4:   Empty",         "Slot 5:   Empty",
    };
    EXPECT_EQ(slotRows(root), expected);

    // Written back unchanged, the configuration reads the same system again.
    const SimulatedSystem records = SimulatedSystemConverter::toRecords(root);
    ASSERT_EQ(records.enclosures.size(), 2u);
    EXPECT_EQ(records.enclosures[0].slots.size(), 8u);
    EXPECT_EQ(records.enclosures[0].slots[1].slotNumber, 3);
    EXPECT_EQ(records.enclosures[0].nameCode, 0xE108u);
    ASSERT_TRUE(handler.writeSimulatedSystem(records));
    ASSERT_TRUE(handler.readSimulatedEnclosures(enclosures));
    ASSERT_TRUE(handler.readSimulatedBoards(boards));
    RootNode again(SystemKind::Demo);
    SimulatedSystemConverter::fromRecords(enclosures, boards, again);
    EXPECT_EQ(slotRows(again), expected);
}

} // namespace
} // namespace z2e
