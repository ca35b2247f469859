#pragma once
// Encoding and checking of one frame: header fields, frame id, SHA3-256 digest. The same frame
// serves the control connection and the discovery datagrams.

#include "qorinet_api/common/qorinet_protocol.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qorinet_api {

/// The 8 header bytes, decoded.
struct FrameHeader {
    std::uint16_t id = 0;
    std::uint16_t command = 0;
    std::uint32_t length = 0; ///< payload length N
};

class ControlFrame {
public:
    /// Fresh frame id: low 16 bits of r XOR (r >> 16) of a new random r.
    static std::uint16_t newFrameId();

    /// Writes the 8 header bytes (little-endian) to `out`.
    static void writeHeader(std::uint8_t* out, const FrameHeader& header);
    static FrameHeader readHeader(const std::uint8_t* in);

    /// SHA3-256 over `length` bytes into `digest` (32 bytes). False when hashing failed.
    static bool computeDigest(const std::uint8_t* data, std::size_t length, std::uint8_t* digest);
    /// True when the 32 bytes at `digest` are the SHA3-256 of the `length` bytes at `data`.
    static bool checkDigest(const std::uint8_t* data, std::size_t length, const std::uint8_t* digest);

    /// A complete frame (header, payload, digest) with the given id.
    static std::vector<std::uint8_t> encode(std::uint16_t command, const void* payload, std::size_t length,
                                            std::uint16_t id);
    /// As above with a fresh id.
    static std::vector<std::uint8_t> encode(std::uint16_t command, const void* payload, std::size_t length);

    /// Decodes the frame at the start of `data`. Returns its total size N + 40 (there may be
    /// more bytes after it) with `header` and `payload` (pointing into `data`) set; -15 when
    /// fewer than N + 40 bytes are there or N exceeds 64 MiB; -19 on a digest mismatch.
    static int decode(const std::uint8_t* data, std::size_t size, FrameHeader& header, const std::uint8_t*& payload);
};

} // namespace qorinet_api
