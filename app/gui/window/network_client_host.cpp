#include "gui/window/network_client_host.h"

#include "qorinet_api/client/qorinet_client.h"
#include "uni/event_queue.h"
#include "uni/log.h"

namespace z2e {
namespace {

const char* const kLogChannel = "gui";

} // namespace

NetworkClientHost::NetworkClientHost(NodeEventPump::Sink sink)
    : m_sink(std::move(sink))
{
}

NetworkClientHost::~NetworkClientHost()
{
    shutdown();
    std::lock_guard<std::mutex> lock(m_pendingLock);
    for (const NetworkNodeRecord* record : m_pending)
        delete record;
    m_pending.clear();
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

int NetworkClientHost::restart(const qorinet_api::QORINetClientConfig& config)
{
    shutdown();
    m_queue = std::make_unique<uni::EventQueue>();
    m_client = std::make_unique<qorinet_api::QORINetClient>(config);
    m_client->attachEventQueue(m_queue.get());
    const int started = m_client->startClient();
    if (started != 0)
        UNI_LOG(kLogChannel, uni::log::error) << "The network client did not start: " << started;

    NodeEventPump::Sink sink = m_sink;
    sink.added = [this](NetworkNodeRecord* record) { handOut(record); };
    m_pump = std::make_unique<NodeEventPump>(*m_queue, *m_client, std::move(sink));
    const int pumping = m_pump->start();
    if (pumping != 0)
        UNI_LOG(kLogChannel, uni::log::error) << "The node event pump did not start: " << pumping;
    return started;
}

void NetworkClientHost::handOut(NetworkNodeRecord* record)
{
    {
        std::lock_guard<std::mutex> lock(m_pendingLock);
        m_pending.insert(record);
    }
    if (m_sink.added) {
        m_sink.added(record);
        return;
    }
    claim(record);
    delete record;
}

void NetworkClientHost::claim(const NetworkNodeRecord* record)
{
    std::lock_guard<std::mutex> lock(m_pendingLock);
    m_pending.erase(record);
}

std::shared_ptr<qorinet_api::QORINetClientNode> NetworkClientHost::remoteNode(std::uint32_t id) const
{
    return m_client ? m_client->getRemoteNode(id) : nullptr;
}

std::uint32_t NetworkClientHost::scanIntervalMs() const
{
    return m_client ? m_client->scanTimeMs() : 0;
}

} // namespace z2e
