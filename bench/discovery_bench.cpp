// Fleet discovery: one qorinet-node-sim process with 1,024 nodes on loopback (127.0.8.1 on,
// through 127.0.12.x: host numbers .0 and .255 are skipped) and a net client finding them.
// Reported per run:
//   nodes              the fleet size
//   first_scan_seen    nodes listed before the client's second scan went out (target: all)
//   scans_to_all       scans the client had sent when all nodes were listed (target: 1)
//   ms_to_all          time from client start until all nodes are listed
//   vs_bare_scan       ms_to_all against the wall time of the bare receive-and-parse loop
//   cpu_us_per_scan    CPU time of the client's discovery thread per scan with all nodes known,
//                      measured over whole scan intervals (idle wake-ups, the scan request and
//                      the scan's end included)
//   bare_cpu_us_per_scan  CPU time of a bare program for one scan, measured in the same run: it
//                      sends one scan, receives every answer on a socket with the client's
//                      receive buffer, checks each datagram as the protocol demands (length and
//                      digest: DiscoveryPacket::decode) and parses its document with pugixml,
//                      the client's parser, for what a node list needs (address, mask, control
//                      port, board count, simulation flag, name, sync state, holder)
//   bare_seen          answers the bare loop received (all, unless the system kept its receive
//                      buffer below what it asked for: then the two CPU figures do not compare)
//   cpu_vs_bare        cpu_us_per_scan / bare_cpu_us_per_scan (target: at most 2)
//   parsed_per_scan    documents the client parsed per steady-state scan (unchanged answers
//                      are not parsed again)
//   steady_nodes       nodes still listed after the steady-state scans (all, unless answers
//                      were lost)
//   rss_kib            resident memory the client added with the fleet
// Everything stays on 127.0.0.0/8.

#include "per_repetition.h"

#include "support/net.h"
#include "support/node_sim.h"

#include "qorinet_api/client/qorinet_client.h"
#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/discovery_packet.h"

#include "uni/ip_address_pair.h"
#include "uni/timer.h"
#include "uni/udp_socket.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <arpa/inet.h>
#include <dirent.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

namespace {

constexpr unsigned kFleet = 1024;
constexpr const char* kFirstAddress = "127.0.8.1";
constexpr std::uint32_t kIntervalMs = 1000;
constexpr int kSteadyScans = 3;
// As the client's discovery socket asks for.
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;

/// The fleet's addresses as the simulator picks them: consecutive, skipping .0 and .255.
std::vector<std::string> fleetAddresses()
{
    std::vector<std::string> out;
    std::uint32_t host = ntohl(uni::ipv4::parseAddress(kFirstAddress).value());
    while (out.size() < kFleet) {
        if ((host & 0xFFu) != 0 && (host & 0xFFu) != 0xFFu)
            out.push_back(uni::ipv4::addressText(htonl(host)));
        ++host;
    }
    return out;
}

/// The fleet simulator, started for each repetition: idle, it still answers its scans and
/// would load the benchmarks that run after this one.
class Fleet {
public:
    Fleet()
        : m_ready(m_sim.start(kFirstAddress, {"--nodes", std::to_string(kFleet)},
                              z2e::test::freeClientBasePort(fleetAddresses())))
    {
    }
    static Fleet& instance() { return *bench::PerRepetition<Fleet>::current(); }
    bool ready() const { return m_ready; }
    std::uint16_t basePort() const { return m_sim.basePort(); }

private:
    z2e::test::NodeSimProcess m_sim;
    bool m_ready = false;
};

qorinet_api::QORINetClientConfig fleetConfig()
{
    qorinet_api::QORINetClientConfig config;
    config.mode = qorinet_api::QORINetClientConfig::MODE_ADDRESS_LIST;
    config.basePort = Fleet::instance().basePort();
    config.localAddresses = {uni::ipv4::IpAddressPair("127.0.0.1", uni::ipv4::maskFromPrefix(8).value())};
    config.scanIntervalMs = kIntervalMs;
    config.scanWindowMs = kIntervalMs / 5;
    return config;
}

double cpuUs(clockid_t clock)
{
    timespec now{};
    if (::clock_gettime(clock, &now) != 0)
        return -1;
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

/// What a node list needs out of one answer.
struct MinimalAnswer {
    std::string address;
    std::string mask;
    unsigned controlPort = 0;
    unsigned boards = 0;
    bool simulation = false;
    std::string name;
    unsigned syncState = 0;
    bool held = false;
};

bool parseMinimal(const std::string& xml, MinimalAnswer& out)
{
    pugi::xml_document document;
    if (!document.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8))
        return false;
    const pugi::xml_node root = document.child("Cmd");
    const pugi::xml_node base = root.child("NetBase");
    const pugi::xml_node node = root.child("Node");
    out.address = base.child_value("net-addr");
    out.mask = base.child_value("net-mask");
    out.controlPort = base.child("ctrl_port").text().as_uint();
    out.boards = node.child("board_cnt").text().as_uint();
    out.simulation = node.child("simulation").text().as_uint() != 0;
    out.name = node.child_value("name");
    out.syncState = node.child("sync_state").text().as_uint();
    out.held = bool(root.child("NetClient"));
    return !out.address.empty() && out.controlPort != 0;
}

struct BareResult {
    double seconds = -1; ///< until the last answer was in; negative: nothing came
    double cpuUs = 0;    ///< CPU time of the loop, the scan request included
    std::size_t seen = 0;
};

/// One scan from a bare socket that receives and parses the answers of the whole fleet, until
/// all are in or none came for 500 ms (answers lost to a receive buffer the system kept small).
BareResult bareScan(std::uint16_t base)
{
    BareResult result;
    uni::UDPSocket receiver(uni::Socket::Receiver);
    receiver.setLocalEnd("0.0.0.0", static_cast<std::uint16_t>(base + 2));
    receiver.setReceiveTimeout(500);
    if (receiver.open() != 0)
        return result;
    const int size = kReceiveBufferBytes;
    if (::setsockopt(receiver.handle(), SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0)
        ::setsockopt(receiver.handle(), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    std::unordered_set<std::string> seen;
    seen.reserve(kFleet);
    std::vector<std::uint8_t> buffer(qorinet_api::DiscoveryPacket::kMaxSize + 1);
    const double cpuBefore = cpuUs(CLOCK_THREAD_CPUTIME_ID);
    const uni::Timer timer;
    qorinet_api::CommandDocument request;
    request.set("NetBase", "net-addr", "127.0.0.1");
    request.set("NetBase", "net-mask", "255.0.0.0");
    request.set("NetBase", "port", std::uint64_t{base} + 2);
    const auto datagram =
        qorinet_api::DiscoveryPacket::encode(qorinet_api::proto::CMD_SCAN_REQUEST, request.toString());
    uni::UDPSocket sender(uni::Socket::Sender | uni::Socket::Broadcast);
    sender.setRemoteEnd("127.255.255.255", static_cast<std::uint16_t>(base + 1));
    if (sender.open() != 0 || sender.send(datagram.data(), datagram.size()) <= 0)
        return result;
    double cpuAtLast = cpuUs(CLOCK_THREAD_CPUTIME_ID);
    // Kept from answer to answer, as the client keeps its own.
    std::string xml;
    MinimalAnswer answer;
    while (seen.size() < kFleet) {
        std::string from;
        const int got = receiver.receiveFrom(buffer.data(), buffer.size(), from);
        if (got <= 0)
            break;
        std::uint16_t command = 0;
        if (qorinet_api::DiscoveryPacket::decode(buffer.data(), std::size_t(got), command, xml) != 0 ||
            command != qorinet_api::proto::CMD_SCAN_ANSWER || !parseMinimal(xml, answer))
            continue;
        seen.insert(answer.address);
        result.seconds = double(timer.elapsedUs()) / 1e6;
        cpuAtLast = cpuUs(CLOCK_THREAD_CPUTIME_ID);
    }
    result.cpuUs = cpuAtLast - cpuBefore;
    result.seen = seen.size();
    return result;
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

/// The CPU clock of this process's thread whose name starts so; false when there is none.
bool threadClock(const std::string& namePrefix, clockid_t& clock)
{
    DIR* tasks = ::opendir("/proc/self/task");
    if (!tasks)
        return false;
    bool found = false;
    while (dirent* entry = ::readdir(tasks)) {
        const std::string tid = entry->d_name;
        std::ifstream comm("/proc/self/task/" + tid + "/comm");
        std::string name;
        if (!std::getline(comm, name) || name.rfind(namePrefix, 0) != 0)
            continue;
        // The kernel's per-thread CPU clock of a thread id (what pthread_getcpuclockid makes
        // of a pthread_t): CPUCLOCK_SCHED | CPUCLOCK_PERTHREAD_MASK.
        clock = static_cast<clockid_t>((~static_cast<unsigned>(std::stoi(tid)) << 3) | 6u);
        found = true;
    }
    ::closedir(tasks);
    return found;
}

void waitForScan(const qorinet_api::QORINetClient& client, std::uint64_t scans)
{
    while (client.scanCount() < scans)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void BM_FleetDiscovery(benchmark::State& state)
{
    Fleet& fleet = Fleet::instance();
    if (!fleet.ready()) {
        state.SkipWithError("qorinet-node-sim fleet did not start");
        return;
    }
    double bareSeconds = 0, bareCpu = 0, sum = 0, cpuPerScan = 0, firstSeen = 0, scansToAll = 0;
    double steadyNodes = kFleet, parsedPerScan = 0, bareSeen = 0;
    long rss = 0;
    std::int64_t runs = 0;
    for (auto _ : state) {
        const BareResult bare = bareScan(fleet.basePort());
        if (bare.seconds < 0) {
            state.SkipWithError("the bare loop received no answer");
            return;
        }
        bareSeen += double(bare.seen);
        bareSeconds += bare.seconds;
        bareCpu += bare.cpuUs;
        const long before = residentKib();
        qorinet_api::QORINetClient client(fleetConfig(), uni::AllowedNetworks::parse("127.0.0.0/8"));
        const uni::Timer timer;
        client.startClient();
        std::size_t seenByFirst = 0;
        std::uint64_t scansAtAll = 0;
        while (timer.elapsedUs() < 10'000'000) {
            // The count before the scan number: a count taken while only one scan was out
            // holds answers to that scan alone.
            const std::size_t count = client.remoteNodeCount();
            const std::uint64_t scans = client.scanCount();
            if (scans <= 1)
                seenByFirst = count;
            if (count >= kFleet) {
                scansAtAll = scans;
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        const double seconds = double(timer.elapsedUs()) / 1e6;
        state.SetIterationTime(seconds);
        sum += seconds;
        firstSeen += double(seenByFirst);
        scansToAll += double(scansAtAll);
        if (client.remoteNodeCount() < kFleet) {
            state.SkipWithError("not all nodes were found within 10 s");
            return;
        }
        rss += residentKib() - before;
        // Steady state: every scan answered by all nodes. Whole intervals, from the middle
        // of one to the middle of another, so that each scan's answers are in.
        clockid_t clock{};
        if (!threadClock("QORINet_Discov", clock)) {
            state.SkipWithError("no discovery thread");
            return;
        }
        const std::uint64_t scans = client.scanCount() + 1;
        waitForScan(client, scans);
        std::this_thread::sleep_for(std::chrono::milliseconds(kIntervalMs / 2));
        const double cpuBefore = cpuUs(clock);
        const std::uint64_t parsedBefore = client.answersParsed();
        waitForScan(client, scans + kSteadyScans);
        std::this_thread::sleep_for(std::chrono::milliseconds(kIntervalMs / 2));
        cpuPerScan += (cpuUs(clock) - cpuBefore) / kSteadyScans;
        parsedPerScan += double(client.answersParsed() - parsedBefore) / kSteadyScans;
        steadyNodes = std::min(steadyNodes, double(client.remoteNodeCount()));
        client.stopClient();
        ++runs;
    }
    if (runs == 0)
        return;
    const double n = double(runs);
    state.counters["nodes"] = kFleet;
    state.counters["first_scan_seen"] = firstSeen / n;
    state.counters["scans_to_all"] = scansToAll / n;
    state.counters["ms_to_all"] = sum / n * 1000;
    state.counters["vs_bare_scan"] = bareSeconds > 0 ? sum / bareSeconds : 0;
    state.counters["cpu_us_per_scan"] = cpuPerScan / n;
    state.counters["bare_cpu_us_per_scan"] = bareCpu / n;
    state.counters["bare_seen"] = bareSeen / n;
    state.counters["cpu_vs_bare"] = bareCpu > 0 ? cpuPerScan / bareCpu : 0;
    state.counters["parsed_per_scan"] = parsedPerScan / n;
    state.counters["steady_nodes"] = steadyNodes;
    state.counters["rss_kib"] = double(rss) / n;
}
BENCHMARK(BM_FleetDiscovery)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->Setup(bench::PerRepetition<Fleet>::start)
    ->Teardown(bench::PerRepetition<Fleet>::stop);

} // namespace
