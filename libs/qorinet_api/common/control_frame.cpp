#include "qorinet_api/common/control_frame.h"

#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/common/payload_writer.h"

#include "uni/hash_sha3.h"
#include "uni/osal.h"
#include "uni/random.h"

#include <cstring>

namespace qorinet_api {

namespace {

// An EVP context per thread: frames are hashed on many threads, and creating one per frame
// costs more than hashing a small frame.
uni::HashSHA3& threadHasher()
{
    thread_local uni::HashSHA3 hasher;
    return hasher;
}

} // namespace

std::uint16_t ControlFrame::newFrameId()
{
    const std::uint32_t r = uni::Random::next();
    return static_cast<std::uint16_t>((r ^ (r >> 16)) & 0xFFFFu);
}

void ControlFrame::writeHeader(std::uint8_t* out, const FrameHeader& header)
{
    PayloadWriter::storeU16(out, header.id);
    PayloadWriter::storeU16(out + 2, header.command);
    PayloadWriter::storeU32(out + 4, header.length);
}

FrameHeader ControlFrame::readHeader(const std::uint8_t* in)
{
    FrameHeader header;
    header.id = PayloadReader::loadU16(in);
    header.command = PayloadReader::loadU16(in + 2);
    header.length = PayloadReader::loadU32(in + 4);
    return header;
}

bool ControlFrame::computeDigest(const std::uint8_t* data, std::size_t length, std::uint8_t* digest)
{
    uni::HashSHA3& hasher = threadHasher();
    if (hasher.init(256) != 0 || hasher.update(data, length) != 0 || hasher.finalise() != 0)
        return false;
    return hasher.writeDigest(digest, proto::kDigestSize) == static_cast<int>(proto::kDigestSize);
}

bool ControlFrame::checkDigest(const std::uint8_t* data, std::size_t length, const std::uint8_t* digest)
{
    uni::HashSHA3& hasher = threadHasher();
    if (hasher.init(256) != 0 || hasher.update(data, length) != 0 || hasher.finalise() != 0)
        return false;
    return hasher.compare(digest, proto::kDigestSize);
}

std::vector<std::uint8_t> ControlFrame::encode(std::uint16_t command, const void* payload, std::size_t length,
                                               std::uint16_t id)
{
    std::vector<std::uint8_t> frame(length + proto::kFrameOverhead);
    writeHeader(frame.data(), FrameHeader{id, command, static_cast<std::uint32_t>(length)});
    if (length > 0)
        std::memcpy(frame.data() + proto::kHeaderSize, payload, length);
    computeDigest(frame.data(), proto::kHeaderSize + length, frame.data() + proto::kHeaderSize + length);
    return frame;
}

std::vector<std::uint8_t> ControlFrame::encode(std::uint16_t command, const void* payload, std::size_t length)
{
    return encode(command, payload, length, newFrameId());
}

int ControlFrame::decode(const std::uint8_t* data, std::size_t size, FrameHeader& header, const std::uint8_t*& payload)
{
    if (!data || size < proto::kFrameOverhead)
        return uni::osal::SOCK_EFORMAT;
    header = readHeader(data);
    if (header.length > proto::kMaxPayload || size - proto::kFrameOverhead < header.length)
        return uni::osal::SOCK_EFORMAT;
    const std::size_t covered = proto::kHeaderSize + header.length;
    if (!checkDigest(data, covered, data + covered))
        return uni::osal::SOCK_ECHECKSUM;
    payload = data + proto::kHeaderSize;
    return static_cast<int>(covered + proto::kDigestSize);
}

} // namespace qorinet_api
