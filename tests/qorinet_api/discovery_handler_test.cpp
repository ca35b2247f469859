// The discovery document handler and the address observer without sockets: what a document
// may and may not make of the node list, and what an interface change amounts to.

#include "net_client_support.h"

#include "support/fixed_interfaces.h"
#include "support/site.h"

#include "qorinet_api/client/discovery_answer.h"
#include "qorinet_api/client/discovery_answer_cache.h"
#include "qorinet_api/client/discovery_statistics.h"
#include "qorinet_api/client/net_address_observer.h"
#include "qorinet_api/client/qorinet_client.h"
#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/discovery_packet.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace z2e::test {
namespace {

using qorinet_api::DiscoveryAnswer;
using qorinet_api::NetInterfaceAction;
using qorinet_api::QORINetClient;
using uni::ipv4::IpAddressPair;

constexpr std::uint16_t kAnswer = qorinet_api::proto::CMD_SCAN_ANSWER;

IpAddressPair pair(const char* address, int prefix = 24)
{
    return IpAddressPair(address, uni::ipv4::maskFromPrefix(prefix).value());
}

std::string answerDocument(const std::string& address, std::uint16_t port, const std::string& boards = "2",
                           const std::string& sync = "1", const std::string& simulation = "0")
{
    qorinet_api::CommandDocument doc;
    doc.set("NetBase", "net-addr", address);
    doc.set("NetBase", "net-mask", "255.0.0.0");
    doc.set("NetBase", "ctrl_port", std::uint64_t{port});
    doc.set("NetBase", "client-addr", "127.0.0.1");
    doc.set("Node", "board_cnt", boards);
    doc.set("Node", "sync_state", sync);
    doc.set("Node", "simulation", simulation);
    return doc.toString();
}

// Exposes the scan steps so that the missed-scan rule runs without a thread.
class ScanClient : public QORINetClient {
public:
    using QORINetClient::finishScan;
    using QORINetClient::QORINetClient;
    using QORINetClient::startScan;
};

qorinet_api::QORINetClientConfig unstartedConfig()
{
    return loopbackConfig(freeClientBasePort({}), 1000);
}

// The start of an answer, up to the control port.
const std::string kNetBase = "<Cmd><NetBase><net-addr>127.0.0.2</net-addr><net-mask>255.0.0.0</net-mask><ctrl_port>";

TEST(DiscoveryAnswer, NetBaseIsRequiredAndBadNumbersCountAsAbsent)
{
    DiscoveryAnswer answer;
    for (const std::string& refused :
         {std::string("<Cmd><Node><board_cnt>1</board_cnt></Node></Cmd>"),
          kNetBase + "70000</ctrl_port></NetBase></Cmd>", kNetBase + "0</ctrl_port></NetBase></Cmd>"})
        EXPECT_FALSE(DiscoveryAnswer::parse(refused.data(), refused.size(), answer)) << refused;

    std::string doc = kNetBase + "9300</ctrl_port><client-addr>not.an.address</client-addr></NetBase>"
                                 "<Node><board_cnt>3x</board_cnt><sync_state>-1</sync_state><BoardList>";
    for (int i = 0; i < 300; ++i)
        doc += "<Board><board_name>QA</board_name><slot_idx>" + std::to_string(i) + "</slot_idx></Board>";
    doc += "</BoardList></Node><NetClient><net-addr>127.0.0.9</net-addr></NetClient></Cmd>";
    ASSERT_TRUE(DiscoveryAnswer::parse(doc.data(), doc.size(), answer));
    EXPECT_EQ(answer.dataPort, 9310);
    EXPECT_EQ(answer.boardCount, 0u);
    EXPECT_FALSE(answer.syncState.has_value());
    EXPECT_TRUE(answer.clientAddress.empty());
    EXPECT_EQ(answer.boards.size(), DiscoveryAnswer::kMaxListEntries);
    ASSERT_TRUE(answer.holder.has_value());
    EXPECT_EQ(answer.holder->address, "127.0.0.9");
}

// Each field of the node's enclosure and board lists lands where the tree reads it.
TEST(DiscoveryAnswer, ListsKeepEveryFieldInItsPlace)
{
    const std::string doc =
        kNetBase +
        "9300</ctrl_port></NetBase><Node><EnclosureList>"
        "<Enclosure><enc_name>QE-R16</enc_name><enc_serial>E1</enc_serial><slot_cnt>16</slot_cnt></Enclosure>"
        "<Enclosure><enc_name>QE-R4</enc_name><enc_serial>E2</enc_serial><slot_cnt>4</slot_cnt>"
        "<slot_no_offset>1</slot_no_offset></Enclosure></EnclosureList><BoardList>"
        "<Board><board_name>QA</board_name><board_serial>B1</board_serial><board_firmware>02F4</board_firmware>"
        "<slot_idx>3</slot_idx><enc_idx>1</enc_idx></Board></BoardList></Node></Cmd>";
    DiscoveryAnswer answer;
    ASSERT_TRUE(DiscoveryAnswer::parse(doc.data(), doc.size(), answer));
    ASSERT_EQ(answer.enclosures.size(), 2u);
    const auto& first = answer.enclosures[0];
    EXPECT_EQ(std::tie(first.name, first.serial, first.slotCount), std::make_tuple("QE-R16", "E1", 16u));
    EXPECT_FALSE(first.slotNoOffset.has_value());
    EXPECT_EQ(answer.enclosures[1].slotNoOffset, std::optional<std::uint32_t>(1));
    ASSERT_EQ(answer.boards.size(), 1u);
    const qorinet_api::DiscoveryBoard& b = answer.boards[0];
    EXPECT_EQ(std::tie(b.name, b.serial, b.firmware, b.slotIndex, b.enclosureIndex),
              std::make_tuple("QA", "B1", "02F4", 3u, 1u));
}

TEST(DiscoveryHandler, MatchesByAddressMaskAndPortAndCapsTheList)
{
    QORINetClient client(unstartedConfig(), loopbackOnly());
    EventLog events;
    client.attachEventQueue(events.queue());

    client.handlePacket(kAnswer, "127.0.2.1", answerDocument("127.0.2.1", 9400));
    client.handlePacket(kAnswer, "127.0.2.1", answerDocument("127.0.2.1", 9400));
    client.handlePacket(kAnswer, "127.0.2.1", answerDocument("127.0.2.1", 9500));
    client.handlePacket(kAnswer, "127.0.2.2", answerDocument("127.0.2.2", 9400, "0")); // no boards
    client.handlePacket(kAnswer, "192.0.2.7", answerDocument("192.0.2.7", 9400));      // not allowed
    client.handlePacket(qorinet_api::proto::CMD_SCAN_REQUEST, "127.0.2.3", answerDocument("127.0.2.3", 9400));
    ASSERT_EQ(client.remoteNodeCount(), 2u);
    const auto first = client.remoteNodes()[0];
    EXPECT_EQ(first->scanState(), qorinet_api::QORINetClientNode::kScanFree);
    EXPECT_EQ(first->localAddressPair(), pair("127.0.0.1", 8)) << "the client's own pair behind client-addr";

    client.handlePacket(kAnswer, "127.0.2.1", answerDocument("127.0.2.1", 9400, "2", "2"));
    client.handlePacket(kAnswer, "127.0.2.1", answerDocument("127.0.2.1", 9400, "2", "2"));
    EXPECT_EQ(events.settle(0).back(), (NodeEvent{qorinet_api::EVENT_GOV_NODE_SYNC_CHANGED, first->getNodeId()}));
    EXPECT_EQ(events.count(qorinet_api::EVENT_GOV_NODE_SYNC_CHANGED, first->getNodeId()), 1u);
    EXPECT_EQ(first->getSyncState(), 2u);

    for (int i = 0; client.remoteNodeCount() < QORINetClient::kMaxNodes + 1 && i < 2000; ++i)
        client.handlePacket(kAnswer, "127.0.3.1", answerDocument("127.0.3.1", static_cast<std::uint16_t>(10000 + i)));
    EXPECT_EQ(client.remoteNodeCount(), QORINetClient::kMaxNodes);
}

TEST(DiscoveryHandler, KeepNodesFlagSuspendsTheMissedScanRule)
{
    for (const std::uint32_t keep : {0u, 1u}) {
        auto config = unstartedConfig();
        config.keepNodes = keep;
        ScanClient client(config, loopbackOnly());
        client.handlePacket(kAnswer, "127.0.2.1", answerDocument("127.0.2.1", 9400));
        for (int scan = 0; scan < 3; ++scan) {
            client.startScan();
            client.finishScan();
            EXPECT_EQ(client.remoteNodeCount(), keep || scan < 2 ? 1u : 0u) << "keep " << keep << " scan " << scan;
        }
    }
}

// A node sends the same answer scan after scan; those bytes are parsed once. Whatever changes
// in them is still seen, and what the list makes of an answer stays as it was.
TEST(DiscoveryHandler, AnUnchangedAnswerIsParsedOnceAndAChangedOneIsSeen)
{
    QORINetClient client(unstartedConfig(), loopbackOnly());
    EventLog events;
    client.attachEventQueue(events.queue());
    const std::string synced = answerDocument("127.0.2.1", 9400, "2", "1");
    for (int scan = 0; scan < 3; ++scan)
        client.handlePacket(kAnswer, "127.0.2.1", synced);
    EXPECT_EQ(client.answersParsed(), 1u);
    EXPECT_EQ(client.answersUnchanged(), 2u);
    ASSERT_EQ(client.remoteNodeCount(), 1u);
    const auto node = client.remoteNodes()[0];
    EXPECT_EQ(node->getSyncState(), 1u);

    // The sync state goes to 2 and back: each change is an event, each repetition none.
    const std::string unsynced = answerDocument("127.0.2.1", 9400, "2", "2");
    for (const std::string* doc : {&unsynced, &unsynced, &synced, &synced}) {
        client.handlePacket(kAnswer, "127.0.2.1", *doc);
        EXPECT_EQ(node->getSyncState(), doc == &synced ? 1u : 2u);
    }
    EXPECT_EQ(events.settle(0).size(), 3u) << "added, then two sync changes";
    EXPECT_EQ(events.count(qorinet_api::EVENT_GOV_NODE_SYNC_CHANGED, node->getNodeId()), 2u);
    EXPECT_EQ(client.answersParsed(), 3u);

    // Another client holds the node now, then lets it go again.
    std::string held = synced;
    held.insert(held.rfind("</Cmd>"), "<NetClient><net-addr>127.0.0.9</net-addr></NetClient>");
    client.handlePacket(kAnswer, "127.0.2.1", held);
    EXPECT_EQ(node->scanState(), qorinet_api::QORINetClientNode::kScanHeld);
    client.handlePacket(kAnswer, "127.0.2.1", held);
    EXPECT_EQ(node->scanState(), qorinet_api::QORINetClientNode::kScanHeld);
    client.handlePacket(kAnswer, "127.0.2.1", synced);
    EXPECT_EQ(node->scanState(), qorinet_api::QORINetClientNode::kScanFree);

    // The same bytes from another sender are that sender's first answer: parsed, same node.
    const std::uint64_t parsed = client.answersParsed();
    client.handlePacket(kAnswer, "127.0.2.2", synced);
    EXPECT_EQ(client.answersParsed(), parsed + 1);
    EXPECT_EQ(client.remoteNodeCount(), 1u);
}

// An unchanged answer only counts as heard while nothing it depends on has changed: the
// client's own addresses, the kinds of node it accepts, the command it came with.
TEST(DiscoveryHandler, AnUnchangedAnswerIsAppliedAgainWhenWhatItDependsOnChanged)
{
    auto config = unstartedConfig();
    ScanClient client(config, loopbackOnly());
    EventLog events;
    client.attachEventQueue(events.queue());
    const std::string simulated = answerDocument("127.0.2.1", 9400, "2", "1", "1");
    client.handlePacket(qorinet_api::proto::CMD_ANNOUNCE, "127.0.2.1", simulated);
    ASSERT_EQ(client.remoteNodeCount(), 1u);
    const auto node = client.remoteNodes()[0];
    EXPECT_EQ(node->scanState(), qorinet_api::QORINetClientNode::kScanAnnounced);
    client.handlePacket(kAnswer, "127.0.2.1", simulated);
    EXPECT_EQ(node->scanState(), qorinet_api::QORINetClientNode::kScanFree) << "the same bytes, now as an answer";
    events.settle(0);
    EXPECT_EQ(events.count(qorinet_api::EVENT_GOV_NODE_ADDED, node->getNodeId()), 1u);
    client.handlePacket(kAnswer, "127.0.2.1", simulated);
    EXPECT_EQ(client.statistics().answers(), 3u);
    ASSERT_EQ(client.statistics().heard().size(), 1u);
    EXPECT_EQ(client.statistics().heard()[0].answers, 3u);

    client.startScan();
    client.handlePacket(kAnswer, "127.0.2.1", simulated);
    EXPECT_EQ(node->missedScans(), 0u) << "heard, all the same";

    // The client's pair behind client-addr narrows: the node's local pair follows.
    config.localAddresses = {pair("127.0.0.1", 16)};
    client.configureClient(config);
    client.handlePacket(kAnswer, "127.0.2.1", simulated);
    EXPECT_EQ(node->localAddressPair(), pair("127.0.0.1", 16));

    // Simulated nodes are no longer wanted: their answers keep no node.
    config.nodeKindMask = qorinet_api::QORINetClientConfig::kAcceptReal;
    client.configureClient(config);
    for (int scan = 0; scan < 3; ++scan) {
        client.startScan();
        client.handlePacket(kAnswer, "127.0.2.1", simulated);
        client.finishScan();
    }
    EXPECT_EQ(client.remoteNodeCount(), 0u);
    EXPECT_EQ(client.answersParsed(), 1u);
}

TEST(DiscoveryHandler, ANodeThatStopsAnsweringIsDroppedAndComesBackWithTheSameAnswer)
{
    ScanClient client(unstartedConfig(), loopbackOnly());
    const std::string doc = answerDocument("127.0.2.1", 9400);
    client.handlePacket(kAnswer, "127.0.2.1", doc);
    ASSERT_EQ(client.remoteNodeCount(), 1u);
    const auto dropped = client.remoteNodes()[0];
    const std::uint32_t first = dropped->getNodeId();
    for (int scan = 0; scan < 5; ++scan) {
        client.startScan();
        client.handlePacket(kAnswer, "127.0.2.1", doc);
        client.finishScan();
    }
    ASSERT_EQ(client.remoteNodeCount(), 1u) << "an unchanged answer still counts as an answer";
    for (int scan = 0; scan < 3; ++scan) {
        client.startScan();
        client.finishScan();
    }
    ASSERT_EQ(client.remoteNodeCount(), 0u);
    EXPECT_EQ(dropped->missedScans(), 3u);

    client.handlePacket(kAnswer, "127.0.2.1", doc);
    ASSERT_EQ(client.remoteNodeCount(), 1u);
    const auto back = client.remoteNodes()[0];
    EXPECT_NE(back->getNodeId(), first);
    EXPECT_EQ(client.answersParsed(), 1u);
    // The node that came back counts on its own; the one dropped no longer counts.
    client.startScan();
    EXPECT_EQ(back->missedScans(), 1u);
    EXPECT_EQ(dropped->missedScans(), 3u);
    // A tainted node's count stands still: it is kept while connected, dropped once not.
    ASSERT_TRUE(back->setTainted());
    client.startScan();
    EXPECT_EQ(back->missedScans(), 1u);
}

// The list finds a node by the address and port it has now, also when they were changed on
// the node itself after it was listed.
TEST(DiscoveryHandler, ANodeIsFoundByTheAddressItHasNow)
{
    QORINetClient client(unstartedConfig(), loopbackOnly());
    client.handlePacket(kAnswer, "127.0.2.1", answerDocument("127.0.2.1", 9400));
    client.handlePacket(kAnswer, "127.0.2.2", answerDocument("127.0.2.2", 9400));
    ASSERT_EQ(client.remoteNodeCount(), 2u);
    const auto moved = client.remoteNodes()[0];
    moved->setAddressPair(IpAddressPair("127.0.2.3", uni::ipv4::maskFromPrefix(8).value()));

    client.handlePacket(kAnswer, "127.0.2.1", answerDocument("127.0.2.1", 9400));
    ASSERT_EQ(client.remoteNodeCount(), 3u) << "nobody is at the old address any more";
    EXPECT_EQ(client.remoteNodes()[2]->getAddress(), "127.0.2.1");
    EXPECT_EQ(moved->getAddress(), "127.0.2.3");
    client.handlePacket(kAnswer, "127.0.2.3", answerDocument("127.0.2.3", 9400));
    EXPECT_EQ(client.remoteNodeCount(), 3u) << "the moved node answered";
    client.handlePacket(kAnswer, "127.0.2.2", answerDocument("127.0.2.2", 9400));
    EXPECT_EQ(client.remoteNodeCount(), 3u);
}

// Two nodes that claim one address are two nodes, told apart by their enclosure serial; each
// keeps answering as itself, and a node that does not tell its serial is the one already there.
TEST(DiscoveryHandler, TwoNodesClaimingOneAddressStayTwo)
{
    QORINetClient client(unstartedConfig(), loopbackOnly());
    const auto withSerial = [](const std::string& serial) {
        qorinet_api::CommandDocument doc;
        doc.parse(answerDocument("127.0.2.1", 9400));
        if (!serial.empty())
            doc.set("Node", "enc_serial", serial);
        return doc.toString();
    };
    for (int round = 0; round < 2; ++round) {
        client.handlePacket(kAnswer, "127.0.2.1", withSerial("00E4A1"));
        client.handlePacket(kAnswer, "127.0.2.1", withSerial("00E4B2"));
    }
    ASSERT_EQ(client.remoteNodeCount(), 2u);
    EXPECT_EQ(client.remoteNodes()[0]->nodeTexts().enclosureSerial, "00E4A1");
    EXPECT_EQ(client.remoteNodes()[1]->nodeTexts().enclosureSerial, "00E4B2");
    client.handlePacket(kAnswer, "127.0.2.1", withSerial(""));
    EXPECT_EQ(client.remoteNodeCount(), 2u);
}

// A node found at a new address and then dropped leaves nothing behind that an answer from
// its first address could still lead to.
TEST(DiscoveryHandler, ADroppedNodeIsNotFoundUnderTheAddressItHadBefore)
{
    ScanClient client(unstartedConfig(), loopbackOnly());
    client.handlePacket(kAnswer, "127.0.2.1", answerDocument("127.0.2.1", 9400));
    ASSERT_EQ(client.remoteNodeCount(), 1u);
    const auto dropped = client.remoteNodes()[0];
    dropped->setAddressPair(IpAddressPair("127.0.2.3", uni::ipv4::maskFromPrefix(8).value()));
    client.handlePacket(kAnswer, "127.0.2.3", answerDocument("127.0.2.3", 9400));
    ASSERT_EQ(client.remoteNodeCount(), 1u);
    for (int scan = 0; scan < 3; ++scan) {
        client.startScan();
        client.finishScan();
    }
    ASSERT_EQ(client.remoteNodeCount(), 0u);

    dropped->setAddressPair(IpAddressPair("127.0.2.1", uni::ipv4::maskFromPrefix(8).value()));
    client.handlePacket(kAnswer, "127.0.2.1", answerDocument("127.0.2.1", 9400));
    ASSERT_EQ(client.remoteNodeCount(), 1u);
    EXPECT_NE(client.remoteNodes()[0], dropped);
}

TEST(DiscoveryAnswerCache, RefusesWhatParsingRefusesAndStaysBoundedWhateverTheSenders)
{
    const std::string doc = answerDocument("127.0.2.1", 9400);
    qorinet_api::DiscoveryAnswerCache refusing;
    EXPECT_EQ(refusing.get("127.0.2.1", doc.substr(0, 60)), nullptr);
    EXPECT_EQ(refusing.get("127.0.2.1", doc.substr(0, 60)), nullptr) << "also when unchanged";
    EXPECT_EQ(refusing.hits(), 1u);

    qorinet_api::DiscoveryAnswerCache cache;
    for (std::size_t i = 0; i < qorinet_api::DiscoveryAnswerCache::kMaxEntries + 10; ++i) {
        ASSERT_NE(cache.get("127.1." + std::to_string(i / 250) + "." + std::to_string(i % 250), doc), nullptr);
        ASSERT_LE(cache.size(), qorinet_api::DiscoveryAnswerCache::kMaxEntries);
    }
    EXPECT_LE(cache.size(), 10u) << "started anew when full";

    // The largest documents a datagram holds, each from a sender of its own.
    qorinet_api::DiscoveryAnswerCache large;
    std::string big = kNetBase + "9300</ctrl_port></NetBase><Node><BoardList>";
    while (big.size() < qorinet_api::DiscoveryPacket::kMaxDocumentSize - 40)
        big += "<Board/>";
    big += "</BoardList></Node></Cmd>";
    for (int i = 0; i < 2000; ++i) {
        ASSERT_NE(large.get("127.2." + std::to_string(i / 250) + "." + std::to_string(i % 250), big), nullptr);
        ASSERT_LE(large.bytes(), qorinet_api::DiscoveryAnswerCache::kMaxBytes);
    }
    EXPECT_EQ(large.parses(), 2000u);
    EXPECT_EQ(large.get("127.2.7.249", big), large.get("127.2.7.249", big));
    EXPECT_EQ(large.hits(), 2u);
    // A sender whose small document grows to the largest when the others have filled the cache.
    const std::string small = answerDocument("127.4.0.0", 9400);
    qorinet_api::DiscoveryAnswerCache full;
    full.get("127.4.0.0", small);
    int sender = 0;
    const auto fill = [&](const std::string& doc, std::size_t cost) {
        for (; full.bytes() + cost <= qorinet_api::DiscoveryAnswerCache::kMaxBytes; ++sender)
            full.get("127.5." + std::to_string(sender / 250) + "." + std::to_string(sender % 250), doc);
    };
    const std::size_t smallCost = full.bytes();
    large.clear();
    large.get("127.4.0.1", big);
    fill(big, large.bytes());
    fill(small, smallCost);
    ASSERT_EQ(full.size(), std::size_t(sender) + 1) << "filled to the brim, not started anew";
    ASSERT_NE(full.get("127.4.0.0", big), nullptr);
    EXPECT_LE(full.bytes(), qorinet_api::DiscoveryAnswerCache::kMaxBytes);
}

// Refused answers from a crowd of senders fill a share of the list only: the nodes that
// answer well are still listed, and what did not fit is counted.
TEST(DiscoveryStatistics, RefusingSendersCannotCrowdAnsweringNodesOut)
{
    using Statistics = qorinet_api::DiscoveryStatistics;
    Statistics statistics;
    const std::size_t senders = Statistics::kMaxRefusingSenders + 100;
    for (std::size_t i = 0; i < senders; ++i)
        statistics.noteRefused("10.9." + std::to_string(i / 250) + "." + std::to_string(i % 250), "garbage");
    statistics.noteRefused("10.9.0.0", "garbage"); // listed already: counted on its entry
    for (std::size_t i = 0; i < Statistics::kMaxEntries - Statistics::kMaxRefusingSenders; ++i)
        statistics.noteAnswer("127.3." + std::to_string(i / 250) + "." + std::to_string(i % 250), "node");
    const auto heard = statistics.heard();
    ASSERT_EQ(heard.size(), Statistics::kMaxEntries);
    EXPECT_EQ(heard.front().refused, 2u);
    EXPECT_EQ(heard.back().answers, 1u);
    EXPECT_EQ(statistics.refusedUnlisted(), 100u);
}

TEST(LocalDiscovery, ClientWithoutNetworkSideStillReportsTheLocalNode)
{
    z2e::test::SimSite site(z2e::test::SiteOptions{false, true});
    site.enter();

    auto config = unstartedConfig();
    config.nodeKindMask = 0;
    config.localNodeMask = qorinet_api::QORINetLocalDiscovery::kReal | qorinet_api::QORINetLocalDiscovery::kSimulated;
    {
        QORINetClient client(config, loopbackOnly());
        EventLog events;
        client.attachEventQueue(events.queue());
        ASSERT_EQ(client.startClient(), 0);
        ASSERT_TRUE(events.waitFor(qorinet_api::EVENT_GOV_LOCNODE_SCAN_FINISHED, 0, 20000));
        const auto nodes = client.getNodes();
        ASSERT_EQ(nodes.size(), 1u);
        EXPECT_TRUE(nodes[0]->isLocal());
        EXPECT_EQ(events.history().front(), (NodeEvent{qorinet_api::EVENT_GOV_NODE_ADDED, nodes[0]->getNodeId()}));
        EXPECT_FALSE(client.discoveryRunning());
        // A late queue learns the local node first.
        EventLog late;
        client.attachEventQueue(late.queue());
        EXPECT_EQ(late.settle(0), (std::vector<NodeEvent>{{qorinet_api::EVENT_GOV_NODE_ADDED, nodes[0]->getNodeId()}}));
        client.stopClient();
        nodes[0]->disconnect();
    }
}

uni::NetInterface netIf(unsigned index, uni::ipv4::IpAddressPairList addresses, bool loopback = false)
{
    uni::NetInterface result = test::netInterface(index, "", {}, {}, loopback);
    result.addresses = std::move(addresses);
    return result;
}

TEST(NetAddressObserver, TellsAdditionUpdateRemovalAndNothing)
{
    test::FixedInterfaces provider;
    provider.list = {netIf(1, {pair("127.0.0.1", 8)}, true), netIf(2, {pair("10.9.0.1")})};
    qorinet_api::NetAddressObserver unrestricted(provider, uni::AllowedNetworks());
    unrestricted.reset();
    EXPECT_EQ(unrestricted.pairs(), uni::ipv4::IpAddressPairList{pair("10.9.0.1")}) << "no loopback in production";

    qorinet_api::NetAddressObserver observer(provider, uni::AllowedNetworks::parse("127.0.0.0/8, 10.9.0.0/16"));
    observer.reset();
    EXPECT_EQ(observer.pairs(), (uni::ipv4::IpAddressPairList{pair("127.0.0.1", 8), pair("10.9.0.1")}));

    provider.list[1].addresses.push_back(pair("10.9.1.1"));
    provider.list[1].addresses.push_back(pair("192.0.2.1")); // outside the allowed networks
    auto change = observer.observe(2);
    EXPECT_EQ(change.action, NetInterfaceAction::ADDITION);
    EXPECT_EQ(change.added, uni::ipv4::IpAddressPairList{pair("10.9.1.1")});

    EXPECT_EQ(observer.observe(2).action, NetInterfaceAction::IGNORE_ITF);

    provider.list[1].addresses = {pair("10.9.1.1"), pair("10.9.2.1")};
    change = observer.observe(2);
    EXPECT_EQ(change.action, NetInterfaceAction::UPDATE);
    EXPECT_EQ(change.removed, uni::ipv4::IpAddressPairList{pair("10.9.0.1")});
    EXPECT_EQ(change.added, uni::ipv4::IpAddressPairList{pair("10.9.2.1")});

    provider.list.pop_back();
    change = observer.observe(2);
    EXPECT_EQ(change.action, NetInterfaceAction::REMOVAL);
    EXPECT_EQ(change.removed.size(), 2u);

    provider.list.push_back(netIf(3, {pair("10.9.3.1")}));
    provider.list[0].addresses.clear();
    const auto missed = observer.resync();
    ASSERT_EQ(missed.size(), 2u);
    EXPECT_EQ(missed[0].action, NetInterfaceAction::REMOVAL);
    EXPECT_EQ(missed[1].action, NetInterfaceAction::ADDITION);
    EXPECT_EQ(observer.pairs(), uni::ipv4::IpAddressPairList{pair("10.9.3.1")});
}

} // namespace
} // namespace z2e::test
