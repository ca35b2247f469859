#include "tools/fleet_sources.h"

#include "core/node_link.h"
#include "core/remote_node_session.h"
#include "driver/command/driver_result.h"

#include <memory>

namespace z2e {

FleetSource FleetSources::local(QorinNodeUtilWrapper& wrapper, std::int32_t connectResult, const FleetReader& reader)
{
    return {"local", "", [&wrapper, connectResult, &reader](std::vector<FleetBoard>& boards) {
                if (!DriverResult::succeeded(connectResult))
                    return connectResult;
                return reader.read(wrapper, "local", "", boards);
            }};
}

FleetSource FleetSources::node(RemoteNodeSession& session, const NetworkNodeSummary& node, const FleetReader& reader)
{
    return {node.name, node.address, [&session, node, &reader](std::vector<FleetBoard>& boards) {
                const std::unique_ptr<NodeLink> link = session.link(node.address);
                if (!link)
                    return DriverResult::codeOf(ResultMeaning::Unreachable);
                const std::int32_t connected = link->connect(kNodeRequestCeilingMs);
                if (!DriverResult::succeeded(connected))
                    return connected;
                return reader.read(link->wrapper(), node.name, node.address, boards);
            }};
}

} // namespace z2e
