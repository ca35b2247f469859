#include "qorinet_api/client/qorinet_data_frame.h"

#include "uni/hash_sha3.h"
#include "uni/osal.h"

#include <cstring>

namespace qorinet_api {

namespace {

std::uint32_t readU32(const std::uint8_t* in)
{
    return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
           static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

void writeU32(std::uint8_t* out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool digestOf(const std::uint8_t* header, const std::uint8_t* payload, std::size_t length, uni::HashSHA3& hash)
{
    return hash.init(256) == 0 && hash.update(header, DataFrameHeader::kSize) == 0 &&
           hash.update(payload, length) == 0 && hash.finalise() == 0;
}

} // namespace

int DataFrameHeader::read(const std::uint8_t* in, DataFrameHeader& out)
{
    if (in[0] != kSync || in[1] != kSync)
        return uni::osal::SOCK_EFORMAT;
    out.flags = in[2];
    out.blockType = in[3];
    out.field = readU32(in + 4);
    out.length = readU32(in + 8);
    return out.length > kMaxPayload ? uni::osal::SOCK_EFORMAT : 0;
}

void DataFrameHeader::write(std::uint8_t* out) const
{
    out[0] = kSync;
    out[1] = kSync;
    out[2] = flags;
    out[3] = blockType;
    writeU32(out + 4, field);
    writeU32(out + 8, length);
}

std::vector<std::uint8_t> encodeDataFrame(std::uint8_t blockType, std::uint32_t field, const void* payload,
                                          std::size_t length, bool digest)
{
    DataFrameHeader header;
    header.flags = digest ? DataFrameHeader::kDigestFlag : 0;
    header.blockType = blockType;
    header.field = field;
    header.length = static_cast<std::uint32_t>(length);
    std::vector<std::uint8_t> frame(DataFrameHeader::kSize + length + (digest ? DataFrameHeader::kDigestSize : 0));
    header.write(frame.data());
    if (length > 0)
        std::memcpy(frame.data() + DataFrameHeader::kSize, payload, length);
    if (digest) {
        uni::HashSHA3 hash;
        if (digestOf(frame.data(), frame.data() + DataFrameHeader::kSize, length, hash))
            hash.writeDigest(frame.data() + DataFrameHeader::kSize + length, DataFrameHeader::kDigestSize);
    }
    return frame;
}

int checkDataFrameDigest(const std::uint8_t* header, const std::uint8_t* payload, std::size_t length,
                         const std::uint8_t* digest)
{
    uni::HashSHA3 hash;
    if (!digestOf(header, payload, length, hash) || !hash.compare(digest, DataFrameHeader::kDigestSize))
        return uni::osal::SOCK_ECHECKSUM;
    return 0;
}

} // namespace qorinet_api
