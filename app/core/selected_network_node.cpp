#include "core/selected_network_node.h"

#include "core/network_client_host.h"
#include "core/remote_system_builder.h"
#include "core/temperature_rows.h"
#include "driver/command/qorin_node_util_wrapper.h"

#include "qorinet_api/client/qorinet_client_node.h"
#include "uni/log.h"

namespace z2e {
namespace {

const char* const kLogChannel = "gui";

void stopNode(qorinet_api::QORINetClientNode& node)
{
    if (!node.isConnected())
        return;
    if (node.isRecording())
        node.setRecording(false);
    node.disconnect();
}

} // namespace

SelectedNetworkNode::~SelectedNetworkNode()
{
    release();
}

bool SelectedNetworkNode::active() const
{
    return m_node && m_node->isConnected();
}

bool SelectedNetworkNode::available() const
{
    return m_node && (m_node->isConnected() || m_node->scanState() == qorinet_api::QORINetClientNode::kScanFree);
}

bool SelectedNetworkNode::heldByOtherClient() const
{
    // Once linked, the node names this program as its holder.
    return m_node && !m_node->isConnected() && m_node->scanState() == qorinet_api::QORINetClientNode::kScanHeld;
}

std::shared_ptr<QorinNodeUtilWrapper> SelectedNetworkNode::commands() const
{
    if (!m_node)
        return nullptr;
    auto wrapper = std::make_shared<QorinNodeUtilWrapper>(m_node);
    wrapper->setReady(true);
    return wrapper;
}

NetworkNodeRecord SelectedNetworkNode::select(std::shared_ptr<qorinet_api::QORINetClientNode> node)
{
    if (m_node && m_node != node)
        release();
    m_node = std::move(node);
    if (!m_node)
        return {};
    m_id = m_node->getNodeId();

    // A node held by another client is shown as it announces itself, not taken over.
    const bool mayConnect = m_node->scanState() == qorinet_api::QORINetClientNode::kScanFree && !m_node->isTainted();
    std::int32_t linked = 0;
    if (mayConnect && !m_node->isConnected()) {
        linked = m_node->connect();
        if (linked > 0)
            UNI_LOG(kLogChannel, uni::log::warning)
                << "Network node " << m_id << " at " << m_node->getAddress() << " refused the link: " << linked;
    }
    NetworkNodeRecord record = RemoteSystemBuilder::recordOf(*m_node);
    if (m_node->isConnected()) {
        RemoteSystemBuilder::readLinked(*m_node, record);
        if (record.failure == 0)
            TemperatureRows::update(record, nullptr, *commands());
    } else if (linked > 0)
        RemoteSystemBuilder::markUnreadable(record, linked);
    return record;
}

NetworkNodeRecord SelectedNetworkNode::select(const NetworkClientHost& host, std::uint32_t id)
{
    return select(host.remoteNode(id));
}

void SelectedNetworkNode::release()
{
    if (m_node)
        stopNode(*m_node);
    m_node.reset();
    m_id = 0;
}

} // namespace z2e
