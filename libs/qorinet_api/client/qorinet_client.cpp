#include "qorinet_api/client/qorinet_client.h"

#include "qorinet_api/client/discovery_answer.h"
#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/frame_reader.h"
#include "qorinet_api/common/frame_writer.h"
#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/common/payload_writer.h"
#include "qorinet_api/log/qorinet_default_logger.h"

#include "uni/log.h"
#include "uni/osal.h"
#include "uni/tcp_socket.h"
#include "uni/timer.h"

#include <algorithm>
#include <sstream>

namespace qorinet_api {

namespace {

constexpr const char* kChannel = "tnc";
constexpr std::uint32_t kMaintenanceTimeoutMs = 1000;
// Frames a maintenance connection may skip, and how long it may take, before it gives up.
constexpr int kMaintenanceMaxFrames = 64;
constexpr std::int64_t kMaintenanceLimitUs = 10 * 1000 * 1000;
// A first slot number beyond this is not believed: the node then counts as not telling.
constexpr std::uint32_t kMaxSlotNoOffset = 0xFFFF;

// Tells apart two nodes that answer under one address: a duplicate address on the network.
std::string identityOf(const DiscoveryAnswer& answer)
{
    std::string identity = answer.name.empty() ? std::string("unnamed node") : answer.name;
    if (!answer.enclosureSerial.empty())
        identity += ", enclosure " + answer.enclosureSerial;
    return identity + ", port " + std::to_string(answer.controlPort);
}

class NotificationForwarder : public uni::IfNetIfNotificationHandler {
public:
    explicit NotificationForwarder(QORINetBaseClient& client) : m_client(client) {}
    void onNetIfChange(const uni::NetIfNotification& notification) override { m_client.queueNetIfChange(notification); }

private:
    QORINetBaseClient& m_client;
};

std::vector<QORINetClientNode::BoardInfo> boardsOf(const DiscoveryAnswer& answer)
{
    std::vector<QORINetClientNode::BoardInfo> boards;
    for (const auto& board : answer.boards)
        boards.push_back({board.name, board.serial, board.firmware, board.slotIndex, board.enclosureIndex, {}});
    return boards;
}

std::vector<QORINetClientNode::EnclosureInfo> enclosuresOf(const DiscoveryAnswer& answer)
{
    std::vector<QORINetClientNode::EnclosureInfo> enclosures;
    std::uint32_t index = 0;
    for (const auto& enclosure : answer.enclosures) {
        const std::int32_t offset = enclosure.slotNoOffset && *enclosure.slotNoOffset <= kMaxSlotNoOffset
                                        ? static_cast<std::int32_t>(*enclosure.slotNoOffset)
                                        : -1;
        enclosures.push_back({index++, enclosure.name, enclosure.serial, enclosure.slotCount, offset});
    }
    return enclosures;
}

uni::ipv4::IpAddressPairList missingFrom(const uni::ipv4::IpAddressPairList& from,
                                         const uni::ipv4::IpAddressPairList& in)
{
    uni::ipv4::IpAddressPairList out;
    for (const auto& pair : from)
        if (std::find(in.begin(), in.end(), pair) == in.end())
            out.push_back(pair);
    return out;
}

} // namespace

QORINetClient::QORINetClient(const QORINetClientConfig& config, const uni::AllowedNetworks& allowed,
                             std::shared_ptr<const uni::IfNetIfProvider> provider, std::shared_ptr<IfLogger> logger)
    : QORINetBaseClient(config, allowed, std::move(provider)), m_nodeKindMask(config.nodeKindMask),
      m_keepNodes(config.keepNodes), m_requestCeilingMs(config.requestCeilingMs), m_localNodeMask(config.localNodeMask),
      m_logger(logger ? std::move(logger) : std::make_shared<QORINetDefaultLogger>()), m_logServer(allowed),
      m_dataClient(allowed), m_localDiscovery(*this, config.localNodeMask)
{
    m_forwarder = std::make_shared<NotificationForwarder>(*this);
    m_marks = std::make_unique<QORINetClientNode::ScanMark[]>(kMaxNodes);
    m_markTaken.assign(kMaxNodes, false);
    for (std::uint32_t place = kMaxNodes; place > 0; --place)
        m_freeMarks.push_back(place - 1);
    configureClient(config);
}

QORINetClient::~QORINetClient()
{
    stopClient();
    unregisterNetIfNotifications();
    // Nodes held elsewhere outlive the table of marks.
    std::lock_guard<std::mutex> lock(m_listLock);
    for (const auto& node : m_nodes)
        node->keepMarkIn(nullptr);
}

int QORINetClient::startClient()
{
    m_logServer.configure(basePort(), ipConfigAddresses(), ipConfigMode());
    m_logServer.doConfigureServer();
    m_logServer.start();
    m_dataClient.start();
    const int started = start();
    startLocalDiscovery();
    return started;
}

void QORINetClient::stopClient()
{
    stopLocalDiscovery();
    stop();
    m_dataClient.stop();
    m_logServer.stop();
}

void QORINetClient::configureClient(const QORINetClientConfig& config)
{
    UNI_LOG(kChannel, uni::log::info) << "configureClient";
    m_nodeKindMask = config.nodeKindMask;
    m_keepNodes = config.keepNodes;
    m_requestCeilingMs = config.requestCeilingMs;
    setNetworkEnabled(config.nodeKindMask != 0);
    applyAddressConfig(config);
}

void QORINetClient::applyAddressConfig(const QORINetClientConfig& config)
{
    uni::ipv4::IpAddressPairList addresses;
    std::uint32_t mode = config.mode;
    if (config.nodeKindMask == 0) {
        unregisterNetIfNotifications();
    } else if (config.mode == QORINetClientConfig::MODE_ALL_INTERFACES) {
        registerNetIfNotifications(m_forwarder);
        takeInterfaceAddresses();
        addresses = ipConfigAddresses();
    } else {
        unregisterNetIfNotifications();
        addresses = allowedNetworks().filter(config.localAddresses);
    }
    passAddressesOn(addresses);
    doConfigureClient(addresses, mode);
}

void QORINetClient::passAddressesOn(const uni::ipv4::IpAddressPairList& current)
{
    uni::ipv4::IpAddressPairList added;
    uni::ipv4::IpAddressPairList removed;
    {
        std::lock_guard<std::mutex> lock(m_passedLock);
        added = missingFrom(current, m_passed);
        removed = missingFrom(m_passed, current);
        m_passed = current;
    }
    if (!removed.empty())
        m_logServer.handleRemoveAddresses(removed);
    if (!added.empty())
        m_logServer.handleNewAddresses(added);
    m_dataClient.configure(ports().data, current);
}

void QORINetClient::setLogger(std::shared_ptr<IfLogger> logger)
{
    std::lock_guard<std::mutex> lock(m_listLock);
    m_logger = logger ? std::move(logger) : std::make_shared<QORINetDefaultLogger>();
}

void QORINetClient::attachEventQueue(uni::EventQueue* queue)
{
    std::lock_guard<std::mutex> lock(m_listLock);
    UNI_LOG(kChannel, uni::log::info) << "##TNC## attachEventQueue enter";
    m_queue = queue;
    if (m_localNode)
        raiseEvent(EVENT_GOV_NODE_ADDED, m_localNode.get());
    for (const auto& node : m_nodes)
        raiseEvent(node->scanState() == QORINetClientNode::kScanAnnounced ? EVENT_GOV_NODE_DISCOVERED
                                                                          : EVENT_GOV_NODE_ADDED,
                   node.get());
    UNI_LOG(kChannel, uni::log::info) << "##TNC## attachEventQueue exit";
}

void QORINetClient::raiseEvent(std::uint32_t code, const QORINetIfClientNode* node)
{
    std::ostringstream line;
    line << "##TNC## event " << eventName(code) << " sent:";
    if (node) {
        const auto* remote = dynamic_cast<const QORINetClientNode*>(node);
        line << " node: " << node->getNodeId() << " [" << node->getAddress() << "] "
             << " scan_state:" << (remote ? remote->scanState() : 0);
    }
    const std::string text = line.str();
    UNI_LOG(kChannel, uni::log::info) << text;
    if (m_logger)
        m_logger->log(text);
    m_logServer.queueMessage(text);
    if (!m_queue)
        return;
    if (node) {
        const std::uint32_t id = node->getNodeId();
        m_queue->push(code, &id, sizeof id);
    } else {
        m_queue->push(code);
    }
}

void QORINetClient::initLocalClientNode(std::shared_ptr<QORINetLocalClientNode> node)
{
    UNI_LOG(kChannel, uni::log::info) << "initLocalClientNode";
    if (!node)
        return;
    std::lock_guard<std::mutex> lock(m_listLock);
    m_localNode = std::move(node);
    raiseEvent(EVENT_GOV_NODE_ADDED, m_localNode.get());
}

void QORINetClient::notifyLocalScanFinished()
{
    std::lock_guard<std::mutex> lock(m_listLock);
    raiseEvent(EVENT_GOV_LOCNODE_SCAN_FINISHED, nullptr);
}

void QORINetClient::startLocalDiscovery()
{
    UNI_LOG(kChannel, uni::log::info) << "startLocalDiscovery";
    if (m_localNodeMask != 0 && m_localDiscovery.state() == uni::Thread::Idle)
        m_localDiscovery.start();
}

void QORINetClient::stopLocalDiscovery()
{
    UNI_LOG(kChannel, uni::log::info) << "stopLocalDiscovery";
    m_localDiscovery.stop();
}

// ---- look-up ------------------------------------------------------------------------------

QORINetClient::NodeList::iterator QORINetClient::findNode(std::uint32_t nodeId)
{
    return std::find_if(m_nodes.begin(), m_nodes.end(),
                        [&](const std::shared_ptr<QORINetClientNode>& node) { return node->getNodeId() == nodeId; });
}

std::shared_ptr<QORINetIfClientNode> QORINetClient::getNode(std::uint32_t nodeId) const
{
    std::lock_guard<std::mutex> lock(m_listLock);
    if (m_localNode && m_localNode->getNodeId() == nodeId)
        return m_localNode;
    for (const auto& node : m_nodes)
        if (node->getNodeId() == nodeId)
            return node;
    return nullptr;
}

std::shared_ptr<QORINetClientNode> QORINetClient::getRemoteNode(std::uint32_t nodeId) const
{
    std::lock_guard<std::mutex> lock(m_listLock);
    for (const auto& node : m_nodes)
        if (node->getNodeId() == nodeId)
            return node;
    return nullptr;
}

std::vector<std::shared_ptr<QORINetIfClientNode>> QORINetClient::getNodes() const
{
    std::lock_guard<std::mutex> lock(m_listLock);
    std::vector<std::shared_ptr<QORINetIfClientNode>> nodes;
    if (m_localNode)
        nodes.push_back(m_localNode);
    nodes.insert(nodes.end(), m_nodes.begin(), m_nodes.end());
    return nodes;
}

std::vector<std::shared_ptr<QORINetClientNode>> QORINetClient::remoteNodes() const
{
    std::lock_guard<std::mutex> lock(m_listLock);
    return {m_nodes.begin(), m_nodes.end()};
}

std::size_t QORINetClient::remoteNodeCount() const
{
    std::lock_guard<std::mutex> lock(m_listLock);
    return m_nodes.size();
}

std::vector<std::string> QORINetClient::linkLocalNodeAddresses() const
{
    std::lock_guard<std::mutex> lock(m_listLock);
    std::vector<std::string> addresses;
    for (const auto& node : m_nodes) {
        const std::string address = node->getAddress();
        if (address.compare(0, 8, "169.254.") == 0)
            addresses.push_back(address);
    }
    return addresses;
}

// ---- discovery ----------------------------------------------------------------------------

bool QORINetClient::acceptsKind(bool simulation) const
{
    const std::uint32_t bit = simulation ? QORINetClientConfig::kAcceptSimulated : QORINetClientConfig::kAcceptReal;
    return (m_nodeKindMask.load() & bit) != 0;
}

void QORINetClient::handlePacket(std::uint16_t command, const std::string& sender, const std::string& xml)
{
    if (command != proto::CMD_SCAN_ANSWER && command != proto::CMD_ANNOUNCE)
        return;
    std::lock_guard<std::mutex> answerLock(m_answerLock);
    const DiscoveryAnswerCache::Lookup lookup = m_answers.lookUp(sender, xml);
    if (lookup.unchanged && repeatOutcome(lookup.place, command))
        return;
    forgetOutcome(lookup.place);
    if (!lookup.answer) {
        recordedStatistics().noteRefused(sender, "it does not name a valid address, mask and control port of the node");
        return;
    }
    const DiscoveryAnswer& answer = *lookup.answer;
    if (!allowedNetworks().isAllowed(answer.node.address())) {
        UNI_LOG(kChannel, uni::log::debug)
            << "answer of " << answer.node.address() << " (from " << sender << ") outside the allowed networks";
        recordedStatistics().noteRefused(sender, "it names the address " + answer.node.address() +
                                                     ", outside the allowed networks");
        return;
    }
    const std::size_t heard = recordedStatistics().noteAnswer(answer.node.address(), identityOf(answer));
    if (command == proto::CMD_SCAN_ANSWER && (answer.boardCount == 0 || !acceptsKind(answer.simulation)))
        return;
    const std::uint64_t addresses = addressesVersion();
    std::lock_guard<std::mutex> lock(m_listLock);
    const auto found = findNode(answer);
    QORINetClientNode* node = nullptr;
    if (found != m_nodes.end()) {
        node = found->get();
        updateNode(*node, command, answer);
    } else {
        node = createNode(command, answer);
    }
    if (node)
        m_outcomes[lookup.place] = {node->scanMark(), node->recordVersion(), m_listVersion, addresses, heard,
                                    command,          answer.simulation};
}

bool QORINetClient::repeatOutcome(std::size_t place, std::uint16_t command)
{
    if (place >= m_outcomes.size())
        return false;
    const Outcome& outcome = m_outcomes[place];
    if (!outcome.mark || outcome.command != command || outcome.addresses != addressesVersion())
        return false;
    if (command == proto::CMD_SCAN_ANSWER && !acceptsKind(outcome.simulation))
        return false;
    std::lock_guard<std::mutex> lock(m_listLock);
    // The mark is only looked at while the list is as it was: then it is still the node's.
    if (outcome.list != m_listVersion || outcome.mark->recordVersion != outcome.version)
        return false;
    recordedStatistics().noteRepeatedAnswer(outcome.heard);
    outcome.mark->missedScans = 0;
    return true;
}

void QORINetClient::forgetOutcome(std::size_t place)
{
    if (place >= m_outcomes.size())
        m_outcomes.resize(place + 1);
    m_outcomes[place] = Outcome{};
}

std::uint64_t QORINetClient::answersParsed() const
{
    std::lock_guard<std::mutex> lock(m_answerLock);
    return m_answers.parses();
}

std::uint64_t QORINetClient::answersUnchanged() const
{
    std::lock_guard<std::mutex> lock(m_answerLock);
    return m_answers.hits();
}

std::size_t QORINetClient::NodeKeyHash::operator()(const NodeKey& key) const
{
    return std::hash<std::string>()(key.address) ^ (std::size_t{key.netmask} * 0x9E3779B97F4A7C15ull) ^
           (std::size_t{key.controlPort} << 17);
}

QORINetClient::NodeList::iterator QORINetClient::findNode(const DiscoveryAnswer& answer)
{
    NodeKey key{answer.node.address(), answer.node.netmask(), answer.controlPort};
    const auto hit = m_index.find(key);
    if (hit != m_index.end() && (*hit->second)->isAt(answer.node, answer.controlPort, answer.enclosureSerial))
        return hit->second;
    // Not listed under this key, or listed but moved since: the list decides, in its order.
    const auto found =
        std::find_if(m_nodes.begin(), m_nodes.end(), [&](const std::shared_ptr<QORINetClientNode>& node) {
            return node->isAt(answer.node, answer.controlPort, answer.enclosureSerial);
        });
    if (found != m_nodes.end()) {
        // One entry per node: the one under the key it was listed with would outlive it.
        unindex(found);
        m_index[std::move(key)] = found;
        ++m_listVersion;
    } else if (hit != m_index.end()) {
        m_index.erase(hit);
        ++m_listVersion;
    }
    return found;
}

void QORINetClient::unindex(NodeList::iterator it)
{
    const auto pair = (*it)->addressPair();
    const auto hit = m_index.find(NodeKey{pair.address(), pair.netmask(), (*it)->ports().control});
    if (hit != m_index.end() && hit->second == it) {
        m_index.erase(hit);
        return;
    }
    for (auto entry = m_index.begin(); entry != m_index.end(); ++entry) {
        if (entry->second == it) {
            m_index.erase(entry);
            return;
        }
    }
}

void QORINetClient::setLocalPairFromAnswer(QORINetClientNode& node, const DiscoveryAnswer& answer)
{
    // The mask of our own pair with that address, when it is one of ours.
    std::uint32_t mask = answer.node.netmask();
    for (const auto& local : ipConfigAddresses())
        if (local.address() == answer.clientAddress)
            mask = local.netmask();
    node.setLocalAddressPair(uni::ipv4::IpAddressPair(answer.clientAddress, mask));
}

void QORINetClient::updateNode(QORINetClientNode& node, std::uint16_t command, const DiscoveryAnswer& answer)
{
    node.resetMissedScans();
    if (answer.mode)
        node.setIpMode(*answer.mode);
    if (command == proto::CMD_SCAN_ANSWER) {
        node.setAddressPair(answer.node);
        if (!answer.clientAddress.empty())
            setLocalPairFromAnswer(node, answer);
        else
            UNI_LOG(kChannel, uni::log::warning) << "setLocalIpAddress error for node " << node.getNodeId();
    }
    if (node.scanState() == QORINetClientNode::kScanAnnounced) {
        node.setBoardCount(answer.boardCount);
        node.setEnclosureCount(answer.enclosureCount);
        if (command == proto::CMD_SCAN_ANSWER)
            promote(node, answer);
        return;
    }
    if (command == proto::CMD_SCAN_ANSWER)
        node.setScanState(answer.holder ? QORINetClientNode::kScanHeld : QORINetClientNode::kScanFree);
    if (answer.syncState && *answer.syncState != node.getSyncState()) {
        node.setSyncState(*answer.syncState);
        raiseEvent(EVENT_GOV_NODE_SYNC_CHANGED, &node);
    }
}

// An announced node that answers a scan is a full node from now on.
void QORINetClient::promote(QORINetClientNode& node, const DiscoveryAnswer& answer)
{
    if (answer.syncState)
        node.setSyncState(*answer.syncState);
    if (!answer.boards.empty())
        node.setBoards(boardsOf(answer));
    if (!answer.enclosures.empty())
        node.setEnclosures(enclosuresOf(answer));
    node.startNode();
    node.setScanState(answer.holder ? QORINetClientNode::kScanHeld : QORINetClientNode::kScanFree);
    raiseEvent(EVENT_GOV_NODE_ADDED, &node);
}

QORINetClientNode* QORINetClient::createNode(std::uint16_t command, const DiscoveryAnswer& answer)
{
    if (m_nodes.size() >= kMaxNodes) {
        UNI_LOG(kChannel, uni::log::warning)
            << "node list full (" << kMaxNodes << "): answer of " << answer.node.address() << " dropped";
        return nullptr;
    }
    const std::uint32_t id = nextNodeId();
    UNI_LOG(kChannel, uni::log::info) << "new QORINetClientNode " << answer.node.address() << " id=" << id;
    auto node =
        std::make_shared<QORINetClientNode>(this, id, answer.boardCount, answer.enclosureCount, answer.simulation);
    // Free places remain: the list is below kMaxNodes.
    const std::uint32_t mark = m_freeMarks.back();
    m_freeMarks.pop_back();
    m_markTaken[mark] = true;
    node->keepMarkIn(&m_marks[mark]);
    node->setAddressPair(answer.node);
    node->setRequestCeilingMs(m_requestCeilingMs);
    if (!answer.clientAddress.empty())
        setLocalPairFromAnswer(*node, answer);
    else
        node->guessLocalIpAddress(answer.node);
    proto::PortTriple nodePorts;
    nodePorts.control = answer.controlPort;
    nodePorts.data = answer.dataPort;
    nodePorts.third = static_cast<std::uint16_t>(answer.controlPort + proto::kThirdPortOffset);
    node->setPorts(nodePorts);
    node->storeName(answer.name);
    node->setIpMode(answer.mode.value_or(0));
    node->setNodeTexts(
        {answer.firmware, answer.driver, answer.enclosureAccess, answer.enclosureSerial, answer.swVersion});
    node->setSyncState(answer.syncState.value_or(0));
    if (command == proto::CMD_SCAN_ANSWER) {
        node->startNode();
        node->setScanState(QORINetClientNode::kScanFree);
        if (answer.holder)
            node->setScanState(QORINetClientNode::kScanHeld);
    } else {
        node->setScanState(QORINetClientNode::kScanAnnounced);
    }
    if (!answer.boards.empty())
        node->setBoards(boardsOf(answer));
    if (!answer.enclosures.empty())
        node->setEnclosures(enclosuresOf(answer));
    m_nodes.push_back(node);
    // No change of m_listVersion: a node added leads no other node's answer elsewhere.
    m_index[NodeKey{answer.node.address(), answer.node.netmask(), answer.controlPort}] = std::prev(m_nodes.end());
    raiseEvent(node->scanState() == QORINetClientNode::kScanAnnounced ? EVENT_GOV_NODE_DISCOVERED
                                                                      : EVENT_GOV_NODE_ADDED,
               node.get());
    return node.get();
}

void QORINetClient::startScan()
{
    std::lock_guard<std::mutex> lock(m_listLock);
    for (std::size_t place = 0; place < kMaxNodes; ++place)
        if (m_markTaken[place] && !m_marks[place].tainted)
            ++m_marks[place].missedScans;
}

bool QORINetClient::anyMissedTooOften() const
{
    for (std::size_t place = 0; place < kMaxNodes; ++place)
        if (m_markTaken[place] && m_marks[place].missedScans > kMissedScansKept)
            return true;
    return false;
}

void QORINetClient::finishScan()
{
    if (m_keepNodes.load() != 0)
        return;
    std::lock_guard<std::mutex> lock(m_listLock);
    // Mostly none: then the records are not visited.
    if (!anyMissedTooOften())
        return;
    for (auto it = m_nodes.begin(); it != m_nodes.end();) {
        QORINetClientNode& node = **it;
        if (node.missedScans() <= kMissedScansKept || (node.isTainted() && node.isConnected())) {
            ++it;
            continue;
        }
        UNI_LOG(kChannel, uni::log::info)
            << "finishScan: detected unresponsive node " << node.getAddress() << " id: " << node.getNodeId();
        if (node.isConnected()) {
            if (node.setTainted())
                raiseEvent(EVENT_GOV_NODE_TAINTED, &node);
            ++it;
            continue;
        }
        const auto next = std::next(it);
        takeOut(it);
        it = next;
    }
}

void QORINetClient::takeOut(NodeList::iterator it)
{
    const std::shared_ptr<QORINetClientNode> node = *it;
    const auto mark = static_cast<std::uint32_t>(node->scanMark() - m_marks.get());
    node->keepMarkIn(nullptr);
    m_markTaken[mark] = false;
    m_freeMarks.push_back(mark);
    unindex(it);
    m_nodes.erase(it);
    ++m_listVersion; // what was repeated for the node must not find it
    raiseEvent(EVENT_GOV_NODE_REMOVED, node.get());
}

void QORINetClient::removeNode(std::uint32_t nodeId)
{
    std::lock_guard<std::mutex> lock(m_listLock);
    const auto found = findNode(nodeId);
    if (found != m_nodes.end())
        takeOut(found);
}

// ---- reconfiguration ----------------------------------------------------------------------

void QORINetClient::onReconfigure(const AddressChangeList& changes)
{
    UNI_LOG(kChannel, uni::log::info) << "onReconfigure";
    for (const auto& change : changes) {
        if (change.kind != ADDR_REMOVE)
            continue;
        UNI_LOG(kChannel, uni::log::info)
            << "onReconfigure " << addressChangeName(change.kind) << " - " << change.pair.address();
        std::lock_guard<std::mutex> lock(m_listLock);
        for (auto it = m_nodes.begin(); it != m_nodes.end();) {
            QORINetClientNode& node = **it;
            if (node.localAddressPair().address() != change.pair.address()) {
                ++it;
                continue;
            }
            UNI_LOG(kChannel, uni::log::info) << "Removing: Node " << node.getNodeId() << " " << node.getName()
                                              << "  address = " << node.getAddress();
            UNI_LOG(kChannel, uni::log::info) << "onReconfigure: Removing " << node.getNodeId();
            if (node.isConnected()) {
                if (node.setTainted())
                    raiseEvent(EVENT_GOV_NODE_TAINTED, &node);
                ++it;
                continue;
            }
            const auto next = std::next(it);
            takeOut(it);
            it = next;
        }
    }
}

void QORINetClient::onReconfigureFinished()
{
    UNI_LOG(kChannel, uni::log::info) << "onReconfigureFinished";
    std::lock_guard<std::mutex> lock(m_listLock);
    raiseEvent(EVENT_GOV_RECONFIGURE_FINISHED, nullptr);
}

void QORINetClient::onAddressesAdded(const uni::ipv4::IpAddressPairList& current)
{
    passAddressesOn(current);
}

void QORINetClient::onAddressesRemoved(const uni::ipv4::IpAddressPairList& current)
{
    passAddressesOn(current);
}

void QORINetClient::onLoopPass()
{
    std::uint32_t code = 0;
    std::vector<std::uint8_t> data;
    while (m_control.size() > 0 && m_control.pop(code, data, 0) == 0) {
        std::uint32_t id = 0;
        if (data.size() == sizeof id)
            id = PayloadReader::loadU32(data.data());
        UNI_LOG(kChannel, uni::log::debug) << "control record " << code << " node " << id;
    }
}

// ---- node owner ---------------------------------------------------------------------------

std::uint64_t QORINetClient::sessionFor(const std::string& nodeAddress) const
{
    std::lock_guard<std::mutex> lock(m_sessionLock);
    const auto found = m_sessions.find(nodeAddress);
    return found == m_sessions.end() ? 0 : found->second;
}

void QORINetClient::nodeConnected(std::uint32_t nodeId)
{
    UNI_LOG(kChannel, uni::log::info) << "nodeConnected " << nodeId;
    const auto node = getRemoteNode(nodeId);
    if (!node)
        return;
    {
        // The node's hello answer is what it wants to see again when we come back.
        std::lock_guard<std::mutex> lock(m_sessionLock);
        m_sessions[node->getAddress()] = node->helloValue();
    }
    m_dataClient.openNode(nodeId, node->getBoardCount(), node->getAddress());
}

void QORINetClient::nodeDisconnected(std::uint32_t nodeId)
{
    UNI_LOG(kChannel, uni::log::info) << "nodeDisconnected " << nodeId;
    m_dataClient.closeNode(nodeId);
    m_control.push(0, &nodeId, sizeof nodeId);
}

std::int32_t QORINetClient::restartServer(std::uint32_t nodeId)
{
    return maintenanceCommand(nodeId, proto::CMD_RESTART_SERVER, {});
}

std::int32_t QORINetClient::rebootSystem(std::uint32_t nodeId)
{
    return maintenanceCommand(nodeId, proto::CMD_REBOOT_SYSTEM, {});
}

std::int32_t QORINetClient::setIpConfig(std::uint32_t nodeId, std::uint32_t mode, const std::string& address,
                                        const std::string& netmask)
{
    const auto node = getRemoteNode(nodeId);
    if (!node)
        return uni::osal::ERR_UNI_OSAL_EARG;
    if (node->scanState() == QORINetClientNode::kScanHeld)
        return uni::osal::ERR_UNI_OSAL_ENOPERMISSION;
    if (node->scanState() != QORINetClientNode::kScanFree)
        return uni::osal::ERR_UNI_OSAL_ECONNECTION;
    CommandDocument document;
    document.set("IPConfig", "mode", std::uint64_t{mode});
    document.set("IPConfig", "address", address);
    document.set("IPConfig", "netmask", netmask);
    return maintenanceCommand(nodeId, proto::CMD_SET_IP_CONFIG, document.toString());
}

std::int32_t QORINetClient::maintenanceCommand(std::uint32_t nodeId, std::uint16_t command, const std::string& xml)
{
    const auto node = getRemoteNode(nodeId);
    if (!node)
        return uni::osal::ERR_UNI_OSAL_EARG;
    uni::TCPSocket socket;
    socket.setReceiveTimeout(kMaintenanceTimeoutMs);
    socket.setSendTimeout(kMaintenanceTimeoutMs);
    const std::uint16_t port = static_cast<std::uint16_t>(node->ports().control + proto::kMaintenancePortOffset);
    if (socket.setLocalEnd(node->localAddressPair().address(), 0) != 0 ||
        socket.setRemoteEnd(node->getAddress(), port) != 0 || socket.connect() != 0) {
        UNI_LOG(kChannel, uni::log::warning)
            << "maintenance connection to " << node->getAddress() << ":" << port << " failed";
        return uni::osal::ERR_UNI_OSAL_ERROR;
    }
    FrameBuffer buffer;
    PayloadWriter writer(buffer);
    if (!xml.empty())
        writer.document(xml);
    if (FrameWriter::write(socket, buffer, command) < 0)
        return uni::osal::ERR_UNI_OSAL_ERROR;
    const uni::Timer elapsed;
    for (int frame = 0; frame < kMaintenanceMaxFrames && elapsed.elapsedUs() < kMaintenanceLimitUs; ++frame) {
        FrameHeader header;
        if (FrameReader::read(socket, buffer, header) < 0)
            break;
        if (header.command != proto::answerCode(command))
            continue;
        std::uint32_t value = 0;
        const bool ok = PayloadReader(buffer.payload(), buffer.size()).u32At(0, value);
        socket.close();
        return ok ? static_cast<std::int32_t>(value) : uni::osal::ERR_UNI_OSAL_ERROR;
    }
    socket.close();
    return uni::osal::ERR_UNI_OSAL_ERROR;
}

bool QORINetClient::interceptSetParam_i32(std::uint32_t nodeId, std::int32_t board, std::int32_t command,
                                          std::int32_t value, std::int32_t& result)
{
    m_dataClient.beforeSetParam(nodeId, board, command, value);
    return m_dataClient.answerSetParam(nodeId, board, command, value, result);
}

bool QORINetClient::interceptGetParam(std::uint32_t nodeId, std::int32_t board, std::int32_t command,
                                      std::int64_t& value, std::int32_t& result)
{
    return m_dataClient.answerGetParam(nodeId, board, command, value, result);
}

std::int32_t QORINetClient::readCan(std::uint32_t nodeId, std::int32_t board, ZaMoCanFrame* frames, std::int32_t& count)
{
    return m_dataClient.readCan(nodeId, board, frames, count);
}

std::int32_t QORINetClient::readCanRawFrame(std::uint32_t nodeId, std::int32_t board, ZaMoCanFrame*& frames,
                                            std::int32_t& count)
{
    return m_dataClient.readCanRaw(nodeId, board, frames, count);
}

std::int32_t QORINetClient::freeFramesCan(std::uint32_t nodeId, std::int32_t board, std::int32_t count)
{
    return m_dataClient.freeCan(nodeId, board, count);
}

std::int32_t QORINetClient::readDmaUart(std::uint32_t nodeId, std::int32_t board, std::uint8_t* bytes,
                                        std::int32_t& count)
{
    return m_dataClient.readUart(nodeId, board, bytes, count);
}

std::int32_t QORINetClient::readDmaUartRawFrame(std::uint32_t nodeId, std::int32_t board, ZaMoUartFrame*& frames,
                                                std::int32_t& count)
{
    return m_dataClient.readUartRaw(nodeId, board, frames, count);
}

std::int32_t QORINetClient::freeDmaUartRawFrame(std::uint32_t nodeId, std::int32_t board, std::int32_t count)
{
    return m_dataClient.freeUart(nodeId, board, count);
}

} // namespace qorinet_api
