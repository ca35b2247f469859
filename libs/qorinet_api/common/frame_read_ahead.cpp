#include "qorinet_api/common/frame_read_ahead.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace qorinet_api {

std::size_t FrameReadAhead::take(std::uint8_t* to, std::size_t length)
{
    const std::size_t count = std::min(length, size());
    if (count == 0)
        return 0;
    std::memcpy(to, m_bytes.data() + m_start, count);
    m_start += count;
    if (empty())
        clear();
    return count;
}

bool FrameReadAhead::keep(const std::uint8_t* from, std::size_t length)
{
    if (!empty())
        return false;
    try {
        m_bytes.assign(from, from + length);
    } catch (const std::bad_alloc&) {
        clear();
        return false;
    }
    m_start = 0;
    return true;
}

void FrameReadAhead::clear()
{
    // The storage stays: a stream that ran ahead once will again.
    m_bytes.clear();
    m_start = 0;
}

} // namespace qorinet_api
