#include "core/remote_node_session.h"

#include "core/node_link.h"
#include "core/remembered_nodes.h"
#include "core/remote_system_builder.h"

#include "qorinet_api/client/qorinet_client.h"
#include "uni/allowed_networks.h"
#include "uni/event_queue.h"
#include "uni/osal.h"

#include <algorithm>
#include <chrono>

namespace z2e {

namespace {

using qorinet_api::QORINetClientNode;
using Clock = std::chrono::steady_clock;

qorinet_api::QORINetClientConfig clientConfig(std::uint16_t basePort, const std::vector<std::string>& directNodes)
{
    qorinet_api::QORINetClientConfig config;
    config.mode = qorinet_api::QORINetClientConfig::MODE_ALL_INTERFACES;
    config.basePort = basePort;
    config.privateAnswerPort = true;
    std::vector<std::string> asked = directNodes;
    const std::vector<std::string> remembered = RememberedNodes().addresses();
    asked.insert(asked.end(), remembered.begin(), remembered.end());
    for (const std::string& node : asked) {
        if (!node.empty() &&
            std::find(config.directNodes.begin(), config.directNodes.end(), node) == config.directNodes.end())
            config.directNodes.push_back(node);
    }
    config.localNodeMask = 0; // the local boards are the driver's business, not the client's
    return config;
}

std::uint32_t msUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<std::uint32_t>(left) : 0;
}

const char* scanStateName(std::uint32_t state)
{
    switch (state) {
    case QORINetClientNode::kScanAnnounced: return "announced";
    case QORINetClientNode::kScanHeld: return "held";
    case QORINetClientNode::kScanFree: return "free";
    default: return "unknown";
    }
}

NetworkNodeSummary summaryOf(const QORINetClientNode& node)
{
    NetworkNodeSummary summary;
    summary.id = node.getNodeId();
    summary.name = node.getName();
    summary.address = node.getAddress();
    summary.netMask = node.getNetMask();
    summary.clientAddress = node.localAddressPair().address();
    summary.scanState = node.scanState();
    summary.scanStateName = scanStateName(node.scanState());
    summary.tainted = node.isTainted();
    summary.syncState = node.getSyncState();
    summary.simulation = node.isSimulation();
    summary.boardCount = node.getBoardCount();
    for (const QORINetClientNode::BoardInfo& board : node.boards())
        summary.boards.push_back({board.name, board.serial, board.enclosureIndex, board.slotIndex});
    return summary;
}

} // namespace

struct RemoteNodeSession::Client {
    Client(std::uint16_t basePort, const std::vector<std::string>& directNodes)
        : config(clientConfig(basePort, directNodes)), client(config)
    {
    }

    /// The node at `address` in the client's list, or null.
    std::shared_ptr<QORINetClientNode> nodeAt(const std::string& address) const
    {
        for (const auto& candidate : client.remoteNodes())
            if (candidate->getAddress() == address)
                return candidate;
        return nullptr;
    }

    std::vector<NetworkNodeSummary> summaries() const
    {
        std::vector<NetworkNodeSummary> nodes;
        for (const auto& node : client.remoteNodes())
            nodes.push_back(summaryOf(*node));
        return nodes;
    }

    /// Waits for the next event (they only pace the waits) until `deadline`.
    void waitForEvent(Clock::time_point deadline)
    {
        std::uint32_t code = 0;
        std::vector<std::uint8_t> data;
        events.pop(code, data, msUntil(deadline));
    }

    uni::EventQueue events;
    qorinet_api::QORINetClientConfig config;
    qorinet_api::QORINetClient client;
    bool started = false;
    std::shared_ptr<QORINetClientNode> node;
};

RemoteNodeSession::RemoteNodeSession(std::uint16_t basePort, const std::string& directNode)
    : RemoteNodeSession(basePort, std::vector<std::string>{directNode})
{
}

RemoteNodeSession::RemoteNodeSession(std::uint16_t basePort, const std::vector<std::string>& directNodes)
    : m_client(std::make_unique<Client>(basePort, directNodes))
{
}

RemoteNodeSession::~RemoteNodeSession()
{
    // Closed before the client, which the node reports its disconnect to.
    m_link.reset();
    m_client->node.reset();
    if (m_client->started)
        m_client->client.stopClient();
}

void RemoteNodeSession::useLocalNetwork(const uni::ipv4::IpAddressPair& local)
{
    m_client->config.mode = qorinet_api::QORINetClientConfig::MODE_ADDRESS_LIST;
    m_client->config.localAddresses = {local};
    m_client->client.configureClient(m_client->config);
}

std::vector<NodeAddressCheck::LocalNetwork> RemoteNodeSession::localNetworks() const
{
    return NodeAddressCheck::named(m_client->client.ipConfigAddresses());
}

std::int32_t RemoteNodeSession::start()
{
    m_client->client.attachEventQueue(&m_client->events);
    const int started = m_client->client.startClient();
    if (started != 0)
        return uni::osal::toNodeCode(started);
    m_client->started = true;
    return 0;
}

std::vector<NetworkNodeSummary> RemoteNodeSession::discover(std::uint32_t scanMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(scanMs);
    while (msUntil(deadline) > 0)
        m_client->waitForEvent(deadline);
    return m_client->summaries();
}

std::vector<NetworkNodeSummary> RemoteNodeSession::discoverAll(const std::vector<std::string>& addresses,
                                                               std::uint32_t scanMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(scanMs);
    const auto allAnswer = [&]() {
        for (const std::string& address : addresses) {
            const std::shared_ptr<QORINetClientNode> node = m_client->nodeAt(address);
            if (!node || !node->isConnectable())
                return false;
        }
        return true;
    };
    while (!allAnswer() && msUntil(deadline) > 0)
        m_client->waitForEvent(deadline);
    return m_client->summaries();
}

bool RemoteNodeSession::listenFailed() const
{
    return m_client->client.listenFailed();
}

RemoteNodeSession::Found RemoteNodeSession::findNode(const std::string& address, std::uint32_t scanMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(scanMs);
    std::shared_ptr<QORINetClientNode>& node = m_client->node;
    for (;;) {
        node = m_client->nodeAt(address);
        if (node && node->isConnectable() && !node->isTainted())
            return Found::Connectable;
        if (msUntil(deadline) == 0)
            return node ? Found::AnnouncedOnly : Found::None;
        m_client->waitForEvent(deadline);
    }
}

std::int32_t RemoteNodeSession::connect(std::uint32_t requestCeilingMs)
{
    m_link.reset();
    if (!m_client->node)
        return uni::osal::ERR_UNI_OSAL_ECONNECTION;
    m_link = std::make_unique<NodeLink>(m_client->node);
    return m_link->connect(requestCeilingMs);
}

std::unique_ptr<NodeLink> RemoteNodeSession::link(const std::string& address) const
{
    std::shared_ptr<QORINetClientNode> node = m_client->nodeAt(address);
    return node ? std::make_unique<NodeLink>(std::move(node)) : nullptr;
}

std::shared_ptr<QorinNodeUtilWrapper> RemoteNodeSession::maintenance()
{
    if (!m_client->node)
        return nullptr;
    auto commands = std::make_shared<QorinNodeUtilWrapper>(m_client->node);
    commands->setReady(true);
    return commands;
}

NetworkNodeRecord RemoteNodeSession::record(bool connected)
{
    if (m_link)
        return m_link->record(connected);
    NetworkNodeRecord record = RemoteSystemBuilder::recordOf(*m_client->node);
    record.connectionState = NetworkConnectionState::Announced; // seen, but no link
    return record;
}

QorinNodeUtilWrapper& RemoteNodeSession::wrapper()
{
    return m_link->wrapper();
}

std::size_t RemoteNodeSession::maxNodes()
{
    return qorinet_api::QORINetClient::kMaxNodes;
}

std::string RemoteNodeSession::allowedNetworks()
{
    return uni::AllowedNetworks::process().toString();
}

} // namespace z2e
