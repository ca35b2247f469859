#pragma once
// The bytes of a bus frame or UART block. A classic CAN frame's eight bytes are held in place,
// so a busy bus costs no heap block per frame and a ring of frames stays small; longer blocks
// go to the heap. The in-place paths are inline: they run for every frame.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace z2e {

class BusBytes {
public:
    static constexpr std::size_t kInline = 8;

    BusBytes() = default;
    BusBytes(const std::uint8_t* bytes, std::size_t count) : m_size(static_cast<std::uint32_t>(count))
    {
        if (onHeap())
            toHeap(bytes);
        else if (count > 0) // an empty frame may come with no storage to copy from
            std::memcpy(m_bytes, bytes, count);
    }
    /// Implicit, so that data typed or parsed as a vector reads as a frame's.
    BusBytes(const std::vector<std::uint8_t>& bytes) : BusBytes(bytes.data(), bytes.size()) {}
    BusBytes(std::initializer_list<std::uint8_t> bytes) : BusBytes(bytes.begin(), bytes.size()) {}
    BusBytes(const BusBytes& other) : m_size(other.m_size)
    {
        if (onHeap())
            toHeap(other.heap());
        else
            std::memcpy(m_bytes, other.m_bytes, kInline);
    }
    /// `other` is left empty.
    BusBytes(BusBytes&& other) noexcept : m_size(other.m_size)
    {
        std::memcpy(m_bytes, other.m_bytes, kInline); // the block's address too, when on the heap
        other.m_size = 0;
    }
    BusBytes& operator=(const BusBytes& other);
    /// `other` is left with what this held.
    BusBytes& operator=(BusBytes&& other) noexcept
    {
        swap(other);
        return *this;
    }
    ~BusBytes()
    {
        if (onHeap())
            release();
    }

    void swap(BusBytes& other) noexcept;
    const std::uint8_t* data() const { return onHeap() ? heap() : m_bytes; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const std::uint8_t* begin() const { return data(); }
    const std::uint8_t* end() const { return data() + m_size; }

    friend bool operator==(const BusBytes& a, const BusBytes& b);
    friend bool operator!=(const BusBytes& a, const BusBytes& b) { return !(a == b); }

private:
    bool onHeap() const { return m_size > kInline; }
    std::uint8_t* heap() const
    {
        std::uint8_t* block = nullptr;
        std::memcpy(&block, m_bytes, sizeof block);
        return block;
    }
    /// Copies m_size bytes from `bytes` into a heap block of this one's own.
    void toHeap(const std::uint8_t* bytes);
    void release();

    /// The bytes themselves, or for more than kInline the address of the owned heap block.
    std::uint8_t m_bytes[kInline] = {};
    std::uint32_t m_size = 0;
};

} // namespace z2e
