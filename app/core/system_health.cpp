#include "core/system_health.h"

#include "core/node_types.h"
#include "core/tree_row_list.h"

#include <algorithm>

namespace z2e {
namespace {

// The labels' colours follow the same split (see NodeListDelegate): SyncIn for 2 and 3,
// SyncOut for 1 and 2.
bool syncInOn(int syncState)
{
    return syncState == 2 || syncState == 3;
}

bool syncOutOn(int syncState)
{
    return syncState == 1 || syncState == 2;
}

std::string scanText(const NetworkNodeRecord& record)
{
    if (record.failure != 0)
        return "could not be read (" + std::to_string(record.failure) + ")";
    switch (record.connectionState) {
    case NetworkConnectionState::Established: return "answering";
    case NetworkConnectionState::Announced: return "announced, not answering";
    default: return "not scanned yet";
    }
}

int countIf(const ModelNode& root, bool (*wanted)(const TreeRow&))
{
    const std::vector<TreeRow> rows = TreeRowList::collect(root);
    return static_cast<int>(std::count_if(rows.begin(), rows.end(), wanted));
}

} // namespace

bool SystemHealth::readYet(const NetworkNodeRecord& record)
{
    return record.connectionState >= NetworkConnectionState::Established || record.failure != 0;
}

int SystemHealth::boardCount(const ModelNode& root)
{
    return countIf(root, [](const TreeRow& row) {
        return row.node->nodeType == NodeType::BoardSlot || row.node->nodeType == NodeType::OrphanBoard;
    });
}

std::string SystemHealth::syncInText(int syncState)
{
    return syncInOn(syncState) ? "SyncIn: on, the node takes its clock from its synchronisation input"
                               : "SyncIn: off, the node does not follow a synchronisation input";
}

std::string SystemHealth::syncOutText(int syncState)
{
    return syncOutOn(syncState) ? "SyncOut: on, the node drives its synchronisation output"
                                : "SyncOut: off, the node drives no synchronisation output";
}

std::string SystemHealth::nodeSummary(const NetworkNodeRecord& record)
{
    std::string text = "Address: " + record.address;
    if (record.simulated)
        text += " (simulated)";
    text += "\nBoards: " + std::to_string(record.boards.size());
    text += "\nScan: " + scanText(record);
    return text;
}

} // namespace z2e
