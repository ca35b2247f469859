// Fleet discovery: one qorinet-node-sim process with 256 nodes on loopback (127.0.8.x and
// 127.0.9.x) and a net client finding them. Reported per run:
//   ms_to_all        time from client start until all 256 nodes are listed
//   intervals_to_all the same in scan intervals (target: at most 2)
//   vs_bare_scan     ratio to a bare socket that broadcasts one scan and collects 256 answers,
//                    measured in the same run
//   cpu_us_per_scan  CPU time of the discovery thread per scan with all nodes known
//   rss_kib          resident memory the client added with 256 nodes
// Everything stays on 127.0.0.0/8.

#include "support/net.h"
#include "support/node_sim.h"

#include "qorinet_api/client/qorinet_client.h"
#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/discovery_packet.h"

#include "uni/timer.h"
#include "uni/udp_socket.h"

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr unsigned kFleet = 256;
constexpr const char* kFirstAddress = "127.0.8.1";

/// The fleet simulator, started once for the whole run.
class Fleet {
public:
    static Fleet& instance()
    {
        static Fleet fleet;
        return fleet;
    }
    bool ready() const { return m_ready; }
    std::uint16_t basePort() const { return m_sim.basePort(); }

private:
    Fleet()
        : m_ready(m_sim.start(kFirstAddress, {"--nodes", std::to_string(kFleet)},
                              z2e::test::freeClientBasePort({kFirstAddress})))
    {
    }

    z2e::test::NodeSimProcess m_sim;
    bool m_ready = false;
};

qorinet_api::QORINetClientConfig fleetConfig(std::uint32_t intervalMs)
{
    qorinet_api::QORINetClientConfig config;
    config.mode = qorinet_api::QORINetClientConfig::MODE_ADDRESS_LIST;
    config.basePort = Fleet::instance().basePort();
    config.localAddresses = {uni::ipv4::IpAddressPair("127.0.0.1", uni::ipv4::maskFromPrefix(8).value())};
    config.scanIntervalMs = intervalMs;
    config.scanWindowMs = intervalMs / 5;
    return config;
}

/// One scan from a bare socket; seconds until `kFleet` answers arrived (negative: gave up).
double bareScan(std::uint16_t base)
{
    uni::UDPSocket receiver(uni::Socket::Receiver);
    receiver.setLocalEnd("0.0.0.0", static_cast<std::uint16_t>(base + 2));
    receiver.setReceiveTimeout(2000);
    if (receiver.open() != 0)
        return -1;
    const int size = 4 * 1024 * 1024; // as the client's discovery socket
    if (::setsockopt(receiver.handle(), SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0)
        ::setsockopt(receiver.handle(), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    qorinet_api::CommandDocument request;
    request.set("NetBase", "net-addr", "127.0.0.1");
    request.set("NetBase", "net-mask", "255.0.0.0");
    request.set("NetBase", "port", std::uint64_t{base} + 2);
    const auto datagram =
        qorinet_api::DiscoveryPacket::encode(qorinet_api::proto::CMD_SCAN_REQUEST, request.toString());
    const uni::Timer timer;
    uni::UDPSocket sender(uni::Socket::Sender | uni::Socket::Broadcast);
    sender.setRemoteEnd("127.255.255.255", static_cast<std::uint16_t>(base + 1));
    if (sender.open() != 0 || sender.send(datagram.data(), datagram.size()) <= 0)
        return -1;
    std::set<std::string> seen;
    std::vector<std::uint8_t> buffer(8193);
    while (seen.size() < kFleet) {
        std::string from;
        if (receiver.receiveFrom(buffer.data(), buffer.size(), from) <= 0)
            return -1;
        seen.insert(from);
    }
    return double(timer.elapsedUs()) / 1e6;
}

long residentKib()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

/// User plus system CPU time, in microseconds, of this process's thread whose name starts so.
double threadCpuUs(const std::string& namePrefix)
{
    DIR* tasks = ::opendir("/proc/self/task");
    if (!tasks)
        return -1;
    double total = -1;
    while (dirent* entry = ::readdir(tasks)) {
        const std::string tid = entry->d_name;
        std::ifstream comm("/proc/self/task/" + tid + "/comm");
        std::string name;
        if (!std::getline(comm, name) || name.rfind(namePrefix, 0) != 0)
            continue;
        std::ifstream stat("/proc/self/task/" + tid + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        double ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i)
            if (i == 14 || i == 15)
                ticks += std::stod(field);
        total = ticks * 1e6 / double(::sysconf(_SC_CLK_TCK));
    }
    ::closedir(tasks);
    return total;
}

void BM_FleetDiscovery(benchmark::State& state)
{
    Fleet& fleet = Fleet::instance();
    if (!fleet.ready()) {
        state.SkipWithError("qorinet-node-sim fleet did not start");
        return;
    }
    const std::uint32_t intervalMs = 1000;
    double bare = 0, sum = 0, cpuPerScan = 0;
    long rss = 0;
    std::int64_t runs = 0;
    for (auto _ : state) {
        bare += bareScan(fleet.basePort());
        const long before = residentKib();
        qorinet_api::QORINetClient client(fleetConfig(intervalMs), uni::AllowedNetworks::parse("127.0.0.0/8"));
        const uni::Timer timer;
        client.startClient();
        while (client.remoteNodeCount() < kFleet && timer.elapsedUs() < 10'000'000)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        const double seconds = double(timer.elapsedUs()) / 1e6;
        state.SetIterationTime(seconds);
        sum += seconds;
        if (client.remoteNodeCount() < kFleet)
            state.SkipWithError("not all nodes were found within 10 s");
        rss += residentKib() - before;
        // Steady state: every scan answered by all 256 nodes.
        const std::uint64_t scans = client.scanCount();
        const double cpuBefore = threadCpuUs("QORINet_Discov");
        while (client.scanCount() < scans + 3)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        cpuPerScan += (threadCpuUs("QORINet_Discov") - cpuBefore) / 3.0;
        client.stopClient();
        ++runs;
    }
    if (runs == 0)
        return;
    state.counters["ms_to_all"] = sum / double(runs) * 1000;
    state.counters["intervals_to_all"] = sum / double(runs) * 1000 / intervalMs;
    state.counters["vs_bare_scan"] = bare > 0 ? sum / bare : 0;
    state.counters["cpu_us_per_scan"] = cpuPerScan / double(runs);
    state.counters["rss_kib"] = double(rss) / double(runs);
}
BENCHMARK(BM_FleetDiscovery)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
