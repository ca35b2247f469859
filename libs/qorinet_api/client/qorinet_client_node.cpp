#include "qorinet_api/client/qorinet_client_node.h"

#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/control_frame.h"
#include "qorinet_api/common/node_name.h"
#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/common/payload_writer.h"
#include "qorinet_api/common/qorinet_names.h"
#include "qorinet_api/common/qorinet_result_codes.h"
#include "qorinet_api/common/receive_deadline.h"
#include "qorinet_api/common/wire_records.h"

#include "uni/log.h"
#include "uni/number_text.h"
#include "uni/osal.h"

#include <cstdio>

namespace qorinet_api {

namespace {

using namespace uni::osal;

constexpr const char* kChannel = "tncn";
/// sendRequest on a closed socket.
constexpr int kSocketNotOpen = -2;
/// An answer that came whole but does not hold what its command answers: the node's server,
/// not the link, is at fault (700009, not the stream's format error 700015).
constexpr std::int32_t kUnusableAnswer = ERR_UNI_OSAL_ERROR;
/// sendRequest when heartbeats kept the request alive up to its ceiling and no answer came:
/// the node is stuck, not silent (700007).
constexpr int kBusyPastCeiling = -(ERR_UNI_OSAL_EBUSY - ERR_UNI_OSAL_BASE);
constexpr std::int32_t kLowestChannel = -1;
constexpr std::int32_t kHighestChannel = 3;
/// The driver's text lengths count the terminating zero.
constexpr std::uint32_t kTerminator = 1;

/// A failed transfer as node callers see it: -n of the socket table becomes 700000 + n.
std::int32_t transferFailure(int result)
{
    if (result < 0 && result >= -20)
        return ERR_UNI_OSAL_BASE - result;
    return ERR_UNI_OSAL_ERROR;
}

std::int32_t statusOnly(const PayloadReader& answer)
{
    std::int32_t status = 0;
    return answer.status(status) ? status : kUnusableAnswer;
}

std::string hex4(std::uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

bool isBoardDocumentCommand(const std::string& command)
{
    return command == "BoardProperties" || command == "BoardPropertiesFile";
}

/// Board number of a target "BoardID<n>" (optionally followed by "/..."); false otherwise.
bool boardNumberOf(const std::string& target, std::size_t& index)
{
    static const std::string prefix = "BoardID";
    if (target.compare(0, prefix.size(), prefix) != 0)
        return false;
    const std::size_t slash = target.find('/', prefix.size());
    std::uint32_t value = 0;
    if (!uni::text::parseUnsignedDecimal(target.substr(prefix.size(), slash - prefix.size()), value))
        return false;
    index = value;
    return true;
}

} // namespace

QORINetClientNode::QORINetClientNode(IfNodeOwner* owner, std::uint32_t nodeId, std::uint32_t boardCount,
                                     std::uint32_t enclosureCount, bool simulation)
    : m_owner(owner), m_nodeId(nodeId), m_simulation(simulation), m_boardCount(boardCount),
      m_enclosureCount(enclosureCount), m_buffer(proto::kBufferSize)
{
}

QORINetClientNode::~QORINetClientNode()
{
    m_socket.close();
}

// ---- record ----------------------------------------------------------------------------------

void QORINetClientNode::setAddressPair(const uni::ipv4::IpAddressPair& pair)
{
    changed();
    std::lock_guard<std::mutex> lock(m_recordLock);
    m_address = pair;
}

uni::ipv4::IpAddressPair QORINetClientNode::addressPair() const
{
    std::lock_guard<std::mutex> lock(m_recordLock);
    return m_address;
}

bool QORINetClientNode::isAt(const uni::ipv4::IpAddressPair& pair, std::uint16_t controlPort,
                             const std::string& enclosureSerial) const
{
    std::lock_guard<std::mutex> lock(m_recordLock);
    const bool sameSerial =
        enclosureSerial.empty() || m_texts.enclosureSerial.empty() || m_texts.enclosureSerial == enclosureSerial;
    return m_address == pair && m_ports.control == controlPort && sameSerial;
}

void QORINetClientNode::setLocalAddressPair(const uni::ipv4::IpAddressPair& pair)
{
    changed();
    std::lock_guard<std::mutex> lock(m_recordLock);
    m_localAddress = pair;
}

uni::ipv4::IpAddressPair QORINetClientNode::localAddressPair() const
{
    std::lock_guard<std::mutex> lock(m_recordLock);
    return m_localAddress;
}

void QORINetClientNode::setPorts(const proto::PortTriple& ports)
{
    changed();
    std::lock_guard<std::mutex> lock(m_recordLock);
    m_ports = ports;
}

proto::PortTriple QORINetClientNode::ports() const
{
    std::lock_guard<std::mutex> lock(m_recordLock);
    return m_ports;
}

void QORINetClientNode::storeName(const std::string& name)
{
    changed();
    std::lock_guard<std::mutex> lock(m_recordLock);
    m_name = name;
}

void QORINetClientNode::setNodeTexts(const NodeTexts& texts)
{
    changed();
    std::lock_guard<std::mutex> lock(m_recordLock);
    m_texts = texts;
}

QORINetClientNode::NodeTexts QORINetClientNode::nodeTexts() const
{
    std::lock_guard<std::mutex> lock(m_recordLock);
    return m_texts;
}

void QORINetClientNode::setScanState(std::uint32_t state)
{
    changed();
    if (state <= kScanFree)
        m_scanState = state;
}

void QORINetClientNode::setBoards(std::vector<BoardInfo> boards)
{
    changed();
    std::lock_guard<std::mutex> lock(m_recordLock);
    m_boards = std::move(boards);
    m_boardCount = static_cast<std::uint32_t>(m_boards.size());
}

std::vector<QORINetClientNode::BoardInfo> QORINetClientNode::boards() const
{
    std::lock_guard<std::mutex> lock(m_recordLock);
    return m_boards;
}

void QORINetClientNode::setEnclosures(std::vector<EnclosureInfo> enclosures)
{
    changed();
    std::lock_guard<std::mutex> lock(m_recordLock);
    m_enclosures = std::move(enclosures);
    m_enclosureCount = static_cast<std::uint32_t>(m_enclosures.size());
}

std::vector<QORINetClientNode::EnclosureInfo> QORINetClientNode::enclosures() const
{
    std::lock_guard<std::mutex> lock(m_recordLock);
    return m_enclosures;
}

void QORINetClientNode::keepMarkIn(ScanMark* mark)
{
    ScanMark* const to = mark ? mark : &m_ownMark;
    const ScanMark* const from = m_mark;
    if (to == from)
        return;
    to->missedScans = from->missedScans.load();
    to->tainted = from->tainted.load();
    to->recordVersion = from->recordVersion.load();
    m_mark = to;
}

bool QORINetClientNode::setTainted()
{
    bool expected = false;
    return m_mark.load()->tainted.compare_exchange_strong(expected, true);
}

uni::ipv4::IpAddressPair QORINetClientNode::guessLocalIpAddress(const uni::ipv4::IpAddressPair& remote)
{
    const uni::ipv4::IpAddressPairList locals = m_owner ? m_owner->localAddressPairs() : uni::ipv4::IpAddressPairList{};
    const auto remoteValue = remote.addressValue();
    uni::ipv4::IpAddressPair chosen;
    for (const auto& local : locals) {
        const auto localValue = local.addressValue();
        if (!remoteValue || !localValue)
            continue;
        const std::uint32_t mask = remote.netmask() != 0 ? remote.netmask() : local.netmask();
        if ((*localValue & local.netmask()) == (*remoteValue & mask)) {
            chosen = local;
            break;
        }
    }
    UNI_LOG(kChannel, uni::log::info) << "guessLocalIpAddress remote = " << remote << " -> local = " << chosen;
    setLocalAddressPair(chosen);
    return chosen;
}

void QORINetClientNode::startNode()
{
    UNI_LOG(kChannel, uni::log::info) << "startNode " << m_nodeId;
    if (m_connected) {
        UNI_LOG(kChannel, uni::log::info) << m_nodeId << ": Already connected";
        return;
    }
    const uni::ipv4::IpAddressPair local = localAddressPair();
    UNI_LOG(kChannel, uni::log::info) << " configure socket: ip = " << local.address() << " mask = " << local.maskText()
                                      << " port = " << ports().control;
    std::lock_guard<std::mutex> lock(m_requestLock);
    if (!m_socket.isOpen())
        prepareSocket();
}

void QORINetClientNode::prepareSocket()
{
    const uni::ipv4::IpAddressPair local = localAddressPair();
    const uni::ipv4::IpAddressPair remote = addressPair();
    if (m_socket.setLocalEnd(local.address(), 0) != 0)
        m_socket.setLocalEnd(std::string(), 0);
    m_socket.setRemoteEnd(remote.address(), ports().control);
    m_socket.setReceiveTimeout(m_receiveTimeoutMs);
    // Also bounds the connect attempt and a send to a node that stopped reading.
    m_socket.setSendTimeout(m_receiveTimeoutMs);
}

std::size_t QORINetClientNode::requestBufferCapacity() const
{
    std::lock_guard<std::mutex> lock(m_requestLock);
    return m_buffer.capacity();
}

// ---- connection ------------------------------------------------------------------------------

bool QORINetClientNode::isConnectable() const
{
    const std::uint32_t state = m_scanState;
    return state == kScanHeld || state == kScanFree;
}

std::int32_t QORINetClientNode::connect()
{
    UNI_LOG(kChannel, uni::log::info) << "connect: " << m_nodeId;
    if (m_connected)
        return ERR_NONE;
    if (!isConnectable())
        return ERR_UNI_OSAL_ECONNECTION;

    bool alreadyOpen = false;
    const std::int32_t opened = connectControl(alreadyOpen);
    if (opened != ERR_NONE || alreadyOpen)
        return opened; // a concurrent connect got there first and does the rest
    if (m_owner)
        m_owner->nodeConnected(m_nodeId);

    const std::size_t boardCount = boards().size();
    for (std::size_t i = 0; i < boardCount; ++i) {
        if (fetchBoardProperties(static_cast<std::uint32_t>(i)) != ERR_NONE)
            return ERR_UNI_OSAL_ERROR;
    }

    CommandDocument settings;
    settings.set("Node", "id", static_cast<std::uint64_t>(m_nodeId));
    settings.set("Node", "recording", std::string(m_recording ? "1" : "0"));
    return documentRequest(proto::CMD_NODE_SETTINGS, settings, statusOnly);
}

std::int32_t QORINetClientNode::connectControl(bool& alreadyOpen)
{
    UNI_LOG(kChannel, uni::log::info) << "connectControl";
    std::unique_lock<std::mutex> lock(m_requestLock);
    alreadyOpen = m_socket.isOpen();
    if (alreadyOpen) {
        UNI_LOG(kChannel, uni::log::info) << "connectControl failed -> socket already open";
        return ERR_NONE;
    }
    m_disconnectRequested = false;
    m_readAhead.clear(); // what the last connection sent is no part of this one
    prepareSocket();
    const int opened = m_socket.connect();
    if (opened != 0)
        return opened < 0 && opened >= -20 ? ERR_UNI_OSAL_BASE - opened : opened;

    const std::int32_t hello = sayHelloLocked();
    if (hello != ERR_NONE) {
        lock.unlock();
        disconnect();
        return hello;
    }
    m_connected = m_socket.isOpen();
    return ERR_NONE;
}

std::int32_t QORINetClientNode::sayHelloLocked()
{
    const uni::ipv4::IpAddressPair local = localAddressPair();
    CommandDocument hello;
    hello.set("Client", "cmd-version", static_cast<std::uint64_t>(proto::kHelloCmdVersion));
    hello.set("Client", "sw-version", static_cast<std::uint64_t>(proto::kHelloSwVersion));
    hello.set("Client", "net-addr", local.address());
    hello.set("Client", "net-mask", local.maskText());
    const proto::PortTriple defaults;
    hello.set("Client", "ctrl_port",
              static_cast<std::uint64_t>(m_owner ? m_owner->clientControlPort() : defaults.control));
    hello.set("Client", "data_port", static_cast<std::uint64_t>(m_owner ? m_owner->clientDataPort() : defaults.data));
    hello.set("Client", "session", m_owner ? m_owner->sessionFor(addressPair().address()) : 0);
    hello.set("Client", "scan-time", static_cast<std::uint64_t>(m_owner ? m_owner->scanTimeMs() : 1000u));

    std::int32_t result = sendXMLRequest(proto::CMD_HELLO, hello.toString());
    if (result == ERR_NONE) {
        const PayloadReader answer(m_buffer.payload(), m_buffer.size());
        std::int32_t status = 0;
        std::uint64_t value = 0;
        if (!answer.status(status))
            result = kUnusableAnswer;
        else if (status > 0)
            result = status;
        else if (status == 0 && answer.u64At(4, value))
            m_helloValue = value;
    }
    m_buffer.reset();
    return result;
}

std::int32_t QORINetClientNode::fetchBoardProperties(std::uint32_t index)
{
    return binaryRequest(
        proto::CMD_BOARD_PROPERTIES,
        [index](PayloadWriter& out) { out.u32(index).padTo(proto::kBoardPropertiesRequestSize); },
        [this, index](const PayloadReader& answer) -> std::int32_t {
            std::int32_t status = 0;
            std::string document;
            if (!answer.status(status))
                return kUnusableAnswer;
            if (status > 0)
                return status;
            if (!answer.textAt(4, document))
                return kUnusableAnswer;
            std::lock_guard<std::mutex> lock(m_recordLock);
            if (index < m_boards.size())
                m_boards[index].properties = std::move(document);
            return ERR_NONE;
        });
}

std::int32_t QORINetClientNode::disconnect()
{
    UNI_LOG(kChannel, uni::log::info) << "disconnect: " << m_nodeId;
    m_disconnectRequested = true;
    disconnectControl();
    if (m_owner)
        m_owner->nodeDisconnected(m_nodeId);
    return ERR_NONE;
}

void QORINetClientNode::disconnectControl()
{
    UNI_LOG(kChannel, uni::log::info) << "disconnectControl";
    std::unique_lock<std::mutex> lock(m_requestLock, std::try_to_lock);
    if (!lock.owns_lock()) {
        // A request is waiting for its answer: closing wakes it, then the lock is ours.
        m_socket.close();
        lock.lock();
    }
    closeControlLocked();
}

void QORINetClientNode::closeControlLocked()
{
    if (m_socket.isOpen()) {
        PayloadWriter empty(m_buffer);
        sendFrame(m_socket, m_buffer, proto::CMD_CLOSE);
        m_socket.close();
    }
    m_buffer.reset();
    m_connected = false;
}

// ---- request machinery -----------------------------------------------------------------------

int QORINetClientNode::sendRequest(std::uint16_t command)
{
    if (!m_socket.isOpen()) {
        UNI_LOG(kChannel, uni::log::error) << "node " << m_nodeId << ": sendRequest socket not open";
        return kSocketNotOpen;
    }
    const int sent = sendFrame(m_socket, m_buffer, command);
    if (sent < 1) {
        UNI_LOG(kChannel, uni::log::error) << "node " << m_nodeId << ": sendCmd error: " << sent;
        // A stream cut off while sending is as unusable as one that failed to receive.
        m_socket.close();
        m_connected = false;
        return sent;
    }

    const std::uint16_t answer = proto::answerCode(command);
    const std::uint16_t heartbeat = proto::heartbeatCode(command);
    // The answer must begin within one receive time-out; each heartbeat grants another, up to
    // the ceiling. Strangers on the stream are read and dropped but grant nothing.
    const std::uint32_t patience = m_receiveTimeoutMs;
    ReceiveDeadline deadline(m_socket, patience);
    const auto ceiling =
        deadline.end() - std::chrono::milliseconds(patience) + std::chrono::milliseconds(m_requestCeilingMs.load());
    bool heartbeats = false;
    for (;;) {
        FrameHeader header;
        int received =
            deadline.arm() ? receiveFrame(m_socket, m_buffer, header, m_readAhead) : uni::osal::SOCK_ETIMEOUT;
        if (received == uni::osal::SOCK_ETIMEOUT && heartbeats && deadline.end() == ceiling)
            received = kBusyPastCeiling;
        if (received < 1) {
            // A disconnect from another thread closes the socket under a waiting request on purpose.
            const auto level = m_disconnectRequested ? uni::log::info : uni::log::error;
            UNI_LOG(kChannel, level) << "node " << m_nodeId << ": receiveCmd error: " << received;
            UNI_LOG(kChannel, level) << "##TNCN## sendRequest: receive error " << received;
            m_socket.close();
            m_connected = false;
            return received;
        }
        if (header.command == answer)
            return received;
        if (header.command == heartbeat) {
            UNI_LOG(kChannel, uni::log::debug)
                << "##TNCN## sendRequest: heartbeat received cmd: 0x" << hex4(header.command);
            deadline.extend(patience, ceiling);
            heartbeats = true;
        }
        // Anything else is a stranger: read, dropped, keep waiting.
    }
}

std::int32_t QORINetClientNode::sendXMLRequest(std::uint16_t command, const std::string& xml)
{
    PayloadWriter writer(m_buffer);
    writer.document(xml);
    if (!writer.ok()) {
        UNI_LOG(kChannel, uni::log::error) << "sendXMLRequest: document does not fit a frame";
        return ERR_UNI_OSAL_EARG;
    }
    // The caller learns which failure it was: no answer, damaged answer, connection closed.
    const int received = sendRequest(command);
    if (received < 1) {
        UNI_LOG(kChannel, uni::log::error) << "sendXMLRequest failed: " << received;
        return transferFailure(received);
    }
    return ERR_NONE;
}

template <class Fill, class Read>
std::int32_t QORINetClientNode::binaryRequest(std::uint16_t command, Fill&& fill, Read&& read)
{
    std::lock_guard<std::mutex> lock(m_requestLock);
    PayloadWriter writer(m_buffer);
    fill(writer);
    std::int32_t result = ERR_UNI_OSAL_EARG;
    if (writer.ok()) {
        const int received = sendRequest(command);
        result = received < 1 ? transferFailure(received) : read(PayloadReader(m_buffer.payload(), m_buffer.size()));
    }
    m_buffer.reset();
    return result;
}

template <class Read>
std::int32_t QORINetClientNode::documentRequest(std::uint16_t command, const CommandDocument& document, Read&& read)
{
    const std::string xml = document.toString();
    std::lock_guard<std::mutex> lock(m_requestLock);
    std::int32_t result = sendXMLRequest(command, xml);
    if (result == ERR_NONE)
        result = read(PayloadReader(m_buffer.payload(), m_buffer.size()));
    m_buffer.reset();
    return result;
}

template <class Read>
std::int32_t QORINetClientNode::parameterTextRequest(std::uint16_t command, const std::string& target,
                                                     const std::string& item, const std::string* text, Read&& read)
{
    CommandDocument document;
    document.set(std::string(), "target", target);
    document.set(std::string(), "command", item);
    if (text)
        document.set(std::string(), "string", *text);
    return documentRequest(command, document, std::forward<Read>(read));
}

std::int32_t QORINetClientNode::boardWordRequest(std::uint16_t command, std::int32_t board, std::int32_t word)
{
    return binaryRequest(
        command, [board, word](PayloadWriter& out) { out.u32(static_cast<std::uint32_t>(board)).i32(word); },
        statusOnly);
}

// ---- guards ----------------------------------------------------------------------------------

std::int32_t QORINetClientNode::commandGuard() const
{
    if (!m_connected)
        return ERR_UNI_OSAL_ECONNECTION;
    if (isTainted())
        return ERR_QORINET_NODE_TAINTED;
    return ERR_NONE;
}

std::int32_t QORINetClientNode::boardGuard(std::int32_t board) const
{
    const std::int32_t common = commandGuard();
    if (common != ERR_NONE)
        return common;
    if (board < 0 || static_cast<std::uint32_t>(board) >= m_boardCount)
        return ERR_BOARD_NOT_FOUND;
    return ERR_NONE;
}

std::int32_t QORINetClientNode::channelGuard(std::int32_t board, std::int32_t channel) const
{
    const std::int32_t boardResult = boardGuard(board);
    if (boardResult != ERR_NONE)
        return boardResult;
    if (channel < kLowestChannel || channel > kHighestChannel)
        return ERR_UNI_OSAL_EARG;
    return ERR_NONE;
}

// ---- identity --------------------------------------------------------------------------------

std::string QORINetClientNode::getAddress() const
{
    return addressPair().address();
}

std::string QORINetClientNode::getNetMask() const
{
    return addressPair().maskText();
}

std::string QORINetClientNode::getEnclosureName() const
{
    std::lock_guard<std::mutex> lock(m_recordLock);
    return m_enclosures.empty() ? std::string() : m_enclosures.front().name;
}

std::string QORINetClientNode::getName() const
{
    std::lock_guard<std::mutex> lock(m_recordLock);
    return m_name.empty() ? std::string(kRemoteNodeUnnamed) : m_name;
}

std::int32_t QORINetClientNode::setName(const std::string& name)
{
    if (NodeName::check(name) != NodeName::Check::Ok)
        return uni::osal::ERR_UNI_OSAL_EARG;
    const std::int32_t guard = commandGuard();
    if (guard != ERR_NONE)
        return guard;
    storeName(name);
    CommandDocument document;
    document.set("Node", "name", name);
    return documentRequest(proto::CMD_NODE_SETTINGS, document, statusOnly);
}

std::int32_t QORINetClientNode::setRecording(bool recording)
{
    const std::int32_t guard = commandGuard();
    if (guard != ERR_NONE)
        return guard;
    m_recording = recording;
    CommandDocument document;
    document.set("Node", "recording", std::string(recording ? "1" : "0"));
    return documentRequest(proto::CMD_NODE_SETTINGS, document, statusOnly);
}

std::int32_t QORINetClientNode::restartServer()
{
    return m_owner ? m_owner->restartServer(m_nodeId) : ERR_UNI_OSAL_ECONNECTION;
}

std::int32_t QORINetClientNode::rebootSystem()
{
    return m_owner ? m_owner->rebootSystem(m_nodeId) : ERR_UNI_OSAL_ECONNECTION;
}

std::int32_t QORINetClientNode::setIpConfig(std::uint32_t mode, const std::string& address, const std::string& netmask)
{
    return m_owner ? m_owner->setIpConfig(m_nodeId, mode, address, netmask) : ERR_UNI_OSAL_ECONNECTION;
}

// ---- integer parameters ----------------------------------------------------------------------

std::int32_t QORINetClientNode::SetParam_i32(std::int32_t board, std::int32_t command, std::int32_t value)
{
    const std::int32_t guard = boardGuard(board);
    if (guard != ERR_NONE)
        return guard;
    std::int32_t intercepted = ERR_NONE;
    if (m_owner && m_owner->interceptSetParam_i32(m_nodeId, board, command, value, intercepted))
        return intercepted;
    return binaryRequest(
        proto::CMD_SET_PARAM_I32,
        [=](PayloadWriter& out) {
            out.u32(static_cast<std::uint32_t>(board)).i32(command).i64(value).padTo(proto::kParamBlockSize);
        },
        statusOnly);
}

std::int32_t QORINetClientNode::SetParam_i64(std::int32_t board, std::int32_t command, std::int64_t value)
{
    const std::int32_t guard = boardGuard(board);
    if (guard != ERR_NONE)
        return guard;
    return binaryRequest(
        proto::CMD_SET_PARAM_I64,
        [=](PayloadWriter& out) {
            out.u32(static_cast<std::uint32_t>(board)).i32(command).i64(value).padTo(proto::kParamBlockSize);
        },
        statusOnly);
}

std::int32_t QORINetClientNode::GetParam_i32(std::int32_t board, std::int32_t command, std::int32_t& value)
{
    std::int64_t wide = 0;
    const std::int32_t guard = boardGuard(board);
    if (guard != ERR_NONE)
        return guard;
    std::int32_t intercepted = ERR_NONE;
    if (m_owner && m_owner->interceptGetParam(m_nodeId, board, command, wide, intercepted)) {
        if (intercepted <= 0)
            value = static_cast<std::int32_t>(wide);
        return intercepted;
    }
    return binaryRequest(
        proto::CMD_GET_PARAM_I32,
        [=](PayloadWriter& out) {
            out.u32(static_cast<std::uint32_t>(board)).i32(command).padTo(proto::kParamBlockSize);
        },
        [&value](const PayloadReader& answer) -> std::int32_t {
            std::int32_t status = 0;
            std::int32_t read = 0;
            if (!answer.status(status))
                return kUnusableAnswer;
            if (status > 0)
                return status;
            if (!answer.i32At(proto::kAnswerValueOffset, read))
                return kUnusableAnswer;
            value = read;
            return status;
        });
}

std::int32_t QORINetClientNode::GetParam_i64(std::int32_t board, std::int32_t command, std::int64_t& value)
{
    const std::int32_t guard = boardGuard(board);
    if (guard != ERR_NONE)
        return guard;
    std::int64_t wide = 0;
    std::int32_t intercepted = ERR_NONE;
    if (m_owner && m_owner->interceptGetParam(m_nodeId, board, command, wide, intercepted)) {
        if (intercepted <= 0)
            value = wide;
        return intercepted;
    }
    return binaryRequest(
        proto::CMD_GET_PARAM_I64,
        [=](PayloadWriter& out) {
            out.u32(static_cast<std::uint32_t>(board)).i32(command).padTo(proto::kParamBlockSize);
        },
        [&value](const PayloadReader& answer) -> std::int32_t {
            std::int32_t status = 0;
            std::int64_t read = 0;
            if (!answer.status(status))
                return kUnusableAnswer;
            if (status > 0)
                return status;
            if (!answer.i64At(proto::kAnswerValueOffset, read))
                return kUnusableAnswer;
            value = read;
            return status;
        });
}

// ---- text parameters -------------------------------------------------------------------------

namespace {

/// Reader of a text answer: status, u32 length, text. The caller's text changes only on success.
auto textAnswer(std::string& text)
{
    return [&text](const PayloadReader& answer) -> std::int32_t {
        std::int32_t status = 0;
        std::string read;
        if (!answer.status(status))
            return kUnusableAnswer;
        if (status > 0)
            return status;
        if (!answer.textAt(4, read))
            return kUnusableAnswer;
        text = std::move(read);
        return status;
    };
}

/// Reader of a length answer: status, u32 length.
auto lengthAnswer(std::uint32_t& length)
{
    return [&length](const PayloadReader& answer) -> std::int32_t {
        std::int32_t status = 0;
        std::uint32_t read = 0;
        if (!answer.status(status))
            return kUnusableAnswer;
        if (status > 0)
            return status;
        if (!answer.u32At(4, read))
            return kUnusableAnswer;
        length = read;
        return status;
    };
}

} // namespace

bool QORINetClientNode::cachedBoardDocument(const std::string& target, const std::string& command,
                                            std::string& text) const
{
    std::size_t index = 0;
    if (!isBoardDocumentCommand(command) || !boardNumberOf(target, index))
        return false;
    std::lock_guard<std::mutex> lock(m_recordLock);
    if (index >= m_boards.size() || m_boards[index].properties.empty())
        return false;
    text = m_boards[index].properties;
    return true;
}

std::int32_t QORINetClientNode::SetParamStruct_str(const std::string& target, const std::string& command,
                                                   const std::string& value)
{
    const std::int32_t guard = commandGuard();
    if (guard != ERR_NONE)
        return guard;
    return parameterTextRequest(proto::CMD_SET_PARAM_STRUCT_STR, target, command, &value, statusOnly);
}

std::int32_t QORINetClientNode::GetParamStruct_str(const std::string& target, const std::string& command,
                                                   std::string& text)
{
    const std::int32_t guard = commandGuard();
    if (guard != ERR_NONE)
        return guard;
    if (cachedBoardDocument(target, command, text))
        return ERR_NONE;
    return parameterTextRequest(proto::CMD_GET_PARAM_STRUCT_STR, target, command, &text, textAnswer(text));
}

std::int32_t QORINetClientNode::GetParamStruct_strLEN(const std::string& target, const std::string& command,
                                                      std::uint32_t& length)
{
    const std::int32_t guard = commandGuard();
    if (guard != ERR_NONE)
        return guard;
    std::string cached;
    if (cachedBoardDocument(target, command, cached)) {
        length = static_cast<std::uint32_t>(cached.size()) + kTerminator;
        return ERR_NONE;
    }
    return parameterTextRequest(proto::CMD_GET_PARAM_STRUCT_STR_LEN, target, command, nullptr, lengthAnswer(length));
}

std::int32_t QORINetClientNode::SetParamXML_str(const std::string& target, const std::string& command,
                                                const std::string& value)
{
    const std::int32_t guard = commandGuard();
    if (guard != ERR_NONE)
        return guard;
    return parameterTextRequest(proto::CMD_SET_PARAM_XML_STR, target, command, &value, statusOnly);
}

std::int32_t QORINetClientNode::GetParamXML_str(const std::string& target, const std::string& command,
                                                std::string& text)
{
    const std::int32_t guard = commandGuard();
    if (guard != ERR_NONE)
        return guard;
    return parameterTextRequest(proto::CMD_GET_PARAM_XML_STR, target, command, &text, textAnswer(text));
}

std::int32_t QORINetClientNode::GetParamXML_strLEN(const std::string& target, const std::string& command,
                                                   std::uint32_t& length)
{
    const std::int32_t guard = commandGuard();
    if (guard != ERR_NONE)
        return guard;
    return parameterTextRequest(proto::CMD_GET_PARAM_XML_STR_LEN, target, command, nullptr, lengthAnswer(length));
}

std::int32_t QORINetClientNode::ErrorConstantToString(std::int32_t code, std::string& text)
{
    const std::int32_t guard = commandGuard();
    if (guard != ERR_NONE)
        return guard;
    const std::int32_t result = binaryRequest(
        proto::CMD_ERROR_TO_STRING, [code](PayloadWriter& out) { out.i32(code); },
        [&text](const PayloadReader& answer) -> std::int32_t {
            // This answer alone carries no status word.
            return answer.textAt(0, text) ? std::int32_t{ERR_NONE} : std::int32_t{ERR_UNI_OSAL_ERROR};
        });
    return result == ERR_NONE ? result : std::int32_t{ERR_UNI_OSAL_ERROR};
}

// ---- CAN and UART ----------------------------------------------------------------------------

std::int32_t QORINetClientNode::guardedWordRequest(std::int32_t guard, std::uint16_t command, std::int32_t board,
                                                   std::int32_t word)
{
    return guard != ERR_NONE ? guard : boardWordRequest(command, board, word);
}

template <class Call>
std::int32_t QORINetClientNode::onStream(std::int32_t board, Call&& call)
{
    const std::int32_t guard = boardGuard(board);
    if (guard != ERR_NONE)
        return guard;
    return m_owner ? call(*m_owner) : std::int32_t{ERR_UNI_OSAL_ECONNECTION};
}

template <class Record>
std::int32_t QORINetClientNode::busWrite(std::uint16_t command, std::int32_t board, std::size_t records,
                                         Record&& record, std::int32_t& count)
{
    const std::int32_t result = binaryRequest(
        command,
        [&](PayloadWriter& out) {
            out.u32(static_cast<std::uint32_t>(board)).u32(static_cast<std::uint32_t>(records));
            for (std::size_t i = 0; i < records; ++i)
                record(out, i);
        },
        statusOnly);
    if (result > 0)
        count = 0;
    return result;
}

std::int32_t QORINetClientNode::OpenCAN(std::int32_t board)
{
    return guardedWordRequest(boardGuard(board), proto::CMD_OPEN_CAN, board, 0);
}

std::int32_t QORINetClientNode::CloseCAN(std::int32_t board)
{
    return guardedWordRequest(boardGuard(board), proto::CMD_CLOSE_CAN, board, 0);
}

std::int32_t QORINetClientNode::StartCAN(std::int32_t board, std::int32_t channel)
{
    return guardedWordRequest(channelGuard(board, channel), proto::CMD_START_CAN, board, channel);
}

std::int32_t QORINetClientNode::StopCAN(std::int32_t board, std::int32_t channel)
{
    return guardedWordRequest(channelGuard(board, channel), proto::CMD_STOP_CAN, board, channel);
}

std::int32_t QORINetClientNode::ReadCAN(std::int32_t board, ZaMoCanFrame* frames, std::int32_t& count)
{
    return onStream(board, [&](IfNodeOwner& owner) {
        return frames ? owner.readCan(m_nodeId, board, frames, count) : std::int32_t{ERR_UNI_OSAL_EOBJECT};
    });
}

std::int32_t QORINetClientNode::ReadCANRawFrame(std::int32_t board, ZaMoCanFrame*& frames, std::int32_t& count)
{
    return onStream(board, [&](IfNodeOwner& owner) { return owner.readCanRawFrame(m_nodeId, board, frames, count); });
}

std::int32_t QORINetClientNode::FreeFramesCAN(std::int32_t board, std::int32_t count)
{
    return onStream(board, [&](IfNodeOwner& owner) { return owner.freeFramesCan(m_nodeId, board, count); });
}

std::int32_t QORINetClientNode::WriteCAN(std::int32_t board, const ZaMoCanFrame* frames, std::int32_t& count)
{
    const std::int32_t guard = boardGuard(board);
    if (guard != ERR_NONE)
        return guard;
    if (!frames && count > 0)
        return ERR_UNI_OSAL_EOBJECT;
    constexpr std::int64_t kMaxFrames = (proto::kMaxPayload - 8) / proto::kCanRecordSize;
    if (count < 0 || count > kMaxFrames)
        return ERR_UNI_OSAL_EARG;
    return busWrite(
        proto::CMD_WRITE_CAN, board, static_cast<std::size_t>(count),
        [frames](PayloadWriter& out, std::size_t i) {
            std::uint8_t record[proto::kCanRecordSize];
            WireRecords::encodeCan(frames[i], record);
            out.bytes(record, sizeof record);
        },
        count);
}

std::int32_t QORINetClientNode::ErrorCntCAN(std::int32_t board, std::int32_t channel, std::uint32_t& errorCount)
{
    const std::int32_t guard = boardGuard(board);
    if (guard != ERR_NONE)
        return guard;
    return binaryRequest(
        proto::CMD_ERROR_CNT_CAN, [=](PayloadWriter& out) { out.u32(static_cast<std::uint32_t>(board)).i32(channel); },
        [&errorCount](const PayloadReader& answer) -> std::int32_t {
            std::int32_t status = 0;
            std::uint32_t read = 0;
            if (!answer.status(status))
                return kUnusableAnswer;
            if (status != 0)
                return status;
            if (!answer.u32At(4, read))
                return kUnusableAnswer;
            errorCount = read;
            return status;
        });
}

std::int32_t QORINetClientNode::OpenDmaUart(std::int32_t board)
{
    return guardedWordRequest(boardGuard(board), proto::CMD_OPEN_DMA_UART, board, 0);
}

std::int32_t QORINetClientNode::CloseDmaUart(std::int32_t board)
{
    return guardedWordRequest(boardGuard(board), proto::CMD_CLOSE_DMA_UART, board, 0);
}

std::int32_t QORINetClientNode::StartDmaUart(std::int32_t board, std::int32_t channel)
{
    return guardedWordRequest(channelGuard(board, channel), proto::CMD_START_DMA_UART, board, channel);
}

std::int32_t QORINetClientNode::StopDmaUart(std::int32_t board, std::int32_t channel)
{
    return guardedWordRequest(channelGuard(board, channel), proto::CMD_STOP_DMA_UART, board, channel);
}

std::int32_t QORINetClientNode::ReadDmaUart(std::int32_t board, std::uint8_t* bytes, std::int32_t& count)
{
    return onStream(board, [&](IfNodeOwner& owner) {
        return bytes ? owner.readDmaUart(m_nodeId, board, bytes, count) : std::int32_t{ERR_UNI_OSAL_EOBJECT};
    });
}

std::int32_t QORINetClientNode::ReadDmaUartRawFrame(std::int32_t board, ZaMoUartFrame*& frames, std::int32_t& count)
{
    return onStream(board,
                    [&](IfNodeOwner& owner) { return owner.readDmaUartRawFrame(m_nodeId, board, frames, count); });
}

std::int32_t QORINetClientNode::FreeDmaUartRawFrame(std::int32_t board, std::int32_t count)
{
    return onStream(board, [&](IfNodeOwner& owner) { return owner.freeDmaUartRawFrame(m_nodeId, board, count); });
}

std::int32_t QORINetClientNode::WriteDmaUart(std::int32_t board, const std::uint8_t* bytes, std::int32_t& count)
{
    const std::int32_t guard = boardGuard(board);
    if (guard != ERR_NONE)
        return guard;
    if (!bytes && count > 0)
        return ERR_UNI_OSAL_EOBJECT;
    constexpr std::int64_t kMaxBytes =
        (proto::kMaxPayload - 8) / proto::kUartRecordSize * static_cast<std::int64_t>(proto::kUartRecordDataBytes);
    if (count < 0 || count > kMaxBytes)
        return ERR_UNI_OSAL_EARG;

    const std::size_t total = static_cast<std::size_t>(count);
    const std::size_t records = WireRecords::uartRecordCount(total);
    std::vector<std::uint8_t> encoded(records * proto::kUartRecordSize);
    if (records > 0)
        WireRecords::encodeUart(bytes, total, encoded.data());
    return busWrite(
        proto::CMD_WRITE_DMA_UART, board, records,
        [&encoded](PayloadWriter& out, std::size_t i) {
            out.bytes(encoded.data() + i * proto::kUartRecordSize, proto::kUartRecordSize);
        },
        count);
}

} // namespace qorinet_api
