#include "qorinet_api/client/qorinet_events.h"

namespace qorinet_api {

const char* eventName(std::uint32_t code)
{
    switch (code) {
    case EVENT_GOV_NODE_NOP: return "EVENT_GOV_NODE_NOP";
    case EVENT_GOV_NODE_ADDED: return "EVENT_GOV_NODE_ADDED";
    case EVENT_GOV_NODE_REMOVED: return "EVENT_GOV_NODE_REMOVED";
    case EVENT_GOV_NODE_TAINTED: return "EVENT_GOV_NODE_TAINTED";
    case EVENT_GOV_NODE_SYNC_CHANGED: return "EVENT_GOV_NODE_SYNC_CHANGED";
    case EVENT_GOV_NODE_DISCOVERED: return "EVENT_GOV_NODE_DISCOVERED";
    case EVENT_GOV_LOG_MSG: return "EVENT_GOV_LOG_MSG";
    case EVENT_GOV_LOCNODE_SCAN_FINISHED: return "EVENT_GOV_LOCNODE_SCAN_FINISHED";
    case EVENT_GOV_RECONFIGURE_FINISHED: return "EVENT_GOV_RECONFIGURE_FINISHED";
    default: return "EVENT_GOV_UNKNOWN";
    }
}

const char* addressChangeName(std::uint32_t kind)
{
    switch (kind) {
    case ADDR_ADD: return "ADDR_ADD";
    case ADDR_REMOVE: return "ADDR_REMOVE";
    case ADDR_UNCHANGED: return "ADDR_UNCHANGED";
    default: return "ADDR_UNKNOWN";
    }
}

} // namespace qorinet_api
