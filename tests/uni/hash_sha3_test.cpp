#include "uni/hash_sha3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string hex(const std::uint8_t* bytes, std::size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

struct Vector {
    unsigned bits;
    std::string message;
    const char* digest;
};

// Published SHA3 test vectors.
const std::string kMillionA(1000000, 'a');
const Vector kVectors[] = {
    {224, "", "6b4e03423667dbb73b6e15454f0eb1abd4597f9a1b078e3f5b5a6bc7"},
    {256, "", "a7ffc6f8bf1ed76651c14756a061d662f580ff4de43b49fa82d80a4b80f8434a"},
    {384, "", "0c63a75b845e4f7d01107d852e4c2485c51a50aaaa94fc61995e71bbee983a2ac3713831264adb47fb6bd1e058d5f004"},
    {512, "",
     "a69f73cca23a9ac5c8b567dc185a756e97c982164fe25859e0d1dcc1475c80a615b2123af1f5f94c11e3e9402c3ac558f500199d95b6d3e301758586281dcd26"},
    {224, "abc", "e642824c3f8cf24ad09234ee7d3c766fc9a3a5168d0c94ad73b46fdf"},
    {256, "abc", "3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532"},
    {384, "abc", "ec01498288516fc926459f58e2c6ad8df9b473cb0fc08c2596da7cf0e49be4b298d88cea927ac7f539f1edf228376d25"},
    {512, "abc",
     "b751850b1a57168a5693cd924b6b096e08f621827444f70d884f5d0240d2712e10e116e9192af3c91a7ec57647e3934057340b4cf408d5a56592f8274eec53f0"},
    {224, kMillionA, "d69335b93325192e516a912e6d19a15cb51c6ed5c15243e7a7fd653c"},
    {256, kMillionA, "5c8875ae474a3634ba4fd55ec85bffd661f32aca75c6d699d0cdcb6c115891c1"},
    {384, kMillionA,
     "eee9e24d78c1855337983451df97c8ad9eedf256c6334f8e948d252d5e0e76847aa0774ddb90a842190d2c558b4b8340"},
    {512, kMillionA,
     "3c3a876da14034ab60627c077bb98f7e120a2a5370212dffb3385a18d4f38859ed311d0a9d5141ce9cc5c66ee689b266a8aa18ace8282a0e0db596c90b0a7b87"},
};

// Digest of `message` fed in pieces of `chunk` bytes (0: all at once), or the error text.
std::string digestOf(uni::HashSHA3& hash, unsigned bits, const std::string& message, std::size_t chunk)
{
    if (hash.init(bits) != 0)
        return "init failed";
    const std::size_t step = chunk ? chunk : message.size();
    for (std::size_t at = 0; at < message.size(); at += step) {
        if (hash.update(message.data() + at, std::min(step, message.size() - at)) != 0)
            return "update failed";
    }
    if (hash.finalise() != 0)
        return "finalise failed";
    std::uint8_t out[uni::HashSHA3::kMaxDigestSize];
    const int n = hash.writeDigest(out, sizeof out);
    if (n != static_cast<int>(bits / 8))
        return "bad digest size";
    return hex(out, static_cast<std::size_t>(n));
}

TEST(HashSHA3, KnownVectorsWholeAndChunked)
{
    uni::HashSHA3 hash; // one object for everything: init must fully reset it
    // 1 byte, odd, just under and over the 136-byte block of SHA3-256, and large pieces.
    const std::size_t chunks[] = {0, 1, 7, 135, 137, 4096};
    for (const Vector& v : kVectors) {
        for (std::size_t chunk : chunks) {
            if (chunk == 1 && v.message.size() > 1000)
                continue;
            EXPECT_EQ(digestOf(hash, v.bits, v.message, chunk), v.digest)
                << "SHA3-" << v.bits << " of " << v.message.size() << " bytes, chunk " << chunk;
        }
    }
}

TEST(HashSHA3, CompareAndMisuse)
{
    uni::HashSHA3 hash;
    EXPECT_EQ(hash.update("x", 1), -3); // not initialised
    EXPECT_EQ(hash.init(128), -5);
    ASSERT_EQ(hash.init(256), 0);
    ASSERT_EQ(hash.update("abc", 3), 0);
    std::uint8_t digest[32];
    EXPECT_EQ(hash.writeDigest(digest, sizeof digest), -3); // not finalised
    EXPECT_FALSE(hash.compare(digest, sizeof digest));
    ASSERT_EQ(hash.finalise(), 0);
    EXPECT_EQ(hash.update("x", 1), -3);
    EXPECT_EQ(hash.writeDigest(digest, 31), -5);
    ASSERT_EQ(hash.writeDigest(digest, sizeof digest), 32);

    EXPECT_TRUE(hash.compare(digest, sizeof digest));
    EXPECT_FALSE(hash.compare(digest, 31));
    for (std::size_t i : {0, 17, 31}) {
        std::uint8_t flipped[32];
        std::copy(digest, digest + 32, flipped);
        flipped[i] ^= 0x01;
        EXPECT_FALSE(hash.compare(flipped, sizeof flipped)) << "bit flipped in byte " << i;
    }
}

} // namespace
