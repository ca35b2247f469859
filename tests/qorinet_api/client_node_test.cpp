// The remote node against a scripted node on loopback: request/answer matching, failures of
// the connection, the guards, the board-document cache and the wire form of the requests.

#include "scripted_control_server.h"

#include "qorinet_api/client/qorinet_client_node.h"
#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/common/qorinet_result_codes.h"
#include "qorinet_api/common/wire_records.h"

#include "uni/osal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

namespace {

using namespace qorinet_api;
using uni::ipv4::IpAddressPair;
using z2e::test::Bytes;
using z2e::test::PayloadBytes;
using z2e::test::RecordedRequest;
using z2e::test::ScriptedControlServer;

std::uint32_t mask(int prefix)
{
    return uni::ipv4::maskFromPrefix(prefix).value();
}

class FakeOwner : public IfNodeOwner {
public:
    uni::ipv4::IpAddressPairList pairs;
    std::atomic<int> connected{0};
    std::atomic<int> disconnected{0};
    int restarts = 0;

    uni::ipv4::IpAddressPairList localAddressPairs() const override { return pairs; }
    std::uint16_t clientControlPort() const override { return 19237; }
    std::uint16_t clientDataPort() const override { return 19247; }
    std::uint64_t sessionFor(const std::string&) const override { return 77; }
    std::uint32_t scanTimeMs() const override { return 500; }
    void nodeConnected(std::uint32_t) override { ++connected; }
    void nodeDisconnected(std::uint32_t) override { ++disconnected; }
    std::int32_t restartServer(std::uint32_t id) override { return ++restarts, static_cast<std::int32_t>(id); }
    std::int32_t rebootSystem(std::uint32_t) override { return 0; }
    std::int32_t setIpConfig(std::uint32_t, std::uint32_t, const std::string&, const std::string&) override
    {
        return 0;
    }
    bool interceptSetParam_i32(std::uint32_t, std::int32_t, std::int32_t command, std::int32_t,
                               std::int32_t& result) override
    {
        result = 4242;
        return command == 39;
    }
    bool interceptGetParam(std::uint32_t, std::int32_t, std::int32_t, std::int64_t&, std::int32_t&) override
    {
        return false;
    }
    std::int32_t readCan(std::uint32_t, std::int32_t, ZaMoCanFrame*, std::int32_t& count) override
    {
        return count = 0, 0;
    }
    std::int32_t readCanRawFrame(std::uint32_t, std::int32_t, ZaMoCanFrame*&, std::int32_t&) override { return 0; }
    std::int32_t freeFramesCan(std::uint32_t, std::int32_t, std::int32_t) override { return 0; }
    std::int32_t readDmaUart(std::uint32_t, std::int32_t, std::uint8_t*, std::int32_t&) override { return 0; }
    std::int32_t readDmaUartRawFrame(std::uint32_t, std::int32_t, ZaMoUartFrame*&, std::int32_t&) override { return 0; }
    std::int32_t freeDmaUartRawFrame(std::uint32_t, std::int32_t, std::int32_t) override { return 0; }
};

class ClientNodeTest : public ::testing::Test {
protected:
    ScriptedControlServer server;
    FakeOwner owner;
    std::unique_ptr<QORINetClientNode> node;

    void SetUp() override
    {
        ASSERT_NE(0, server.port());
        owner.pairs = {IpAddressPair("10.1.2.3", mask(16)), IpAddressPair("127.0.0.1", mask(8))};
        node = std::make_unique<QORINetClientNode>(&owner, 7, 0, 0, true);
        node->setAddressPair(IpAddressPair("127.0.0.1", mask(8)));
        node->guessLocalIpAddress(node->addressPair());
        node->setPorts(proto::PortTriple::fromBase(server.port()));
        QORINetClientNode::BoardInfo board;
        board.name = "AX-16";
        node->setBoards({board, board});
        node->setEnclosures({{0, "Rack-8", "E100", 8}});
        node->setScanState(QORINetClientNode::kScanFree);
        node->startNode();
    }

    void connect()
    {
        ASSERT_EQ(0, node->connect());
        ASSERT_TRUE(node->isConnected());
    }

    /// Requests the node sent after connecting (hello, two board fetches, settings).
    std::vector<RecordedRequest> requestsAfterConnect() const
    {
        auto all = server.requests();
        return std::vector<RecordedRequest>(all.begin() + 4, all.end());
    }

    /// Answers every request of `command` with `frames`, everything else by default.
    void answer(std::uint16_t command, std::vector<Bytes> frames)
    {
        server.setScript([command, frames](const RecordedRequest& request) {
            return request.header.command == command ? frames : ScriptedControlServer::defaultAnswer(request);
        });
    }
    /// Answers every request of `command` with one answer frame carrying `payload`.
    void answerWith(std::uint16_t command, const Bytes& payload)
    {
        answer(command, {ScriptedControlServer::answer(command, payload)});
    }
};

/// The XML document a request carries; empty when it carries none.
std::string documentOf(const RecordedRequest& request)
{
    std::string xml;
    PayloadReader(request.payload.data(), request.payload.size()).document(xml);
    return xml;
}

TEST_F(ClientNodeTest, ConnectSaysHelloFetchesBoardsAndSendsSettings)
{
    connect();
    EXPECT_EQ(1, owner.connected);
    EXPECT_EQ(ScriptedControlServer::kHelloValue, node->helloValue());

    const auto requests = server.requests();
    ASSERT_EQ(4u, requests.size());
    EXPECT_EQ(proto::CMD_HELLO, requests[0].header.command);
    EXPECT_EQ("<Cmd><Client><cmd-version>65536</cmd-version><sw-version>268435457</sw-version>"
              "<net-addr>127.0.0.1</net-addr><net-mask>255.0.0.0</net-mask><ctrl_port>19237</ctrl_port>"
              "<data_port>19247</data_port><session>77</session><scan-time>500</scan-time></Client></Cmd>",
              documentOf(requests[0]));

    for (std::uint32_t i = 0; i < 2; ++i) {
        const RecordedRequest& fetch = requests[1 + i];
        EXPECT_EQ(proto::CMD_BOARD_PROPERTIES, fetch.header.command);
        Bytes expected(16, 0);
        expected[0] = static_cast<std::uint8_t>(i);
        EXPECT_EQ(expected, fetch.payload);
    }
    EXPECT_EQ("<Cmd><Node><id>7</id><recording>0</recording></Node></Cmd>", documentOf(requests[3]));

    // Board documents now come from the cache, without a request.
    std::string text;
    std::uint32_t length = 0;
    EXPECT_EQ(0, node->GetParamStruct_str("BoardID1", "BoardProperties", text));
    EXPECT_EQ("<Board index=\"1\"/>", text);
    EXPECT_EQ(0, node->GetParamStruct_strLEN("BoardID0", "BoardPropertiesFile", length));
    EXPECT_EQ(text.size() + 1, length);
    EXPECT_EQ(4u, server.requestCount());
    // Another command on the same target, or a target that only looks like one, goes out.
    EXPECT_EQ(0, node->GetParamStruct_str("BoardID1x", "BoardProperties", text));
    EXPECT_EQ(0, node->GetParamStruct_str("BoardID1", "BoardFeatures", text));
    EXPECT_EQ(6u, server.requestCount());

    EXPECT_EQ(0, node->connect()); // already connected: nothing sent
    EXPECT_EQ(6u, server.requestCount());
}

TEST_F(ClientNodeTest, ConnectOnlyInScanStatesThreeAndFive)
{
    for (std::uint32_t state : {0u, 1u, 2u, 4u}) {
        node->setScanState(state);
        EXPECT_EQ(uni::osal::ERR_UNI_OSAL_ECONNECTION, node->connect()) << state;
    }
    node->setScanState(9); // out of range: ignored, state stays 4
    EXPECT_EQ(4u, node->scanState());
    EXPECT_EQ(0, server.accepted());

    node->setScanState(QORINetClientNode::kScanHeld);
    connect();
    EXPECT_EQ(1, server.accepted());
}

TEST_F(ClientNodeTest, RefusedConnectionAndRefusedHello)
{
    node->setPorts(proto::PortTriple::fromBase(1)); // nothing listens on port 1 of loopback
    node->startNode();
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_ESOCKET, node->connect());
    EXPECT_FALSE(node->isConnected());

    node->setPorts(proto::PortTriple::fromBase(server.port()));
    answerWith(proto::CMD_HELLO, PayloadBytes().i32(260));
    EXPECT_EQ(260, node->connect());
    EXPECT_FALSE(node->isConnected());
    EXPECT_EQ(1, owner.disconnected);
    EXPECT_TRUE(server.waitClosed(1, 2000));
}

TEST_F(ClientNodeTest, HeartbeatsAndStrangersAreSkipped)
{
    connect();
    const Bytes value = PayloadBytes().i32(0).zeros(4).i32(-123456);
    answer(proto::CMD_GET_PARAM_I32,
           {ScriptedControlServer::heartbeat(proto::CMD_GET_PARAM_I32),
            ScriptedControlServer::answer(proto::CMD_GET_PARAM_I64, PayloadBytes().i32(0).zeros(12)), // stranger
            ScriptedControlServer::heartbeat(proto::CMD_GET_PARAM_I32),
            ScriptedControlServer::answer(proto::CMD_GET_PARAM_I32, value)});
    std::int32_t read = 0;
    EXPECT_EQ(0, node->GetParam_i32(1, 0x55, read));
    EXPECT_EQ(-123456, read);
    EXPECT_TRUE(node->isConnected());

    const RecordedRequest request = requestsAfterConnect().at(0);
    EXPECT_EQ(proto::CMD_GET_PARAM_I32, request.header.command);
    Bytes block(32, 0);
    block[0] = 1;
    block[4] = 0x55;
    EXPECT_EQ(block, request.payload);
}

// A node may send frames back to back in one write: what ran past an answer starts the next
// request's reading, and belongs to its connection alone.
TEST_F(ClientNodeTest, BytesPastAnAnswerBelongToTheNextRequestOfThatConnection)
{
    connect();
    const Bytes stranger = ScriptedControlServer::answer(proto::CMD_GET_PARAM_I64, PayloadBytes().i32(0).zeros(12));
    auto glued = [](std::vector<Bytes> parts) {
        Bytes all;
        for (const Bytes& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    auto valueAnswer = [](std::int32_t value) {
        return ScriptedControlServer::answer(proto::CMD_GET_PARAM_I32, PayloadBytes().i32(0).zeros(4).i32(value));
    };
    const Bytes strangerStart(stranger.begin(), stranger.begin() + 20);
    const Bytes strangerRest(stranger.begin() + 20, stranger.end());
    const std::vector<Bytes> blobs = {
        glued({ScriptedControlServer::heartbeat(proto::CMD_GET_PARAM_I32), valueAnswer(11), strangerStart}),
        glued({strangerRest, valueAnswer(22), strangerStart}), glued({valueAnswer(33)})};
    auto sent = std::make_shared<std::size_t>(0);
    server.setScript([&blobs, sent](const RecordedRequest& request) {
        if (request.header.command != proto::CMD_GET_PARAM_I32)
            return ScriptedControlServer::defaultAnswer(request);
        return std::vector<Bytes>{blobs.at(std::min(blobs.size() - 1, (*sent)++))};
    });

    std::int32_t read = 0;
    ASSERT_EQ(0, node->GetParam_i32(0, 1, read));
    EXPECT_EQ(11, read);
    ASSERT_EQ(0, node->GetParam_i32(0, 1, read));
    EXPECT_EQ(22, read);
    // The stranger's start is still held when the connection ends; the next one never sees it.
    ASSERT_EQ(0, node->disconnect());
    connect();
    ASSERT_EQ(0, node->GetParam_i32(0, 1, read));
    EXPECT_EQ(33, read);
    EXPECT_TRUE(node->isConnected());
}

TEST_F(ClientNodeTest, StatusesPassThrough)
{
    connect();
    answerWith(proto::CMD_SET_PARAM_I32, PayloadBytes().i32(100010));
    EXPECT_EQ(100010, node->SetParam_i32(0, 12, -5));
    const RecordedRequest set = requestsAfterConnect().at(0);
    ASSERT_EQ(32u, set.payload.size());
    std::int64_t sent = 0;
    PayloadReader(set.payload.data(), set.payload.size()).i64At(8, sent);
    EXPECT_EQ(-5, sent); // the i32 travels sign-extended in the 8-byte field

    answerWith(proto::CMD_GET_PARAM_I64, PayloadBytes().i32(-3).zeros(4).u64(1ull << 40));
    std::int64_t wide = 0;
    EXPECT_EQ(-3, node->GetParam_i64(0, 1, wide)); // a warning still carries the value
    EXPECT_EQ(1ll << 40, wide);

    answerWith(proto::CMD_GET_PARAM_I32, PayloadBytes().i32(256).zeros(4).i32(99));
    std::int32_t value = 5;
    EXPECT_EQ(256, node->GetParam_i32(1, 1, value));
    EXPECT_EQ(5, value); // an error leaves the out value alone

    std::string text = "previous";
    answerWith(proto::CMD_GET_PARAM_XML_STR, PayloadBytes().i32(260803).text("junk"));
    EXPECT_EQ(260803, node->GetParamXML_str("System", "Tree", text));
    EXPECT_EQ("previous", text);
    EXPECT_EQ("<Cmd><target>System</target><command>Tree</command><string>previous</string></Cmd>",
              documentOf(requestsAfterConnect().back()));

    // A short answer, or a text longer than its answer, is no success, and the stream was fine:
    // "no usable answer", not a format error that words as a lost connection.
    answerWith(proto::CMD_OPEN_CAN, Bytes{0, 0});
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_ERROR, node->OpenCAN(0));
    answerWith(proto::CMD_GET_PARAM_XML_STR, PayloadBytes().i32(0).u32(0x7FFFFFFF).zeros(3));
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_ERROR, node->GetParamXML_str("System", "Tree", text));
    EXPECT_EQ("previous", text);
    EXPECT_TRUE(node->isConnected());
    answerWith(proto::CMD_ERROR_TO_STRING, PayloadBytes().text("ERR_BOARD_NOT_FOUND"));
    EXPECT_EQ(0, node->ErrorConstantToString(256, text)); // no status word in this answer
    EXPECT_EQ("ERR_BOARD_NOT_FOUND", text);
    answerWith(proto::CMD_ERROR_CNT_CAN, PayloadBytes().i32(0).u32(17));
    std::uint32_t errors = 0;
    EXPECT_EQ(0, node->ErrorCntCAN(1, 2, errors));
    EXPECT_EQ(17u, errors);
}

TEST_F(ClientNodeTest, OversizeAnswerAndSilenceCloseTheConnection)
{
    connect();
    Bytes huge(8, 0);
    ControlFrame::writeHeader(huge.data(),
                              FrameHeader{1, proto::answerCode(proto::CMD_OPEN_CAN), proto::kMaxPayload + 1});
    answer(proto::CMD_OPEN_CAN, {huge});
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_EFORMAT, node->OpenCAN(0));
    EXPECT_FALSE(node->isConnected());
    EXPECT_EQ(proto::kBufferSize, node->requestBufferCapacity());

    server.setScript(&ScriptedControlServer::defaultAnswer);
    node->setReceiveTimeoutMs(150);
    connect();
    answer(proto::CMD_CLOSE_CAN, {}); // never answers
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_ETIMEOUT, node->CloseCAN(0));
    EXPECT_FALSE(node->isConnected());
}

TEST_F(ClientNodeTest, LargePayloadsGrowTheBufferForOneRequest)
{
    connect();
    std::string big(20000, 'x');
    for (std::size_t i = 0; i < big.size(); i += 97)
        big[i] = static_cast<char>('a' + i % 26);
    answerWith(proto::CMD_GET_PARAM_XML_STR, PayloadBytes().i32(0).text(big));
    std::string text;
    ASSERT_EQ(0, node->GetParamXML_str("System", "Big", text));
    EXPECT_EQ(big, text);
    EXPECT_EQ(proto::kBufferSize, node->requestBufferCapacity());

    const std::string outgoing(30000, 'y');
    server.setScript(&ScriptedControlServer::defaultAnswer);
    ASSERT_EQ(0, node->SetParamXML_str("System", "Big", outgoing));
    EXPECT_EQ(proto::kBufferSize, node->requestBufferCapacity());
    CommandDocument doc;
    ASSERT_TRUE(doc.parse(documentOf(requestsAfterConnect().back())));
    EXPECT_EQ(outgoing, doc.text("", "string"));
}

TEST_F(ClientNodeTest, GuardsAnswerWithoutARequest)
{
    std::int32_t value = 0;
    std::string text;
    std::int32_t count = 1;
    ZaMoCanFrame frames[1] = {};
    // Not connected: everything that sends says so.
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_ECONNECTION, node->GetParam_i32(0, 1, value));
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_ECONNECTION, node->setName("x"));
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_ECONNECTION, node->GetParamXML_str("System", "x", text));
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_ECONNECTION, node->StartCAN(9, 9)); // before the board check
    EXPECT_EQ("[RemoteNode]", node->getName());                           // the refused name was not kept

    connect();
    const std::size_t before = server.requestCount();
    EXPECT_EQ(ERR_BOARD_NOT_FOUND, node->GetParam_i32(2, 1, value));
    EXPECT_EQ(ERR_BOARD_NOT_FOUND, node->SetParam_i64(-1, 1, 0));
    EXPECT_EQ(ERR_BOARD_NOT_FOUND, node->OpenDmaUart(2));
    EXPECT_EQ(ERR_BOARD_NOT_FOUND, node->StartCAN(5, 0));
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_EARG, node->StartCAN(1, 4));
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_EARG, node->StopDmaUart(0, -2));
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_EOBJECT, node->ReadCAN(0, nullptr, count));
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_EOBJECT, node->ReadDmaUart(0, nullptr, count));
    EXPECT_EQ(4242, node->SetParam_i32(0, 39, 1)); // answered by the owner's data path
    EXPECT_EQ(before, server.requestCount());
    EXPECT_EQ(0, node->StartCAN(1, -1)); // -1 (all channels) is allowed
    EXPECT_EQ(0, node->ReadCAN(0, frames, count));

    // Tainted: refused even though the socket is still open.
    EXPECT_TRUE(node->setTainted());
    EXPECT_FALSE(node->setTainted());
    const std::size_t tainted = server.requestCount();
    EXPECT_EQ(ERR_QORINET_NODE_TAINTED, node->GetParam_i32(0, 1, value));
    EXPECT_EQ(ERR_QORINET_NODE_TAINTED, node->GetParamStruct_str("BoardID0", "BoardProperties", text));
    EXPECT_EQ(ERR_QORINET_NODE_TAINTED, node->setRecording(true));
    EXPECT_EQ(ERR_QORINET_NODE_TAINTED, node->ErrorConstantToString(1, text));
    EXPECT_EQ(tainted, server.requestCount());
    EXPECT_TRUE(node->isConnected());
}

TEST_F(ClientNodeTest, CommandPayloads)
{
    connect();
    ZaMoCanFrame frames[2] = {};
    frames[0].id = 0x123;
    frames[0].dlc = 2;
    frames[1].id = 0x456;
    frames[1].channel = 3;
    std::int32_t count = 2;
    ASSERT_EQ(0, node->WriteCAN(1, frames, count));
    const std::uint8_t uart[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::int32_t bytes = sizeof uart;
    ASSERT_EQ(0, node->WriteDmaUart(0, uart, bytes));
    ASSERT_EQ(0, node->StopCAN(1, 3));
    ASSERT_EQ(0, node->setName("Bench rig"));
    EXPECT_EQ("Bench rig", node->getName());
    // A name the node would refuse is not sent.
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_EARG, node->setName(std::string(7000, 'n')));
    EXPECT_EQ("Bench rig", node->getName());

    auto requests = requestsAfterConnect();
    ASSERT_EQ(4u, requests.size());
    const Bytes& can = requests[0].payload;
    ASSERT_EQ(8u + 2 * 44, can.size());
    EXPECT_EQ(1u, PayloadReader::loadU32(can.data()));
    EXPECT_EQ(2u, PayloadReader::loadU32(can.data() + 4));
    EXPECT_EQ(0x456u, WireRecords::decodeCan(can.data() + 8 + 44).id);
    EXPECT_EQ(3, WireRecords::decodeCan(can.data() + 8 + 44).channel);

    const Bytes& records = requests[1].payload;
    ASSERT_EQ(8u + 2 * 16, records.size());
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(WireRecords::decodeUart(records.data() + 8, 2, back));
    EXPECT_EQ(Bytes(uart, uart + sizeof uart), back);

    EXPECT_EQ((Bytes{1, 0, 0, 0, 3, 0, 0, 0}), requests[2].payload);
    EXPECT_EQ(proto::CMD_STOP_CAN, requests[2].header.command);
    EXPECT_EQ("<Cmd><Node><name>Bench rig</name></Node></Cmd>", documentOf(requests[3]));
}

TEST_F(ClientNodeTest, DisconnectSaysGoodbye)
{
    connect();
    EXPECT_EQ(0, node->disconnect());
    EXPECT_FALSE(node->isConnected());
    EXPECT_EQ(1, owner.disconnected);
    EXPECT_TRUE(server.waitClosed(1, 2000));
    EXPECT_EQ(proto::CMD_CLOSE, server.requests().back().header.command);
    EXPECT_TRUE(server.requests().back().payload.empty());
    EXPECT_EQ(0, node->disconnect()); // again: harmless
}

TEST_F(ClientNodeTest, DisconnectWakesAWaitingRequest)
{
    node->setReceiveTimeoutMs(5000);
    connect();
    answer(proto::CMD_CLOSE_CAN, {}); // never answers
    std::atomic<std::int32_t> result{0};
    std::thread waiting([&] { result = node->CloseCAN(0); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (server.requestCount() < 5 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(0, node->disconnect());
    waiting.join();
    EXPECT_NE(0, result.load());
    EXPECT_NE(uni::osal::ERR_UNI_OSAL_ETIMEOUT, result.load()); // woken by the close, not the clock
    EXPECT_FALSE(node->isConnected());
}

TEST_F(ClientNodeTest, ConcurrentRequestsStayPaired)
{
    connect();
    // Each answer carries the command word of its request back as the value.
    server.setScript([](const RecordedRequest& request) {
        std::uint32_t command = 0;
        PayloadReader(request.payload.data(), request.payload.size()).u32At(4, command);
        return std::vector<Bytes>{
            ScriptedControlServer::answer(request.header.command, PayloadBytes().i32(0).zeros(4).u32(command))};
    });
    std::atomic<int> mismatches{0};
    auto worker = [&](std::int32_t base) {
        for (std::int32_t i = 0; i < 40; ++i) {
            std::int32_t value = -1;
            if (node->GetParam_i32(0, base + i, value) != 0 || value != base + i)
                ++mismatches;
        }
    };
    std::thread a(worker, 1000);
    std::thread b(worker, 2000);
    a.join();
    b.join();
    EXPECT_EQ(0, mismatches);
    EXPECT_TRUE(node->isConnected());
}

TEST(ClientNodeRecord, GuessLocalAddressAndDefaults)
{
    FakeOwner owner;
    owner.pairs = {IpAddressPair("192.168.7.1", mask(24)), IpAddressPair("10.0.0.5", mask(8)),
                   IpAddressPair("127.0.0.2", mask(8))};
    QORINetClientNode node(&owner, 3, 0, 0, false);
    EXPECT_EQ(owner.pairs[1], node.guessLocalIpAddress(IpAddressPair("10.200.0.9", mask(8))));
    EXPECT_EQ(owner.pairs[1], node.localAddressPair());
    // The remote mask decides: a /16 remote is not on 10/8 ... unless its /16 network matches.
    EXPECT_EQ(IpAddressPair(), node.guessLocalIpAddress(IpAddressPair("10.200.0.9", mask(16))));
    // Without a remote mask the local one is used.
    EXPECT_EQ(owner.pairs[2], node.guessLocalIpAddress(IpAddressPair("127.9.9.9", 0)));
    EXPECT_EQ(IpAddressPair(), node.guessLocalIpAddress(IpAddressPair("172.16.0.1", mask(12))));

    EXPECT_EQ(3, node.restartServer());
    QORINetClientNode orphan(nullptr, 4, 0, 0, false);
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_ECONNECTION, orphan.restartServer());
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_ECONNECTION, orphan.setIpConfig(0, "127.0.0.9", "255.0.0.0"));
    EXPECT_EQ(IpAddressPair(), orphan.guessLocalIpAddress(IpAddressPair("127.0.0.1", mask(8))));
}

} // namespace
