#include "qorinet_api/common/frame_reader.h"

#include "qorinet_api/common/receive_deadline.h"
#include "uni/osal.h"
#include "uni/tcp_socket.h"

#include <algorithm>

namespace qorinet_api {

namespace {

int fail(uni::TCPSocket& socket, int result)
{
    socket.close();
    return result;
}

// A receive result that is not the full count: the socket's error, or -15 for a short read.
int shortRead(uni::TCPSocket& socket, int received)
{
    return fail(socket, received < 0 ? received : uni::osal::SOCK_EFORMAT);
}

} // namespace

int FrameReader::read(uni::TCPSocket& socket, FrameBuffer& buffer, FrameHeader& header)
{
    using proto::kDigestSize;
    using proto::kHeaderSize;

    // One partial read first: a time-out that consumed nothing leaves the stream usable.
    int got = socket.receive(buffer.frame(), kHeaderSize, true);
    if (got == uni::osal::SOCK_ETIMEOUT)
        return got;
    if (got <= 0)
        return shortRead(socket, got);

    // From its first byte on, the whole frame must arrive within one receive time-out: a
    // peer that trickles bytes must not hold the reader forever.
    ReceiveDeadline deadline(socket, socket.receiveTimeout());
    auto receiveAll = [&deadline](std::uint8_t* to, std::size_t length) { return deadline.receive(to, length); };

    if (static_cast<std::size_t>(got) < kHeaderSize) {
        const std::size_t rest = kHeaderSize - static_cast<std::size_t>(got);
        const int more = receiveAll(buffer.frame() + got, rest);
        if (more != static_cast<int>(rest))
            return shortRead(socket, more);
    }

    header = ControlFrame::readHeader(buffer.frame());
    if (header.length > proto::kMaxPayload)
        return fail(socket, uni::osal::SOCK_EFORMAT);

    // Payload and digest lie back to back in the buffer, so one read takes both when they fit.
    // A larger payload grows the buffer step by step as its bytes arrive: a header alone
    // cannot make the reader allocate 64 MiB.
    const std::size_t body = header.length + kDigestSize;
    std::size_t have = 0;
    while (have < body) {
        std::size_t room = buffer.capacity() + kDigestSize;
        if (have == room) {
            const std::size_t grown =
                std::min<std::size_t>(header.length, std::max<std::size_t>(2 * buffer.capacity(), 4096));
            if (!buffer.reserve(grown))
                return fail(socket, uni::osal::SOCK_EFORMAT);
            room = buffer.capacity() + kDigestSize;
        }
        const std::size_t want = std::min(body, room) - have;
        got = receiveAll(buffer.payload() + have, want);
        if (got != static_cast<int>(want))
            return shortRead(socket, got);
        have += want;
    }

    const std::size_t covered = kHeaderSize + header.length;
    if (!ControlFrame::checkDigest(buffer.frame(), covered, buffer.frame() + covered))
        return fail(socket, uni::osal::SOCK_ECHECKSUM);
    buffer.setSize(header.length);
    return static_cast<int>(covered + kDigestSize);
}

} // namespace qorinet_api
