#pragma once
// Receiver of local address changes. Calls arrive on the notification listener thread.

#include "uni/ip_address_pair.h"

#include <cstdint>

namespace uni {

enum class NetIfChange {
    Added,
    Deleted,
    /// The kernel dropped notifications (queue overrun): every interface needs a fresh look.
    Resync,
};

/// "added", "deleted" or "resync".
const char* netIfChangeName(NetIfChange kind);

struct NetIfNotification {
    unsigned index = 0; ///< interface index; 0 for Resync
    NetIfChange kind = NetIfChange::Added;
    std::uint32_t address = 0; ///< the IPv4 address concerned, network order
    int prefixLength = 32;

    ipv4::IpAddressPair pair() const;
};

class IfNetIfNotificationHandler {
public:
    virtual ~IfNetIfNotificationHandler() = default;
    /// Must return promptly: the next notification waits for it.
    virtual void onNetIfChange(const NetIfNotification& notification) = 0;
};

} // namespace uni
