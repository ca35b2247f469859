#pragma once
// The entries of the list of systems: the local system first, then one per network node sorted
// by name. Fills the roles NodeListDelegate paints from (the red-row count and the tool tip
// among them); the window decides what a selection shows.

#include "core/network_node_record.h"

#include <QPixmap>
#include <QString>

#include <cstdint>
#include <functional>

class QListWidget;
class QListWidgetItem;

namespace z2e {

class CTreeViewModel;
class RootNode;

class SystemList {
public:
    /// Role of a network entry that holds its node id (none on the local entry).
    static constexpr int kNodeIdRole = 256;

    /// Works on `list`, which must outlive this object.
    explicit SystemList(QListWidget* list);

    /// Creates or refreshes the first entry: caption "Local System", detail `systemName`, state
    /// "selected"; makes it current and gives the list the focus.
    void setLocalEntry(const QString& systemName);
    /// Marks `row` "selected" and every other entry "unselected".
    void markSelected(int row);

    /// Counts the red rows of the local system whenever `model` (the local tree, which must
    /// outlive the list) is rebuilt or refreshed; `scanState` ends the local entry's tool tip.
    void followLocalTree(const CTreeViewModel& model);
    void setLocalScanState(const QString& scanState);

    /// Adds the entry of a network node at its place by name or, when one with its id exists,
    /// updates it (moving it when its name changed). Returns its row.
    int upsertNetworkNode(const NetworkNodeRecord& node, bool communicationProblem, int syncState);
    /// Counts the red rows of node `node.nodeId` again, from what was read of it since.
    void updateNodeHealth(const NetworkNodeRecord& node);
    /// Gives the entry of node `id` the caption `caption`, moving it to its place by name.
    void setNodeCaption(std::uint32_t id, const QString& caption);
    /// Runs `change`, which may add, move or remove entries, and keeps `row` on the entry it
    /// named before (0 when that entry was removed; -1 stays -1).
    void keepRow(int& row, const std::function<void()>& change);
    /// Removes the entry of node `id`; returns its former row, -1 when there was none.
    int removeNetworkNode(std::uint32_t id);
    /// Sets the synchronisation state of every entry of node `id`.
    void setSyncState(std::uint32_t id, int syncState);
    /// Marks node `id`'s entry with `status` in red and `problem` in its tool tip, or, with an
    /// empty `status`, shows it as it was.
    void setAddressProblem(std::uint32_t id, const QString& status, const QString& problem);
    /// Row of the entry of node `id` (searched from the second entry on), -1 when absent.
    int rowOfNode(std::uint32_t id) const;
    /// Drops every network entry.
    void removeNetworkNodes();

    /// The local system's name: the first enclosure's own name, "Host PC" without one.
    static QString localSystemName(const RootNode& local);
    /// Picture of an entry chosen from its detail line.
    static QPixmap pictureFor(const QString& detail);
    /// Caption of a network node: its name, or "Remote System <id>" without one.
    static QString nodeCaption(const NetworkNodeRecord& node);

private:
    QListWidgetItem* localItem();
    /// Moves the entry at `row` to its place by caption; returns its new row.
    int placeByName(int row);
    void recountLocal();
    void setProblems(QListWidgetItem& item, int count);
    void refreshToolTip(QListWidgetItem& item);

    QListWidget* m_list;
    const CTreeViewModel* m_localTree = nullptr;
    int m_localBoards = 0;
    QString m_localScan;
};

} // namespace z2e
