#pragma once
// SHA3-224/256/384/512 over the crypto library. One object hashes one message at a time and is
// reused for the next; it is not thread-safe.

#include "uni/hash.h"

#include <cstdint>

struct evp_md_ctx_st;

namespace uni {

class HashSHA3 : public Hash {
public:
    static constexpr std::size_t kMaxDigestSize = 64;

    HashSHA3();
    /// Same as init(bits) right after construction; check the result of init() where it matters.
    explicit HashSHA3(unsigned bits);
    ~HashSHA3() override;

    /// 0; -5 for a size other than 224, 256, 384 or 512; -3 when the crypto library fails.
    int init(unsigned bits) override;
    /// 0; -3 outside init()..finalise(); -5 for a null `data` with a non-zero length.
    int update(const void* data, std::size_t length) override;
    /// 0; -3 outside init()..finalise().
    int finalise() override;
    std::size_t digestSize() const override { return m_size; }
    /// Digest size; -3 before finalise(); -5 when `capacity` is below the digest size.
    int writeDigest(void* out, std::size_t capacity) const override;
    bool compare(const void* digest, std::size_t length) const override;

private:
    enum class Phase { None, Updating, Final };

    evp_md_ctx_st* m_ctx;
    Phase m_phase = Phase::None;
    std::size_t m_size = 0;
    std::uint8_t m_digest[kMaxDigestSize] = {};
};

} // namespace uni
