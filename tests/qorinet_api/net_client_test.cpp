// The net client against node simulators on loopback: discovery, the missed-scan rule, the
// node-kind mask, broken datagrams, late queue attachment and the maintenance commands.

#include "net_client_support.h"
#include "support/node_sim.h"

#include "qorinet_api/client/qorinet_client.h"
#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/qorinet_result_codes.h"

#include "uni/osal.h"

#include <gtest/gtest.h>

#include <signal.h>

namespace z2e::test {
namespace {

using namespace std::chrono_literals;

using qorinet_api::QORINetClient;
using qorinet_api::QORINetClientConfig;
using qorinet_api::QORINetClientNode;
namespace osal = uni::osal;

constexpr std::uint32_t kIntervalMs = 250;
constexpr int kFindMs = 5000;

/// The address of every node the client reported with `code`.
std::vector<std::string> addressesWith(const QORINetClient& client, const EventLog& events, std::uint32_t code)
{
    std::vector<std::string> out;
    for (const auto& event : events.history())
        if (event.code == code)
            if (const auto node = client.getNode(event.node))
                out.push_back(node->getAddress());
    return out;
}

/// An announcement (command 8) document for a node nobody can reach.
std::string announcement(const std::string& address, std::uint16_t controlPort)
{
    qorinet_api::CommandDocument doc;
    doc.set("NetBase", "net-addr", address);
    doc.set("NetBase", "net-mask", "255.0.0.0");
    doc.set("NetBase", "ctrl_port", std::uint64_t{controlPort});
    doc.set("Node", "board_cnt", std::uint64_t{1});
    return doc.toString();
}

TEST(NetClientDiscovery, AnnouncedNodeBecomesAFullNodeAndConnects)
{
    const std::string address = "127.0.1.1";
    const std::uint16_t port = freeClientBasePort({address});
    ASSERT_NE(port, 0);
    QORINetClientConfig config = loopbackConfig(port, kIntervalMs);
    config.mode = QORINetClientConfig::MODE_ALL_INTERFACES;
    QORINetClient client(config, loopbackOnly());
    // All interfaces under a loopback-only restriction: lo alone, nothing real.
    ASSERT_EQ(client.ipConfigAddresses().size(), 1u);
    EXPECT_EQ(client.ipConfigAddresses()[0].address(), "127.0.0.1");

    EventLog events;
    client.attachEventQueue(events.queue());
    ASSERT_EQ(client.startClient(), 0);
    NodeSimProcess sim;
    ASSERT_TRUE(sim.start(address, {"--name", "bench-a"}, port)) << sim.output();

    const auto node = waitForNode(client, address, kFindMs);
    ASSERT_TRUE(node);
    const std::uint32_t id = node->getNodeId();
    ASSERT_TRUE(events.waitFor(qorinet_api::EVENT_GOV_NODE_ADDED, id, 1000));
    // Started before the simulator, the client saw its announcement first.
    EXPECT_EQ(events.history().front(), (NodeEvent{qorinet_api::EVENT_GOV_NODE_DISCOVERED, id}));
    EXPECT_EQ(node->getName(), "bench-a");
    EXPECT_GT(node->getBoardCount(), 0u);
    EXPECT_EQ(node->localAddressPair().address(), "127.0.0.1");
    EXPECT_EQ(node->ports().control, port);

    ASSERT_EQ(node->connect(), 0);
    EXPECT_TRUE(client.dataClient().node(id));
    // Its answers now name a holder: scan state 3.
    EXPECT_TRUE(eventually([&] { return node->scanState() == QORINetClientNode::kScanHeld; }, 2000ms));
    std::string text;
    ASSERT_EQ(node->GetParamStruct_str("BoardID0", "BoardProperties", text), 0);
    EXPECT_NE(text.find('<'), std::string::npos) << "a document, fetched while connecting";
    std::int32_t typeCode = 0;
    EXPECT_EQ(node->GetParam_i32(0, 1282, typeCode), 0);
    EXPECT_NE(typeCode, 0);
    EXPECT_EQ(node->ErrorConstantToString(qorinet_api::ERR_BOARD_NOT_FOUND, text), 0);
    EXPECT_FALSE(text.empty());
    node->disconnect();
    EXPECT_FALSE(client.dataClient().node(id));
    EXPECT_EQ(node->GetParam_i32(0, 1282, typeCode), osal::ERR_UNI_OSAL_ECONNECTION);
    ASSERT_EQ(node->connect(), 0) << "the node takes the client back";
    EXPECT_EQ(node->GetParam_i32(0, 1282, typeCode), 0);
    node->disconnect();

    EXPECT_EQ(events.settle(2 * kIntervalMs).size(), 2u) << "no further event for a healthy node";
    client.stopClient();
}

TEST(NetClientDiscovery, UnresponsiveNodesAreTaintedOrRemovedUnlessTheyAnswerInTime)
{
    const std::vector<std::string> addresses = {"127.0.1.2", "127.0.1.3", "127.0.1.4"};
    const std::uint16_t port = freeClientBasePort(addresses);
    NodeSimProcess connected, free, pausing;
    ASSERT_TRUE(connected.start(addresses[0], {}, port)) << connected.output();
    ASSERT_TRUE(free.start(addresses[1], {}, port)) << free.output();
    ASSERT_TRUE(pausing.start(addresses[2], {}, port)) << pausing.output();
    QORINetClient client(loopbackConfig(port, kIntervalMs), loopbackOnly());
    EventLog events;
    client.attachEventQueue(events.queue());
    ASSERT_EQ(client.startClient(), 0);
    const auto a = waitForNode(client, addresses[0], kFindMs);
    const auto b = waitForNode(client, addresses[1], kFindMs);
    const auto c = waitForNode(client, addresses[2], kFindMs);
    ASSERT_TRUE(a && b && c);
    ASSERT_EQ(a->connect(), 0);

    connected.signal(SIGSTOP);
    free.signal(SIGSTOP);
    pausing.signal(SIGSTOP);
    // The third misses a scan or two, then answers again before its counter passes 2.
    ASSERT_TRUE(eventually([&] { return c->missedScans() >= 1; }, 2000ms));
    pausing.signal(SIGCONT);

    EXPECT_TRUE(events.waitFor(qorinet_api::EVENT_GOV_NODE_TAINTED, a->getNodeId(), 3000));
    EXPECT_TRUE(events.waitFor(qorinet_api::EVENT_GOV_NODE_REMOVED, b->getNodeId(), 3000));
    events.settle(3 * kIntervalMs);

    EXPECT_TRUE(a->isTainted());
    EXPECT_TRUE(client.getNode(a->getNodeId())) << "a connected node stays listed while tainted";
    std::int32_t value = 0;
    EXPECT_EQ(a->GetParam_i32(0, 1, value), qorinet_api::ERR_QORINET_NODE_TAINTED);
    EXPECT_EQ(events.count(qorinet_api::EVENT_GOV_NODE_TAINTED, a->getNodeId()), 1u) << "tainted once";
    EXPECT_FALSE(client.getNode(b->getNodeId()));
    EXPECT_FALSE(b->isTainted());
    EXPECT_TRUE(client.getNode(c->getNodeId()));
    EXPECT_FALSE(c->isTainted());
    EXPECT_LE(c->missedScans(), 1u);
    EXPECT_EQ(events.count(qorinet_api::EVENT_GOV_NODE_REMOVED, c->getNodeId()), 0u);

    connected.signal(SIGCONT);
    free.signal(SIGCONT);
    client.stopClient();
}

// A real node whose datagrams come one byte short is never listed, whatever the mask.
TEST(NetClientDiscovery, NodeKindMaskFiltersRealAndSimulatedNodesAndShortDatagramsAreDropped)
{
    const std::string real = "127.0.1.5", simulated = "127.0.1.6", shortSim = "127.0.1.7";
    const std::uint16_t port = freeClientBasePort({real, simulated, shortSim});
    NodeSimProcess realSim, simSim, broken;
    ASSERT_TRUE(realSim.start(real, {}, port)) << realSim.output();
    ASSERT_TRUE(simSim.start(simulated, {"--simulation"}, port)) << simSim.output();
    ASSERT_TRUE(broken.start(shortSim, {"--fault", "short-datagram"}, port)) << broken.output();

    for (const std::uint32_t mask : {QORINetClientConfig::kAcceptReal, QORINetClientConfig::kAcceptSimulated}) {
        QORINetClientConfig config = loopbackConfig(port, kIntervalMs);
        config.nodeKindMask = mask;
        QORINetClient client(config, loopbackOnly());
        EventLog events;
        client.attachEventQueue(events.queue());
        ASSERT_EQ(client.startClient(), 0);
        const std::string wanted = mask == QORINetClientConfig::kAcceptReal ? real : simulated;
        const std::string unwanted = mask == QORINetClientConfig::kAcceptReal ? simulated : real;
        const auto node = waitForNode(client, wanted, kFindMs);
        ASSERT_TRUE(node) << "mask " << mask;
        EXPECT_EQ(node->isSimulation(), wanted == simulated);
        events.settle(4 * kIntervalMs);
        EXPECT_EQ(addressesWith(client, events, qorinet_api::EVENT_GOV_NODE_ADDED), std::vector<std::string>{wanted});
        EXPECT_EQ(client.remoteNodeCount(), 1u) << "mask " << mask << " let " << unwanted << " in";
        client.stopClient();
    }
}

// A simulator started with `options` and a client linked to its node; the client stops first.
struct LinkedNode {
    NodeSimProcess sim;
    std::unique_ptr<QORINetClient> client;
    std::shared_ptr<QORINetClientNode> node;
    ~LinkedNode()
    {
        if (client)
            client->stopClient();
    }
};

void link(LinkedNode& linked, const std::string& address, const std::vector<std::string>& options)
{
    const std::uint16_t port = freeClientBasePort({address});
    ASSERT_TRUE(linked.sim.start(address, options, port)) << linked.sim.output();
    linked.client = std::make_unique<QORINetClient>(loopbackConfig(port, kIntervalMs), loopbackOnly());
    ASSERT_EQ(linked.client->startClient(), 0);
    linked.node = waitForNode(*linked.client, address, kFindMs);
    ASSERT_TRUE(linked.node);
    ASSERT_EQ(linked.node->connect(), 0);
}

// Heartbeats carry a slow command past the receive time-out; the simulator's faults end the
// connection, each with its own result. Nothing a node sends keeps a request waiting past its
// bounds: heartbeats extend the wait up to the ceiling, strangers on the stream extend nothing,
// and a frame begun must complete within one receive time-out.
TEST(NetClientNode, SlowBrokenAndEndlessAnswersOfTheSimulator)
{
    const struct {
        std::vector<std::string> options;
        std::int32_t result;
        std::chrono::milliseconds atLeast;
        std::uint32_t ceilingMs = 0; // 0: the node's own
    } cases[] = {
        {{"--delay-ms", "1600", "--heartbeat-ms", "200"}, 0, 1500ms}, // longer than one receive time-out
        {{"--fault", "wrong-digest"}, osal::ERR_UNI_OSAL_ECHECKSUM, 0ms},
        {{"--fault", "close-mid-frame"}, osal::ERR_UNI_OSAL_EFORMAT, 0ms},
        {{"--fault", "slow"}, osal::ERR_UNI_OSAL_ETIMEOUT, 0ms},
        {{"--fault", "never-answer"}, osal::ERR_UNI_OSAL_ETIMEOUT, 0ms},
        {{"--fault", "heartbeats-only", "--heartbeat-ms", "100"}, osal::ERR_UNI_OSAL_EBUSY, 1400ms, 1500},
        // Both would hold the request past the ceiling if strangers or single bytes counted.
        {{"--fault", "unrelated-frames", "--heartbeat-ms", "100"}, osal::ERR_UNI_OSAL_ETIMEOUT, 0ms, 60000},
        {{"--fault", "trickle", "--fault-delay-ms", "900"}, osal::ERR_UNI_OSAL_ETIMEOUT, 0ms, 60000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options[1]);
        LinkedNode linked;
        link(linked, "127.0.1.14", c.options);
        if (HasFatalFailure())
            return;
        const auto& node = linked.node;
        if (c.ceilingMs)
            node->setRequestCeilingMs(c.ceilingMs);
        std::int32_t value = 0;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(node->GetParam_i32(0, 1282, value), c.result);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(node->isConnected(), c.result == 0);
        EXPECT_GE(waited, c.atLeast);
        // Without the bounds some of these wait for ever; a loaded machine gets ample room.
        EXPECT_LT(waited, 20s);
        node->disconnect();
    }
}

TEST(NetClientEvents, LateAttachReplaysEveryNodeInListOrder)
{
    const std::uint16_t port = freeClientBasePort({"127.0.1.10", "127.0.1.11", "127.0.1.12"});
    NodeSimProcess fleet;
    ASSERT_TRUE(fleet.start("127.0.1.10", {"--nodes", "3"}, port)) << fleet.output();
    QORINetClient client(loopbackConfig(port, kIntervalMs), loopbackOnly());
    ASSERT_EQ(client.startClient(), 0);
    ASSERT_TRUE(eventually([&] { return client.remoteNodeCount() == 3; }, std::chrono::milliseconds(kFindMs)));
    // A fourth node known only from its announcement.
    client.handlePacket(qorinet_api::proto::CMD_ANNOUNCE, "127.0.1.30", announcement("127.0.1.30", port));

    EventLog events;
    client.attachEventQueue(events.queue());
    const auto nodes = client.remoteNodes();
    ASSERT_EQ(nodes.size(), 4u);
    std::vector<NodeEvent> expected;
    for (const auto& node : nodes)
        expected.push_back({node->scanState() == QORINetClientNode::kScanAnnounced
                                ? std::uint32_t{qorinet_api::EVENT_GOV_NODE_DISCOVERED}
                                : std::uint32_t{qorinet_api::EVENT_GOV_NODE_ADDED},
                            node->getNodeId()});
    EXPECT_EQ(expected.back().code, qorinet_api::EVENT_GOV_NODE_DISCOVERED);
    // Pushed during attach, before this line: nothing to wait for.
    ASSERT_EQ(events.queue()->size(), 4u);
    EXPECT_EQ(events.settle(0), expected);
    EXPECT_LT(nodes[0]->getNodeId(), nodes[1]->getNodeId());
    client.stopClient();
}

TEST(NetClientMaintenance, CommandsOnTheirOwnConnectionAndTheirRefusals)
{
    const std::string address = "127.0.1.13";
    const std::uint16_t port = freeClientBasePort({address});
    NodeSimProcess sim;
    ASSERT_TRUE(sim.start(address, {}, port)) << sim.output();
    QORINetClient client(loopbackConfig(port, kIntervalMs), loopbackOnly());
    ASSERT_EQ(client.startClient(), 0);
    const auto node = waitForNode(client, address, kFindMs);
    ASSERT_TRUE(node);
    const std::uint32_t id = node->getNodeId();

    EXPECT_EQ(client.restartServer(9999), osal::ERR_UNI_OSAL_EARG);
    EXPECT_EQ(client.setIpConfig(9999, 0, address, "255.0.0.0"), osal::ERR_UNI_OSAL_EARG);
    // The node's own answers come through: IPv6 is not something it does.
    EXPECT_EQ(node->setIpConfig(0x66, address, "255.0.0.0"), osal::ERR_UNI_OSAL_ENOT_IMPL);
    EXPECT_EQ(node->setIpConfig(0, address, "255.0.0.0"), 0);
    EXPECT_EQ(node->restartServer(), 0);

    ASSERT_EQ(node->connect(), 0);
    ASSERT_TRUE(eventually([&] { return node->scanState() == QORINetClientNode::kScanHeld; }, 2000ms));
    EXPECT_EQ(node->setIpConfig(0, address, "255.0.0.0"), osal::ERR_UNI_OSAL_ENOPERMISSION);
    node->disconnect();

    // Announced only: not yet configurable, and nothing listens on its maintenance port.
    client.handlePacket(qorinet_api::proto::CMD_ANNOUNCE, "127.0.1.31", announcement("127.0.1.31", port));
    std::shared_ptr<QORINetClientNode> ghost;
    for (const auto& n : client.remoteNodes())
        if (n->getAddress() == "127.0.1.31")
            ghost = n;
    ASSERT_TRUE(ghost);
    EXPECT_EQ(client.setIpConfig(ghost->getNodeId(), 0, "127.0.1.31", "255.0.0.0"), osal::ERR_UNI_OSAL_ECONNECTION);
    EXPECT_EQ(client.rebootSystem(ghost->getNodeId()), osal::ERR_UNI_OSAL_ERROR);
    EXPECT_EQ(client.rebootSystem(id), 0);
    client.stopClient();
}

} // namespace
} // namespace z2e::test
