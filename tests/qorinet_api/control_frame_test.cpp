// Frame encoding, the stream reader's bounds and the payload helpers.

#include "support/tcp_pair.h"

#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/control_frame.h"
#include "qorinet_api/common/frame_read_ahead.h"
#include "qorinet_api/common/frame_reader.h"
#include "qorinet_api/common/frame_writer.h"
#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/common/payload_writer.h"
#include "qorinet_api/common/receive_deadline.h"
#include "qorinet_api/common/wire_records.h"

#include "uni/osal.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace qorinet_api;
using Bytes = std::vector<std::uint8_t>;

// The near end reads with a receive time-out of 200 ms.
struct LoopbackPair : z2e::test::TcpPair {
    LoopbackPair() : TcpPair(0, 200) {}
    void feed(const Bytes& bytes)
    {
        ASSERT_EQ(static_cast<int>(bytes.size()), server.send(bytes.data(), bytes.size()));
    }
};

Bytes header(std::uint16_t id, std::uint16_t command, std::uint32_t length)
{
    Bytes out(8);
    ControlFrame::writeHeader(out.data(), FrameHeader{id, command, length});
    return out;
}

TEST(ControlFrame, EncodesHandBuiltBytes)
{
    const std::uint8_t payload[] = {1, 2, 3};
    const Bytes expected = {0xef, 0xbe, 0x21, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03,
                            // SHA3-256 of the 11 bytes above
                            0x49, 0x1e, 0x3b, 0x13, 0x48, 0xe3, 0xf5, 0x62, 0xa1, 0x3f, 0x78, 0x74, 0x76, 0xeb, 0x7b,
                            0x01, 0xd0, 0xe0, 0x23, 0x92, 0xf6, 0x89, 0x22, 0xfa, 0x5c, 0xb1, 0x7e, 0x49, 0x43, 0x02,
                            0x65, 0x90};
    EXPECT_EQ(expected, ControlFrame::encode(0x21, payload, sizeof payload, 0xBEEF));

    // The same frame built in place by the writer, as the client sends it.
    FrameBuffer buffer;
    PayloadWriter(buffer).bytes(payload, sizeof payload);
    ASSERT_TRUE(FrameWriter::seal(buffer, 0x21, 0xBEEF));
    EXPECT_EQ(expected, Bytes(buffer.frame(), buffer.frame() + buffer.size() + 40));
}

TEST(ControlFrame, DecodeChecksLengthAndDigest)
{
    const std::uint8_t payload[] = {9, 8, 7, 6};
    Bytes frame = ControlFrame::encode(0x4021, payload, sizeof payload, 7);
    FrameHeader h;
    const std::uint8_t* body = nullptr;

    Bytes longer = frame;
    longer.push_back(0xAA); // the next frame's first byte may follow
    ASSERT_EQ(44, ControlFrame::decode(longer.data(), longer.size(), h, body));
    EXPECT_EQ(0x4021, h.command);
    EXPECT_EQ(7, h.id);
    EXPECT_EQ(0, std::memcmp(body, payload, 4));

    EXPECT_EQ(uni::osal::SOCK_EFORMAT, ControlFrame::decode(frame.data(), frame.size() - 1, h, body));
    frame[9] ^= 0x01;
    EXPECT_EQ(uni::osal::SOCK_ECHECKSUM, ControlFrame::decode(frame.data(), frame.size(), h, body));
    frame[9] ^= 0x01;
    frame[frame.size() - 1] ^= 0x80; // the digest itself damaged
    EXPECT_EQ(uni::osal::SOCK_ECHECKSUM, ControlFrame::decode(frame.data(), frame.size(), h, body));

    Bytes huge = header(1, 2, proto::kMaxPayload + 1);
    huge.resize(64, 0);
    EXPECT_EQ(uni::osal::SOCK_EFORMAT, ControlFrame::decode(huge.data(), huge.size(), h, body));
}

// A header that lies about a large payload: memory follows the bytes that came.
TEST(FrameReader, LyingLengthGrowsOnlyWithTheBytes)
{
    LoopbackPair pair;
    Bytes lie = header(1, 0x4021, 60u * 1024 * 1024);
    lie.resize(8 + 100000, 0x5A);
    pair.feed(lie);
    pair.server.close();
    FrameBuffer buffer;
    FrameHeader h;
    EXPECT_EQ(uni::osal::SOCK_EFORMAT, FrameReader::read(pair.client, buffer, h));
    EXPECT_LT(buffer.capacity(), 300000u);
    EXPECT_FALSE(pair.client.isOpen());
}

Bytes frameOf(std::uint16_t id, std::size_t length)
{
    Bytes payload(length);
    for (std::size_t i = 0; i < length; ++i)
        payload[i] = static_cast<std::uint8_t>(i * 7 + id);
    return ControlFrame::encode(0x4021, payload.data(), payload.size(), id);
}

// Whatever one receive brought past its frame is the next frame's start, in order, and a
// frame larger than the buffer still grows it with its bytes.
TEST(FrameReader, ReadingAheadKeepsWhatRanOverInOrder)
{
    LoopbackPair pair;
    const Bytes first = frameOf(1, 4);
    const Bytes second = frameOf(2, 0);
    const Bytes large = frameOf(3, 10000);
    Bytes burst = first;
    burst.insert(burst.end(), second.begin(), second.end());
    burst.insert(burst.end(), large.begin(), large.begin() + 100);
    pair.feed(burst);

    FrameBuffer buffer;
    FrameReadAhead ahead;
    FrameHeader h;
    ASSERT_EQ(44, FrameReader::read(pair.client, buffer, h, &ahead));
    EXPECT_EQ(1, h.id);
    EXPECT_EQ(Bytes(first.begin() + 8, first.end() - 32), Bytes(buffer.payload(), buffer.payload() + 4));
    EXPECT_EQ(second.size() + 100, ahead.size());
    ASSERT_EQ(40, FrameReader::read(pair.client, buffer, h, &ahead));
    EXPECT_EQ(2, h.id);

    pair.feed(Bytes(large.begin() + 100, large.end()));
    ASSERT_EQ(static_cast<int>(large.size()), FrameReader::read(pair.client, buffer, h, &ahead));
    EXPECT_EQ(3, h.id);
    EXPECT_EQ(Bytes(large.begin() + 8, large.end() - 32), Bytes(buffer.payload(), buffer.payload() + 10000));
    EXPECT_TRUE(ahead.empty());
    EXPECT_TRUE(pair.client.isOpen());

    // A buffer grown by a large request asks for no more than the usual first: a node sending
    // megabytes behind a small answer gets no more than one buffer's worth held.
    FrameBuffer grown(1024 * 1024);
    Bytes flood = frameOf(4, 4);
    flood.resize(flood.size() + 20000, 0x5A);
    pair.feed(flood);
    ASSERT_EQ(44, FrameReader::read(pair.client, grown, h, &ahead));
    EXPECT_EQ(proto::kBufferSize + proto::kFrameOverhead - 44, ahead.size());
}

// A held frame start is a frame begun: the rest that never comes is a time-out that ends the
// stream, and a failure leaves nothing held for a stream that comes after.
TEST(FrameReader, ReadingAheadFailuresEndTheStreamAndForgetTheRest)
{
    Bytes damaged = frameOf(2, 4);
    damaged[9] ^= 0x01;
    const Bytes cut(damaged.begin(), damaged.begin() + 5);
    const struct {
        std::vector<Bytes> behind; // what follows a good first frame in the same write
        int failure;
    } cases[] = {{{cut}, uni::osal::SOCK_ETIMEOUT}, {{damaged, frameOf(3, 4)}, uni::osal::SOCK_ECHECKSUM}};
    for (const auto& c : cases) {
        LoopbackPair pair;
        Bytes burst = frameOf(1, 4);
        for (const Bytes& part : c.behind)
            burst.insert(burst.end(), part.begin(), part.end());
        pair.feed(burst);
        FrameBuffer buffer;
        FrameReadAhead ahead;
        FrameHeader h;
        ASSERT_EQ(44, FrameReader::read(pair.client, buffer, h, &ahead));
        EXPECT_EQ(c.failure, FrameReader::read(pair.client, buffer, h, &ahead));
        EXPECT_FALSE(pair.client.isOpen());
        EXPECT_TRUE(ahead.empty());
    }
}

// An end reached, even by less than a millisecond, is an end: arming then would hand the
// socket a time-out of 0, which waits for ever.
TEST(ReceiveDeadline, AnEndReachedRefusesToArmAndTheSocketGetsItsTimeOutBack)
{
    LoopbackPair pair;
    {
        ReceiveDeadline deadline(pair.client, 60000);
        ASSERT_TRUE(deadline.arm());
        EXPECT_EQ(pair.client.receiveTimeout(), 200u) << "a wait shorter than what is left stays as it is";
        deadline.extend(0, ReceiveDeadline::Clock::now() + std::chrono::hours(1));
        EXPECT_FALSE(deadline.arm());
        deadline.extend(60000, ReceiveDeadline::Clock::now());
        EXPECT_FALSE(deadline.arm()) << "never past the ceiling";
        deadline.extend(50, ReceiveDeadline::Clock::now() + std::chrono::hours(1));
        ASSERT_TRUE(deadline.arm());
        EXPECT_LE(pair.client.receiveTimeout(), 50u);
        EXPECT_GT(pair.client.receiveTimeout(), 0u);
        std::uint8_t byte = 0;
        EXPECT_EQ(deadline.receive(&byte, 1), uni::osal::SOCK_ETIMEOUT);
    }
    EXPECT_EQ(pair.client.receiveTimeout(), 200u);
}

TEST(Payload, WriterLayoutAndBoundedReader)
{
    FrameBuffer buffer;
    PayloadWriter writer(buffer);
    writer.document("<Cmd/>").i64(-2).padTo(32);
    const Bytes expected = {0,   0,   0,   0,    6,    0,    0,    0,    '<',  'C',  'm',
                            'd', '/', '>', 0xfe, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
    ASSERT_EQ(32u, writer.size());
    EXPECT_EQ(expected, Bytes(buffer.payload(), buffer.payload() + expected.size()));

    const PayloadReader reader(buffer.payload(), buffer.size());
    std::string text;
    std::int64_t value = 0;
    ASSERT_TRUE(reader.document(text));
    EXPECT_EQ("<Cmd/>", text);
    ASSERT_TRUE(reader.i64At(14, value));
    EXPECT_EQ(-2, value);
    EXPECT_FALSE(reader.i64At(25, value));
    EXPECT_FALSE(reader.textAt(30, text)); // length word cut off by the end
    const std::uint8_t lying[] = {0xff, 0xff, 0xff, 0x7f, 'a'};
    EXPECT_FALSE(PayloadReader(lying, sizeof lying).textAt(0, text));
}

TEST(CommandDocument, FieldsAndNumbers)
{
    CommandDocument doc;
    doc.set("Node", "name", std::string("Rig <A>"));
    doc.set("", "target", std::string("BoardID3"));
    doc.set("Node", "name", std::string("Rig B")); // overwritten, not duplicated
    const std::string text = doc.toString();
    EXPECT_EQ("<Cmd><Node><name>Rig B</name></Node><target>BoardID3</target></Cmd>", text);

    CommandDocument back;
    ASSERT_TRUE(back.parse(text));
    EXPECT_EQ("Rig B", back.text("Node", "name").value());
    EXPECT_FALSE(back.text("Client", "name").has_value());
    EXPECT_FALSE(back.parse(std::string("<Other/>")));
    EXPECT_FALSE(back.parse(std::string("<Cmd>")));
}

TEST(WireRecords, CanAndUartRecords)
{
    ZaMoCanFrame frame{};
    frame.timestampUs = 0x0102030405060708ull;
    frame.id = 0x1ABCDEF;
    frame.channel = 2;
    frame.flags = 1;
    frame.dlc = 8;
    for (int i = 0; i < 8; ++i)
        frame.data[i] = static_cast<std::uint8_t>(0xA0 + i);
    Bytes record(proto::kCanRecordSize, 0xCC);
    WireRecords::encodeCan(frame, record.data());
    // Channel, id, dlc and flags, data, the time stamp's low and high words, zeros.
    Bytes expected = {2,    0,    0,    0,    0xEF, 0xCD, 0xAB, 0x01, 8,    1,    0,    0,    0xA0, 0xA1,
                      0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01};
    expected.resize(proto::kCanRecordSize, 0);
    EXPECT_EQ(expected, record);
    const ZaMoCanFrame back = WireRecords::decodeCan(record.data());
    EXPECT_EQ(0, std::memcmp(&frame, &back, sizeof frame));

    const Bytes text = {'h', 'e', 'l', 'l', 'o', ' ', 'u', 'a', 'r', 't'};
    ASSERT_EQ(2u, WireRecords::uartRecordCount(text.size()));
    Bytes records(2 * proto::kUartRecordSize, 0xCC);
    WireRecords::encodeUart(text.data(), text.size(), records.data());
    EXPECT_EQ(8u, PayloadReader::loadU32(records.data()));
    EXPECT_EQ(2u, PayloadReader::loadU32(records.data() + 16));
    EXPECT_EQ(0, records[16 + 10]); // padding of the short record
    Bytes decoded;
    ASSERT_TRUE(WireRecords::decodeUart(records.data(), 2, decoded));
    EXPECT_EQ(text, decoded);
    records[16] = 9;
    EXPECT_FALSE(WireRecords::decodeUart(records.data(), 2, decoded));
}

} // namespace
