#include "uni/if_net_if_notification_handler.h"

namespace uni {

const char* netIfChangeName(NetIfChange kind)
{
    switch (kind) {
    case NetIfChange::Added: return "added";
    case NetIfChange::Deleted: return "deleted";
    case NetIfChange::Resync: return "resync";
    }
    return "unknown";
}

ipv4::IpAddressPair NetIfNotification::pair() const
{
    return ipv4::IpAddressPair(address, ipv4::maskFromPrefix(prefixLength).value_or(0xffffffffu));
}

} // namespace uni
