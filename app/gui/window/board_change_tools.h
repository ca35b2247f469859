#pragma once
// The window's tools that rewrite what an enclosure or a board is — enclosure data,
// cross-grade, board configuration — and the demo system's channel modules: which dialog a menu
// entry opens for its row, and what the window's node model takes over afterwards.

#include "gui/dialogs/tools/tool_target.h"
#include "tools/board_read_back.h"

#include <QString>
#include <QStringList>

#include <cstdint>

class QDialog;
class QWidget;

namespace z2e {

class DemoSystemEditor;
class ModelNode;
class RootNode;
class SlotNode;
class SystemModel;
class ToolTargetBuilder;

class BoardChangeTools {
public:
    /// "Enclosure Data" for the enclosure row of `target`; false (nothing opened) for any other.
    static bool enclosureData(const ToolTarget& target, QWidget* parent);
    /// "Cross Grade" for the one board of `target`: with `shift` the free choice, else the
    /// confirmation for the convertible generation and status 4002 for every other board.
    /// Without one board (or target) "Invalid item selected!".
    static void crossGrade(const ToolTarget* target, bool shift, QWidget* parent);
    /// "Board Configuration" for the one board of `target`. True when Apply wrote; `after` is
    /// the board as it reported itself then, `outcome` a line for the status bar.
    static bool boardConfiguration(const ToolTarget& target, QWidget* parent, BoardReadBack& after, QString& outcome);
    /// "Channel Modules" for the board owning the "ChannelModule" row `row` of the demo system.
    /// True when the module changed (the demo system is then marked changed).
    static bool channelModules(SystemModel& system, DemoSystemEditor& editor, const ModelNode& row, QWidget* parent);

    /// Refreshes the row of `board` below `root` from what the board reported after a change:
    /// key, property rows and display name. False when there is no such row or nothing was read.
    /// Views showing `root` must let go of its rows first.
    static bool refreshBoardRow(RootNode& root, std::uint32_t board, const BoardReadBack& after);

    /// "enclosure", "crossgrade", "crossgrade-simple", "board-config", "channel-modules".
    static QStringList pictureNames();
    /// Opens the named dialog, shown but without a modal loop, over the local system (the first
    /// demo board with channel modules for "channel-modules"); null for another name.
    static QDialog* openForPicture(const QString& name, SystemModel& system, DemoSystemEditor& editor,
                                   const ToolTargetBuilder& targets, QWidget* parent);
};

} // namespace z2e
