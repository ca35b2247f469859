// The data client on loopback: what a node sends on its data connection lands in the right
// board's stream; broken frames and strangers lose their connection.

#include "net_client_support.h"

#include "qorinet_api/client/qorinet_data_client.h"
#include "qorinet_api/client/qorinet_data_frame.h"
#include "qorinet_api/client/qorinet_data_stream.h"
#include "qorinet_api/common/payload_writer.h"
#include "qorinet_api/common/qorinet_result_codes.h"

#include "uni/osal.h"
#include "uni/tcp_socket.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace z2e::test {
namespace {

using namespace std::chrono_literals;

using qorinet_api::QORINetDataClient;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kNode = 7;

Bytes canRecord(std::uint32_t id, std::uint8_t channel, std::uint8_t firstByte)
{
    Bytes record(qorinet_api::kDataCanRecordSize, 0);
    qorinet_api::PayloadWriter::storeU64(record.data(), 1000 + id);
    qorinet_api::PayloadWriter::storeU32(record.data() + 8, id);
    record[12] = channel;
    record[14] = 8;
    record[16] = firstByte;
    return record;
}

Bytes uartRecord(std::uint8_t channel, const std::string& text)
{
    Bytes record(qorinet_api::kDataUartRecordHeader, 0);
    record[8] = channel;
    qorinet_api::PayloadWriter::storeU32(record.data() + 12, static_cast<std::uint32_t>(text.size()));
    record.insert(record.end(), text.begin(), text.end());
    return record;
}

Bytes joined(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class DataClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        port = static_cast<std::uint16_t>(freeClientBasePort({}) + 10);
        client.configure(port, {uni::ipv4::IpAddressPair("127.0.0.1", uni::ipv4::maskFromPrefix(8).value())});
        ASSERT_EQ(client.start(), 0);
        ASSERT_TRUE(eventually([&] { return client.listening().size() == 1; }, 2000ms));
        client.openNode(kNode, 2, "127.0.0.1");
    }

    std::unique_ptr<uni::TCPSocket> connectFrom(const std::string& local)
    {
        auto socket = std::make_unique<uni::TCPSocket>();
        socket->setReceiveTimeout(2000);
        socket->setLocalEnd(local, 0);
        socket->setRemoteEnd("127.0.0.1", port);
        return socket->connect() == 0 ? std::move(socket) : nullptr;
    }

    static bool send(uni::TCPSocket& socket, std::uint8_t type, std::uint32_t board, const Bytes& payload, bool digest)
    {
        const Bytes frame = qorinet_api::encodeDataFrame(type, board, payload.data(), payload.size(), digest);
        return socket.send(frame.data(), frame.size()) == static_cast<int>(frame.size());
    }

    /// True when the client closed the connection (the read sees the end of the stream).
    static bool closedByClient(uni::TCPSocket& socket)
    {
        std::uint8_t byte = 0;
        return socket.receive(&byte, 1) == 0;
    }

    std::uint64_t frames() const
    {
        const auto path = client.node(kNode);
        return path ? path->framesReceived() : 0;
    }

    std::uint16_t port = 0;
    QORINetDataClient client{loopbackOnly()};
};

TEST_F(DataClientTest, BlocksFillTheStreamsOfTheirBoard)
{
    const auto link = connectFrom("127.0.0.1");
    ASSERT_TRUE(link);
    ASSERT_TRUE(send(*link, qorinet_api::DATA_BLOCK_CAN, 1,
                     joined({canRecord(0x101, 2, 0xA1), canRecord(0x102, 3, 0xA2)}), true));
    ASSERT_TRUE(
        send(*link, qorinet_api::DATA_BLOCK_UART, 0, joined({uartRecord(1, "hello "), uartRecord(1, "world")}), false));
    ASSERT_TRUE(send(*link, qorinet_api::DATA_BLOCK_MEASUREMENT, 1, Bytes(100, 0x55), true));
    ASSERT_TRUE(send(*link, qorinet_api::DATA_BLOCK_KEEPALIVE, 0, {}, false));
    ASSERT_TRUE(send(*link, qorinet_api::DATA_BLOCK_CAN, 5, canRecord(0x1, 0, 0), false)); // no such board
    ASSERT_TRUE(eventually([&] { return frames() == 5; }, 2000ms));

    ZaMoCanFrame can[4] = {};
    std::int32_t count = 4;
    ASSERT_EQ(client.readCan(kNode, 1, can, count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(can[0].id, 0x101u);
    EXPECT_EQ(can[0].timestampUs, 1000u + 0x101);
    EXPECT_EQ(can[1].channel, 3);
    EXPECT_EQ(can[1].data[0], 0xA2);
    count = 4;
    EXPECT_EQ(client.readCan(kNode, 0, can, count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(client.readCan(kNode, 2, can, count), qorinet_api::ERR_BOARD_NOT_FOUND);
    EXPECT_EQ(client.node(kNode)->measurementBytes(1), 100u);

    std::uint8_t bytes[8] = {};
    count = 8;
    ASSERT_EQ(client.readUart(kNode, 0, bytes, count), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), std::size_t(count)), "hello wo");
    ZaMoUartFrame* blocks = nullptr;
    ASSERT_EQ(client.readUartRaw(kNode, 0, blocks, count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(blocks[0].data), blocks[0].length), "rld")
        << "read bytes not lent again";
    ASSERT_EQ(client.freeUart(kNode, 0, 1), 0);
    ASSERT_EQ(client.readUartRaw(kNode, 0, blocks, count), 0);
    EXPECT_EQ(count, 0);

    // Raw CAN reads lend until freed; only the freed part leaves the stream.
    ASSERT_TRUE(send(*link, qorinet_api::DATA_BLOCK_CAN, 1,
                     joined({canRecord(1, 0, 0), canRecord(2, 0, 0), canRecord(3, 0, 0)}), true));
    ASSERT_TRUE(eventually([&] { return frames() == 6; }, 2000ms));
    ZaMoCanFrame* lent = nullptr;
    ASSERT_EQ(client.readCanRaw(kNode, 1, lent, count), 0);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(lent[2].id, 3u);
    ASSERT_EQ(client.freeCan(kNode, 1, 2), 0);
    count = 4;
    ASSERT_EQ(client.readCan(kNode, 1, can, count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(can[0].id, 3u);
}

TEST_F(DataClientTest, CommandsAnsweredFromTheDataPath)
{
    std::int32_t result = -1;
    std::int64_t value = -1;
    EXPECT_FALSE(client.answerSetParam(kNode, 0, 40, 1, result));
    ASSERT_TRUE(client.answerSetParam(kNode, 1, QORINetDataClient::kCmdStreaming, 1, result));
    EXPECT_EQ(result, 0);
    ASSERT_TRUE(client.answerGetParam(kNode, 1, QORINetDataClient::kCmdStreaming, value, result));
    EXPECT_EQ(value, 1);
    ASSERT_TRUE(client.answerGetParam(kNode, 0, QORINetDataClient::kCmdStreaming, value, result));
    EXPECT_EQ(value, 0);
    ASSERT_TRUE(client.answerSetParam(kNode, 9, QORINetDataClient::kCmdStreaming, 1, result));
    EXPECT_EQ(result, qorinet_api::ERR_BOARD_NOT_FOUND);
    ASSERT_TRUE(client.answerSetParam(99, 0, QORINetDataClient::kCmdStreaming, 1, result));
    EXPECT_EQ(result, uni::osal::ERR_UNI_OSAL_ECONNECTION);

    // An acquisition start drops what the board has queued.
    const auto link = connectFrom("127.0.0.1");
    ASSERT_TRUE(link);
    ASSERT_TRUE(send(*link, qorinet_api::DATA_BLOCK_CAN, 0, canRecord(9, 0, 0), false));
    ASSERT_TRUE(eventually([&] { return frames() == 1; }, 2000ms));
    client.beforeSetParam(kNode, 0, QORINetDataClient::kCmdAcquisitionStart, 1);
    ZaMoCanFrame can[2] = {};
    std::int32_t count = 2;
    ASSERT_EQ(client.readCan(kNode, 0, can, count), 0);
    EXPECT_EQ(count, 0);
}

// A node streaming faster than anyone reads: each queue stops at its limit, what does not fit
// is counted per board and bus, and reading makes room again.
TEST_F(DataClientTest, ASlowReaderLosesCountedFramesAndTheQueuesStayBounded)
{
    const std::size_t limit = qorinet_api::QORINetDataStream::kQueueLimit;
    const auto link = connectFrom("127.0.0.1");
    ASSERT_TRUE(link);
    const std::size_t perBlock = 4096;
    Bytes canBlock;
    for (std::size_t i = 0; i < perBlock; ++i) {
        const Bytes record = canRecord(static_cast<std::uint32_t>(i), 0, 0);
        canBlock.insert(canBlock.end(), record.begin(), record.end());
    }
    const std::size_t canBlocks = limit / perBlock + 1;
    for (std::size_t i = 0; i < canBlocks; ++i)
        ASSERT_TRUE(send(*link, qorinet_api::DATA_BLOCK_CAN, 0, canBlock, false));
    Bytes uartBlock;
    for (std::size_t i = 0; i < limit + 5; ++i) {
        const Bytes record = uartRecord(0, "uart");
        uartBlock.insert(uartBlock.end(), record.begin(), record.end());
    }
    ASSERT_TRUE(send(*link, qorinet_api::DATA_BLOCK_UART, 1, uartBlock, false));
    ASSERT_TRUE(eventually([&] { return frames() == canBlocks + 1; }, 10000ms));

    const auto lost = [&](std::int32_t board, std::int32_t command) {
        std::int64_t value = -1;
        std::int32_t result = -1;
        EXPECT_TRUE(client.answerGetParam(kNode, board, command, value, result));
        return result == 0 ? value : -result;
    };
    EXPECT_EQ(lost(0, QORINetDataClient::kCmdCanLost), static_cast<std::int64_t>(canBlocks * perBlock - limit));
    EXPECT_EQ(lost(1, QORINetDataClient::kCmdUartLost), 5 * 4) << "UART counts bytes, as the node does";
    EXPECT_EQ(lost(0, QORINetDataClient::kCmdUartLost), 0);
    EXPECT_EQ(lost(1, QORINetDataClient::kCmdCanLost), 0);
    EXPECT_EQ(lost(2, QORINetDataClient::kCmdCanLost), -qorinet_api::ERR_BOARD_NOT_FOUND);

    std::vector<ZaMoCanFrame> can(limit + 1);
    std::int32_t count = static_cast<std::int32_t>(can.size());
    ASSERT_EQ(client.readCan(kNode, 0, can.data(), count), 0);
    EXPECT_EQ(count, static_cast<std::int32_t>(limit)) << "the oldest frames are kept";
    EXPECT_EQ(can[limit - 1].id, (limit - 1) % perBlock);

    // Room again: the next frame is kept, and the count of those lost stays as it was.
    ASSERT_TRUE(send(*link, qorinet_api::DATA_BLOCK_CAN, 0, canRecord(0x7FF, 1, 9), false));
    ASSERT_TRUE(eventually([&] { return frames() == canBlocks + 2; }, 2000ms));
    count = 2;
    ASSERT_EQ(client.readCan(kNode, 0, can.data(), count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(can[0].id, 0x7FFu);
    EXPECT_EQ(lost(0, QORINetDataClient::kCmdCanLost), static_cast<std::int64_t>(canBlocks * perBlock - limit));

    // What the node itself dropped adds to the counts; a bus kind not known here is skipped.
    const auto lostBlock = [](std::uint8_t bus, std::uint64_t count) {
        Bytes record(qorinet_api::kDataLostRecordSize, 0);
        record[0] = bus;
        for (int b = 0; b < 8; ++b)
            record[8 + b] = static_cast<std::uint8_t>(count >> (8 * b));
        return record;
    };
    ASSERT_TRUE(send(*link, qorinet_api::DATA_BLOCK_LOST, 0, lostBlock(qorinet_api::kDataLostCan, 7), false));
    ASSERT_TRUE(send(*link, qorinet_api::DATA_BLOCK_LOST, 1, lostBlock(9, 1000), false));
    ASSERT_TRUE(send(*link, qorinet_api::DATA_BLOCK_LOST, 1, lostBlock(qorinet_api::kDataLostUart, 2), true));
    const std::int64_t canLost = static_cast<std::int64_t>(canBlocks * perBlock - limit) + 7;
    ASSERT_TRUE(eventually([&] { return lost(1, QORINetDataClient::kCmdUartLost) == 5 * 4 + 2; }, 2000ms));
    EXPECT_EQ(lost(0, QORINetDataClient::kCmdCanLost), canLost);
    EXPECT_EQ(lost(1, QORINetDataClient::kCmdCanLost), 0);
    // A count out of all reason stops at the largest, and a record of the wrong size is refused.
    ASSERT_TRUE(send(*link, qorinet_api::DATA_BLOCK_LOST, 1, lostBlock(qorinet_api::kDataLostUart, ~0ull), false));
    ASSERT_TRUE(send(*link, qorinet_api::DATA_BLOCK_LOST, 1, Bytes(17, 0), false));
    EXPECT_TRUE(closedByClient(*link));
    EXPECT_EQ(static_cast<std::uint64_t>(lost(1, QORINetDataClient::kCmdUartLost)),
              std::uint64_t{std::numeric_limits<std::int64_t>::max()});

    client.closeNode(kNode);
    std::int64_t value = 0;
    std::int32_t result = 0;
    ASSERT_TRUE(client.answerGetParam(kNode, 0, QORINetDataClient::kCmdCanLost, value, result));
    EXPECT_EQ(result, uni::osal::ERR_UNI_OSAL_ECONNECTION);
}

// A header that promises a long payload which never comes holds the connection only for one
// receive time-out; the node's next connection is served again.
TEST_F(DataClientTest, APayloadThatStallsEndsItsConnectionAndTheNodeComesBack)
{
    const auto link = connectFrom("127.0.0.1");
    ASSERT_TRUE(link);
    link->setReceiveTimeout(10000); // well beyond the client's own time-out
    Bytes head(qorinet_api::DataFrameHeader::kSize);
    qorinet_api::DataFrameHeader{0, qorinet_api::DATA_BLOCK_MEASUREMENT, 0, 32u * 1024 * 1024}.write(head.data());
    ASSERT_EQ(link->send(head.data(), head.size()), static_cast<int>(head.size()));
    const Bytes some(256 * 1024, 0x11);
    ASSERT_EQ(link->send(some.data(), some.size()), static_cast<int>(some.size()));
    EXPECT_TRUE(closedByClient(*link));
    EXPECT_EQ(client.node(kNode)->measurementBytes(0), 0u) << "nothing of the cut frame is filed";

    const auto again = connectFrom("127.0.0.1");
    ASSERT_TRUE(again);
    ASSERT_TRUE(send(*again, qorinet_api::DATA_BLOCK_CAN, 1, canRecord(0x55, 0, 1), true));
    ASSERT_TRUE(eventually([&] { return frames() == 1; }, 2000ms));
    ZaMoCanFrame can[1] = {};
    std::int32_t count = 1;
    ASSERT_EQ(client.readCan(kNode, 1, can, count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(can[0].id, 0x55u);
}

TEST_F(DataClientTest, BrokenFramesAndStrangersLoseTheirConnection)
{
    Bytes wrongDigest = qorinet_api::encodeDataFrame(qorinet_api::DATA_BLOCK_CAN, 0, canRecord(1, 0, 0).data(),
                                                     qorinet_api::kDataCanRecordSize, true);
    wrongDigest.back() ^= 1;
    Bytes oversize(qorinet_api::DataFrameHeader::kSize);
    qorinet_api::DataFrameHeader{0, qorinet_api::DATA_BLOCK_MEASUREMENT, 0, 64u * 1024 * 1024 + 1}.write(
        oversize.data());
    Bytes badSync = qorinet_api::encodeDataFrame(qorinet_api::DATA_BLOCK_KEEPALIVE, 0, nullptr, 0, false);
    badSync[1] = 0xAB;
    const std::vector<Bytes> broken = {
        wrongDigest,
        oversize,
        badSync,
        qorinet_api::encodeDataFrame(qorinet_api::DATA_BLOCK_CAN, 0, Bytes(25).data(), 25, false),
        qorinet_api::encodeDataFrame(qorinet_api::DATA_BLOCK_UART, 0, uartRecord(0, "abc").data(), 18, false),
    };
    for (std::size_t i = 0; i < broken.size(); ++i) {
        const auto link = connectFrom("127.0.0.1");
        ASSERT_TRUE(link);
        ASSERT_EQ(link->send(broken[i].data(), broken[i].size()), static_cast<int>(broken[i].size()));
        EXPECT_TRUE(closedByClient(*link)) << "frame " << i;
    }
    ZaMoCanFrame can[2] = {};
    std::int32_t count = 2;
    ASSERT_EQ(client.readCan(kNode, 0, can, count), 0);
    EXPECT_EQ(count, 0) << "nothing of a broken frame is kept";

    const auto stranger = connectFrom("127.0.0.9");
    ASSERT_TRUE(stranger);
    EXPECT_TRUE(closedByClient(*stranger));

    const auto link = connectFrom("127.0.0.1");
    ASSERT_TRUE(link);
    ASSERT_TRUE(send(*link, qorinet_api::DATA_BLOCK_KEEPALIVE, 0, {}, false));
    ASSERT_TRUE(eventually([&] { return frames() == 1; }, 2000ms));
    client.closeNode(kNode);
    EXPECT_TRUE(closedByClient(*link));
    EXPECT_EQ(client.readCan(kNode, 0, can, count), uni::osal::ERR_UNI_OSAL_ECONNECTION);
}

} // namespace
} // namespace z2e::test
