#pragma once
// Notification of local IPv4 address changes, from an rtnetlink listener thread.
// A client derives from this (or owns one) and installs a handler; the handler is called on the
// listener thread, one notification at a time.

#include "uni/if_net_if_notification_handler.h"
#include "uni/non_copyable.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace uni {

class IfNetIfNotifications : public NonCopyable {
public:
    IfNetIfNotifications() = default;
    /// Unregisters. A derived class that is its own handler must unregister in its destructor.
    virtual ~IfNetIfNotifications();

    /// Starts listening; `handler` (DefaultNetIfNotificationHandler when null) receives every change
    /// that happens after this returns. While registered, a second call only replaces the handler.
    /// 0, or a negative uni result after logging "Register for network address change failed.".
    int registerNetIfNotifications(std::shared_ptr<IfNetIfNotificationHandler> handler = nullptr);

    /// Stops and joins the listener; no handler call runs after this returns. Calling it from the
    /// handler itself is refused with the negative EBUSY result. 0 when not registered.
    int unregisterNetIfNotifications();

    bool netIfNotificationsRegistered() const;

    /// The address changes in one rtnetlink datagram. Anything malformed or foreign is skipped;
    /// reading never leaves [data, data + length).
    static std::vector<NetIfNotification> parseNetlink(const void* data, std::size_t length);

private:
    void listen(int netlinkFd, int wakeFd);
    bool drain(int netlinkFd);
    void deliver(const NetIfNotification& notification);

    mutable std::mutex m_registration; // register/unregister and the fields below
    std::thread m_listener;
    std::atomic<std::thread::id> m_listenerId{}; // lets calls from the handler be recognised
    int m_netlinkFd = -1;
    int m_wakeFd = -1;

    std::mutex m_handlerLock; // held only to copy or swap the handler, never during a call
    std::shared_ptr<IfNetIfNotificationHandler> m_handler;
};

} // namespace uni
