#include "qorinet_api/common/payload_reader.h"

namespace qorinet_api {

bool PayloadReader::u8At(std::size_t offset, std::uint8_t& value) const
{
    if (!fits(offset, 1))
        return false;
    value = m_data[offset];
    return true;
}

bool PayloadReader::u32At(std::size_t offset, std::uint32_t& value) const
{
    if (!fits(offset, 4))
        return false;
    value = loadU32(m_data + offset);
    return true;
}

bool PayloadReader::i32At(std::size_t offset, std::int32_t& value) const
{
    std::uint32_t raw = 0;
    if (!u32At(offset, raw))
        return false;
    value = static_cast<std::int32_t>(raw);
    return true;
}

bool PayloadReader::u64At(std::size_t offset, std::uint64_t& value) const
{
    if (!fits(offset, 8))
        return false;
    value = loadU64(m_data + offset);
    return true;
}

bool PayloadReader::i64At(std::size_t offset, std::int64_t& value) const
{
    std::uint64_t raw = 0;
    if (!u64At(offset, raw))
        return false;
    value = static_cast<std::int64_t>(raw);
    return true;
}

bool PayloadReader::textAt(std::size_t offset, std::string& text) const
{
    std::uint32_t length = 0;
    if (!u32At(offset, length) || !fits(offset + 4, length))
        return false;
    text.assign(reinterpret_cast<const char*>(m_data + offset + 4), length);
    return true;
}

std::uint16_t PayloadReader::loadU16(const std::uint8_t* in)
{
    return static_cast<std::uint16_t>(in[0] | (in[1] << 8));
}

std::uint32_t PayloadReader::loadU32(const std::uint8_t* in)
{
    return static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
           (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
}

std::uint64_t PayloadReader::loadU64(const std::uint8_t* in)
{
    return static_cast<std::uint64_t>(loadU32(in)) | (static_cast<std::uint64_t>(loadU32(in + 4)) << 32);
}

} // namespace qorinet_api
