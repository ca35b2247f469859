#pragma once
// What the list of systems tells about a system at a glance besides its problems (those are
// JournalProblems'): its boards, and a short summary of a network node (address, boards, scan
// and sync state) for its entry's tool tip. Qt-free: the rows are composed as the tree
// composes them.

#include "core/network_node_record.h"

#include <cstdint>
#include <string>

namespace z2e {

class ModelNode;

class SystemHealth {
public:
    /// The node answered, or failed in a way worth telling; false while it is only announced.
    static bool readYet(const NetworkNodeRecord& record);
    /// Boards in the slots of the tree below `root` (orphans included).
    static int boardCount(const ModelNode& root);

    /// What SyncIn and SyncOut mean for `syncState`, one line each.
    static std::string syncInText(int syncState);
    static std::string syncOutText(int syncState);
    /// Address, boards and scan state of a network node, one line each.
    static std::string nodeSummary(const NetworkNodeRecord& record);
};

} // namespace z2e
