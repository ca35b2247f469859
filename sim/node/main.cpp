// qorinet-node-sim: QORINet nodes on this machine for tests, benchmarks and demonstrations.

#include "address_policy.h"
#include "fleet_generator.h"
#include "fleet_plan.h"
#include "fleet_supervisor.h"
#include "node_backend.h"
#include "node_fleet.h"
#include "node_sim_options.h"
#include "node_workspace.h"

#include "uni/log.h"

#include <signal.h>
#include <sys/resource.h>

#include <cstdio>
#include <iostream>

namespace {

// Every node needs a few descriptors; a large fleet needs more than the usual soft limit.
void raiseDescriptorLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// Blocked before any thread starts, so that every thread inherits the mask and the signals
// are taken only by sigwait() in main.
sigset_t blockSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    return set;
}

void startLog(const std::string& file)
{
    if (file.empty())
        return;
    uni::log::FileSinkOptions sink;
    sink.fileName = file;
    sink.minSeverity = uni::log::debug;
    if (!uni::log::addFileSink(sink))
        std::cerr << "qorinet-node-sim: cannot write log file " << file << "\n";
}

void printNodes(const nodesim::NodeFleet& fleet, bool simulation)
{
    for (const auto& node : fleet.nodes()) {
        std::printf("node %u %s %u %s%s\n", node->index(), node->address().address().c_str(),
                    static_cast<unsigned>(node->basePort()), node->name().c_str(), simulation ? " simulation" : "");
    }
    std::printf("ready\n");
    std::fflush(stdout);
}

int serve(const sigset_t& signals, nodesim::NodeFleet& fleet)
{
    for (;;) {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0)
            return 1;
        if (signal == SIGUSR1) {
            fleet.discovery().toggleSyncState();
            continue;
        }
        return 0;
    }
}

// A fleet of node processes: this process only prepares their files, starts and watches them.
int runFleet(const nodesim::NodeSimOptions& options, const sigset_t& signals)
{
    nodesim::FleetPlan plan;
    std::string error;
    bool refused = false;
    if (!plan.prepare(options, nodesim::FleetGenerator::today(), error, refused)) {
        std::cerr << "qorinet-node-sim: " << error << "\n";
        return refused ? 2 : 1;
    }
    nodesim::FleetSupervisor supervisor;
    return supervisor.run(plan, signals);
}

} // namespace

int main(int argc, char** argv)
{
    nodesim::NodeSimOptions options;
    std::string error;
    if (!nodesim::NodeSimOptions::parse(argc, argv, options, error)) {
        std::cerr << "qorinet-node-sim: " << error << "\n(see --help)\n";
        return 2;
    }
    if (options.help) {
        std::cout << nodesim::NodeSimOptions::usage();
        return 0;
    }
    const sigset_t signals = blockSignals();
    raiseDescriptorLimit();
    if (options.runsFleet())
        return runFleet(options, signals);
    uni::log::initialize();
    startLog(options.logFile);

    for (const std::string& address : {options.bindAddress, options.claimAddress}) {
        if (!address.empty() && !nodesim::AddressPolicy::allowed(address)) {
            std::cerr << "qorinet-node-sim: " << address << " is outside the allowed networks ("
                      << nodesim::AddressPolicy::describe() << ")\n";
            return 2;
        }
    }
    nodesim::NodeWorkspace workspace;
    if (!workspace.prepare(options, error)) {
        std::cerr << "qorinet-node-sim: " << error << "\n";
        return 1;
    }
    nodesim::NodeBackend backend;
    if (!backend.start(options.simulation, error)) {
        std::cerr << "qorinet-node-sim: " << error << "\n";
        return 1;
    }
    nodesim::NodeFleet fleet(options, backend);
    if (!fleet.open(error) || fleet.start() != 0) {
        std::cerr << "qorinet-node-sim: " << (error.empty() ? "cannot start" : error) << "\n";
        return 1;
    }
    printNodes(fleet, backend.simulation());
    const int result = serve(signals, fleet);
    fleet.stop();
    fleet.close();
    backend.stop();
    uni::log::removeAllSinks();
    return result;
}
