#pragma once
// SipHash-2-4: a keyed 64-bit digest, quick on short texts. With a key nobody else knows, two
// different texts share a digest with a chance of 2^-64 that no sender can raise by choosing
// them; so it can tell "the same as last time" without keeping the text.

#include <array>
#include <cstddef>
#include <cstdint>

namespace uni {

class SipHash {
public:
    using Key = std::array<std::uint64_t, 2>;

    /// A key from the system's random source.
    static Key randomKey();
    /// The digest of the `size` bytes at `data` under `key`.
    static std::uint64_t digest(const Key& key, const void* data, std::size_t size);
};

} // namespace uni
