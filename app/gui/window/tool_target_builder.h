#pragma once
// Turns the tree row a board tool was opened for into what the tool works on: the one board of
// a board row, every board of an enclosure, or every board of the system, on the node the row
// belongs to.

#include "gui/dialogs/tools/tool_target.h"

#include <memory>

namespace z2e {

class ModelNode;
class SystemModel;
struct NetworkNodeRecord;

class ToolTargetBuilder {
public:
    /// Where the journal goes and whether it snapshots; the same for every tool run.
    ToolTargetBuilder(std::string journalFolder, bool snapshots);

    /// A row of the local system. False for rows without boards other than enclosures (and
    /// for the demo system).
    bool local(const ModelNode& row, SystemModel& system, ToolTarget& target) const;
    /// A row of the network node that `node` commands and `record` describes; its files are
    /// offered in `local`'s folder, as this computer's are. False for rows without boards other
    /// than enclosures, or a node this program holds no link to.
    bool remote(const ModelNode& row, std::shared_ptr<QorinNodeUtilWrapper> node, const NetworkNodeRecord& record,
                const SystemModel* local, ToolTarget& target) const;

    /// The board index of a board row; -1 for any other row.
    static std::int32_t boardIndex(const ModelNode& row);
    /// The serial number of a board row as the journal files it.
    static std::string boardSerial(const ModelNode& row);
    /// The row of board 0 at or below `row`; null when there is none.
    static const ModelNode* firstBoardRow(const ModelNode& row);

private:
    void fillCommon(ToolTarget& target) const;

    std::string m_journalFolder;
    bool m_snapshots;
};

} // namespace z2e
