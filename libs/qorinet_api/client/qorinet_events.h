#pragma once
// Node events the client reports to the application, and the kinds of local address change
// the address observer hands to the client.

#include <cstdint>

namespace qorinet_api {

enum QORINetEvent : std::uint32_t {
    EVENT_GOV_NODE_NOP = 0,
    EVENT_GOV_NODE_ADDED = 1,
    EVENT_GOV_NODE_REMOVED = 2,
    EVENT_GOV_NODE_TAINTED = 3,
    EVENT_GOV_NODE_SYNC_CHANGED = 4,
    EVENT_GOV_NODE_DISCOVERED = 5,
    EVENT_GOV_LOG_MSG = 16,
    EVENT_GOV_LOCNODE_SCAN_FINISHED = 32,
    /// A reconfiguration after an address change has finished; carries no data.
    EVENT_GOV_RECONFIGURE_FINISHED = 49,
};

/// "EVENT_GOV_NODE_ADDED" and so on; "EVENT_GOV_UNKNOWN" for a code without a name.
const char* eventName(std::uint32_t code);

enum AddressChangeKind : std::uint32_t {
    ADDR_ADD = 0,
    ADDR_REMOVE = 1,
    ADDR_UNCHANGED = 2,
};

/// "ADDR_ADD", "ADDR_REMOVE", "ADDR_UNCHANGED"; "ADDR_UNKNOWN" for anything else.
const char* addressChangeName(std::uint32_t kind);

} // namespace qorinet_api
