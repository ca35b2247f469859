// Local address changes, seen from inside a network namespace this test creates: removing an
// interface address taints the connected nodes reached through it, removes the others and
// leaves the nodes on other interfaces alone.

#include "net_client_support.h"
#include "scripted_control_server.h"

#include "qorinet_api/client/qorinet_client.h"
#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/discovery_packet.h"

#include "uni/udp_socket.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace z2e::test {
namespace {

using qorinet_api::QORINetClient;
using qorinet_api::QORINetClientConfig;

// Answers the scans that reach one network's broadcast address for one node whose control
// connection is a scripted server on 127.0.0.1; as a node on that wire would, it names the
// scan's sender as the client address.
class ScanResponder {
public:
    ScanResponder(const std::string& broadcast, std::uint16_t scanPort, std::uint16_t controlPort)
        : m_socket(uni::Socket::Receiver | uni::Socket::ReuseAddress | uni::Socket::Broadcast), m_control(controlPort)
    {
        m_socket.setLocalEnd(broadcast, scanPort);
        m_socket.setReceiveTimeout(50);
        m_ok = m_socket.open() == 0;
        m_thread = std::thread([this] { run(); });
    }
    ~ScanResponder()
    {
        m_stop = true;
        m_thread.join();
    }
    bool ok() const { return m_ok; }

private:
    void run()
    {
        std::vector<std::uint8_t> buffer(8192);
        while (!m_stop && m_ok) {
            std::string sender;
            const int got = m_socket.receiveFrom(buffer.data(), buffer.size(), sender);
            std::uint16_t command = 0;
            std::string xml;
            qorinet_api::CommandDocument request;
            if (got <= 0 || qorinet_api::DiscoveryPacket::decode(buffer.data(), std::size_t(got), command, xml) != 0 ||
                !request.parse(xml))
                continue;
            answer(sender, static_cast<std::uint16_t>(request.number("NetBase", "port").value_or(0)));
        }
    }

    void answer(const std::string& client, std::uint16_t port)
    {
        qorinet_api::CommandDocument doc;
        doc.set("NetBase", "net-addr", "127.0.0.1");
        doc.set("NetBase", "net-mask", "255.0.0.0");
        doc.set("NetBase", "ctrl_port", std::uint64_t{m_control});
        doc.set("NetBase", "data_port", std::uint64_t{m_control} + 10);
        doc.set("NetBase", "client-addr", client);
        doc.set("Node", "board_cnt", std::uint64_t{1});
        const auto datagram = qorinet_api::DiscoveryPacket::encode(qorinet_api::proto::CMD_SCAN_ANSWER, doc.toString());
        uni::UDPSocket out(uni::Socket::Sender);
        out.setRemoteEnd(client, port);
        if (out.open() == 0)
            out.send(datagram.data(), datagram.size());
    }

    uni::UDPSocket m_socket;
    std::uint16_t m_control;
    bool m_ok = false;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TEST(NetClientAddressChanges, RemovedAddressTaintsConnectedNodesAndRemovesTheOthers)
{
    const std::string impossible = inFreshNetworkNamespace([] {
        ASSERT_EQ(runIp({"link", "set", "lo", "up"}), 0);
        ASSERT_EQ(runIp({"link", "add", "zq0", "type", "veth", "peer", "name", "zq1"}), 0);
        ASSERT_EQ(runIp({"addr", "add", "10.213.7.1/24", "dev", "zq0"}), 0);
        ASSERT_EQ(runIp({"addr", "add", "10.213.8.1/24", "dev", "zq1"}), 0);
        ASSERT_EQ(runIp({"link", "set", "zq0", "up"}), 0);
        ASSERT_EQ(runIp({"link", "set", "zq1", "up"}), 0);

        const std::uint16_t port = freeClientBasePort({});
        ScriptedControlServer a1, a2, b;
        ScanResponder onA1("10.213.7.255", port + 1, a1.port());
        ScanResponder onA2("10.213.7.255", port + 1, a2.port());
        ScanResponder onB("10.213.8.255", port + 1, b.port());
        ASSERT_TRUE(onA1.ok() && onA2.ok() && onB.ok());

        QORINetClientConfig config = loopbackConfig(port, 200);
        config.mode = QORINetClientConfig::MODE_ALL_INTERFACES;
        // Missed scans must not do the work: only the address change may taint or remove.
        config.keepNodes = 1;
        QORINetClient client(config, uni::AllowedNetworks::parse("127.0.0.0/8, 10.213.7.0/24, 10.213.8.0/24"));
        EventLog events;
        client.attachEventQueue(events.queue());
        ASSERT_EQ(client.startClient(), 0);

        const auto byPort = [&](std::uint16_t control) {
            std::shared_ptr<qorinet_api::QORINetClientNode> found;
            eventually(
                [&] {
                    for (const auto& node : client.remoteNodes())
                        if (node->ports().control == control)
                            found = node;
                    return found != nullptr;
                },
                std::chrono::seconds(5));
            return found;
        };
        const auto nodeA1 = byPort(a1.port()), nodeA2 = byPort(a2.port()), nodeB = byPort(b.port());
        ASSERT_TRUE(nodeA1 && nodeA2 && nodeB);
        EXPECT_EQ(nodeA1->localAddressPair().address(), "10.213.7.1");
        EXPECT_EQ(nodeB->localAddressPair().address(), "10.213.8.1");
        ASSERT_EQ(nodeA1->connect(), 0);
        ASSERT_EQ(nodeB->connect(), 0);
        const auto before = events.settle(100).size();

        ASSERT_EQ(runIp({"addr", "del", "10.213.7.1/24", "dev", "zq0"}), 0);
        EXPECT_TRUE(events.waitFor(qorinet_api::EVENT_GOV_RECONFIGURE_FINISHED, 0, 15000));
        EXPECT_TRUE(events.waitFor(qorinet_api::EVENT_GOV_NODE_TAINTED, nodeA1->getNodeId(), 1000));
        EXPECT_TRUE(events.waitFor(qorinet_api::EVENT_GOV_NODE_REMOVED, nodeA2->getNodeId(), 1000));
        const auto after = events.settle(600);
        for (std::size_t i = before; i < after.size(); ++i)
            EXPECT_NE(after[i].node, nodeB->getNodeId()) << "event " << after[i].code << " for the node on zq1";
        EXPECT_TRUE(nodeA1->isTainted());
        EXPECT_TRUE(client.getNode(nodeA1->getNodeId()));
        EXPECT_FALSE(client.getNode(nodeA2->getNodeId()));
        EXPECT_FALSE(nodeB->isTainted());
        const auto pairs = client.ipConfigAddresses();
        EXPECT_EQ(std::count_if(pairs.begin(), pairs.end(), [](const auto& p) { return p.address() == "10.213.7.1"; }),
                  0);
        EXPECT_EQ(std::count_if(pairs.begin(), pairs.end(), [](const auto& p) { return p.address() == "10.213.8.1"; }),
                  1);
        nodeA1->disconnect();
        nodeB->disconnect();
        client.stopClient();
    });
    if (!impossible.empty())
        GTEST_SKIP() << impossible;
}

} // namespace
} // namespace z2e::test
