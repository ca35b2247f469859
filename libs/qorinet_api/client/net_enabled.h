#pragma once
// The discovery loop proper: waits on the IDENT socket, hands valid datagrams to the client's
// packet handler and keeps the scan rhythm. Datagrams that come while one is handled are taken
// out of the socket before the next is handled, so that a burst of answers does not have to
// fit in the socket's buffer.

#include "qorinet_api/client/datagram_queue.h"
#include "qorinet_api/client/if_client_main_loop.h"

#include "uni/socket_set.h"
#include "uni/timer.h"
#include "uni/udp_socket.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qorinet_api {

class QORINetBaseClient;

class NetEnabled : public IfClientMainLoop {
public:
    explicit NetEnabled(QORINetBaseClient& client);
    ~NetEnabled() override;

    void initialise() override;
    /// Opens the IDENT socket on 0.0.0.0, port P + 2 (or a port of its own).
    bool open() override;
    void begin() override;
    void step() override;
    void close() override;

private:
    /// Moves the datagrams waiting in the socket to the queue.
    void takeWaiting();
    /// Handles the datagrams waiting in the socket straight from it, a batch at most.
    void handleWaiting();
    /// Handles the oldest queued datagram.
    void handleNext();
    void handle(const std::uint8_t* bytes, std::size_t size, const std::string& sender);

    QORINetBaseClient& m_client;
    uni::UDPSocket m_ident;
    uni::SocketSet m_set;
    uni::Timer m_sinceScan;
    bool m_firstScanDue = true;
    bool m_scanRunning = false;
    /// The socket got the receive buffer asked for: it holds a scan's answers itself, and the
    /// queue is not needed.
    bool m_bufferAsAsked = false;
    std::vector<std::uint8_t> m_buffer;
    DatagramQueue m_queue;
    // Kept from datagram to datagram, so that their storage is reused.
    std::string m_sender;
    std::string m_xml;
};

} // namespace qorinet_api
