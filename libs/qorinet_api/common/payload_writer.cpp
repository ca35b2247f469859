#include "qorinet_api/common/payload_writer.h"

#include <algorithm>
#include <cstring>

namespace qorinet_api {

PayloadWriter::PayloadWriter(FrameBuffer& buffer) : m_buffer(buffer)
{
    m_buffer.setSize(0);
}

std::uint8_t* PayloadWriter::append(std::size_t count)
{
    if (!m_ok)
        return nullptr;
    const std::size_t at = m_buffer.size();
    if (count > proto::kMaxPayload - at) {
        m_ok = false;
        return nullptr;
    }
    const std::size_t needed = at + count;
    if (needed > m_buffer.capacity()) {
        // Doubling keeps a payload built from many small fields linear.
        const std::size_t wanted = std::min<std::size_t>(std::max(needed, 2 * m_buffer.capacity()), proto::kMaxPayload);
        if (!m_buffer.reserve(wanted)) {
            m_ok = false;
            return nullptr;
        }
    }
    m_buffer.setSize(needed);
    return m_buffer.payload() + at;
}

PayloadWriter& PayloadWriter::u8(std::uint8_t value)
{
    if (std::uint8_t* out = append(1))
        *out = value;
    return *this;
}

PayloadWriter& PayloadWriter::u16(std::uint16_t value)
{
    if (std::uint8_t* out = append(2))
        storeU16(out, value);
    return *this;
}

PayloadWriter& PayloadWriter::u32(std::uint32_t value)
{
    if (std::uint8_t* out = append(4))
        storeU32(out, value);
    return *this;
}

PayloadWriter& PayloadWriter::u64(std::uint64_t value)
{
    if (std::uint8_t* out = append(8))
        storeU64(out, value);
    return *this;
}

PayloadWriter& PayloadWriter::bytes(const void* data, std::size_t length)
{
    if (length == 0)
        return *this;
    if (std::uint8_t* out = append(length))
        std::memcpy(out, data, length);
    return *this;
}

PayloadWriter& PayloadWriter::zeros(std::size_t count)
{
    if (count == 0)
        return *this;
    if (std::uint8_t* out = append(count))
        std::memset(out, 0, count);
    return *this;
}

PayloadWriter& PayloadWriter::text(const std::string& text)
{
    if (text.size() > proto::kMaxPayload) {
        m_ok = false;
        return *this;
    }
    u32(static_cast<std::uint32_t>(text.size()));
    return bytes(text.data(), text.size());
}

PayloadWriter& PayloadWriter::document(const std::string& xml)
{
    u32(0);
    return text(xml);
}

PayloadWriter& PayloadWriter::padTo(std::size_t size)
{
    return size > m_buffer.size() ? zeros(size - m_buffer.size()) : *this;
}

void PayloadWriter::storeU16(std::uint8_t* out, std::uint16_t value)
{
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

void PayloadWriter::storeU32(std::uint8_t* out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PayloadWriter::storeU64(std::uint8_t* out, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace qorinet_api
