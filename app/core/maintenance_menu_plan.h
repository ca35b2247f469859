#pragma once
// The window's "Maintenance" menu: every tool's entry in one list, whatever row is chosen, so
// that no tool hides until the right row is right-clicked. An entry the chosen row does not
// offer stays in the list, disabled, with a hint that says what to choose instead.

#include "core/tool_description.h"
#include "core/tree_context_menu.h"

#include <string>
#include <vector>

namespace z2e {

struct MaintenanceItem {
    MenuEntry entry;
    bool advanced = false; ///< offered only with Shift in the context menus: the "Advanced" submenu
    bool enabled = false;  ///< the chosen row's context menu (with or without Shift) offers it
    std::string hint;      ///< why it is disabled and what to choose; "" when enabled
};

class MaintenanceMenuPlan {
public:
    /// The entries for the chosen row `node` (null: none), plain ones first, then the
    /// advanced ones, each group in the order of the tools.
    static std::vector<MaintenanceItem> items(const ModelNode* node, const RowContext& context);

private:
    static std::string hint(const ModelNode* node, const ToolWindowEntry& entry, bool offered);
};

} // namespace z2e
