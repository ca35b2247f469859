#include "gui/window/tool_target_builder.h"

#include "core/model_node.h"
#include "core/network_node_record.h"
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

// Boards below `row` in tree order: the rows are what the tool's table shows.
void collectBoards(const ModelNode& row, std::vector<std::uint32_t>& boards)
{
    const std::int32_t index = ToolTargetBuilder::boardIndex(row);
    if (index >= 0)
        boards.push_back(static_cast<std::uint32_t>(index));
    for (const auto& child : row.children())
        collectBoards(*child, boards);
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
    collectBoards(row, made.boards);
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
            (row.nodeType == NodeType::Enclosure && record.boards[i].enclosureIndex == row.index))
            made.boards.push_back(static_cast<std::uint32_t>(i));
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
