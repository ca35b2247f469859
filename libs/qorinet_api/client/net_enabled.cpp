#include "qorinet_api/client/net_enabled.h"

#include "qorinet_api/client/qorinet_base_client.h"
#include "qorinet_api/common/discovery_packet.h"

#include "uni/log.h"
#include "uni/osal.h"

#include <sys/socket.h>

namespace qorinet_api {

namespace {

constexpr const char* kChannel = "tnbc";
constexpr int kWaitMs = 20;
constexpr std::uint32_t kErrorPauseMs = 100;
// A scan of a large network brings hundreds of answers at once; a small receive buffer would
// drop most of them and stretch discovery over many scans.
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;
// Datagrams handled straight from the socket between two looks at the scan clock.
constexpr std::size_t kDirectBatch = 64;
// The size the socket got: what it asked for, or as much as net.core.rmem_max allows.
int enlargeReceiveBuffer(int fd)
{
    const int size = kReceiveBufferBytes;
    // Beyond the system limit only with the right privilege; otherwise the limit is taken.
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    int got = 0;
    socklen_t length = sizeof got;
    if (::getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &got, &length) != 0)
        return -1;
    // Linux reports twice the size set (the other half is its bookkeeping).
    return got / 2;
}

} // namespace

NetEnabled::NetEnabled(QORINetBaseClient& client)
    : m_client(client), m_ident(uni::Socket::Receiver),
      // One byte beyond the largest valid datagram: a longer one is seen as too long, not cut.
      m_buffer(client.getBufferSize() + 1)
{
}

NetEnabled::~NetEnabled()
{
    close();
}

void NetEnabled::initialise()
{
    m_scanRunning = false;
    m_firstScanDue = true;
}

bool NetEnabled::open()
{
    m_set.clear();
    if (m_ident.setLocalEnd("0.0.0.0", m_client.identBindPort()) != 0 || m_ident.open() != 0)
        return false;
    m_client.setIdentPortOpened(m_ident.localPort());
    const int buffer = enlargeReceiveBuffer(m_ident.handle());
    m_bufferAsAsked = buffer >= kReceiveBufferBytes;
    if (buffer >= 0 && buffer < kReceiveBufferBytes)
        UNI_LOG(kChannel, uni::log::warning)
            << "IDENT socket receive buffer " << buffer << " bytes, not " << kReceiveBufferBytes
            << " (limited by net.core.rmem_max): answers of a large network may be lost when they come at once";
    m_set.add(&m_ident);
    UNI_LOG(kChannel, uni::log::info) << "IDENT socket open on port " << m_client.identPort();
    return true;
}

void NetEnabled::begin()
{
    m_sinceScan.restart();
    m_firstScanDue = true;
}

void NetEnabled::step()
{
    if (m_queue.empty()) {
        uni::Socket* ready = nullptr;
        const int waited = m_set.wait(&ready, kWaitMs);
        if (waited == 0 && ready == &m_ident && m_bufferAsAsked)
            handleWaiting();
        else if (waited == 0 && ready == &m_ident)
            takeWaiting();
        else if (waited != 0 && waited != uni::osal::SOCK_ETIMEOUT)
            uni::Timer::sleepMs(kErrorPauseMs);
    } else {
        // Answers come at once while one is handled; taken out of the socket first, they need
        // no room in its buffer, which may be small (net.core.rmem_max).
        takeWaiting();
    }
    handleNext();

    const std::int64_t elapsedMs = m_sinceScan.elapsedUs() / 1000;
    if (m_firstScanDue || elapsedMs >= m_client.scanIntervalMs()) {
        m_firstScanDue = false;
        m_client.startScan();
        m_client.sendScanRequests();
        m_scanRunning = true;
        m_sinceScan.restart();
    }
    // The elapsed time of before the scan start: with the window below the interval, the scan
    // just started is finished in this same pass.
    if (m_scanRunning && elapsedMs >= m_client.scanWindowMs()) {
        m_client.finishScan();
        m_scanRunning = false;
    }
}

void NetEnabled::takeWaiting()
{
    // Empty datagrams are dropped here; they count all the same, so that no stream of them
    // keeps the loop from handling what it took.
    for (std::size_t taken = 0; taken < DatagramQueue::kMaxCount && m_queue.hasRoom(); ++taken) {
        const int size = m_ident.receiveFromNow(m_buffer.data(), m_buffer.size(), m_sender);
        if (size < 0)
            return; // none waiting; or the socket failed, which the next wait tells
        if (size > 0)
            m_queue.push(m_buffer.data(), static_cast<std::size_t>(size), m_sender);
    }
}

void NetEnabled::handleWaiting()
{
    // Each answer read into the one buffer and handled there: no copy, no allocation, and the
    // same few pages touched for all of them. A batch, so that a flood still lets scans go out.
    for (std::size_t handled = 0; handled < kDirectBatch; ++handled) {
        const int size = m_ident.receiveFromNow(m_buffer.data(), m_buffer.size(), m_sender);
        if (size < 0)
            return; // none waiting; or the socket failed, which the next wait tells
        if (size > 0)
            handle(m_buffer.data(), static_cast<std::size_t>(size), m_sender);
    }
}

void NetEnabled::handleNext()
{
    if (m_queue.empty())
        return;
    const DatagramQueue::Datagram& datagram = m_queue.front();
    handle(datagram.bytes.data(), datagram.bytes.size(), datagram.sender);
    m_queue.pop();
}

void NetEnabled::handle(const std::uint8_t* bytes, std::size_t size, const std::string& sender)
{
    std::uint16_t command = 0;
    // Wrong length or digest: dropped without a message.
    if (DiscoveryPacket::decode(bytes, size, command, m_xml) != 0)
        return;
    if (!m_client.allowedNetworks().isAllowed(sender) || m_client.stopping())
        return;
    m_client.handlePacket(command, sender, m_xml);
}

void NetEnabled::close()
{
    m_set.clear();
    m_ident.close();
    // What the socket held is gone with it; so is what was taken from it.
    m_queue.clear();
}

} // namespace qorinet_api
