#pragma once
// Socket and packet basics shared by the remote node (control connection) and the discovery
// machinery: sending and receiving control frames through one growable buffer. Discovery
// datagrams are built and checked by DiscoveryPacket.

#include "qorinet_api/common/control_frame.h"
#include "qorinet_api/common/frame_buffer.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include <cstddef>
#include <cstdint>

namespace uni {
class TCPSocket;
}

namespace qorinet_api {

class FrameReadAhead;

class QORINetBase {
public:
    virtual ~QORINetBase() = default;

    /// Baseline size of request and receive buffers (8192).
    virtual std::size_t getBufferSize() const { return proto::kBufferSize; }

    /// Sends the payload held in `buffer` as one frame; N + 40 or a negative socket result.
    static int sendFrame(uni::TCPSocket& socket, FrameBuffer& buffer, std::uint16_t command);
    /// Receives one frame into `buffer`, reading ahead into `ahead` (see FrameReader::read):
    /// N + 40, or -15 / -19 / a negative socket result, the socket closed and `ahead` emptied
    /// on every failure but an idle time-out.
    static int receiveFrame(uni::TCPSocket& socket, FrameBuffer& buffer, FrameHeader& header, FrameReadAhead& ahead);
};

} // namespace qorinet_api
