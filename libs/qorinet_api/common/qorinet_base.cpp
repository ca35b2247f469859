#include "qorinet_api/common/qorinet_base.h"

#include "qorinet_api/common/frame_reader.h"
#include "qorinet_api/common/frame_writer.h"

namespace qorinet_api {

int QORINetBase::sendFrame(uni::TCPSocket& socket, FrameBuffer& buffer, std::uint16_t command)
{
    return FrameWriter::write(socket, buffer, command);
}

int QORINetBase::receiveFrame(uni::TCPSocket& socket, FrameBuffer& buffer, FrameHeader& header, FrameReadAhead& ahead)
{
    return FrameReader::read(socket, buffer, header, &ahead);
}

} // namespace qorinet_api
