#include "gui/window/board_change_tools.h"

#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/tools/board_config_dialog.h"
#include "gui/dialogs/tools/channel_modules_dialog.h"
#include "gui/dialogs/tools/crossgrade_dialog.h"
#include "gui/dialogs/tools/crossgrade_simple_dialog.h"
#include "gui/dialogs/tools/enclosure_dialog.h"
#include "gui/dialogs/tools/tool_read.h"
#include "gui/window/tool_target_builder.h"

#include "core/description_parser.h"
#include "core/node_types.h"
#include "core/root_node.h"
#include "core/slot_node.h"
#include "core/system_model.h"
#include "driver/command/app_status.h"
#include "tools/board_cross_grade.h"
#include "tools/channel_module_choice.h"

#include <QTableWidget>

#include <functional>

namespace z2e {

namespace {

const char* const kCrossGradeTitle = "Board Cross Grade";

bool oneBoard(const ToolTarget& target)
{
    return target.wrapper && target.boards.size() == 1 && !target.multiBoard;
}

// The first node below `node` (itself included), depth first, that `wanted` accepts.
ModelNode* findNode(ModelNode& node, const std::function<bool(ModelNode&)>& wanted)
{
    if (wanted(node))
        return &node;
    for (const auto& child : node.children()) {
        if (ModelNode* found = findNode(*child, wanted))
            return found;
    }
    return nullptr;
}

SlotNode* boardRow(RootNode& root, std::uint32_t board)
{
    return static_cast<SlotNode*>(findNode(root, [board](ModelNode& node) {
        return ToolTargetBuilder::boardIndex(node) == static_cast<std::int32_t>(board);
    }));
}

// The slot of `root` that holds `row`: the views hand out const rows of the tree.
SlotNode* owningSlot(RootNode& root, const ModelNode& row)
{
    const ModelNode* slot = &row;
    while (slot && !dynamic_cast<const SlotNode*>(slot))
        slot = slot->parent();
    return slot ? dynamic_cast<SlotNode*>(findNode(root, [slot](ModelNode& node) { return &node == slot; })) : nullptr;
}

} // namespace

bool BoardChangeTools::enclosureData(const ToolTarget& target, QWidget* parent)
{
    if (!target.wrapper || target.enclosure < 0)
        return false;
    CEnclosureDialog dialog(target, parent);
    dialog.exec();
    return true;
}

void BoardChangeTools::crossGrade(const ToolTarget* target, bool shift, QWidget* parent)
{
    if (!target || !oneBoard(*target)) {
        CMiscUtils::notify(kCrossGradeTitle, "Invalid item selected!", parent);
        return;
    }
    if (shift) {
        CCrossgradeDialog dialog(*target, parent);
        dialog.exec();
        return;
    }
    // The dialog reads the board's generation, which decides whether it is offered at all.
    CCrossgradeSimpleDialog dialog(*target, parent);
    if (dialog.readStatus() != AppStatus::Ok) {
        CMiscUtils::notify(kCrossGradeTitle, readFailureText(dialog.readStatus()), parent);
        return;
    }
    std::string to;
    const std::int32_t allowed = BoardCrossGrade::simpleTarget(dialog.baseId(), to);
    if (allowed != 0) {
        CMiscUtils::notifyStatus(kCrossGradeTitle, allowed, parent);
        return;
    }
    dialog.exec();
}

bool BoardChangeTools::boardConfiguration(const ToolTarget& target, QWidget* parent, BoardReadBack& after,
                                          QString& outcome)
{
    if (!oneBoard(target))
        return false;
    CBoardConfigDialog dialog(target, parent);
    dialog.exec();
    after = dialog.readBack();
    outcome = dialog.outcomeText();
    return dialog.written();
}

bool BoardChangeTools::channelModules(SystemModel& system, DemoSystemEditor& editor, const ModelNode& row,
                                      QWidget* parent)
{
    SlotNode* slot = row.systemKind == SystemKind::Demo ? owningSlot(system.demoRoot(), row) : nullptr;
    if (!slot || ChannelModuleChoice::offered(*slot).empty()) {
        CMiscUtils::notify("Channel Modules", "Invalid item selected!", parent);
        return false;
    }
    CChannelModulesDialog dialog(system, editor, *slot, parent);
    dialog.exec();
    return dialog.changed();
}

bool BoardChangeTools::refreshBoardRow(RootNode& root, std::uint32_t board, const BoardReadBack& after)
{
    SlotNode* slot = boardRow(root, board);
    if (!slot || after.properties.empty())
        return false;
    slot->clearChildren();
    if (!after.key.empty())
        slot->boardKey = after.key;
    std::string caption;
    if (DescriptionParser::parseBoardDescription(slot, after.properties, caption) != DescriptionParser::Ok)
        return false;
    const std::string& shown = slot->described.displayName;
    const std::string name = shown.empty() ? caption : shown;
    if (slot->boardNames.empty())
        slot->boardNames.push_back(name);
    else
        slot->boardNames.front() = name;
    return true;
}

QStringList BoardChangeTools::pictureNames()
{
    return {"enclosure", "crossgrade", "crossgrade-simple", "board-config", "channel-modules"};
}

QDialog* BoardChangeTools::openForPicture(const QString& name, SystemModel& system, DemoSystemEditor& editor,
                                          const ToolTargetBuilder& targets, QWidget* parent)
{
    ToolTarget target;
    auto localTarget = [&](const std::function<bool(ModelNode&)>& wanted) {
        const ModelNode* row = findNode(system.localRoot(), wanted);
        return row && targets.local(*row, system, target);
    };
    auto boardZero = [](ModelNode& node) { return ToolTargetBuilder::boardIndex(node) == 0; };
    QDialog* dialog = nullptr;
    if (name == "enclosure") {
        if (localTarget([](ModelNode& node) { return node.nodeType == NodeType::Enclosure && node.number == 0; }))
            dialog = new CEnclosureDialog(target, parent);
    } else if (name == "crossgrade") {
        if (localTarget(boardZero)) {
            auto* free = new CCrossgradeDialog(target, parent);
            free->findChild<QTableWidget*>()->selectRow(0);
            dialog = free;
        }
    } else if (name == "crossgrade-simple") {
        // Board 0 of the example hardware is not of the convertible generation: the first board
        // in the tree that is.
        std::vector<std::uint32_t> boards;
        findNode(system.localRoot(), [&boards](ModelNode& node) {
            if (ToolTargetBuilder::boardIndex(node) >= 0)
                boards.push_back(static_cast<std::uint32_t>(ToolTargetBuilder::boardIndex(node)));
            return false;
        });
        std::int32_t convertible = -1;
        QorinNodeUtilWrapper& wrapper = system.wrapper();
        readBehindProgress(ToolTarget(), kCrossGradeTitle, "Looking for a convertible board.", parent, [&] {
            BoardCrossGrade tool(wrapper, nullptr);
            std::string to;
            for (std::size_t i = 0; i < boards.size() && convertible < 0; ++i) {
                if (BoardCrossGrade::simpleTarget(tool.storedBaseId(boards[i]), to) == 0)
                    convertible = static_cast<std::int32_t>(boards[i]);
            }
            return std::int32_t{0};
        });
        if (convertible >= 0 &&
            localTarget([convertible](ModelNode& node) { return ToolTargetBuilder::boardIndex(node) == convertible; }))
            dialog = new CCrossgradeSimpleDialog(target, parent);
    } else if (name == "board-config") {
        if (localTarget(boardZero))
            dialog = new CBoardConfigDialog(target, parent);
    } else if (name == "channel-modules") {
        auto* slot = static_cast<SlotNode*>(findNode(system.demoRoot(), [](ModelNode& node) {
            const auto* board = dynamic_cast<SlotNode*>(&node);
            return board && board->holdsBoard() && !ChannelModuleChoice::offered(*board).empty();
        }));
        if (slot)
            dialog = new CChannelModulesDialog(system, editor, *slot, parent);
    }
    if (dialog)
        dialog->show();
    return dialog;
}

} // namespace z2e
