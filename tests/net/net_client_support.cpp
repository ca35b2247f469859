#include "net_client_support.h"

#include "qorinet_api/common/payload_reader.h"

#include "uni/random.h"
#include "uni/tcp_socket.h"
#include "uni/udp_socket.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace nettest {

namespace {

bool tcpFree(const std::string& address, std::uint16_t port)
{
    uni::TCPSocket socket(uni::Socket::Listening);
    socket.setLocalEnd(address, port);
    return socket.open() == 0;
}

bool udpFree(std::uint16_t port)
{
    uni::UDPSocket socket(uni::Socket::Receiver);
    socket.setLocalEnd("0.0.0.0", port);
    return socket.open() == 0;
}

bool portsFree(std::uint16_t p, const std::vector<std::string>& simAddresses)
{
    if (!udpFree(p + 1) || !udpFree(p + 2) || !udpFree(p + 3) || !tcpFree("127.0.0.1", p + 5) ||
        !tcpFree("127.0.0.1", p + 10))
        return false;
    return std::all_of(simAddresses.begin(), simAddresses.end(),
                       [&](const std::string& a) { return tcpFree(a, p) && tcpFree(a, p + 6); });
}

} // namespace

bool EventLog::takeOne(std::uint32_t timeoutMs)
{
    std::uint32_t code = 0;
    std::vector<std::uint8_t> data;
    if (m_queue.pop(code, data, timeoutMs) != 0)
        return false;
    const std::uint32_t node = data.size() == 4 ? qorinet_api::PayloadReader::loadU32(data.data()) : 0;
    m_history.push_back({code, node});
    return true;
}

bool EventLog::waitUntil(const std::function<bool(const std::vector<NodeEvent>&)>& done, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done(m_history)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        takeOne(static_cast<std::uint32_t>(left.count()));
    }
    return true;
}

bool EventLog::waitFor(std::uint32_t code, std::uint32_t node, int timeoutMs)
{
    return waitUntil([&](const std::vector<NodeEvent>& h) { return std::count(h.begin(), h.end(), NodeEvent{code, node}) > 0; },
                     timeoutMs);
}

std::vector<NodeEvent> EventLog::settle(int quietMs)
{
    while (takeOne(static_cast<std::uint32_t>(quietMs))) {
    }
    return m_history;
}

std::size_t EventLog::count(std::uint32_t code, std::uint32_t node) const
{
    return static_cast<std::size_t>(std::count(m_history.begin(), m_history.end(), NodeEvent{code, node}));
}

uni::AllowedNetworks loopbackOnly()
{
    return uni::AllowedNetworks::parse("127.0.0.0/8");
}

std::uint16_t freeClientBasePort(const std::vector<std::string>& simAddresses)
{
    // Below the ephemeral range, so that no outgoing connection takes one meanwhile.
    for (int attempt = 0; attempt < 400; ++attempt) {
        const auto port = static_cast<std::uint16_t>(20000 + uni::Random::next() % 12000);
        if (portsFree(port, simAddresses))
            return port;
    }
    return 0;
}

qorinet_api::QORINetClientConfig loopbackConfig(std::uint16_t basePort, std::uint32_t scanIntervalMs)
{
    qorinet_api::QORINetClientConfig config;
    config.mode = qorinet_api::QORINetClientConfig::MODE_ADDRESS_LIST;
    config.basePort = basePort;
    config.localAddresses = {uni::ipv4::IpAddressPair("127.0.0.1", uni::ipv4::maskFromPrefix(8).value())};
    config.scanIntervalMs = scanIntervalMs;
    config.scanWindowMs = scanIntervalMs / 5;
    return config;
}

std::shared_ptr<qorinet_api::QORINetClientNode> waitForNode(const qorinet_api::QORINetClient& client,
                                                            const std::string& address, int timeoutMs)
{
    std::shared_ptr<qorinet_api::QORINetClientNode> found;
    eventually(
        [&] {
            for (const auto& node : client.remoteNodes())
                if (node->getAddress() == address && node->isConnectable())
                    found = node;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

bool eventually(const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace nettest
