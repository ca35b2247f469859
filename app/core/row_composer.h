#pragma once
// How a node is shown as a row: its text, its icon and whether it is red. The tree view
// model and the command line both use this, so they always show the same rows.

#include "core/model_node.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace z2e {

/// Places in the shared icon table.
struct TreeIcon {
    enum : int {
        None = -1,
        Blank = 0,
        System = 1,
        DemoSystem = 2,
        Enclosure = 3,
        SlotEmpty = 4,
        SlotFull = 5,
        Property = 6,
        Network = 7,
        Temperature = 8,
        FirstEnclosureModel = 9, ///< 9..20 and 23: one picture per enclosure model
        LastEnclosureModel = 20,
        NetworkEnclosure = 21,
        Dot = 22,
        ExtraEnclosureModel = 23,
        TableSize = 30, ///< places in the table; 24 of them are used
    };
};

/// One composed row.
struct ComposedRow {
    std::string text;
    int icon = TreeIcon::None;
    bool shown = true; ///< false: the row (and its subtree) is not shown
    bool red = false;
};

class RowComposer {
public:
    /// Text, icon, shown and red flag of `node`'s own row.
    static ComposedRow compose(const ModelNode& node);
    /// The same into `row`, whose text keeps its memory: for composing many rows in turn.
    static void compose(const ModelNode& node, ComposedRow& row);
    /// The composed row text ("" for an unknown node type).
    static std::string rowText(const ModelNode& node);
    /// Appends the composed row text to `text`.
    static void appendRowText(const ModelNode& node, std::string& text);
    /// Icon of the row whose composed text is `text`.
    static int iconIndex(const ModelNode& node, const std::string& text);
    /// False only for an empty slot beyond its enclosure's user slots.
    static bool isShown(const ModelNode& node);
    /// True when the text shows a warning or an error (upper-case markers only).
    static bool isRedRow(const std::string& text);

    /// Picture of an enclosure by its name: the first model-name fragment contained in the
    /// name wins; else network, host computer or the plain enclosure picture.
    static int enclosureIcon(const std::string& name);
    /// Number of entries in the ordered enclosure model-name fragment list.
    static std::size_t enclosureFragmentCount();
    /// Fragment and icon of entry `position` (false when out of range).
    static bool enclosureFragment(std::size_t position, std::string& fragment, int& icon);

    /// Resource path of an icon place ("" for an unused place).
    static std::string iconResourcePath(int icon);

    /// Number shown for a slot: its enclosure's slot number offset plus its index; the plain
    /// index when the slot has no enclosure parent.
    static std::int32_t slotNumber(const ModelNode& slot);
    /// " [unit]" when unit is set, else "".
    static std::string bracketPart(const ModelNode& node);
    /// ":   " and the values joined by "; ", or "" without values.
    static std::string valuePart(const ModelNode& node);
};

} // namespace z2e
