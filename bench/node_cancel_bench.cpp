// Cancel of a request to a node that answers nothing but heartbeats: the time from the
// operator's Cancel (the node link closed under the waiting request, as the window and the
// tools do) until the request has returned. Target: within 200 ms. The baseline, in the same
// run, is the bare mechanism: a thread blocked in recv() on a socket that another thread shuts
// down; "ratio" tells how much the client adds on top of the kernel's wake-up.

#include "support/net.h"
#include "support/node_sim.h"

#include "qorinet_api/client/qorinet_client.h"
#include "qorinet_api/client/qorinet_client_node.h"

#include "per_repetition.h"

#include <benchmark/benchmark.h>

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kAddress = "127.0.9.1";
// Long enough for the request to be sent and a few heartbeats to have kept it alive.
constexpr auto kInFlight = std::chrono::milliseconds(250);

struct StalledNode {
    z2e::test::NodeSimProcess sim;
    std::unique_ptr<qorinet_api::QORINetClient> client;
    std::shared_ptr<qorinet_api::QORINetClientNode> node;

    StalledNode()
    {
        if (!sim.start(kAddress, {"--fault", "heartbeats-only", "--heartbeat-ms", "100"},
                       z2e::test::freeClientBasePort({kAddress})))
            return;
        qorinet_api::QORINetClientConfig config;
        config.mode = qorinet_api::QORINetClientConfig::MODE_ADDRESS_LIST;
        config.basePort = sim.basePort();
        config.localAddresses = {uni::ipv4::IpAddressPair("127.0.0.1", uni::ipv4::maskFromPrefix(8).value())};
        config.scanIntervalMs = 200;
        config.scanWindowMs = 40;
        client = std::make_unique<qorinet_api::QORINetClient>(config);
        if (client->startClient() != 0)
            return;
        for (const auto until = Clock::now() + std::chrono::seconds(10); !node && Clock::now() < until;) {
            for (const auto& found : client->remoteNodes())
                if (found->getAddress() == kAddress)
                    node = found;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~StalledNode()
    {
        if (client)
            client->stopClient();
    }
};

using Stalled = bench::PerRepetition<StalledNode>; // its heartbeats load no later benchmark

void BM_CancelNodeRequest(benchmark::State& state)
{
    StalledNode& stalled = *Stalled::current();
    if (!stalled.node) {
        state.SkipWithError("the node simulator was not found on loopback");
        return;
    }
    double worstMs = 0;
    for (auto _ : state) {
        if (stalled.node->connect() != 0) {
            state.SkipWithError("cannot link the node");
            return;
        }
        Clock::time_point returned;
        std::thread request([&returned, &stalled] {
            std::int32_t value = 0;
            stalled.node->GetParam_i32(0, 1282, value);
            returned = Clock::now();
        });
        std::this_thread::sleep_for(kInFlight);
        const Clock::time_point cancelled = Clock::now();
        stalled.node->disconnect();
        request.join();
        if (returned < cancelled) {
            state.SkipWithError("the request ended before Cancel: the node is not stalled");
            return;
        }
        const double ms = std::chrono::duration<double, std::milli>(returned - cancelled).count();
        worstMs = std::max(worstMs, ms);
        state.SetIterationTime(ms / 1e3);
    }
    state.counters["worst_ms"] = worstMs;
}
BENCHMARK(BM_CancelNodeRequest)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Setup(Stalled::start)
    ->Teardown(Stalled::stop);

void BM_CancelBareReceive(benchmark::State& state)
{
    for (auto _ : state) {
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) {
            state.SkipWithError("socketpair failed");
            return;
        }
        Clock::time_point returned;
        std::thread reader([&returned, fd = ends[0]] {
            char byte = 0;
            benchmark::DoNotOptimize(::recv(fd, &byte, 1, 0));
            returned = Clock::now();
        });
        std::this_thread::sleep_for(kInFlight);
        const Clock::time_point cancelled = Clock::now();
        ::shutdown(ends[0], SHUT_RDWR);
        reader.join();
        ::close(ends[0]);
        ::close(ends[1]);
        state.SetIterationTime(std::chrono::duration<double>(returned - cancelled).count());
    }
}
BENCHMARK(BM_CancelBareReceive)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
