#include "tools/channel_module_choice.h"

#include "core/demo_status.h"
#include "core/demo_system_editor.h"
#include "core/node_types.h"
#include "core/slot_node.h"
#include "core/system_model.h"

#include <algorithm>

namespace z2e {

namespace {

const ModelNode* childNamed(const ModelNode& node, const char* name)
{
    for (const auto& child : node.children()) {
        if (child->name == name)
            return child.get();
    }
    return nullptr;
}

} // namespace

std::vector<std::string> ChannelModuleChoice::offered(const SlotNode& slot)
{
    const ModelNode* list = childNamed(slot, "ChannelModuleList");
    if (!list)
        return {};
    return std::vector<std::string>(list->values.begin(), list->values.end());
}

std::vector<ModelNode*> ChannelModuleChoice::moduleRows(const SlotNode& slot)
{
    std::vector<ModelNode*> rows;
    const ModelNode* channels = childNamed(slot, "ChannelProperties");
    if (!channels)
        return rows;
    for (const auto& channel : channels->children()) {
        for (const auto& row : channel->children()) {
            if (row->name == "ChannelModule")
                rows.push_back(row.get());
        }
    }
    return rows;
}

std::string ChannelModuleChoice::current(const SlotNode& slot)
{
    for (const ModelNode* row : moduleRows(slot)) {
        if (!row->values.empty())
            return row->values.back();
    }
    return {};
}

std::int32_t ChannelModuleChoice::apply(SystemModel& system, DemoSystemEditor& editor, SlotNode& slot,
                                        const std::string& module, std::string& message)
{
    message.clear();
    const std::vector<ModelNode*> rows = moduleRows(slot);
    if (slot.systemKind != SystemKind::Demo || !slot.holdsBoard() || rows.empty()) {
        message = "not a board of the demo system with channel modules";
        return DemoStatus::NotEditable;
    }
    const std::vector<std::string> modules = offered(slot);
    if (std::find(modules.begin(), modules.end(), module) == modules.end()) {
        message = "the board does not accept the module '" + module + "'";
        return DemoStatus::NoSuchElement;
    }
    bool changed = false;
    for (ModelNode* row : rows) {
        if (row->values.size() == 1 && row->values.front() == module)
            continue;
        if (!changed)
            editor.keepForUndo();
        row->values.assign(1, module);
        row->changed = true;
        changed = true;
    }
    if (changed) {
        editor.setUnsavedChanges(true);
        system.setUnsavedChanges(true);
    }
    return DemoStatus::Ok;
}

} // namespace z2e
