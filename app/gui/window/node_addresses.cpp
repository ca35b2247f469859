#include "gui/window/node_addresses.h"

#include "gui/dialogs/network/node_addresses_dialog.h"
#include "gui/window/system_list.h"

namespace z2e {

NodeAddresses::NodeAddresses(QWidget* window, SystemList& list) : m_window(window), m_list(list) {}

void NodeAddresses::refresh(const Records& records, const std::vector<NodeAddressCheck::LocalNetwork>& locals)
{
    std::vector<std::uint32_t> ids;
    std::vector<NodeAddressCheck::Node> nodes;
    for (const auto& [id, record] : records) {
        ids.push_back(id);
        nodes.push_back({record->name, record->address, record->netMask, record->localAddress});
    }
    const std::vector<NodeAddressCheck::Verdict> verdicts = NodeAddressCheck(locals).judge(nodes);
    m_problems.clear();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const NodeAddressCheck::Verdict& verdict = verdicts[i];
        m_list.setAddressProblem(ids[i], QString::fromStdString(verdict.status),
                                 QString::fromStdString(verdict.problem));
        if (!verdict.consistent())
            m_problems[ids[i]] = verdict;
    }
}

const NodeAddressCheck::Verdict* NodeAddresses::problemOf(std::uint32_t id) const
{
    const auto found = m_problems.find(id);
    return found == m_problems.end() ? nullptr : &found->second;
}

void NodeAddresses::edit(const std::function<void()>& changed)
{
    CNodeAddressesDialog dialog(RememberedNodes(), m_window);
    QObject::connect(&dialog, &CNodeAddressesDialog::ctrlAddressesChanged, &dialog, [&changed] { changed(); });
    dialog.exec();
}

} // namespace z2e
