#include "scripted_control_server.h"

#include "qorinet_api/common/frame_reader.h"
#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include "uni/osal.h"

#include <chrono>
#include <string>

namespace z2e::test {

namespace proto = qorinet_api::proto;

ScriptedControlServer::ScriptedControlServer()
    : m_listener(uni::Socket::Receiver | uni::Socket::Listening | uni::Socket::ReuseAddress),
      m_script(&ScriptedControlServer::defaultAnswer)
{
    m_listener.setLocalEnd("127.0.0.1", 0);
    m_listener.setReceiveTimeout(50); // accept wakes up to look at the stop flag
    if (m_listener.open() == 0)
        m_port = m_listener.localPort();
    m_thread = std::thread([this] { run(); });
}

ScriptedControlServer::~ScriptedControlServer()
{
    m_stop = true;
    m_thread.join();
    m_listener.close();
}

void ScriptedControlServer::setScript(Script script)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_script = std::move(script);
}

std::vector<RecordedRequest> ScriptedControlServer::requests() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_requests;
}

std::size_t ScriptedControlServer::requestCount() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_requests.size();
}

bool ScriptedControlServer::waitClosed(int count, int ms) const
{
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_closedByPeer >= count; });
}

void ScriptedControlServer::run()
{
    while (!m_stop) {
        uni::TCPSocket peer;
        if (m_listener.accept(peer) != 0)
            continue;
        ++m_accepted;
        peer.setReceiveTimeout(50);
        serve(peer);
    }
}

void ScriptedControlServer::serve(uni::TCPSocket& peer)
{
    qorinet_api::FrameBuffer buffer;
    while (!m_stop) {
        RecordedRequest request;
        const int got = qorinet_api::FrameReader::read(peer, buffer, request.header);
        if (got == uni::osal::SOCK_ETIMEOUT)
            continue;
        if (got < 0) {
            std::lock_guard<std::mutex> lock(m_lock);
            ++m_closedByPeer;
            m_changed.notify_all();
            return;
        }
        request.payload.assign(buffer.payload(), buffer.payload() + buffer.size());
        request.raw.assign(buffer.frame(), buffer.frame() + got);
        Script script;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_requests.push_back(request);
            script = m_script;
            m_changed.notify_all();
        }
        for (const Bytes& blob : script(request))
            peer.send(blob.data(), blob.size());
    }
    peer.close();
}

std::vector<Bytes> ScriptedControlServer::defaultAnswer(const RecordedRequest& request)
{
    const std::uint16_t command = request.header.command;
    if (command == proto::CMD_CLOSE)
        return {};
    if (command == proto::CMD_HELLO)
        return {answer(command, PayloadBytes().i32(0).u64(kHelloValue))};
    if (command == proto::CMD_BOARD_PROPERTIES) {
        const qorinet_api::PayloadReader reader(request.payload.data(), request.payload.size());
        std::uint32_t index = 0;
        reader.u32At(0, index);
        return {answer(command, PayloadBytes().i32(0).text("<Board index=\"" + std::to_string(index) + "\"/>"))};
    }
    return {answer(command, PayloadBytes().i32(0).zeros(12))};
}

Bytes ScriptedControlServer::answer(std::uint16_t command, const Bytes& payload)
{
    return qorinet_api::ControlFrame::encode(proto::answerCode(command), payload.data(), payload.size());
}

Bytes ScriptedControlServer::heartbeat(std::uint16_t command)
{
    return qorinet_api::ControlFrame::encode(proto::heartbeatCode(command), nullptr, 0);
}

PayloadBytes& PayloadBytes::u32(std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        m_bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return *this;
}

PayloadBytes& PayloadBytes::u64(std::uint64_t value)
{
    u32(static_cast<std::uint32_t>(value));
    return u32(static_cast<std::uint32_t>(value >> 32));
}

PayloadBytes& PayloadBytes::text(const std::string& text)
{
    u32(static_cast<std::uint32_t>(text.size()));
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    return *this;
}

PayloadBytes& PayloadBytes::zeros(std::size_t count)
{
    m_bytes.insert(m_bytes.end(), count, 0);
    return *this;
}

} // namespace z2e::test
