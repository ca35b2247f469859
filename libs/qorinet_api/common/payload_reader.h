#pragma once
// Bounds-checked little-endian reads from a received payload. Every read fails (false) rather
// than touching a byte outside the payload.

#include <cstddef>
#include <cstdint>
#include <string>

namespace qorinet_api {

class PayloadReader {
public:
    PayloadReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(data ? size : 0) {}

    std::size_t size() const { return m_size; }
    const std::uint8_t* data() const { return m_data; }

    bool u8At(std::size_t offset, std::uint8_t& value) const;
    bool u32At(std::size_t offset, std::uint32_t& value) const;
    bool i32At(std::size_t offset, std::int32_t& value) const;
    bool u64At(std::size_t offset, std::uint64_t& value) const;
    bool i64At(std::size_t offset, std::int64_t& value) const;
    /// A u32 length L at `offset` followed by L bytes of text. False when L runs past the end.
    bool textAt(std::size_t offset, std::string& text) const;
    /// The document of a document request: u32 0, u32 L, L bytes (the leading word is ignored).
    bool document(std::string& xml) const { return textAt(4, xml); }

    /// The answer status: the i32 at offset 0.
    bool status(std::int32_t& value) const { return i32At(0, value); }

    static std::uint16_t loadU16(const std::uint8_t* in);
    static std::uint32_t loadU32(const std::uint8_t* in);
    static std::uint64_t loadU64(const std::uint8_t* in);

private:
    bool fits(std::size_t offset, std::size_t count) const { return offset <= m_size && count <= m_size - offset; }

    const std::uint8_t* m_data;
    std::size_t m_size;
};

} // namespace qorinet_api
