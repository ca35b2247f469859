// The discovery loop's queue of received datagrams: order, contents and its bounds.

#include "qorinet_api/client/datagram_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace z2e::test {
namespace {

using qorinet_api::DatagramQueue;

TEST(DatagramQueue, HandsOutInOrderAndStopsTakingAtEitherBound)
{
    DatagramQueue queue;
    const std::vector<std::uint8_t> small{1, 2, 3};
    queue.push(small.data(), 1, "127.0.2.1");
    queue.push(small.data(), 3, "127.0.2.2");
    EXPECT_EQ(queue.bytes(), 4u);
    EXPECT_EQ(queue.front().sender, "127.0.2.1");
    EXPECT_EQ(queue.front().bytes, std::vector<std::uint8_t>{1});
    queue.pop();
    // Its storage is reused now: nothing of the first datagram may show in the next.
    queue.push(small.data() + 2, 1, "127.0.2.3");
    EXPECT_EQ(queue.front().sender, "127.0.2.2");
    EXPECT_EQ(queue.front().bytes, small);
    queue.pop();
    EXPECT_EQ(queue.front().bytes, std::vector<std::uint8_t>{3});
    EXPECT_EQ(queue.bytes(), 1u);

    // Many small datagrams meet the count bound.
    for (std::size_t i = 0; i < DatagramQueue::kMaxCount + 10 && queue.hasRoom(); ++i)
        queue.push(small.data(), 1, "127.0.2.4");
    EXPECT_EQ(queue.size(), DatagramQueue::kMaxCount);
    queue.clear();
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(queue.bytes(), 0u);

    // Few large ones meet the byte bound first.
    const std::vector<std::uint8_t> large(8193, 0x5A);
    for (std::size_t i = 0; i < DatagramQueue::kMaxCount && queue.hasRoom(); ++i)
        queue.push(large.data(), large.size(), "127.0.2.5");
    EXPECT_GE(queue.bytes(), DatagramQueue::kMaxBytes);
    EXPECT_LT(queue.bytes(), DatagramQueue::kMaxBytes + large.size());
}

} // namespace
} // namespace z2e::test
