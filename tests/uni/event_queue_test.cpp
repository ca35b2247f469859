#include "uni/event_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// Payload of event `seq` from producer `p`: its length and every byte follow from (p, seq).
std::vector<std::uint8_t> payload(std::uint32_t p, std::uint32_t seq)
{
    std::vector<std::uint8_t> bytes((seq * 37 + p * 11) % 301);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(p * 71 + seq * 13 + i);
    return bytes;
}

int push(uni::EventQueue& q, std::uint32_t p, std::uint32_t seq)
{
    const auto bytes = payload(p, seq);
    return q.push((p << 24) | seq, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

TEST(EventQueue, ManyProducersOneReaderKeepOrderAndBytes)
{
    constexpr std::uint32_t kProducers = 4, kEach = 5000;
    uni::EventQueue queue(4, 16); // tiny, so both rings grow and wrap under load
    std::vector<std::thread> producers;
    for (std::uint32_t p = 0; p < kProducers; ++p)
        producers.emplace_back([&queue, p] {
            for (std::uint32_t seq = 0; seq < kEach; ++seq)
                ASSERT_EQ(push(queue, p, seq), 0);
        });

    std::vector<std::uint32_t> next(kProducers, 0);
    std::vector<std::uint8_t> data;
    std::uint32_t code = 0;
    for (std::uint32_t n = 0; n < kProducers * kEach; ++n) {
        ASSERT_EQ(queue.pop(code, data, 10000), 0) << "after " << n << " events";
        const std::uint32_t p = code >> 24, seq = code & 0xFFFFFF;
        ASSERT_LT(p, kProducers);
        ASSERT_EQ(seq, next[p]++) << "producer " << p;
        ASSERT_EQ(data, payload(p, seq)) << "producer " << p << " event " << seq;
    }
    for (auto& t : producers)
        t.join();
    EXPECT_EQ(queue.pop(code, data, 20), -8);
}

TEST(EventQueue, GrowsWhileWrapped)
{
    uni::EventQueue queue(4, 16);
    std::vector<std::uint8_t> data;
    std::uint32_t code = 0;
    // Move both heads off zero so the live entries straddle the end of each ring when it grows.
    for (std::uint32_t i = 0; i < 3; ++i)
        ASSERT_EQ(push(queue, 9, i), 0);
    for (std::uint32_t i = 0; i < 2; ++i)
        ASSERT_EQ(queue.pop(code, data, 0), 0);
    for (std::uint32_t i = 3; i < 40; ++i)
        ASSERT_EQ(push(queue, 9, i), 0);
    EXPECT_EQ(queue.size(), 38u);
    for (std::uint32_t i = 2; i < 40; ++i) {
        ASSERT_EQ(queue.pop(code, data, 0), 0);
        EXPECT_EQ(code & 0xFFFFFF, i);
        EXPECT_EQ(data, payload(9, i)) << "event " << i;
    }
    EXPECT_EQ(queue.pop(code, data, 0), -8);
}

TEST(EventQueue, CallerBufferAndBlockingReader)
{
    uni::EventQueue queue;
    const char text[] = "node 17 added";
    EXPECT_EQ(queue.push(3, nullptr, 4), -5);
    std::atomic<int> result{1};
    std::uint32_t code = 0, length = 0;
    char small[4] = {}, big[64] = {};
    std::thread reader([&] {
        result = queue.pop(code, small, sizeof small, length); // no limit: waits for the push
        if (result == -4)
            result = queue.pop(code, big, sizeof big, length, 0); // the event stayed queued
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(result.load(), 1);
    ASSERT_EQ(queue.push(1, text, sizeof text), 0);
    reader.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(length, sizeof text);
    EXPECT_STREQ(big, text);

    ASSERT_EQ(queue.push(2), 0);
    ASSERT_EQ(queue.pop(code, nullptr, 0, length, 0), 0);
    EXPECT_EQ(code, 2u);
    EXPECT_EQ(length, 0u);
}

} // namespace
