#pragma once
// Sends the frame held in a FrameBuffer: fills in header and digest around the payload and
// writes all N + 40 bytes at once.

#include "qorinet_api/common/frame_buffer.h"

#include <cstdint>

namespace uni {
class TCPSocket;
}

namespace qorinet_api {

class FrameWriter {
public:
    /// Completes the frame around buffer.size() payload bytes with command `command` and a
    /// fresh frame id, and sends it. N + 40, or the first negative socket result (-9 when the
    /// digest could not be computed).
    static int write(uni::TCPSocket& socket, FrameBuffer& buffer, std::uint16_t command);
    /// As above with the given frame id.
    static int write(uni::TCPSocket& socket, FrameBuffer& buffer, std::uint16_t command, std::uint16_t id);

    /// Completes the frame in `buffer` without sending it; false when hashing failed.
    static bool seal(FrameBuffer& buffer, std::uint16_t command, std::uint16_t id);
};

} // namespace qorinet_api
