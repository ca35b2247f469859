#include "tools/bus_bytes.h"

#include <algorithm>
#include <utility>

namespace z2e {

static_assert(sizeof(std::uint8_t*) <= BusBytes::kInline, "the heap block's address is kept in place of the bytes");

void BusBytes::toHeap(const std::uint8_t* bytes)
{
    auto* block = new std::uint8_t[m_size];
    std::copy_n(bytes, m_size, block);
    std::memcpy(m_bytes, &block, sizeof block);
}

void BusBytes::release()
{
    delete[] heap();
}

BusBytes& BusBytes::operator=(const BusBytes& other)
{
    if (!onHeap() && !other.onHeap()) {
        std::memcpy(m_bytes, other.m_bytes, kInline);
        m_size = other.m_size;
        return *this;
    }
    BusBytes copy(other);
    swap(copy);
    return *this;
}

void BusBytes::swap(BusBytes& other) noexcept
{
    std::swap(m_size, other.m_size);
    std::swap_ranges(m_bytes, m_bytes + kInline, other.m_bytes);
}

bool operator==(const BusBytes& a, const BusBytes& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

} // namespace z2e
