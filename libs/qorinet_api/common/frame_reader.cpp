#include "qorinet_api/common/frame_reader.h"

#include "qorinet_api/common/frame_read_ahead.h"
#include "qorinet_api/common/receive_deadline.h"
#include "uni/osal.h"
#include "uni/tcp_socket.h"

#include <algorithm>

namespace qorinet_api {

namespace {

int fail(uni::TCPSocket& socket, FrameReadAhead* ahead, int result)
{
    socket.close();
    if (ahead)
        ahead->clear();
    return result;
}

// A receive result that is not the full count: the socket's error, or -15 for a short read.
int shortRead(uni::TCPSocket& socket, FrameReadAhead* ahead, int received)
{
    return fail(socket, ahead, received < 0 ? received : uni::osal::SOCK_EFORMAT);
}

} // namespace

int FrameReader::read(uni::TCPSocket& socket, FrameBuffer& buffer, FrameHeader& header)
{
    return read(socket, buffer, header, nullptr);
}

int FrameReader::read(uni::TCPSocket& socket, FrameBuffer& buffer, FrameHeader& header, FrameReadAhead* ahead)
{
    using proto::kDigestSize;
    using proto::kHeaderSize;
    std::size_t got = 0;
    if (ahead && !ahead->empty()) {
        got = ahead->take(buffer.frame(), kHeaderSize);
    } else {
        // One partial read first: a time-out that consumed nothing leaves the stream usable.
        // With somewhere to keep what runs over, it asks for a whole buffer of the usual size
        // (never more, whatever a large request made of it): a small frame then costs one
        // system call, and no more than that is ever held.
        const std::size_t ask =
            ahead ? std::min(buffer.capacity(), proto::kBufferSize) + proto::kFrameOverhead : kHeaderSize;
        const int first = socket.receive(buffer.frame(), ask, true);
        if (first == uni::osal::SOCK_ETIMEOUT)
            return first;
        if (first <= 0)
            return shortRead(socket, ahead, first);
        got = static_cast<std::size_t>(first);
    }
    // From its first byte on, the whole frame must arrive within one receive time-out: a
    // peer that trickles bytes must not hold the reader forever.
    ReceiveDeadline deadline(socket, socket.receiveTimeout());
    auto receiveAll = [&deadline, ahead](std::uint8_t* to, std::size_t length) {
        const std::size_t held = ahead ? ahead->take(to, length) : 0;
        if (held == length)
            return static_cast<int>(length);
        const int more = deadline.receive(to + held, length - held);
        return more == static_cast<int>(length - held) ? static_cast<int>(length) : more;
    };
    if (got < kHeaderSize) {
        const std::size_t rest = kHeaderSize - got;
        const int more = receiveAll(buffer.frame() + got, rest);
        if (more != static_cast<int>(rest))
            return shortRead(socket, ahead, more);
        got = kHeaderSize;
    }
    header = ControlFrame::readHeader(buffer.frame());
    if (header.length > proto::kMaxPayload)
        return fail(socket, ahead, uni::osal::SOCK_EFORMAT);
    // Payload and digest lie back to back in the buffer, so one read takes both when they fit.
    // A larger payload grows the buffer step by step as its bytes arrive: a header alone
    // cannot make the reader allocate 64 MiB.
    const std::size_t body = header.length + kDigestSize;
    std::size_t have = got - kHeaderSize;
    if (have > body) {
        if (!ahead->keep(buffer.payload() + body, have - body))
            return fail(socket, ahead, uni::osal::SOCK_EFORMAT);
        have = body;
    }
    while (have < body) {
        std::size_t room = buffer.capacity() + kDigestSize;
        if (have == room) {
            const std::size_t grown =
                std::min<std::size_t>(header.length, std::max<std::size_t>(2 * buffer.capacity(), 4096));
            if (!buffer.reserve(grown))
                return fail(socket, ahead, uni::osal::SOCK_EFORMAT);
            room = buffer.capacity() + kDigestSize;
        }
        const std::size_t want = std::min(body, room) - have;
        const int more = receiveAll(buffer.payload() + have, want);
        if (more != static_cast<int>(want))
            return shortRead(socket, ahead, more);
        have += want;
    }
    const std::size_t covered = kHeaderSize + header.length;
    if (!ControlFrame::checkDigest(buffer.frame(), covered, buffer.frame() + covered))
        return fail(socket, ahead, uni::osal::SOCK_ECHECKSUM);
    buffer.setSize(header.length);
    return static_cast<int>(covered + kDigestSize);
}

} // namespace qorinet_api
