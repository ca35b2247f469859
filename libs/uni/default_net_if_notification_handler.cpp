#include "uni/default_net_if_notification_handler.h"

#include "uni/log.h"

namespace uni {

void DefaultNetIfNotificationHandler::onNetIfChange(const NetIfNotification& notification)
{
    if (notification.kind == NetIfChange::Resync) {
        UNI_LOG("tnnetobs", log::warning) << "Network address notifications were lost; interfaces need a rescan";
        return;
    }
    UNI_LOG("tnnetobs", log::info) << "Network address " << netIfChangeName(notification.kind) << " on interface "
                                   << notification.index << ": " << notification.pair();
}

} // namespace uni
