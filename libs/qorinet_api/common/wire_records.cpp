#include "qorinet_api/common/wire_records.h"

#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/common/payload_writer.h"

#include <algorithm>
#include <cstring>

namespace qorinet_api {

void WireRecords::encodeCan(const ZaMoCanFrame& frame, std::uint8_t* out)
{
    std::memset(out, 0, proto::kCanRecordSize);
    out[0] = frame.channel;
    PayloadWriter::storeU32(out + 4, frame.id);
    PayloadWriter::storeU32(out + 8,
                            static_cast<std::uint32_t>(frame.dlc) | (static_cast<std::uint32_t>(frame.flags) << 8));
    std::memcpy(out + 12, frame.data, sizeof frame.data);
    PayloadWriter::storeU32(out + 20, static_cast<std::uint32_t>(frame.timestampUs));
    PayloadWriter::storeU32(out + 24, static_cast<std::uint32_t>(frame.timestampUs >> 32));
}

ZaMoCanFrame WireRecords::decodeCan(const std::uint8_t* in)
{
    ZaMoCanFrame frame{};
    frame.channel = in[0];
    frame.id = PayloadReader::loadU32(in + 4);
    const std::uint32_t word = PayloadReader::loadU32(in + 8);
    frame.dlc = static_cast<std::uint8_t>(std::min<std::uint32_t>(word & 0xFFu, 8u));
    frame.flags = static_cast<std::uint8_t>(word >> 8);
    std::memcpy(frame.data, in + 12, sizeof frame.data);
    frame.timestampUs = static_cast<std::uint64_t>(PayloadReader::loadU32(in + 20)) |
                        (static_cast<std::uint64_t>(PayloadReader::loadU32(in + 24)) << 32);
    return frame;
}

void WireRecords::encodeUart(const std::uint8_t* bytes, std::size_t count, std::uint8_t* out)
{
    for (std::size_t done = 0; done < count; done += proto::kUartRecordDataBytes) {
        const std::size_t chunk = std::min(proto::kUartRecordDataBytes, count - done);
        std::memset(out, 0, proto::kUartRecordSize);
        PayloadWriter::storeU32(out, static_cast<std::uint32_t>(chunk));
        std::memcpy(out + 8, bytes + done, chunk);
        out += proto::kUartRecordSize;
    }
}

bool WireRecords::decodeUart(const std::uint8_t* in, std::size_t records, std::vector<std::uint8_t>& bytes)
{
    for (std::size_t i = 0; i < records; ++i, in += proto::kUartRecordSize) {
        const std::uint32_t chunk = PayloadReader::loadU32(in);
        if (chunk == 0 || chunk > proto::kUartRecordDataBytes)
            return false;
        bytes.insert(bytes.end(), in + 8, in + 8 + chunk);
    }
    return true;
}

} // namespace qorinet_api
