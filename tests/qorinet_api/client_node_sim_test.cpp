// The remote node against the node simulator: a real hello, board fetch and driver commands,
// and the simulator's misbehaviours as the node sees them.

#include "support/node_sim.h"

#include "qorinet_api/client/discovery_answer.h"
#include "qorinet_api/client/qorinet_client_node.h"
#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/discovery_packet.h"
#include "qorinet_api/common/qorinet_result_codes.h"

#include "uni/osal.h"
#include "uni/udp_socket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace {

using namespace qorinet_api;

constexpr const char* kAddress = "127.0.0.1";

/// Asks the simulator for its scan answer by unicast, as discovery would.
bool discover(std::uint16_t base, DiscoveryAnswer& answer)
{
    uni::UDPSocket socket(uni::Socket::Receiver);
    socket.setLocalEnd(kAddress, 0);
    socket.setReceiveTimeout(200);
    if (socket.open() != 0)
        return false;
    CommandDocument scan;
    scan.set("NetBase", "cmd-version", static_cast<std::uint64_t>(proto::kDiscoveryCmdVersion));
    scan.set("NetBase", "sw-version", std::string("1"));
    scan.set("NetBase", "net-addr", std::string(kAddress));
    scan.set("NetBase", "net-mask", std::string("255.0.0.0"));
    scan.set("NetBase", "port", static_cast<std::uint64_t>(socket.localPort()));
    const auto datagram = DiscoveryPacket::encode(proto::CMD_SCAN_REQUEST, scan.toString());

    uni::UDPSocket sender(uni::Socket::Sender);
    sender.setRemoteEnd(kAddress, static_cast<std::uint16_t>(base + proto::kScanPortOffset));
    if (sender.open() != 0)
        return false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::vector<std::uint8_t> buffer(proto::kBufferSize);
    while (std::chrono::steady_clock::now() < end) {
        sender.send(datagram.data(), datagram.size());
        std::string from;
        const int got = socket.receiveFrom(buffer.data(), buffer.size(), from);
        std::uint16_t command = 0;
        std::string xml;
        if (got > 0 && DiscoveryPacket::decode(buffer.data(), static_cast<std::size_t>(got), command, xml) == 0 &&
            command == proto::CMD_SCAN_ANSWER)
            return DiscoveryAnswer::parse(xml.data(), xml.size(), answer);
    }
    return false;
}

class ClientNodeSimTest : public ::testing::Test {
protected:
    z2e::test::NodeSimProcess sim;
    std::unique_ptr<QORINetClientNode> node;

    /// Starts the simulator with `extra` options and builds the node from its scan answer.
    void startSim(const std::vector<std::string>& extra)
    {
        ASSERT_TRUE(sim.start(kAddress, extra)) << sim.output();
        DiscoveryAnswer answer;
        ASSERT_TRUE(discover(sim.basePort(), answer));
        ASSERT_GT(answer.boards.size(), 0u);
        node = std::make_unique<QORINetClientNode>(nullptr, 1, answer.boardCount, answer.enclosureCount, answer.simulation);
        node->setAddressPair(answer.node);
        node->setPorts(proto::PortTriple::fromBase(answer.controlPort));
        std::vector<QORINetClientNode::BoardInfo> boards;
        for (const auto& b : answer.boards)
            boards.push_back({b.name, b.serial, b.firmware, b.slotIndex, b.enclosureIndex, {}});
        node->setBoards(boards);
        node->storeName(answer.name);
        node->setScanState(QORINetClientNode::kScanFree);
        node->startNode();
        ASSERT_EQ(0, node->connect());
    }
};

TEST_F(ClientNodeSimTest, ConnectsAndRunsDriverCommands)
{
    startSim({});
    std::string cached;
    ASSERT_EQ(0, node->GetParamStruct_str("BoardID0", "BoardProperties", cached));
    EXPECT_NE(std::string::npos, cached.find('<')); // a document, fetched while connecting

    std::int32_t typeCode = 0;
    EXPECT_EQ(0, node->GetParam_i32(0, 1282, typeCode));
    EXPECT_NE(0, typeCode);
    std::string text;
    EXPECT_EQ(0, node->ErrorConstantToString(ERR_BOARD_NOT_FOUND, text));
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(0, node->setName("Rig 4"));
    EXPECT_EQ("Rig 4", node->getName());

    EXPECT_EQ(0, node->disconnect());
    EXPECT_EQ(uni::osal::ERR_UNI_OSAL_ECONNECTION, node->GetParam_i32(0, 1282, typeCode));
    ASSERT_EQ(0, node->connect()); // the node takes the client back
    EXPECT_EQ(0, node->GetParam_i32(0, 1282, typeCode));
}

TEST_F(ClientNodeSimTest, HeartbeatsCarryASlowCommandPastTheTimeOut)
{
    startSim({"--delay-ms", "1600", "--heartbeat-ms", "200"});
    std::int32_t typeCode = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0, node->GetParam_i32(0, 1282, typeCode));
    // Proves the answer really came later than one receive time-out, i.e. heartbeats kept it.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_TRUE(node->isConnected());
}

TEST_F(ClientNodeSimTest, FaultsAsTheNodeSeesThem)
{
    struct Case {
        const char* fault;
        std::int32_t expected;
    };
    for (const Case& c : {Case{"wrong-digest", uni::osal::ERR_UNI_OSAL_ECHECKSUM},
                          Case{"close-mid-frame", uni::osal::ERR_UNI_OSAL_EFORMAT},
                          Case{"slow", uni::osal::ERR_UNI_OSAL_ETIMEOUT}}) {
        SCOPED_TRACE(c.fault);
        startSim({"--fault", c.fault});
        std::int32_t value = 0;
        EXPECT_EQ(c.expected, node->GetParam_i32(0, 1282, value));
        EXPECT_FALSE(node->isConnected());
        sim.stop();
    }
}

} // namespace
