#pragma once
// Fixed-size records of the WriteCAN and WriteDmaUart requests and their mapping to the
// driver's types.
//
// CAN record (44 bytes): byte 0 channel; u32 at 4 identifier; u32 at 8 dlc | flags << 8;
// data bytes at 12..19; u32 at 20 and 24 the low and high half of the time stamp; the rest zero.
// UART record (16 bytes): u32 at 0 valid data bytes (1..8); byte 4 channel (0: the write
// carries a plain byte stream); bytes 5..7 zero; up to 8 data bytes at 8..15, zero-padded.

#include "qorinet_api/common/qorinet_protocol.h"

#include "zmpxi_api.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qorinet_api {

class WireRecords {
public:
    /// Writes the 44-byte record of `frame` to `out`.
    static void encodeCan(const ZaMoCanFrame& frame, std::uint8_t* out);
    /// Reads a 44-byte record; the dlc is clamped to 8.
    static ZaMoCanFrame decodeCan(const std::uint8_t* in);

    /// Number of 16-byte records that carry `count` bytes.
    static std::size_t uartRecordCount(std::size_t count)
    {
        return (count + proto::kUartRecordDataBytes - 1) / proto::kUartRecordDataBytes;
    }
    /// Writes the records of `count` bytes to `out` (uartRecordCount(count) * 16 bytes).
    static void encodeUart(const std::uint8_t* bytes, std::size_t count, std::uint8_t* out);
    /// Appends the data bytes of `records` 16-byte records to `bytes`. False (nothing appended
    /// from the bad record on) when a record claims 0 or more than 8 bytes.
    static bool decodeUart(const std::uint8_t* in, std::size_t records, std::vector<std::uint8_t>& bytes);
};

} // namespace qorinet_api
