#pragma once
// The window's event pump: a thread named "ZAMO2Explorer" that waits on the network client's
// event queue and turns node events into calls of its sink. The sink runs on the pump thread;
// the window's sink only emits queued signals, so nothing of the GUI is touched here.

#include "core/network_node_record.h"

#include "uni/thread.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace qorinet_api {
class QORINetClient;
}
namespace uni {
class EventQueue;
}

namespace z2e {

class NodeEventPump : public uni::Thread {
public:
    static const char* const kThreadName; ///< "ZAMO2Explorer"

    /// Where the events go.
    struct Sink {
        std::function<void(NetworkNodeRecord record)> added;
        std::function<void(std::uint32_t id)> removed;
        std::function<void(std::uint32_t id, std::uint32_t syncState)> syncChanged;
    };

    /// Reads `queue` and looks nodes up in `client`; both must outlive the running thread.
    NodeEventPump(uni::EventQueue& queue, const qorinet_api::QORINetClient& client, Sink sink);
    ~NodeEventPump() override;

    /// One event as the thread handles it: added and discovered bring a record of a network node
    /// still in the client, removed and tainted the id, sync changed the node's current state.
    /// Other codes, short payloads and nodes already gone are ignored.
    void dispatch(std::uint32_t code, const std::vector<std::uint8_t>& data);

protected:
    void run() override;
    void onStop() override;

private:
    uni::EventQueue& m_queue;
    const qorinet_api::QORINetClient& m_client;
    Sink m_sink;
};

} // namespace z2e
