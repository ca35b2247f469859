#pragma once
// The handler in place until a client installs its own: it only logs the change.

#include "uni/if_net_if_notification_handler.h"

namespace uni {

class DefaultNetIfNotificationHandler : public IfNetIfNotificationHandler {
public:
    /// Logs the change on channel "tnnetobs".
    void onNetIfChange(const NetIfNotification& notification) override;
};

} // namespace uni
