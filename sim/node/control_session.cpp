#include "control_session.h"

#include "sim_node.h"

#include "qorinet_api/common/frame_reader.h"
#include "qorinet_api/common/frame_writer.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include "uni/log.h"
#include "uni/osal.h"

namespace nodesim {

namespace proto = qorinet_api::proto;

namespace {

constexpr const char* kChannel = "nodesim";
constexpr std::uint32_t kSendTimeoutMs = 1000;
constexpr std::uint32_t kPauseStepMs = 10;
constexpr int kIdleWaitMs = 200;
constexpr std::uint64_t kDropped = ~std::uint64_t(0);

// The faults act on the driver commands only, so that a client still gets through hello,
// board properties and settings to the point the test is about.
bool isDriverCommand(std::uint16_t command)
{
    return command >= proto::CMD_SET_PARAM_I32;
}

} // namespace

ControlSession::ControlSession(SimNode& node, NodeBackend& backend, const NodeSimOptions& options,
                               std::unique_ptr<uni::TCPSocket> socket)
    : uni::Thread("QORINet_Node_Ctrl", false), m_node(node), m_options(options), m_socket(std::move(socket)),
      m_handler(node, backend, this, options.dataEveryMs)
{
    m_socket->setSendTimeout(kSendTimeoutMs);
    // The reader then ends a request that stalls mid-frame; an idle wait is not affected.
    m_socket->setReceiveTimeout(proto::kReceiveTimeoutMs);
    m_waitSet.add(m_socket.get());
}

ControlSession::~ControlSession()
{
    stop();
}

void ControlSession::close()
{
    m_socket->close();
}

void ControlSession::run()
{
    UNI_LOG(kChannel, uni::log::info) << "node " << m_node.index() << ": control connection from "
                                      << m_socket->remoteAddress() << ":" << m_socket->remotePort();
    while (!stopRequested()) {
        // Idle from the moment the answer was ready: its client may act on it (connect another
        // link, say) before this thread comes round, and idle order must follow the answers'.
        m_idleSinceUs = m_answeredUs != 0 ? m_answeredUs : uni::Timer::stampUs();
        m_answeredUs = 0;
        if (!awaitRequest())
            break;
        qorinet_api::FrameHeader header;
        const int got = qorinet_api::FrameReader::read(*m_socket, m_request, header);
        if (got == uni::osal::SOCK_ETIMEOUT && m_socket->isOpen())
            continue;
        if (got < 0) {
            UNI_LOG(kChannel, uni::log::info) << "node " << m_node.index() << ": connection ends (" << got << ")";
            break;
        }
        if (!serve(header.command, m_request.payload(), m_request.size()))
            break;
        m_request.reset();
    }
    m_socket->close();
    m_handler.endSession();
    m_node.release(this);
    m_ended = true;
}

std::uint64_t ControlSession::idleSinceUs() const
{
    const std::uint64_t since = m_idleSinceUs.load();
    return since == kDropped ? 0 : since;
}

bool ControlSession::dropIfIdle()
{
    std::uint64_t since = m_idleSinceUs.load();
    if (since == 0 || since == kDropped || !m_idleSinceUs.compare_exchange_strong(since, kDropped))
        return false;
    UNI_LOG(kChannel, uni::log::info) << "node " << m_node.index() << ": idle control connection from "
                                      << m_socket->remoteAddress() << " gives way to a new client";
    m_socket->close();
    return true;
}

bool ControlSession::awaitRequest()
{
    while (!stopRequested() && m_socket->isOpen()) {
        uni::Socket* ready = nullptr;
        const int waited = m_waitSet.wait(&ready, kIdleWaitMs);
        if (waited == uni::osal::SOCK_ETIMEOUT)
            continue;
        if (waited != 0)
            return false;
        // Bytes (or the peer's close) arrived: busy from now on, unless the session was
        // dropped in the same moment.
        std::uint64_t since = m_idleSinceUs.load();
        return since != kDropped && m_idleSinceUs.compare_exchange_strong(since, 0);
    }
    return false;
}

bool ControlSession::serve(std::uint16_t command, const std::uint8_t* payload, std::size_t size)
{
    if (command == proto::CMD_CLOSE)
        return false;
    const bool faulty = isDriverCommand(command) && changesDriverAnswers(m_options.fault);
    if (faulty && m_options.fault == NodeFault::NeverAnswer)
        return true;
    if (faulty && m_options.fault == NodeFault::HeartbeatsOnly) {
        setBusy(command);
        while (!stopRequested() && m_socket->isOpen())
            pause(kPauseStepMs * 10);
        return false;
    }
    if (faulty && m_options.fault == NodeFault::UnrelatedFrames) {
        // Frames of a command nobody asked for, as often as heartbeats would come.
        const std::uint16_t stranger = proto::answerCode(static_cast<std::uint16_t>(command ^ 0x0100u));
        while (!stopRequested() && m_socket->isOpen()) {
            m_heartbeat.setSize(0);
            if (qorinet_api::FrameWriter::write(*m_socket, m_heartbeat, stranger) < 0)
                break;
            pause(m_options.heartbeatMs);
        }
        return false;
    }
    const bool slow = faulty && m_options.fault == NodeFault::Slow;
    if (!slow)
        setBusy(command);
    m_handler.handle(command, payload, size, m_answer);
    if (isDriverCommand(command) && m_options.delayMs > 0)
        pause(m_options.delayMs);
    if (slow)
        pause(m_options.faultDelayMs);
    m_answeredUs = uni::Timer::stampUs();
    const bool keep = answer(command);
    m_answer.reset();
    return keep;
}

bool ControlSession::answer(std::uint16_t command)
{
    std::lock_guard<std::mutex> lock(m_sendLock);
    m_busy = false;
    const std::uint16_t code = proto::answerCode(command);
    if (!isDriverCommand(command) || !changesDriverAnswers(m_options.fault) || m_options.fault == NodeFault::Slow)
        return qorinet_api::FrameWriter::write(*m_socket, m_answer, code) > 0;

    if (!qorinet_api::FrameWriter::seal(m_answer, code, qorinet_api::ControlFrame::newFrameId()))
        return false;
    const std::size_t total = m_answer.size() + proto::kFrameOverhead;
    if (m_options.fault == NodeFault::WrongDigest) {
        m_answer.frame()[total - 1] ^= 0x5Au;
        return m_socket->send(m_answer.frame(), total) > 0;
    }
    if (m_options.fault == NodeFault::Trickle) {
        for (std::size_t i = 0; i < total; ++i) {
            if (stopRequested() || m_socket->send(m_answer.frame() + i, 1) != 1)
                return false;
            pause(m_options.faultDelayMs);
        }
        return true;
    }
    // Close mid-frame: the header and part of the rest, then the connection goes.
    m_socket->send(m_answer.frame(), proto::kHeaderSize + (total - proto::kHeaderSize) / 2);
    return false;
}

void ControlSession::setBusy(std::uint16_t command)
{
    std::lock_guard<std::mutex> lock(m_sendLock);
    m_busy = true;
    m_busyCommand = command;
    m_sinceBeat.restart();
}

void ControlSession::beat()
{
    std::lock_guard<std::mutex> lock(m_sendLock);
    if (!m_busy || m_sinceBeat.elapsedUs() < static_cast<std::int64_t>(m_options.heartbeatMs) * 1000)
        return;
    m_sinceBeat.restart();
    m_heartbeat.setSize(0);
    // A client that went away ends the session even while its request keeps the thread busy.
    if (qorinet_api::FrameWriter::write(*m_socket, m_heartbeat, proto::heartbeatCode(m_busyCommand)) < 0)
        m_socket->close();
}

void ControlSession::pause(std::uint32_t ms)
{
    uni::Timer timer;
    while (!stopRequested() && m_socket->isOpen() && timer.elapsedUs() < static_cast<std::int64_t>(ms) * 1000)
        uni::Timer::sleepMs(std::min<std::uint32_t>(kPauseStepMs, ms));
}

} // namespace nodesim
