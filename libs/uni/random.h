#pragma once
// Process-wide source of 32-bit random numbers (frame ids and the like; not for keys).

#include <cstddef>
#include <cstdint>

namespace uni {

class Random {
public:
    /// Next number; thread-safe. Each thread takes kBatchSize numbers at a time.
    static std::uint32_t next();
    /// Fills `out` with `count` numbers under one lock.
    static void fill(std::uint32_t* out, std::size_t count);
    /// Batches generated so far in this process.
    static std::uint64_t batchCount();

    /// Numbers made per batch.
    static constexpr std::size_t kBatchSize = 256;
};

} // namespace uni
