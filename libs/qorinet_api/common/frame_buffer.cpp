#include "qorinet_api/common/frame_buffer.h"

#include <new>

namespace qorinet_api {

FrameBuffer::FrameBuffer(std::size_t baseline) : m_bytes(baseline + proto::kFrameOverhead), m_baseline(baseline) {}

bool FrameBuffer::setSize(std::size_t size)
{
    if (size > capacity())
        return false;
    m_size = size;
    return true;
}

bool FrameBuffer::reserve(std::size_t size)
{
    if (size <= capacity())
        return true;
    if (size > proto::kMaxPayload)
        return false;
    try {
        m_bytes.resize(size + proto::kFrameOverhead);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void FrameBuffer::reset()
{
    m_size = 0;
    if (capacity() == m_baseline)
        return;
    std::vector<std::uint8_t>(m_baseline + proto::kFrameOverhead).swap(m_bytes);
}

} // namespace qorinet_api
