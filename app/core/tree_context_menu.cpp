#include "core/tree_context_menu.h"

#include "core/root_node.h"
#include "core/slot_node.h"
#include "core/tool_registry.h"

#include <algorithm>

namespace z2e {
namespace {

bool inList(const std::vector<MenuItem>& items, MenuEntry entry, const MenuItem** found)
{
    const auto it =
        std::find_if(items.begin(), items.end(), [entry](const MenuItem& item) { return item.entry == entry; });
    if (it == items.end())
        return false;
    *found = &*it;
    return true;
}

const MenuItem* findItem(const ContextMenuPlan& plan, MenuEntry entry)
{
    const MenuItem* found = nullptr;
    if (inList(plan.items, entry, &found) || inList(plan.backup, entry, &found) || inList(plan.restore, entry, &found))
        return found;
    return nullptr;
}

bool isBoard(const ModelNode& node)
{
    return node.nodeType == NodeType::BoardSlot || node.nodeType == NodeType::OrphanBoard;
}

bool holdsBus(const ModelNode& node)
{
    const auto* slot = dynamic_cast<const SlotNode*>(&node);
    if (slot && isBoard(node))
        return slot->described.can || slot->described.uart;
    return std::any_of(node.children().begin(), node.children().end(),
                       [](const auto& child) { return holdsBus(*child); });
}

bool offersBus(const ModelNode& node)
{
    return (node.systemKind == SystemKind::Remote && node.nodeType == NodeType::Enclosure) || holdsBus(node);
}

} // namespace

bool ToolBarTools::shows(MenuEntry entry) const
{
    return std::find(shown.begin(), shown.end(), entry) != shown.end();
}

bool ContextMenuPlan::contains(MenuEntry entry) const
{
    return findItem(*this, entry) != nullptr;
}

bool ContextMenuPlan::enabled(MenuEntry entry) const
{
    const MenuItem* item = findItem(*this, entry);
    return item && item->enabled;
}

bool TreeContextMenu::lockedRemote(const ModelNode& node, const RowContext& context)
{
    return node.systemKind == SystemKind::Remote && node.locked && context.extendedNetMode;
}

bool TreeContextMenu::supportsConfiguration(const ModelNode& node, bool extendedFeatures)
{
    const auto* slot = dynamic_cast<const SlotNode*>(&node);
    if (!slot)
        return false;
    return extendedFeatures ? slot->described.anyFeature : slot->described.visibleFeature;
}

ToolBarTools TreeContextMenu::toolBar(const ModelNode* node, const RowContext& context)
{
    ToolBarTools tools;
    if (!node || node->systemKind == SystemKind::Demo)
        return tools;
    const bool board = isBoard(*node);
    if (!board && node->nodeType != NodeType::Enclosure)
        return tools;
    for (const ToolWindowEntry& entry : ToolRegistry::windowEntries(board ? kBoardRow : kEnclosureRow)) {
        if (entry.toolBar && (!entry.needsFeatures || supportsConfiguration(*node, context.extendedFeatures)))
            tools.shown.push_back(entry.entry);
    }
    return tools;
}

ContextMenuPlan TreeContextMenu::plan(const ModelNode* node, const RowContext& context)
{
    ContextMenuPlan plan;
    if (!node)
        return plan;
    switch (node->nodeType) {
    case NodeType::Root:
        if (node->systemKind == SystemKind::Local && node->childCount() > 0)
            plan.items = {{MenuEntry::UseSelectedAsDemo},
                          {MenuEntry::SaveSelectedToDemo},
                          {MenuEntry::ShowSystemReport},
                          {MenuEntry::SaveSystemReport}};
        else if (node->systemKind == SystemKind::Demo)
            plan.items = {{MenuEntry::LoadDemo},
                          {MenuEntry::SaveDemo},
                          {MenuEntry::ShowSystemReport},
                          {MenuEntry::SaveSystemReport}};
        break;
    case NodeType::Enclosure:
        toolEntries(*node, context, context.shift ? kEnclosureShiftRow : kEnclosureRow, plan);
        break;
    case NodeType::BoardSlot:
    case NodeType::OrphanBoard:
        toolEntries(*node, context, context.shift ? kBoardShiftRow : kBoardRow, plan);
        if (context.shift)
            eepromManagement(*node, context, plan);
        break;
    case NodeType::Temperature:
        if (node->systemKind == SystemKind::Local || !node->locked)
            plan.items = {{MenuEntry::UpdateTemperatures}};
        break;
    case NodeType::NodeInfo:
        plan.items = {{MenuEntry::ChangeNodeIp},
                      {MenuEntry::RestartNode},
                      {MenuEntry::RebootNode},
                      {MenuEntry::UpdateNode, false}};
        break;
    case NodeType::NodeName: plan.items = {{MenuEntry::RenameNode}}; break;
    case NodeType::Property:
        if (node->name == "ChannelModule")
            toolEntries(*node, context, kChannelModuleRow, plan);
        break;
    default: break;
    }
    return plan;
}

void TreeContextMenu::toolEntries(const ModelNode& node, const RowContext& context, unsigned row, ContextMenuPlan& plan)
{
    const bool locked = lockedRemote(node, context);
    const bool held = node.systemKind == SystemKind::Remote && node.locked;
    for (const ToolWindowEntry& entry : ToolRegistry::windowEntries(row)) {
        if (entry.hiddenOnHeldNode ? held : locked)
            continue;
        if (entry.needsFeatures && !supportsConfiguration(node, context.extendedFeatures))
            continue;
        if (entry.needsBus && !offersBus(node))
            continue;
        plan.items.push_back({entry.entry});
    }
}

void TreeContextMenu::eepromManagement(const ModelNode& node, const RowContext& context, ContextMenuPlan& plan)
{
    const bool locked = lockedRemote(node, context);
    plan.eepromManagement = true;
    plan.backup = {{MenuEntry::BackupBase}, {MenuEntry::BackupPanel}};
    if (locked)
        return;
    const auto* slot = dynamic_cast<const SlotNode*>(&node);
    const bool baseRestorable = slot && slot->baseEepromState == EepromBackupState::Restorable;
    const bool conRestorable = slot && slot->conEepromState == EepromBackupState::Restorable;
    plan.restoreMenu = true;
    plan.restore = {{MenuEntry::AutoRestoreBase, baseRestorable},
                    {MenuEntry::AutoRestoreCon, conRestorable},
                    {MenuEntry::FileRestoreBase},
                    {MenuEntry::FileRestorePanel}};
}

} // namespace z2e
