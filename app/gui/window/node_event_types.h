#pragma once
// Types that travel in the window's queued node-event signals.

#include "core/model_node.h"
#include "core/network_node_record.h"

#include <QMetaType>

Q_DECLARE_METATYPE(z2e::NetworkNodeRecord)
Q_DECLARE_METATYPE(z2e::ModelNodePtr)

namespace z2e {

/// Registers them (under their own names and "uint32", "qorinet_api::QORINetSyncState",
/// "ModelNodePtr") so queued connections can carry them.
/// Safe to call more than once.
void registerNodeEventTypes();

} // namespace z2e
