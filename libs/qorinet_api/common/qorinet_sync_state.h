#pragma once
// Synchronisation state of a node as the node reports it; the values are the node's own.

#include <cstdint>

namespace qorinet_api {

/// Passed on unchanged from the node document; a change raises a sync-changed event.
typedef std::uint32_t QORINetSyncState;

/// What the local node always reports: its enclosures are in step with this computer.
constexpr QORINetSyncState kLocalNodeSyncState = 1;

} // namespace qorinet_api
