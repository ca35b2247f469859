#include "core/discovery_probe.h"

#include "core/network_client_host.h"

#include "qorinet_api/client/qorinet_client.h"
#include "uni/allowed_networks.h"
#include "uni/net_if_provider.h"
#include "uni/port_holder.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace z2e {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kCancelPoll = std::chrono::milliseconds(20);
// Several answers per node at this pace, so that one lost datagram does not hide a node.
constexpr std::uint32_t kScanIntervalMs = 500;

struct PortUse {
    std::uint16_t offset;
    bool tcp;
    const char* purpose;
    bool essential;
};

// The ports a network client binds on this computer.
const PortUse kPorts[] = {
    {qorinet_api::proto::kIdentPortOffset, false, "the nodes' answers and announcements", true},
    {qorinet_api::proto::kLogScanPortOffset, false, "the log server's scans", false},
    {qorinet_api::proto::kThirdPortOffset, true, "the nodes' log connections", false},
    {qorinet_api::proto::kDataPortOffset, true, "the nodes' measurement data", false},
};

/// "" when `port` could be bound on every address, else the system's words for why not.
std::string bindError(std::uint16_t port, bool tcp, int& error)
{
    const int fd = ::socket(AF_INET, tcp ? SOCK_STREAM : SOCK_DGRAM, 0);
    if (fd < 0) {
        error = errno;
        return std::strerror(error);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    int result = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (result == 0 && tcp)
        result = ::listen(fd, 1);
    error = result == 0 ? 0 : errno;
    ::close(fd);
    return result == 0 ? std::string() : std::string(std::strerror(error));
}

std::int64_t msSince(Clock::time_point then)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - then).count();
}

DiscoveryFacts::Node& nodeAt(DiscoveryFacts& facts, const std::string& address)
{
    const auto found = std::find_if(facts.nodes.begin(), facts.nodes.end(),
                                    [&](const DiscoveryFacts::Node& node) { return node.address == address; });
    if (found != facts.nodes.end())
        return *found;
    facts.nodes.push_back({});
    facts.nodes.back().address = address;
    return facts.nodes.back();
}

} // namespace

DiscoveryProbe::DiscoveryProbe(std::shared_ptr<const uni::IfNetIfProvider> provider)
    : m_provider(provider ? std::move(provider) : std::make_shared<uni::NetIfProvider>())
{
}

DiscoveryFacts DiscoveryProbe::examine(const Options& options, const std::atomic<bool>& cancel) const
{
    DiscoveryFacts facts;
    const uni::AllowedNetworks& allowed = uni::AllowedNetworks::process();
    facts.allowedNetworks = allowed.toString();
    facts.restricted = allowed.restricted();
    facts.allowsNothing = allowed.allowsNothing();
    facts.rejectedEntries = allowed.rejectedEntries();
    facts.networks = options.settings.networks;
    facts.chosenAddress = options.settings.address;
    facts.chosenMask = options.settings.mask;
    readInterfaces(options, facts);
    const qorinet_api::QORINetClientConfig config = NetworkClientHost::clientConfig(options.settings);
    const auto ports = qorinet_api::proto::PortTriple::fromBase(static_cast<std::uint16_t>(config.basePort));
    facts.scanPort = static_cast<std::uint16_t>(ports.control + qorinet_api::proto::kScanPortOffset);
    checkPorts(ports.control, facts);
    for (const std::string& address : options.rememberedNodes) {
        DiscoveryFacts::Node& node = nodeAt(facts, address);
        node.remembered = true;
        node.allowed = allowed.isAllowed(address);
    }
    if (options.settings.networks != NetworkClientSettings::Networks::Off)
        listen(options, cancel, facts);
    return facts;
}

void DiscoveryProbe::readInterfaces(const Options& options, DiscoveryFacts& facts) const
{
    const uni::AllowedNetworks& allowed = uni::AllowedNetworks::process();
    uni::NetInterfaceList interfaces;
    if (m_provider->allInterfaces(interfaces) != 0)
        return;
    for (const uni::NetInterface& netIf : interfaces) {
        for (const uni::ipv4::IpAddressPair& pair : netIf.addresses) {
            DiscoveryFacts::Interface entry;
            entry.name = netIf.name.empty() ? netIf.description : netIf.name;
            entry.address = pair.address();
            entry.mask = pair.maskText();
            entry.loopback = netIf.loopback;
            entry.allowed = allowed.isAllowed(pair);
            // As the client counts them: loopback only where a restriction admits it.
            switch (options.settings.networks) {
            case NetworkClientSettings::Networks::AllInterfaces:
                entry.considered = entry.allowed && (!entry.loopback || allowed.restricted());
                break;
            case NetworkClientSettings::Networks::OneAddress:
                entry.considered = entry.allowed && entry.address == options.settings.address;
                break;
            case NetworkClientSettings::Networks::Off: break;
            }
            facts.interfaces.push_back(entry);
        }
    }
}

void DiscoveryProbe::checkPorts(std::uint16_t basePort, DiscoveryFacts& facts)
{
    for (const PortUse& use : kPorts) {
        DiscoveryFacts::Port port;
        port.number = static_cast<std::uint16_t>(basePort + use.offset);
        port.tcp = use.tcp;
        port.purpose = use.purpose;
        port.essential = use.essential;
        int error = 0;
        port.error = bindError(port.number, use.tcp, error);
        port.free = port.error.empty();
        if (!port.free && error == EADDRINUSE) {
            const uni::PortHolder::Holders holders = uni::PortHolder::of(
                use.tcp ? uni::PortHolder::Protocol::Tcp : uni::PortHolder::Protocol::Udp, port.number);
            for (const uni::PortHolder::Process& process : holders.processes) {
                if (process.pid == ::getpid())
                    port.heldHere = true;
                else
                    port.holders.push_back({process.pid, process.name});
            }
            port.unseenOwners = holders.unseenOwners;
        }
        facts.ports.push_back(port);
    }
}

void DiscoveryProbe::listen(const Options& options, const std::atomic<bool>& cancel, DiscoveryFacts& facts) const
{
    qorinet_api::QORINetClientConfig config = NetworkClientHost::clientConfig(options.settings);
    config.privateAnswerPort = true;
    config.keepNodes = 1;
    config.scanIntervalMs = kScanIntervalMs;
    config.directNodes = options.rememberedNodes;
    facts.scanIntervalMs = config.scanIntervalMs;
    qorinet_api::QORINetClient client(config, uni::AllowedNetworks::process(), m_provider);
    const int started = client.startClient();
    if (started != 0) {
        facts.clientFailure = "the network client did not start (code " + std::to_string(started) + ")";
        return;
    }
    facts.clientStarted = true;
    const std::uint32_t scanMs = std::clamp(options.scanMs, kMinScanMs, kMaxScanMs);
    const Clock::time_point begin = Clock::now();
    while (msSince(begin) < scanMs && !cancel.load() && !client.listenFailed())
        std::this_thread::sleep_for(kCancelPoll);
    facts.cancelled = cancel.load();
    facts.scanMs = static_cast<std::uint32_t>(msSince(begin));
    if (client.listenFailed())
        facts.clientFailure = "the network client could not open a socket for the nodes' answers";
    const qorinet_api::DiscoveryStatistics& statistics = client.statistics();
    facts.scanRounds = client.scanCount();
    for (const auto& sends : statistics.sends())
        facts.scans.push_back({sends.local, sends.target, sends.direct, sends.sent, sends.failed, sends.skipped});
    for (const auto& heard : statistics.heard()) {
        DiscoveryFacts::Node& node = nodeAt(facts, heard.address);
        node.identities = heard.identities;
        node.answers = heard.answers;
        node.msSinceAnswer = heard.answers > 0 ? msSince(heard.last) : -1;
        node.refused = heard.refused;
        node.refusal = heard.refusal;
    }
    facts.refusedUnlisted = statistics.refusedUnlisted();
    client.stopClient();
}

} // namespace z2e
