#pragma once
// The window's side of node addresses: marks the entries of nodes the computer cannot reach at
// the address they claim ("Inconsistent IP settings", what is wrong in the tool tip) and keeps
// the verdicts for "Change Node IP"; opens "Add Node by Address". GUI thread only.

#include "core/network_node_record.h"
#include "core/node_address_check.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QWidget;

namespace z2e {

class SystemList;

class NodeAddresses {
public:
    using Records = std::map<std::uint32_t, std::unique_ptr<NetworkNodeRecord>>;

    /// Both outlive it.
    NodeAddresses(QWidget* window, SystemList& list);

    /// Judges every node of `records` against `locals` and marks the list's entries.
    void refresh(const Records& records, const std::vector<NodeAddressCheck::LocalNetwork>& locals);
    /// The verdict of node `id` when its IP settings are inconsistent, else null.
    const NodeAddressCheck::Verdict* problemOf(std::uint32_t id) const;

    /// "Add Node by Address", modal; `changed` runs each time the remembered list changed.
    void edit(const std::function<void()>& changed);

private:
    QWidget* m_window;
    SystemList& m_list;
    std::map<std::uint32_t, NodeAddressCheck::Verdict> m_problems;
};

} // namespace z2e
