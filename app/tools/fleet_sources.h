#pragma once
// The systems of a fleet read as FleetScan sources: this computer through its driver, and each
// network node of a remote session on a link of its own. The same for the window and zamo2ctl.

#include "core/network_node_summary.h"
#include "tools/fleet_action.h"
#include "tools/fleet_reader.h"
#include "tools/fleet_scan.h"

#include <cstdint>

namespace z2e {

class RemoteNodeSession;

class FleetSources {
public:
    /// Requests of a read are short; a node that keeps one alive with heartbeats is given up on.
    static constexpr std::uint32_t kNodeRequestCeilingMs = 15000;

    /// This computer's boards behind `wrapper`, or `connectResult` when that is a failure.
    static FleetSource local(QorinNodeUtilWrapper& wrapper, std::int32_t connectResult, const FleetReader& reader);
    /// The boards of `node` of `session`, which outlives the read.
    static FleetSource node(RemoteNodeSession& session, const NetworkNodeSummary& node, const FleetReader& reader);

    /// This computer as a FleetAction target; `connectResult` when that is a failure.
    static FleetTarget localTarget(QorinNodeUtilWrapper& wrapper, std::int32_t connectResult);
    /// `node` of `session` (which outlives the action) as a FleetAction target, on a link of its
    /// own whose requests heartbeats keep alive for at most `ceilingMs`.
    static FleetTarget nodeTarget(const RemoteNodeSession& session, const NetworkNodeSummary& node,
                                  std::uint32_t ceilingMs);
};

} // namespace z2e
