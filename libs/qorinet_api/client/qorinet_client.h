#pragma once
// The one object through which the application reaches all acquisition nodes: owns the node
// list (remote nodes found by discovery plus at most one local node), hands the nodes out as
// shared pointers, and reports every change of the list through an attached event queue.
// Also owns the log server and the data client and keeps them on the current address list.
//
// Callbacks (the logger, the queue) run with the node-list lock held: they must not call back
// into the client.

#include "qorinet_api/client/discovery_answer_cache.h"
#include "qorinet_api/client/if_node_owner.h"
#include "qorinet_api/client/qorinet_base_client.h"
#include "qorinet_api/client/qorinet_client_config.h"
#include "qorinet_api/client/qorinet_client_node.h"
#include "qorinet_api/client/qorinet_data_client.h"
#include "qorinet_api/client/qorinet_events.h"
#include "qorinet_api/client/qorinet_local_client_node.h"
#include "qorinet_api/client/qorinet_local_discovery.h"
#include "qorinet_api/log/if_logger.h"
#include "qorinet_api/log/qorinet_log_server.h"

#include "uni/event_queue.h"
#include "uni/net_if_notifications.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace qorinet_api {

struct DiscoveryAnswer;

class QORINetClient : public QORINetBaseClient, public uni::IfNetIfNotifications, public IfNodeOwner {
public:
    /// Remote nodes the list holds at most; further answers are logged and dropped.
    static constexpr std::size_t kMaxNodes = 1024;
    /// Scans a node may miss and stay listed.
    static constexpr std::uint32_t kMissedScansKept = 2;

    /// `allowed` restricts local pairs, scans, binds and accepted answers; `provider` is the
    /// machine's interface list unless a test hands in another; `logger` defaults to a
    /// QORINetDefaultLogger without callback.
    explicit QORINetClient(const QORINetClientConfig& config,
                           const uni::AllowedNetworks& allowed = uni::AllowedNetworks::process(),
                           std::shared_ptr<const uni::IfNetIfProvider> provider = nullptr,
                           std::shared_ptr<IfLogger> logger = nullptr);
    ~QORINetClient() override;

    /// Starts the log server, the data client, discovery and the local discovery. 0, or the
    /// discovery thread's start failure.
    int startClient();
    /// Stops them all again (discovery first). Safe to call repeatedly.
    void stopClient();

    /// Replaces the address part of the configuration (mode, list, node-kind mask, keep-nodes
    /// flag; the base port only while the client is stopped).
    void configureClient(const QORINetClientConfig& config);
    /// Attaches the application's queue (not owned) and replays the existing nodes into it.
    void attachEventQueue(uni::EventQueue* queue);
    /// Replaces the logger that every event line is written to.
    void setLogger(std::shared_ptr<IfLogger> logger);

    /// Stores the local node (made by the local discovery with nextNodeId()) and reports it.
    void initLocalClientNode(std::shared_ptr<QORINetLocalClientNode> node);
    /// Pushes EVENT_GOV_LOCNODE_SCAN_FINISHED.
    void notifyLocalScanFinished();
    void startLocalDiscovery() override;
    void stopLocalDiscovery() override;

    /// Next value of the node id counter.
    std::uint32_t nextNodeId() { return m_nextId.fetch_add(1); }
    /// The node with this id (local or remote); null when the client holds none.
    std::shared_ptr<QORINetIfClientNode> getNode(std::uint32_t nodeId) const;
    std::shared_ptr<QORINetClientNode> getRemoteNode(std::uint32_t nodeId) const;
    /// The local node first, then the remote nodes in list order.
    std::vector<std::shared_ptr<QORINetIfClientNode>> getNodes() const;
    std::vector<std::shared_ptr<QORINetClientNode>> remoteNodes() const;
    std::size_t remoteNodeCount() const;

    QORINetLogServer& logServer() { return m_logServer; }
    QORINetDataClient& dataClient() { return m_dataClient; }

    // IfNodeOwner
    uni::ipv4::IpAddressPairList localAddressPairs() const override { return ipConfigAddresses(); }
    std::uint16_t clientControlPort() const override { return ports().control; }
    std::uint16_t clientDataPort() const override { return ports().data; }
    std::uint64_t sessionFor(const std::string& nodeAddress) const override;
    std::uint32_t scanTimeMs() const override { return scanIntervalMs(); }
    void nodeConnected(std::uint32_t nodeId) override;
    void nodeDisconnected(std::uint32_t nodeId) override;
    /// On a connection of its own to the node's control port + 6. 700005 for an unknown id,
    /// 700009 when no valid answer came, else the first u32 of the answer.
    std::int32_t restartServer(std::uint32_t nodeId) override;
    std::int32_t rebootSystem(std::uint32_t nodeId) override;
    /// As restartServer; refused before connecting with 700013 for a node held by another
    /// client (scan state 3) and 700002 for any other state but 5.
    std::int32_t setIpConfig(std::uint32_t nodeId, std::uint32_t mode, const std::string& address,
                             const std::string& netmask) override;
    bool interceptSetParam_i32(std::uint32_t nodeId, std::int32_t board, std::int32_t command, std::int32_t value,
                               std::int32_t& result) override;
    bool interceptGetParam(std::uint32_t nodeId, std::int32_t board, std::int32_t command, std::int64_t& value,
                           std::int32_t& result) override;
    std::int32_t readCan(std::uint32_t nodeId, std::int32_t board, ZaMoCanFrame* frames, std::int32_t& count) override;
    std::int32_t readCanRawFrame(std::uint32_t nodeId, std::int32_t board, ZaMoCanFrame*& frames,
                                 std::int32_t& count) override;
    std::int32_t freeFramesCan(std::uint32_t nodeId, std::int32_t board, std::int32_t count) override;
    std::int32_t readDmaUart(std::uint32_t nodeId, std::int32_t board, std::uint8_t* bytes,
                             std::int32_t& count) override;
    std::int32_t readDmaUartRawFrame(std::uint32_t nodeId, std::int32_t board, ZaMoUartFrame*& frames,
                                     std::int32_t& count) override;
    std::int32_t freeDmaUartRawFrame(std::uint32_t nodeId, std::int32_t board, std::int32_t count) override;

    /// The discovery document handler: one answer (3) or announcement (8) from `sender`.
    /// Public so that the fuzz target can drive it without sockets. A document that is the
    /// same as the last one from that sender is not parsed again (DiscoveryAnswerCache).
    void handlePacket(std::uint16_t command, const std::string& sender, const std::string& xml) override;
    /// Documents parsed and documents found unchanged by handlePacket since construction.
    std::uint64_t answersParsed() const;
    std::uint64_t answersUnchanged() const;

protected:
    void startScan() override;
    void finishScan() override;
    void removeNode(std::uint32_t nodeId) override;
    void onReconfigure(const AddressChangeList& changes) override;
    void onReconfigureFinished() override;
    void onAddressesAdded(const uni::ipv4::IpAddressPairList& current) override;
    void onAddressesRemoved(const uni::ipv4::IpAddressPairList& current) override;
    std::vector<std::string> linkLocalNodeAddresses() const override;
    void onLoopPass() override;

private:
    using NodeList = std::list<std::shared_ptr<QORINetClientNode>>;

    /// What discovery knows a node by: its address pair and control port.
    struct NodeKey {
        std::string address;
        std::uint32_t netmask = 0;
        std::uint16_t controlPort = 0;
        bool operator==(const NodeKey& other) const
        {
            return controlPort == other.controlPort && netmask == other.netmask && address == other.address;
        }
    };
    struct NodeKeyHash {
        std::size_t operator()(const NodeKey& key) const;
    };

    // With the list lock held.
    void raiseEvent(std::uint32_t code, const QORINetIfClientNode* node);
    NodeList::iterator findNode(const DiscoveryAnswer& answer);
    NodeList::iterator findNode(std::uint32_t nodeId);
    void updateNode(QORINetClientNode& node, std::uint16_t command, const DiscoveryAnswer& answer);
    /// The node made; null when the list is full.
    QORINetClientNode* createNode(std::uint16_t command, const DiscoveryAnswer& answer);
    // With the answer lock held.
    bool repeatOutcome(std::size_t place, std::uint16_t command);
    void forgetOutcome(std::size_t place);
    void setLocalPairFromAnswer(QORINetClientNode& node, const DiscoveryAnswer& answer);
    void promote(QORINetClientNode& node, const DiscoveryAnswer& answer);
    bool acceptsKind(bool simulation) const;
    void takeOut(NodeList::iterator it);
    /// Whether a listed node missed more scans than kMissedScansKept.
    bool anyMissedTooOften() const;
    void unindex(NodeList::iterator it);

    void applyAddressConfig(const QORINetClientConfig& config);
    void passAddressesOn(const uni::ipv4::IpAddressPairList& current);
    std::int32_t maintenanceCommand(std::uint32_t nodeId, std::uint16_t command, const std::string& xml);

    std::atomic<std::uint32_t> m_nodeKindMask;
    std::atomic<std::uint32_t> m_keepNodes;
    std::atomic<std::uint32_t> m_requestCeilingMs;
    const std::uint32_t m_localNodeMask;
    std::atomic<std::uint32_t> m_nextId{1};

    // Taken before m_listLock, by handlePacket alone.
    mutable std::mutex m_answerLock;
    DiscoveryAnswerCache m_answers;
    /// What the last answer of each place of m_answers did: the node it went to, as the
    /// answer left it. The same answer again, to a node and a list that are still so, only
    /// counts as heard; a scan of a large network then reads none of the nodes' records.
    struct Outcome {
        QORINetClientNode::ScanMark* mark = nullptr; ///< the node's; null: nothing to repeat
        std::uint64_t version = 0;                   ///< the node's record version after the answer
        std::uint64_t list = 0;                      ///< m_listVersion after the answer
        std::uint64_t addresses = 0;                 ///< addressesVersion() before the answer
        std::size_t heard = DiscoveryStatistics::kNoEntry;
        std::uint16_t command = 0;
        bool simulation = false;
    };
    std::vector<Outcome> m_outcomes;

    mutable std::mutex m_listLock;
    NodeList m_nodes;
    /// The nodes of m_nodes by the address pair and control port they were listed with, so
    /// that an answer finds its node without a walk through the list. A hit is checked
    /// against the node; a miss, or a node whose address changed since, is looked up in the
    /// list itself, as before.
    std::unordered_map<NodeKey, NodeList::iterator, NodeKeyHash> m_index;
    /// The scan marks of the listed nodes (QORINetClientNode::ScanMark), one place each.
    std::unique_ptr<QORINetClientNode::ScanMark[]> m_marks;
    std::vector<bool> m_markTaken;
    std::vector<std::uint32_t> m_freeMarks;
    /// Counts the changes of m_nodes and m_index that could lead an answer heard before to
    /// another node or to none; a node added leads none elsewhere.
    std::uint64_t m_listVersion = 0;
    std::shared_ptr<QORINetLocalClientNode> m_localNode;
    uni::EventQueue* m_queue = nullptr;
    std::shared_ptr<IfLogger> m_logger;

    mutable std::mutex m_sessionLock;
    std::map<std::string, std::uint64_t> m_sessions;

    std::mutex m_passedLock;
    uni::ipv4::IpAddressPairList m_passed; ///< the list last handed to the log server

    uni::EventQueue m_control; ///< records for the discovery thread (code 0: node disconnected)

    QORINetLogServer m_logServer;
    QORINetDataClient m_dataClient;
    QORINetLocalDiscovery m_localDiscovery;
    std::shared_ptr<uni::IfNetIfNotificationHandler> m_forwarder;
};

} // namespace qorinet_api
