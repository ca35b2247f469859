#pragma once
// What the context menu of a tree row offers and which tool-bar tools the row shows. Plain
// logic over the node model: the window turns the plan into a QMenu of its own actions.

#include "core/menu_entry.h"

#include <cstdint>
#include <vector>

namespace z2e {

class ModelNode;

struct MenuItem {
    MenuEntry entry;
    bool enabled = true;
};

/// The menu of one row: plain entries, then the optional "EEPROM Management" submenu with its
/// "Backup" and (optional) "Restore" submenus.
struct ContextMenuPlan {
    std::vector<MenuItem> items;
    bool eepromManagement = false;
    std::vector<MenuItem> backup;
    bool restoreMenu = false;
    std::vector<MenuItem> restore;

    bool empty() const { return items.empty() && !eepromManagement; }
    /// True when `entry` is anywhere in the plan.
    bool contains(MenuEntry entry) const;
    /// Whether `entry` is enabled; false when absent.
    bool enabled(MenuEntry entry) const;
};

/// Tool-bar tools a clicked row makes visible.
struct ToolBarTools {
    std::vector<MenuEntry> shown;

    bool shows(MenuEntry entry) const;
};

/// What the row and the moment add to its node.
struct RowContext {
    bool shift = false;            ///< Shift held: the service entries
    bool extendedFeatures = false; ///< "ApplicationSettings/ExtendedFeatures"
    bool extendedNetMode = false;  ///< the window's extended mode for network nodes
};

class TreeContextMenu {
public:
    /// The menu for `node` (empty for rows without one, also for a null node).
    static ContextMenuPlan plan(const ModelNode* node, const RowContext& context);
    /// Tool-bar tools for `node`: only enclosures and boards outside the demo system.
    static ToolBarTools toolBar(const ModelNode* node, const RowContext& context);

    /// A remote row held by another client while the extended network mode is on.
    static bool lockedRemote(const ModelNode& node, const RowContext& context);
    /// True when a board's description lists a feature the operator may switch (hidden ones
    /// count only with the extended features).
    static bool supportsConfiguration(const ModelNode& node, bool extendedFeatures);

private:
    /// The tools' entries for rows of kind `row` (a ToolRow bit) that `node` is offered.
    static void toolEntries(const ModelNode& node, const RowContext& context, unsigned row, ContextMenuPlan& plan);
    static void eepromManagement(const ModelNode& node, const RowContext& context, ContextMenuPlan& plan);
};

} // namespace z2e
