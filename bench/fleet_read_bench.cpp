// The Fleet view's read (each board's properties, place and firmware check) of 64 simulated
// nodes with boards of their own, against the read of the one with the most boards, both through
// the same client.
// The nodes answer every driver command 20 ms late, as boards behind a real node's driver do, so
// what is timed is what an operator waits for: with the reads' default of 64 nodes at once
// ("ratio_all_at_once", target at most 2), and with the 8 at a time that changes run at
// ("ratio_default_bound").

#include "core/remote_node_session.h"
#include "same_processor.h"
#include "support/net.h"
#include "support/node_sim.h"
#include "tools/fleet_sources.h"

#include "per_repetition.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

constexpr int kNodes = 64;
constexpr const char* kDelayMs = "20";

std::vector<std::string> addresses()
{
    std::vector<std::string> out;
    for (int n = 1; n <= kNodes; ++n)
        out.push_back("127.0.7." + std::to_string(n));
    return out;
}

/// Started for each repetition and stopped after it, so that its nodes load no benchmark that
/// runs later.
class ReadFleet {
public:
    ReadFleet()
        : m_ready(m_sim.start(addresses().front(),
                              {"--fleet", std::to_string(kNodes), "--seed", "5", "--delay-ms", kDelayMs},
                              z2e::test::freeClientBasePort(addresses())))
    {
    }
    static ReadFleet& instance() { return *bench::PerRepetition<ReadFleet>::current(); }
    bool ready() const { return m_ready; }
    std::uint16_t basePort() const { return m_sim.basePort(); }

private:
    z2e::test::NodeSimProcess m_sim;
    bool m_ready = false;
};

double readMs(const std::vector<z2e::FleetSource>& sources, unsigned parallel, std::size_t& boards)
{
    const auto t0 = std::chrono::steady_clock::now();
    z2e::FleetScan::run(sources, parallel, [&boards](std::size_t, std::int32_t, std::vector<z2e::FleetBoard>& read) {
        boards += read.size();
    });
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void BM_FleetRead64NodesVsOne(benchmark::State& state)
{
    if (!ReadFleet::instance().ready()) {
        state.SkipWithError("the fleet simulator did not start");
        return;
    }
    z2e::RemoteNodeSession session(ReadFleet::instance().basePort(), addresses());
    if (session.start() != 0) {
        state.SkipWithError("the network client did not start");
        return;
    }
    const z2e::LastSelfTests tests;
    const z2e::FleetReader reader(tests);
    std::vector<z2e::FleetSource> all;
    // The one node read alone is the one with the most boards: no read of all can end before
    // it does. (The nodes hold 1 to 9 boards; the first to answer was a different one each run.)
    std::size_t largest = 0;
    std::uint32_t mostBoards = 0;
    for (const z2e::NetworkNodeSummary& node : session.discoverAll(addresses(), 15000)) {
        if (node.boardCount > mostBoards) {
            mostBoards = node.boardCount;
            largest = all.size();
        }
        all.push_back(z2e::FleetSources::node(session, node, reader));
    }
    if (all.size() != kNodes) {
        state.SkipWithError(("only " + std::to_string(all.size()) + " nodes answered").c_str());
        return;
    }
    const std::vector<z2e::FleetSource> one{all[largest]};
    std::vector<double> single, together, bounded;
    std::size_t boards = 0;
    std::size_t oneBoards = 0;
    for (auto _ : state) {
        single.push_back(readMs(one, 1, oneBoards));
        together.push_back(readMs(all, z2e::FleetScan::kDefaultReadParallel, boards));
        bounded.push_back(readMs(all, z2e::FleetScan::kDefaultParallel, oneBoards));
        state.SetIterationTime(together.back() / 1e3);
    }
    const double oneNode = bench::medianOf(single);
    state.counters["one_node_ms"] = oneNode;
    state.counters["all_at_once_ms"] = bench::medianOf(together);
    state.counters["default_bound_ms"] = bench::medianOf(bounded);
    state.counters["ratio_all_at_once"] = bench::medianOf(together) / oneNode;
    state.counters["ratio_default_bound"] = bench::medianOf(bounded) / oneNode;
    state.counters["boards"] = static_cast<double>(boards) / static_cast<double>(state.iterations());
    state.counters["one_node_boards"] = mostBoards;
}
BENCHMARK(BM_FleetRead64NodesVsOne)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Setup(bench::PerRepetition<ReadFleet>::start)
    ->Teardown(bench::PerRepetition<ReadFleet>::stop);

} // namespace
