#include "core/node_event_pump.h"

#include "core/remote_system_builder.h"

#include "qorinet_api/client/qorinet_client.h"
#include "qorinet_api/client/qorinet_events.h"
#include "uni/event_queue.h"
#include "uni/log.h"

#include <cstring>
#include <memory>

namespace z2e {
namespace {

const char* const kLogChannel = "gui";

bool nodeIdOf(const std::vector<std::uint8_t>& data, std::uint32_t& id)
{
    if (data.size() < sizeof id)
        return false;
    std::memcpy(&id, data.data(), sizeof id);
    return true;
}

} // namespace

const char* const NodeEventPump::kThreadName = "ZAMO2Explorer";

NodeEventPump::NodeEventPump(uni::EventQueue& queue, const qorinet_api::QORINetClient& client, Sink sink)
    : uni::Thread(kThreadName), m_queue(queue), m_client(client), m_sink(std::move(sink))
{
}

NodeEventPump::~NodeEventPump()
{
    stop();
}

void NodeEventPump::run()
{
    std::uint32_t code = 0;
    std::vector<std::uint8_t> data;
    while (!stopRequested()) {
        if (m_queue.pop(code, data) != 0) {
            UNI_LOG(kLogChannel, uni::log::warning) << "Event pump: waiting on the node events failed";
            return;
        }
        if (stopRequested())
            return;
        dispatch(code, data);
    }
}

void NodeEventPump::onStop()
{
    // The wait has no time-out: an empty event wakes it, and the loop then sees the stop.
    m_queue.push(qorinet_api::EVENT_GOV_NODE_NOP);
}

void NodeEventPump::dispatch(std::uint32_t code, const std::vector<std::uint8_t>& data)
{
    std::uint32_t id = 0;
    if (!nodeIdOf(data, id))
        return;
    switch (code) {
    case qorinet_api::EVENT_GOV_NODE_ADDED:
    case qorinet_api::EVENT_GOV_NODE_DISCOVERED: {
        // The local system has an entry of its own; only network nodes get one here.
        const std::shared_ptr<qorinet_api::QORINetClientNode> node = m_client.getRemoteNode(id);
        if (node && m_sink.added)
            m_sink.added(RemoteSystemBuilder::recordOf(*node));
        return;
    }
    case qorinet_api::EVENT_GOV_NODE_REMOVED:
    case qorinet_api::EVENT_GOV_NODE_TAINTED:
        if (m_sink.removed)
            m_sink.removed(id);
        return;
    case qorinet_api::EVENT_GOV_NODE_SYNC_CHANGED: {
        const std::shared_ptr<qorinet_api::QORINetIfClientNode> node = m_client.getNode(id);
        if (node && m_sink.syncChanged)
            m_sink.syncChanged(id, node->getSyncState());
        return;
    }
    default: return;
    }
}

} // namespace z2e
