#include "uni/net_if_notifications.h"

#include "uni/default_net_if_notification_handler.h"
#include "uni/log.h"
#include "uni/osal.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <exception>
#include <system_error>

namespace uni {
namespace {

constexpr const char* kChannel = "tnnetobs";

int uniResult(std::int32_t code)
{
    return -(code - osal::ERR_UNI_OSAL_BASE);
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

int registrationFailed(const char* step, int error, int result)
{
    UNI_LOG(kChannel, log::error) << step << " failed: " << std::strerror(error);
    UNI_LOG(kChannel, log::error) << "Register for network address change failed.";
    return result;
}

void parseAddressMessage(const nlmsghdr& header, std::vector<NetIfNotification>& out)
{
    if (header.nlmsg_len < NLMSG_LENGTH(sizeof(ifaddrmsg)))
        return;
    const auto* message = static_cast<const ifaddrmsg*>(NLMSG_DATA(&header));
    if (message->ifa_family != AF_INET || message->ifa_prefixlen > 32)
        return;

    NetIfNotification notification;
    notification.kind = header.nlmsg_type == RTM_NEWADDR ? NetIfChange::Added : NetIfChange::Deleted;
    notification.index = message->ifa_index;
    notification.prefixLength = message->ifa_prefixlen;

    // IFA_LOCAL is the own address; IFA_ADDRESS is the peer on point-to-point links.
    bool haveLocal = false;
    int remaining = static_cast<int>(header.nlmsg_len - NLMSG_LENGTH(sizeof(ifaddrmsg)));
    for (const rtattr* attribute = IFA_RTA(message); RTA_OK(attribute, remaining);
         attribute = RTA_NEXT(attribute, remaining)) {
        if (RTA_PAYLOAD(attribute) < sizeof(std::uint32_t))
            continue;
        if (attribute->rta_type == IFA_LOCAL) {
            std::memcpy(&notification.address, RTA_DATA(attribute), sizeof(std::uint32_t));
            haveLocal = true;
        } else if (attribute->rta_type == IFA_ADDRESS && !haveLocal) {
            std::memcpy(&notification.address, RTA_DATA(attribute), sizeof(std::uint32_t));
        }
    }
    out.push_back(notification);
}

} // namespace

IfNetIfNotifications::~IfNetIfNotifications()
{
    unregisterNetIfNotifications();
}

int IfNetIfNotifications::registerNetIfNotifications(std::shared_ptr<IfNetIfNotificationHandler> handler)
{
    if (!handler)
        handler = std::make_shared<DefaultNetIfNotificationHandler>();
    {
        std::lock_guard<std::mutex> lock(m_handlerLock);
        m_handler = std::move(handler);
    }
    // From inside the handler the listener is evidently running; taking m_registration could
    // deadlock against an unregister that is joining this very thread.
    if (m_listenerId.load() == std::this_thread::get_id())
        return 0;

    std::lock_guard<std::mutex> lock(m_registration);
    if (m_listener.joinable())
        return 0;

    int netlinkFd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (netlinkFd < 0)
        return registrationFailed("Netlink socket", errno, uniResult(osal::ERR_UNI_OSAL_ESOCKET));
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_IPV4_IFADDR;
    if (::bind(netlinkFd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        const int error = errno;
        closeFd(netlinkFd);
        return registrationFailed("Netlink bind", error, uniResult(osal::ERR_UNI_OSAL_ESOCKET));
    }
    int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
        const int error = errno;
        closeFd(netlinkFd);
        return registrationFailed("eventfd", error, uniResult(osal::ERR_UNI_OSAL_EINIT));
    }
    try {
        m_listener = std::thread(&IfNetIfNotifications::listen, this, netlinkFd, wakeFd);
    } catch (const std::system_error& e) {
        closeFd(netlinkFd);
        closeFd(wakeFd);
        return registrationFailed("Listener thread start", e.code().value(), uniResult(osal::ERR_UNI_OSAL_EINIT));
    }
    m_netlinkFd = netlinkFd;
    m_wakeFd = wakeFd;
    return 0;
}

int IfNetIfNotifications::unregisterNetIfNotifications()
{
    if (m_listenerId.load() == std::this_thread::get_id()) {
        UNI_LOG(kChannel, log::error) << "Unregister for network address change refused inside the handler";
        return uniResult(osal::ERR_UNI_OSAL_EBUSY);
    }
    std::lock_guard<std::mutex> lock(m_registration);
    if (!m_listener.joinable())
        return 0;
    const std::uint64_t wake = 1;
    if (::write(m_wakeFd, &wake, sizeof wake) != static_cast<ssize_t>(sizeof wake)) {
        UNI_LOG(kChannel, log::warning) << "Waking the address listener failed: " << std::strerror(errno);
    }
    m_listener.join();
    m_listenerId.store(std::thread::id());
    closeFd(m_netlinkFd);
    closeFd(m_wakeFd);
    return 0;
}

bool IfNetIfNotifications::netIfNotificationsRegistered() const
{
    std::lock_guard<std::mutex> lock(m_registration);
    return m_listener.joinable();
}

void IfNetIfNotifications::listen(int netlinkFd, int wakeFd)
{
    // Set here rather than by the starter so that it is in place before the first handler call.
    m_listenerId.store(std::this_thread::get_id());
    pollfd fds[2] = {{netlinkFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            UNI_LOG(kChannel, log::error) << "Address listener poll failed: " << std::strerror(errno);
            return;
        }
        if (fds[1].revents != 0)
            return;
        if (fds[0].revents != 0 && !drain(netlinkFd))
            return;
    }
}

bool IfNetIfNotifications::drain(int netlinkFd)
{
    alignas(nlmsghdr) char buffer[16384];
    for (;;) {
        sockaddr_nl sender{};
        iovec io{buffer, sizeof buffer};
        msghdr message{};
        message.msg_name = &sender;
        message.msg_namelen = sizeof sender;
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        const ssize_t received = ::recvmsg(netlinkFd, &message, 0);
        if (received < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return true;
            if (errno == EINTR)
                continue;
            if (errno == ENOBUFS) { // the kernel overran our queue and dropped changes
                deliver(NetIfNotification{0, NetIfChange::Resync, 0, 0});
                continue;
            }
            UNI_LOG(kChannel, log::error) << "Address listener receive failed: " << std::strerror(errno);
            return false;
        }
        // Only the kernel speaks for the address table; anything else is forged.
        if (message.msg_namelen != sizeof sender || sender.nl_pid != 0)
            continue;
        for (const auto& notification : parseNetlink(buffer, static_cast<std::size_t>(received)))
            deliver(notification);
        if (message.msg_flags & MSG_TRUNC)
            deliver(NetIfNotification{0, NetIfChange::Resync, 0, 0});
    }
}

void IfNetIfNotifications::deliver(const NetIfNotification& notification)
{
    std::shared_ptr<IfNetIfNotificationHandler> handler;
    {
        std::lock_guard<std::mutex> lock(m_handlerLock);
        handler = m_handler;
    }
    if (!handler)
        return;
    // An escaping exception would end the process from this thread.
    try {
        handler->onNetIfChange(notification);
    } catch (const std::exception& e) {
        UNI_LOG(kChannel, log::error) << "Address change handler threw: " << e.what();
    } catch (...) {
        UNI_LOG(kChannel, log::error) << "Address change handler threw";
    }
}

std::vector<NetIfNotification> IfNetIfNotifications::parseNetlink(const void* data, std::size_t length)
{
    std::vector<NetIfNotification> out;
    if (data == nullptr)
        return out;
    // The netlink macros assume aligned headers; misaligned input is copied first.
    std::vector<std::uint32_t> aligned;
    if (reinterpret_cast<std::uintptr_t>(data) % alignof(nlmsghdr) != 0) {
        aligned.resize((length + sizeof(std::uint32_t) - 1) / sizeof(std::uint32_t));
        std::memcpy(aligned.data(), data, length);
        data = aligned.data();
    }
    int remaining = length > INT_MAX ? INT_MAX : static_cast<int>(length);
    auto* header = static_cast<nlmsghdr*>(const_cast<void*>(data));
    for (; NLMSG_OK(header, remaining); header = NLMSG_NEXT(header, remaining)) {
        switch (header->nlmsg_type) {
        case NLMSG_DONE: return out;
        case NLMSG_OVERRUN: out.push_back(NetIfNotification{0, NetIfChange::Resync, 0, 0}); break;
        case RTM_NEWADDR:
        case RTM_DELADDR: parseAddressMessage(*header, out); break;
        default: break;
        }
    }
    return out;
}

} // namespace uni
