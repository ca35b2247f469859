#include "qorinet_api/common/frame_writer.h"

#include "qorinet_api/common/control_frame.h"

#include "uni/osal.h"
#include "uni/tcp_socket.h"

namespace qorinet_api {

bool FrameWriter::seal(FrameBuffer& buffer, std::uint16_t command, std::uint16_t id)
{
    const std::uint32_t length = static_cast<std::uint32_t>(buffer.size());
    ControlFrame::writeHeader(buffer.frame(), FrameHeader{id, command, length});
    const std::size_t covered = proto::kHeaderSize + length;
    return ControlFrame::computeDigest(buffer.frame(), covered, buffer.frame() + covered);
}

int FrameWriter::write(uni::TCPSocket& socket, FrameBuffer& buffer, std::uint16_t command)
{
    return write(socket, buffer, command, ControlFrame::newFrameId());
}

int FrameWriter::write(uni::TCPSocket& socket, FrameBuffer& buffer, std::uint16_t command, std::uint16_t id)
{
    if (!seal(buffer, command, id))
        return uni::osal::SOCK_ERECV;
    const std::size_t total = buffer.size() + proto::kFrameOverhead;
    const int sent = socket.send(buffer.frame(), total);
    if (sent < 0 || sent == static_cast<int>(total))
        return sent;
    return uni::osal::SOCK_ERECV; // cut off mid-frame: the stream is unusable
}

} // namespace qorinet_api
