#include "core/maintenance_menu_plan.h"

#include "core/model_node.h"
#include "core/tool_registry.h"

#include <algorithm>

namespace z2e {
namespace {

constexpr unsigned kPlainRows = kEnclosureRow | kBoardRow | kChannelModuleRow;
constexpr unsigned kEnclosureRows = kEnclosureRow | kEnclosureShiftRow;
constexpr unsigned kBoardRows = kBoardRow | kBoardShiftRow;

// The EEPROM Management submenu's entries: window entries of the EEPROM tool without a
// registry row of their own.
const MenuEntry kEepromEntries[] = {MenuEntry::BackupBase,     MenuEntry::BackupPanel,     MenuEntry::AutoRestoreBase,
                                    MenuEntry::AutoRestoreCon, MenuEntry::FileRestoreBase, MenuEntry::FileRestorePanel};

// Where the entry stands in the row's menus: 0 not offered, 1 offered disabled, 2 enabled.
int offered(const ModelNode* node, const RowContext& context, MenuEntry entry)
{
    int best = 0;
    for (const bool shift : {false, true}) {
        RowContext row = context;
        row.shift = shift;
        const ContextMenuPlan plan = TreeContextMenu::plan(node, row);
        if (plan.contains(entry))
            best = std::max(best, plan.enabled(entry) ? 2 : 1);
    }
    return best;
}

} // namespace

std::vector<MaintenanceItem> MaintenanceMenuPlan::items(const ModelNode* node, const RowContext& context)
{
    std::vector<MaintenanceItem> plain;
    std::vector<MaintenanceItem> advanced;
    auto add = [&](const ToolWindowEntry& entry) {
        const int state = offered(node, context, entry.entry);
        MaintenanceItem item{entry.entry, (entry.rows & kPlainRows) == 0, state == 2, {}};
        if (!item.enabled)
            item.hint = hint(node, entry, state == 1);
        (item.advanced ? advanced : plain).push_back(item);
    };
    // In the registry's order, so that a tool's entries stand together.
    for (const ToolDescription& tool : ToolRegistry::tools()) {
        for (const ToolWindowEntry& entry : tool.window)
            add(entry);
    }
    for (MenuEntry entry : kEepromEntries)
        add(ToolWindowEntry{entry, "", "", "", kBoardShiftRow});
    plain.insert(plain.end(), advanced.begin(), advanced.end());
    return plain;
}

std::string MaintenanceMenuPlan::hint(const ModelNode* node, const ToolWindowEntry& entry, bool offered)
{
    const unsigned rows = entry.rows;
    if (offered)
        return "The selected board reports no backup of its own to restore from.";
    if (node && node->systemKind == SystemKind::Remote && node->locked)
        return "Another client holds this network node: select a row of a free one.";
    const bool board = node && (node->nodeType == NodeType::BoardSlot || node->nodeType == NodeType::OrphanBoard);
    if (board && entry.needsFeatures)
        return "The selected board has no feature to switch.";
    if (rows & kChannelModuleRow)
        return "Select a \"ChannelModule\" row of a board on the Demo tab.";
    if ((rows & kEnclosureRows) && (rows & kBoardRows))
        return "Select a board or an enclosure in the tree.";
    if (rows & kEnclosureRows)
        return "Select an enclosure in the tree.";
    return "Select a board in the tree.";
}

} // namespace z2e
