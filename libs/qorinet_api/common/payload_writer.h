#pragma once
// Appends little-endian fields to the payload of a FrameBuffer, growing it as needed.

#include "qorinet_api/common/frame_buffer.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace qorinet_api {

class PayloadWriter {
public:
    /// Starts an empty payload in `buffer`.
    explicit PayloadWriter(FrameBuffer& buffer);

    PayloadWriter& u8(std::uint8_t value);
    PayloadWriter& u16(std::uint16_t value);
    PayloadWriter& u32(std::uint32_t value);
    PayloadWriter& i32(std::int32_t value) { return u32(static_cast<std::uint32_t>(value)); }
    PayloadWriter& u64(std::uint64_t value);
    PayloadWriter& i64(std::int64_t value) { return u64(static_cast<std::uint64_t>(value)); }
    PayloadWriter& bytes(const void* data, std::size_t length);
    PayloadWriter& zeros(std::size_t count);
    /// u32 length L, then the L bytes of `text`.
    PayloadWriter& text(const std::string& text);
    /// A document request: u32 0, u32 length L, then the L bytes of `xml`.
    PayloadWriter& document(const std::string& xml);
    /// Zero bytes up to a payload length of `size` (nothing when already that long).
    PayloadWriter& padTo(std::size_t size);

    /// Payload length written so far.
    std::size_t size() const { return m_buffer.size(); }
    /// False once a field did not fit under the 64 MiB payload limit; later fields are dropped.
    bool ok() const { return m_ok; }

    static void storeU16(std::uint8_t* out, std::uint16_t value);
    static void storeU32(std::uint8_t* out, std::uint32_t value);
    static void storeU64(std::uint8_t* out, std::uint64_t value);

private:
    /// Room for `count` more bytes; null when it cannot be made.
    std::uint8_t* append(std::size_t count);

    FrameBuffer& m_buffer;
    bool m_ok = true;
};

} // namespace qorinet_api
