#include "tools/fleet_sources.h"

#include "core/node_link.h"
#include "core/remote_node_session.h"
#include "driver/command/driver_result.h"

#include <memory>

namespace z2e {

namespace {

// A read is the reader run on what the target opens.
FleetSource readOf(FleetTarget target, const FleetReader& reader)
{
    return {target.system, target.address, [target, &reader](std::vector<FleetBoard>& boards) {
                std::int32_t read = 0;
                const std::int32_t opened = target.open([&](QorinNodeUtilWrapper& wrapper) {
                    read = reader.read(wrapper, target.system, target.address, boards);
                });
                return opened != 0 ? opened : read;
            }};
}

} // namespace

FleetSource FleetSources::local(QorinNodeUtilWrapper& wrapper, std::int32_t connectResult, const FleetReader& reader)
{
    return readOf(localTarget(wrapper, connectResult), reader);
}

FleetSource FleetSources::node(RemoteNodeSession& session, const NetworkNodeSummary& node, const FleetReader& reader)
{
    return readOf(nodeTarget(session, node, kNodeRequestCeilingMs), reader);
}

FleetTarget FleetSources::localTarget(QorinNodeUtilWrapper& wrapper, std::int32_t connectResult)
{
    return {"local",
            "",
            [&wrapper, connectResult](const std::function<void(QorinNodeUtilWrapper&)>& run) {
                if (!DriverResult::succeeded(connectResult))
                    return connectResult;
                run(wrapper);
                return std::int32_t{0};
            },
            {}};
}

FleetTarget FleetSources::nodeTarget(const RemoteNodeSession& session, const NetworkNodeSummary& node,
                                     std::uint32_t ceilingMs)
{
    return {node.name,
            node.address,
            [&session, address = node.address, ceilingMs](const std::function<void(QorinNodeUtilWrapper&)>& run) {
                const std::unique_ptr<NodeLink> link = session.link(address);
                if (!link)
                    return DriverResult::codeOf(ResultMeaning::Unreachable);
                const std::int32_t connected = link->connect(ceilingMs);
                if (!DriverResult::succeeded(connected))
                    return connected;
                run(link->wrapper());
                return std::int32_t{0};
            },
            {}};
}

} // namespace z2e
