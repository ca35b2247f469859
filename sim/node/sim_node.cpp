#include "sim_node.h"

#include "control_session.h"

#include "qorinet_api/common/qorinet_protocol.h"

#include "uni/log.h"
#include "uni/random.h"
#include "uni/timer.h"

#include <algorithm>

namespace nodesim {

namespace {

constexpr std::uint32_t kListenerFlags = uni::Socket::Listening | uni::Socket::ReuseAddress;
constexpr std::uint32_t kSenderFlags = uni::Socket::Sender | uni::Socket::Broadcast | uni::Socket::BindSender;
constexpr std::uint32_t kSendTimeoutMs = 1000;

std::uint64_t freshHelloValue()
{
    return (static_cast<std::uint64_t>(uni::Random::next()) << 32) | uni::Random::next();
}

} // namespace

SimNode::SimNode(unsigned index, uni::ipv4::IpAddressPair address, std::uint16_t basePort, std::string name)
    : m_index(index), m_basePort(basePort), m_helloValue(freshHelloValue()), m_address(std::move(address)),
      m_name(std::move(name)), m_control(kListenerFlags), m_maintenance(kListenerFlags), m_sender(kSenderFlags),
      m_scan(uni::Socket::Receiver | uni::Socket::ReuseAddress)
{
}

SimNode::~SimNode()
{
    endSessions();
    closeSockets();
}

uni::ipv4::IpAddressPair SimNode::address() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_address;
}

std::string SimNode::name() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_name;
}

void SimNode::setName(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_name = name;
}

bool SimNode::recording() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_recording;
}

void SimNode::setRecording(bool recording)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_recording = recording;
}

std::uint32_t SimNode::ipMode() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_ipMode;
}

void SimNode::setIpMode(std::uint32_t mode)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_ipMode = mode;
}

void SimNode::hold(const void* session, const ClientInfo& client)
{
    std::lock_guard<std::mutex> lock(m_lock);
    const auto same = [session](const auto& entry) { return entry.first == session; };
    m_holders.erase(std::remove_if(m_holders.begin(), m_holders.end(), same), m_holders.end());
    m_holders.emplace_back(session, client);
}

void SimNode::release(const void* session)
{
    std::lock_guard<std::mutex> lock(m_lock);
    const auto same = [session](const auto& entry) { return entry.first == session; };
    m_holders.erase(std::remove_if(m_holders.begin(), m_holders.end(), same), m_holders.end());
}

std::optional<ClientInfo> SimNode::holder() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_holders.empty())
        return std::nullopt;
    return m_holders.back().second;
}

int SimNode::openSockets()
{
    const std::string address = this->address().address();
    const auto maintenancePort = static_cast<std::uint16_t>(m_basePort + qorinet_api::proto::kMaintenancePortOffset);
    m_control.setLocalEnd(address, m_basePort);
    m_maintenance.setLocalEnd(address, maintenancePort);
    m_sender.setLocalEnd(address, 0);
    m_sender.setSendTimeout(kSendTimeoutMs);
    m_scan.setLocalEnd(address, static_cast<std::uint16_t>(m_basePort + qorinet_api::proto::kScanPortOffset));
    m_openFailure.clear();
    int result = m_control.open();
    if (result != 0)
        m_openFailure = "TCP port " + std::to_string(m_basePort);
    if (result == 0 && (result = m_maintenance.open()) != 0)
        m_openFailure = "TCP port " + std::to_string(maintenancePort);
    if (result == 0 && (result = m_sender.open()) != 0)
        m_openFailure = "a UDP sender";
    if (result != 0) {
        m_openFailure += " (" + std::to_string(result) + ")";
        closeSockets();
        return result;
    }
    // Scans sent to this address alone come here; without it the shared scan socket still
    // answers broadcasts, so the node runs on.
    if (m_scan.open() != 0)
        UNI_LOG("nodesim", uni::log::warning) << "node " << m_index << ": no scan socket of its own on " << address
                                              << ", UDP port " << m_basePort + qorinet_api::proto::kScanPortOffset;
    return 0;
}

void SimNode::closeSockets()
{
    m_control.close();
    m_maintenance.close();
    m_sender.close();
    m_scan.close();
}

void SimNode::setAddress(const uni::ipv4::IpAddressPair& address)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_address = address;
}

bool SimNode::adopt(std::unique_ptr<ControlSession> session)
{
    reap();
    if (m_waiting.empty() && makeRoom()) {
        start(std::move(session));
        return true;
    }
    if (m_waiting.size() >= kMaxWaiting)
        return false;
    m_waiting.push_back(Waiting{uni::Timer::stampUs(), std::move(session)});
    return true;
}

bool SimNode::makeRoom()
{
    while (m_sessions.size() >= kMaxSessions) {
        ControlSession* idlest = nullptr;
        for (const auto& session : m_sessions) {
            const std::uint64_t since = session->idleSinceUs();
            if (since != 0 && (!idlest || since < idlest->idleSinceUs()))
                idlest = session.get();
        }
        if (!idlest)
            return false;
        // It may have begun a request meanwhile; then look again.
        if (!idlest->dropIfIdle())
            continue;
        idlest->stop();
        const auto same = [idlest](const std::unique_ptr<ControlSession>& session) { return session.get() == idlest; };
        m_sessions.erase(std::remove_if(m_sessions.begin(), m_sessions.end(), same), m_sessions.end());
    }
    return true;
}

void SimNode::start(std::unique_ptr<ControlSession> session)
{
    if (session->start() == 0)
        m_sessions.push_back(std::move(session));
}

void SimNode::beat()
{
    for (const auto& session : m_sessions)
        session->beat();
}

void SimNode::reap()
{
    const auto ended = [](const std::unique_ptr<ControlSession>& session) {
        if (!session->ended())
            return false;
        session->stop();
        return true;
    };
    m_sessions.erase(std::remove_if(m_sessions.begin(), m_sessions.end(), ended), m_sessions.end());

    const std::uint64_t now = uni::Timer::stampUs();
    const std::uint64_t limitUs = static_cast<std::uint64_t>(kWaitLimitMs) * 1000;
    while (!m_waiting.empty() && now - m_waiting.front().sinceUs > limitUs)
        m_waiting.erase(m_waiting.begin());
    while (!m_waiting.empty() && makeRoom()) {
        start(std::move(m_waiting.front().session));
        m_waiting.erase(m_waiting.begin());
    }
}

void SimNode::endSessions()
{
    m_waiting.clear();
    for (const auto& session : m_sessions)
        session->close();
    for (const auto& session : m_sessions)
        session->stop();
    m_sessions.clear();
}

} // namespace nodesim
