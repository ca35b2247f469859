#include "qorinet_api/client/qorinet_local_discovery.h"

#include "qorinet_api/client/qorinet_client.h"
#include "qorinet_api/client/qorinet_local_client_node.h"

#include "uni/log.h"

namespace qorinet_api {

QORINetLocalDiscovery::QORINetLocalDiscovery(QORINetClient& client, std::uint32_t mask)
    : uni::Thread("QORINet_Local_Discovery"), m_client(client), m_mask(mask)
{
}

QORINetLocalDiscovery::~QORINetLocalDiscovery()
{
    stop();
}

void QORINetLocalDiscovery::run()
{
    auto node = std::make_shared<QORINetLocalClientNode>(m_client.nextNodeId());
    const std::int32_t result = node->connect();
    // Without a driver the kind is unknown; such a node counts as real hardware.
    const bool wanted = (m_mask & (node->isSimulation() ? kSimulated : kReal)) != 0;
    UNI_LOG("tnc", uni::log::info) << "local discovery: driver init " << result << ", "
                                   << (node->isSimulation() ? "simulated" : "real") << " boards "
                                   << node->getBoardCount() << (wanted ? "" : " - not wanted");
    if (wanted)
        m_client.initLocalClientNode(node);
    else
        node->disconnect();
    m_client.notifyLocalScanFinished();
}

} // namespace qorinet_api
