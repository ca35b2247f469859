#include "gui/window/tool_target_builder.h"

#include "core/model_node.h"
#include "core/network_node_record.h"
#include "core/row_composer.h"
#include "core/tree_row_text.h"
#include "core/node_types.h"
#include "core/slot_node.h"
#include "core/system_model.h"

#include <utility>

namespace z2e {

namespace {

bool isBoardRow(const ModelNode& row)
{
    return row.nodeType == NodeType::BoardSlot || row.nodeType == NodeType::OrphanBoard;
}

std::string placeText(std::int32_t enclosure, std::int32_t slot, const std::string& name)
{
    return "Enclosure " + std::to_string(enclosure) + ", Slot " + std::to_string(slot) + ": " + name;
}

ToolTarget::BoardFacts factsOf(const ModelNode& row)
{
    ToolTarget::BoardFacts facts;
    std::string board = row.firstValue();
    if (const auto* slot = dynamic_cast<const SlotNode*>(&row)) {
        facts.can = slot->described.can;
        facts.uart = slot->described.uart;
        // The firmware's warning is the tree's business, not the board's name.
        const std::string& warning = slot->firmwareWarning;
        if (!warning.empty() && board.size() >= warning.size() &&
            board.compare(board.size() - warning.size(), warning.size(), warning) == 0)
            board.erase(board.size() - warning.size());
    }
    // As the tree shows them: "Enclosure 0" above "Slot 2   QA-4008.BNC".
    const ModelNode* enclosure = row.parent();
    const bool inEnclosure = enclosure && enclosure->nodeType == NodeType::Enclosure;
    const auto nameOf = [](const ModelNode& node) { return TreeRowText::split(RowComposer::rowText(node)).name; };
    facts.place = (inEnclosure ? nameOf(*enclosure) + ", " : std::string()) + nameOf(row) + ": " + board;
    return facts;
}

// Boards below `row` in tree order: the rows are what the tool's table shows.
void collectBoards(const ModelNode& row, ToolTarget& target)
{
    const std::int32_t index = ToolTargetBuilder::boardIndex(row);
    if (index >= 0) {
        target.boards.push_back(static_cast<std::uint32_t>(index));
        target.facts.push_back(factsOf(row));
    }
    for (const auto& child : row.children())
        collectBoards(*child, target);
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace

ToolTargetBuilder::ToolTargetBuilder(std::string journalFolder, bool snapshots)
    : m_journalFolder(std::move(journalFolder)), m_snapshots(snapshots)
{
}

std::int32_t ToolTargetBuilder::boardIndex(const ModelNode& row)
{
    const auto* slot = dynamic_cast<const SlotNode*>(&row);
    return slot && isBoardRow(row) ? slot->boardIndex : -1;
}

std::string ToolTargetBuilder::boardSerial(const ModelNode& row)
{
    const auto* slot = dynamic_cast<const SlotNode*>(&row);
    return slot && isBoardRow(row) ? slot->serialNumber : std::string();
}

const ModelNode* ToolTargetBuilder::firstBoardRow(const ModelNode& row)
{
    if (boardIndex(row) == 0)
        return &row;
    for (const auto& child : row.children()) {
        if (const ModelNode* found = firstBoardRow(*child))
            return found;
    }
    return nullptr;
}

void ToolTargetBuilder::fillCommon(ToolTarget& target) const
{
    target.journalFolder = m_journalFolder;
    target.snapshots = m_snapshots;
}

bool ToolTargetBuilder::local(const ModelNode& row, SystemModel& system, ToolTarget& target) const
{
    if (row.systemKind != SystemKind::Local)
        return false;
    ToolTarget made;
    collectBoards(row, made);
    if (row.nodeType == NodeType::Enclosure)
        made.enclosure = row.number;
    // An enclosure without boards still has data of its own.
    if (made.boards.empty() && made.enclosure < 0)
        return false;
    made.wrapper = system.sharedWrapper();
    made.multiBoard = !isBoardRow(row);
    made.simulated = !system.localHardwarePresent();
    made.folder = folderOf(system.configFilePath());
    made.nodeText = "local";
    fillCommon(made);
    target = std::move(made);
    return true;
}

bool ToolTargetBuilder::remote(const ModelNode& row, std::shared_ptr<QorinNodeUtilWrapper> node,
                               const NetworkNodeRecord& record, const SystemModel* local, ToolTarget& target) const
{
    if (row.systemKind != SystemKind::Remote || !node || !record.connected)
        return false;
    ToolTarget made;
    // The node's tree has enclosure rows only; its boards are in the node's board order.
    for (std::size_t i = 0; i < record.boards.size(); ++i) {
        if (row.nodeType == NodeType::Root ||
            (row.nodeType == NodeType::Enclosure && record.boards[i].enclosureIndex == row.index)) {
            const NetworkBoardRecord& board = record.boards[i];
            made.boards.push_back(static_cast<std::uint32_t>(i));
            made.facts.push_back({placeText(board.enclosureIndex, board.slotNumber, board.name)});
        }
    }
    if (row.nodeType == NodeType::Enclosure)
        made.enclosure = row.index;
    if (made.boards.empty() && made.enclosure < 0)
        return false;
    made.wrapper = std::move(node);
    made.interruptible = true;
    made.multiBoard = true;
    made.simulated = record.simulated;
    made.nodeText = record.address + " " + record.name;
    if (local)
        made.folder = folderOf(local->configFilePath());
    fillCommon(made);
    target = std::move(made);
    return true;
}

} // namespace z2e
