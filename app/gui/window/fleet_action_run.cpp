#include "gui/window/fleet_action_run.h"

#include "core/remote_node_session.h"
#include "gui/window/worker_job.h"
#include "tools/fleet_sources.h"

#include <QMetaObject>

#include <atomic>

namespace z2e {
namespace {

// Long enough for a firmware update's steps, which heartbeats keep alive.
constexpr std::uint32_t kRequestCeilingMs = 270000;

// The chosen systems as targets; nodes that do not answer are targets that are not opened.
std::vector<std::string> addressesOf(const std::vector<FleetActionRun::Chosen>& chosen)
{
    std::vector<std::string> addresses;
    for (const FleetActionRun::Chosen& system : chosen) {
        if (!system.address.empty())
            addresses.push_back(system.address);
    }
    return addresses;
}

std::vector<FleetTarget> targetsOf(const std::vector<FleetActionRun::Chosen>& chosen,
                                   const FleetCollection::Systems& systems, RemoteNodeSession& session)
{
    const std::vector<std::string> addresses = addressesOf(chosen);
    std::vector<NetworkNodeSummary> seen;
    if (!addresses.empty() && systems.network && session.start() == 0)
        seen = session.discoverAll(addresses, systems.scanMs);
    std::vector<FleetTarget> targets;
    for (const FleetActionRun::Chosen& system : chosen) {
        FleetTarget target;
        if (system.address.empty() && systems.local) {
            target = FleetSources::localTarget(*systems.local, 0);
        } else {
            target = {system.system, system.address, nullptr,
                      system.address.empty() ? "this computer's boards were not read at start-up"
                                             : "did not answer within " + std::to_string(systems.scanMs) +
                                                   " ms; check that it is on and reachable, then read the fleet again"};
            for (const NetworkNodeSummary& node : seen) {
                if (node.address == system.address)
                    target = FleetSources::nodeTarget(session, node, kRequestCeilingMs);
            }
        }
        target.serials = system.serials;
        targets.push_back(std::move(target));
    }
    return targets;
}

} // namespace

void FleetActionRun::run(const FleetActionSettings& settings, const std::vector<Chosen>& chosen,
                         const FleetCollection::Systems& systems, QWidget* parent, QObject* receiver,
                         const BoardDone& boardDone, const SystemDone& systemDone)
{
    std::atomic<bool> cancel{false};
    WorkerJob job(
        QObject::tr("Fleet"),
        QObject::tr("%1 on the chosen boards.").arg(QString::fromStdString(FleetAction::toolName(settings.tool))),
        parent);
    job.showAfter(300).offerCancel([&cancel] { cancel = true; });
    job.run([&](CInProgress&) -> std::int32_t {
        RemoteNodeSession session(systems.basePort, addressesOf(chosen));
        const std::vector<FleetTarget> targets = targetsOf(chosen, systems, session);
        FleetAction action(
            settings,
            [&](const FleetBoardOutcome& outcome) {
                QMetaObject::invokeMethod(
                    receiver, [boardDone, system = chosen[outcome.target], outcome] { boardDone(system, outcome); },
                    Qt::QueuedConnection);
            },
            [&](const FleetSystemOutcome& outcome) {
                QMetaObject::invokeMethod(
                    receiver, [systemDone, system = chosen[outcome.target], outcome] { systemDone(system, outcome); },
                    Qt::QueuedConnection);
            });
        action.run(targets, FleetScan::kDefaultParallel, cancel);
        return 0;
    });
}

} // namespace z2e
