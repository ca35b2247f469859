#include "uni/random.h"
#include "uni/timer.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace {

TEST(Timer, StampsAndSleeps)
{
    const std::uint64_t before = uni::Timer::stampUs();
    uni::Timer watch;
    uni::Timer::sleepMs(20);
    const std::int64_t slept = uni::Timer::diffUs(before, uni::Timer::stampUs());
    EXPECT_GE(slept, 20000);
    EXPECT_GE(watch.elapsedUs(), 20000);
    watch.restart();
    uni::Timer::sleepUs(1500);
    EXPECT_GE(watch.elapsedUs(), 1500);
}

TEST(Random, ConcurrentDrawsAcrossRefillsNeverRepeat)
{
    constexpr int kThreads = 4;
    constexpr std::size_t kEach = 2000;
    const std::uint64_t batches = uni::Random::batchCount();
    std::vector<std::vector<std::uint32_t>> drawn(kThreads, std::vector<std::uint32_t>(kEach));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&drawn, t] {
            for (std::size_t i = 0; i < kEach / 2; ++i)
                drawn[t][i] = uni::Random::next();
            uni::Random::fill(drawn[t].data() + kEach / 2, kEach / 2);
        });
    for (auto& th : threads)
        th.join();
    EXPECT_GE(uni::Random::batchCount() - batches, kThreads * kEach / uni::Random::kBatchSize);
    // A replayed batch, a stuck index or two threads taking the same slot all show as
    // duplicates; chance collisions among 8000 good 32-bit numbers are far rarer than two.
    std::set<std::uint32_t> distinct;
    for (const auto& d : drawn)
        distinct.insert(d.begin(), d.end());
    EXPECT_GE(distinct.size(), kThreads * kEach - 2);
}

} // namespace
