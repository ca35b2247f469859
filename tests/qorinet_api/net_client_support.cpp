#include "net_client_support.h"

#include "qorinet_api/common/payload_reader.h"

#include <algorithm>
#include <chrono>

namespace z2e::test {

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
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        takeOne(static_cast<std::uint32_t>(left.count()));
    }
    return true;
}

bool EventLog::waitFor(std::uint32_t code, std::uint32_t node, int timeoutMs)
{
    return waitUntil(
        [&](const std::vector<NodeEvent>& h) {
            return std::count(h.begin(), h.end(), NodeEvent{code, node}) > 0;
        },
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
        std::chrono::milliseconds(timeoutMs));
    return found;
}

} // namespace z2e::test
