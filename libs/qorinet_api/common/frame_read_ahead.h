#pragma once
// Bytes of a stream received past the frame they came with. A frame's first receive asks for
// as much as its buffer holds, so a small answer arrives in one system call; whatever came of
// the frames behind it is kept here, in order, for the reads after.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qorinet_api {

class FrameReadAhead {
public:
    bool empty() const { return m_start == m_bytes.size(); }
    std::size_t size() const { return m_bytes.size() - m_start; }
    /// Moves up to `length` of the bytes held, oldest first, to `to`; the count moved.
    std::size_t take(std::uint8_t* to, std::size_t length);
    /// Holds `length` bytes from `from`; only when nothing is held (never more than one
    /// receive's worth). False, nothing held, when memory runs out.
    bool keep(const std::uint8_t* from, std::size_t length);
    /// Forgets what is held: the stream it came from ended.
    void clear();

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_start = 0;
};

} // namespace qorinet_api
