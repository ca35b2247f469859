#pragma once
// One control connection of a node: reads requests, has them answered, and keeps the client
// waiting with heartbeats while an answer takes long. The fleet's loop thread calls beat()
// regularly; the session's own thread does everything else.

#include "node_command_handler.h"
#include "node_sim_options.h"

#include "qorinet_api/common/frame_buffer.h"

#include "uni/socket_set.h"
#include "uni/tcp_socket.h"
#include "uni/thread.h"
#include "uni/timer.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace nodesim {

class NodeBackend;
class SimNode;

class ControlSession : public uni::Thread {
public:
    ControlSession(SimNode& node, NodeBackend& backend, const NodeSimOptions& options,
                   std::unique_ptr<uni::TCPSocket> socket);
    ~ControlSession() override;

    /// Sends a heartbeat when a request has been running for a heartbeat period since the
    /// last one. Never sends after the answer went out.
    void beat();
    /// Closes the connection; the session thread then ends.
    void close();
    /// True once the session thread is done with the connection.
    bool ended() const { return m_ended.load(); }
    /// Since when (uni::Timer stamp) the session has waited for a request without a byte of
    /// it; 0 while it reads or serves one.
    std::uint64_t idleSinceUs() const;
    /// Closes the connection of an idle session to make room for another client. False when
    /// the session is not idle (a request that has begun is never cut short).
    bool dropIfIdle();

protected:
    void run() override;
    void onStop() override { close(); }

private:
    /// Waits for the first byte of the next request. False when the session is to end.
    bool awaitRequest();
    /// False when the session is to end.
    bool serve(std::uint16_t command, const std::uint8_t* payload, std::size_t size);
    bool answer(std::uint16_t command);
    void setBusy(std::uint16_t command);
    /// Sleeps `ms` or until the session is told to stop.
    void pause(std::uint32_t ms);

    SimNode& m_node;
    const NodeSimOptions& m_options;
    std::unique_ptr<uni::TCPSocket> m_socket;
    NodeCommandHandler m_handler;
    qorinet_api::FrameBuffer m_request;
    qorinet_api::FrameBuffer m_answer;
    qorinet_api::FrameBuffer m_heartbeat{0};
    std::atomic<bool> m_ended{false};
    uni::SocketSet m_waitSet;
    /// Idle stamp, 0 while busy, kDropped once dropIfIdle() took the session.
    std::atomic<std::uint64_t> m_idleSinceUs{0};
    std::uint64_t m_answeredUs = 0; ///< when the last answer was ready; the session's thread only

    std::mutex m_sendLock; ///< one frame at a time; guards the busy state below
    bool m_busy = false;
    std::uint16_t m_busyCommand = 0;
    uni::Timer m_sinceBeat;
};

} // namespace nodesim
