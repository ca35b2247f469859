#include "core/node_link.h"

#include "core/remote_system_builder.h"
#include "core/temperature_rows.h"

#include "qorinet_api/client/qorinet_client.h"

namespace z2e {

NodeLink::NodeLink(std::shared_ptr<qorinet_api::QORINetClientNode> node) : m_node(std::move(node)) {}

NodeLink::~NodeLink()
{
    if (m_wrapper)
        m_wrapper->setReady(false);
    if (m_node->isConnected())
        m_node->disconnect();
    // Released before the node, which the wrapper's requests go to.
    m_wrapper.reset();
}

std::int32_t NodeLink::connect(std::uint32_t requestCeilingMs)
{
    if (requestCeilingMs != 0)
        m_node->setRequestCeilingMs(requestCeilingMs);
    const std::int32_t result = m_node->connect();
    m_wrapper = std::make_unique<QorinNodeUtilWrapper>(m_node);
    m_wrapper->setReady(result <= 0);
    return result;
}

NetworkNodeRecord NodeLink::record(bool connected)
{
    NetworkNodeRecord record = RemoteSystemBuilder::recordOf(*m_node);
    if (connected && m_wrapper) {
        RemoteSystemBuilder::readLinked(*m_node, record);
        if (record.failure == 0)
            TemperatureRows::update(record, nullptr, *m_wrapper);
    } else
        record.connectionState = NetworkConnectionState::Announced; // seen, but no link
    return record;
}

} // namespace z2e
