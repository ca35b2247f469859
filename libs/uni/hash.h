#pragma once
// Interface of the message digests: init, update any number of times, finalise, then read the
// digest or compare it. Results are 0 or a negative uni code.

#include "uni/non_copyable.h"

#include <cstddef>

namespace uni {

class Hash : public NonCopyable {
public:
    virtual ~Hash() = default;

    /// Starts a new digest of `bits` output bits, dropping any previous state.
    virtual int init(unsigned bits) = 0;
    /// Feeds `length` bytes; valid between init() and finalise().
    virtual int update(const void* data, std::size_t length) = 0;
    /// Ends the message and computes the digest.
    virtual int finalise() = 0;
    /// Digest size in bytes of the current init(); 0 before any.
    virtual std::size_t digestSize() const = 0;
    /// Copies the finalised digest to `out`; the digest size, or negative when `capacity` is
    /// too small or nothing has been finalised.
    virtual int writeDigest(void* out, std::size_t capacity) const = 0;
    /// True when the finalised digest equals the `length` bytes at `digest` (constant time).
    virtual bool compare(const void* digest, std::size_t length) const = 0;
};

} // namespace uni
