#include "gui/window/fleet_collection.h"

#include "core/application_status.h"
#include "core/network_node_record.h"
#include "core/remote_node_session.h"
#include "core/system_model.h"
#include "gui/dialogs/auxiliary/in_progress.h"
#include "gui/window/worker_job.h"
#include "tools/fleet_register.h"
#include "tools/fleet_sources.h"
#include "tools/maintenance_journal.h"

#include <QMetaObject>

#include <atomic>

namespace z2e {

FleetCollection::Systems FleetCollection::systemsOf(SystemModel* system, std::int32_t startupStatus,
                                                    const std::vector<std::pair<int, const NetworkNodeRecord*>>& listed,
                                                    const NetworkClientSettings& network)
{
    Systems systems;
    if (system && startupStatus == AppStatus::Ok)
        systems.local = &system->wrapper();
    for (const auto& [row, record] : listed)
        systems.nodes.push_back(record->address);
    systems.network = network.networks != NetworkClientSettings::Networks::Off;
    systems.basePort = static_cast<std::uint16_t>(network.tuning.basePort);
    return systems;
}

std::int32_t FleetCollection::read(const Systems& systems, QWidget* parent, QObject* receiver, const Arrived& arrived)
{
    std::atomic<bool> cancel{false};
    WorkerJob job(QObject::tr("Fleet"), QObject::tr("Reading the boards of every system."), parent);
    job.showAfter(300).offerCancel([&cancel] { cancel = true; });
    return job.run([&](CInProgress& progress) -> std::int32_t {
        const LastSelfTests tests = LastSelfTests::ofJournal(MaintenanceJournal::defaultFolder());
        const FleetReader reader(tests);
        std::vector<FleetSource> sources;
        if (systems.local)
            sources.push_back(FleetSources::local(*systems.local, 0, reader));
        RemoteNodeSession session(systems.basePort, systems.nodes);
        std::int32_t status = 0;
        if (systems.network) {
            status = session.start();
            if (status == 0) {
                progress.doSetMsgSig(QObject::tr("Waiting for the network nodes to answer."));
                for (const NetworkNodeSummary& node : session.discoverAll(systems.nodes, systems.scanMs))
                    sources.push_back(FleetSources::node(session, node, reader));
            }
        }
        std::size_t ended = 0;
        FleetRegister assets;
        progress.doSetMsgSig(QObject::tr("Reading the boards of %1 systems.").arg(sources.size()));
        progress.showProgBar();
        FleetScan::run(
            sources, systems.parallel,
            [&](std::size_t index, std::int32_t result, std::vector<FleetBoard>& boards) {
                ++ended;
                assets.record(boards);
                progress.initProg(static_cast<int>(ended), 0, static_cast<int>(sources.size()),
                                  std::to_string(ended) + " of " + std::to_string(sources.size()) + " systems read");
                const FleetSource& source = sources[index];
                QMetaObject::invokeMethod(
                    receiver,
                    [arrived, system = source.system, address = source.address, result,
                     boards = std::move(boards)]() mutable { arrived(system, address, result, std::move(boards)); },
                    Qt::QueuedConnection);
            },
            &cancel);
        return status;
    });
}

} // namespace z2e
