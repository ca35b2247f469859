#pragma once
// Fixed names the nodes report about themselves.

namespace qorinet_api {

/// Name of the local node until the application renames it.
constexpr const char* kLocalNodeName = "LocalNode";

/// Name a remote node reports while it has none of its own.
constexpr const char* kRemoteNodeUnnamed = "[RemoteNode]";

/// Log channel of the node client library.
constexpr const char* kLogChannel = "qorinetapi";

} // namespace qorinet_api
