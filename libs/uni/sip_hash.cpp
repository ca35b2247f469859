#include "uni/sip_hash.h"

#include <cstring>
#include <random>

namespace uni {

namespace {

constexpr std::uint64_t rotate(std::uint64_t value, int bits)
{
    return (value << bits) | (value >> (64 - bits));
}

struct State {
    std::uint64_t v0, v1, v2, v3;

    void round()
    {
        v0 += v1;
        v1 = rotate(v1, 13) ^ v0;
        v0 = rotate(v0, 32);
        v2 += v3;
        v3 = rotate(v3, 16) ^ v2;
        v0 += v3;
        v3 = rotate(v3, 21) ^ v0;
        v2 += v1;
        v1 = rotate(v1, 17) ^ v2;
        v2 = rotate(v2, 32);
    }
    void absorb(std::uint64_t word)
    {
        v3 ^= word;
        round();
        round();
        v0 ^= word;
    }
};

// Little-endian, as the algorithm reads its words, on any host.
std::uint64_t loadLittle(const unsigned char* bytes, std::size_t count)
{
    std::uint64_t word = 0;
    for (std::size_t i = 0; i < count; ++i)
        word |= std::uint64_t{bytes[i]} << (8 * i);
    return word;
}

} // namespace

SipHash::Key SipHash::randomKey()
{
    std::random_device source;
    Key key{};
    for (auto& part : key)
        part = (std::uint64_t{source()} << 32) | source();
    return key;
}

std::uint64_t SipHash::digest(const Key& key, const void* data, std::size_t size)
{
    State s{key[0] ^ 0x736f6d6570736575ull, key[1] ^ 0x646f72616e646f6dull, key[0] ^ 0x6c7967656e657261ull,
            key[1] ^ 0x7465646279746573ull};
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::size_t whole = size - size % 8;
    for (std::size_t at = 0; at < whole; at += 8)
        s.absorb(loadLittle(bytes + at, 8));
    s.absorb((std::uint64_t{size & 0xFF} << 56) | loadLittle(bytes + whole, size % 8));
    s.v2 ^= 0xFF;
    for (int i = 0; i < 4; ++i)
        s.round();
    return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

} // namespace uni
