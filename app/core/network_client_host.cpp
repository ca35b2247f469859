#include "core/network_client_host.h"

#include "core/remembered_nodes.h"

#include "qorinet_api/client/qorinet_client.h"
#include "qorinet_api/client/qorinet_client_config.h"
#include "qorinet_api/client/qorinet_client_node.h"
#include "uni/event_queue.h"
#include "uni/log.h"
#include "uni/port_holder.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace z2e {
namespace {

const char* const kLogChannel = "gui";

} // namespace

NetworkClientHost::NetworkClientHost(NodeEventPump::Sink sink) : m_sink(std::move(sink)) {}

NetworkClientHost::~NetworkClientHost()
{
    shutdown();
}

qorinet_api::QORINetClientConfig NetworkClientHost::clientConfig(const NetworkClientSettings& settings)
{
    using Config = qorinet_api::QORINetClientConfig;
    Config config;
    config.basePort = settings.tuning.basePort;
    if (settings.tuning.scanIntervalMs != 0) {
        config.scanIntervalMs = settings.tuning.scanIntervalMs;
        config.scanWindowMs = std::min(config.scanWindowMs, settings.tuning.scanIntervalMs / 2);
    }
    config.localNodeMask = 0;
    config.directNodes = RememberedNodes().addresses();
    switch (settings.networks) {
    case NetworkClientSettings::Networks::AllInterfaces: config.mode = Config::MODE_ALL_INTERFACES; break;
    case NetworkClientSettings::Networks::Off:
        config.mode = Config::MODE_ADDRESS_LIST;
        config.nodeKindMask = 0;
        break;
    case NetworkClientSettings::Networks::OneAddress: {
        config.mode = Config::MODE_ADDRESS_LIST;
        const auto pair = uni::ipv4::IpAddressPair::fromText(settings.address, settings.mask);
        if (pair)
            config.localAddresses.push_back(*pair);
        break;
    }
    }
    return config;
}

void NetworkClientHost::shutdown()
{
    if (m_pump)
        m_pump->stop();
    m_pump.reset();
    if (m_client)
        m_client->stopClient();
    m_client.reset();
    m_queue.reset();
}

int NetworkClientHost::restart(const NetworkClientSettings& settings)
{
    shutdown();
    m_queue = std::make_unique<uni::EventQueue>();
    m_client = std::make_unique<qorinet_api::QORINetClient>(clientConfig(settings));
    m_client->attachEventQueue(m_queue.get());
    const int started = m_client->startClient();
    if (started != 0)
        UNI_LOG(kLogChannel, uni::log::error) << "The network client did not start: " << started;

    m_pump = std::make_unique<NodeEventPump>(*m_queue, *m_client, m_sink);
    const int pumping = m_pump->start();
    if (pumping != 0)
        UNI_LOG(kLogChannel, uni::log::error) << "The node event pump did not start: " << pumping;
    return started;
}

std::string NetworkClientHost::listenFailure() const
{
    if (!m_client || !m_client->listenFailed())
        return {};
    const std::uint16_t port = m_client->identPort();
    const std::string holder = uni::PortHolder::describeUdpPort(port);
    return "No network node can be found: UDP port " + std::to_string(port) + ", where the nodes answer, is taken by " +
           (holder.empty() ? "another program" : holder) +
           ". Close that program (one program on this computer looks for nodes at a time), then "
           "choose Net Settings and OK to look again.";
}

bool NetworkClientHost::listening() const
{
    return m_client && m_client->discoveryRunning();
}

bool NetworkClientHost::waitUntilFree(std::uint32_t id, int timeoutMs) const
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto node = remoteNode(id);
        if (!node)
            return false;
        if (node->scanState() == qorinet_api::QORINetClientNode::kScanFree)
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void NetworkClientHost::disconnectNode(std::uint32_t id) const
{
    if (const auto node = remoteNode(id))
        node->disconnect();
}

std::shared_ptr<qorinet_api::QORINetClientNode> NetworkClientHost::remoteNode(std::uint32_t id) const
{
    return m_client ? m_client->getRemoteNode(id) : nullptr;
}

std::optional<std::uint32_t> NetworkClientHost::syncStateOf(const NetworkNodeRecord& record) const
{
    const std::shared_ptr<qorinet_api::QORINetClientNode> node = remoteNode(record.nodeId);
    if (!node || node->getAddress() != record.address)
        return std::nullopt;
    return node->getSyncState();
}

void NetworkClientHost::askDirectly(const std::vector<std::string>& addresses) const
{
    if (m_client)
        m_client->setDirectNodes(addresses);
}

std::vector<NodeAddressCheck::LocalNetwork> NetworkClientHost::localNetworks() const
{
    return m_client ? NodeAddressCheck::named(m_client->ipConfigAddresses())
                    : std::vector<NodeAddressCheck::LocalNetwork>{};
}

std::uint32_t NetworkClientHost::scanIntervalMs() const
{
    return m_client ? m_client->scanTimeMs() : 0;
}

} // namespace z2e
