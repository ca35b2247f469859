#pragma once
// One maintenance tool as the window and zamo2ctl offer it. Plain data: the window builds its
// menus, tool bar and enabling rules from it, zamo2ctl its parser, help text, time limit and
// lock; neither names the tool anywhere else.

#include "core/tree_context_menu.h"

#include <cstddef>
#include <string>
#include <vector>

namespace z2e {

/// Rows whose context menu offers a window entry; Shift held shows the service entries.
enum ToolRow : unsigned {
    kEnclosureRow = 1u << 0,
    kEnclosureShiftRow = 1u << 1,
    kBoardRow = 1u << 2,
    kBoardShiftRow = 1u << 3,
    kChannelModuleRow = 1u << 4, ///< the "ChannelModule" property of a demo board
};

/// One menu entry of a tool in the window.
struct ToolWindowEntry {
    MenuEntry entry;
    const char* title;             ///< the menu text
    const char* toolTip;           ///< "": the title
    const char* icon;              ///< a resource path, "arrow-up" for the style's arrow, or ""
    unsigned rows = 0;             ///< ToolRow bits
    int rank = 0;                  ///< place in a row's menu, low first
    bool toolBar = false;          ///< also on the tool bar while an enclosure or board row is chosen
    bool needsFeatures = false;    ///< only for boards with a feature the operator may switch
    bool hiddenOnHeldNode = false; ///< not even offered for a node another client holds
    /// Only for a board with CAN or UART channels, or an enclosure holding one; a network
    /// node's enclosure rows show no boards, so there it is always offered.
    bool needsBus = false;
};

/// How long zamo2ctl lets the command run without --timeout.
enum class ToolTimeLimit { Read, BoardTool, None };

struct ToolDescription {
    const char* verb; ///< the zamo2ctl command
    std::size_t leastArguments;
    std::size_t mostArguments; ///< 99: no upper bound
    /// How the --node refusal names the command: "" when --node does not apply, else the verb,
    /// or the verb with the condition it needs ("history --board").
    const char* networkNode;
    ToolTimeLimit timeLimit;
    /// What the command does to its system in words ("updating firmware"), "" when it only
    /// reads: a changing command holds the system's lock.
    std::string (*changeActivity)(const std::vector<std::string>& arguments);
    /// The command's lines of zamo2ctl --help.
    const char* help;
    std::vector<ToolWindowEntry> window;
    /// Without --board the command works on every board and shows them together (one table,
    /// one run): `--board all` is the same run, not one run per board.
    bool everyBoardWithoutBoard = false;
    /// --board by place or serial names the one board the command runs on.
    bool onePlacedBoard = false;
};

} // namespace z2e
