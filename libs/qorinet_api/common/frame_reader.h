#pragma once
// Reads one frame from a TCP stream into a FrameBuffer, with every length bounded.

#include "qorinet_api/common/control_frame.h"
#include "qorinet_api/common/frame_buffer.h"

namespace uni {
class TCPSocket;
}

namespace qorinet_api {

class FrameReadAhead;

class FrameReader {
public:
    /// Reads header, payload and digest into `buffer` (growing it, as the bytes arrive, for a
    /// payload above its capacity) and checks the digest. Returns N + 40 with `header` set and buffer.size() = N.
    /// Failures: a socket error as the socket gives it; -15 for a short frame (peer closed
    /// early) or a payload above 64 MiB; -19 for a digest mismatch. Every failure closes the
    /// socket, except a time-out (-8) before the first byte of the frame, which leaves the
    /// stream intact for another try. On a socket with a receive time-out the rest of the
    /// frame must follow its first byte within that time-out (else -8, socket closed).
    static int read(uni::TCPSocket& socket, FrameBuffer& buffer, FrameHeader& header);
    /// The same, reading ahead: held bytes of `ahead` come first; a frame that starts with
    /// none held is asked for in one receive of a whole buffer, and the bytes past its end
    /// are held for the next call. The stream must be read through `ahead` from then on;
    /// every failure clears it.
    static int read(uni::TCPSocket& socket, FrameBuffer& buffer, FrameHeader& header, FrameReadAhead* ahead);
};

} // namespace qorinet_api
