#include "uni/sip_hash.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// The reference key and messages of the algorithm's authors: key bytes 00..0f, message bytes
// 00..(n-1).
const uni::SipHash::Key kReferenceKey{0x0706050403020100ull, 0x0f0e0d0c0b0a0908ull};

std::uint64_t referenceDigest(std::size_t length)
{
    std::vector<std::uint8_t> message(length);
    for (std::size_t i = 0; i < length; ++i)
        message[i] = static_cast<std::uint8_t>(i);
    return uni::SipHash::digest(kReferenceKey, message.data(), message.size());
}

TEST(SipHashTest, PublishedVectorsAcrossTheWordBoundaries)
{
    EXPECT_EQ(referenceDigest(0), 0x726fdb47dd0e0e31ull);
    EXPECT_EQ(referenceDigest(8), 0x93f5f5799a932462ull);
    EXPECT_EQ(referenceDigest(15), 0xa129ca6149be45e5ull);
}

TEST(SipHashTest, TheKeyAndEveryByteCount)
{
    const std::vector<std::uint8_t> text(64, 0x5A);
    std::vector<std::uint8_t> changed = text;
    changed[63] ^= 1;
    const auto key = uni::SipHash::randomKey();
    EXPECT_NE(uni::SipHash::digest(key, text.data(), 64), uni::SipHash::digest(key, changed.data(), 64));
    // Only the length tells apart texts that differ by trailing zeros.
    const std::vector<std::uint8_t> zeros(9, 0);
    EXPECT_NE(uni::SipHash::digest(key, zeros.data(), 8), uni::SipHash::digest(key, zeros.data(), 9));
    EXPECT_NE(uni::SipHash::digest(key, text.data(), 64), uni::SipHash::digest(kReferenceKey, text.data(), 64));
    EXPECT_NE(key, uni::SipHash::randomKey());
}

} // namespace
