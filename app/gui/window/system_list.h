#pragma once
// The entries of the list of systems: the local system first, then one per network node. Fills
// the roles NodeListDelegate paints from; the window decides what a selection shows.

#include "core/network_node_record.h"

#include <QPixmap>
#include <QString>

#include <cstdint>

class QListWidget;
class QListWidgetItem;

namespace z2e {

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

    /// Adds the entry of a network node or, when one with its id exists, updates it in place.
    /// Returns its row.
    int upsertNetworkNode(const NetworkNodeRecord& node, bool communicationProblem, int syncState);
    /// Removes the entry of node `id`; returns its former row, -1 when there was none.
    int removeNetworkNode(std::uint32_t id);
    /// Sets the synchronisation state of every entry of node `id`.
    void setSyncState(std::uint32_t id, int syncState);
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

    QListWidget* m_list;
};

} // namespace z2e
