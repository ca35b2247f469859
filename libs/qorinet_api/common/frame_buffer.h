#pragma once
// The growable byte buffer of one request: room for the 8 header bytes, the payload and the
// 32 digest bytes in one piece, so that a frame goes out in a single write and the digest is
// computed over contiguous memory. Used for the outgoing payload and overwritten by the answer.

#include "qorinet_api/common/qorinet_protocol.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qorinet_api {

class FrameBuffer {
public:
    /// `baseline` is the payload capacity the buffer starts with and returns to on reset().
    explicit FrameBuffer(std::size_t baseline = proto::kBufferSize);

    /// Start of the frame (header bytes).
    std::uint8_t* frame() { return m_bytes.data(); }
    const std::uint8_t* frame() const { return m_bytes.data(); }
    /// Start of the payload (frame() + 8).
    std::uint8_t* payload() { return m_bytes.data() + proto::kHeaderSize; }
    const std::uint8_t* payload() const { return m_bytes.data() + proto::kHeaderSize; }

    /// Payload bytes the buffer holds without growing.
    std::size_t capacity() const { return m_bytes.size() - proto::kFrameOverhead; }
    std::size_t baseline() const { return m_baseline; }

    /// Payload length of the frame in the buffer (set by the writer or the reader).
    std::size_t size() const { return m_size; }
    /// Sets the payload length; false (nothing changed) when it exceeds the capacity.
    bool setSize(std::size_t size);

    /// Grows the payload capacity to at least `size`, keeping the content. False (and
    /// unchanged) above the 64 MiB payload limit or when memory runs out.
    bool reserve(std::size_t size);
    /// Back to the baseline capacity when it differs; drops the content.
    void reset();

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_baseline;
    std::size_t m_size = 0;
};

} // namespace qorinet_api
