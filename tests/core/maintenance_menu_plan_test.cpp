#include "core/description_parser.h"
#include "core/maintenance_menu_plan.h"
#include "core/slot_node.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace z2e {
namespace {

const MaintenanceItem& itemOf(const std::vector<MaintenanceItem>& items, MenuEntry entry)
{
    for (const MaintenanceItem& item : items) {
        if (item.entry == entry)
            return item;
    }
    static const MaintenanceItem missing{MenuEntry("missing"), false, false, {}};
    ADD_FAILURE() << "no item " << entry;
    return missing;
}

std::unique_ptr<SlotNode> board(std::uint32_t kind, bool feature)
{
    auto slot = std::make_unique<SlotNode>(kind);
    std::string caption;
    const std::string features = feature ? "<FeatureItem Name='Counter' Mask='1' Visible='true'/>" : "";
    EXPECT_EQ(DescriptionParser::parseBoardDescription(slot.get(),
                                                       "<Properties><BoardInfo><FeatureList>" + features +
                                                           "</FeatureList></BoardInfo></Properties>",
                                                       caption),
              DescriptionParser::Ok);
    return slot;
}

struct Expected {
    MenuEntry entry;
    bool advanced;
    bool enabled;
    const char* hint; ///< a part of it
};

void expectItems(const std::vector<MaintenanceItem>& items, const std::vector<Expected>& expected)
{
    for (const Expected& want : expected) {
        SCOPED_TRACE(want.entry);
        const MaintenanceItem& item = itemOf(items, want.entry);
        EXPECT_EQ(item.advanced, want.advanced);
        EXPECT_EQ(item.enabled, want.enabled);
        EXPECT_NE(item.hint.find(want.hint), std::string::npos) << item.hint;
    }
}

TEST(MaintenanceMenuPlanTest, EveryToolIsListedAndSaysWhatToSelect)
{
    const std::vector<MaintenanceItem> none = MaintenanceMenuPlan::items(nullptr, RowContext());
    expectItems(none, {{MenuEntry::SelfTest, false, false, "Select a board or an enclosure"},
                       {MenuEntry::BoardHistory, false, false, "Select a board in the tree"},
                       {MenuEntry::BoardConfiguration, false, false, "Select a board in the tree"},
                       {MenuEntry::ChannelModules, false, false, "\"ChannelModule\" row"},
                       {MenuEntry::EnclosureData, true, false, "Select an enclosure"},
                       {MenuEntry::BackupPanel, true, false, "Select a board"}});
    // Plain entries first: the advanced ones form the submenu's one block.
    const auto firstAdvanced =
        std::find_if(none.begin(), none.end(), [](const MaintenanceItem& item) { return item.advanced; });
    EXPECT_TRUE(std::none_of(firstAdvanced, none.end(), [](const MaintenanceItem& item) { return !item.advanced; }));

    const auto plain = board(SystemKind::Local, true);
    expectItems(MaintenanceMenuPlan::items(plain.get(), RowContext()),
                {{MenuEntry::SelfTest, false, true, ""},
                 {MenuEntry::BoardConfiguration, false, true, ""},
                 // Offered with Shift in the context menu: enabled here without it.
                 {MenuEntry::CrossGrade, true, true, ""},
                 {MenuEntry::AutoRestoreBase, true, false, "no backup of its own"},
                 {MenuEntry::EnclosureData, true, false, "Select an enclosure"}});

    const auto featureless = board(SystemKind::Local, false);
    expectItems(MaintenanceMenuPlan::items(featureless.get(), RowContext()),
                {{MenuEntry::BoardConfiguration, false, false, "no feature to switch"}});

    auto held = board(SystemKind::Remote, true);
    held->locked = true;
    RowContext extended;
    extended.extendedNetMode = true;
    expectItems(MaintenanceMenuPlan::items(held.get(), extended),
                {{MenuEntry::SelfTest, false, false, "Another client holds"}, {MenuEntry::BackupBase, true, true, ""}});
}

} // namespace
} // namespace z2e
