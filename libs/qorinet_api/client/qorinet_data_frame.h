#pragma once
// Frames of a node's data connection: a 12-byte header (0xAA 0xAA, flags, block type, u32
// field, u32 payload length, little-endian), the payload, and a SHA3-256 digest over header and
// payload when bit 7 of the flags says so. The block layouts are in docs/qorinet-data-client.md.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qorinet_api {

struct DataFrameHeader {
    static constexpr std::size_t kSize = 12;
    static constexpr std::uint8_t kSync = 0xAA;
    static constexpr std::uint8_t kDigestFlag = 0x80;
    static constexpr std::size_t kDigestSize = 32;
    /// A payload above this is a format error and ends the connection.
    static constexpr std::uint32_t kMaxPayload = 64u * 1024u * 1024u;

    std::uint8_t flags = 0;
    std::uint8_t blockType = 0;
    std::uint32_t field = 0;
    std::uint32_t length = 0;

    bool hasDigest() const { return (flags & kDigestFlag) != 0; }

    /// Decodes 12 bytes. -15 for a wrong sync pattern or a payload above the limit, else 0.
    static int read(const std::uint8_t* in, DataFrameHeader& out);
    void write(std::uint8_t* out) const;
};

/// Block types of the data connection.
enum DataBlockType : std::uint8_t {
    DATA_BLOCK_KEEPALIVE = 0,
    DATA_BLOCK_CAN = 1,
    DATA_BLOCK_UART = 2,
    DATA_BLOCK_MEASUREMENT = 3,
    /// Entries the node itself had to drop for the board since its last such block: u8 bus
    /// (1 CAN frames, 2 UART bytes), 7 reserved, u64 count.
    DATA_BLOCK_LOST = 4,
};

constexpr std::size_t kDataLostRecordSize = 16;
constexpr std::uint8_t kDataLostCan = 1;
constexpr std::uint8_t kDataLostUart = 2;

/// One UART record's fixed part: u64 time stamp, u8 channel, 3 reserved, u32 length.
constexpr std::size_t kDataUartRecordHeader = 16;
/// One CAN record: the driver's frame layout, little-endian.
constexpr std::size_t kDataCanRecordSize = 24;

/// A complete frame (header, payload and, with `digest`, the trailing digest).
std::vector<std::uint8_t> encodeDataFrame(std::uint8_t blockType, std::uint32_t field, const void* payload,
                                          std::size_t length, bool digest);

/// -19 unless the 32 bytes at `digest` are the SHA3-256 of `header` (12 bytes) and `payload`.
int checkDataFrameDigest(const std::uint8_t* header, const std::uint8_t* payload, std::size_t length,
                         const std::uint8_t* digest);

} // namespace qorinet_api
